#!/bin/sh
# Builds from one source the trees named (each once, in this order), by
# default native, win32 and win64:
#   native   the picture library, tools, native tests and benchmarks
#   win32    the shipping programs and the Windows tests
#   win64    the same, 64-bit
#   fuzz     the libFuzzer targets (clang)
#   cmake/build.sh [TREE...]
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
for tree in "$@"; do
    case $tree in native | win32 | win64 | fuzz) ;; *) echo "build.sh: no tree $tree" >&2 && exit 2 ;; esac
done
wanted=" ${*:-native win32 win64} "
for tree in native win32 win64 fuzz; do
    case $wanted in *" $tree "*) ;; *) continue ;; esac
    case $tree in
    native) configure build/native ;;
    win32) configure build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake ;;
    win64) configure build/win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake ;;
    fuzz) configure build/fuzz -DFUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ ;;
    esac
    cmake --build "build/$tree" -j "$jobs"
done
