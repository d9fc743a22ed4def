#!/usr/bin/env bash
# Builds the fuzz targets with clang and libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in build-fuzz/, and runs each for a bounded
# time from its committed seed corpus, fuzz/corpus/<target>/. New inputs go to
# build-fuzz/corpus/<target>/; a failing input is written to
# build-fuzz/findings/ and the script ends non-zero.
#
#   fuzz/run.sh [seconds per target]     (default: FUZZ_SECONDS, else 20)
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-${FUZZ_SECONDS:-20}}
targets=(skin_definition regional_format mp3_header tray_tip)
cxx=$(command -v clang++-14 || command -v clang++ || true)
cc=$(command -v clang-14 || command -v clang || true)
if [ -z "$cxx" ] || [ -z "$cc" ]; then
  echo "fuzz/run.sh: clang is missing (scripts/setup.sh installs clang-14 and libFuzzer)" >&2
  exit 1
fi

mkdir -p build-fuzz
sanitize="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" \
  -DCMAKE_C_FLAGS="$sanitize" -DCMAKE_CXX_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DADHAN_FUZZ=ON >build-fuzz/configure.log 2>&1 || { cat build-fuzz/configure.log >&2; exit 1; }
cmake --build build-fuzz -j "$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p build-fuzz/findings
status=0
for t in "${targets[@]}"; do
  work="build-fuzz/corpus/$t"
  mkdir -p "$work"
  echo "== fuzz_$t: ${seconds}s =="
  if ! "build-fuzz/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=4096 -print_final_stats=1 -artifact_prefix="build-fuzz/findings/$t-" \
      "$work" "fuzz/corpus/$t" >"build-fuzz/fuzz_$t.log" 2>&1; then
    status=1
    echo "fuzz_$t: FOUND A FAILING INPUT (build-fuzz/findings/$t-*); the log:" >&2
    tail -60 "build-fuzz/fuzz_$t.log" >&2
    continue
  fi
  grep -E '^#[0-9]+.*DONE|stat::number_of_executed_units|stat::new_units_added' \
    "build-fuzz/fuzz_$t.log" || true
done
exit $status
