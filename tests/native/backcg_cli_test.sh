#!/bin/bash
# The backcg tool from the command line: round trips, true-colour input, and
# clear refusals of bad input.
#   backcg_cli_test.sh BACKCG RESOURCES_DIR
set -u
backcg=$1
resources=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/cli_expect.sh"

for product in Q3 KRN; do
    # decode then encode gives back the very same resource
    "$backcg" decode "$resources/$product/backcg.bin" "$work/$product.png" || fail "decode $product"
    "$backcg" encode "$work/$product.png" "$work/$product.bin" || fail "encode $product"
    cmp -s "$resources/$product/backcg.bin" "$work/$product.bin" || fail "$product does not round-trip byte for byte"
done

info=$("$backcg" info "$resources/KRN/backcg.bin") || fail "info exited non-zero"
for want in "161661 bytes" "580 x 440 (145 strips)" "stream: offset 784, 160877 bytes" "well formed: yes" \
    "248: 808080 ff0000 00ff00 ffff00 0000ff ff00ff 00ffff ffffff"; do
    grep -qF "$want" <<<"$info" || fail "info lacks '$want'"
done

# A true-colour picture with few colours keeps every pixel's colour.
convert "$work/Q3.png" -type TrueColor "PNG24:$work/true.png"
"$backcg" encode "$work/true.png" "$work/true.bin" || fail "encode true colour"
"$backcg" decode "$work/true.bin" "$work/true-back.png" || fail "decode true colour"
convert "$work/Q3.png" rgb:"$work/a.rgb" && convert "$work/true-back.png" rgb:"$work/b.rgb"
cmp -s "$work/a.rgb" "$work/b.rgb" || fail "true-colour pixels changed"

# One with thousands of colours is reduced to 256 and stays close.
convert -size 64x48 gradient:red-blue -fx 'u+0.3*sin(i/3)*cos(j/5)' "PNG24:$work/many.png"
"$backcg" encode "$work/many.png" "$work/many.bin" || fail "encode many colours"
"$backcg" info "$work/many.bin" >/dev/null || fail "many colours: not well formed"
"$backcg" decode "$work/many.bin" "$work/many-back.png" || fail "decode many colours"
error=$(compare -metric RMSE "$work/many.png" "$work/many-back.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/')
awk -v e="$error" 'BEGIN { exit !(e < 0.02) }' || fail "quantised picture too far off: $error"

# Refusals: a clear message and a non-zero exit, never a crash.
head -c 1000 "$resources/Q3/backcg.bin" >"$work/cut.bin"
printf 'not a picture' >"$work/text.png"
convert -size 6x4 xc:red "PNG8:$work/six.png"
: >"$work/empty.bin"
expect 1 "cannot open" "$backcg" encode "$work/missing.png" "$work/x.bin"
expect 1 "not a PNG" "$backcg" encode "$work/text.png" "$work/x.bin"
expect 1 "multiple of 4" "$backcg" encode "$work/six.png" "$work/x.bin"
expect 1 "cannot create\|cannot write" "$backcg" encode "$work/Q3.png" "$work/no/such/dir/x.bin"
expect 1 "malformed at offset 998: the stream runs past" "$backcg" decode "$work/cut.bin" "$work/x.png"
expect 1 "malformed at offset 0: too short" "$backcg" info "$work/empty.bin"
expect 1 "cannot open" "$backcg" info "$work/missing.bin"
expect_help "$backcg"
expect 2 "usage" "$backcg" frobnicate
grep -q "well formed: no" <(
    "$backcg" info "$work/cut.bin" 2>/dev/null
) || fail "info does not say the cut resource is malformed"

finish "backcg command line"
