#!/usr/bin/env bash
# Builds resources/athan.mp3: the sound played at prayer time.
#
# Everything is made here: synthesised Arabic speech (espeak-ng) saying
# "الله أكبر" twice, a pause, then twice again, laid over a soft sine drone
# (sox), normalised to about -1 dBFS and encoded as mono MP3 with lame.
# No sound card is needed; all work goes through files in a temporary directory.
#
# The output is byte-reproducible: sox runs with -R (fixed dither seed) and
# lame writes no ID3 tag and nothing that depends on the time of the run.
#
# Needs the Debian packages espeak-ng, sox, lame.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
out="${here}/athan.mp3"

for tool in espeak-ng sox lame; do
    command -v "$tool" >/dev/null 2>&1 || { echo "make-athan.sh: '$tool' not found" >&2; exit 1; }
done

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

export LC_ALL=C.UTF-8
rate=22050
phrase="الله أكبر"

# 1. The spoken phrase: slow, a little low, one take reused for every repeat.
espeak-ng -v ar -s 75 -p 35 -a 180 -w "$tmp/phrase-raw.wav" "$phrase"
# Trim the synthesiser's own leading/trailing silence and give it a soft hall.
sox -R "$tmp/phrase-raw.wav" -r "$rate" -c 1 -b 16 "$tmp/phrase.wav" \
    silence 1 0.02 0.5% reverse silence 1 0.02 0.5% reverse \
    gain -6 pad 0 0.6 reverb 40 50 70 100 10 0

# Silences of a few lengths, same format as the phrase.
mksil() { sox -R -n -r "$rate" -c 1 -b 16 "$tmp/$1.wav" trim 0 "$2"; }
mksil lead 3.0
mksil gap 1.2
mksil pause 4.0
mksil tail 6.0

# 2. The voice track: lead-in, phrase x2, pause, phrase x2, tail.
sox -R "$tmp/lead.wav" \
    "$tmp/phrase.wav" "$tmp/gap.wav" "$tmp/phrase.wav" \
    "$tmp/pause.wav" \
    "$tmp/phrase.wav" "$tmp/gap.wav" "$tmp/phrase.wav" \
    "$tmp/tail.wav" \
    "$tmp/voice.wav"

len="$(soxi -D "$tmp/voice.wav")"

# 3. A gentle drone under the voice: A2 and its fifth with a slow swell,
#    faded in and out, well below the voice level.
sox -R -n -r "$rate" -c 1 -b 16 "$tmp/drone.wav" \
    synth "$len" sine 110 sine 165 sine 220 \
    remix - tremolo 0.15 30 lowpass 900 \
    vol 0.08 fade q 2.0 "$len" 3.0

# 4. Mix, normalise to -1 dBFS, keep it mono.
sox -R -m -v 0.5 "$tmp/voice.wav" -v 0.5 "$tmp/drone.wav" \
    -r "$rate" -c 1 -b 16 "$tmp/mix.wav" norm -1

# 5. Encode. --noreplaygain and no ID3 tags keep the file free of anything
#    that could change between runs.
#    At 44.1 kHz (MPEG-1, 1152 samples a frame), not 22.05 kHz (MPEG-2, 576):
#    lame's Info header names the encoder delay (576 + 529 samples), which
#    decoders cut from the start for gapless playback. In 576-sample frames
#    that cut swallows the whole first audio frame, and GStreamer's mpg123
#    decoder then asks for an empty buffer and logs a CRITICAL line at every
#    play. The header itself stays: the player reads the stream length it
#    announces to tell a clip cut short.
lame --quiet --noreplaygain -m m -b 96 --resample 44.1 \
    "$tmp/mix.wav" "$tmp/athan.mp3"

mv -f "$tmp/athan.mp3" "$out"
echo "wrote $out"
