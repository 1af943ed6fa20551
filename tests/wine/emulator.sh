#!/bin/sh
# Lets this machine run the 32-bit programs. Kernels differ between machines
# of this kind: some run 32-bit x86 code themselves; others have no 32-bit
# syscalls, and there 32-bit Wine runs under qemu's user-mode emulator,
# registered with binfmt_misc for 32-bit x86 programs (cmake/deps.sh
# installs it only there). The kernel is preferred: emulated, every 32-bit
# instruction of Wine costs many.
#
#   emulator.sh on       prints "native" where the kernel runs 32-bit code;
#                        else registers the emulator unless it is, and
#                        prints "registered" when this call did so; fails,
#                        saying why, where neither can run them
#   emulator.sh off      removes the registration
#   emulator.sh needed   succeeds where the emulator is needed
#
#   WINE_EMULATE=1       the emulator even where the kernel would do
set -u
binfmt=/proc/sys/fs/binfmt_misc
entry=$binfmt/qemu-i386
emulator=/usr/bin/qemu-i386
fail() {
    echo "emulator.sh: $*" >&2
    exit 1
}

# Whether the kernel itself runs a 32-bit x86 program: a 91-byte static one
# that exits with 0. Its last identification byte, padding the kernel
# ignores, is 1: no binfmt_misc entry for 32-bit programs (which wants it 0)
# takes it over, so a registered emulator neither answers for the kernel nor
# has to be set aside while others use it.
kernel_runs_32bit() {
    probe=$(mktemp)
    printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\001\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\133\000\000\000\133\000\000\000\005\000\000\000\000\020\000\000\061\333\061\300\100\315\200' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    [ "$status" = 0 ]
}

emulator_needed() {
    [ -n "${WINE_EMULATE:-}" ] || ! kernel_runs_32bit
}

case ${1:-} in
off)
    [ -e "$entry" ] && echo -1 >"$entry"
    exit 0
    ;;
needed)
    emulator_needed
    exit
    ;;
on) ;;
*) fail "usage: emulator.sh on|off|needed" ;;
esac

if ! emulator_needed; then
    echo native
    exit 0
fi
[ -x "$emulator" ] || fail "this kernel cannot run 32-bit programs, and $emulator is missing (cmake/deps.sh installs qemu-user-static from bookworm-backports)"
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
