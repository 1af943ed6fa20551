#!/bin/bash
# The tests' Wine prefix: a whole one is reused, a damaged one is
# made again, and a wineboot that breaks it twice fails with what broke.
# A fake wineboot stands in for the real one.
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/prefix.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

calls="$work/calls"
# Writes what a whole prefix holds, as far as prefix_fault looks.
whole_wineboot() {
    echo made >>"$calls"
    mkdir -p "$WINEPREFIX/drive_c/windows/system32" "$WINEPREFIX/drive_c/windows/syswow64"
    for file in system.reg user.reg userdef.reg; do
        printf 'WINE REGISTRY Version 2\n;; All keys relative to somewhere\n' >"$WINEPREFIX/$file"
    done
    printf '[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows NT\\\\CurrentVersion] 1\n' >>"$WINEPREFIX/system.reg"
    for dll in system32/kernel32 system32/user32 syswow64/kernel32 syswow64/user32 syswow64/gdi32 syswow64/advapi32; do
        echo MZ >"$WINEPREFIX/drive_c/windows/$dll.dll"
    done
}
# What the crashed emulated wineboot left: system32 with one program.
crashed_wineboot() {
    echo made >>"$calls"
    mkdir -p "$WINEPREFIX/drive_c/windows/system32/drivers"
    echo MZ >"$WINEPREFIX/drive_c/windows/system32/winedevice.exe"
}
made() { [ -f "$calls" ] && wc -l <"$calls" || echo 0; }

# expect CASE WINEBOOT CALLS STATUS TEXT: runs ensure_prefix on $prefix
expect() {
    local what=$1 wineboot=$2 calls_wanted=$3 status_wanted=$4 text=$5 output status
    rm -f "$calls"
    output=$(WINE_WINEBOOT=$wineboot ensure_prefix "$prefix")
    status=$?
    [ "$status" = "$status_wanted" ] || fail "$what: status $status, wanted $status_wanted ($output)"
    [ "$(made)" = "$calls_wanted" ] || fail "$what: wineboot ran $(made) times, wanted $calls_wanted"
    case $output in *"$text"*) ;; *) fail "$what: said \"$output\", wanted \"$text\"" ;; esac
}

prefix="$work/prefix"
expect "no prefix yet" whole_wineboot 1 0 "making the Wine prefix"
[ -z "$(prefix_fault "$prefix")" ] || fail "the made prefix is not whole: $(prefix_fault "$prefix")"
expect "a whole prefix" whole_wineboot 0 0 ""

rm "$prefix/drive_c/windows/syswow64/kernel32.dll"
expect "no 32-bit kernel32" whole_wineboot 1 0 "syswow64/kernel32.dll is missing): making it again"
: >"$prefix/system.reg"
expect "an empty system.reg" whole_wineboot 1 0 "system.reg is missing or is not a registry file"
sed -i '/Wow6432Node/d' "$prefix/system.reg"
expect "no 32-bit keys" whole_wineboot 1 0 "lacks the keys of the 32-bit half"

rm -rf "$prefix"
expect "a wineboot that crashes" crashed_wineboot 2 1 \
    "wineboot made a broken prefix twice: system.reg is missing or is not a registry file"
[ -d "$prefix" ] && fail "a broken prefix was left behind"

# A Wine process that outlives wineboot (a service it started) must not
# keep the template's lock: every later test would wait for it.
lingering_wineboot() {
    whole_wineboot
    sleep 30 </dev/null >/dev/null 2>&1 &
    echo $! >"$work/lingering"
}
export -f whole_wineboot lingering_wineboot
export calls work
WINE_WINEBOOT=lingering_wineboot "$here/template.sh" "$prefix" 2>/dev/null || fail "template.sh failed"
flock -n "$prefix.lock" true || fail "a process that wineboot left running holds the template's lock"
kill "$(cat "$work/lingering")"

[ "$failures" = 0 ] && echo "prefix_test: passed"
exit $((failures > 0))
