#!/bin/sh
# Installs the Debian packages that building and testing need, when some are
# missing, and generates the Japanese locale (ANSI code page 932 under Wine).
#
#   cmake/deps.sh [GROUP...]   by default all of them:
#     build   compilers (native and mingw-w64), libraries, the disc tool's
#     fuzz    clang and its sanitizer runtimes
#     wine    64-bit Wine, X servers, fonts, the Japanese locale, FUSE for
#             the discs
#     wine32  32-bit Wine, and the emulator where the kernel cannot run
#             32-bit code
#     bench   the peers the disc tool is measured against (xorriso)
#
# Each group is installed on its own, so that one whose packages cannot be
# had stops only what needs it. What passes with time (a failed fetch, a
# mirror in mid-sync, another apt holding the lock) is tried again, three
# times in all, DEPS_RETRY_PAUSE seconds apart (25). An update that still
# fails is said, and the packages come from the indexes there are. A group
# that cannot be installed is said in one line with apt's most telling one;
# the exit status is then 1, and with DEPS_LACKING=FILE each such group is
# written there as "GROUP<TAB>REASON". The machine's archive sources are not
# changed to get around an archive's state: that is said, to try later.
#
# Kernels differ between machines of this kind: where the kernel has no
# 32-bit syscalls, 32-bit Wine runs under qemu's user-mode emulator.
# Bookworm's own qemu takes over a minute per process start, the one of
# bookworm-backports under a second, so that is the one installed, from the
# same archive the machine already uses.
set -eu
export DEBIAN_FRONTEND=noninteractive
here=$(cd "$(dirname "$0")" && pwd)
[ -z "${DEPS_LACKING:-}" ] || : >"$DEPS_LACKING"
groups=" ${*:-build fuzz wine wine32} "
wants() { case $groups in *" $1 "*) return 0 ;; *) return 1 ;; esac }
for group in $groups; do
    case $group in build | fuzz | wine | wine32 | bench) ;; *) echo "deps.sh: no group $group" >&2 && exit 2 ;; esac
done

packages_of() {
    case $1 in
    build) echo cmake make g++ mingw-w64 libpng-dev libgtest-dev libbenchmark-dev pkg-config libisofs-dev \
        genisoimage python3-pefile imagemagick ;;
    fuzz) echo clang libclang-rt-14-dev ;;
    wine) echo wine wine64 fonts-wine xvfb fonts-ipafont-gothic fuseiso locales ;;
    wine32) echo wine32:i386 ;;
    bench) echo xorriso ;;
    esac
}
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

log=$(mktemp)
trap 'rm -f "$log"' EXIT
# apt's most telling line in $log: a broken dependency rather than the error
# that sums such lines up, else the first error, else the last line; an
# archive's address is cut to the file's place in it.
apt_said() {
    { grep -m 1 -E '^ +[^ ]+ : [A-Za-z-]+: ' "$log" || grep -m 1 '^E: ' "$log" ||
        grep -m 1 '^W: Failed to fetch' "$log" || grep . "$log" | tail -n 1; } |
        sed -E 's/^ +//; s/^[EW]: //; s# [a-z]+://[^ ]*/dists/# #; s# [a-z]+://[^ ]*/# #; s/ *\[IP: [^]]*\]//; s/  +/ /g'
}
# apt-get, its output kept in $log; tried again where it failed for what
# passes with time. An update that could not fetch an index fails too,
# though apt-get says so only in a warning when the network is down. Once
# a call has used up its tries, later ones of its kind (update, install)
# try once: a lock held for good or a network that is down costs one wait,
# not one a call.
gave_up=" "
apt_get() {
    try=1
    while ! { apt-get "$@" >"$log" 2>&1 && ! grep -q '^[WE]: Failed to fetch' "$log"; }; do
        said=$(apt_said)
        case $said in
        *"Failed to fetch"* | *"Hash Sum mismatch"* | *"Connection failed"* | *"Connection reset"* | \
            *"Could not connect"* | *"Temporary failure resolving"* | *"Could not resolve"* | \
            *"Could not get lock"* | *"Unable to lock"* | *"Unable to acquire"*) ;;
        *) return 1 ;;
        esac
        [ "$try" -lt 3 ] && case $gave_up in *" $1 "*) false ;; esac || {
            gave_up="$gave_up$1 "
            return 1
        }
        try=$((try + 1))
        echo "deps.sh: apt-get $1 failed ($said); trying again in ${DEPS_RETRY_PAUSE:-25} s ($try of 3)" >&2
        sleep "${DEPS_RETRY_PAUSE:-25}"
    done
}

