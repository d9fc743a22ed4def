#!/usr/bin/python3
# The adhan as installed: exactly what resources/make-athan.sh makes now (made
# here in another folder, time zone, locale and umask), decoded by GStreamer
# without a warning, and sung: its pitch and loudness, tracked by Praat every
# 10 ms, against the floors of a sung call.
#   athan.py CLIP
import math, os, re, subprocess as sp, sys, tempfile

clip, here, work = os.path.realpath(sys.argv[1]), os.path.dirname(os.path.realpath(__file__)), tempfile.mkdtemp()
sp.run("umask 077 && bash %s/../../resources/make-athan.sh made.mp3" % here, shell=True, cwd=work,
       env=dict(os.environ, TZ="Pacific/Kiritimati", LC_ALL="C"), stdout=sp.DEVNULL)
same = os.path.exists(work + "/made.mp3") and open(work + "/made.mp3", "rb").read() == open(clip, "rb").read()
gst = sp.run(["gst-launch-1.0", "-q", "filesrc", "location=" + clip, "!", "decodebin", "!", "fakesink"],
             capture_output=True, text=True).stderr
stats = sp.run(["sox", clip, work + "/clip.wav", "stats"], capture_output=True, text=True).stderr
length, peak = (float(re.search(k + r"\s+(\S+)", stats)[1]) for k in ("Length s", "Pk lev dB"))
sp.run(["praat", "--run", here + "/athan.praat", work + "/clip.wav", work], check=True)
pitch, level = ([float(x) for x in open(work + "/" + f).read().split()] for f in ("pitch", "intensity"))
sp.run(["rm", "-rf", work])
# The sung stretches: sounding (within 25 dB of the loudest) between pauses of a second or more.
top = max(level)
loud = "".join("x" if v > top - 25 else "." for v in level)
sung = [(m.start(), m.end()) for m in re.finditer(r"x(?:x|\.{1,99}(?=x))*", loud) if m.end() - m.start() >= 10]
energy = [10 * math.log10(sum(10 ** (v / 10) for v in level[a:b]) / (b - a)) for a, b in sung]
# The voice's pitch in semitones: its span, and the notes held 0.6 s or more within half a semitone.
tones = [12 * math.log2(f / 100) if f else None for f in pitch] + [None]
held, run, low, high = 0, 0, 0, 0
for s in tones:
    if s is not None and run and max(high, s) - min(low, s) <= 0.5:
        run, low, high = run + 1, min(low, s), max(high, s)
    else:
        held, run, low, high = held + (run >= 60), s is not None, s, s
voiced = sorted(s for s in tones if s is not None)
span = voiced[len(voiced) * 95 // 100] - voiced[len(voiced) * 5 // 100]
print("%.1f s, %d sung stretches from %.2f s, loudness %.1f to %.1f dB, peak %.2f dBFS, pitch span %.1f semitones, "
      "%d held notes" % (length, len(sung), sung[0][0] / 100, min(energy), max(energy), peak, span, held))
failed = [what for ok, what in (
    (same, "the clip is not what make-athan.sh makes now"), (not re.search("warn|critical", gst, re.I), "GStreamer complains: " + gst),
    (150 <= length <= 270, "2.5 to 4.5 minutes"), (14 <= len(sung) <= 24, "14 to 24 sung stretches"),
    (sung[0][0] <= 50, "the voice from the first half second"), (max(energy) - min(energy) <= 3, "even loudness"),
    (abs(peak + 1) <= 0.5, "the peak at -1 dBFS"), (span >= 9, "a pitch span of 9 semitones or more"),
    (held >= 30, "30 held notes or more")) if not ok]
print("".join("FAIL: %s\n" % what for what in failed), end="")
sys.exit(1 if failed else 0)
