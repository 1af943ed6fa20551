#!/bin/bash
# The disc maker's tools install like any tool: cmake --install puts them
# in PREFIX/bin, and each answers --help and --version.
#   tools_install_test.sh BUILD
set -u
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/cli_expect.sh"
cmake --install "$1" --prefix "$work/prefix" >/dev/null || fail "cmake --install"
for tool in backcg lzss mkdisc; do
    [ -x "$work/prefix/bin/$tool" ] || fail "$tool is not in PREFIX/bin"
    expect_help "$work/prefix/bin/$tool"
    expect_version "$work/prefix/bin/$tool"
done
finish "tools install"
