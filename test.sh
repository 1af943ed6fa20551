#!/bin/bash
# Installs what the tests need, builds everything and runs every test, then
# prints one summary:
#   native    picture codec, tools and portable arithmetic (GoogleTest, ctest),
#             and what the shipping programs import
#   fuzz      a short libFuzzer run of each target under AddressSanitizer
#   wine      the 64-bit programs under 64-bit Wine: in-process and end to end
#   smoke32   the shipping 32-bit programs themselves, their 32-bit processes
#             run by qemu's user-mode emulator; it is mostly the emulator's
#             time, so it runs in the background beside the other stages,
#             on an X server of its own
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
record() {  # record NAME LOG STATUS SECONDS: a stage's outcome for the summary
    names+=("$1")
    times+=("$4 s")
    case $3 in
    0) results+=("passed") ;;
    77) results+=("skipped") ;;
    *) results+=("FAILED") ;;
    esac
    details+=("$(grep -E 'tests passed|Done [0-9]+ runs|PASSED|SKIPPED' "$2" | tail -n 1)")
}
stage() {  # stage NAME LOG COMMAND...: runs a stage, keeps its log and its outcome
    local name=$1 log=$2 began
    shift 2
    began=$(date +%s)
    echo "== $name"
    "$@" 2>&1 | tee "$log"
    record "$name" "$log" "${PIPESTATUS[0]}" "$(($(date +%s) - began))"
}

# X servers, ours, stopped by their process ids: a 24-bit and an 8-bit one
# (a palette device) for the wine stage, and one for the smoke suite.
xvfb24=$(mktemp) xvfb8=$(mktemp) xvfb32=$(mktemp)
stop_xvfb() { for f in "$xvfb24" "$xvfb8" "$xvfb32"; do [ -s "$f" ] && kill "$(cat "$f")" 2>/dev/null; rm -f "$f"; done; }
trap stop_xvfb EXIT
DISPLAY=$(tests/wine/xvfb.sh "$xvfb24" 24) && DISPLAY8=$(tests/wine/xvfb.sh "$xvfb8" 8) &&
    DISPLAY32=$(tests/wine/xvfb.sh "$xvfb32" 24) || {
    echo "cannot start Xvfb"
    exit 1
}
export DISPLAY DISPLAY8 WINE_TEMPLATE="$root/build/wine-template"
# Before the smoke suite registers the emulator: a 64-bit prefix made while
# it is registered sets up its 32-bit half too, which takes minutes.
tests/wine/template.sh "$WINE_TEMPLATE" || exit 1

smoke32_began=$(date +%s)
DISPLAY=$DISPLAY32 tests/smoke32/run.sh >"$logs/smoke32.log" 2>&1 &
smoke32=$!

native() {  # the native trees, and the shipping programs' files read natively
    ctest --test-dir build/win32 --output-on-failure &&
        ctest --test-dir build/native --output-on-failure -j "$(nproc)"
}
stage native "$logs/native.log" native
stage fuzz "$logs/fuzz.log" tests/fuzz/run.sh build/fuzz "${FUZZ_SECONDS:-20}"
# The Windows tests mostly wait for Wine's processes: twice as many as cores.
stage wine "$logs/wine.log" ctest --test-dir build/win64 --output-on-failure -j "$(($(nproc) * 2))" --timeout 600

echo "== smoke32 (in the background since $(($(date +%s) - smoke32_began)) s)"
wait "$smoke32"
smoke32_status=$?
cat "$logs/smoke32.log"
record smoke32 "$logs/smoke32.log" "$smoke32_status" "$(($(date +%s) - smoke32_began))"

echo
echo "== summary ($(($(date +%s) - start)) s in all; logs in build/test-logs)"
failed=0
for i in "${!names[@]}"; do
    printf '  %-8s %-7s %6s  %s\n' "${names[$i]}" "${results[$i]}" "${times[$i]}" "${details[$i]}"
    [ "${results[$i]}" = FAILED ] && failed=1
done
exit $failed
