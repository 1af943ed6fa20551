#!/bin/sh
# Installs the Debian packages that building and testing need, when some are
# missing, and generates the Japanese locale (ANSI code page 932 under Wine).
#
#   cmake/deps.sh [GROUP...]   by default all of them:
#     build   compilers (native and mingw-w64), libraries, the disc tool's
#     fuzz    clang and its sanitizer runtimes
#     wine    Wine, 64-bit and 32-bit, X servers, fonts, FUSE for the discs,
#             and the emulator where the kernel cannot run 32-bit code
#
# Kernels differ between machines of this kind: where the kernel has no
# 32-bit syscalls, 32-bit Wine runs under qemu's user-mode emulator.
# Bookworm's own qemu takes over a minute per process start, the one of
# bookworm-backports under a second, so that is the one installed, from the
# same archive the machine already uses. Where it cannot be had, the rest is
# still installed and tests/wine/emulator.sh says what is missing.
set -eu
export DEBIAN_FRONTEND=noninteractive
here=$(cd "$(dirname "$0")" && pwd)
groups=" ${*:-build fuzz wine} "
wants() { case $groups in *" $1 "*) return 0 ;; *) return 1 ;; esac }
for group in $groups; do
    case $group in build | fuzz | wine) ;; *) echo "deps.sh: no group $group" >&2 && exit 2 ;; esac
done

packages="cmake make g++ mingw-w64 libpng-dev libgtest-dev libbenchmark-dev pkg-config libisofs-dev genisoimage
    python3-pefile locales"
wants fuzz && packages="$packages clang libclang-rt-14-dev"
wants wine && packages="$packages wine wine64 fonts-wine xvfb fonts-ipafont-gothic imagemagick fuseiso wine32:i386"
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed"; }

updated=""
update() { [ -n "$updated" ] || { apt-get update -qq && updated=1; }; }

if wants wine && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    updated=""
fi
missing=""
for package in $packages; do
    installed "$package" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    update
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

# qemu 8 or later, and only where the kernel cannot run 32-bit code: 7.2
# spends a minute per process start probing the address space in 64 KiB
# steps, since it does not honour MAP_FIXED_NOREPLACE.
current_emulator() {
    major=$(qemu-i386 --version 2>/dev/null | sed -n 's/^qemu-i386 version \([0-9]*\)\..*/\1/p')
    [ -n "$major" ] && [ "$major" -ge 8 ]
}
if wants wine && "$here/../tests/wine/emulator.sh" needed && ! current_emulator; then
    backports=/etc/apt/sources.list.d/bookworm-backports.sources
    if [ ! -f "$backports" ]; then
        # The archive of the machine's own bookworm entry.
        uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '
            /^URIs:/ { uri = $2 } /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == "bookworm") print uri }' | head -n 1)
        [ -n "$uri" ] || uri=$(awk '$1 == "deb" && $3 == "bookworm" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
        if [ -n "$uri" ]; then
            printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
                "$uri" >"$backports"
            updated=""
        fi
    fi
    echo "installing qemu-user-static from bookworm-backports: this kernel cannot run 32-bit programs"
    { update && apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null; } ||
        echo "deps.sh: cannot install a current qemu-user-static; the 32-bit programs cannot run here" >&2
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
