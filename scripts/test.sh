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
echo "== tests (build) =="
ctest --test-dir build --output-on-failure || status=1
echo "== tests (build-asan: AddressSanitizer + UndefinedBehaviorSanitizer) =="
ctest --test-dir build-asan --output-on-failure || status=1
echo "== fuzz (libFuzzer: each parser for a bounded time) =="
bash fuzz/run.sh || status=1
exit $status
