#!/bin/sh
# Shows Message at work: builds it, puts a sample event file beside a copy of
# Message.exe in a demo folder, and starts it in the build's private Wine
# prefix. On a display ($DISPLAY) it stays open for the user; without one it
# runs under xvfb-run, opens the event list, saves screenshots of both
# windows, then of the main window while a slowly loading file is read, and
# ends.
# Usage: scripts/message-demo.sh [build-dir]   (default build/win32)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/win32}
[ -n "${MESSAGE_DEMO_HEADLESS:-}" ] || scripts/setup.sh
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
    -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
fi
cmake --build "$build" --target Message MessageSample WinTool >/dev/null
build=$(cd "$build" && pwd)

if [ -z "${DISPLAY:-}" ] && [ -z "${MESSAGE_DEMO_HEADLESS:-}" ]; then
  MESSAGE_DEMO_HEADLESS=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
scripts/wine-prefix.sh "$WINEPREFIX"
wineserver -p
trap 'wineserver -k; wineserver -w' EXIT

demo=$build/message-demo
rm -rf "$demo"
mkdir -p "$demo"
cp "$build/dist/Message.exe" "$demo/"
sample="$build/tests/message/MessageSample.exe"
wintool="$build/tests/WinTool.exe"
printf 'message-demo: sample event file: '
wine "$sample" write "$(winepath -w "$demo/QsStat.sta")" 3000
main_caption="Q-DAS (qs-STAT) Ereignisanzeige zu Calyrix K9Q2"
list_caption="Q-DAS (qs-STAT) Ereignis-Liste"

if [ -z "${MESSAGE_DEMO_HEADLESS:-}" ]; then
  echo "message-demo: Message.exe runs in $demo; close it with 'Schließen'"
  rc=0
  wine "$demo/Message.exe" || rc=$?
  echo "message-demo: Message.exe ended with exit code $rc"
  exit 0
fi

wine "$demo/Message.exe" &
pid=$!
wine "$wintool" wait "$main_caption" 20000 >/dev/null
sleep 1
import -window root "$build/message-main.png"
wine "$sample" click "$main_caption" "Ereignisliste öffnen"
wine "$wintool" wait "$list_caption" 20000 >/dev/null
sleep 1
import -window root "$build/message-list.png"
echo "message-demo: list window texts:"
wine "$wintool" texts "$list_caption" | head -8
wine "$sample" click "$main_caption" "Schließen"
rc=0
wait $pid || rc=$?
echo "message-demo: Message.exe ended with exit code $rc"

# The loading state: "Bitte warten ...", the progress bar, two dimmed buttons.
printf 'message-demo: slowly loading event file: '
wine "$sample" slow "$(winepath -w "$demo/QsStat.sta")" 100
wine "$demo/Message.exe" &
pid=$!
wine "$wintool" wait "$main_caption" 20000 >/dev/null
wine "$sample" click "$main_caption" "Ereignisliste öffnen"
sleep 1
import -window root "$build/message-loading.png"
wine "$wintool" wait "$list_caption" 120000 >/dev/null
wine "$sample" click "$main_caption" "Schließen"
rc=0
wait $pid || rc=$?
echo "message-demo: Message.exe ended with exit code $rc"
echo "message-demo: screenshots $build/message-main.png $build/message-list.png" \
  "$build/message-loading.png"
