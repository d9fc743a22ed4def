#!/usr/bin/env bash
# Checks the Debian packages that dpkg-buildpackage made into DIR
# (scripts/build-release.sh) without installing them: lintian on the .changes,
# which names the .dsc and both .debs (down to its notes, which name missing
# hardening), the files the package holds, its conffile and -dbgsym package,
# and Depends (and that apt resolves them). lintian reads the desktop entries
# and the metainfo too.
#
#   check-deb.sh DIR VERSION
set -euo pipefail
dir=$1 version=$2 id=com.example.AdhanClock
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT
changes=$dir/adhan-clock_${version}_amd64.changes deb=$dir/adhan-clock_${version}_amd64.deb r=$tmp/root
grep -q " adhan-clock_$version.dsc\$" "$changes" && grep -q " adhan-clock-dbgsym_${version}_amd64.deb\$" "$changes" ||
  fail "$(basename "$changes") names no .dsc or no -dbgsym package"
lintian --pedantic --display-info --fail-on error,warning,info,pedantic "$changes" || fail lintian
dpkg-deb -x "$deb" "$r"
icons=$(for s in 16 32 48 64 128 256; do echo "usr/share/icons/hicolor/${s}x$s/apps/adhan-clock.png"; done)
for f in usr/bin/adhan-clock usr/libexec/adhan-clock/adhan-clock-player usr/share/man/{,ar/}man1/adhan-clock.1.gz \
  usr/share/adhan-clock/athan.mp3 usr/share/metainfo/"$id".metainfo.xml $icons \
  {usr/share/applications,etc/xdg/autostart}/"$id".desktop; do
  [ -f "$r/$f" ] || fail "the package lacks /$f"
done
[ "$(dpkg-deb -I "$deb" conffiles)" = "/etc/xdg/autostart/$id.desktop" ] || fail "conffiles: $(dpkg-deb -I "$deb" conffiles)"
dep=$(dpkg-deb -f "$deb" Depends) && echo "Depends: $dep"
[[ ", $dep," == *", qt6-wayland,"* && ", $dep," == *", qt6-translations-l10n,"* && $dep != *qt6-qpa-plugins* ]] ||
  fail "Depends is wrong: $dep"
apt-get install --simulate "$deb" >"$tmp/log" 2>&1 || { cat "$tmp/log"; fail "apt cannot resolve Depends"; }
echo PASS
