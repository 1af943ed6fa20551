#!/bin/bash
# Builds the launcher and starts it under Wine from a demo disc folder that
# holds the program, the stand-in engine VGX.EXE and some data files.
#   ./run.sh [Q3|KRN]
# With a display, the launcher is yours to use: install, play, uninstall;
# closing it ends the demo, and its Wine prefix (build/demo/prefix) keeps
# what you installed for the next run. Without a display it runs on an Xvfb
# of its own: a screenshot goes to build/demo/<product>.png and the launcher
# is closed again.
set -eu
cd "$(dirname "$0")"
product=${1:-Q3}
case "$product" in
Q3 | KRN) ;;
*)
    echo "usage: ./run.sh [Q3|KRN]" >&2
    exit 2
    ;;
esac

tools/deps.sh
tools/build.sh

# The disc. This machine runs only the 64-bit build natively.
demo=$(pwd)/build/demo
disc="$demo/$product"
mkdir -p "$disc"
cp build/win64/"$product".EXE build/win64/VGX.EXE "$disc/"
[ -f "$disc/MOVIE.DAT" ] || head -c 3145728 /dev/urandom >"$disc/MOVIE.DAT"
[ -f "$disc/SCRIPT.DAT" ] || head -c 204800 /dev/urandom >"$disc/SCRIPT.DAT"
printf 'VARNO %s demo disc\r\n' "$product" >"$disc/README.TXT"

. tools/wine_env.sh
export VGX_LOG="$demo/vgx.log"
tests/wine/template.sh "$demo/template"

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
    export WINEPREFIX="$demo/prefix"
    [ -d "$WINEPREFIX" ] || cp -a "$demo/template" "$WINEPREFIX"
    echo "starting $product from $disc; the engine's starts are logged in $VGX_LOG"
    cd "$disc"
    /usr/lib/wine/wine64 "$product.EXE"
    /usr/lib/wine/wineserver -w
    exit 0
fi

# Headless: a fresh prefix whose desktop is a virtual one, so that Wine draws
# the window's caption and WINWAIT shares the launcher's desktop.
export WINEPREFIX="$demo/shot-prefix"
rm -rf "$WINEPREFIX"
cp -a "$demo/template" "$WINEPREFIX"
printf '\n[Software\\\\Wine\\\\Explorer] 0\n"Desktop"="Default"\n\n[Software\\\\Wine\\\\Explorer\\\\Desktops] 0\n"Default"="640x480"\n' \
    >>"$WINEPREFIX/user.reg"
cd "$disc"
xvfb=$(mktemp)
DISPLAY=$("$OLDPWD/tests/wine/xvfb.sh" "$xvfb" 24)
export DISPLAY
stop() {
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    kill "$(cat "$xvfb")" 2>/dev/null || true
    rm -f "$xvfb"
}
trap stop EXIT
/usr/lib/wine/wine64 "$product.EXE" &
title=$(/usr/lib/wine/wine64 "$OLDPWD/build/win64/WINWAIT.EXE" wait | iconv -f CP932 -t UTF-8)
sleep 1
import -window root -crop 640x480+0+0 "$demo/$product.png"
echo "$product started: \"$title\"; screenshot in build/demo/$product.png"
/usr/lib/wine/wine64 "$OLDPWD/build/win64/WINWAIT.EXE" close
echo "closed"
