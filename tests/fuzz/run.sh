#!/bin/sh
# Runs each fuzz target for a while on a corpus seeded with the products'
# pictures and small hand-made ones. Any crash or sanitizer report fails.
#   tests/fuzz/run.sh BUILD_DIR SECONDS
set -u
build=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
resources="$here/../../resources"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A tiny BACKCG: zero palette, one picture of 4 x 2 pixels, two literals.
seeds="$work/backcg"
mkdir -p "$seeds"
cp "$resources/Q3/backcg.bin" "$seeds/q3"
cp "$resources/KRN/backcg.bin" "$seeds/krn"
{
    head -c 768 /dev/zero
    printf '\001\000\000\000\004\000\000\000\000\000\000\000\004\000\002\000AAAABBBB'
} >"$seeds/tiny"

# Sprite calls: a picture first, then the arguments, which the fuzzer reads
# from the end backwards, each little-endian.
mkdir -p "$work/sprite"
head -c 96 /dev/zero >"$work/sprite/zeros"
{
    head -c 64 /dev/zero
    printf '\010\000\002\000AAAABBBBCCCCCCCC\002DDDD'
} >"$work/sprite/rle"
# CopyRawWave (member 10) of an 8 x 2 raw picture onto a 16-byte surface with
# a phase step of 0x7FFFFFFC: the second row's phase wraps past 2^31.
{
    printf '\010\000\002\000ABCDEFGHIJKLMNOP'                 # the picture
    printf '\000\020\000\000\000\000\000\000\000\000'         # dest 0, surface 16, fade 0
    printf '\000\000\000\200\374\377\377\377\000\000\000\200' # phase 0, step 0x7FFFFFFC, amplitude 0
    printf '\002\000\004\000\000\000\000\000\000'             # height 2, width 4, srcY 0, srcX 0
    printf '\140\002\000\000\000\000\012'                     # pitch 8, key 0, member 10
} >"$work/sprite/wave_phase_wraps"
# The surface test alone (member 12, the same arguments after the numbers):
# 2^32 - 1 rows at a pitch of 2^31 - 1 from 2^62 - 64 bytes into a surface of
# 2^62 bytes, whose last row lies past what 64 bits hold.
{
    printf '\000\000\000\000\000\000\000\100\300\377\377\377\377\377\377\077' # size, first
    printf '\377\377\377\377\004\000\000\000\377\377\377\177\000\000\000\000' # rows, row bytes, pitch
    printf '\000\020\000\000\000\000\000\000\000\000'
    printf '\000\000\000\200\374\377\377\377\000\000\000\200'
    printf '\002\000\004\000\000\000\000\000\000'
    printf '\140\002\000\000\000\000\014'                     # member 12
} >"$work/sprite/surface_past_64_bits"

# LZSS: a capacity and a chunking seed, then a stream from the compressor.
mkdir -p "$work/lzss"
{
    printf '\000\040\000\000\000\000\000\000\001\002\003\004'
    "$build/../native/bin/lzss" compress "$resources/../README.md" /dev/stdout 2>/dev/null | head -c 3000
} >"$work/lzss/text"

# The targets run side by side; each reports when all are done.
targets="backcg_fuzz sprite_fuzz lzss_fuzz"
for target in $targets; do
    corpus="$work/$target"
    mkdir -p "$corpus"
    case $target in
    backcg_fuzz) cp "$seeds"/* "$corpus/" ;;
    sprite_fuzz) cp "$work/sprite"/* "$corpus/" ;;
    lzss_fuzz) cp "$work/lzss"/* "$corpus/" ;;
    esac
    echo "fuzzing $target for $seconds s"
    "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$work/$target-" "$corpus" >"$work/$target.log" 2>&1 &
    echo $! >"$work/$target.pid"
done
status=0
for target in $targets; do
    if ! wait "$(cat "$work/$target.pid")"; then
        echo "$target FAILED:"
        tail -n 40 "$work/$target.log"
        status=1
    else
        echo "$target: $(grep -E "Done [0-9]+ runs" "$work/$target.log" | tail -n 1)"
    fi
done
exit $status
