#!/usr/bin/env bash
# Signs a Windows program in place: Authenticode, SHA-256, with Debian's
# osslsigncode and the key package.sh names (ADHAN_SIGN_PKCS12,
# ADHAN_SIGN_PASSWORD_FILE), time-stamped when ADHAN_SIGN_TIMESTAMP_URL is
# set. package.sh calls it for every .exe and .dll it installs, for its copies
# of NSIS's plugins and for the setup program, and makensis for the
# uninstaller it puts inside the setup program. A file it cannot sign, or
# cannot time-stamp when told to (the server does not answer), it leaves as it
# was, says why in one line and fails: never a signature without the time
# stamp asked for.
#
#   sign.sh FILE
set -euo pipefail
file=$1
if ! why=$(osslsigncode sign -pkcs12 "$ADHAN_SIGN_PKCS12" -readpass "$ADHAN_SIGN_PASSWORD_FILE" -h sha256 \
  -n "نيسمور" ${ADHAN_SIGN_TIMESTAMP_URL:+-ts "$ADHAN_SIGN_TIMESTAMP_URL"} \
  -in "$file" -out "$file.signed" 2>&1 >/dev/null); then
  rm -f "$file.signed"
  case $why in *"timestamping failed"*) stamp="the time-stamp server gave no time stamp: " ;; esac
  echo "sign.sh: $file not signed: ${stamp:-}$(grep -m1 . <<<"$why")" >&2
  exit 1
fi
mv "$file.signed" "$file"