# The indexes are updated before the first install (and again once a source
# is added). When that fails, not_updated says why, and stale names the
# indexes that did not match their archive's list of them (a mirror in
# mid-sync).
updated="" not_updated="" stale=""
update() {
    [ -z "$updated" ] || return 0
    updated=1 not_updated="" stale=""
    apt_get update -q && return 0
    not_updated=$(apt_said)
    stale=$(sed -n -E '/unexpected size|Hash Sum mismatch|Mirror sync/ s#^[EW]: Failed to fetch [a-z]+://[^ ]*/dists/([^ ]*)/[^/ ]* .*#\1#p' \
        "$log" | sort -u | paste -sd ' ')
    echo "deps.sh: apt-get update failed ($not_updated); installing from the indexes there are" >&2
}

lacking=""
# lack GROUP REASON: notes that the group cannot be installed, and says why.
lack() {
    reason=$2
    echo "deps.sh: $reason" >&2
    lacking="$lacking $1 "
    [ -z "${DEPS_LACKING:-}" ] || printf '%s\t%s\n' "$1" "$reason" >>"$DEPS_LACKING"
}
# install_group GROUP PACKAGES [OPTION...]: installs them, or says in one
# line why they cannot be, and notes the group as lacking.
install_group() {
    group=$1 packages=$2
    shift 2
    echo "installing:$packages"
    update
    # -q, not -qq, which leaves out the dependencies that cannot be met.
    # shellcheck disable=SC2086
    apt_get install -y -q --no-install-recommends "$@" $packages && return 0
    said=$(apt_said)
    reason="cannot install$packages: $said"
    # A package that cannot be found, matched or fetched may be the indexes'
    # doing.
    case $said in
    *"Unable to locate"* | *"no installation candidate"* | *"Depends:"* | *"held broken"* | *"Failed to fetch"*)
        if [ -n "$stale" ]; then
            reason="$reason; the archive is in an inconsistent state ($stale failed to download): try again later"
        elif [ -n "$not_updated" ]; then
            reason="$reason; the package lists could not be updated ($not_updated): try again later"
        fi
        ;;
    esac
    lack "$group" "$reason"
}
has() { wants "$1" && case $lacking in *" $1 "*) return 1 ;; *) return 0 ;; esac }

added_i386=""
if wants wine32 && ! installed wine32:i386 && ! dpkg --print-foreign-architectures | grep -qx i386; then
    if dpkg --add-architecture i386 >"$log" 2>&1; then
        added_i386=1
    else
        lack wine32 "cannot add the i386 architecture for wine32:i386: $(apt_said)"
    fi
fi
for group in build fuzz wine wine32 bench; do
    has "$group" || continue
    missing=""
    for package in $(packages_of "$group"); do
        installed "$package" || missing="$missing $package"
    done
    [ -z "$missing" ] || install_group "$group" "$missing"
done

# qemu 8 or later, and only where the kernel cannot run 32-bit code: 7.2
# spends a minute per process start probing the address space in 64 KiB
# steps, since it does not honour MAP_FIXED_NOREPLACE.
current_emulator() {
    major=$(qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
    [ -n "$major" ] && [ "$major" -ge 8 ]
}
if has wine32 && "$here/../tests/wine/emulator.sh" needed && ! current_emulator; then
    backports=/etc/apt/sources.list.d/bookworm-backports.sources made=""
    if [ ! -f "$backports" ]; then
        # The archive of the machine's own bookworm entry, in either form
        # (a one-line entry may carry [options] before its address).
        uri=$({ cat /etc/apt/sources.list.d/*.sources 2>/dev/null || true; } | awk '
            /^URIs:/ { uri = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") print uri }' | head -n 1)
        [ -n "$uri" ] || uri=$({ cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } | awk '
            $1 == "deb" { i = 2; if ($i ~ /^\[/) { while (i < NF && $i !~ /\]$/) i++; i++ }
                          if ($(i + 1) == "bookworm") { print $i; exit } }')
        if [ -n "$uri" ]; then
            printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
                "$uri" >"$backports"
            made=1 updated=""
        fi
    fi
    if [ -f "$backports" ]; then
        echo "32-bit programs need the emulator here: it comes from bookworm-backports"
        install_group wine32 " qemu-user-static" -t bookworm-backports
        # A source that brought nothing is not left behind.
        [ -z "$made" ] || has wine32 || rm -f "$backports"
    else
        lack wine32 "32-bit programs need the emulator here, and no bookworm archive is configured to take a current qemu-user-static from (bookworm-backports)"
    fi
fi
# An architecture added for nothing is not left behind either: the
# machine's own updates would fetch its indexes.
[ -z "$added_i386" ] || has wine32 || dpkg --remove-architecture i386 2>/dev/null || true

if has wine && ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
[ -z "$lacking" ]
