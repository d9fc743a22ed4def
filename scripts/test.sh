#!/usr/bin/env bash
# Sets up, builds and runs every test, in three builds: gcc with warnings as
# errors and Debian's hardening flags; clang under AddressSanitizer and
# UndefinedBehaviorSanitizer, which also holds the fuzz target; and the
# Windows build (scripts/windows/build.sh), whose tests run under Wine; then
# the release is built again elsewhere and compared, and its packages and
# signatures checked (tests/packaging/check-release.sh). Ends with one line:
# "summary: N passed, N failed".
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
jobs=$(nproc)
# The three builds go through a compiler cache kept beside Qt for Windows's
# (ADHAN_CCACHE_DIR), so that a fresh clone compiles again only what changed.
# It gives the objects the compiler would: the release check's own builds,
# which it compares with these, go without it.
export CCACHE_DIR=${ADHAN_CCACHE_DIR:-/var/cache/adhan-clock/ccache} CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-2G}
cache=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DADHAN_WERROR=ON "${cache[@]}" >/dev/null
cmake --build build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DADHAN_WERROR=ON -DADHAN_SANITIZE=ON \
  -DADHAN_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 "${cache[@]}" >/dev/null
cmake --build build-asan -j "$jobs"
bash scripts/windows/build.sh "${cache[@]}" >/dev/null

# shellcheck source=scripts/test-services.sh
source scripts/test-services.sh
adhan_start_sound
adhan_start_xvfb
adhan_start_weston
export ADHAN_WINEPREFIX="$ADHAN_SERVICES_DIR/wine"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

passed=0 failed=0
# Runs ctest on one tree (more ctest arguments may follow) and adds up its counts.
# Two at a time: tests that share the sound server or the X display take its
# lock (tests/CMakeLists.txt), so the result is the serial one.
run_ctest() {
  local line log="$1/ctest.log"
  ctest --test-dir "$@" -j 2 --output-on-failure 2>&1 | tee "$log" || true
  line=$(grep -E '[0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1) || true
  if [ -z "$line" ]; then
    echo "test.sh: ctest in $1 reported no result" >&2
    failed=$((failed + 1))
    return
  fi
  local bad total
  read -r bad total < <(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/' <<<"$line")
  passed=$((passed + total - bad)) failed=$((failed + bad))
}
echo "== tests (gcc, warnings as errors) =="
run_ctest build
echo "== tests (clang, AddressSanitizer + UndefinedBehaviorSanitizer) =="
run_ctest build-asan
echo "== tests (Windows, under Wine) =="
run_ctest build-windows
WINEPREFIX=$ADHAN_WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
echo "== releases (the Debian packages, a second build compared bit for bit, signing) =="
if bash tests/packaging/check-release.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "== fuzz (libFuzzer, the clip parser and the tray tip for a bounded time) =="
if bash fuzz/run.sh build-asan "${FUZZ_SECONDS:-10}"; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
fi
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
