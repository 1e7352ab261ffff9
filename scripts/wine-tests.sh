#!/bin/sh
# Runs the Windows tests of a Windows build folder (win32 or win64) through
# Wine, in the build's private prefix, with one persistent Wine server for the
# whole run. Needs an X display (scripts/test.sh runs it under xvfb-run).
# Usage: wine-tests.sh <build-dir> [ctest arguments...]
set -u
build=$(cd "$1" && pwd)
shift
. "$(dirname "$0")/common.sh"
wine_session "$build"
# A run cut short may have left a mount of the tests' misbehaving file
# server in the build's work folders: it goes first.
awk -v top="$build/" '$1 == "misbehaving" && index($2, top) == 1 { print $2 }' /proc/mounts |
  while read -r mount; do fusermount3 -u -z "$mount"; done
# Now and then Wine fails to start a test program at all (no output, a
# failure within milliseconds): a failed test gets one more run, and one
# that fails twice fails.
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300 --repeat until-pass:2 "$@"
