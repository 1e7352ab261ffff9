#!/bin/sh
# Runs Treecarry.exe once under Wine as a user would meet it: installed in a
# folder with a blank beside a Move.exe that records what it receives and
# waits, with one extra user profile whose hive names a directory. While
# Move.exe waits, the screen is saved: Treecarry itself shows nothing; a
# folder window shows the installed files. Needs an X display (run under xvfb-run).
# Usage: scripts/treecarry-screenshot.sh <win32-build-dir> <out.png>
set -eu
build=$(cd "$1" && pwd)
out=$2
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
# Keys below HKEY_USERS live only as long as the Wine server runs.
wineserver -p

demo="$build/treecarry-demo"
rm -rf "$demo"
mkdir -p "$demo/Mess Programme"
cp "$build/dist/Treecarry.exe" "$build/tests/treecarry/standin/Move.exe" "$demo/Mess Programme/"
profile='S-1-5-21-9-9-9-3001'
list='HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\ProfileList'
wine reg add "$list\\$profile" /v ProfileImagePath /d 'C:\users\demo' /f >/dev/null
wine reg add "HKU\\$profile\\Software\\Quorlen\\Calyrix\\Directories" /v Application \
  /d 'D:\Mess Daten\' /f >/dev/null

export TREECARRY_TEST_RECORD="$(winepath -w "$demo/record.txt")"
export TREECARRY_TEST_RELEASE="$(winepath -w "$demo/release")"
wine "$demo/Mess Programme/Treecarry.exe" &
treecarry=$!
i=0
while [ ! -s "$demo/record.txt" ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i + 1)); done
wine explorer "$(winepath -w "$demo/Mess Programme")" &
sleep 4
import -window root "$out"
touch "$demo/release"
wait $treecarry
echo "Treecarry ended with exit code $?; Move.exe received:"
cat "$demo/record.txt"

wine reg delete "$list\\$profile" /f >/dev/null
wine reg delete "HKU\\$profile" /f >/dev/null 2>&1 || true
wineserver -k
wineserver -w
