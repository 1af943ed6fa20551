# Sourced by every script that starts Wine: the environment all runs share.
# Code page 932 as the ANSI code page (the program's texts are Shift-JIS), no
# debug output, no prompts for Mono or Gecko, and the 64-bit loader by name:
# once wine32 is installed, plain `wine` picks the 32-bit one.
# WINE_DEBUG, when set, is passed on as WINEDEBUG (such as err+all).
export WINEDEBUG="${WINE_DEBUG:--all}" WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8 WINELOADER=/usr/lib/wine/wine64
unset LC_ALL LC_CTYPE
