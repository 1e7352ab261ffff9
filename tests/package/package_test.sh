#!/bin/bash
# The Windows Installer package: its tables, where Wine's msiexec cannot show
# Windows Installer's rules (the programs' versions, the install mode that
# replaces files of the same version); then under Wine's msiexec, in a 64-bit
# prefix of its own (Wine's msiexec installs 32-bit packages there): a system
# older than Windows 7 refused, a first install without a folder refused,
# a silent install into a chosen folder over
# older programs of the same names, the start-up shortcut and
# FERROLINK_AUTOSTART=0, an upgrade that keeps the folder and leaves one
# product, and an uninstall that keeps the files the package did not
# install; last, a build signed with a throwaway certificate. Needs the win64
# build (for its Wine environment).
# Ends with "package: N passed, N failed".
set -u
cd "$(dirname "$0")/../.."
root=$PWD
. scripts/common.sh
work=$root/build/package-test
rm -rf "$work"
mkdir -p "$work"
make_package() {  # build number, copy's name: the package built, copied
  out=$(PACKAGE_NO_SETUP=1 PACKAGE_BUILD=$1 scripts/package.sh 2>>"$work/package.err") ||
    die "the package could not be made"
  cp "$(echo "$out" | grep '\.msi$')" "$work/$2.msi"
  cp "$(echo "$out" | grep '\.zip$')" "$work/$2.zip"
}
make_package 1 old
old=$work/old.msi
make_package 2 new
new=$work/new.msi

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

# The tables. A program carries its version resource's version, and no
# hash (Windows Installer keeps a hash only for unversioned files): then a
# program in the folder is replaced by the package's of a higher version...
table() { msiinfo export "$new" "$1" | tr -d '\r' | tail -n +4; }
versions=$(table File | awk -F '\t' '{ print $3 "=" $5 }' | sort | tr '\n' ' ')
check "the file table carries each program's version" test "$versions" = \
  "Ferrolink.exe=2012.1.0.0 Message.exe=2012.0.0.0 Treecarry.exe=2012.1.0.0 Viewerprobe.exe=2012.1.0.0 "
check "no program has a file hash" test -z "$(table MsiFileHash)"
# ... and, as the install mode reinstalls all files ("a"), also by one of the
# same version, as the zip's programs or an older build's are.
check "the install mode replaces files of the same version" \
  test "$(table Property | awk -F '\t' '$1 == "REINSTALLMODE" { print $2 }')" = amus
check "a first install needs a folder, a repair or removal none, and it says how to give it" \
  eval 'table LaunchCondition | grep -q "^Installed OR INSTALLDIR	.*INSTALLDIR=\"D:"'
check "a build without a certificate says it is unsigned" grep -q unsigned "$work/package.err"

step "configuring the win64 build (its Wine environment)" cmake --preset win64
wine_session build/win64 "$work/prefix"

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

# Without a folder a first install is refused with Windows Installer's
# "fatal error" (1603; a shell sees its low 8 bits). Wine's msiexec writes no
# launch condition's text to its log (seen with /l*v): the table above holds
# the text, which Windows writes there and shows in a message box.
default_folder="$WINEPREFIX/drive_c/Program Files (x86)/Messplatz-Werkzeuge"
wine msiexec /i "$(winpath "$old")" /qn >/dev/null 2>&1
check "a first install without a folder is refused" test $? = $((1603 % 256))
check "a first install without a folder installs nothing" test ! -e "$default_folder"
check "a first install without a folder leaves no product" test "$(products)" = 0

# Programs of the same names copied there by hand before the package.
for p in "${programs[@]}"; do echo "an older $p" >"$folder/$p"; done
msi /i "$(winpath "$old")" "INSTALLDIR=$(winpath "$folder")\\"
check "a silent install puts the four programs into the chosen folder, over older ones" installed
check "the start-up shortcut starts Ferrolink" shortcut
check "one product is installed" test "$(products)" = 1
# An upgrade needs no folder: it keeps the one the product is in.
msi /i "$(winpath "$new")"
check "a newer build replaces the older one" test "$(products)" = 1
check "the programs stay in their folder after the upgrade" installed
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

# A signed build, with a throwaway code-signing certificate: each program,
# in the zip and in the package, and the package carry a signature that
# checks against the certificate, and the signed programs are still the
# programs that ship.
keys=$work/keys
mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Messplatz-Werkzeuge Test/O=Quorlen" \
  -addext "extendedKeyUsage=codeSigning" -keyout "$keys/key.pem" -out "$keys/cert.pem" \
  >/dev/null 2>&1 || die "no test certificate could be made"
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -passout pass:geheim \
  -out "$keys/sign.pfx" >/dev/null 2>&1 || die "no test certificate could be made"
SIGN_PFX=$keys/sign.pfx SIGN_PASSWORD=geheim make_package 3 signed
verified() { osslsigncode verify -CAfile "$keys/cert.pem" -in "$1" >/dev/null 2>&1; }
mkdir -p "$work/signed-zip" "$work/signed-msi"
/usr/bin/python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' \
  "$work/signed.zip" "$work/signed-zip"
msiextract -C "$work/signed-msi" "$work/signed.msi" >/dev/null
check "the signed package checks" verified "$work/signed.msi"
for p in "${programs[@]}"; do
  check "the signed zip's $p checks" verified "$work/signed-zip/$p"
  check "the signed package's $p checks" verified "$(find "$work/signed-msi" -name "$p")"
done
check "an unsigned program does not check" eval '! verified build/win32/dist/Message.exe'
check "the signed programs are the programs that ship" \
  eval 'tests/shipped/check_shipped.py "$work/signed-zip" >/dev/null'

echo "package: $passed passed, $failed failed"
[ "$failed" = 0 ]
