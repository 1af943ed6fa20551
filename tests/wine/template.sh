#!/bin/bash
# Makes the ready Wine prefix that every test copies, unless a whole one is
# there (see prefix.sh): wineboot takes some seconds, a copy one. Safe to
# call from parallel tests. The emulator must be registered
# (tests/wine/emulator.sh), or the prefix gets no 32-bit half.
set -u
template=$1
here=$(cd "$(dirname "$0")" && pwd)
. "$here/env.sh"
. "$here/prefix.sh"
mkdir -p "$(dirname "$template")"
exec 9>"$template.lock"
flock -w 900 9 || { echo "template.sh: $template.lock is still taken after 15 minutes" >&2; exit 1; }
# The lock is not handed down to wineboot: a Wine process that outlived it
# would hold the lock, and every later test would wait for it.
ensure_prefix "$template" >&2 9>&-
