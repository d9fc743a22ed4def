#!/usr/bin/env bash
# The release rebuilds bit for bit, its Debian packages pass check-deb.sh, and
# a key signs it so that osslsigncode checks every signature (and a file
# changed after signing fails). Run by scripts/test.sh once build-windows/ is
# built: a Debian build A, then a second build B of the same sources in
# another folder, later, under another time zone, locale and umask
# (scripts/build-release.sh); B's Windows files are compared with
# build-windows/'s, and where two files differ diffoscope says how.
set -euo pipefail
cd "$(dirname "$0")/../.."
fail() { echo "FAIL: $*" >&2; exit 1; }
t=$(mktemp -d) && trap 'rm -rf "$t"' EXIT
v=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-windows/CMakeCache.txt)
(umask 022 && TZ=America/Los_Angeles LC_ALL=C.UTF-8 bash scripts/build-release.sh "$t/a")
bash tests/packaging/check-deb.sh "$t/a" "$v"
localedef -i ar_SA -f UTF-8 "$t/ar_SA.UTF-8"
(umask 077 && TZ=Asia/Riyadh LOCPATH=$t LC_ALL=ar_SA.UTF-8 bash scripts/build-release.sh "$t/b" windows)
b=$t/b/adhan-clock/build-windows bad=()
set -- "$t"/{a,b}/adhan-clock_"$v"_amd64.deb "$t"/{a,b}/adhan-clock-dbgsym_"$v"_amd64.deb
for f in bin/adhan-clock.exe adhan-clock-setup-"$v".exe adhan-clock-"$v".zip SHA256SUMS; do set -- "$@" build-windows/"$f" "$b/$f"; done
while [ $# -gt 0 ]; do
  [ "$(sha256sum <"$1")" = "$(sha256sum <"$2")" ] ||
    { bad+=("${1##*/} differs") && echo "DIFFERENT: $1 $2" && { diffoscope --text - "$1" "$2" | head -n 80 || true; }; }
  shift 2
done
# SHA256SUMS names both downloads, and each sum holds, unsigned and signed.
sums() { [ "$(awk '{print $2}' "$1/SHA256SUMS" | sort | tr '\n' ' ')" = "adhan-clock-$v.zip adhan-clock-setup-$v.exe " ] &&
  (cd "$1" && sha256sum --quiet -c SHA256SUMS) || bad+=("SHA256SUMS in $1"); }
sums "$b"

k=$t/key && echo "a throwaway password" >"$k.pass"
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Adhan Clock test" -days 2 -keyout "$k.pem" -out "$k.crt" \
  -addext extendedKeyUsage=codeSigning 2>/dev/null
openssl pkcs12 -export -inkey "$k.pem" -in "$k.crt" -passout "file:$k.pass" -out "$k.p12"
ADHAN_SIGN_PKCS12=$k.p12 ADHAN_SIGN_PASSWORD_FILE=$k.pass bash scripts/windows/package.sh "$b" "$t/s" >/dev/null
sums "$t/s"
# Every program file in both downloads, the uninstaller and the NSIS plugins
# the setup program unpacks ($PLUGINSDIR) among them, is signed with SHA-256.
7zz x -o"$t/s/x" "$t/s/adhan-clock-setup-$v.exe" >/dev/null && 7zz x -o"$t/s/z" "$t/s/adhan-clock-$v.zip" >/dev/null
cp "$t/s/adhan-clock-setup-$v.exe" "$t/s/changed.exe" && printf X | dd of="$t/s/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
set -- $(cd "$t/s" && find x z -iname "*.exe" -o -iname "*.dll" | sort) adhan-clock-setup-"$v".exe changed.exe
[ $# -ge 25 ] || bad+=("only $# program files in the downloads")
for f; do
  want=good && [ "$f" != changed.exe ] || want=bad
  osslsigncode verify -CAfile "$k.crt" -in "$t/s/$f" >"$t/log" 2>&1 &&
    [ "$(awk '/digest algorithm/ {print $NF}' "$t/log" | sort -u)" = SHA256 ] && r=good || r=bad
  [ "$r" = "$want" ] || { cat "$t/log" && bad+=("the signature of $f: $r, should be $want"); }
done
[ ${#bad[@]} -eq 0 ] || fail "${bad[@]}"
echo PASS
