#!/bin/bash
# Builds and runs the benchmarks; each prints its figures beside a baseline
# measured in the same run, and the ratio:
#   native   the picture codec (Google Benchmark)
#   wine     the install command against CopyFileA, and the copy's
#            responsiveness, under Wine on an Xvfb of its own: the shipping
#            32-bit build and the 64-bit one, and the ratio of the two
set -eu
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
for bench in build/native/bench/*_bench; do
    echo "== $(basename "$bench")"
    "$bench" --benchmark_min_time=0.2
done

# The install, built 32-bit as it ships (its process under the emulator)
# and 64-bit (native), in the same run: the emulator's cost is their ratio.
xvfb=$(mktemp) registered=""
finish() {
    kill "$(cat "$xvfb")" 2>/dev/null
    rm -f "$xvfb"
    [ -n "$registered" ] && tests/wine/emulator.sh off
}
trap finish EXIT
DISPLAY=$(tests/wine/xvfb.sh "$xvfb" 24)
export DISPLAY WINE_TEMPLATE="$(pwd)/build/wine-template"
emulator=$(tests/wine/emulator.sh on)
[ "$emulator" = registered ] && registered=1
for build in win32 win64; do
    echo "== install_bench ($build, under Wine)"
    (cd build/$build && ../../tests/wine/run.sh ./install_bench.exe) | tee "build/$build/install_bench.txt"
done
figure() { sed -n 's/^  install command *\([0-9.]*\) MiB\/s$/\1/p' "build/$1/install_bench.txt"; }
echo "install command, 32-bit against 64-bit: $(figure win32) / $(figure win64) MiB/s =" \
    "$(awk -v a="$(figure win32)" -v b="$(figure win64)" 'BEGIN { printf "%.2f", a / b }')"
