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

# Sprite calls: the arguments come first, then a small picture.
mkdir -p "$work/sprite"
head -c 96 /dev/zero >"$work/sprite/zeros"
{
    head -c 64 /dev/zero
    printf '\010\000\002\000AAAABBBBCCCCCCCC\002DDDD'
} >"$work/sprite/rle"

# LZSS: a capacity and a chunking seed, then a stream from the compressor.
mkdir -p "$work/lzss"
{
    printf '\000\040\000\000\000\000\000\000\001\002\003\004'
    "$build/../native/tools/lzss" compress "$resources/../README.md" /dev/stdout 2>/dev/null | head -c 3000
} >"$work/lzss/text"

status=0
for target in backcg_fuzz sprite_fuzz lzss_fuzz; do
    corpus="$work/$target"
    mkdir -p "$corpus"
    case $target in
    backcg_fuzz) cp "$seeds"/* "$corpus/" ;;
    sprite_fuzz) cp "$work/sprite"/* "$corpus/" ;;
    lzss_fuzz) cp "$work/lzss"/* "$corpus/" ;;
    esac
    echo "fuzzing $target for $seconds s"
    if ! "$build/tests/fuzz/$target" -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
        -artifact_prefix="$work/" "$corpus" >"$work/$target.log" 2>&1; then
        tail -n 40 "$work/$target.log"
        status=1
    else
        grep -E "stat::number_of_executed_units|Done" "$work/$target.log" | tail -n 2
    fi
done
exit $status
