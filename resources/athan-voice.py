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
# are a melisma, a degree followed by ":" is one held note. A vowel with one
# plain degree keeps its spoken length. The phrase's last vowel is held
# longest, and falls at its end.
#
# How a held vowel is sung is shaped by the parameters below, never by hand:
# each note's length follows its vowel and its place, with a measured
# freedom drawn from a fixed seed (the same every run); the voice glides
# between notes with a small preparation and overshoot, ornaments the phrases
# that reach the octave, carries a vibrato that grows in after a straight
# onset, and its level swells with the vibrato.
#
# For phrase N it writes to OUT: N.wav, the spoken phrase (padded with silence,
# since overlap-add cuts its output at three times its input); N.PitchTier,
# the melody on the spoken phrase's time axis; N.DurationTier, how much each
# moment is stretched: only the middle of a held vowel, so that consonants stay
# short and clear; N.AmplitudeTier, the level of the sung phrase on its own
# (sung) time axis.
import ctypes
import math
import random
import re
import sys
import wave

VOICE = b"ar+robert"  # espeak-ng's Arabic voice, variant robert: the warmest with a man's formants, no treble cut
RATE, PITCH = 80, 65  # espeak-ng's slowest rate; a low voice, near the melody
TONIC = 146.83  # D3: a man's voice
# Maqam Bayati on the tonic, in semitones: the second degree is a quarter tone flat.
BAYATI = [0, 1.5, 3, 5, 7, 8, 10]

SEED = 1  # the free timing, vibrato and voice drawn from this seed, the same every run
NOTE = 0.6  # seconds, a note of a melisma (a held "5:" note twice that)
LONG = 1.25  # a long vowel's notes (a:, i:, u:) are this much longer
LAST = 1.3  # the phrase's last vowel is held at least this much longer than its longest other
PASSING = 0.7  # a melisma's inner notes, passed through, are this much shorter
ARRIVE = 0.3  # the notes of a phrase lengthen by this share from its first vowel to its last
BROADEN = 0.12  # the last phrase is sung this much slower than the first
FREEDOM = 0.22  # each note's length varies by about this share, at random
GLIDE, GLIDE_WIDE = 0.2, 0.035  # seconds a move takes, and more for each semitone of its step
PREPARE, OVERSHOOT = 0.1, 0.1  # before a move the voice dips back, after it passes on, by this share of the step
CLIMAX = 8  # phrases that reach this degree (the octave) are ornamented: grace notes, turns, tahrir
GRACE = 0.08  # seconds, a grace note from above on a melisma's top (reached by step), each note of a turn after it
TAHRIR = 3, 0.06  # breaks and their length in seconds, flicking up a third, on the top of a climax's last vowel
VIBRATO_HZ, VIBRATO_CENTS = 5.8, 38  # the vibrato's rate and half-swing
VIBRATO_FREEDOM = 0.1, 0.3  # how much rate and half-swing vary from note to note
STRAIGHT, GROW = (0.05, 0.25), 0.2  # seconds of straight tone once on the note (at random between), then of growing in
SWELL_DB = 2  # the level rises and falls this much with the vibrato
FLUTTER, DRIFT = 0.004, 6  # period to period pitch fluctuation (share), and a slow wander (cents)

lib = ctypes.CDLL("libespeak-ng.so.1")
rand = random.Random(SEED)


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


def semitones(degree):
    octave, step = divmod(degree - 1, len(BAYATI))
    return 12 * octave + BAYATI[step]


def hz(tone):
    return TONIC * 2 ** (tone / 12)


def cosine(points, s):
    """The curve through points (seconds, semitones), moving between them as a singer does: smoothly."""
    i = next((i for i, (t, _) in enumerate(points) if t > s), len(points))
    if i == 0 or i == len(points):
        return points[min(i, len(points) - 1)][1]
    (t0, v0), (t1, v1) = points[i - 1], points[i]
    return v0 + (v1 - v0) * (1 - math.cos(math.pi * (s - t0) / (t1 - t0))) / 2


