#!/bin/bash
# The demo: Ferrolink on a demo instrument configuration in a fresh Wine
# prefix. It lays out the instrument software's registry value and settings
# file, a ferrolink.ini with a demo server folder as target (copy mode), and a
# tree of sample measurement files; starts Ferrolink.exe (on $DISPLAY, else
# under Xvfb); waits until the files have arrived below the server folder;
# prints what arrived, the window's caption and status and the journal of the
# run; saves a screenshot.
# It runs the shipped 32-bit Ferrolink where this machine runs 32-bit code,
# else the 64-bit build of the same sources, and says which. Any step that
# fails ends it with a message that says what, and a non-zero status.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/common.sh

if [ -z "${DEMO_UNDER_XVFB:-}" ]; then
  step "installing the packages (scripts/setup.sh)" scripts/setup.sh
  if [ -z "${DISPLAY:-}" ]; then
    DEMO_UNDER_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
  fi
fi

pick_runnable_build
preset=$TOOLS_PRESET
build=$root/build/$preset
if [ "$preset" = win32 ]; then
  echo "demo: Ferrolink.exe of the shipped 32-bit build (build/win32)"
else
  echo "demo: $TOOLS_NO_I686: Ferrolink.exe of the 64-bit build of the same sources (build/win64)"
fi
build_targets "$preset" Ferrolink.exe Ferrolink WinTool

demo=$root/build/demo
rm -rf "$demo"
mkdir -p "$demo/Calyrix" "$demo/Server"

# Sample measurement files in subfolders, as the instrument software leaves them.
src=$demo/Messdaten
for part in "Welle 4711" Flansch-0815 "Gehäuse K2" "Žebro Řada 7"; do
  for n in 1 2 3; do
    dir="$src/$part/Serie $n"
    mkdir -p "$dir"
    printf 'K0100 3\r\nK1001 %s\r\nK2002 Durchmesser\r\n%s\r\n' "$part" "$RANDOM.$n" \
      | iconv -f UTF-8 -t CP1252//TRANSLIT >"$dir/Messung_000$n.dfq"
  done
done
# A plant abroad names its files in its own language.
printf 'K0100 1\r\n' >"$src/Žebro Řada 7/Serie 3/měření_ř.dfq"
printf 'Protokoll\r\n' >"$src/Tagesprotokoll.txt"

printf '[Directories]\r\nDatafiles=%s\r\n' "$(winpath "$src")" >"$demo/Calyrix/K9Q2.ini"
printf '; Ferrolink: the server folder of the demo\r\n[General]\r\nTarget=%s\r\nDelete=0\r\n' \
  "$(winpath "$demo/Server")" >"$demo/Calyrix/ferrolink.ini"

wine_session "$build" "$demo/prefix"
step "writing the instrument software's registry value" \
  wine reg add 'HKCU\Software\Quorlen\Calyrix K9Q2' /v Settings /d "$(winpath "$demo/Calyrix/K9Q2.ini")" /f

tool() { wine "$build/tests/WinTool.exe" "$@" | tr -d '\r'; }
shot() {  # the window's frame on the virtual desktop, cropped from the screen
  local rect l t r b
  rect=$(tool wait class:TMainForm 10000) || die "Ferrolink's window is gone before its screenshot"
  read -r l t r b <<<"$rect"
  import -window root -crop "$((r - l))x$((b - t))+$l+$t" +repage "$1" ||
    die "the screenshot $1 could not be saved"
}

wine "$build/dist/Ferrolink.exe" &
ferrolink=$!
if ! tool wait class:TMainForm 20000 >/dev/null; then
  kill $ferrolink 2>/dev/null
  die "Ferrolink's window did not appear within 20 s"
fi
shot "$demo/ferrolink-start.png"

# The first tick comes after two seconds; wait for the whole tree to arrive.
expected=$(cd "$src" && find . -type f | wc -l)
for _ in $(seq 1 60); do
  arrived=$(cd "$demo/Server" && find . -type f | wc -l)
  [ "$arrived" -ge "$expected" ] && break
  sleep 0.5
done
# Give the cycle time to finish its labels, then bring the window back from
# the task bar (a first tick that reaches the target minimises it).
sleep 1
tool restore class:TApplication >/dev/null
sleep 1
shot "$demo/ferrolink.png"
texts=$(tool texts class:TMainForm)

echo "Source: $(winpath "$src")  ($src)"
echo "Target: $(winpath "$demo/Server")  ($demo/Server)"
echo "Arrived below the target ($arrived of $expected files):"
(cd "$demo/Server" && find . -type f | sed 's|^\./||' | sort | sed 's/^/  /')
echo "Caption:     $(echo "$texts" | sed -n 's/^caption\t//p' | iconv -f CP1252 -t UTF-8)"
echo "LabelStatus: $(echo "$texts" | grep -E 'Datei\(en\)' | cut -f2 | iconv -f CP1252 -t UTF-8)"
echo "Screenshot:  $demo/ferrolink.png (at start: $demo/ferrolink-start.png)"

tool close class:TMainForm >/dev/null
wait "$ferrolink" || true
echo "Journal:     $demo/Calyrix/ferrolink.log"
sed '1s/^\xEF\xBB\xBF//; s/\r$//; s/^/  /' "$demo/Calyrix/ferrolink.log" 2>/dev/null ||
  echo "  (none was written)"
[ "$arrived" -ge "$expected" ] ||
  die "only $arrived of $expected files arrived below the server folder within 30 s"
echo "demo: ok ($arrived of $expected files arrived)"
