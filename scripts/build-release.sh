#!/usr/bin/env bash
# Builds the release again, away from this working folder: the sources (the
# tracked files as they are now) are copied into DIR/adhan-clock, the Debian
# source and binary packages are made there by dpkg-buildpackage and land in
# DIR; with `windows`, the Windows release too (scripts/windows/build.sh, the
# program only, no tests), in DIR/adhan-clock/build-windows. The time stamps
# come from SOURCE_DATE_EPOCH: the Debian build takes debian/changelog's date,
# the Windows build the last commit's time, passed on from this tree.
#
#   build-release.sh DIR [windows]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1 src=$1/adhan-clock
rm -rf "$dir" && mkdir -p "$src"
git ls-files -z --cached --others --exclude-standard | tar -c --null --ignore-failed-read -T - | tar -x -C "$src"
(cd "$src" && DEB_BUILD_OPTIONS="parallel=$(nproc)" dpkg-buildpackage -us -uc) >"$dir/deb.log" 2>&1 ||
  { tail -n 40 "$dir/deb.log"; exit 1; }
if [ "${2:-}" = windows ]; then
  SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || dpkg-parsechangelog -STimestamp)} \
    bash "$src/scripts/windows/build.sh" -DADHAN_BUILD_TESTS=OFF >"$dir/windows.log" 2>&1 ||
    { tail -n 40 "$dir/windows.log"; exit 1; }
fi