class Vowel:
    """One held vowel sung on its notes: its pitch (semitones) and level (dB) at each sung second."""

    def __init__(self, degrees, lengths, climax, last):
        tones = [semitones(d) for d in degrees]
        glides = [(GLIDE + GLIDE_WIDE * abs(b - a)) * rand.uniform(0.8, 1.25) for a, b in zip(tones, tones[1:])]
        glides.append(0)
        top = degrees.index(max(degrees)) if climax and len(degrees) > 1 else -1
        self.points, self.vibratos, self.breaks, t = [(0, tones[0])], [], [], 0.0
        for k, (degree, tone, length) in enumerate(zip(degrees, tones, lengths)):
            step, glide, begun = (tone - tones[k - 1], glides[k - 1], t) if k else (0, 0, t)
            if k == top and 0 < step <= 2:  # stepping up to the top by a grace note from the degree above
                above = semitones(degree + 1)
                self.points += [(t + glide, above), (t + glide + GRACE, above), (t + glide + GRACE + 0.03, tone)]
                t += glide + GRACE + 0.03
            elif k:  # the glide from the note before (it dipped back first), a little past the note, settled on it
                self.points += [(t + glide, tone + OVERSHOOT * step), (t + 1.5 * glide, tone)]
                t += 1.5 * glide
            # The note, its vibrato after a straight onset, and the ornament before it is left.
            start, leave = t + rand.uniform(*STRAIGHT), max(t + 0.1, begun + length - glides[k] / 2)
            rate = VIBRATO_HZ * (1 + VIBRATO_FREEDOM[0] * rand.gauss(0, 1))
            depth = VIBRATO_CENTS * (1 + VIBRATO_FREEDOM[1] * rand.gauss(0, 1))
            self.vibratos.append((start, leave, rate, depth))
            if k == top and last:  # the tahrir: the voice breaks, flicks up a third, and is back on the note
                count, pause = TAHRIR
                for b in range(count):
                    self.breaks.append((leave, leave + pause))
                    third = semitones(degree + 2)
                    self.points += [(leave, tone), (leave + pause, third), (leave + pause + GRACE, third),
                                    (leave + pause + GRACE + 0.03, tone)]
                    leave += pause + 2 * GRACE
            elif k == top:  # a turn: the degrees above, on, below and on the note
                for n, d in enumerate([degree + 1, degree, degree - 1, degree]):
                    self.points += [(leave + n * GRACE, self.points[-1][1]), (leave + n * GRACE + 0.03, semitones(d))]
                leave += 4 * GRACE
            t = leave + glides[k] / 2
            if k + 1 < len(tones):  # before the move the voice dips back a little
                self.points += [(leave, tone), (t, tone - PREPARE * (tones[k + 1] - tone))]
        self.points.append((t, self.points[-1][1]))
        self.length = t

    def vibrato(self, s):
        """The vibrato's swing at sung second s: cents, and its share of its depth."""
        for start, end, rate, depth in self.vibratos:
            if start <= s < end:
                grown = (1 - math.cos(math.pi * min(1, (s - start) / GROW))) / 2 * min(1, (end - s) / 0.06)
                swing = grown * math.sin(2 * math.pi * rate * (s - start))
                return depth * swing, swing
        return 0, 0

    def level(self, s):
        """The level at sung second s, in dB: swelling with the vibrato, all but gone in a tahrir's break."""
        swell = SWELL_DB * self.vibrato(s)[1]
        return swell - 30 if any(b0 <= s < b1 for b0, b1 in self.breaks) else swell


drift = 0.0


def wander():
    """The slow drift of the voice, in cents, a step of 5 ms further."""
    global drift
    drift = 0.97 * drift + 0.24 * DRIFT * rand.gauss(0, 1)
    return drift


