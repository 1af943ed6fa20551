#!/bin/sh
# Installs the Debian packages that building and testing need, when some are
# missing, and generates the Japanese locale (ANSI code page 932 under Wine).
set -eu
packages="cmake make g++ mingw-w64 libpng-dev libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
    wine wine64 fonts-wine xvfb locales fonts-ipafont-gothic imagemagick python3-pefile
    pkg-config libisofs-dev genisoimage fuseiso"
missing=""
for package in $packages; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
done
if [ -n "$missing" ]; then
    echo "installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi
