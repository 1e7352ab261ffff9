#!/bin/sh
# Installs what the build, the tests and the demo need, and nothing that is
# already there. Debian 12, run as root (or with everything already installed).
set -eu

need=""
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

for p in cmake ninja-build g++ clang clang-format libclang-rt-14-dev googletest \
         g++-mingw-w64-i686 g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth fonts-wine \
         imagemagick x11-utils python3 python3-pefile wixl msitools zip osslsigncode openssl \
         fuse3 python3-fusepy; do
  have_pkg "$p" || need="$need $p"
done
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  need_i386=1
else
  need_i386=0
fi
have_pkg wine32:i386 || need="$need wine32:i386"

if [ -n "$need" ]; then
  if [ "$(id -u)" != 0 ]; then
    echo "setup: missing packages:$need (run as root to install them)" >&2
    exit 1
  fi
  [ "$need_i386" = 1 ] && dpkg --add-architecture i386
  echo "setup: installing$need"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $need >/dev/null
fi
