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

# Prints the verdict and exits with it.
finish() {
    if [ "$failures" -gt 0 ]; then
        echo "$failures failures"
        exit 1
    fi
    echo "$1: all passed"
    exit 0
}
