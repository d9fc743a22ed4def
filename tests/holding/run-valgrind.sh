#!/usr/bin/env bash
# Runs the long-run memory test under Valgrind's memcheck: an hour of ticks of
# the real main window (ADHAN_LONG_RUN_HOURS, 1 unless set) after the warm-up,
# failing on any block definitely lost outside tests/holding/valgrind.supp.
# Takes a minute or two; not part of scripts/test.sh.
#
#   tests/holding/run-valgrind.sh [build dir]    (default: build)
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}

if ! command -v valgrind >/dev/null; then
  echo "run-valgrind.sh: valgrind is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
cmake --build "$build" --target tst_long_run_memory

log=$(mktemp /tmp/adhan-valgrind.XXXXXX)
status=0
env ADHAN_LONG_RUN_HOURS="${ADHAN_LONG_RUN_HOURS:-1}" LANG=ar_SA.UTF-8 LC_ALL= LC_TIME= \
  QT_QPA_PLATFORM=offscreen valgrind --leak-check=full --errors-for-leak-kinds=definite --show-leak-kinds=definite \
  --error-exitcode=1 --num-callers=40 --suppressions=tests/holding/valgrind.supp \
  "$build/bin/tst_long_run_memory" >"$log" 2>&1 || status=$?
grep -E 'QINFO|Totals|FAIL|definitely lost|ERROR SUMMARY' "$log" || true
if [ "$status" -ne 0 ]; then
  echo "run-valgrind.sh: failed (status $status); the whole log is $log" >&2
  exit "$status"
fi
rm -f "$log"
