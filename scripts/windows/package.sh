#!/usr/bin/env bash
# Makes, from build-windows/ (scripts/windows/build.sh), the Arabic setup
# program build-windows/adhan-clock-setup-1.0.0.0.exe and a portable
# build-windows/adhan-clock-1.0.0.0.zip of the same files.
set -euo pipefail
cd "$(dirname "$0")/../.."
out=$PWD/build-windows
stage=$out/stage/AdhanClock
rm -rf "$out/stage"
cmake --install "$out" --prefix "$stage" >/dev/null
# Symbols stay in the build tree; the installed files go without them.
find "$stage" -name "*.dll" -o -name "*.exe" | xargs x86_64-w64-mingw32-strip --strip-unneeded

# The uninstaller deletes exactly the files installed, then their folders.
(
  cd "$stage"
  find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|'
) >"$out/stage/files.nsh"

makensis -V2 -INPUTCHARSET UTF8 -DSTAGE="$stage" -DFILES="$out/stage/files.nsh" \
  -DICON="$out/resources/portrait.ico" -DSIZE_KB="$(du -sk "$stage" | cut -f1)" \
  -DOUTFILE="$out/adhan-clock-setup-1.0.0.0.exe" scripts/windows/setup.nsi
rm -f "$out/adhan-clock-1.0.0.0.zip"
(cd "$out/stage" && cmake -E tar cf "$out/adhan-clock-1.0.0.0.zip" --format=zip AdhanClock)
ls -l "$out/adhan-clock-setup-1.0.0.0.exe" "$out/adhan-clock-1.0.0.0.zip" | awk '{print $5, $9}'
