#!/bin/sh
# Shows Viewerprobe's notice (Windows 8 reported, no help viewer in its
# Windows directory) in the win32 build's Wine prefix, saves a screenshot of
# the virtual desktop and one of the window alone, then closes the notice.
# Needs an X display; without one it runs itself under xvfb-run.
# Usage: viewerprobe-screenshot.sh <win32-build-dir> [output.png]
set -eu
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd)
out=${2:-$build/screenshots/viewerprobe-notice.png}
mkdir -p "$(dirname "$out")"
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
"$here/wine-prefix.sh" "$WINEPREFIX"
wineserver -p >/dev/null 2>&1

winpath() { echo "Z:$1" | tr / '\\'; }
windir="$build/screenshots/windir"
rm -rf "$windir"
mkdir -p "$windir"
wine reg add 'HKCU\Software\Wine\AppDefaults\Viewerprobe.exe' /v Version /d win8 /f >/dev/null 2>&1

# The Windows directory is given to the program alone, through cmd.
wine cmd /c "set WinDir=$(winpath "$windir")&& $(winpath "$build/dist/Viewerprobe.exe")" \
  >/dev/null 2>&1 &
probe=$!
tool="$build/tests/WinTool.exe"
frame=$(wine "$tool" wait "Hilfeviewer MS WinHlp32" 15000 | tr -d '\r')
sleep 1  # let the window paint
wine "$tool" texts "Hilfeviewer MS WinHlp32"

full="${out%.png}-desktop.png"
import -window root "$full"
# The virtual desktop is one X window; the notice's frame is given in its
# coordinates.
desktop=$(xwininfo -root -tree | awk '/ 1024x768\+/ {print $1; exit}')
set -- $frame
if [ -n "$desktop" ]; then
  import -window "$desktop" -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage "$out"
fi

wine "$tool" close "Hilfeviewer MS WinHlp32" >/dev/null
wait "$probe"
wine reg delete 'HKCU\Software\Wine\AppDefaults\Viewerprobe.exe' /f >/dev/null 2>&1
wineserver -k
wineserver -w
echo "screenshots: $out $full"
