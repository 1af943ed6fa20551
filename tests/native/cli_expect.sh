# Shared by the command-line tests: failure counting and expectations on a
# command's exit status and message. Sourced, with $work set.
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect STATUS MESSAGE-PATTERN command...: the exit status and what stderr says.
expect() {
    local status=$1 pattern=$2
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" = "$status" ] || fail "$* exited $got, wanted $status"
    grep -q -- "$pattern" "$work/err" || fail "$* said '$(cat "$work/err")', wanted /$pattern/"
}

# expect_help TOOL: --help prints the usage on standard output and succeeds.
expect_help() {
    "$1" --help >"$work/out" 2>"$work/err" || fail "$1 --help exited $?"
    grep -q "^usage: $(basename "$1")" "$work/out" || fail "$1 --help printed '$(cat "$work/out")'"
    [ -s "$work/err" ] && fail "$1 --help wrote to stderr: $(cat "$work/err")"
}

# Prints the verdict and exits with it.
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures failures"
        exit 1
    fi
    echo "$1: all passed"
    exit 0
}
