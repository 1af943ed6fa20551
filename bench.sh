#!/bin/bash
# Builds and runs the benchmarks; each prints its figures beside a baseline
# measured in the same run, and the ratio:
#   native   the picture codec (Google Benchmark)
#   wine     the install command against CopyFileA, and the copy's
#            responsiveness, under 64-bit Wine on an Xvfb of its own
set -eu
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
for bench in build/native/bench/*_bench; do
    echo "== $(basename "$bench")"
    "$bench" --benchmark_min_time=0.2
done

echo "== install_bench (under Wine)"
xvfb=$(mktemp)
trap 'kill "$(cat "$xvfb")" 2>/dev/null; rm -f "$xvfb"' EXIT
DISPLAY=$(tests/wine/xvfb.sh "$xvfb" 24)
export DISPLAY WINE_TEMPLATE="$(pwd)/build/wine-template"
(cd build/win64 && ../../tests/wine/run.sh ./install_bench.exe)
