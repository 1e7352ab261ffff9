#!/bin/bash
# Runs every test: native unit tests (ASan/UBSan), the Windows tests and the
# end-to-end tests under Wine and Xvfb, and a bounded run of each fuzz target.
# Ends with one summary line; exit status non-zero on any failure.
set -u
cd "$(dirname "$0")/.."
scripts/setup.sh || { echo "SUMMARY: FAILED (set-up)"; exit 1; }
mkdir -p build
log=build/test-log
: >"$log"

declare -a parts=()
failed=0
count_tests() {  # "M tests, N failed" from the last summary line of a ctest run
  grep -Eo '[0-9]+ tests? failed out of [0-9]+' "$1" | tail -1 |
    sed -E 's/([0-9]+) tests? failed out of ([0-9]+)/\2 tests, \1 failed/'
}

run_ctest_part() {  # name, command...
  local name=$1 out=build/test-$1.log
  shift
  if "$@" 2>&1 | tee "$out"; [ "${PIPESTATUS[0]}" = 0 ]; then
    parts+=("$name ok ($(count_tests "$out"))")
  else
    parts+=("$name FAILED ($(count_tests "$out"))")
    failed=1
  fi
  cat "$out" >>"$log"
}

native() {
  cmake --preset native >/dev/null && cmake --build --preset native &&
    ctest --test-dir build/native --output-on-failure -j2
}
win32() {
  cmake --preset win32 >/dev/null && cmake --build --preset win32 &&
    xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-tests.sh build/win32
}

run_ctest_part native native
run_ctest_part win32 win32
if scripts/fuzz.sh 2>&1 | tee build/test-fuzz.log; [ "${PIPESTATUS[0]}" = 0 ]; then
  parts+=("fuzz ok ($(grep -Eo '[0-9]+ targets run' build/test-fuzz.log))")
else
  parts+=("fuzz FAILED")
  failed=1
fi

summary=$(IFS=';'; echo "${parts[*]}" | sed 's/;/; /g')
if [ $failed = 0 ]; then
  echo "SUMMARY: all tests passed: $summary"
else
  echo "SUMMARY: FAILED: $summary"
fi
exit $failed
