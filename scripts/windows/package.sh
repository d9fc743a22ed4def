#!/usr/bin/env bash
# Makes, from a Windows build folder (build-windows/, made by
# scripts/windows/build.sh), the Arabic setup program
# adhan-clock-setup-<version>.exe and a portable adhan-clock-<version>.zip of
# the same files, and SHA256SUMS for the two, in OUT (the build folder unless
# given). The version is the CMake project's.
#
# The same build makes the same bytes: every file is dated SOURCE_DATE_EPOCH
# (as in build.sh) and has the same permissions, the zip holds them in one
# order with its times in UTC, and NSIS adds no time of its own.
#
# With a code-signing key, every program file is signed (scripts/windows/sign.sh):
# each .exe and .dll installed (the program, Qt's libraries and plugins, the
# compiler's run-time libraries), the NSIS plugins the setup program unpacks
# and loads while it runs (copies of Debian's, signed here, in stage/plugins),
# the uninstaller inside the setup program, and the setup program itself:
#   ADHAN_SIGN_PKCS12          the certificate and its key, a PKCS#12 file
#   ADHAN_SIGN_PASSWORD_FILE   a file holding its password
#   ADHAN_SIGN_TIMESTAMP_URL   a time-stamp server (RFC 3161); optional
# Without one nothing is signed and nothing else changes. A file that cannot be
# signed (or time-stamped, when a server is named) stops it there, with
# sign.sh's reason: OUT then holds no setup program, zip or SHA256SUMS, old
# or new, so that no release short of a signature is left looking whole.
#
#   package.sh [BUILD_DIR [OUT]]
set -euo pipefail
top=$(realpath "$(dirname "$0")/../..")
build=$(realpath "${1:-$top/build-windows}")
out=$(realpath -m "${2:-$build}")
cd "$top"
export LC_ALL=C TZ=UTC
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || dpkg-parsechangelog -STimestamp)}
# mingw's strip writes the current time into each program it strips, unless
# this is set.
export SOURCE_DATE_EPOCH
cached() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(cached CMAKE_PROJECT_VERSION) display=$(cached ADHAN_DISPLAY_VERSION)
setup=adhan-clock-setup-$version.exe zip=adhan-clock-$version.zip
sign=()
if [ -n "${ADHAN_SIGN_PKCS12:-}" ]; then
  sign=(bash "$PWD/scripts/windows/sign.sh")
fi

stage=$out/stage/AdhanClock
rm -rf "$out/stage" "$out/$setup" "$out/$zip" "$out/SHA256SUMS" && mkdir -p "$out"
cmake --install "$build" --prefix "$stage" >/dev/null
# Symbols stay in the build tree; the installed files go without them.
find "$stage" -name "*.dll" -o -name "*.exe" | xargs x86_64-w64-mingw32-strip --strip-unneeded
if [ ${#sign[@]} -gt 0 ]; then
  # Every plugin of the setup program's target, so that whichever the script
  # calls is signed; Debian's own files stay as they are.
  plugins=$out/stage/plugins
  mkdir "$plugins" && cp /usr/share/nsis/Plugins/amd64-unicode/*.dll "$plugins"
  # One at a time, stopping at the first that fails.
  while IFS= read -r -d '' f; do "${sign[@]}" "$f"; done \
    < <(find "$stage" "$plugins" \( -iname "*.dll" -o -iname "*.exe" \) -print0 | sort -z)
fi
chmod -R u=rwX,go=rX "$stage"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

# The uninstaller deletes exactly the files installed, then their folders.
(
  cd "$stage"
  find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|'
) >"$out/stage/files.nsh"

makensis -V2 -INPUTCHARSET UTF8 -DSTAGE="$stage" -DFILES="$out/stage/files.nsh" \
  -DICON="$build/resources/portrait.ico" -DSIZE_KB="$(du -sk "$stage" | cut -f1)" \
  -DVERSION="$version" -DDISPLAY_VERSION="$display" ${sign:+-DSIGN="${sign[*]}" -DPLUGINS="$plugins"} \
  -DOUTFILE="$out/stage/$setup" scripts/windows/setup.nsi
[ ${#sign[@]} -eq 0 ] || "${sign[@]}" "$out/stage/$setup"
mv "$out/stage/$setup" "$out/$setup"
# Python's zip keeps only each file's time and permissions (no access time,
# no owner, which others keep).
(cd "$out/stage" && find AdhanClock -type f | sort | /usr/bin/python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w", zipfile.ZIP_DEFLATED) as z:
    for name in sys.stdin.read().splitlines(): z.write(name)' "$out/$zip")
(cd "$out" && sha256sum "$setup" "$zip" >SHA256SUMS)
ls -l "$out/$setup" "$out/$zip" | awk '{print $5, $9}'
