#!/bin/bash
# The lzss tool from the command line: round trips in any chunking, and clear
# refusals of bad input.
#   lzss_cli_test.sh LZSS
set -u
lzss=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/cli_expect.sh"

cp /usr/share/common-licenses/GPL-3 "$work/text"
head -c 300000 "$lzss" >"$work/binary"
: >"$work/empty"
for name in text binary empty; do
    size=$(stat -c %s "$work/$name")
    "$lzss" compress "$work/$name" "$work/$name.lz" || fail "compress $name"
    for chunk in 1 3 4096 ""; do
        "$lzss" decompress "$work/$name.lz" "$work/$name.out" --size "$size" ${chunk:+--chunk "$chunk"} ||
            fail "decompress $name in chunks of ${chunk:-all}"
        cmp -s "$work/$name" "$work/$name.out" || fail "$name does not round-trip in chunks of ${chunk:-all}"
    done
done
[ "$(stat -c %s "$work/text.lz")" -lt "$(stat -c %s "$work/text")" ] || fail "text did not get smaller"

size=$(stat -c %s "$work/text")
printf '\200\005\000' >"$work/before-start.lz"  # a reference 5 back, at the start
expect 1 "decompress needs --size" "$lzss" decompress "$work/text.lz" "$work/x"
expect 1 "decodes to more than 100 bytes" "$lzss" decompress "$work/text.lz" "$work/x" --size 100
expect 1 "decodes to $size bytes, not $((size + 1))" "$lzss" decompress "$work/text.lz" "$work/x" --size $((size + 1))
expect 1 "reaches before the start" "$lzss" decompress "$work/before-start.lz" "$work/x" --size 10
expect 1 "--chunk wants a count of at least 1" "$lzss" decompress "$work/text.lz" "$work/x" --size "$size" --chunk 0
expect 1 "--size wants a byte count" "$lzss" decompress "$work/text.lz" "$work/x" --size -5
expect 1 "--size wants a byte count" "$lzss" decompress "$work/text.lz" "$work/x" --size 12abc
expect 1 "cannot read" "$lzss" compress "$work/missing" "$work/x"
expect 1 "cannot write" "$lzss" compress "$work/text" "$work/no/such/dir/x"
expect_help "$lzss"
expect 2 "usage" "$lzss" frobnicate
expect 2 "usage" "$lzss" decompress "$work/text.lz" "$work/x" --size

finish "lzss command line"
