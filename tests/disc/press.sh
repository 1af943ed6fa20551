#!/bin/sh
# Presses the test discs, one per product, from a build's programs (see
# disc.sh), and keeps the folders they were pressed from beside them: the
# disc tests run from those where an image cannot be mounted.
#
#   tests/disc/press.sh MKDISC PROGRAMS OUT   writes OUT/Q3.iso and OUT/KRN.iso
set -eu
mkdisc=$1 programs=$2 out=$3
. "$(cd "$(dirname "$0")" && pwd)/disc.sh"
mkdir -p "$out"
# The 64-bit build's discs carry a 64-bit launcher on purpose.
case $(basename "$programs") in win64) allow=--allow-any-machine ;; *) allow="" ;; esac
for product in Q3 KRN; do
    disc_folder "$programs" "$product" "$out/$product"
    # shellcheck disable=SC2086
    press_disc "$mkdisc" "$out/$product" "$out/$product.iso" $allow
done
