#!/bin/bash
# Installs what the tests need, builds everything and runs every test, then
# prints one summary:
#   native    picture codec, tools and portable arithmetic (GoogleTest, ctest),
#             and what the shipping programs import
#   fuzz      a short libFuzzer run of each target under AddressSanitizer
#   wine      the 64-bit programs under 64-bit Wine: in-process and end to end
#   smoke32   the shipping 32-bit programs themselves, under 32-bit Wine run
#             by qemu's user-mode emulator (slow: it comes last)
#
#   FUZZ_SECONDS=N   how long each fuzz target runs (default 20)
#   SKIP_SMOKE32=1   leave out the 32-bit smoke suite (CI runs it)
set -u
cd "$(dirname "$0")"
root=$(pwd)
start=$(date +%s)
logs="$root/build/test-logs"

tools/deps.sh || exit 1
tools/build.sh --fuzz || { echo "build failed"; exit 1; }
mkdir -p "$logs"

names=() results=() details=() times=()
stage() {  # stage NAME LOG COMMAND...: runs a stage, keeps its log and its outcome
    local name=$1 log=$2 began status
    shift 2
    began=$(date +%s)
    echo "== $name"
    "$@" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
    names+=("$name")
    times+=("$(($(date +%s) - began)) s")
    case $status in
    0) results+=("passed") ;;
    77) results+=("skipped") ;;
    *) results+=("FAILED") ;;
    esac
    details+=("$(grep -E 'tests passed|Done [0-9]+ runs|PASSED|SKIPPED' "$log" | tail -n 1)")
}

native() {  # the native trees, and the shipping programs' files read natively
    ctest --test-dir build/win32 --output-on-failure &&
        ctest --test-dir build/native --output-on-failure -j "$(nproc)"
}
stage native "$logs/native.log" native
stage fuzz "$logs/fuzz.log" tests/fuzz/run.sh build/fuzz "${FUZZ_SECONDS:-20}"

# The Windows tests need X servers: a 24-bit one, and an 8-bit one for the
# palette device. Ours, stopped by their process ids.
xvfb24=$(mktemp) xvfb8=$(mktemp)
stop_xvfb() { for f in "$xvfb24" "$xvfb8"; do [ -s "$f" ] && kill "$(cat "$f")" 2>/dev/null; rm -f "$f"; done; }
trap stop_xvfb EXIT
DISPLAY=$(tests/wine/xvfb.sh "$xvfb24" 24) && DISPLAY8=$(tests/wine/xvfb.sh "$xvfb8" 8) || {
    echo "cannot start Xvfb"
    exit 1
}
export DISPLAY DISPLAY8 WINE_TEMPLATE="$root/build/wine-template"
tests/wine/template.sh "$WINE_TEMPLATE" || exit 1
stage wine "$logs/wine.log" ctest --test-dir build/win64 --output-on-failure -j "$(nproc)" --timeout 600
stage smoke32 "$logs/smoke32.log" tests/smoke32/run.sh

echo
echo "== summary ($(($(date +%s) - start)) s in all; logs in build/test-logs)"
failed=0
for i in "${!names[@]}"; do
    printf '  %-8s %-7s %6s  %s\n' "${names[$i]}" "${results[$i]}" "${times[$i]}" "${details[$i]}"
    [ "${results[$i]}" = FAILED ] && failed=1
done
exit $failed
