#!/bin/bash
# The smoke suite of the shipping programs: build/win32/Q3.EXE, KRN.EXE and
# VGX.EXE themselves, driven by the 64-bit smoke_test.exe under Wine; Q3 runs
# from its disc, pressed from the shipping programs and mounted as drive D:. This
# kernel cannot run 32-bit code, so qemu's user-mode emulator runs the
# 32-bit programs (about a minute and a half per process start); the driver
# and Wine's own processes stay native. The script installs the i386
# packages, registers the emulator with binfmt_misc for its own run and
# unregisters it afterwards, and keeps its prefix (made once per build tree,
# see prefix.sh) whole.
#
# Exit status: 0 passed, 1 failed, 77 skipped (the reason is printed).
#   SKIP_SMOKE32=1   skip it (for a quick local run; CI runs it)
#   DISPLAY          an X server of its own (its windows must not cover
#                    another test's)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
began=$(date +%s)
skip() {
    echo "smoke32: SKIPPED: $*"
    exit 77
}
[ -n "${SKIP_SMOKE32:-}" ] && skip "SKIP_SMOKE32 is set"
[ -n "${DISPLAY:-}" ] || { echo "smoke32: no X display"; exit 1; }
driver="$root/build/win64/smoke_test.exe"
[ -f "$driver" ] || { echo "smoke32: $driver is missing"; exit 1; }

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

. "$root/tools/wine_env.sh"
. "$root/tests/smoke32/prefix.sh"
. "$root/tests/wine/cdrom.sh"
# Without a reserved guest address space, 32-bit Wine cannot map its shared
# user data under the emulator.
export QEMU_RESERVED_VA=0xf0000000
prefix=$(mktemp -d "${TMPDIR:-/tmp}/wine-smoke32.XXXXXX")
cdrom=""
finish() {
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k 2>/dev/null
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -w 2>/dev/null
    [ -n "$cdrom" ] && unmount_cdrom "$prefix"
    rm -rf "$prefix"
    unregister
}
trap finish EXIT

ensure_prefix "$root/build/wine-smoke32-template" || exit 1
cp -a "$root/build/wine-smoke32-template/." "$prefix/"
export WINEPREFIX="$prefix"
if "$root/tests/disc/press.sh" "$root/build/native/tools/mkdisc" "$root/build/win32" "$prefix/discs" >/dev/null &&
    mount_cdrom "$prefix/discs/Q3.iso" "$prefix"; then
    cdrom=1
    echo "smoke32: Q3 runs from its pressed disc in drive D:"
else
    echo "smoke32: the disc cannot be mounted here: Q3 runs from a folder"
fi

echo "smoke32: running the shipping programs (each 32-bit process start takes a minute or two)"
# The driver starts the programs of this folder rather than its own.
export TEST_PROGRAM_DIR="Z:${root//\//\\}\\build\\win32"
cd "$root/build/win64"
timeout 2700 /usr/lib/wine/wine64 smoke_test.exe
status=$?
echo "smoke32: finished in $(($(date +%s) - began)) s"
exit $status
