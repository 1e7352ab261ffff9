#!/bin/sh
# Shows Viewerprobe's notice (Windows 8 reported, no help viewer in its
# Windows directory) in a Windows build's Wine prefix, saves a screenshot of
# the virtual desktop and one of the window alone, then closes the notice.
# Needs an X display; without one it runs itself under xvfb-run. Any step
# that fails ends it with a message that says what.
# Usage: viewerprobe-screenshot.sh <win32|win64> [output.png]
set -u
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
[ $# -lt 2 ] || out=$(realpath -m "$2")
cd "$(dirname "$0")/.."
. scripts/common.sh
case ${1:-} in win32 | win64) ;; *) die "usage: viewerprobe-screenshot.sh <win32|win64> [output.png]" ;; esac
build_targets "$1" Viewerprobe.exe viewerprobe WinTool
build=$PWD/build/$1
out=${out:-$build/screenshots/viewerprobe-notice.png}
mkdir -p "$(dirname "$out")"
wine_session "$build"

windir="$build/screenshots/windir"
rm -rf "$windir"
mkdir -p "$windir"
step "reporting Windows 8 to Viewerprobe.exe" \
  wine reg add 'HKCU\Software\Wine\AppDefaults\Viewerprobe.exe' /v Version /d win8 /f

# The Windows directory is given to the program alone, through cmd.
wine cmd /c "set WinDir=$(winpath "$windir")&& $(winpath "$build/dist/Viewerprobe.exe")" \
  >/dev/null 2>&1 &
probe=$!
tool="$build/tests/WinTool.exe"
frame=$(wine "$tool" wait "Hilfeviewer MS WinHlp32" 15000 | tr -d '\r')
[ -n "$frame" ] || die "the notice did not appear within 15 s"
sleep 1  # let the window paint
# The window texts come in the ANSI code page (1252); the terminal reads UTF-8.
wine "$tool" texts "Hilfeviewer MS WinHlp32" | iconv -f CP1252 -t UTF-8

full="${out%.png}-desktop.png"
import -window root "$full" || die "the screenshot $full could not be saved"
# The virtual desktop is one X window; the notice's frame is given in its
# coordinates.
desktop=$(xwininfo -root -tree | awk '/ 1024x768\+/ {print $1; exit}')
set -- $frame
[ -n "$desktop" ] || die "no virtual desktop window to crop the notice from"
import -window "$desktop" -crop "$(($3 - $1))x$(($4 - $2))+$1+$2" +repage "$out" ||
  die "the screenshot $out could not be saved"

wine "$tool" close "Hilfeviewer MS WinHlp32" >/dev/null
wait "$probe"
wine reg delete 'HKCU\Software\Wine\AppDefaults\Viewerprobe.exe' /f >/dev/null 2>&1
echo "screenshots: $out $full"
