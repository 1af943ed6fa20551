#!/bin/bash
# The disc tool from the command line: a disc as Windows reads it (Joliet
# names, the AUTORUN.INF, the label), the same bytes for the same folder, a
# dry run that matches the press, and one table of folders and outputs: a
# refusal leaves a clear message, no image, and everything as it was.
#   mkdisc_test.sh MKDISC PROGRAMS   (PROGRAMS: a build's Q3.EXE, KRN.EXE and VGX.EXE)
set -u
mkdisc=$1 programs=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1  # where a tool that takes "-" for a name would leave its file
. "$here/cli_expect.sh"

. "$here/../disc/disc.sh"
disc="$work/disc"
disc_folder "$programs" Q3 "$disc"
printf 'no extension\r\n' >"$disc/LICENSE"
# Larger than the blocks a press reads a file in, and not a whole number of them.
seq 1 120000 | head -c 600001 >"$disc/LARGE.DAT"
press_disc "$mkdisc" "$disc" "$work/q3.iso" || fail "pressing a disc"
isoinfo -d -i "$work/q3.iso" | grep -q "^Volume id: VARNO_Q3$" || fail "the volume label is not VARNO_Q3"
listing=$(isoinfo -J -l -i "$work/q3.iso")
for name in AUTORUN.INF EMPTY.DAT LICENSE MOVIE.DAT Q3.EXE README.TXT SAVE VGX.EXE; do
    grep -q " $name \$" <<<"$listing" || fail "$name is not on the disc under that name"
done
# Joliet keeps the Japanese name as UCS-2, which Windows shows in code page 932.
/usr/bin/python3 -c 'import sys; sys.exit("表示.DAT".encode("utf-16-be") not in open(sys.argv[1], "rb").read())' \
    "$work/q3.iso" || fail "the Joliet name 表示.DAT is not on the disc"
title=$(printf 'ＶＡＲＮＯ－Ｑ３の起動とインストール' | iconv -f UTF-8 -t CP932)
printf '[autorun]\r\nopen=Q3.EXE\r\nicon=Q3.EXE\r\nlabel=%s\r\n' "$title" >"$work/autorun"
isoinfo -J -x /AUTORUN.INF -i "$work/q3.iso" >"$work/autorun.pressed"
cmp -s "$work/autorun" "$work/autorun.pressed" || fail "AUTORUN.INF is not the launcher's: $(od -c "$work/autorun.pressed" | head)"
for name in LARGE.DAT LICENSE MOVIE.DAT Q3.EXE SAVE/SLOT1.DAT VGX.EXE; do
    isoinfo -J -x "/$name" -i "$work/q3.iso" | cmp -s - "$disc/$name" || fail "$name is not on the disc as in the folder"
done

# The same folder presses to the same bytes, whenever it is pressed, and
# options may follow the operands.
touch "$disc/README.TXT"
"$mkdisc" "$disc" "$work/again.iso" --date=1998-12-08 && cmp -s "$work/q3.iso" "$work/again.iso" ||
    fail "two presses of one folder differ"
SOURCE_DATE_EPOCH=913075200 "$mkdisc" "$disc" "$work/epoch.iso" && cmp -s "$work/q3.iso" "$work/epoch.iso" ||
    fail "SOURCE_DATE_EPOCH of the same day presses other bytes"

# A dry run lists each file as Windows shows it, with its ISO 9660 name and
# size, counts the sectors the press wrote, and writes nothing.
ls -A "$work" >"$work/before"
dry=$("$mkdisc" --dry-run --date 1998-12-08 "$disc") || fail "the dry run failed"
sectors=$(isoinfo -d -i "$work/q3.iso" | sed -n 's/^Volume size is: //p')
for want in $'表示.DAT\t__.DAT\t16' $'SAVE\\SLOT1.DAT\tSAVE/SLOT1.DAT\t12' $'MOVIE.DAT\tMOVIE.DAT\t200,000' \
    "image: $sectors sectors" "650 MB disc, 332,800 sectors: fits" "80-minute disc, 360,000 sectors: fits"; do
    grep -qF "$want" <<<"$dry" || fail "the dry run lacks '$want': $dry"
