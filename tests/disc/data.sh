#!/bin/sh
# The game data of the test discs, the same bytes every time.
#   tests/disc/data.sh DIR
set -eu
dir=$1
mkdir -p "$dir/SAVE"
: >"$dir/EMPTY.DAT"
printf 'Shift-JIS name\r\n' >"$dir/表示.DAT"
# 3 chunks and a bit: the copy's 65,536-byte steps, and a short last one.
seq 1 40000 | head -c 200000 >"$dir/MOVIE.DAT"
printf 'VARNO demo disc\r\n' >"$dir/README.TXT"
printf 'not copied\r\n' >"$dir/SAVE/SLOT1.DAT"
