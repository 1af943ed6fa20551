#!/bin/sh
# Starts an Xvfb on a free display and prints its number; the caller stops it
# by the process id written to the file it names.
#
#   xvfb.sh PIDFILE [DEPTH]    prints ":N" once the server answers
set -u
pidfile=$1
depth=${2:-24}
for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "1024x768x$depth" -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$pidfile"
    for _ in $(seq 50); do
        if [ -e "/tmp/.X11-unix/X$n" ]; then
            echo ":$n"
            exit 0
        fi
        kill -0 "$(cat "$pidfile")" 2>/dev/null || break
        sleep 0.1
    done
done
echo "xvfb.sh: cannot start Xvfb" >&2
exit 1
