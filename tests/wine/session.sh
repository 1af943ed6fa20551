# The Windows session that the tests, the benchmarks, the seeded-fault run
# and the demo run their programs in: X servers of our own, a way for the
# 32-bit programs to run, and the ready prefix that every run copies.
# Sourced by bash scripts run from the project's root:
#
#   start_x VARIABLE DEPTH  starts an Xvfb of that depth and exports its
#                           display in VARIABLE (DISPLAY, DISPLAY8)
#   allow_32bit             lets 32-bit programs run: by the kernel where it
#                           can, else by the emulator (see emulator.sh);
#                           false, saying why, where neither can
#   make_template DIR       the ready prefix (after allow_32bit: a prefix
#                           gets its 32-bit half only where they can run)
#   windows_session         all three for the tests: a 24-bit display and an
#                           8-bit one (a palette device), the template in
#                           WINE_TEMPLATE (build/wine-template unless set);
#                           then a first start of a 64-bit and a 32-bit
#                           program, and where the kernel's way fails the
#                           32-bit one, the emulator instead; with
#                           WINE_64_ONLY=1, the 64-bit programs alone
#   end_windows_session     undoes what the session did: stops its X
#                           servers by their process ids and removes a
#                           registration it made
#
# windows_session_why holds why Windows programs cannot run here, when the
# session failed; session_32bit says how the 32-bit programs run.

session_pidfiles=() session_registered="" windows_session_why="" session_32bit=""

start_x() {
    local variable=$1 depth=$2 pidfile display
    pidfile=$(mktemp)
    session_pidfiles+=("$pidfile")
    display=$(tests/wine/xvfb.sh "$pidfile" "$depth") || return 1
    export "$variable=$display"
}

allow_32bit() {
    local said
    said=$(tests/wine/emulator.sh on 2>&1) || {
        windows_session_why=$said
        return 1
    }
    if [ "$said" = native ]; then
        session_32bit="by the kernel"
    else
        [ "$said" = registered ] && session_registered=1
        session_32bit="under $(/usr/bin/qemu-i386 --version | head -n 1)"
    fi
    return 0
}

# Starts a program of Wine's own as the tests start theirs, within a
# minute: a way of running programs that does not work here shows now,
# said, instead of as a test program whose listing hangs.
first_start() {
    local said
    said=$(WINE_TIME_LIMIT=60 tests/wine/run.sh "$1" /c echo started 2>&1) &&
        case $said in *started*) return 0 ;; esac
    windows_session_why="$1 does not start $session_32bit: $(printf '%s' "$said" | tr -d '\r' |
        iconv -f CP932 -t UTF-8 -c | tail -n 3 | paste -sd ' ')"
    return 1
}

make_template() {
    tests/wine/template.sh "$1"
}

# The template, and a first start of a 64-bit and (unless WINE_64_ONLY) a
# 32-bit program in it; 2 where the 64-bit one fails, 1 where the template
# or the 32-bit one does (and so does windows_session, where the 64-bit
# programs can still run).
windows_ready() {
    make_template "$WINE_TEMPLATE" || {
        windows_session_why="cannot make the Wine prefix $WINE_TEMPLATE${session_32bit:+ with 32-bit programs $session_32bit}"
        return 1
    }
    first_start 'C:\windows\system32\cmd.exe' || return 2
    [ -n "${WINE_64_ONLY:-}" ] || first_start 'C:\windows\syswow64\cmd.exe'
}

windows_session() {
    local failed lacking reason
    export WINE_TEMPLATE=${WINE_TEMPLATE:-$(pwd)/build/wine-template}
    start_x DISPLAY 24 && start_x DISPLAY8 8 || {
        windows_session_why="cannot start Xvfb"
        return 2
    }
    if [ -n "${WINE_64_ONLY:-}" ]; then
        windows_ready || return 2
        return 0
    fi
    allow_32bit || return 1
    windows_ready
    case $?,$session_32bit in
    0,*) return 0 ;;
    1,"by the kernel") ;;
    1,*) return 1 ;;
    *) return 2 ;;
    esac
    # The kernel's way failed the 32-bit programs: the emulator, and a
    # template of its own, made under it.
    failed=$windows_session_why
    echo "$failed; trying the emulator" >&2
    export WINE_EMULATE=1 WINE_TEMPLATE="$WINE_TEMPLATE-emulated"
    lacking=$(mktemp)
    DEPS_LACKING=$lacking cmake/deps.sh wine32 >&2
    reason=$(cut -f 2 "$lacking")
    rm -f "$lacking"
    if [ -n "$reason" ] || ! allow_32bit; then
        windows_session_why="$failed; the emulator cannot take over: ${reason:-$windows_session_why}"
        session_32bit=""
        return 1
    fi
    session_32bit="$session_32bit, since $failed"
    windows_ready || return
    windows_session_why=""
}

end_windows_session() {
    local pidfile
    for pidfile in "${session_pidfiles[@]}"; do
        [ -s "$pidfile" ] && kill "$(cat "$pidfile")" 2>/dev/null
        rm -f "$pidfile"
    done
    session_pidfiles=()
    [ -n "$session_registered" ] && tests/wine/emulator.sh off
    session_registered=""
}
