# Shared by the command-line tests: failure counting and expectations on a
# command's exit status and message. Sourced, with $work set.
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# expect STATUS MESSAGE-PATTERN command...: the exit status and what stderr
# says; an empty pattern wants it to say nothing.
expect() {
    local status=$1 pattern=$2
    shift 2
    "$@" >"$work/out" 2>"$work/err"
    local got=$?
    [ "$got" = "$status" ] || fail "$* exited $got, wanted $status"
    if [ -z "$pattern" ]; then
        [ -s "$work/err" ] && fail "$* said '$(cat "$work/err")', wanted nothing"
    else
        grep -q -- "$pattern" "$work/err" || fail "$* said '$(cat "$work/err")', wanted /$pattern/"
    fi
}

# expect_help TOOL: --help prints the usage on standard output and succeeds.
expect_help() {
    "$1" --help >"$work/out" 2>"$work/err" || fail "$1 --help exited $?"
    grep -q "^usage: $(basename "$1")" "$work/out" || fail "$1 --help printed '$(cat "$work/out")'"
    [ -s "$work/err" ] && fail "$1 --help wrote to stderr: $(cat "$work/err")"
}

# expect_version TOOL: --version names the tool and its version, and succeeds.
expect_version() {
    "$1" --version >"$work/out" 2>"$work/err" || fail "$1 --version exited $?"
    grep -qx "$(basename "$1") [0-9][0-9.]*" "$work/out" || fail "$1 --version printed '$(cat "$work/out")'"
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
