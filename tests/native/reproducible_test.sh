#!/bin/bash
# Two builds of the same sources give the same shipping programs, byte for
# byte, and so the same disc images: the shipping programs are built again
# in a tree of their own and compared with the build's.
#   reproducible_test.sh SOURCE PROGRAMS MKDISC   (PROGRAMS: the win32 build)
set -u
source=$1 programs=$2 mkdisc=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/cli_expect.sh"

cmake -S "$source" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-i686.cmake" >/dev/null || fail "configuring the second build"
cmake --build "$work/build" -j "$(nproc)" --target Q3 KRN VGX >/dev/null || fail "the second build"
for program in Q3.EXE KRN.EXE VGX.EXE; do
    cmp -s "$programs/$program" "$work/build/$program" || fail "the two builds' $program differ"
done
. "$(dirname "$0")/../disc/disc.sh"
for build in "$programs" "$work/build"; do
    disc_folder "$build" Q3 "$work/disc"
    press_disc "$mkdisc" "$work/disc" "$work/$(basename "$build").iso" || fail "pressing $build"
done
cmp -s "$work/$(basename "$programs").iso" "$work/build.iso" || fail "the two builds' discs differ"
finish "reproducible build"