done
ls -A "$work" | cmp -s - "$work/before" || fail "the dry run wrote something"
# A name a Mac wrote decomposed is shown composed, and what --exclude leaves
# out is listed.
cp -r "$disc" "$work/mac" && : >"$work/mac/$(printf 'カ\xe3\x82\x99.DAT')" && mkdir "$work/mac/.git"
dry=$("$mkdisc" --dry-run --date 1998-12-08 --exclude .git "$work/mac") || fail "the dry run of a Mac's folder failed"
for want in $'ガ.DAT\t_.DAT\t0' "left out (--exclude): $work/mac/.git"; do
    grep -qF "$want" <<<"$dry" || fail "the dry run lacks '$want': $dry"
done
rm -rf "$work/mac"

# A folder's own AUTORUN.INF stays as it is.
printf '[autorun]\r\nopen=SETUP.EXE\r\n' >"$disc/autorun.inf"
"$mkdisc" --volume GAME_1 "$disc" "$work/own.iso" || fail "pressing with an own AUTORUN.INF"
isoinfo -J -x /autorun.inf -i "$work/own.iso" | cmp -s - "$disc/autorun.inf" || fail "the folder's AUTORUN.INF was replaced"
isoinfo -d -i "$work/own.iso" | grep -q "^Volume id: GAME_1$" || fail "--volume was not the label"
rm "$disc/autorun.inf"

# Command lines and dates a disc cannot take.
expect 2 "--date wants a day" "$mkdisc" --date yesterday "$disc" "$work/x.iso"
expect 2 "--date wants a day" "$mkdisc" --date 1998-02-30 "$disc" "$work/x.iso"
expect 2 "--date wants a day" "$mkdisc" --date 2156-01-01 "$disc" "$work/x.iso"
SOURCE_DATE_EPOCH=99999999999999 expect 1 "SOURCE_DATE_EPOCH wants" "$mkdisc" "$disc" "$work/x.iso"
expect 2 "--volume wants" "$mkdisc" --volume "no spaces" "$disc" "$work/x.iso"
expect 2 "unknown option --frobnicate" "$mkdisc" --frobnicate "$disc" "$work/x.iso"
expect 2 "wants DIR and OUT.iso" "$mkdisc" "$disc"
expect 2 "not to standard output" "$mkdisc" "$disc" -
expect 1 "standard output: No space left on device" bash -c '"$0" --dry-run "$1" >/dev/full' "$mkdisc" "$disc"
expect_help "$mkdisc"
[ -e "$work/x.iso" ] && fail "an image was left by a wrong command line"

# machine PROGRAM CODE: rewrites the machine of a program's file header.
machine() {
    local header
    header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
    printf "\\x${2:2:2}\\x${2:0:2}" | dd of="$1" bs=1 seek=$((header + 4)) conv=notrunc status=none
}

# change_when_pressed FILE grow|shrink|SIGNAL: changes FILE as soon as
# another process opens it, holding it back until then with a lease; or
# then sends SIGNAL (such as TERM) to the press, which is run to tell its
# process id.
change_when_pressed() {
    [[ $2 == grow || $2 == shrink ]] || telling=(bash -c 'echo "$$" >"$0" && exec "$@"' "$work/presser")
    /usr/bin/python3 - "$1" "$2" "$work/lease-held" "$work/presser" <<'PYTHON' &
import fcntl, os, signal, sys
path, change, held, presser = sys.argv[1:]
fd = os.open(path, os.O_RDWR)
def change_it(*_):
    if change == "grow":
        os.pwrite(fd, b"more", os.fstat(fd).st_size)
    elif change == "shrink":
        os.ftruncate(fd, 2)
    else:
        os.kill(int(open(presser).read()), getattr(signal, "SIG" + change))
    fcntl.fcntl(fd, fcntl.F_SETLEASE, fcntl.F_UNLCK)
    sys.exit(0)
signal.signal(signal.SIGIO, change_it)
signal.alarm(60)
fcntl.fcntl(fd, fcntl.F_SETLEASE, fcntl.F_WRLCK)
open(held, "w").close()
signal.pause()
PYTHON
    helper=$!
    while [ ! -e "$work/lease-held" ] && kill -0 "$helper" 2>/dev/null; do sleep 0.05; done
    rm -f "$work/lease-held"
}

