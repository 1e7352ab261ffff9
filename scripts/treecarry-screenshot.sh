#!/bin/sh
# Runs Treecarry.exe once under Wine as a user would meet it: installed in a
# folder with a blank beside a Move.exe that records what it receives and
# waits, with one extra user profile whose hive names a directory. While
# Move.exe waits, the screen is saved: Treecarry itself shows nothing; a
# folder window shows the installed files. Needs an X display (run under
# xvfb-run). Any step that fails ends it with a message that says what.
# Usage: scripts/treecarry-screenshot.sh <win32|win64> <out.png>
set -u
out=${2:+$(realpath -m "$2")}
cd "$(dirname "$0")/.."
. scripts/common.sh
case $#:${1:-} in 2:win32 | 2:win64) ;; *) die "usage: treecarry-screenshot.sh <win32|win64> <out.png>" ;; esac
[ -n "${DISPLAY:-}" ] || die "no X display (run it under xvfb-run -a)"
build_targets "$1" Treecarry.exe Treecarry treecarry_move_standin
build=$PWD/build/$1
wine_session "$build"

demo="$build/treecarry-demo"
rm -rf "$demo"
mkdir -p "$demo/Mess Programme"
cp "$build/dist/Treecarry.exe" "$build/tests/treecarry/standin/Move.exe" "$demo/Mess Programme/" ||
  die "Treecarry.exe and the Move.exe stand-in could not be installed"
profile='S-1-5-21-9-9-9-3001'
list='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList'
step "adding a user profile" \
  wine reg add "$list\\$profile" /v ProfileImagePath /d 'C:\users\demo' /f
step "naming its application directory" \
  wine reg add "HKU\\$profile\\Software\\Quorlen\\Calyrix\\Directories" /v Application \
  /d 'D:\Mess Daten\' /f

TREECARRY_TEST_RECORD="$(winpath "$demo/record.txt")"
TREECARRY_TEST_RELEASE="$(winpath "$demo/release")"
export TREECARRY_TEST_RECORD TREECARRY_TEST_RELEASE
wine "$demo/Mess Programme/Treecarry.exe" &
treecarry=$!
i=0
while [ ! -s "$demo/record.txt" ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i + 1)); done
if [ ! -s "$demo/record.txt" ]; then
  touch "$demo/release"
  die "Treecarry did not start Move.exe within 20 s"
fi
wine explorer "$(winpath "$demo/Mess Programme")" &
sleep 4
import -window root "$out" || die "the screenshot $out could not be saved"
touch "$demo/release"
rc=0
wait $treecarry || rc=$?
echo "Treecarry ended with exit code $rc; Move.exe received:"
cat "$demo/record.txt"

wine reg delete "$list\\$profile" /f >/dev/null
wine reg delete "HKU\\$profile" /f >/dev/null 2>&1 || true
