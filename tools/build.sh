#!/bin/sh
# Builds everything from one source: build/native (picture library, tools,
# native tests, benchmarks), build/win32 (the shipping programs),
# build/win64 (the same programs and the Windows tests, for 64-bit Wine).
#   tools/build.sh [--fuzz]   also build/fuzz (libFuzzer targets, clang)
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)
configure() {
    dir=$1
    shift
    [ -f "$dir/CMakeCache.txt" ] || cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
}
configure build/native
configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
cmake --build build/native -j "$jobs"
cmake --build build/win32 -j "$jobs" --target Q3 KRN VGX
cmake --build build/win64 -j "$jobs"
if [ "${1:-}" = --fuzz ]; then
    configure build/fuzz -DFUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
    cmake --build build/fuzz -j "$jobs"
fi
