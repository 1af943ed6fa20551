#!/bin/bash
# Builds the launcher, presses the product's demo disc with mkdisc and
# starts the launcher from it under Wine, as a player would: the shipping
# 32-bit program (under the emulator where the kernel cannot run it), the
# image mounted read-only as CD-ROM drive D:, the launcher D:\<product>.EXE
# with D:\ current. Where 32-bit Wine or the emulator cannot be had, the
# demo says so and runs the 64-bit build of the same sources.
#   ./run.sh [Q3|KRN]
# With a display, the launcher is yours to use: install, play, uninstall;
# closing it ends the demo, and its Wine prefix (build/demo/prefix, or
# prefix-win64) keeps what you installed for the next run. Without one it runs on an Xvfb of its
# own: a screenshot goes to build/demo/<product>.png and the launcher is
# closed again. Where FUSE is missing the image cannot be mounted, and the
# demo says so and runs from the disc's folder instead.
# Where a step fails, the demo's last line names it and why.
set -eEu
cd "$(dirname "$0")"
product=${1:-Q3}
case "$product" in
Q3 | KRN) ;;
*)
    echo "usage: ./run.sh [Q3|KRN]" >&2
    exit 2
    ;;
esac

root=$(pwd)
demo="$root/build/demo"
mkdir -p "$demo"

# The step under way, and why it failed where it knows better than the
# command that did; cleanup undoes what the steps so far have done.
step="" why="" cleanup=""
trap 'why=${why:-"$BASH_COMMAND ended with status $?"}' ERR
finish() {
    local status=$?
    [ -z "$cleanup" ] || "$cleanup" || true
    [ "$status" = 0 ] || echo "run.sh: the demo stopped at $step: ${why:-it ended with status $status}" >&2
}
trap finish EXIT
# said COMMAND...: runs it in this shell; where it fails, the last line it
# wrote to stderr is why.
said() {
    local errors="$demo/errors" status=0
    "$@" 2>"$errors" || status=$?
    cat "$errors" >&2
    [ "$status" = 0 ] || why=$(grep . "$errors" | tail -n 1)
    rm -f "$errors"
    return "$status"
}

step="the packages"
lacking="$demo/lacking-packages"
: >"$lacking"
DEPS_LACKING=$lacking cmake/deps.sh build wine wine32 || [ -s "$lacking" ] || { why="cmake/deps.sh failed"; exit 1; }
why=$(awk -F '\t' '$1 != "wine32" { print $2; exit }' "$lacking")
[ -z "$why" ] || exit 1

step="the build"
cmake/build.sh 2>&1 | tee "$demo/build.log"
[ "${PIPESTATUS[0]}" = 0 ] || {
    why=$(grep -m 1 -E 'error|Error' "$demo/build.log" || echo "cmake/build.sh failed")
    exit 1
}

# The disc holds the shipping 32-bit programs; only where this machine
# cannot run them does the demo take the 64-bit build instead.
. tests/wine/session.sh
cleanup=end_windows_session
build=win32
if grep -q '^wine32' "$lacking"; then
    echo "32-bit Wine cannot be installed: the demo runs the 64-bit build instead"
    build=win64
elif ! allow_32bit; then
    echo "$windows_session_why"
    echo "this machine cannot run 32-bit programs: the demo runs the 64-bit build instead"
    build=win64
fi
[ "$build" = win32 ] || export WINE_64_ONLY=1

step="the pressing"
folder="$demo/$product"
. tests/disc/disc.sh
disc_folder build/$build "$product" "$folder"
# The 64-bit build's launcher goes on the demo disc on purpose.
options=()
[ "$build" = win32 ] || options=(--allow-any-machine)
said press_disc build/native/bin/mkdisc "$folder" "$demo/$product.iso" "${options[@]}"
echo "pressed build/demo/$product.iso ($(stat -c %s "$demo/$product.iso") bytes)"

case $build in win32) step="the 32-bit programs" ;; *) step="the Wine prefix" ;; esac
. tests/wine/env.sh
. tests/wine/cdrom.sh
export VGX_LOG="$demo/vgx.log"
template="$demo/template-$build"
said make_template "$template"

interactive=""
[ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ] && interactive=1
if [ -n "$interactive" ]; then
    # Kept for the next run: the 64-bit build's apart, since a prefix made
    # without 32-bit Wine has no 32-bit half.
    export WINEPREFIX="$demo/prefix"
    [ "$build" = win32 ] || WINEPREFIX="$demo/prefix-win64"
    [ -d "$WINEPREFIX" ] || copy_prefix "$template" "$WINEPREFIX" || {
        rm -rf "$WINEPREFIX"  # half a prefix would be taken for one next time
        why="cannot copy the Wine prefix $template to $WINEPREFIX"
        exit 1
    }
else
    # A fresh prefix whose desktop is a virtual one, so that Wine draws the
    # window's caption and WINWAIT shares the launcher's desktop.
    export WINEPREFIX="$demo/shot-prefix"
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    copy_prefix "$template" "$WINEPREFIX" || {
        why="cannot copy the Wine prefix $template to $WINEPREFIX"
        exit 1
    }
    printf '\n[Software\\\\Wine\\\\Explorer] 0\n"Desktop"="Default"\n\n[Software\\\\Wine\\\\Explorer\\\\Desktops] 0\n"Default"="640x480"\n' \
        >>"$WINEPREFIX/user.reg"
    step="the display"
    said start_x DISPLAY 24
fi
# A kernel that runs the probe may still fail 32-bit Wine: a first start
# says so here, not as a window that never shows.
if [ "$build" = win32 ]; then
    step="the 32-bit programs"
    WINE_TEMPLATE=$template first_start 'C:\windows\syswow64\cmd.exe' || {
        why=$windows_session_why
        exit 1
    }
fi
step="the launcher"
# Wine draws the caption's buttons with Marlett. Debian's fonts-wine keeps it
# in /usr/share/wine/fonts, where this Wine does not look for fonts; the
# prefix's Fonts folder is where it does (without it the close box is an r).
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
wine_stop
rm -f "$WINEPREFIX/dosdevices/d:"
mounted=""
if mount_cdrom "$demo/$product.iso" "$WINEPREFIX"; then
    mounted=1
    disc='D:\'
else
    echo "cannot mount the image here: starting from its folder, build/demo/$product, instead"
    disc="Z:${folder//\//\\}\\"
fi
stop() {
    wine_stop
    [ -n "$mounted" ] && unmount_cdrom "$WINEPREFIX"
    [ -n "$interactive" ] || rm -rf "$WINEPREFIX"
    end_windows_session
}
cleanup=stop

if [ -n "$interactive" ]; then
    echo "starting $disc$product.EXE; the engine's starts are logged in $VGX_LOG"
    "$WINE64" start /d "$disc" /wait "$disc$product.EXE"
    "$WINESERVER" -w
    exit 0
fi
"$WINE64" start /d "$disc" "$disc$product.EXE"
"$WINE64" "$root/build/win64/WINWAIT.EXE" wait >"$demo/title" 2>/dev/null || {
    why="its window did not appear"
    exit 1
}
title=$(iconv -f CP932 -t UTF-8 "$demo/title")
sleep 1
import -window root -crop 640x480+0+0 "$demo/$product.png"
echo "$product ($build) started from $disc: \"$title\"; screenshot in build/demo/$product.png"
"$WINE64" "$root/build/win64/WINWAIT.EXE" close
echo "closed"
