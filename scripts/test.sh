#!/bin/bash
# Runs every test: native unit tests (ASan/UBSan); both Windows builds, with
# the Windows and end-to-end tests of the 64-bit build under Wine and Xvfb,
# and those of the 32-bit build too where this machine runs 32-bit code; the
# checks of the shipped 32-bit files, which run nothing; the installer package
# under Wine's msiexec; a bounded run of each fuzz target. Ends with one
# summary line that names what ran and, for each part that failed or could not
# run, why; exit status non-zero on any failure.
set -u
cd "$(dirname "$0")/.."
. scripts/common.sh
scripts/setup.sh || { echo "SUMMARY: FAILED: set-up (the packages could not be installed)"; exit 1; }
mkdir -p build
log=build/test-log
: >"$log"

declare -a parts=()
failed=0
passed_total=0
failed_total=0
say() {  # a line for the console and the log
  echo "$*" | tee -a "$log"
}
part() {  # name, result: one part of the summary
  parts+=("$1 $2")
  say "test: $1 $2"
}
fail_part() {  # name, reason
  part "$1" "FAILED ($2)"
  failed=1
}

# Reads ctest's last summary line into `counted` ("M tests" or "M tests, N
# failed") and adds it to the totals.
count_tests() {
  local line total bad
  line=$(grep -Eo '[0-9]+ tests? failed out of [0-9]+' "$1" | tail -1)
  if [ -z "$line" ]; then
    counted="no test ran"
    return
  fi
  bad=${line%% *}
  total=${line##* }
  passed_total=$((passed_total + total - bad))
  failed_total=$((failed_total + bad))
  if [ "$bad" = 0 ]; then counted="$total tests"; else counted="$total tests, $bad failed"; fi
}

# run_ctest_part <name> <log name> <command...>
run_ctest_part() {
  local name=$1 out=build/test-$2.log rc
  shift 2
  "$@" 2>&1 | tee "$out"
  rc=${PIPESTATUS[0]}
  cat "$out" >>"$log"
  count_tests "$out"
  if [ "$rc" = 0 ] && [ "$counted" != "no test ran" ]; then
    part "$name" "ok ($counted)"
  else
    fail_part "$name" "$counted; see $out"
  fi
}

# build_preset <preset>: configures and builds one preset, its output in a log.
build_preset() {
  local out=build/build-$1.log
  if { cmake --preset "$1" && cmake --build --preset "$1"; } >"$out" 2>&1; then
    return 0
  fi
  tail -30 "$out"
  cat "$out" >>"$log"
  return 1
}

windows_tests() {  # build dir
  xvfb-run -a -s "-screen 0 1280x1024x24" scripts/wine-tests.sh "$1"
}

# The tests against the tests' own misbehaving file server skip where FUSE
# cannot be mounted; their skip message, in ctest's log of the build, gives
# the reason, and the summary says it once.
fuse_told=0
fuse_skips() {  # build dir
  local why
  why=$(grep -m1 -o 'FUSE cannot be mounted: .*' "$1/Testing/Temporary/LastTest.log" 2>/dev/null)
  if [ -n "$why" ] && [ $fuse_told = 0 ]; then
    fuse_told=1
    part "ferrolink server tests" "skipped ($why)"
  fi
}

# Native unit tests.
if build_preset native; then
  run_ctest_part native native ctest --test-dir build/native --output-on-failure -j2
else
  fail_part native "the native build failed; see build/build-native.log"
fi

# Both Windows builds, on every machine.
built_win64=0
built_win32=0
build_preset win64 && built_win64=1
build_preset win32 && built_win32=1

if [ $built_win64 = 1 ]; then
  run_ctest_part "windows x86_64" win64 windows_tests build/win64
  fuse_skips build/win64
else
  fail_part "windows x86_64" "the x86_64 build failed; see build/build-win64.log"
fi

if [ $built_win32 = 0 ]; then
  fail_part "windows i686" "the i686 build failed; see build/build-win32.log"
elif runs_i686; then
  run_ctest_part "windows i686" win32 windows_tests build/win32
  fuse_skips build/win32
else
  part "windows i686" "skipped ($TOOLS_NO_I686)"
fi

# The shipped 32-bit files, checked as files.
if [ $built_win32 = 0 ]; then
  fail_part "shipped files" "no 32-bit build to check"
elif tests/shipped/check_shipped.py build/win32/dist 2>&1 | tee build/test-shipped.log; then
  cat build/test-shipped.log >>"$log"
  programs=$(grep -Eo '^shipped: [0-9]+ passed' build/test-shipped.log | grep -Eo '[0-9]+')
  passed_total=$((passed_total + programs))
  part "shipped files" "ok ($programs programs)"
else
  cat build/test-shipped.log >>"$log"
  bad=$(grep -c ' FAILED' build/test-shipped.log)
  failed_total=$((failed_total + bad))
  fail_part "shipped files" "$bad of 4 programs differ from what ships; see build/test-shipped.log"
fi

# The Windows Installer package, installed, upgraded and removed under Wine's
# 64-bit msiexec.
if [ $built_win32 = 0 ] || [ $built_win64 = 0 ]; then
  fail_part package "it needs both Windows builds"
elif tests/package/package_test.sh >build/test-package.log 2>&1; then
  cat build/test-package.log >>"$log"
  checks=$(grep -Eo '^package: [0-9]+ passed' build/test-package.log | grep -Eo '[0-9]+')
  passed_total=$((passed_total + checks))
  part package "ok ($checks checks)"
else
  cat build/test-package.log | tee -a "$log"
  bad=$(grep -Eo '[0-9]+ failed' build/test-package.log | tail -1 | grep -Eo '[0-9]+')
  failed_total=$((failed_total + ${bad:-1}))
  fail_part package "$(grep -m1 'FAILED' build/test-package.log || echo 'it did not run'); see build/test-package.log"
fi

# Fuzzing, bounded in time.
if scripts/fuzz.sh 2>&1 | tee build/test-fuzz.log; [ "${PIPESTATUS[0]}" = 0 ]; then
  part fuzz "ok ($(grep -Eo '[0-9]+ targets' build/test-fuzz.log | tail -1))"
else
  fail_part fuzz "$(grep -m1 'FAILED' build/test-fuzz.log || echo 'the fuzz build failed'); see build/test-fuzz.log"
fi
cat build/test-fuzz.log >>"$log"

summary=$(printf '%s; ' "${parts[@]}")
summary=${summary%; }
say "tests: $passed_total passed, $failed_total failed"
if [ $failed = 0 ]; then
  say "SUMMARY: all tests passed: $summary"
else
  say "SUMMARY: FAILED: $summary"
fi
exit $failed
