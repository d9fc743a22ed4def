#!/usr/bin/env bash
# Builds the program for 64-bit Windows into build-windows/: first Qt for
# Windows from Debian's sources (once; it is cached, see build-qt.sh), then
# build-windows/bin/adhan-clock.exe with the Qt libraries, plugins and
# athan.mp3 beside it, and the tests run under Wine; last the setup program
# and the portable .zip (package.sh). More arguments go to cmake (the second
# build of scripts/build-release.sh gives -DADHAN_BUILD_TESTS=OFF).
#
# The same sources make the same bytes: time stamps come from
# SOURCE_DATE_EPOCH (unless given, the last commit's time; outside git,
# debian/changelog's date), and the folder the sources are in is mapped out
# of the program (CMakeLists.txt).
set -euo pipefail
cd "$(dirname "$0")/../.."
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || dpkg-parsechangelog -STimestamp)}
export SOURCE_DATE_EPOCH

bash scripts/setup.sh
qt=$(bash scripts/windows/build-qt.sh)
cmake -S . -B build-windows -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DADHAN_WERROR=ON \
  -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "$@" >/dev/null
# rcc stamps the resources it builds in with SOURCE_DATE_EPOCH, but runs again
# only when they change: after a new commit, they are built in anew.
if [ "$(cat build-windows/source-date-epoch 2>/dev/null)" != "$SOURCE_DATE_EPOCH" ]; then
  find build-windows -name "qrc_*.cpp" -delete
  echo "$SOURCE_DATE_EPOCH" >build-windows/source-date-epoch
fi
cmake --build build-windows -j "$(nproc)"
bash scripts/windows/package.sh
