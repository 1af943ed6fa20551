#!/bin/bash
# The smoke suite of the shipping programs: build/win32/Q3.EXE and KRN.EXE
# themselves, driven by the 32-bit build of tests/win/smoke_test.cpp under
# 32-bit Wine. This kernel cannot run 32-bit code, so qemu's user-mode
# emulator runs it (about a minute per process start); the script installs
# the i386 packages, registers the emulator with binfmt_misc for its own run
# and unregisters it afterwards, so that 64-bit Wine keeps its speed.
#
# Exit status: 0 passed, 1 failed, 77 skipped (the reason is printed).
#   SKIP_SMOKE32=1   skip it (for a quick local run; CI runs it)
#   DISPLAY          an X server, as for the other Windows tests
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
began=$(date +%s)
skip() {
    echo "smoke32: SKIPPED: $*"
    exit 77
}
[ -n "${SKIP_SMOKE32:-}" ] && skip "SKIP_SMOKE32 is set"
[ -n "${DISPLAY:-}" ] || { echo "smoke32: no X display"; exit 1; }
[ -f "$root/build/win32/smoke_test.exe" ] || { echo "smoke32: build/win32/smoke_test.exe is missing"; exit 1; }

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }
if ! installed wine32:i386 || ! installed qemu-user-static; then
    echo "smoke32: installing wine32:i386 and qemu-user-static"
    { dpkg --add-architecture i386 && apt-get update -qq &&
        DEBIAN_FRONTEND=noninteractive apt-get install -y -qq wine32:i386 qemu-user-static; } >/dev/null ||
        skip "cannot install wine32:i386 and qemu-user-static here"
fi

binfmt=/proc/sys/fs/binfmt_misc
mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    skip "this machine does not let us mount binfmt_misc, so the emulator cannot be registered"
registered=""
unregister() { [ -n "$registered" ] && echo -1 >"$binfmt/qemu-i386" 2>/dev/null; }
if [ ! -e "$binfmt/qemu-i386" ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
        >"$binfmt/register" 2>/dev/null || skip "this machine does not let us register the emulator with binfmt_misc"
    registered=1
fi

prefix=$(mktemp -d "${TMPDIR:-/tmp}/wine32-smoke.XXXXXX")
. "$root/tools/wine_env.sh"
export WINEPREFIX="$prefix" WINEARCH=win32 QEMU_RESERVED_VA=0xf0000000
unset WINELOADER
finish() {
    /usr/lib/wine/wineserver -k 2>/dev/null
    rm -rf "$prefix"
    unregister
}
trap finish EXIT

# A 32-bit prefix, once per build tree: wineboot takes minutes emulated.
template="$root/build/wine32-template"
if [ ! -f "$template/.ready" ]; then
    echo "smoke32: making the 32-bit Wine prefix (several minutes under the emulator)"
    rm -rf "$template"
    WINEPREFIX="$template" timeout 1800 /usr/lib/wine/wine wineboot -i >/dev/null 2>&1
    WINEPREFIX="$template" /usr/lib/wine/wineserver -k 2>/dev/null
    WINEPREFIX="$template" /usr/lib/wine/wineserver -w 2>/dev/null
    [ -f "$template/system.reg" ] || { echo "smoke32: wineboot failed under the emulator"; exit 1; }
    touch "$template/.ready"
fi
cp -a "$template/." "$prefix/"

echo "smoke32: running the 32-bit smoke suite (each process start takes about a minute)"
cd "$root/build/win32"
timeout 2700 /usr/lib/wine/wine smoke_test.exe
status=$?
echo "smoke32: finished in $(($(date +%s) - began)) s"
exit $status
