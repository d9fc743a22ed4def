#!/usr/bin/env bash
# The adhan as installed: exactly what resources/make-athan.sh makes now (made
# here in another folder, time zone, locale and umask), sung as athan.praat
# hears it, and decoded by GStreamer without a warning.
#   athan.sh CLIP
set -euo pipefail
here=$(dirname "$(realpath "$0")")
top=$(realpath "$here/../..") clip=$(realpath "$1") work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$work" && umask 077 && TZ=Pacific/Kiritimati LC_ALL=C \
  bash "$top/resources/make-athan.sh" made.mp3 >/dev/null)
cmp "$work/made.mp3" "$clip" || { echo "the clip is not what make-athan.sh makes now" >&2 && exit 1; }
sox "$clip" "$work/clip.wav"
praat --run "$here/athan.praat" "$work/clip.wav"
gst-launch-1.0 -q filesrc location="$clip" ! decodebin ! fakesink 2>"$work/gst"
! grep -iE "warn|critical" "$work/gst" || { echo "GStreamer complains" >&2 && exit 1; }
