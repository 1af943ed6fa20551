#!/bin/sh
# Lets this machine run the 32-bit programs: its kernel has no 32-bit
# syscalls, so 32-bit Wine runs under qemu's user-mode emulator, registered
# with binfmt_misc for 32-bit x86 programs (tools/deps.sh installs it).
#
#   emulator.sh on    registers it unless it is; prints "registered" when
#                     this call did so; fails, saying why, where it cannot
#   emulator.sh off   removes the registration
set -u
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
emulator=/usr/bin/qemu-i386
fail() {
    echo "emulator.sh: $*" >&2
    exit 1
}
case ${1:-} in
off)
    [ -e "$entry" ] && echo -1 >"$entry"
    exit 0
    ;;
on) ;;
*) fail "usage: emulator.sh on|off" ;;
esac

[ -x "$emulator" ] || fail "$emulator is missing (tools/deps.sh installs qemu-user-static from bookworm-backports)"
major=$("$emulator" --version | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
# 7.2 takes over a minute per process start: not a test platform.
[ "${major:-0}" -ge 8 ] || fail "$emulator is qemu $major, which takes a minute per 32-bit process start; 8 or later is needed"
mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null ||
    fail "this machine does not let us mount binfmt_misc, so the emulator cannot be registered"
# An entry of another interpreter (such as an older emulator's, which the F
# flag keeps open) is replaced.
if [ -e "$entry" ]; then
    grep -qx "interpreter $emulator" "$entry" && exit 0
    echo -1 >"$entry"
fi
printf '%s' ":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$emulator:F" \
    >"$binfmt/register" 2>/dev/null || fail "this machine does not let us register the emulator with binfmt_misc"
echo registered
