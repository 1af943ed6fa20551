#!/bin/bash
# Builds and runs the benchmarks; each prints its figures beside a baseline
# measured in the same run, and the ratio:
#   native   the picture codec (Google Benchmark)
#   wine     the install command against CopyFileA, and the copy's
#            responsiveness, under Wine on an Xvfb of its own: the shipping
#            32-bit build and the 64-bit one, and the ratio of the two
#   disc     mkdisc pressing a generated folder of some 620 MiB, against
#            genisoimage and xorriso (skipped, and said so, without them)
set -eu
cd "$(dirname "$0")"
# What cannot be installed skips the benchmarks that need it, said.
cmake/deps.sh build wine wine32 bench || echo "bench.sh: packages are missing (above); what needs them is skipped"
cmake/build.sh
for bench in build/native/bench/*_bench; do
    echo "== $(basename "$bench")"
    "$bench" --benchmark_min_time=0.2
done

# The install, built 32-bit as it ships and 64-bit, in the same run, in a
# Windows session of its own: the 32-bit process runs natively where the
# kernel can, else under the emulator, whose cost is then the ratio.
. tests/wine/session.sh
trap end_windows_session EXIT
if windows_session; then
    for build in win32 win64; do
        echo "== install_bench ($build, under Wine)"
        (cd build/$build && ../../tests/wine/run.sh ./install_bench.exe) | tee "build/$build/install_bench.txt"
    done
    # Wine's console ends its lines with CR LF.
    figure() { tr -d '\r' <"build/$1/install_bench.txt" | sed -n 's/^  install command *\([0-9.]*\) MiB\/s$/\1/p'; }
    echo "install command, 32-bit against 64-bit: $(figure win32) / $(figure win64) MiB/s =" \
        "$(awk -v a="$(figure win32)" -v b="$(figure win64)" 'BEGIN { printf "%.2f", a / b }')"
else
    echo "== install_bench: skipped: ${windows_session_why:-no Windows session}"
fi

echo "== mkdisc_bench"
bench/mkdisc_bench.sh build/native/bin/mkdisc build/win32
