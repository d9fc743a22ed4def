#!/usr/bin/env bash
# Builds the program for 64-bit Windows into build-windows/: first Qt for
# Windows from Debian's sources (once; it is cached, see build-qt.sh), then
# build-windows/bin/adhan-clock.exe with the Qt libraries, plugins and
# athan.mp3 beside it, and the tests run under Wine; last the setup program
# and the portable .zip (package.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."

bash scripts/setup.sh
qt=$(bash scripts/windows/build-qt.sh)
cmake -S . -B build-windows -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DADHAN_WERROR=ON \
  -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake >/dev/null
cmake --build build-windows -j "$(nproc)"
bash scripts/windows/package.sh
