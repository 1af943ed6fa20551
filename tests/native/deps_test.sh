#!/bin/bash
# The two commands where packages cannot all be had. A copy of test.sh,
# run.sh and cmake/deps.sh runs with stand-ins for apt-get, dpkg and
# dpkg-query first on PATH, which hold the lock for the first calls, fail an
# index as a mirror in mid-sync does, or refuse a package; the build, the
# stages' runners, the Windows session and the pressing are stand-ins that
# say that they ran. Nothing of the machine is read or changed.
#   deps_test.sh SOURCE_DIR
set -u
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/cli_expect.sh"

tree="$work/tree" bin="$work/bin" state="$work/state"
mkdir -p "$tree/cmake" "$tree/tests/fuzz" "$tree/tests/wine" "$tree/tests/disc" "$bin"
cp "$src/test.sh" "$src/run.sh" "$tree/"
cp "$src/cmake/deps.sh" "$tree/cmake/"
# stand-in FILE: writes standard input to FILE, a program.
stand_in() {
    cat >"$1"
    chmod +x "$1"
}
stand_in "$bin/apt-get" <<'EOF'
#!/bin/sh
# FAKE_LOCKED=N: another apt holds the lock for the first N calls.
# FAKE_OFFLINE=N: the network is down for the first N calls, which an
# update says only in warnings, as apt does.
# FAKE_BAD_INDEX=1: an index does not match the archive's list (mid-sync).
# FAKE_UNMET, FAKE_UNKNOWN: a package whose dependencies cannot be met, one
# the archive does not have. As apt, -qq leaves out what cannot be met.
echo "$*" >>"$FAKE_STATE/calls"
calls=$(wc -l <"$FAKE_STATE/calls")
if [ "$calls" -le "${FAKE_LOCKED:-0}" ]; then
    echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 4242 (apt-get)" >&2
    echo "E: Unable to acquire the dpkg frontend lock (/var/lib/dpkg/lock-frontend), is another process using it?" >&2
    exit 100
fi
if [ "$1" = update ] && [ "$calls" -le "${FAKE_OFFLINE:-0}" ]; then
    echo "W: Failed to fetch http://deb.debian.org/debian/dists/bookworm/InRelease  Temporary failure resolving 'deb.debian.org'" >&2
    echo "W: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 0
fi
if [ "$1" = update ]; then
    [ -z "${FAKE_BAD_INDEX:-}" ] && exit 0
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]" >&2
    echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
    exit 100
fi
packages=$(printf '%s\n' "$@" | grep -v -e '^-' -e '^install$')
for package in $packages; do
    case $package in
    "${FAKE_UNKNOWN:-}")
        echo "E: Unable to locate package $package" >&2
        exit 100
        ;;
    "${FAKE_UNMET:-}")
        if ! printf '%s\n' "$@" | grep -qx -- -qq; then
            echo "The following packages have unmet dependencies:"
            echo " libwine:i386 : Depends: libgstreamer-plugins-base1.0-0:i386 (>= 1.0.0) but it is not going to be installed"
        fi
        echo "E: Unable to correct problems, you have held broken packages." >&2
        exit 100
        ;;
    esac
done
for package in $packages; do
    : >"$FAKE_STATE/installed/$package"
done
EOF
stand_in "$bin/dpkg-query" <<'EOF'
#!/bin/sh
for package; do :; done
[ -e "$FAKE_STATE/installed/$package" ] && printf 'install ok installed'
EOF
stand_in "$bin/dpkg" <<'EOF'
#!/bin/sh
case $1 in
--print-foreign-architectures) cat "$FAKE_STATE/architectures" 2>/dev/null ;;
--add-architecture)
    [ -z "${FAKE_NO_ARCH:-}" ] || { echo "dpkg: error: requested operation requires superuser privilege" >&2 && exit 2; }
    echo "$2" >>"$FAKE_STATE/architectures"
    ;;
--remove-architecture) sed -i "/^$2\$/d" "$FAKE_STATE/architectures" ;;
*) exit 2 ;;
esac
EOF
printf '#!/bin/sh\necho ja_JP.utf8\n' | stand_in "$bin/locale"
printf '#!/bin/sh\nexit 1\n' | stand_in "$bin/locale-gen"
printf '#!/bin/sh\necho "ctest:$2" >>"$FAKE_STATE/ran"\necho "100%% tests passed, 0 tests failed out of 1"\n' |
    stand_in "$bin/ctest"
