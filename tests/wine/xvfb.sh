#!/bin/sh
# Starts an Xvfb on a display it picks itself and prints its number; the
# caller stops it by the process id written to the file it names.
#
#   xvfb.sh PIDFILE [DEPTH]    prints ":N" once the server listens
#
# The server chooses the number by binding its socket (-displayfd), so two
# suites started at once never share one display, and stale lock files of a
# machine that went down do not matter.
set -u
pidfile=$1
depth=${2:-24}
number=$(mktemp)
Xvfb -displayfd 3 -screen 0 "1024x768x$depth" -nolisten tcp 3>"$number" >/dev/null 2>&1 &
echo $! >"$pidfile"
for _ in $(seq 300); do
    # The number is written, with its newline, once the server listens.
    if [ "$(wc -l <"$number")" -gt 0 ]; then
        echo ":$(cat "$number")"
        rm -f "$number"
        exit 0
    fi
    kill -0 "$(cat "$pidfile")" 2>/dev/null || break
    sleep 0.1
done
kill "$(cat "$pidfile")" 2>/dev/null
rm -f "$number"
echo "xvfb.sh: cannot start Xvfb" >&2
exit 1