# What a refusal must leave as it was: every file of the row (but the one
# the rows that change a file while it is pressed change on purpose), and
# every folder's entries.
row_state() { find "$work/row" ! -name MOVIE.DAT \( -type d -printf '%p/\n' -o -printf '%p %y %s %T@\n' \) | sort; }

# joliet_differences DIR IMAGE [LEFT-OUT]: how the image's Joliet tree
# differs from DIR's files and folders (what links lead to among them, and
# the AUTORUN.INF made for it, but those whose paths match the regular
# expression LEFT-OUT); nothing when it holds each under its path, composed.
# isoinfo shows a character beyond ASCII as _, and so the folder's are
# shown here.
joliet_differences() {
    local ascii='s/[^ -~]/_/g'
    diff <({ find -L "$1" -mindepth 1 -printf '/%P\n' && echo /AUTORUN.INF; } | grep -vE "${3:-^$}" |
        python3 -c 'import sys, unicodedata; sys.stdout.write(unicodedata.normalize("NFC", sys.stdin.read()))' |
        LC_ALL=C.UTF-8 sed "$ascii" | sort -u) <(isoinfo -J -f -i "$2" 2>&1 | sort)
}

# try_row STATUS PATTERN OPTIONS SPOIL press|dry: spoils a copy of the good
# folder, $d, with SPOIL (which may also move $out, where an old image
# lies, or set left_out, what is not to be on the disc), then presses it,
# or dry-runs it.
try_row() {
    local status=$1 pattern=$2 options=$3 spoil=$4 how=$5
    local d="$work/row/disc" out="$work/row/out/old.iso" helper="" telling=() before differences left_out=
    rm -rf "$work/row" && mkdir -p "$work/row/out" && cp -r "$disc" "$d" && printf 'an old image\n' >"$out"
    eval "$spoil"
    before=$(row_state)
    if [ "$how" = dry ]; then
        expect "$status" "$pattern" "$mkdisc" --dry-run $options "$d"
    else
        expect "$status" "$pattern" "${telling[@]}" "$mkdisc" $options "$d" "$out"
    fi
    [ -n "$helper" ] && wait "$helper"
    if [ "$status" = 0 ] && [ "$how" = press ]; then
        differences=$(joliet_differences "$d" "$out" "$left_out")
        [ -z "$differences" ] || fail "the image's Joliet tree is not the folder after: $spoil: $differences"
    else
        [ "$(row_state)" = "$before" ] || fail "the $how left something changed after: $spoil"
    fi
    [ -n "$(find "$work/row" -name '*.part*')" ] && fail "a partial image was left after: $spoil"
}

j49=$(printf '表%.0s' {1..49}) j50=$(printf '表%.0s' {1..50}) longest=$(printf 'i%.0s' {1..251}).iso
# STATUS | dry run: the same, or - for a press alone | message | options | how the folder is spoiled
while IFS='|' read -r -u 3 status dry pattern options spoil; do
    [[ -z $status || $status == '#'* ]] && continue
    try_row "$status" "$pattern" "$options" "$spoil" press
    [ "$dry" = same ] && try_row "$status" "$pattern" "$options" "$spoil" dry
