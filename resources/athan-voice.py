#!/usr/bin/python3
# Speaks each phrase of the adhan with espeak-ng and plans how it is sung.
# make-athan.sh runs it, then athan-sing.praat, which turns each spoken phrase
# into a sung one by overlap-add.
#
#   athan-voice.py WORDS MELODIES OUT
#
# WORDS is athan.txt (a phrase a line, a tab, then its phonemes); MELODIES has
# a line for each phrase: a token for each of its vowels, in order. A token is
# the scale degree the vowel is sung on (1 the tonic); degrees joined by "~"
# are a melisma, each held NOTE seconds; a degree followed by ":" is one note
# held HOLD seconds. A vowel with one plain degree keeps its spoken length. The
# phrase's last note is held longer still, and falls at its end.
#
# For phrase N it writes to OUT: N.wav, the spoken phrase (padded with silence,
# since overlap-add cuts its output at three times its input); N.PitchTier,
# the melody on the spoken phrase's time axis; N.DurationTier, how much each
# moment is stretched: only the middle of a held vowel, so that consonants stay
# short and clear.
import ctypes
import sys
import wave

TONIC = 146.83  # D3: a man's voice
# Maqam Bayati on the tonic, in semitones: the second degree is a quarter tone flat.
BAYATI = [0, 1.5, 3, 5, 7, 8, 10]
NOTE, HOLD, LAST, GLIDE = 0.8, 1.3, 0.5, 0.08  # seconds, sung
VIBRATO_HZ, VIBRATO_ST = 5.5, 0.15
RATE, PITCH = 80, 65  # espeak-ng's slowest rate; a low voice, near the melody

lib = ctypes.CDLL("libespeak-ng.so.1")


class Event(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("uid", ctypes.c_uint), ("text_position", ctypes.c_int),
                ("length", ctypes.c_int), ("audio_position", ctypes.c_int), ("sample", ctypes.c_int),
                ("user_data", ctypes.c_void_p), ("id", ctypes.c_char * 8)]


def speak(phonemes):
    """The phrase's samples and its phonemes as (start in seconds, name)."""
    samples, phones = bytearray(), []

    def heard(wav, count, events):
        i = 0
        while events[i].type != 0:  # the list ends with espeakEVENT_LIST_TERMINATED
            if events[i].type == 7:  # espeakEVENT_PHONEME
                phones.append((events[i].audio_position / 1000, events[i].id.decode()))
            i += 1
        samples.extend(ctypes.string_at(wav, count * 2) if count > 0 and wav else b"")
        return 0

    callback = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.POINTER(ctypes.c_short), ctypes.c_int,
                                ctypes.POINTER(Event))(heard)
    lib.espeak_SetSynthCallback(callback)
    text = ("[[%s]]" % phonemes).encode()
    # Characters from the start, UTF-8 and phoneme input.
    lib.espeak_Synth(text, len(text) + 1, 0, 1, 0, 0x101, None, None)
    lib.espeak_Synchronize()
    return bytes(samples), phones


def hz(degree):
    octave, step = divmod(degree - 1, len(BAYATI))
    return TONIC * 2 ** ((12 * octave + BAYATI[step]) / 12)


def sing_vowel(token, last):
    """The notes of one vowel as (start, end, Hz) in sung seconds from its start."""
    held = token.endswith(":")
    degrees = [int(d) for d in token.rstrip(":").split("~")]
    lengths = [HOLD if held else NOTE] * len(degrees)
    lengths[-1] += LAST if last else 0
    notes, t = [], 0.0
    for degree, length in zip(degrees, lengths):
        notes.append((t, t + length, hz(degree)))
        t += length
    return notes, held or len(degrees) > 1 or last


