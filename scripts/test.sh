#!/usr/bin/env bash
# Sets up, builds and runs every test: a normal build with warnings as errors,
# and a build under AddressSanitizer + UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DADHAN_WERROR=ON
cmake --build build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DADHAN_WERROR=ON -DADHAN_SANITIZE=ON
cmake --build build-asan -j "$jobs"

# shellcheck source=scripts/test-services.sh
source scripts/test-services.sh
adhan_start_xvfb
adhan_start_sound

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

status=0
passed=0
failed=0
# Runs ctest on one tree and adds its counts to the totals.
run_ctest() {
  local log
  log=$(mktemp)
  ctest --test-dir "$1" --output-on-failure 2>&1 | tee "$log" || true
  local line total bad
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [ -z "$line" ]; then
    echo "test.sh: ctest in $1 reported no result" >&2
    failed=$((failed + 1))
    status=1
    return
  fi
  bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$line")
  passed=$((passed + total - bad))
  failed=$((failed + bad))
  [ "$bad" -eq 0 ] || status=1
}
echo "== tests (build) =="
run_ctest build
echo "== tests (build-asan: AddressSanitizer + UndefinedBehaviorSanitizer) =="
run_ctest build-asan
echo "== fuzz (libFuzzer: each parser for a bounded time) =="
if bash fuzz/run.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  status=1
fi
echo "summary: $passed passed, $failed failed"
exit $status
