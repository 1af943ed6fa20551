#!/bin/bash
# Installs what the tests need, builds everything and runs every test, then
# prints one summary:
#   native    picture codec, tools and portable arithmetic (GoogleTest, ctest),
#             and what the shipping programs import
#   fuzz      a short libFuzzer run of each target under AddressSanitizer
#   wine      every Windows test on the shipping 32-bit build: its programs
#             driven end to end, and the in-process tests built 32-bit; the
#             32-bit processes run under qemu's user-mode emulator
#   wine64    the smoke suite on the 64-bit build of the same sources
#
#   FUZZ_SECONDS=N   how long each fuzz target runs (default 20)
set -u
cd "$(dirname "$0")"
root=$(pwd)
start=$(date +%s)
logs="$root/build/test-logs"

tools/deps.sh || exit 1
tools/build.sh --fuzz || { echo "build failed"; exit 1; }
mkdir -p "$logs"

names=() results=() details=() times=()
record() {  # record NAME LOG STATUS SECONDS [NOTE]: a stage's outcome for the summary
    names+=("$1")
    times+=("$4 s")
    case $3 in
    0) results+=("passed") ;;
    77) results+=("skipped") ;;
    *) results+=("FAILED") ;;
    esac
    details+=("$(grep -E 'tests passed|Done [0-9]+ runs|SKIPPED' "$2" | tail -n 1)${5:+  $5}")
}
stage() {  # stage NAME LOG NOTE COMMAND...: runs a stage, keeps its log and its outcome
    local name=$1 log=$2 note=$3 began
    shift 3
    began=$(date +%s)
    echo "== $name"
    "$@" 2>&1 | tee "$log"
    record "$name" "$log" "${PIPESTATUS[0]}" "$(($(date +%s) - began))" "$note"
}

# X servers, ours, stopped by their process ids: a 24-bit one and an 8-bit
# one (a palette device).
xvfb24=$(mktemp) xvfb8=$(mktemp) registered=""
finish() {
    for f in "$xvfb24" "$xvfb8"; do [ -s "$f" ] && kill "$(cat "$f")" 2>/dev/null; rm -f "$f"; done
    [ -n "$registered" ] && tests/wine/emulator.sh off
}
trap finish EXIT
DISPLAY=$(tests/wine/xvfb.sh "$xvfb24" 24) && DISPLAY8=$(tests/wine/xvfb.sh "$xvfb8" 8) || {
    echo "cannot start Xvfb"
    exit 1
}
export DISPLAY DISPLAY8 WINE_TEMPLATE="$root/build/wine-template"

# The emulator, before the prefix is made: only a prefix made while it is
# registered gets its 32-bit half.
emulator=$(tests/wine/emulator.sh on 2>&1)
emulator_status=$?
[ "$emulator" = registered ] && registered=1
[ $emulator_status = 0 ] && { tests/wine/template.sh "$WINE_TEMPLATE" || exit 1; }
# Without the emulator nothing of Windows can run here: a local run says so
# and skips, CI fails.
windows() {
    if [ $emulator_status != 0 ]; then
        echo "$emulator"
        [ -n "${CI:-}" ] && return 1
        echo "SKIPPED: the Windows tests need the emulator"
        return 77
    fi
    "$@"
}

native() {  # the native trees, and the shipping programs' files read natively
    ctest --test-dir build/win32 -L native --output-on-failure &&
        ctest --test-dir build/native --output-on-failure -j "$(nproc)"
}
stage native "$logs/native.log" "" native
stage fuzz "$logs/fuzz.log" "" tests/fuzz/run.sh build/fuzz "${FUZZ_SECONDS:-20}"
# The Windows tests mostly wait for Wine's processes: twice as many as cores.
stage wine "$logs/wine.log" "on build/win32" windows \
    ctest --test-dir build/win32 -L wine --output-on-failure -j "$(($(nproc) * 2))" --timeout 600
stage wine64 "$logs/wine64.log" "on build/win64" windows \
    ctest --test-dir build/win64 -L wine --output-on-failure -j "$(nproc)" --timeout 600

echo
echo "== summary ($(($(date +%s) - start)) s in all; logs in build/test-logs)"
failed=0
for i in "${!names[@]}"; do
    printf '  %-8s %-7s %6s  %s\n' "${names[$i]}" "${results[$i]}" "${times[$i]}" "${details[$i]}"
    [ "${results[$i]}" = FAILED ] && failed=1
done
exit $failed
