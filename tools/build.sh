#!/bin/sh
# Builds everything from one source: build/native (picture library, tools,
# native tests, benchmarks), build/win32 (the shipping programs and the
# Windows tests) and build/win64 (the same, 64-bit).
#   tools/build.sh [--fuzz]   also build/fuzz (libFuzzer targets, clang)
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
# Configures a tree when it has not been, or was with other options.
configure() {
    dir=$1
    shift
    options="-DCMAKE_BUILD_TYPE=Release $*"
    [ -f "$dir/CMakeCache.txt" ] && [ "$(cat "$dir/.options" 2>/dev/null)" = "$options" ] && return
    rm -f "$dir/CMakeCache.txt"
    # shellcheck disable=SC2086
    cmake -S . -B "$dir" $options >/dev/null
    echo "$options" >"$dir/.options"
}
configure build/native
configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
cmake --build build/native -j "$jobs"
cmake --build build/win32 -j "$jobs"
cmake --build build/win64 -j "$jobs"
if [ "${1:-}" = --fuzz ]; then
    configure build/fuzz -DFUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    cmake --build build/fuzz -j "$jobs"
fi
