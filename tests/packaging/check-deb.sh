#!/usr/bin/env bash
# Builds the Debian package from the build tree with cpack (into a scratch
# directory) and checks it without installing it: its files and their modes,
# its control fields and dependencies, and that apt can resolve it both here
# and on a Debian with nothing installed.
#
#   check-deb.sh BUILD_DIR APP_ID PROGRAM VERSION
set -euo pipefail

build=$1 app_id=$2 program=$3 version=$4

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in cpack dpkg-deb dpkg-shlibdeps apt-get; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1 ||
  { cat "$scratch/cpack.log" >&2; fail "cpack failed"; }
shopt -s nullglob
debs=("$scratch"/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "cpack made ${#debs[@]} .deb files, expected one"
deb=${debs[0]}
[ "$(basename "$deb")" = "${program}_${version}_amd64.deb" ] ||
  fail "package file is $(basename "$deb"), expected ${program}_${version}_amd64.deb"
echo "== $(basename "$deb")"
dpkg-deb -I "$deb"

echo "== control fields"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$program" ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)'"
[ "$(field Architecture)" = "amd64" ] || fail "Architecture is '$(field Architecture)'"
[[ "$(field Maintainer)" =~ ^[^@\<]+\ \<[^@\>]+@example\.com\>$ ]] ||
  fail "Maintainer is '$(field Maintainer)'"
[ -n "$(field Section)" ] || fail "no Section"
[ "$(field Priority)" = "optional" ] || fail "Priority is '$(field Priority)'"

depends=$(field Depends)
# The package names alone, one a line.
names=$(tr ',' '\n' <<<"$depends" | sed -E 's/\(.*\)//; s/[[:space:]]//g' | grep -v '^$')
for p in libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 qt6-qpa-plugins \
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-pulseaudio \
  fonts-hosny-amiri fonts-noto-core fonts-liberation2 xdg-utils libc6 libstdc++6; do
  grep -qx -- "$p" <<<"$names" || fail "Depends lacks $p: $depends"
done
# A package made from a sanitizer build would need the sanitizer run-times.
if grep -E '^lib(asan|ubsan|lsan|tsan)' <<<"$names"; then
  fail "Depends names sanitizer run-times: $depends"
fi
echo "Depends: $depends"

echo "== contents"
listing=$(dpkg-deb -c "$deb")
echo "$listing"
mode_of() { awk -v p="./${1#/}" '$6 == p { print $1 }' <<<"$listing"; }
expect_file() { # expect_file PATH MODE
  local mode
  mode=$(mode_of "$1")
  [ -n "$mode" ] || fail "the package lacks $1"
  [ "$mode" = "$2" ] || fail "$1 has mode $mode, expected $2"
}
expect_file "/usr/bin/$program" -rwxr-xr-x
expect_file "/usr/share/$program/athan.mp3" -rw-r--r--
expect_file "/usr/share/applications/$app_id.desktop" -rw-r--r--
expect_file "/etc/xdg/autostart/$app_id.desktop" -rw-r--r--
expect_file "/usr/share/metainfo/$app_id.metainfo.xml" -rw-r--r--
for size in 16 32 48 64 128 256; do
  expect_file "/usr/share/icons/hicolor/${size}x${size}/apps/$program.png" -rw-r--r--
done
# Everything under /usr, but the autostart entry; nothing under /usr/local.
stray=$(awk '$1 !~ /^d/ { print $6 }' <<<"$listing" |
  grep -Ev '^\./usr/' | grep -vx "./etc/xdg/autostart/$app_id.desktop" || true)
[ -z "$stray" ] || fail "files outside /usr: $stray"
! grep -q ' \./usr/local/' <<<"$listing" || fail "files under /usr/local"
# Files shipped match what the install makes.
dpkg-deb -x "$deb" "$scratch/root"
cmp "$scratch/root/usr/share/$program/athan.mp3" "$(dirname "$0")/../../resources/athan.mp3" ||
  fail "the packaged athan.mp3 differs from resources/athan.mp3"

echo "== conffiles"
dpkg-deb -e "$deb" "$scratch/control"
[ "$(cat "$scratch/control/conffiles")" = "/etc/xdg/autostart/$app_id.desktop" ] ||
  fail "conffiles is '$(cat "$scratch/control/conffiles" 2>/dev/null)'"

echo "== apt-get install --simulate (this machine)"
apt-get install --simulate "$deb" >"$scratch/apt.log" 2>&1 ||
  { cat "$scratch/apt.log" >&2; fail "apt cannot install the package here"; }
grep -E "^(Inst|Conf) $program " "$scratch/apt.log" || fail "apt would not install $program"

echo "== apt-get install --simulate (nothing installed)"
# With an empty dpkg status, apt resolves every dependency from the archive,
# as on a fresh system. That needs the archive's package lists.
# shellcheck disable=SC2016 # apt expands $(FILENAME) itself
indexes=$(apt-get indextargets --format '$(FILENAME)' 'Created-By: Packages' 2>/dev/null || true)
have_lists=0
for f in $indexes; do [ -e "$f" ] && have_lists=1 && break; done
if [ "$have_lists" -eq 0 ]; then
  echo "SKIP: no apt package lists here (apt-get update makes them); the fresh-system check did not run"
  exit 77
fi
: >"$scratch/empty-status"
apt-get install --simulate --no-install-recommends -o Dir::State::status="$scratch/empty-status" \
  "$deb" >"$scratch/apt-fresh.log" 2>&1 ||
  { cat "$scratch/apt-fresh.log" >&2; fail "apt cannot resolve the package on an empty system"; }
grep -E "^Inst $program " "$scratch/apt-fresh.log" || fail "apt would not install $program"
for p in libqt6widgets6 libqt6multimedia6 gstreamer1.0-plugins-good gstreamer1.0-pulseaudio \
  fonts-hosny-amiri xdg-utils; do
  grep -qE "^Inst $p " "$scratch/apt-fresh.log" || fail "apt would not bring in $p"
done
echo "$(grep -c '^Inst ' "$scratch/apt-fresh.log") packages in all on an empty system"
echo "PASS"
