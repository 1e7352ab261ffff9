#!/bin/sh
# Makes the rollout packages of the shipped 32-bit programs in build/package/:
# a Windows Installer package (wixl, from packaging/measuring-pc-tools.wxs)
# and a zip with the programs and a German and English read-me.
#
# Windows Installer versions have a major part of at most 255: the programs'
# 2012.1 becomes 12.1, and the build number (PACKAGE_BUILD, default the
# number of commits) follows, so that every newer build upgrades an older one.
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
step "making $msi" wixl -a x86 -D "Version=$version" -D "Dist=build/win32/dist" -o "$msi" \
  packaging/measuring-pc-tools.wxs
# FERROLINK_AUTOSTART=0 sets the start-up shortcut's feature to level 0.
conditions=$(mktemp -d)
printf 'Feature_\tLevel\tCondition\ns38\ti2\tS255\nCondition\tFeature_\tLevel\nAutostart\t0\tFERROLINK_AUTOSTART="0"\n' \
  >"$conditions/Condition.idt"
step "adding the start-up condition to $msi" msibuild "$msi" -i "$conditions/Condition.idt"
# The programs need Windows 7 or later (32 or 64 bit); an older system is
# refused before anything is installed, and an installed package can always
# be removed. The row joins wixl's own launch condition (the downgrade).
(cd "$conditions" && msiinfo export "$root/$msi" LaunchCondition >LaunchCondition.idt) ||
  die "no launch condition table in $msi"
printf 'Installed OR VersionNT >= 601\tDie Messplatz-Werkzeuge brauchen Windows 7 oder neuer.\r\n' \
  >>"$conditions/LaunchCondition.idt"
step "adding the launch condition to $msi" msibuild "$msi" -i "$conditions/LaunchCondition.idt"
rm -rf "$conditions"

readme=$(mktemp -d)
iconv -f UTF-8 -t CP1252 packaging/LIESMICH.txt | sed 's/$/\r/' >"$readme/LIESMICH-README.txt"
step "making $zip" zip -j -q "$zip" build/win32/dist/Ferrolink.exe build/win32/dist/Message.exe \
  build/win32/dist/Treecarry.exe build/win32/dist/Viewerprobe.exe "$readme/LIESMICH-README.txt"
rm -rf "$readme"
echo "$msi"
echo "$zip"
