#!/bin/sh
# Runs one Windows program (32-bit or 64-bit) under Wine in a prefix of its
# own, copied from a ready template, and ends that prefix's server
# afterwards. ctest uses it as the emulator of every Windows test; the exit
# status is the program's.
#
#   WINE_TEMPLATE  ready prefix to copy (made on first use if missing)
#   DISPLAY        the X server (an Xvfb started by tests/wine/xvfb.sh)
#   WINE_DEPTH=8   use the 8-bit X server in DISPLAY8 instead
#   WINE_SMALL_DRIVE=SIZE   map drive T: to a tmpfs of that size (such as
#                  256k), for tests of a full drive; where mounting is not
#                  permitted T: is missing and those tests skip themselves
#   WINE_CDROM=IMAGE  show the disc image as CD-ROM drive D: (see cdrom.sh);
#                  where FUSE is missing D: is too, and those tests skip
#   CI             set: a drive that cannot be had fails the test instead
set -u
here=$(cd "$(dirname "$0")" && pwd)
template=${WINE_TEMPLATE:-$here/../../build/wine-template}
if [ "${WINE_DEPTH:-24}" = 8 ]; then
    DISPLAY=${DISPLAY8:-}
fi
if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no X display; start one with tests/wine/xvfb.sh (without it every dialog fails at once)" >&2
    exit 1
fi
"$here/template.sh" "$template" || exit 1
. "$here/env.sh"

prefix=$(mktemp -d "${TMPDIR:-/tmp}/wine-test.XXXXXX")
copy_prefix "$template" "$prefix" || exit 1
# A drive the test needs and cannot have: said, and under CI a failure.
lacking() {
    echo "run.sh: $*" >&2
    if [ -n "${CI:-}" ]; then
        rm -rf "$prefix"
        exit 1
    fi
}
if [ "${WINE_DEPTH:-24}" = 8 ]; then
    # Without a window manager nobody installs a window's colormap, so Wine
    # keeps its own: the system palette then changes as on a palette device.
    printf '\n[Software\\\\Wine\\\\X11 Driver] 0\n"PrivateColorMap"="Y"\n' >>"$prefix/user.reg"
fi
small=""
if [ -n "${WINE_SMALL_DRIVE:-}" ]; then
    mkdir "$prefix/small"
    if mount -t tmpfs -o "size=$WINE_SMALL_DRIVE" tmpfs "$prefix/small" 2>/dev/null; then
        small="$prefix/small"
        ln -s "$small" "$prefix/dosdevices/t:"
    else
        lacking "mounting a tmpfs is not permitted here, so drive T: is missing"
    fi
fi
cdrom=""
if [ -n "${WINE_CDROM:-}" ]; then
    . "$here/cdrom.sh"
    mount_cdrom "$WINE_CDROM" "$prefix" && cdrom=1 || lacking "the disc cannot be mounted as drive D:"
fi
export WINEPREFIX="$prefix" DISPLAY
# A program that fails before it has printed a word has not run: a Wine
# start that failed (seen, rarely, under load, without a word from Wine;
# every program run here prints first thing). It is started once more, and
# said; so is a listing of tests that failed, which is no test. A program
# that hangs is ended here, so that its prefix and server go too: after
# WINE_TIME_LIMIT seconds, a listing after 45 (ctest allows it 200, for
# both tries). The output goes to files, not to pipes, which Wine's
# services would hold open until their server ends; Wine's errors stay
# apart from the program's words, which ctest reads for the tests' names.
output="$prefix.out" errors="$prefix.err"
limit=${WINE_TIME_LIMIT:-0} listing=""
[ "${2:-}" = --gtest_list_tests ] && limit=45 listing=1
for attempt in 1 2; do
    if [ "$limit" -gt 0 ]; then
        timeout --foreground -k 10 "$limit" "$WINE64" "$@"
    else
        "$WINE64" "$@"
    fi >"$output" 2>"$errors"
    status=$?
    [ $status = 0 ] || [ $attempt = 2 ] && break
    if [ $status = 124 ]; then
        said="did not end within $limit s"
    elif [ ! -s "$output" ] || [ -n "$listing" ]; then
        said="ended with $status"
    else
        break
    fi
    cat "$errors" >&2
    printf 'run.sh: %s %s; starting it again\n' "$1" "$said" >&2
    wine_stop
done
cat "$output"
cat "$errors" >&2
rm -f "$output" "$errors"
wine_stop
[ -n "$small" ] && umount "$small"
[ -n "$cdrom" ] && unmount_cdrom "$prefix"
rm -rf "$prefix"
exit $status