def plan(phones, vowels, melody, phrase, count):
    """The pitch, duration and level points of a phrase: pitch and duration on its
    spoken time axis, level on its sung one."""
    spoken = [(t, phones[i + 1][0]) for i, (t, name) in enumerate(phones[:-1]) if name[0] in "aiu"]
    tokens = melody.split()
    if not len(tokens) == len(spoken) == len(vowels):
        sys.exit("athan-voice.py: %d notes for %d vowels in %r" % (len(tokens), len(spoken), melody))
    climax = max(int(d) for d in re.findall(r"\d+", melody)) >= CLIMAX
    pace = 1 + BROADEN * phrase / max(1, count - 1)
    held = {}  # the lengths of the notes of each held vowel
    for n, (token, vowel) in enumerate(zip(tokens, vowels)):
        degrees = token.rstrip(":").split("~")
        if len(degrees) > 1 or token.endswith(":") or n == len(tokens) - 1:
            length = NOTE * (2 if token.endswith(":") else 1) * (LONG if vowel.endswith(":") else 1) * pace
            length *= 1 + ARRIVE * n / (len(tokens) - 1)
            held[n] = [length * (PASSING if 0 < k < len(degrees) - 1 else 1) * math.exp(FREEDOM * rand.gauss(0, 1))
                       for k in range(len(degrees))]
    final = held.pop(len(tokens) - 1)
    longest = max([sum(notes) for notes in held.values()] or [0])
    held[len(tokens) - 1] = [length * max(1, LAST * longest / sum(final)) for length in final]
    pitch, duration, level = [], [], []
    for n, ((v0, v1), token) in enumerate(zip(spoken, tokens)):
        last = n == len(tokens) - 1
        degrees = [int(d) for d in token.rstrip(":").split("~")]
        if n not in held:  # a short vowel on one note, as spoken
            s = v0 + (v1 - v0) / 4
            while s < v1 - (v1 - v0) / 4:
                pitch.append((s, hz(semitones(degrees[0]) + wander() / 100) * (1 + FLUTTER * rand.gauss(0, 1))))
                s += 0.005
            continue
        lengths = [max(0.4, length) for length in held[n]]
        sung = Vowel(degrees, lengths, climax, last)
        # Its middle [m0, m1] stretched f times to the notes' length; the
        # vowel's edges, and the consonants around it, as spoken.
        edge = min(0.02, (v1 - v0) / 5)
        m0, m1 = v0 + 2 * edge, v1 - 2 * edge
        f = sung.length / (m1 - m0)
        duration += [(v0 + edge, 1), (m0, f), (m1, f), (v1 - edge, 1)]
        s, base = 0.0, sung_time(duration, m0)
        while s <= sung.length:
            tone = cosine(sung.points, s) + (sung.vibrato(s)[0] + wander()) / 100
            pitch.append((m0 + s / f, hz(tone) * (1 + FLUTTER * rand.gauss(0, 1))))
            level.append((base + s, 10 ** (sung.level(s) / 20)))
            s += 0.005
        if last:  # the close falls away
            pitch.append((v1, hz(sung.points[-1][1] - 2)))
    duration = duration or [(0, 1)]
    return pitch, duration, level


def sung_time(duration, t):
    """Where spoken second t falls once stretched, as Praat's DurationTier counts it."""
    total, (t0, f0) = 0.0, (0.0, duration[0][1])
    for t1, f1 in duration + [(t + 1, duration[-1][1])]:
        if t1 >= t:
            return total + (t - t0) * (f0 + (f0 if t1 == t0 else f0 + (f1 - f0) * (t - t0) / (t1 - t0))) / 2
        total, t0, f0 = total + (t1 - t0) * (f0 + f1) / 2, t1, f1


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
    if rate <= 0 or lib.espeak_SetVoiceByName(VOICE) != 0:
        sys.exit("athan-voice.py: espeak-ng has no voice %s" % VOICE.decode())
    lib.espeak_SetParameter(1, RATE, 0), lib.espeak_SetParameter(3, PITCH, 0)
    for n, (fields, tune) in enumerate(zip(lines, melody), 1):
        if len(fields) != 2:
            sys.exit("athan-voice.py: no phonemes after a tab for %r" % fields[0])
        samples, phones = speak(fields[1])
        end = len(samples) / 2 / rate
        pitch, duration, level = plan(phones, re.findall("[aiu]:?", fields[1]), tune, n - 1, len(lines))
        sung = sung_time(duration, end)
        with wave.open("%s/%d.wav" % (out, n), "wb") as w:
            w.setnchannels(1), w.setsampwidth(2), w.setframerate(rate)
            w.writeframes(samples + bytes(2 * int(rate * sung / 2)))
        tier("%s/%d.PitchTier" % (out, n), "PitchTier", end, pitch)
        tier("%s/%d.DurationTier" % (out, n), "DurationTier", end, duration)
        tier("%s/%d.AmplitudeTier" % (out, n), "AmplitudeTier", sung, level or [(0, 1)])


main(*sys.argv[1:])
