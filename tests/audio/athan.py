#!/usr/bin/python3
# The adhan as installed: exactly what resources/make-athan.sh makes now (made
# here in another folder, time zone, locale and umask), decoded by GStreamer
# without a warning, and sung as a person sings in a hall: its pitch and
# loudness, tracked by Praat every 10 ms, against the floors of a sung call.
#   athan.py CLIP
import math, os, re, statistics as st, subprocess as sp, sys, tempfile
from collections import Counter

clip, here, work = os.path.realpath(sys.argv[1]), os.path.dirname(os.path.realpath(__file__)), tempfile.mkdtemp()
sp.run("umask 077 && bash %s/../../resources/make-athan.sh made.mp3" % here, shell=True, cwd=work,
       env=dict(os.environ, TZ="Pacific/Kiritimati", LC_ALL="C"), stdout=sp.DEVNULL)
same = os.path.exists(work + "/made.mp3") and open(work + "/made.mp3", "rb").read() == open(clip, "rb").read()
gst = sp.run(["gst-launch-1.0", "-q", "filesrc", "location=" + clip, "!", "decodebin", "!", "fakesink"],
             capture_output=True, text=True).stderr
stats = sp.run(["sox", clip, work + "/clip.wav", "stats"], capture_output=True, text=True).stderr
length, peak = (float(re.search(k + r"\s+(\S+)", stats)[1]) for k in ("Length s", "Pk lev dB"))
sp.run(["praat", "--run", here + "/athan.praat", work + "/clip.wav", work], check=True)
pitch, level, (jitter, warmth) = ([float(x) for x in open(work + "/" + f).read().split()] for f in ("pitch", "intensity", "voice"))
sp.run(["rm", "-rf", work])
rms, top = lambda xs: math.sqrt(sum(x * x for x in xs) / len(xs)), max(level)
# The sung stretches: sounding (within 25 dB of the loudest) between pauses of a second or more.
loud = "".join("x" if v > top - 25 else "." for v in level)
sung = [(m.start(), m.end()) for m in re.finditer(r"x(?:x|\.{1,99}(?=x))*", loud) if m.end() - m.start() >= 10]
energy = [10 * math.log10(sum(10 ** (v / 10) for v in level[a:b]) / (b - a)) for a, b in sung]
# The pitch in semitones, and smoothed by a running median of 0.25 s: the vibrato smoothed out.
tones = [12 * math.log2(f / 100) if f else None for f in pitch]
smooth = [s if s is None else st.median(v for v in tones[max(0, i - 12):i + 13] if v is not None) for i, s in enumerate(tones)]


def holds(band, frames):
    """Where the smoothed pitch stays within band semitones for frames or more."""
    found, start, low, high = [], None, 0, 0
    for i, s in enumerate(smooth + [None]):
        if s is not None and start is not None and max(high, s) - min(low, s) <= band:
            low, high = min(low, s), max(high, s)
            continue
        found += [(start, i)] if start is not None and i - start >= frames else []
        start, low, high = (i, s, s) if s is not None else (None, 0, 0)
    return found


