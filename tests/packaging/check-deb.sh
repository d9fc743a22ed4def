#!/usr/bin/env bash
# Makes the Debian package with cpack from the build tree and checks it without
# installing it: lintian (down to its notes, which name missing hardening and
# stripping), the files it holds, Depends (and that apt resolves them), and the
# desktop entries and metainfo through their validators.
#
#   check-deb.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build=$1 id=$2 version=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
rm -f "$build"/adhan-clock*.debug # the install in cpack makes them anew
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp" >"$tmp/log" 2>&1 || { cat "$tmp/log"; fail cpack; }
deb=$tmp/adhan-clock_${version}_amd64.deb r=$tmp/root
echo "== lintian $(basename "$deb")"
lintian --pedantic --display-info --fail-on error,warning,info,pedantic "$deb" || fail lintian
dpkg-deb -x "$deb" "$r"
icons=$(for s in 16 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/adhan-clock.png"; done)
for f in usr/bin/adhan-clock usr/libexec/adhan-clock/adhan-clock-player usr/share/man/{,ar/}man1/adhan-clock.1.gz \
  usr/share/adhan-clock/athan.mp3 usr/share/metainfo/"$id".metainfo.xml $icons \
  {usr/share/applications,etc/xdg/autostart}/"$id".desktop; do
  [ -f "$r/$f" ] || fail "the package lacks /$f"
done
dep=$(dpkg-deb -f "$deb" Depends) && echo "Depends: $dep"
[[ ", $dep," == *", qt6-wayland,"* && $dep != *qt6-qpa-plugins* ]] || fail "Depends is wrong: $dep"
apt-get install --simulate "$deb" >"$tmp/log" 2>&1 || { cat "$tmp/log"; fail "apt cannot resolve Depends"; }
for f in "$r"/{usr/share/applications,etc/xdg/autostart}/"$id".desktop; do
  out=$(desktop-file-validate "$f" 2>&1 || echo "(failed)") # every line it prints is a finding
  [ -z "$out" ] || fail "desktop-file-validate ${f#"$r"}: $out"
done
appstreamcli validate-tree --pedantic --no-net "$r" || fail "appstreamcli: the metainfo or its desktop entry"
echo PASS
