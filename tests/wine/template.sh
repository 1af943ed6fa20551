#!/bin/sh
# Makes the ready Wine prefix that every test copies, once: wineboot takes
# some seconds, a copy one. Safe to call from parallel tests.
set -u
template=$1
[ -f "$template/.ready" ] && exit 0
mkdir -p "$(dirname "$template")"
exec 9>"$template.lock"
flock 9
[ -f "$template/.ready" ] && exit 0
rm -rf "$template"
. "$(dirname "$0")/../../tools/wine_env.sh"
export WINEPREFIX="$template"
unset DISPLAY
if ! /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1; then
    echo "template.sh: wineboot failed for $template" >&2
    exit 1
fi
/usr/lib/wine/wineserver -w
touch "$template/.ready"
