#!/usr/bin/env bash
# The release rebuilds bit for bit, its Debian packages pass check-deb.sh, and
# a key signs it, time-stamped by an authority of its own on the loopback
# address, so that osslsigncode checks every signature and its time stamp (and
# a file changed after signing fails); the uninstaller is the one the signed
# setup program writes, installed under Wine (tests/wine/run.sh, in
# ADHAN_WINEPREFIX or a prefix of its own), and both ask Windows for no more
# than the user has; without its time-stamp server the signing stops, saying
# why, and leaves no release. Run by scripts/test.sh once build-windows/ is
# built: a Debian build A, then a second build B of the same sources in
# another folder, later, under another time zone, locale and umask
# (scripts/build-release.sh); B's Windows files are compared with
# build-windows/'s, and where two files differ diffoscope says how.
set -euo pipefail
cd "$(dirname "$0")/../.."
fail() { echo "FAIL: $*" >&2; exit 1; }
t=$(mktemp -d) && export ADHAN_WINEPREFIX=${ADHAN_WINEPREFIX:-$t/wine}
trap '{ kill "${tsa:-}"; WINEPREFIX=$ADHAN_WINEPREFIX /usr/lib/wine/wineserver -k; } 2>/dev/null || true; rm -rf "$t"' EXIT
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
# The time-stamp authority: openssl ts answers each query POSTed to it.
openssl req -x509 -newkey rsa:2048 -nodes -subj "/CN=Adhan Clock test TSA" -days 2 -keyout "$t/tsa.pem" \
  -out "$t/tsa.crt" -addext extendedKeyUsage=critical,timeStamping 2>/dev/null && echo 01 >"$t/serial"
printf '[tsa]\ndefault_tsa=a\n[a]\nserial=%s/serial\nsigner_cert=%s/tsa.crt\nsigner_key=%s/tsa.pem\nsigner_digest=sha256
default_policy=1.2.3.4\ndigests=sha256\ness_cert_id_alg=sha256\n' "$t" "$t" "$t" >"$t/tsa.cnf"
timeout 600 /usr/bin/python3 -c 'import http.server, subprocess, sys
class Tsa(http.server.BaseHTTPRequestHandler):
    def do_POST(self):
        query = self.rfile.read(int(self.headers["Content-Length"]))
        reply = subprocess.run(["openssl", "ts", "-reply", "-config", sys.argv[1] + "/tsa.cnf", "-queryfile",
                                "/dev/stdin", "-out", "/dev/stdout"], input=query, capture_output=True).stdout
        self.send_response(200), self.send_header("Content-Type", "application/timestamp-reply"), self.end_headers()
        self.wfile.write(reply)
s = http.server.HTTPServer(("127.0.0.1", 0), Tsa)
open(sys.argv[1] + "/port", "w").write(str(s.server_port))
s.serve_forever()' "$t" 2>/dev/null &
tsa=$! && timeout 10 sh -c 'until [ -s "$0/port" ]; do sleep 0.1; done' "$t"
signing=(env ADHAN_SIGN_PKCS12="$k.p12" ADHAN_SIGN_PASSWORD_FILE="$k.pass"
  ADHAN_SIGN_TIMESTAMP_URL="http://127.0.0.1:$(cat "$t/port")")
"${signing[@]}" bash scripts/windows/package.sh "$b" "$t/s" >/dev/null || fail "the release could not be signed"
sums "$t/s"
# Every program file in both downloads, the NSIS plugins the setup program
# unpacks ($PLUGINSDIR) and the uninstaller it writes among them, is signed
# with SHA-256 and time-stamped.
7zz x -o"$t/s/x" "$t/s/adhan-clock-setup-$v.exe" >/dev/null && 7zz x -o"$t/s/z" "$t/s/adhan-clock-$v.zip" >/dev/null
# Wine's prefix passes for Windows 7 unless told otherwise: Windows 10 for the
# setup program alone.
bash tests/wine/run.sh reg add "HKCU\\Software\\Wine\\AppDefaults\\adhan-clock-setup-$v.exe" /v Version \
  /d win10 /f >/dev/null 2>&1 &&
  bash tests/wine/run.sh "$t/s/adhan-clock-setup-$v.exe" /S /CurrentUser >/dev/null 2>&1 &&
  cp "$ADHAN_WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/AdhanClock/uninstall.exe" "$t/s" ||
  bad+=("the signed setup program installed no uninstaller under Wine")
/usr/bin/python3 tests/wine/pe.py --setup "$t/s/adhan-clock-setup-$v.exe" "$t/s/uninstall.exe" >"$t/log" 2>&1 ||
  bad+=("$(cat "$t/log")")
cp "$t/s/adhan-clock-setup-$v.exe" "$t/s/changed.exe" && printf X | dd of="$t/s/changed.exe" bs=1 seek=4096 conv=notrunc 2>/dev/null
set -- $(cd "$t/s" && find x z -iname "*.exe" -o -iname "*.dll" | sort) adhan-clock-setup-"$v".exe uninstall.exe changed.exe
[ $# -ge 25 ] || bad+=("only $# program files in the downloads")
for f; do
  want=good && [ "$f" != changed.exe ] || want=bad
  osslsigncode verify -CAfile "$k.crt" -TSA-CAfile "$t/tsa.crt" -in "$t/s/$f" >"$t/log" 2>&1 &&
    [ "$(awk '/digest algorithm/ {print $NF}' "$t/log" | sort -u)" = SHA256 ] && r=good || r=bad
  [ $r = bad ] || grep -qx "Timestamp Server Signature verification: ok" "$t/log" || r="good but not time-stamped"
  [ "$r" = "$want" ] || { cat "$t/log" && bad+=("the signature of $f: $r, should be $want"); }
done
# Its time-stamp server gone, the signing stops at the first file, says so in
# one line, and leaves no release behind (the one above is taken away).
kill "$tsa" && wait "$tsa" || true
"${signing[@]}" bash scripts/windows/package.sh "$b" "$t/s" >/dev/null 2>"$t/log" && bad+=("it signed all the same")
left=$(cd "$t/s" && find . -maxdepth 1 -name "adhan-clock*" -o -name SHA256SUMS)
[ "$(wc -l <"$t/log")" = 1 ] && grep -q "not signed: the time-stamp server gave no time stamp" "$t/log" && [ -z "$left" ] ||
  bad+=("with its time-stamp server gone, the signing said: $(cat "$t/log"); and left: $left")
[ ${#bad[@]} -eq 0 ] || fail "${bad[@]}"
echo PASS
