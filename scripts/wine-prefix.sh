#!/bin/sh
# Makes a private Wine prefix for a Windows build's tests and demos, with the
# build's loader: ANSI code page 1252, no crash dialog, no Mono/Gecko
# installer, one shared virtual desktop (so screenshots show frames and
# captions), the Marlett font for caption buttons. The prefix is the build's
# own (<build-dir>/wineprefix) unless another folder is given.
# Usage: wine-prefix.sh <build-dir> [prefix-dir]
set -eu
. "$1/wine-env.sh"
[ $# -lt 2 ] || WINEPREFIX=$2
mkdir -p "$WINEPREFIX"
exec 9>"$WINEPREFIX.lock"
flock 9
if [ -f "$WINEPREFIX/.tools-ready" ]; then exit 0; fi
if ! wineboot -i >"$WINEPREFIX.boot.log" 2>&1; then
  echo "wine-prefix: Wine ($TOOLS_WINE) could not make the prefix $WINEPREFIX:" >&2
  tail -5 "$WINEPREFIX.boot.log" >&2
  exit 1
fi
reg() { wine reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768
for f in /usr/share/wine/fonts/*.ttf; do
  [ -e "$f" ] && cp -n "$f" "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
done
wineserver -w
touch "$WINEPREFIX/.tools-ready"
