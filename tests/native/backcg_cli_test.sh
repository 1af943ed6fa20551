#!/bin/bash
# The backcg tool from the command line: round trips, true-colour input,
# standard input and output (its refusals are in tool_inputs_test.sh).
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

# "-" is standard input and output.
"$backcg" decode - - <"$resources/Q3/backcg.bin" | "$backcg" encode - - | cmp -s - "$resources/Q3/backcg.bin" ||
    fail "decode and encode through standard input and output do not round-trip"
"$backcg" info - <"$resources/Q3/backcg.bin" | grep -q "well formed: yes" || fail "info does not read standard input"
expect_help "$backcg"

finish "backcg command line"
