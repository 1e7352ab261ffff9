#!/bin/sh
# Runs the benchmarks (Ferrolink's watch cycle, Message's opening of the event
# list) under Wine on the Windows build this machine can run: the shipped
# 32-bit build, else the 64-bit build of the same sources. It says which; the
# benchmarks print their figures and verdicts.
# Usage: scripts/bench.sh [work folder, a Linux path]
set -u
cd "$(dirname "$0")/.."
. scripts/common.sh
step "installing the packages (scripts/setup.sh)" scripts/setup.sh
pick_runnable_build
if [ "$TOOLS_PRESET" = win32 ]; then
  echo "bench: the shipped 32-bit build (build/win32)"
else
  echo "bench: $TOOLS_NO_I686: the 64-bit build of the same sources (build/win64)"
fi
build_targets "$TOOLS_PRESET" "the benchmarks" ferrolink_bench message_bench
build=$PWD/build/$TOOLS_PRESET
work=$(realpath -m "${1:-$build/bench-work}")
wine_session "$build"
mkdir -p "$work"
wine "$build/bin/ferrolink_bench.exe" "$(winpath "$work")" || die "Ferrolink's benchmark failed"
echo
wine "$build/bin/message_bench.exe" "$(winpath "$work")" || die "Message's benchmark failed"
