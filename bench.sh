#!/bin/bash
# Builds and runs the benchmarks; each prints its figures beside a baseline
# measured in the same run, and the ratio.
set -eu
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
for bench in build/native/bench/*_bench; do
    echo "== $(basename "$bench")"
    "$bench" --benchmark_min_time=0.2
done
