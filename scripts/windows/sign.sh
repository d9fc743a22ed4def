#!/usr/bin/env bash
# Signs a Windows program in place: Authenticode, SHA-256, with Debian's
# osslsigncode and the key package.sh names (ADHAN_SIGN_PKCS12,
# ADHAN_SIGN_PASSWORD_FILE), time-stamped when ADHAN_SIGN_TIMESTAMP_URL is
# set. package.sh calls it for every .exe and .dll it installs, for its copies
# of NSIS's plugins and for the setup program, and makensis for the
# uninstaller it puts inside the setup program.
#
#   sign.sh FILE
set -euo pipefail
file=$1
osslsigncode sign -pkcs12 "$ADHAN_SIGN_PKCS12" -readpass "$ADHAN_SIGN_PASSWORD_FILE" -h sha256 \
  -n "نيسمور" ${ADHAN_SIGN_TIMESTAMP_URL:+-ts "$ADHAN_SIGN_TIMESTAMP_URL"} \
  -in "$file" -out "$file.signed" >/dev/null
mv "$file.signed" "$file"
