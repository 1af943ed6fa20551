#!/bin/sh
# The committed artwork is what the generator draws, byte for byte.
#   art_test.sh MAKE_ART RESOURCES_DIR
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for product in Q3 KRN; do
    mkdir -p "$work/$product"
    "$1" "$product" "$work/$product" >/dev/null || { echo "FAIL: make_art $product"; status=1; continue; }
    for file in backcg.bin icon.ico; do
        cmp "$work/$product/$file" "$2/$product/$file" || { echo "FAIL: $product/$file differs"; status=1; }
    done
done
exit $status
