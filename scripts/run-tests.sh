#!/usr/bin/env bash
# Runs every test suite that has been built and ends with one line counting
# passed and failed tests over all of them.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
passed=0
failed=0

# ctest_suite LABEL BUILD_DIR [ctest args...]
ctest_suite() {
  local label=$1 dir=$2
  shift 2
  echo "== $label"
  local log
  log=$(mktemp)
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "!! $label: no test summary (did the suite run?)"
    failed=$((failed + 1))
  else
    local f t
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$line")
    passed=$((passed + t - f))
    failed=$((failed + f))
  fi
  rm -f "$log"
}

ctest_suite "native tests (AddressSanitizer, UndefinedBehaviorSanitizer)" "$root/build/asan" -j2 --timeout 600

if [ -f "$root/build/win/tests/win/CTestTestfile.cmake" ]; then
  # shellcheck source=scripts/wine-env.sh
  . "$root/scripts/wine-env.sh"
  # shellcheck source=scripts/e2e-env.sh
  . "$root/scripts/e2e-env.sh"
  wine_session_start
  if [ -f "$root/build/win/tests/e2e/CTestTestfile.cmake" ]; then
    e2e_session_start || echo "!! could not start the end-to-end session"
  fi
  ctest_suite "Windows tests under Wine, and end-to-end tests" "$root/build/win" --timeout 600
  e2e_session_stop
  wine_session_stop
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
