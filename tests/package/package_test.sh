#!/bin/bash
# The Windows Installer package under Wine's msiexec, in a 64-bit prefix of
# its own (Wine's msiexec installs 32-bit packages there): a system older
# than Windows 7 refused, a silent install into a chosen folder, the start-up
# shortcut and FERROLINK_AUTOSTART=0, an upgrade that leaves one product, and
# an uninstall that keeps the files the package did not install. Needs the win64 build (for its Wine environment).
# Ends with "package: N passed, N failed".
set -u
cd "$(dirname "$0")/../.."
root=$PWD
. scripts/common.sh
work=$root/build/package-test
rm -rf "$work"
mkdir -p "$work"
out=$(PACKAGE_NO_SETUP=1 PACKAGE_BUILD=1 scripts/package.sh) || die "the package could not be made"
old=$work/old.msi
cp "$(echo "$out" | grep '\.msi$')" "$old"
out=$(PACKAGE_NO_SETUP=1 PACKAGE_BUILD=2 scripts/package.sh) || die "the package could not be made"
new=$work/new.msi
cp "$(echo "$out" | grep '\.msi$')" "$new"

step "configuring the win64 build (its Wine environment)" cmake --preset win64
wine_session build/win64 "$work/prefix"

passed=0
failed=0
check() {  # what, command...
  local what=$1
  shift
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "package: FAILED: $what"
  fi
}
msi() { wine msiexec "$@" /qn >/dev/null 2>&1; }

folder="$work/Mess Programme"
mkdir -p "$folder"
foreign=(QsStat.sta Message.ini Move.exe)
for f in "${foreign[@]}"; do echo "of the instrument software" >"$folder/$f"; done
programs=(Ferrolink.exe Message.exe Treecarry.exe Viewerprobe.exe)
# Wine puts the shortcut of a per-machine package into the installing user's
# start-up folder; Windows into the common one.
shortcut() {
  find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/StartUp/Ferrolink.lnk' | grep -q .
}
installed() {
  for p in "${programs[@]}"; do cmp -s "$folder/$p" "build/win32/dist/$p" || return 1; done
}
none_installed() {
  for p in "${programs[@]}"; do [ ! -e "$folder/$p" ] || return 1; done
}
foreign_kept() {
  for f in "${foreign[@]}"; do [ -f "$folder/$f" ] || return 1; done
}
products() {  # the uninstall entries of the package (a 32-bit one, in the 64-bit prefix)
  wine reg query 'HKLM\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
    tr -d '\r' | grep -c 'DisplayName.*Messplatz-Werkzeuge$'
}

# Windows XP (Wine's msiexec told so) is older than Windows 7: refused.
xp='HKCU\Software\Wine\AppDefaults\msiexec.exe'
wine reg add "$xp" /v Version /d winxp64 /f >/dev/null 2>&1
msi /i "$(winpath "$old")" "INSTALLDIR=$(winpath "$folder")\\"
check "a system older than Windows 7 is refused" none_installed
check "a refused install leaves no product" test "$(products)" = 0
wine reg delete "$xp" /f >/dev/null 2>&1

msi /i "$(winpath "$old")" "INSTALLDIR=$(winpath "$folder")\\"
check "a silent install puts the four programs into the chosen folder" installed
check "the start-up shortcut starts Ferrolink" shortcut
check "one product is installed" test "$(products)" = 1
msi /i "$(winpath "$new")" "INSTALLDIR=$(winpath "$folder")\\"
check "a newer build replaces the older one" test "$(products)" = 1
check "the programs stay after the upgrade" installed
msi /x "$(winpath "$new")"
check "uninstall removes the programs" none_installed
check "uninstall removes the start-up shortcut" eval '! shortcut'
check "uninstall keeps the instrument software's files" foreign_kept
check "no product is left" test "$(products)" = 0
msi /i "$(winpath "$new")" "INSTALLDIR=$(winpath "$folder")\\" FERROLINK_AUTOSTART=0
check "FERROLINK_AUTOSTART=0 installs the programs" installed
check "FERROLINK_AUTOSTART=0 leaves out the shortcut" eval '! shortcut'
msi /x "$(winpath "$new")"
check "the second uninstall removes the programs" none_installed

echo "package: $passed passed, $failed failed"
[ "$failed" = 0 ]
