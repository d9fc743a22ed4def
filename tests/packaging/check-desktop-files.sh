#!/usr/bin/env bash
# Installs the build tree to a scratch directory (prefix /usr, through DESTDIR)
# and checks the desktop files there: the menu and autostart entries with
# desktop-file-validate, the AppStream metainfo with appstreamcli (on its own
# and against the installed tree, which must hold the desktop entry it
# launches), and that the entries name the installed program and icons.
#
#   check-desktop-files.sh BUILD_DIR APP_ID PROGRAM
set -euo pipefail

build=$1 app_id=$2 program=$3

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in cmake desktop-file-validate appstreamcli; do
  command -v "$tool" >/dev/null || fail "$tool is missing (scripts/setup.sh installs it)"
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch
DESTDIR=$root/tree cmake --install "$build" --prefix /usr >"$root/install.log" 2>&1 ||
  { cat "$root/install.log" >&2; fail "cmake --install failed"; }
root=$root/tree

entry=$root/usr/share/applications/$app_id.desktop
autostart=$root/etc/xdg/autostart/$app_id.desktop
metainfo=$root/usr/share/metainfo/$app_id.metainfo.xml
for f in "$entry" "$autostart" "$metainfo"; do
  [ -f "$f" ] || fail "not installed: ${f#"$root"}"
done

echo "== desktop-file-validate"
for f in "$entry" "$autostart"; do
  # It exits 0 on hints too; every line it prints is a finding.
  out=$(desktop-file-validate "$f" 2>&1) || fail "desktop-file-validate ${f#"$root"}: $out"
  [ -z "$out" ] || fail "desktop-file-validate ${f#"$root"}: $out"
  echo "${f#"$root"}: valid"
done

echo "== appstreamcli validate"
appstreamcli validate --pedantic --no-net "$metainfo" || fail "metainfo does not validate"
appstreamcli validate-tree --pedantic --no-net "$root" || fail "installed tree does not validate"

echo "== entry contents"
key() { # key FILE KEY: the value of KEY in the [Desktop Entry] group
  awk -v k="$2" -F= '
    /^\[/ { group = $0; next }
    group == "[Desktop Entry]" && $1 == k { sub(/^[^=]*=/, ""); print; exit }' "$1"
}
expect() { # expect FILE KEY VALUE
  local got
  got=$(key "$1" "$2")
  [ "$got" = "$3" ] || fail "${1#"$root"}: $2 is '$got', expected '$3'"
}
for f in "$entry" "$autostart"; do
  expect "$f" Type Application
  expect "$f" "Name[ar]" "نيسمور"
  expect "$f" Exec "$program"
  expect "$f" Icon "$program"
  expect "$f" StartupWMClass "$program"
done
[ -x "$root/usr/bin/$program" ] || fail "the entries run $program, which is not in /usr/bin"
for size in 16 32 48 64 128 256; do
  icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$program.png
  [ -f "$icon" ] || fail "no ${size}x${size} icon: ${icon#"$root"}"
  # PNG: the signature, then the IHDR chunk with width and height (32-bit, big end).
  read -r -a b < <(od -An -tu1 -w24 -N24 "$icon")
  [ "${b[*]:0:8}" = "137 80 78 71 13 10 26 10" ] || fail "${icon#"$root"} is not a PNG"
  w=$(((b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19]))
  h=$(((b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23]))
  [ "$w x $h" = "$size x $size" ] || fail "${icon#"$root"} is $w x $h, expected $size x $size"
done
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the metainfo does not launch $app_id.desktop"
grep -q "<binary>$program</binary>" "$metainfo" || fail "the metainfo does not provide $program"
echo "PASS"
