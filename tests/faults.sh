#!/bin/bash
# The seeded-fault run: puts each known fault of tests/faults.txt into the
# code, one at a time, rebuilds only what its tests need, runs only those
# tests, and puts the code back. A fault is caught when every check of its
# row fails; then the suite proves it can see that fault.
#
#   tests/faults.sh [PATTERN]   the rows whose fault matches PATTERN (grep -E)
#
# Prints one line per fault (caught, or MISSED and what passed) and a count.
# The tree is restored whatever happens and rebuilt at the end, where every
# check that was run must pass again.
set -u
cd "$(dirname "$0")/.."
table=tests/faults.txt
pattern=${1:-}
logs=build/fault-logs
started=$(date +%s)

cmake/deps.sh build wine wine32 || exit 1
cmake/build.sh native win32 >/dev/null || { echo "the tree does not build as it is"; exit 1; }
mkdir -p "$logs"

backup="" seeded=""
# The restored file is newer than what was built from the seed, so that
# the next build takes it again (a restored time stamp would leave the
# seeded objects standing for every later row and test run).
restore() {
    [ -n "$seeded" ] && cp "$backup" "$seeded"
    seeded=""
}
finish() {
    restore
    rm -f "$backup"
    end_windows_session 2>/dev/null
}
trap finish EXIT
trap 'exit 130' INT TERM
backup=$(mktemp)

# The Windows session, once, if any chosen row runs Windows tests.
if awk -v p="$pattern" '/^fault / { f = substr($0, 7) } /^in win32 / && (p == "" || f ~ p) { found = 1 } END { exit !found }' "$table"; then
    . tests/wine/session.sh
    windows_session || { echo "no Windows session: ${windows_session_why:-see above}"; exit 1; }
fi

# Replaces the one occurrence of `from` in `file` by `to` (\n: a new line).
seed() {
    python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = sys.argv[1], sys.argv[2], sys.argv[3].replace("\\n", "\n")
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(f"{path} holds {text.count(old)} copies of the line to change, not one")
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

# run_row: seeds the current row, runs its checks, prints its verdict.
caught=0 total=0
declare -A row_tests  # per tree, the numbers of the tests the rows ran
run_row() {
    local began verdict="caught" check tree targets tests log first passed
    [ -n "$name" ] || return 0
    [ -z "$pattern" ] || grep -qE -- "$pattern" <<<"$name" || return 0
    total=$((total + 1))
    began=$(date +%s)
    log="$logs/$total.log"
    cp -p "$file" "$backup"
    seeded=$file
    if ! seed "$file" "$from" "$to" >"$log" 2>&1; then
        verdict="MISSED (the fault cannot be seeded: $(tail -n 1 "$log"))"
    else
        for check in "${checks[@]}"; do
            tree=${check%% *} targets=${check#* } tests=${check#*: }
            targets=${targets%%:*}
            # shellcheck disable=SC2086
            if ! cmake --build "build/$tree" -j "$(nproc)" --target $targets >>"$log" 2>&1; then
                verdict="MISSED (it does not build)"
                break
            fi
            first=$(($(wc -l <"$log") + 1))
            ctest --test-dir "build/$tree" -R "$tests" --no-tests=error -j "$(nproc)" --timeout 300 \
                --output-on-failure >>"$log" 2>&1
            passed=$?
            row_tests[$tree]+=" $(tail -n +"$first" "$log" | sed -n 's/^ *Start \+\([0-9]\+\): .*/\1/p' | tr '\n' ' ')"
            if [ $passed = 0 ]; then
                verdict="MISSED (passed: $tree $tests)"
                break
            fi
            if grep -q "No tests were found" "$log"; then
                verdict="MISSED (no tests match $tree $tests)"
                break
            fi
        done
    fi
    restore
    [ "$verdict" = caught ] && caught=$((caught + 1))
    printf '%-8s %-62s %4s s\n' "${verdict%% *}" "$name" "$(($(date +%s) - began))"
    [ "$verdict" = caught ] || echo "         ${verdict#* } (log: $log)"
}

name="" checks=()
while IFS= read -r line || [ -n "$line" ]; do
    case $line in
    "fault "*)
        run_row
        name=${line#fault } file="" from="" to="" checks=()
        ;;
    "file "*) file=${line#file } ;;
    "from "*) from=${line#from } ;;
    "to "*) to=${line#to } ;;
    "to") to="" ;;
    "in "*) checks+=("${line#in }") ;;
    esac
done <"$table"
run_row

echo
echo "$caught of $total seeded faults caught in $(($(date +%s) - started)) s"
echo "rebuilding the restored tree"
clean=1
cmake/build.sh native win32 >/dev/null || { echo "FAILED   the restored tree does not build"; clean=0; }
# A check that fails without its fault proves nothing, and a seed left
# standing would be caught by the rows after it: the restored tree passes
# every check that was run.
for tree in "${!row_tests[@]}"; do
    numbers=$(tr ' ' '\n' <<<"${row_tests[$tree]}" | grep . | sort -nu | paste -sd, -)
    if ! ctest --test-dir "build/$tree" -I "0,0,0,${numbers:-0}" --no-tests=error -j "$(nproc)" --timeout 300 \
        --output-on-failure >"$logs/restored-$tree.log" 2>&1; then
        echo "FAILED   the restored tree fails checks in build/$tree (log: $logs/restored-$tree.log)"
        clean=0
    fi
done
[ $clean = 1 ] && echo "the restored tree passes every check that was run"
[ "$caught" = "$total" ] && [ $clean = 1 ]
