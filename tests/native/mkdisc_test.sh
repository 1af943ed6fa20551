#!/bin/bash
# The disc tool from the command line: a disc as Windows reads it (Joliet
# names, the AUTORUN.INF, the label), the same bytes for the same folder,
# and a clear error with no image for anything that cannot go on a CD.
#   mkdisc_test.sh MKDISC PROGRAMS   (PROGRAMS: a build's Q3.EXE and KRN.EXE)
set -u
mkdisc=$1 programs=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$here/cli_expect.sh"

disc="$work/disc"
mkdir -p "$disc"
cp "$programs/Q3.EXE" "$disc/"
"$here/../disc/data.sh" "$disc"
"$mkdisc" --date 1998-12-08 "$disc" "$work/q3.iso" || fail "pressing a disc"
isoinfo -d -i "$work/q3.iso" | grep -q "^Volume id: VARNO_Q3$" || fail "the volume label is not VARNO_Q3"
listing=$(isoinfo -J -l -i "$work/q3.iso")
for name in AUTORUN.INF EMPTY.DAT MOVIE.DAT Q3.EXE README.TXT SAVE; do
    grep -q " $name \$" <<<"$listing" || fail "$name is not on the disc"
done
# Joliet keeps the Japanese name as UCS-2, which Windows shows in code page 932.
/usr/bin/python3 -c 'import sys; sys.exit("表示.DAT".encode("utf-16-be") not in open(sys.argv[1], "rb").read())' \
    "$work/q3.iso" || fail "the Joliet name 表示.DAT is not on the disc"
title=$(printf 'ＶＡＲＮＯ－Ｑ３の起動とインストール' | iconv -f UTF-8 -t CP932)
printf '[autorun]\r\nopen=Q3.EXE\r\nicon=Q3.EXE\r\nlabel=%s\r\n' "$title" >"$work/autorun"
isoinfo -J -x /AUTORUN.INF -i "$work/q3.iso" >"$work/autorun.pressed"
cmp -s "$work/autorun" "$work/autorun.pressed" || fail "AUTORUN.INF is not the launcher's: $(od -c "$work/autorun.pressed" | head)"

# The same folder presses to the same bytes, whenever it is pressed.
touch "$disc/README.TXT"
"$mkdisc" --date 1998-12-08 "$disc" "$work/again.iso" && cmp -s "$work/q3.iso" "$work/again.iso" ||
    fail "two presses of one folder differ"
SOURCE_DATE_EPOCH=913075200 "$mkdisc" "$disc" "$work/epoch.iso" && cmp -s "$work/q3.iso" "$work/epoch.iso" ||
    fail "SOURCE_DATE_EPOCH of the same day presses other bytes"

# A folder's own AUTORUN.INF stays as it is.
printf '[autorun]\r\nopen=SETUP.EXE\r\n' >"$disc/autorun.inf"
"$mkdisc" --volume GAME_1 "$disc" "$work/own.iso" || fail "pressing with an own AUTORUN.INF"
isoinfo -J -x /autorun.inf -i "$work/own.iso" | cmp -s - "$disc/autorun.inf" || fail "the folder's AUTORUN.INF was replaced"
isoinfo -d -i "$work/own.iso" | grep -q "^Volume id: GAME_1$" || fail "--volume was not the label"
rm "$disc/autorun.inf"

# refused MESSAGE-PATTERN DIR [options]: no image, nothing half written.
refused() {
    local pattern=$1 dir=$2
    shift 2
    expect 1 "$pattern" "$mkdisc" "$@" "$dir" "$work/bad.iso"
    [ -e "$work/bad.iso" ] || [ -e "$work/bad.iso.part" ] && fail "an image was left for $pattern"
    rm -f "$work/bad.iso" "$work/bad.iso.part"
}
refused "is not a folder" "$work/missing"
mkdir "$work/empty"
refused "holds no launcher" "$work/empty"
cp "$programs/KRN.EXE" "$disc/"
refused "holds two launchers" "$disc"
rm "$disc/KRN.EXE"
: >"$disc/café.DAT"
refused "cannot be written in code page 932" "$disc"
rm "$disc/café.DAT"
truncate -s 4294967296 "$disc/HUGE.DAT"
refused "at most 4,294,967,295" "$disc"
rm "$disc/HUGE.DAT"
truncate -s 400000000 "$disc/BIG1.DAT" "$disc/BIG2.DAT"
refused "more than an 80-minute CD holds" "$disc"
rm "$disc/BIG1.DAT" "$disc/BIG2.DAT"
expect 1 "cannot write" "$mkdisc" "$disc" "$work/no/such/folder/x.iso"
mkdir "$work/a-folder.iso"
expect 1 "cannot write" "$mkdisc" "$disc" "$work/a-folder.iso"
expect 1 "--date wants a date" "$mkdisc" --date yesterday "$disc" "$work/x.iso"
expect 1 "--volume wants" "$mkdisc" --volume "no spaces" "$disc" "$work/x.iso"
expect_help "$mkdisc"
expect 2 "usage" "$mkdisc" "$disc"

finish "mkdisc command line"
