#!/bin/sh
# Makes the rollout packages of the shipped 32-bit programs in build/package/:
# a Windows Installer package (wixl, from packaging/measuring-pc-tools.wxs)
# and a zip with the programs and a German and English read-me.
#
# Windows Installer versions have a major part of at most 255: the programs'
# 2012.1 becomes 12.1, and the build number (PACKAGE_BUILD, default the
# number of commits) follows, so that every newer build upgrades an older one.
# The programs are signed, and then the package, when SIGN_PFX names a
# code-signing certificate (a PKCS#12 file; its password in SIGN_PASSWORD),
# time-stamped by the server SIGN_TIMESTAMP_URL names, if any.
# Usage: scripts/package.sh   (prints the two files' paths)
set -u
cd "$(dirname "$0")/.."
root=$PWD
. scripts/common.sh
[ -n "${PACKAGE_NO_SETUP:-}" ] || step "installing the packages (scripts/setup.sh)" scripts/setup.sh
build_targets win32 "the programs" Ferrolink Message Treecarry viewerprobe

year_minor=$(sed -n 's/^FILEVERSION \([0-9]*\), \([0-9]*\),.*/\1 \2/p' ferrolink/win32/Ferrolink.rc)
set -- $year_minor
[ $# = 2 ] || die "no file version in ferrolink/win32/Ferrolink.rc"
build=${PACKAGE_BUILD:-$(git rev-list --count HEAD 2>/dev/null || echo 0)}
version="$(($1 % 100)).$2.$build"

out=build/package
mkdir -p "$out"
msi="$out/measuring-pc-tools-$version.msi"
zip="$out/measuring-pc-tools-$version.zip"
rm -f "$msi" "$zip"
programs="Ferrolink.exe Message.exe Treecarry.exe Viewerprobe.exe"
# The programs as they ship, signed when a certificate is given: the package
# and the zip carry these.
shipped="$out/programs"
rm -rf "$shipped"
mkdir -p "$shipped"
for p in $programs; do cp "build/win32/dist/$p" "$shipped/$p"; done

# sign <file>: signs a program or the package in place with the code-signing
# certificate SIGN_PFX (SHA-256), time-stamped when SIGN_TIMESTAMP_URL names a
# server. The password reaches osslsigncode in a file, not on its command line.
sign() {
  file=$1
  sign_tmp=$(mktemp -d)
  printf '%s' "${SIGN_PASSWORD:-}" >"$sign_tmp/password"
  set -- osslsigncode sign -pkcs12 "$SIGN_PFX" -readpass "$sign_tmp/password" -h sha256 \
    -n "Messplatz-Werkzeuge"
  [ -z "${SIGN_TIMESTAMP_URL:-}" ] || set -- "$@" -ts "$SIGN_TIMESTAMP_URL"
  step "signing $file" "$@" -in "$file" -out "$sign_tmp/signed"
  mv "$sign_tmp/signed" "$file"
  rm -rf "$sign_tmp"
}
if [ -n "${SIGN_PFX:-}" ]; then
  [ -r "$SIGN_PFX" ] || die "SIGN_PFX names no readable file: $SIGN_PFX"
  for p in $programs; do sign "$shipped/$p"; done
else
  echo "$(basename "$0"): unsigned (give SIGN_PFX and SIGN_PASSWORD to sign)" >&2
fi

step "making $msi" wixl -a x86 -D "Version=$version" -D "Dist=$shipped" -o "$msi" \
  packaging/measuring-pc-tools.wxs
tables=$(mktemp -d)
# wixl leaves the file table's Version column empty and gives each program a
# hash, which Windows Installer keeps for unversioned files: the programs get
# the versions of their version resources, and their hashes go.
(cd "$tables" && msiinfo export "$root/$msi" File >File.idt) || die "no file table in $msi"
/usr/bin/python3 - "$shipped" "$tables/File.idt" <<'PY' || die "the programs' versions could not be read"
import sys, pefile
shipped, idt = sys.argv[1], sys.argv[2]
with open(idt, newline="") as f:
    lines = f.read().split("\r\n")
for i, line in enumerate(lines[3:], 3):
    row = line.split("\t")
    if len(row) < 8:
        continue
    name = row[2].split("|")[-1]
    info = pefile.PE(f"{shipped}/{name}", fast_load=True)
    info.parse_data_directories([pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_RESOURCE"]])
    fixed = info.VS_FIXEDFILEINFO[0]
    row[4] = "%d.%d.%d.%d" % (fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF,
                              fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF)
    lines[i] = "\t".join(row)
with open(idt, "w", newline="") as f:
    f.write("\r\n".join(lines))
PY
# The hash table is imported empty: msibuild's DELETE leaves every other row.
printf 'File_\tOptions\tHashPart1\tHashPart2\tHashPart3\tHashPart4\r\ns72\ti2\ti4\ti4\ti4\ti4\r\nMsiFileHash\tFile_\r\n' \
  >"$tables/MsiFileHash.idt"
step "giving the programs their versions in $msi" msibuild "$msi" -i "$tables/File.idt" \
  -i "$tables/MsiFileHash.idt"
# FERROLINK_AUTOSTART=0 sets the start-up shortcut's feature to level 0.
printf 'Feature_\tLevel\tCondition\ns38\ti2\tS255\nCondition\tFeature_\tLevel\nAutostart\t0\tFERROLINK_AUTOSTART="0"\n' \
  >"$tables/Condition.idt"
step "adding the start-up condition to $msi" msibuild "$msi" -i "$tables/Condition.idt"
# The programs need Windows 7 or later (32 or 64 bit); an older system is
# refused before anything is installed, and an installed package can always
# be removed. A first install needs the instrument software's program folder,
# which nothing on the PC records for a managed install running as SYSTEM:
# without INSTALLDIR (or the folder remembered by an earlier version, which
# the search sets before this check) it is refused with a text that says how
# to give it. Repair, uninstall and the removal of an older product run with
# Installed set. The rows join wixl's own launch condition (the downgrade).
(cd "$tables" && msiinfo export "$root/$msi" LaunchCondition >LaunchCondition.idt) ||
  die "no launch condition table in $msi"
printf 'Installed OR VersionNT >= 601\tDie Messplatz-Werkzeuge brauchen Windows 7 oder neuer.\r\n' \
  >>"$tables/LaunchCondition.idt"
# At most 255 characters.
printf 'Installed OR INSTALLDIR\t%s\r\n' "Kein Programmordner angegeben: INSTALLDIR muss den Programmordner der Messsoftware nennen, zum Beispiel msiexec /i measuring-pc-tools-$version.msi INSTALLDIR=\"D:\\Calyrix\\Programme\\\"" |
  iconv -f UTF-8 -t CP1252 >>"$tables/LaunchCondition.idt"
step "adding the launch conditions to $msi" msibuild "$msi" -i "$tables/LaunchCondition.idt"
rm -rf "$tables"
[ -z "${SIGN_PFX:-}" ] || sign "$msi"

readme=$(mktemp -d)
iconv -f UTF-8 -t CP1252 packaging/LIESMICH.txt | sed 's/$/\r/' >"$readme/LIESMICH-README.txt"
step "making $zip" zip -j -q "$zip" "$shipped/Ferrolink.exe" "$shipped/Message.exe" \
  "$shipped/Treecarry.exe" "$shipped/Viewerprobe.exe" "$readme/LIESMICH-README.txt"
rm -rf "$readme"
echo "$msi"
echo "$zip"
