# The Wine prefix of the 32-bit smoke suite, sourced by run.sh and by its
# test. It is a 64-bit prefix made by the native wineboot while the emulator
# is registered, so that its 32-bit half (syswow64 and its registry keys) is
# set up too: only the 32-bit setup steps run emulated, minutes rather than
# the quarter of an hour an emulated 32-bit wineboot takes (and that one
# crashed on fresh machines). A prefix is used only when it is whole.
#
#   SMOKE32_WINEBOOT   the command that makes a prefix in $WINEPREFIX (for
#                      the test; by default the native wineboot)

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
        [ -s "$prefix/drive_c/windows/$file" ] || { echo "drive_c/windows/$file is missing"; return; }
    done
    grep -q '^\[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\]' "$prefix/system.reg" ||
        echo "system.reg lacks the keys of the 32-bit half"
}

native_wineboot() {
    timeout 1800 /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1
    /usr/lib/wine/wineserver -k 2>/dev/null
    /usr/lib/wine/wineserver -w 2>/dev/null
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
            echo "smoke32: the prefix is not whole ($fault): making it again"
        else
            echo "smoke32: making the Wine prefix (its 32-bit half runs under the emulator: minutes)"
        fi
        rm -rf "$prefix"
        WINEPREFIX="$prefix" ${SMOKE32_WINEBOOT:-native_wineboot}
        fault=$(prefix_fault "$prefix")
        [ -z "$fault" ] && return 0
    done
    echo "smoke32: wineboot made a broken prefix twice: $fault"
    rm -rf "$prefix"
    return 1
}
