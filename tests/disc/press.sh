#!/bin/sh
# Presses the test discs, one per product, from a build's programs: the
# launcher, VGX.EXE, and data as a game's would be, with a Shift-JIS name
# whose second byte is a backslash (表示) and a folder the install leaves.
#
#   tests/disc/press.sh MKDISC PROGRAMS OUT   writes OUT/Q3.iso and OUT/KRN.iso
set -eu
mkdisc=$1 programs=$2 out=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
# The 64-bit build's discs carry a 64-bit launcher on purpose.
case $(basename "$programs") in win64) allow=--allow-any-machine ;; *) allow="" ;; esac
for product in Q3 KRN; do
    root="$work/$product"
    mkdir -p "$root"
    cp "$programs/$product.EXE" "$programs/VGX.EXE" "$root/"
    "$here/data.sh" "$root"
    "$mkdisc" --date 1998-12-08 $allow "$root" "$out/$product.iso"
done