printf '#!/bin/sh\nfor tree; do echo "built:$tree" >>"$FAKE_STATE/ran"; done\n' | stand_in "$tree/cmake/build.sh"
printf '#!/bin/sh\necho fuzz >>"$FAKE_STATE/ran"\necho "Done 1 runs in 0 second(s)"\n' | stand_in "$tree/tests/fuzz/run.sh"
# A kernel that runs 32-bit code: no emulator, no archive source added.
printf '#!/bin/sh\nexit 1\n' | stand_in "$tree/tests/wine/emulator.sh"
# FAKE_NO_32BIT=1: 32-bit programs do not start here, and the emulator
# cannot take over.
cat >"$tree/tests/wine/session.sh" <<'EOF'
windows_session_why="" session_32bit=""
windows_session() {
    echo "session${WINE_64_ONLY:+:64-only}" >>"$FAKE_STATE/ran"
    [ -n "${WINE_64_ONLY:-}" ] || [ -z "${FAKE_NO_32BIT:-}" ] && return 0
    windows_session_why="C:\windows\syswow64\cmd.exe does not start by the kernel"
    return 1
}
allow_32bit() { :; }
end_windows_session() { :; }
EOF
cat >"$tree/tests/disc/disc.sh" <<'EOF'
disc_folder() { programs=$1; }
press_disc() { echo "mkdisc: the stand-in presses nothing from $programs" >&2 && return 1; }
EOF

export PATH="$bin:$PATH" FAKE_STATE=$state DEPS_RETRY_PAUSE=0
for tool in apt-get dpkg dpkg-query locale locale-gen ctest; do
    [ "$(command -v "$tool")" = "$bin/$tool" ] || { echo "FAIL: $tool is not the stand-in"; exit 1; }
done

# matches PATTERNS FILE: each line of PATTERNS (an ERE, or after ! one that
# must not match) against the lines of FILE; prints those that fail.
matches() {
    local pattern
    while read -r pattern; do
        case $pattern in
        '') ;;
        !*) grep -qE -- "${pattern#!}" "$2" && echo "$pattern" ;;
        *) grep -qE -- "$pattern" "$2" || echo "$pattern" ;;
        esac
    done <<<"$1"
}
# One package of each group, to tell whether the group is installed.
declare -A sample=([build]=mingw-w64 [fuzz]=clang [wine]=wine64 [wine32]=wine32:i386)

# check CASE SETTINGS DEPS_STATUS LACKS SAYS TEST_STATUS RAN SUMMARY DEMO: on
# a machine without the packages, with the stand-ins set so, deps.sh ends
# with DEPS_STATUS, reports the groups LACKS (the others are installed) and
# says SAYS; then ./test.sh ends with TEST_STATUS, has run and built RAN and
# its output says SUMMARY; then ./run.sh's last line is DEMO.
check() {
    local name=$1 settings=$2 status group missed ran
    rm -rf "$state" "$work/lacking"
    mkdir -p "$state/installed"
    # shellcheck disable=SC2086
    env -u CI -u WINE_64_ONLY DEPS_LACKING="$work/lacking" $settings "$tree/cmake/deps.sh" >"$work/out" 2>&1
    status=$?
    [ "$status" = "$3" ] || fail "$name: deps.sh exited $status, wanted $3: $(cat "$work/out")"
    [ "$(cut -f 1 "$work/lacking" 2>/dev/null | paste -sd ' ')" = "$4" ] ||
        fail "$name: deps.sh reported '$(cat "$work/lacking" 2>/dev/null)', wanted the groups '$4'"
    for group in build fuzz wine wine32; do
        [[ " $4 " == *" $group "* ]] && [ -e "$state/installed/${sample[$group]}" ] && fail "$name: $group is installed"
        [[ " $4 " != *" $group "* ]] && [ ! -e "$state/installed/${sample[$group]}" ] && fail "$name: $group is not installed"
    done
    # The i386 architecture stays only where 32-bit Wine came with it.
    local i386=0
    grep -qx i386 "$state/architectures" 2>/dev/null || i386=1
    [ "$i386" = "$([[ " $4 " == *" wine32 "* ]] && echo 1 || echo 0)" ] ||
        fail "$name: the architectures are '$(cat "$state/architectures" 2>/dev/null)'"
    missed=$(matches "$5" "$work/out")
    [ -z "$missed" ] || fail "$name: deps.sh said '$(cat "$work/out")', wanted /$missed/"

    : >"$state/ran"
    # shellcheck disable=SC2086
    env -u CI -u WINE_64_ONLY $settings "$tree/test.sh" >"$work/out" 2>&1
    status=$?
    [ "$status" = "$6" ] || fail "$name: test.sh exited $status, wanted $6"
    ran=$(sort "$state/ran" | paste -sd ' ')
    # shellcheck disable=SC2086
    [ "$ran" = "$(printf '%s\n' $7 | sort | paste -sd ' ')" ] || fail "$name: test.sh ran '$ran', wanted '$7'"
    missed=$(matches "$8" "$work/out")
    [ -z "$missed" ] || fail "$name: test.sh said '$(cat "$work/out")', wanted /$missed/"

    # shellcheck disable=SC2086
    env -u CI -u WINE_64_ONLY $settings "$tree/run.sh" >"$work/out" 2>&1
    tail -n 1 "$work/out" | grep -qE -- "$9" || fail "$name: run.sh ended with '$(tail -n 1 "$work/out")', wanted /$9/"
}