held, notes = holds(0.5, 60), holds(0.6, 30)
span = (lambda q: q[-1] - q[0])(st.quantiles((s for s in tones if s is not None), n=20))  # 5th to 95th percentile
# Free timing: the three most common note lengths (50 ms apart) hold few notes, and each phrase's last
# vowel (loud within 10 dB of the loudest half second around it, across breaks of 70 ms) is held longest.
common = sum(n for _, n in Counter((b - a) // 5 for a, b in notes).most_common(3)) / len(notes)
vowels = [[len(m) for m in re.findall(r"x(?:x|\.{1,7}(?=x))*", "".join(
    "x" if level[i] > max(level[max(a, i - 50):i + 50]) - 10 else "." for i in range(a, b))) if len(m) >= 10] for a, b in sung]
last = min(v[-1] / 100 if v[-1] == max(v) else 0 for v in vowels)
# Glides between consecutive notes of one voiced stretch: the time from 10 to 90 % of the step, as a straight
# glide would take it (x 1.25), and the ornaments of each phrase: flicks up of 30 to 150 ms (grace notes, a
# turn's upper note, a tahrir's leap) and breaks, dips of 6 dB for 30 to 70 ms that the voice leaves elsewhere.
glides = []
for (a0, b0), (a1, b1) in zip(notes, notes[1:]):
    m0, m1 = st.median(smooth[a0:b0]), st.median(smooth[a1:b1])
    if a1 - b0 > 60 or None in tones[b0:a1] or not 0.8 <= abs(m1 - m0) <= 6:
        continue
    u = [(s - m0) / (m1 - m0) for s in smooth[(a0 + b0) // 2:b1]]
    i1 = next(i for i, x in enumerate(u) if x >= 0.9)
    i0 = max((i for i, x in enumerate(u[:i1]) if x <= 0.1), default=None)
    if i0 is not None:
        glides.append((12.5 * (i1 - (u[i1] - 0.9) / (u[i1] - u[i1 - 1]) - i0 - (0.1 - u[i0]) / (u[i0 + 1] - u[i0])),
                       abs(m1 - m0)))
glide = st.median(g for g, _ in glides)
wider = st.median(g for g, s in glides if s > 2.5) / st.median(g for g, s in glides if s <= 2.5)
ornaments = []
for a, b in sung:
    up = "".join("u" if s is not None and 1 <= s - m <= 6 else "." for s, m in zip(tones[a:b], smooth[a:b]))
    dips = "".join("d" if level[i] < min(max(level[i - 10:i]), max(level[i + 1:i + 11])) - 6 else "."
                   for i in range(a + 10, b - 10))
    breaks = 0
    for m in re.finditer("d+", dips):  # the voice a third or more away just after, and back on its note 0.1 s on
        i, j = a + 10 + m.start(), a + 10 + m.end()
        x = next((s for s in tones[i - 10:i][::-1] if s), 0)
        leap, back = ([(s - x) % 12 for s in tones[k:k + 8] if s] for k in (j, j + 9))
        breaks += 3 <= j - i <= 7 and any(2.5 <= v <= 9.5 for v in leap) and any(v <= 1 or v >= 11 for v in back)
    ornaments.append((sum(3 <= len(m) <= 15 for m in re.findall("u+", up)), breaks))
# The climaxes: the calls to prayer and to success (phrases 11 to 16) and the one of each pair that reaches higher.
reach = [st.quantiles((s for s in smooth[a:b] if s is not None), n=10)[-1] for a, b in sung]
climaxes = set(range(10, 16)) | {max(p, p ^ 1, key=lambda q: reach[q]) for p in range(0, len(sung) - 1, 2)}
tahrir = min(ornaments[p][1] for p in range(10, 16)) if len(sung) == 20 else 0
astray = sum(sum(o) for p, o in enumerate(ornaments) if p not in climaxes)
# Vibrato on notes of 0.8 s or more: the swing about the smoothed pitch, its rate (its autocorrelation's peak),
# half-swing (RMS x 1.41 over a cycle, where grown), onset (where it reaches 30 % of that), and how the level
# follows it (correlation with the level about its own running median).
vibratos = []
for a, b in (n for n in notes if n[1] - n[0] >= 80):
    r = [100 * (tones[i] - smooth[i]) for i in range(a, b)]
    cycle = [rms(r[max(0, i - 8):i + 9]) for i in range(len(r))]
    full, straight = max(cycle[8:-8]), min(range(50), key=cycle.__getitem__)
    on = next((i for i in range(straight, len(r)) if cycle[i] >= 0.3 * full), straight)
    x, lv = r[on:], level[a + on:b]
    ac = [sum(p * q for p, q in zip(x, x[k:])) for k in range(27)]
    k = max(range(12, 26), key=ac.__getitem__)
    k += (ac[k - 1] - ac[k + 1]) / 2 / ((ac[k - 1] - 2 * ac[k] + ac[k + 1]) or 1)
    swell = [v - st.median(lv[max(0, i - 12):i + 13]) for i, v in enumerate(lv)]
    vibratos.append((100 / k, 1.41 * full, on / 100, st.correlation(swell, x) if len(x) > 2 else 0, b - a))
rate, swing, onset, follows = (st.median(v[k] for v in vibratos) for k in range(4))
# How rate and half-swing vary from note to note (on notes of a second or more, where a vibrato is heard):
# the spread of their middle half, against their median.
rate_spread, swing_spread = ((q[2] - q[0]) / q[1] for q in (
    st.quantiles([v[k] for v in vibratos if v[4] >= 100 and v[1] >= 20], n=4) for k in (0, 1)))
# The hall: after each phrase, the decay from 5 to 25 dB below its last loud moment, fitted and taken to 60 dB
# (T20 as RT60), and the longest quiet (50 ms windows 30 dB or more below the loudest) before the next.
windows = [10 * math.log10(sum(10 ** (v / 10) for v in level[i:i + 5]) / 5) for i in range(0, len(level) - 4, 5)]
rt60s, quiet = [], []
for (a, b), c in zip(sung, [s[0] for s in sung[1:]] + [len(level)]):
    end = max(level[b - 30:b])
    i0 = next(i for i in range(b - 30, c) if level[i] < end - 5)
    i1 = next((i for i in range(i0, c) if level[i] < end - 25), c)
    rt60s.append(-0.6 / st.linear_regression(range(i0, i1), level[i0:i1]).slope)
    quiet.append(max(map(len, re.findall("q+", "".join("q" if w < max(windows) - 30 else "." for w in windows[b // 5:c // 5]))),
                     default=0) / 20)
checks = (  # what is measured, how much, and within what
    ("the clip as make-athan.sh makes it now", same, 1, 1), ("warnings from GStreamer", gst.count("\n"), 0, 0),
    ("minutes", length / 60, 2.5, 4.5), ("sung stretches", len(sung), 14, 24), ("s before the voice", sung[0][0] / 100, 0, 0.5),
    ("dB from the softest stretch to the loudest", max(energy) - min(energy), 0, 3), ("dBFS peak", peak, -1.5, -0.5),
    ("semitones of pitch span", span, 9, 99), ("held notes", len(held), 30, 999),
    ("of the notes in the 3 commonest lengths", common, 0, 0.3), ("s each phrase's last vowel, its longest", last, 1.5, 99),
    ("ms a glide", glide, 100, 250), ("times as long a wider step's glide", wider, 1.1, 9),
    ("tahrir breaks in each call", tahrir, 2, 99), ("ornaments away from the climaxes", astray, 0, 2),
    ("Hz vibrato", rate, 5, 7), ("cents vibrato", swing, 25, 60), ("s of straight tone first", onset, 0.2, 0.5),
    ("spread of vibrato rates", rate_spread, 0.1, 0.35), ("spread of vibrato swings", swing_spread, 0.35, 0.8),
    ("correlation of level and vibrato", follows, 0.3, 1), ("% jitter", 100 * jitter, 0.3, 1),
    ("Hz median pitch (a man's)", st.median(f for f in pitch if f), 100, 250), ("dB warmth", warmth, 12, 99),
    ("s RT60", st.median(rt60s), 1.5, 3), ("s of quiet after each phrase", min(quiet), 1, 99))
for what, value, low, high in checks:
    print("%s%.3g %s" % ("" if low <= value <= high else "FAIL: ", value, what))
print(gst, end="")
sys.exit(any(not low <= value <= high for _, value, low, high in checks))
