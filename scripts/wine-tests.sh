#!/bin/sh
# Runs the Windows tests of a win32 build folder through Wine, in the build's
# private prefix, with one persistent Wine server for the whole run. Needs an X
# display (scripts/test.sh runs it under xvfb-run).
# Usage: wine-tests.sh <build-dir> [ctest arguments...]
set -u
build=$(cd "$1" && pwd)
shift
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=C.UTF-8
"$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX" || exit 1
wineserver -p
ctest --test-dir "$build" --output-on-failure -j2 --timeout 300 "$@"
rc=$?
wineserver -k
wineserver -w
exit $rc
