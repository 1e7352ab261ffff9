#!/bin/sh
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, default 20), each with its own corpus folder in the build.
set -u
cd "$(dirname "$0")/.."
if ! command -v clang++ >/dev/null; then
  echo "fuzz: FAILED: clang++ is not installed (scripts/setup.sh installs it)"
  exit 1
fi
cmake --preset fuzz >/dev/null && cmake --build --preset fuzz || exit 1
seconds=${FUZZ_SECONDS:-20}
rc=0
count=0
for target in build/fuzz/bin/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=fuzz/seeds/$name
  [ -d "$seeds" ] || seeds=
  count=$((count + 1))
  if "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix=build/fuzz/ "$corpus" $seeds >build/fuzz/$name.log 2>&1; then
    echo "fuzz: $name ok ($(grep -c 'NEW\|REDUCE' build/fuzz/$name.log) new inputs in ${seconds}s)"
  else
    echo "fuzz: $name FAILED, see build/fuzz/$name.log"
    tail -30 build/fuzz/$name.log
    rc=1
  fi
done
echo "fuzz: $count targets run"
exit $rc
