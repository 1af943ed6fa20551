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
#                           WINE_TEMPLATE (build/wine-template unless set)
#   end_windows_session     undoes what the session did: stops its X
#                           servers by their process ids and removes a
#                           registration it made
#
# windows_session_why holds why Windows programs cannot run here, when
# allow_32bit failed.

session_pidfiles=() session_registered="" windows_session_why=""

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
    [ "$said" = registered ] && session_registered=1
    return 0
}

make_template() {
    tests/wine/template.sh "$1"
}

windows_session() {
    export WINE_TEMPLATE=${WINE_TEMPLATE:-$(pwd)/build/wine-template}
    start_x DISPLAY 24 && start_x DISPLAY8 8 || {
        echo "cannot start Xvfb" >&2
        return 2
    }
    allow_32bit || return 1
    make_template "$WINE_TEMPLATE" || return 2
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
