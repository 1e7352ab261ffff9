#!/bin/sh
# Shows Message at work: builds it, puts a sample event file beside a copy of
# Message.exe in a demo folder, and starts it in the build's private Wine
# prefix. On a display ($DISPLAY) it stays open for the user; without one it
# runs under xvfb-run, opens the event list, saves screenshots of both
# windows, then of the main window while a slowly loading file is read, and
# ends. It runs the shipped 32-bit build where this machine runs 32-bit code,
# else the 64-bit build of the same sources, and says which. Any step that
# fails ends it with a message that says what, and a non-zero status.
# Usage: scripts/message-demo.sh [win32|win64]   (default: the build this machine runs)
set -u
cd "$(dirname "$0")/.."
. scripts/common.sh
[ -n "${MESSAGE_DEMO_HEADLESS:-}" ] ||
  step "installing the packages (scripts/setup.sh)" scripts/setup.sh
if [ $# -ge 1 ]; then
  preset=$1
  case $preset in win32 | win64) ;; *) die "usage: message-demo.sh [win32|win64]" ;; esac
else
  pick_runnable_build
  preset=$TOOLS_PRESET
  [ "$preset" = win32 ] || echo "message-demo: $TOOLS_NO_I686: the 64-bit build runs"
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${MESSAGE_DEMO_HEADLESS:-}" ]; then
  MESSAGE_DEMO_HEADLESS=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$preset"
fi
build_targets "$preset" Message.exe Message MessageSample WinTool
build=$PWD/build/$preset
echo "message-demo: Message.exe of $build"

wine_session "$build"

demo=$build/message-demo
rm -rf "$demo"
mkdir -p "$demo"
cp "$build/dist/Message.exe" "$demo/"
sample="$build/tests/message/MessageSample.exe"
wintool="$build/tests/WinTool.exe"
printf 'message-demo: sample event file: '
wine "$sample" write "$(winpath "$demo/QsStat.sta")" 3000 ||
  die "the sample event file could not be written"
main_caption="Q-DAS (qs-STAT) Ereignisanzeige zu Calyrix K9Q2"
list_caption="Q-DAS (qs-STAT) Ereignis-Liste"

if [ -z "${MESSAGE_DEMO_HEADLESS:-}" ]; then
  echo "message-demo: Message.exe runs in $demo; close it with 'Schließen'"
  rc=0
  wine "$demo/Message.exe" || rc=$?
  echo "message-demo: Message.exe ended with exit code $rc"
  exit 0
fi

# wait_for <caption> <ms> <what>: a window with that caption appears, or the demo ends.
wait_for() {
  wine "$wintool" wait "$1" "$2" >/dev/null || die "$3 did not appear within $(($2 / 1000)) s"
}
screenshot() {
  import -window root "$1" || die "the screenshot $1 could not be saved"
}
click() {
  wine "$sample" click "$main_caption" "$1" || die "the button '$1' could not be clicked"
}
ended() {
  rc=0
  wait "$1" || rc=$?
  echo "message-demo: Message.exe ended with exit code $rc"
  [ $rc = 0 ] || die "Message.exe ended with exit code $rc"
}

wine "$demo/Message.exe" &
pid=$!
wait_for "$main_caption" 20000 "Message's main window"
sleep 1
screenshot "$build/message-main.png"
click "Ereignisliste öffnen"
wait_for "$list_caption" 20000 "The event list"
sleep 1
screenshot "$build/message-list.png"
echo "message-demo: list window texts:"
# The window texts come in the ANSI code page (1252); the terminal reads UTF-8.
wine "$wintool" texts "$list_caption" | head -8 | iconv -f CP1252 -t UTF-8
click "Schließen"
ended $pid

# The loading state: "Bitte warten ...", the progress bar, two dimmed buttons.
printf 'message-demo: slowly loading event file: '
wine "$sample" slow "$(winpath "$demo/QsStat.sta")" 100 ||
  die "the slowly loading event file could not be written"
wine "$demo/Message.exe" &
pid=$!
wait_for "$main_caption" 20000 "Message's main window"
click "Ereignisliste öffnen"
# Only the newest 20000 bytes are laid out: the loading lasts about a second.
sleep 0.2
screenshot "$build/message-loading.png"
wait_for "$list_caption" 120000 "The event list of the slowly loading file"
click "Schließen"
ended $pid
echo "message-demo: screenshots $build/message-main.png $build/message-list.png" \
  "$build/message-loading.png"