done 3<<'ROWS'
1|same|is not a folder||rm -rf "$d"
1|same|holds no launcher||rm "$d/Q3.EXE"
1|same|holds two launchers||cp "$programs/KRN.EXE" "$d/"
1|same|at most 4,294,967,295||truncate -s 4294967296 "$d/HUGE.DAT"
1|same|more than an 80-minute CD holds||truncate -s 400000000 "$d/BIG1.DAT" "$d/BIG2.DAT"
# Windows reads the Joliet tree: nothing may be left out of it, or of the other.
1|same|more than the 240 it holds||mkdir -p "$d/$j50/$j50/$j50"
1|same|eight levels||mkdir -p "$d/1/2/3/4/5/6/7/8" && : >"$d/1/2/3/4/5/6/7/8/DEEP.DAT"
# Every name as the folder spells it, and Windows can open it.
1|same|cannot be written in code page 932||: >"$d/café.DAT"
1|same|does not allow||: >"$d/a:b.dat" && : >"$d/a_b.dat"
1|same|does not allow||: >"$d/a;b.dat"
1|same|ends in a dot or a space||: >"$d/README."
1|same|ends in a dot or a space||: >"$d/TRAIL "
1|same|differ only in case||: >"$d/DATA.DAT" && : >"$d/data.dat"
1|same|differ only in case||cp "$d/Q3.EXE" "$d/q3.exe"
1|same|AUTORUN.INF made to start the launcher would take its name||mkdir "$d/autorun.inf"
1|same|AUTORUN.INF made to start the launcher would take its name||mkdir "$d/AUTORUN.INF"
1|same|is a device||: >"$d/CON"
1|same|is a device||: >"$d/NUL.DAT"
1|same|is a device||: >"$d/NUL .DAT"
1|same|is a device||: >"$d/Clock\$.txt"
1|same|comes back from code page 932 as ～||: >"$d/〜.DAT"
1|same|comes back from code page 932 as \\||: >"$d/¥.DAT"
# Every install copies each root file; OpenFile takes paths of up to 127 bytes.
1|same|every install would fail on||: >"$d/$j50.D"
0|same|||: >"$d/$j49.DA"
# A disc a player can play.
1|same|not a 32-bit Windows program||machine "$d/Q3.EXE" 8664
1|same|VGX.EXE is not a 32-bit Windows program||machine "$d/VGX.EXE" 8664
0|same||--allow-any-machine|machine "$d/Q3.EXE" 8664 && machine "$d/VGX.EXE" 8664
1|same|holds no VGX.EXE||rm "$d/VGX.EXE"
0|same||--allow-no-engine|rm "$d/VGX.EXE"
# KRN's string 2 is a byte longer: Q3's longest name would not fit under it.
0|same|carries a title that is not Q3.EXE's||cp "$programs/KRN.EXE" "$d/Q3.EXE"; rm "$d"/ア*.DAT
1|same|2200-01-01, .*/README.TXT's, which a disc cannot hold||touch -d 2200-01-01 "$d/README.TXT"
1|same|1960-01-01, .*, which a disc cannot hold||find "$d" -mindepth 1 -exec touch -d 1960-01-01 {} +
# A link is refused, naming what it points to, unless followed; what a link
# leads to is then held to every other refusal.
1|same|LINK.TXT is a symbolic link to ../secret.txt: a disc holds no links||printf secret >"$work/row/secret.txt" && ln -s ../secret.txt "$d/LINK.TXT"
1|same|OUTSIDE is a symbolic link to ../out||ln -s ../out "$d/OUTSIDE"
1|same|is a symbolic link to ..||ln -s .. "$d/SAVE/UP"
0|same||--follow-links|printf secret >"$work/row/secret.txt" && ln -s ../secret.txt "$d/LINK.TXT" && ln -s SAVE "$d/SAVED"
1|-|OUTSIDE/old.iso is .*old.iso, the image being made|--follow-links|ln -s ../out "$d/OUTSIDE"
1|same|UP leads back to .*/disc, a folder that holds it|--follow-links|ln -s .. "$d/SAVE/UP"
1|same|reads more where its size says 0: a pseudo-file|--follow-links|ln -s /proc/self/status "$d/STATUS.TXT"
1|same|cannot read .*GONE.TXT, a link to NOWHERE: No such file|--follow-links|ln -s NOWHERE "$d/GONE.TXT"
# Names as a Mac or a Windows archive leaves them.
0|same|||: >"$d/$(printf 'カ\xe3\x82\x99.DAT')"
1|same|are one name once composed||: >"$d/ガ.DAT" && : >"$d/$(printf 'カ\xe3\x82\x99.DAT')"
1|same|is not UTF-8 (read as code page 932, as a Windows archive keeps names, it is 表.DAT): name it in UTF-8||: >"$d/$(printf '\x95\x5c.DAT')"
# What a desktop or version control leaves goes on the disc only when asked.
0|same|.DS_Store is what a desktop or version control leaves||: >"$d/.DS_Store"
0|same|\.git is what a desktop or version control leaves, not the game's: .*--exclude '.git'||mkdir -p "$d/.git/refs" && : >"$d/.git/HEAD"
0|same||--exclude=.git --exclude=._*|mkdir -p "$d/.git" && : >"$d/.git/HEAD" && : >"$d/SAVE/._SLOT1.DAT" && left_out='/\.git|/\._'
1|same|holds no launcher|--exclude=Q3.EXE|
0|same||--exclude=thumbs.db|: >"$d/SAVE/THUMBS.DB" && left_out='/THUMBS\.DB'
0|same|--exclude \*.PSD left nothing out|--exclude=*.PSD|
2|same|--exclude wants a pattern of names, matched in every folder, not a path: SAVE/\*|--exclude=SAVE/*|
1|same|A\\x1BB.DAT holds a character Windows does not allow||: >"$d/$(printf 'A\x1bB.DAT')"
1|same|A\\xC2\\x9BB.DAT cannot be written in code page 932||: >"$d/$(printf 'A\xc2\x9bB.DAT')"
# A folder's own AUTORUN.INF goes on as it is; one that does not start the
# launcher is warned of.
0|same|AUTORUN.INF opens SETUP.EXE, not the launcher Q3.EXE||printf '[autorun]\r\nopen=SETUP.EXE\r\n' >"$d/AUTORUN.INF"
0|same|AUTORUN.INF has no \[autorun\] section||: >"$d/AUTORUN.INF"
0|same|AUTORUN.INF has no open= in its \[autorun\] section||printf '[AutoRun]\nicon=Q3.EXE\n' >"$d/AUTORUN.INF"
0|same|||printf '[Other]\r\nopen=X.EXE\r\n[AutoRun]\r\n Open = ".\\q3.exe" /x\r\n' >"$d/AUTORUN.INF"
0|same|||printf '[autorun]\ropen=Q3\r' >"$d/AUTORUN.INF"
0|same|||python3 -c 'import sys; open(sys.argv[1], "wb").write("[autorun]\r\nopen=Q3.EXE\r\n".encode("utf-16"))' "$d/AUTORUN.INF"
# The files as they were when the press began.
1|-|changed while it was pressed, from 200000 to 200004 bytes||change_when_pressed "$d/MOVIE.DAT" grow
1|-|changed while it was pressed, from 200000 to 2 bytes||change_when_pressed "$d/MOVIE.DAT" shrink
# Stopped, it leaves no partial image.
143|-|||change_when_pressed "$d/MOVIE.DAT" TERM
# Only ever a new image, beside the folder.
1|-|lies inside||out="$d/VGX.EXE"
1|-|exists and is not a regular file||mkfifo "$work/row/out/fifo.iso" && out="$work/row/out/fifo.iso"
1|-|exists and is not a regular file||ln -s old.iso "$work/row/out/link.iso" && out="$work/row/out/link.iso"
1|-|exists and is not a regular file||mkdir "$work/row/out/folder.iso" && out="$work/row/out/folder.iso"
1|-|cannot write .*: No such file or directory||out="$work/row/out/no/such/folder/x.iso"
0|-|||out="$work/row/out/$longest"
ROWS

finish "mkdisc command line"
