#!/bin/bash
# Installs what the tests need, builds it, runs the tests and prints one
# summary.
#
#   ./test.sh                     every stage
#   ./test.sh STAGE... [ARGS...]  those stages, ARGS going to each one's
#                                 runner: ctest's options for native, wine
#                                 and wine64 (./test.sh wine -R InstallTest),
#                                 the seconds per target for fuzz
#
#   native    picture codec, tools and portable arithmetic, and what the
#             shipping programs import (build/native, build/win32's files)
#   fuzz      a short libFuzzer run of each target under the sanitizers
#   wine      every Windows test on the shipping 32-bit build, under Wine
#   wine64    the disc tests and the missing-engine test on the 64-bit build
#
#   FUZZ_SECONDS=N   how long each fuzz target runs (default 20)
#   WINE_EMULATE=1   32-bit programs under the emulator even where the
#                    kernel runs them itself
#   CI=true          a capability or package the tests need and lack fails
#                    them; a local run skips them
#
# What cannot be installed stops only the stages that need it: each of
# those is not run, its summary line saying why, and every other one runs.
set -u
cd "$(dirname "$0")"
root=$(pwd)
start=$(date +%s)
logs="$root/build/test-logs"

stages=()
while [ $# -gt 0 ]; do
    case $1 in
    native | fuzz | wine | wine64) stages+=("$1") ;;
    *) break ;;
    esac
    shift
done
[ ${#stages[@]} -gt 0 ] || stages=(native fuzz wine wine64)
wants() { [[ " ${stages[*]} " == *" $1 "* ]]; }

# What each stage needs: cmake/deps.sh's groups, and the trees it runs on.
declare -A needs=([native]="build" [fuzz]="build fuzz" [wine]="build wine wine32" [wine64]="build wine")
declare -A trees=([native]="native win32" [fuzz]="fuzz" [wine]="native win32" [wine64]="native win64")
mkdir -p "$logs"

# What can be installed is; deps.sh names each group that cannot be. One
# that failed without naming any is broken, and fails every stage.
lacking="$logs/lacking-packages" broken=""
: >"$lacking"
# shellcheck disable=SC2046
DEPS_LACKING=$lacking cmake/deps.sh $(for stage in "${stages[@]}"; do echo "${needs[$stage]}"; done) ||
    [ -s "$lacking" ] || broken="cmake/deps.sh failed without naming what it lacks (see its output above)"

# Why a stage cannot run: the first group it needs that could not be
# installed (a local run skips it, CI fails it), or a tree of its that did
# not build (which fails).
declare -A why=() skippable=() built=()
for stage in "${stages[@]}"; do
    why[$stage]=$broken
    for group in ${needs[$stage]}; do
        [ -z "$broken" ] || break
        why[$stage]=$(awk -F '\t' -v group="$group" '$1 == group { print $2; exit }' "$lacking")
        [ -z "${why[$stage]}" ] || { skippable[$stage]=1 && break; }
    done
    for tree in ${trees[$stage]}; do
        [ -z "${why[$stage]}" ] || break
        [ -n "${built[$tree]:-}" ] || { cmake/build.sh "$tree"; built[$tree]=$?; }
        [ "${built[$tree]}" = 0 ] || why[$stage]="the build of build/$tree failed"
    done
done
runs() { wants "$1" && [ -z "${why[$1]}" ]; }

names=() results=() details=() times=()
record() {  # record NAME LOG STATUS SECONDS [NOTE]: a stage's outcome for the summary
    local skipped
    names+=("$1")
    times+=("$4 s")
    case $3 in
    0) results+=("passed") ;;
    77) results+=("skipped") ;;
    *) results+=("FAILED") ;;
    esac
    skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$2" | paste -sd ' ')
    details+=("$(grep -E 'tests passed|Done [0-9]+ runs|SKIPPED|^FAILED: ' "$2" | tail -n 1)${5:+  $5}${skipped:+
           skipped: $skipped}")
}
stage() {  # stage NAME NOTE COMMAND...: runs a stage, or says why it cannot; keeps its log and its outcome
    local name=$1 note=$2 log="$logs/$1.log" began
    shift 2
    [ -z "${why[$name]}" ] || { note="" && set -- not_run "${why[$name]}" "${skippable[$name]:-}"; }
    began=$(date +%s)
    echo "== $name"
    "$@" 2>&1 | tee "$log"
    record "$name" "$log" "${PIPESTATUS[0]}" "$(($(date +%s) - began))" "$note"
}

# A stage that cannot run says why in one line: SKIPPED where a local run
# may skip it, else FAILED.
not_run() {
    if [ -n "$2" ] && [ -z "${CI:-}" ]; then
        echo "SKIPPED: $1"
        return 77
    fi
    echo "FAILED: $1"
    return 1
}

# The Windows session, for the Wine stages only. The 32-bit programs are
# set up and started first only for the wine stage; where they cannot run,
# that stage is not run (a local run skips it, CI fails it), and the wine64
# stage, which needs none, runs in a 64-bit session of its own.
declare -A session=([wine]=0 [wine64]=0) session_why=()
if runs wine || runs wine64; then
    runs wine || export WINE_64_ONLY=1
    . tests/wine/session.sh
    trap end_windows_session EXIT
    windows_session
    status=$?
    session[wine]=$status session[wine64]=$status
    session_why[wine]=$windows_session_why session_why[wine64]=$windows_session_why
    if [ "${session[wine]}" = 1 ] && runs wine64; then
        end_windows_session
        unset WINE_EMULATE
        [ -z "${WINE_TEMPLATE:-}" ] || export WINE_TEMPLATE=${WINE_TEMPLATE%-emulated}
        export WINE_64_ONLY=1
        windows_session
        session[wine64]=$? session_why[wine64]=$windows_session_why
    fi
fi
windows() {  # windows STAGE COMMAND...: runs the command in the stage's session
    local name=$1
    shift
    case ${session[$name]} in
    0) "$@" ;;
    1) not_run "the 32-bit programs cannot run here: ${session_why[$name]}" skippable ;;
    *) not_run "no Windows session: ${session_why[$name]}" "" ;;
    esac
}

args=("$@")
native() {
    ctest --test-dir build/native --output-on-failure -j "$(nproc)" "${args[@]}"
}
# The Windows tests mostly wait for Wine's processes: twice as many as cores.
wine_tests() {
    ctest --test-dir "build/$1" -L wine --output-on-failure -j "$(($(nproc) * 2))" --timeout 600 "${args[@]}"
}
wants native && stage native "" native
wants fuzz && stage fuzz "" tests/fuzz/run.sh build/fuzz "${args[0]:-${FUZZ_SECONDS:-20}}"
wants wine && stage wine "on build/win32" windows wine wine_tests win32
wants wine64 && stage wine64 "on build/win64" windows wine64 wine_tests win64

echo
echo "== summary ($(($(date +%s) - start)) s in all; logs in build/test-logs)"
failed=0
for i in "${!names[@]}"; do
    printf '  %-8s %-7s %6s  %s\n' "${names[$i]}" "${results[$i]}" "${times[$i]}" "${details[$i]}"
    [ "${results[$i]}" = FAILED ] && failed=1
done
runs wine && [ "${session[wine]}" = 0 ] && [ -n "${session_32bit:-}" ] && echo "  32-bit Windows programs: $session_32bit"
exit $failed
