#!/usr/bin/env bash
# Qt for Windows rebuilds bit for bit from its recipe: builds it a second time
# (scripts/windows/build-qt.sh, copied to another folder and run there under
# another time zone, locale and umask) into a cache of its own, from Debian's
# source fetched anew, and compares every DLL and plugin with the Qt the
# builds use. About 20 minutes on two cores: run by hand, not by the test
# command.
#   qt-rebuild.sh [SECOND_CACHE]     (default: /var/tmp/adhan-qt-again)
set -euo pipefail
top=$(realpath "$(dirname "$0")/../..")
first=$(bash "$top/scripts/windows/build-qt.sh")
elsewhere=$(mktemp -d /var/tmp/adhan-qt-recipe.XXXXXX) second=$(realpath -m "${1:-/var/tmp/adhan-qt-again}")
mkdir -p "$elsewhere/scripts/windows" "$elsewhere/cmake"
cp "$top/scripts/windows/build-qt.sh" "$elsewhere/scripts/windows/" && cp "$top/cmake/mingw-w64-x86_64.cmake" "$elsewhere/cmake/"
again=$(cd "$elsewhere" && umask 077 && TZ=Pacific/Kiritimati LC_ALL=C ADHAN_WINDOWS_CACHE=$second \
  bash scripts/windows/build-qt.sh)
sums() { (cd "$1" && find . -name "*.dll" | sort | xargs sha256sum); }
sums "$first" >"$elsewhere/first" && sums "$again" >"$elsewhere/again"
diff "$elsewhere/first" "$elsewhere/again" && echo "PASS: $(wc -l <"$elsewhere/first") DLLs the same in $first and $again"