def plan(phones, melody, end):
    """The pitch and duration points of a phrase, on its spoken time axis."""
    vowels = [(t, phones[i + 1][0]) for i, (t, name) in enumerate(phones[:-1]) if name[0] in "aiu"]
    tokens = melody.split()
    if len(tokens) != len(vowels):
        sys.exit("athan-voice.py: %d notes for %d vowels in %r" % (len(tokens), len(vowels), melody))
    pitch, duration = [], []
    for n, ((v0, v1), token) in enumerate(zip(vowels, tokens)):
        notes, held = sing_vowel(token, n == len(tokens) - 1)
        if not held:  # a short vowel on one note, as spoken
            pitch += [(v0 + (v1 - v0) / 4, notes[0][2]), (v1 - (v1 - v0) / 4, notes[0][2])]
            continue
        # Its middle [m0, m1] stretched f times to the notes' length; the
        # vowel's edges, and the consonants around it, as spoken.
        edge = min(0.02, (v1 - v0) / 5)
        m0, m1, sung = v0 + 2 * edge, v1 - 2 * edge, notes[-1][1]
        f = sung / (m1 - m0)
        duration += [(v0 + edge, 1), (m0, f), (m1, f), (v1 - edge, 1)]
        at = lambda s: m0 + s / f  # noqa: E731 (sung seconds into the middle, on the spoken axis)
        for k, (s0, s1, f0) in enumerate(notes):
            if k:  # the glide from the note before
                s0 += GLIDE
            s = s0
            while s < s1 - GLIDE / 2:  # the note, with a vibrato growing in after its start
                depth = VIBRATO_ST * min(1, (s - s0) / 0.3)
                wobble = depth * [0, 1, 0, -1][round((s - s0) * VIBRATO_HZ * 4) % 4]
                pitch.append((at(s), f0 * 2 ** (wobble / 12)))
                s += 1 / (VIBRATO_HZ * 4)
            pitch.append((at(s1), f0))
        if n == len(tokens) - 1:  # the close falls away
            pitch.append((v1, notes[-1][2] * 2 ** (-2 / 12)))
    return pitch, duration or [(0, 1)]


def tier(path, kind, end, points):
    with open(path, "w") as f:
        f.write('File type = "ooTextFile"\nObject class = "%s"\n\n0\n%.6f\n%d\n' % (kind, end, len(points)))
        f.writelines("%.6f\n%.6f\n" % p for p in sorted(points))


def main(words, melodies, out):
    lines = [line.rstrip("\n").split("\t") for line in open(words, encoding="utf-8")
             if line.strip() and not line.startswith("#")]
    melody = [line.strip() for line in open(melodies, encoding="utf-8") if line.strip() and line[0] != "#"]
    if len(melody) != len(lines):
        sys.exit("athan-voice.py: %d phrases, %d melodies" % (len(lines), len(melody)))
    rate = lib.espeak_Initialize(2, 0, None, 1)  # synchronous, with phoneme events
    if rate <= 0 or lib.espeak_SetVoiceByName(b"ar") != 0:
        sys.exit("athan-voice.py: espeak-ng has no Arabic voice")
    lib.espeak_SetParameter(1, RATE, 0), lib.espeak_SetParameter(3, PITCH, 0)
    for n, (fields, tune) in enumerate(zip(lines, melody), 1):
        if len(fields) != 2:
            sys.exit("athan-voice.py: no phonemes after a tab for %r" % fields[0])
        samples, phones = speak(fields[1])
        end = len(samples) / 2 / rate
        pitch, duration = plan(phones, tune, end)
        sung = end + sum((t1 - t0) * ((f0 + f1) / 2 - 1) for (t0, f0), (t1, f1) in zip(duration, duration[1:]))
        with wave.open("%s/%d.wav" % (out, n), "wb") as w:
            w.setnchannels(1), w.setsampwidth(2), w.setframerate(rate)
            w.writeframes(samples + bytes(2 * int(rate * sung / 2)))
        tier("%s/%d.PitchTier" % (out, n), "PitchTier", end, pitch)
        tier("%s/%d.DurationTier" % (out, n), "DurationTier", end, duration)


main(*sys.argv[1:])
