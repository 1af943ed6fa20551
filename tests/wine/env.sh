# Sourced by every script that starts Wine: the environment all runs share.
# Code page 932 as the ANSI code page (the program's texts are Shift-JIS), no
# debug output, no prompts for Mono or Gecko, and the 64-bit loader by name:
# once wine32 is installed, plain `wine` picks the 32-bit one. The 64-bit
# loader starts 32-bit programs too, handing them to the 32-bit one, which
# the emulator runs (tests/wine/emulator.sh).
# WINE_DEBUG, when set, is passed on as WINEDEBUG (such as err+all).
WINE64=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver
export WINEDEBUG="${WINE_DEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 WINELOADER=$WINE64
unset LC_ALL LC_CTYPE
# 32-bit Wine under the emulator cannot map its shared user data without a
# reserved guest address space.
export QEMU_RESERVED_VA=0xf0000000

# Ends the server of $WINEPREFIX, and every process of it, and waits for
# that, a minute at most.
wine_stop() {
    "$WINESERVER" -k 2>/dev/null || true
    timeout 60 "$WINESERVER" -w 2>/dev/null || true
}

# Copies a ready prefix. Its system folders (nine tenths of its 1.3 GB) are
# linked, not copied: nothing writes there. Every other file is a copy of
# its own, since a write through a link would reach the template.
copy_prefix() {
    local template=$1 prefix=$2 windows
    cp -al "$template/." "$prefix/" || return 1
    windows="$prefix/drive_c/windows"
    find "$prefix" -type f ! -path "$windows/system32/*" ! -path "$windows/syswow64/*" ! -path "$windows/winsxs/*" \
        -exec sh -c 'for file; do cp -p "$file" "$file.copy" && mv -f "$file.copy" "$file"; done' sh {} +
}
