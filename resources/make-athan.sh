#!/usr/bin/env bash
# Makes resources/athan.mp3, the adhan the program plays, from the words in
# resources/athan.txt and the melodies below: espeak-ng speaks each phrase from
# its phonemes and athan-voice.py plans how it is sung (its shaping parameters:
# the timing, glides, ornaments, vibrato and the voice), Praat sings it by
# overlap-add, holding its long vowels on the notes of its melody
# (athan-sing.praat), and sox lays the phrases end to end with a breath between
# them, in a hall (ROOM below), peaking at -1 dBFS; lame encodes it as mono MP3.
#
# The same bytes on any machine, in any folder, time zone or locale: nothing
# depends on the clock or the folder, sox dithers with a fixed seed (-R) and
# lame writes no tag. Needs the Debian packages espeak-ng, praat, sox, lame
# (scripts/setup.sh installs them).
#
#   make-athan.sh [OUT]      (default: resources/athan.mp3)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
out=$(realpath -m "${1:-$here/athan.mp3}")
for tool in praat sox lame python3; do
  command -v "$tool" >/dev/null || { echo "make-athan.sh: '$tool' not found" >&2 && exit 1; }
done
export LC_ALL=C.UTF-8 TZ=UTC
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The melody of each line of athan.txt, in maqam Bayati on D (1 is the tonic,
# 5 the fifth, 8 the octave): a token for each vowel of its phonemes. "5~6~5"
# is a melisma held on one vowel, "5:" one held note, a plain "5" a short
# syllable. Each phrase rises and falls back at its close; later repeats sit
# higher. How long each note is held, and how it is sung, is athan-voice.py's.
cat >"$tmp/melodies" <<'MELODIES'
# Al-laa-hu ak-bar       (a a: u a a)
1 1~3~4~3 3 3 4~3~2~1
1 3~4~5~4 4 4 5~4~3~2
3 4~5~6~5 5 5 6~5~4~3
3 5~6~8~6 5 5 4~3~2~1
# ash-ha-du an laa i-laa-ha il-lal-laah
1 3 3 4 5~4 4 5~6~5 4 4 3 4~3~2~1
3 5 5 6 8~6 6 8~9~8 6 6 5 6~5~4~3
# ash-ha-du an-na mu-ham-ma-dar ra-suu-lul-laah
3 4 4 5 5 5 6 6 5 5 6~5 5 6~5~4~3
5 6 6 8 8 8 9 9 8 8 9~8 8 9~8~6~5
# ash-ha-du an-na a-liy-yan wa-liy-yul-laah
3 4 4 5 5 6~5 5 5 5 6 6 6~5~4~3
5 6 6 8 8 9~8 8 8 8 9 9 9~8~6~5
# hay-ya a-las-sa-laah
5: 5 6 6 5 6~8~6~5
8: 8 9 9 8 9~10~9~8
# hay-ya a-la l-fa-laah
5: 5 6 6 5 6~8~6~4
8: 8 9 9 8 9~10~8~6
# hay-ya a-la khay-ril a-mal
5: 5 6 6 8~6 6 5 6~5~4~3
8: 8 9 9 10~9 9 8 9~8~6~5
# Al-laa-hu ak-bar
5 6~8~9~8 8 8 6~5~4~3
3 5~6~5~4 4 4 3~2~1
# laa i-laa-ha il-lal-laah  (a: i a: a i a a:)
4~5 5 6~5 4 4 3 4~3~2~1
3~4 4 5~4 3 3 2 3~2~1~1
MELODIES

python3 "$here/athan-voice.py" "$here/athan.txt" "$tmp/melodies" "$tmp"
count=$(find "$tmp" -name "*.PitchTier" | wc -l)
praat --run "$here/athan-sing.praat" "$tmp" "$count"

# The place that rings: sox's reverb (reverberance %, HF damping %, room
# scale %, stereo depth %, pre-delay ms, wet gain dB): a hall ringing about 2.3 s
# (RT60, the time its echo takes to fall 60 dB).
ROOM=(reverb 65 50 100 100 20 -4)
# Seconds of silence between the halves of a pair, before a new phrase, and
# after the last: each long enough for the echo to fall 30 dB below the
# loudest moment and stay there for a second.
BREATH=2 PAUSE=2.6 TAIL=3

# The phrases in order, a breath between them: shorter between the two
# halves of a pair, longer before a new phrase.
parts=() previous=
for n in $(seq "$count"); do
  words=$(grep -v '^#' "$here/athan.txt" | grep . | sed -n "${n}p" | cut -f1)
  if [ "$n" -gt 1 ]; then
    [ "$words" = "$previous" ] && parts+=("$tmp/breath.wav") || parts+=("$tmp/pause.wav")
  fi
  parts+=("$tmp/sung-$n.wav") previous=$words
done
rate=$(soxi -r "$tmp/sung-1.wav")
sox -R -n -r "$rate" -c 1 "$tmp/breath.wav" trim 0 "$BREATH"
sox -R -n -r "$rate" -c 1 "$tmp/pause.wav" trim 0 "$PAUSE"
# The voice from its first sound on, in the room, ringing out after the last
# phrase; at 44.1 kHz, as encoded below.
sox -R "${parts[@]}" -e floating-point -b 32 "$tmp/voice.wav" silence 1 0.01 0.5% \
  pad 0 "$TAIL" "${ROOM[@]}" pad 0.05 0 rate 44100
# At 44.1 kHz (MPEG-1, 1152 samples a frame), not 22.05 kHz (MPEG-2, 576):
# lame's Info header names the encoder delay (576 + 529 samples), which
# decoders cut from the start. In 576-sample frames that cut swallows the whole
# first frame, and GStreamer's mpg123 decoder then logs a CRITICAL line at
# every play. The header stays: the player reads the length it announces to
# tell a clip cut short.
encode() {
  sox -R "$tmp/voice.wav" -b 16 "$tmp/voice-16.wav" norm "$1"
  lame --quiet --noreplaygain -m m -b 64 "$tmp/voice-16.wav" "$tmp/athan.mp3"
}
# Encoding moves the peak a little: encoded once, the peak as decoded sets
# the level of the second, so that the clip peaks at -1 dBFS.
encode -1
peak=$(sox "$tmp/athan.mp3" -n stats 2>&1 | awk '/^Pk lev dB/ {print $4}')
encode "$(awk -v p="$peak" 'BEGIN {printf "%.2f", -2 - p}')"
mv -f "$tmp/athan.mp3" "$out"
echo "wrote $out"
