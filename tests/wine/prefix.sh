# The ready Wine prefix that every test copies, sourced by template.sh and by
# its test. It is a 64-bit prefix made by the native wineboot while the
# emulator is registered, so that its 32-bit half (syswow64 and its keys) is
# set up too, for the 32-bit programs. A prefix is used only when it is
# whole: a wineboot that crashed under the emulator has left prefixes in
# which nothing starts.
#
#   WINE_WINEBOOT   the command that makes a prefix in $WINEPREFIX (for the
#                   test; by default the native wineboot)
#   WINE_64_ONLY=1  a prefix without its 32-bit half will do (the demo's,
#                   where the emulator cannot be had)

# Prints what a prefix lacks; nothing when it is whole.
prefix_fault() {
    local prefix=$1 file
    [ -d "$prefix" ] || { echo "there is no prefix at $prefix"; return; }
    for file in system.reg user.reg userdef.reg; do
        head -n 1 "$prefix/$file" 2>/dev/null | grep -q '^WINE REGISTRY Version 2' ||
            { echo "$file is missing or is not a registry file"; return; }
    done
    for file in system32/kernel32.dll system32/user32.dll syswow64/kernel32.dll syswow64/user32.dll \
        syswow64/gdi32.dll syswow64/advapi32.dll; do
        [ -n "${WINE_64_ONLY:-}" ] && [ "${file%%/*}" = syswow64 ] && continue
        [ -s "$prefix/drive_c/windows/$file" ] || { echo "drive_c/windows/$file is missing"; return; }
    done
    [ -n "${WINE_64_ONLY:-}" ] || grep -q '^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\]' "$prefix/system.reg" ||
        echo "system.reg lacks the keys of the 32-bit half"
}

native_wineboot() {
    # No display: wineboot needs none, and must not wait for one.
    DISPLAY="" timeout 600 "$WINE64" wineboot -i >/dev/null 2>&1
    wine_stop
}

# Makes sure `prefix` is whole: reuses it if it is, else makes it, and once
# more if the first one came out broken. Fails, saying what broke, when the
# second one is broken too.
ensure_prefix() {
    local prefix=$1 fault attempt
    fault=$(prefix_fault "$prefix")
    [ -z "$fault" ] && return 0
    for attempt in 1 2; do
        if [ -d "$prefix" ]; then
            echo "template: the prefix is not whole ($fault): making it again"
        else
            echo "template: making the Wine prefix"
        fi
        rm -rf "$prefix"
        WINEPREFIX="$prefix" ${WINE_WINEBOOT:-native_wineboot}
        fault=$(prefix_fault "$prefix")
        [ -z "$fault" ] && return 0
    done
    echo "template: wineboot made a broken prefix twice: $fault"
    rm -rf "$prefix"
    return 1
}
