#!/bin/bash
# The lzss tool from the command line: round trips in any chunking, standard
# input and output, options anywhere (its refusals are in
# tool_inputs_test.sh).
#   lzss_cli_test.sh LZSS
set -u
lzss=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/cli_expect.sh"

for i in $(seq 1 2000); do echo "line $i: the engine reads this text $((i % 7)) times"; done >"$work/text"
head -c 300000 "$lzss" >"$work/binary"
: >"$work/empty"
printf 'q' >"$work/one"                          # a literal after its flag
head -c 17 /dev/zero | tr '\0' 'r' >"$work/run"  # a reference of 16 and a literal
for name in text binary empty one run; do
    size=$(stat -c %s "$work/$name")
    "$lzss" compress "$work/$name" "$work/$name.lz" || fail "compress $name"
    for chunk in 1 3 4096 ""; do
        "$lzss" decompress "$work/$name.lz" "$work/$name.out" --size "$size" ${chunk:+--chunk "$chunk"} ||
            fail "decompress $name in chunks of ${chunk:-all}"
        cmp -s "$work/$name" "$work/$name.out" || fail "$name does not round-trip in chunks of ${chunk:-all}"
    done
done
[ "$(stat -c %s "$work/text.lz")" -lt "$(stat -c %s "$work/text")" ] || fail "text did not get smaller"

# "-" is standard input and output, and options may come first, as --size=N too.
size=$(stat -c %s "$work/text")
"$lzss" compress - - <"$work/text" | "$lzss" decompress --size="$size" --chunk 5 - - | cmp -s - "$work/text" ||
    fail "compress and decompress through standard input and output do not round-trip"
expect_help "$lzss"

finish "lzss command line"
