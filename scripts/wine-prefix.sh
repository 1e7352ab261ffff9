#!/bin/sh
# Makes a private Wine prefix for the tests and the demo: ANSI code page 1252,
# no crash dialog, no Mono/Gecko installer, one shared virtual desktop (so
# screenshots show frames and captions), the Marlett font for caption buttons.
# Usage: wine-prefix.sh <prefix-dir>
set -eu
prefix=$1
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
mkdir -p "$prefix"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.tools-ready" ]; then exit 0; fi
wineboot -i >/dev/null 2>&1
reg() { wine reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
for f in /usr/share/wine/fonts/*.ttf; do
  [ -e "$f" ] && cp -n "$f" "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true
done
wineserver -w
touch "$prefix/.tools-ready"