everything="built:native built:win32 built:fuzz built:win64 session ctest:build/native fuzz ctest:build/win32 ctest:build/win64"
all_passed='^  native +passed
^  fuzz +passed
^  wine +passed
^  wine64 +passed'
mid_sync='Failed to fetch bookworm-security/main/binary-i386/Packages.xz File has unexpected size \(374820 != 376004\)\. Mirror sync in progress\?'
unmet='cannot install wine32:i386: libwine:i386 : Depends: libgstreamer-plugins-base1\.0-0:i386 \(>= 1\.0\.0\) but it is not going to be installed'
later='the archive is in an inconsistent state \(bookworm-security/main/binary-i386 failed to download\): try again later'
without_wine32="built:native built:win32 built:fuzz built:win64 session:64-only ctest:build/native fuzz ctest:build/win64"
no_build='cannot install cmake make g\+\+ mingw-w64 .*: Unable to locate package mingw-w64'
stopped='^run\.sh: the demo stopped at the pressing: mkdisc: the stand-in presses nothing from build/'

check "another apt holds the lock for two calls" "FAKE_LOCKED=2" 0 "" \
    "apt-get update failed \(Could not get lock /var/lib/dpkg/lock-frontend\. It is held by process 4242 \(apt-get\)\); trying again in 0 s \(2 of 3\)$
trying again in 0 s \(3 of 3\)$
^installing: cmake make g\+\+ mingw-w64
^installing: wine32:i386$" \
    0 "$everything" "$all_passed" "${stopped}win32$"
check "the network down for two updates" "FAKE_OFFLINE=2" 0 "" \
    "apt-get update failed \(Failed to fetch bookworm/InRelease Temporary failure resolving 'deb\.debian\.org'\); trying again in 0 s \(2 of 3\)$
trying again in 0 s \(3 of 3\)$" \
    0 "$everything" "$all_passed" "${stopped}win32$"
check "an index in mid-sync" "FAKE_BAD_INDEX=1" 0 "" \
    "^deps\.sh: apt-get update failed \($mid_sync\); trying again in 0 s \(3 of 3\)$
^deps\.sh: apt-get update failed \($mid_sync\); installing from the indexes there are$" \
    0 "$everything" "$all_passed" "${stopped}win32$"
check "32-bit Wine refused, a local run" "FAKE_BAD_INDEX=1 FAKE_UNMET=wine32:i386" 1 "wine32" \
    "^deps\.sh: $unmet; $later$
!apt-get install .*trying again" \
    0 "$without_wine32" "^  native +passed
^  fuzz +passed
^  wine +skipped +[0-9]+ s  SKIPPED: $unmet; $later$
^  wine64 +passed" "${stopped}win64$"
check "32-bit Wine refused, under CI" "FAKE_BAD_INDEX=1 FAKE_UNMET=wine32:i386 CI=true" 1 "wine32" "" \
    1 "$without_wine32" "^  wine +FAILED +[0-9]+ s  FAILED: $unmet; $later$
^  wine64 +passed" "${stopped}win64$"
check "32-bit programs do not start, a local run" "FAKE_NO_32BIT=1" 0 "" "" \
    0 "built:native built:win32 built:fuzz built:win64 session session:64-only ctest:build/native fuzz ctest:build/win64" \
    "^  wine +skipped +[0-9]+ s  SKIPPED: the 32-bit programs cannot run here: C:.windows.syswow64.cmd\.exe does not start by the kernel  on build/win32$
^  wine64 +passed" "${stopped}win32$"
check "the build packages refused" "FAKE_UNKNOWN=mingw-w64" 1 "build" \
    "^deps\.sh: $no_build$
!inconsistent" \
    0 "" "^  native +skipped +[0-9]+ s  SKIPPED: $no_build$
^  fuzz +skipped +[0-9]+ s  SKIPPED: $no_build$
^  wine +skipped +[0-9]+ s  SKIPPED: $no_build$
^  wine64 +skipped +[0-9]+ s  SKIPPED: $no_build$" \
    "^run\.sh: the demo stopped at the packages: $no_build$"
check "no i386 architecture to be had" "FAKE_NO_ARCH=1" 1 "wine32" \
    "^deps\.sh: cannot add the i386 architecture for wine32:i386: dpkg: error: requested operation requires superuser privilege$" \
    0 "$without_wine32" "^  wine +skipped +[0-9]+ s  SKIPPED: cannot add the i386 architecture" "${stopped}win64$"

# A deps.sh that fails without naming what it lacks leaves nothing known:
# every stage fails, in a local run too.
printf '#!/bin/sh\nexit 1\n' | stand_in "$tree/cmake/deps.sh"
: >"$state/ran"
env -u CI "$tree/test.sh" >"$work/out" 2>&1
status=$?
[ "$status" = 1 ] || fail "a broken deps.sh: test.sh exited $status, wanted 1"
[ -s "$state/ran" ] && fail "a broken deps.sh: test.sh ran $(paste -sd ' ' "$state/ran")"
missed=$(matches "^  native +FAILED +[0-9]+ s  FAILED: cmake/deps\.sh failed without naming what it lacks
^  wine64 +FAILED" "$work/out")
[ -z "$missed" ] || fail "a broken deps.sh: test.sh said '$(cat "$work/out")', wanted /$missed/"
finish "deps"
