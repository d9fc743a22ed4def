#!/usr/bin/env bash
# Runs each fuzz target of a clang tree built with -DADHAN_FUZZ=ON for a bounded
# time from its seed corpus; a failing input goes to <tree>/findings/.
#   fuzz/run.sh TREE [seconds per target, default 20]
set -uo pipefail
tree=$1 seconds=${2:-20} status=0
mkdir -p "$tree/findings"
for t in mp3_header tray_tip; do
  mkdir -p "$tree/corpus/$t"
  if "$tree/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -max_len=4096 \
    -artifact_prefix="$tree/findings/$t-" "$tree/corpus/$t" "fuzz/corpus/$t" >"$tree/fuzz_$t.log" 2>&1; then
    echo "fuzz_$t: $(grep -Eo 'Done [0-9]+ runs.*' "$tree/fuzz_$t.log" | tail -1)"
  else
    status=1 && echo "fuzz_$t: FAILED" && tail -40 "$tree/fuzz_$t.log"
  fi
done
exit $status
