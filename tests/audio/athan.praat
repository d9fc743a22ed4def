# What a listener hears of the adhan as installed, against the floors of a
# sung call: run by athan.sh on the clip decoded to a WAV file.
form Check
  sentence clip
endform
clip = Read from file: clip$
length = Get total duration
extremum = Get absolute extremum: 0, 0, "none"
peak = 20 * log10 (extremum)
# The sung stretches, between pauses of a second or more, and how loud each is.
stretches = To TextGrid (silences): 100, 0, -25, 1.0, 0.1, "", "sung"
intervals = Get number of intervals: 1
sung = 0
first = length
loudest = -100
softest = 100
for i to intervals
  selectObject: stretches
  label$ = Get label of interval: 1, i
  if label$ = "sung"
    sung += 1
    t0 = Get start time of interval: 1, i
    t1 = Get end time of interval: 1, i
    first = min (first, t0)
    selectObject: clip
    part = Extract part: t0, t1, "rectangular", 1, "no"
    level = Get intensity (dB)
    loudest = max (loudest, level)
    softest = min (softest, level)
    removeObject: part
  endif
endfor
# The voice's pitch: its span, and the notes held 0.6 s or more within half a
# semitone (60 frames of 10 ms).
selectObject: clip
pitch = To Pitch: 0.01, 75, 600
high = Get quantile: 0, 0, 0.95, "semitones re 100 Hz"
low = Get quantile: 0, 0, 0.05, "semitones re 100 Hz"
span = high - low
held = 0
run = 0
frames = Get number of frames
for frame to frames
  f = Get value in frame: frame, "semitones re 100 Hz"
  if f <> undefined and run > 0 and max (high, f) - min (low, f) <= 0.5
    run += 1
    low = min (low, f)
    high = max (high, f)
  else
    held += run >= 60
    run = f <> undefined
    low = f
    high = f
  endif
endfor
held += run >= 60
appendInfoLine: fixed$ (length, 1), " s, ", sung, " sung stretches from ", fixed$ (first, 2), " s, ",
... "loudness ", fixed$ (softest, 1), " to ", fixed$ (loudest, 1), " dB, peak ", fixed$ (peak, 2), " dBFS, ",
... "pitch span ", fixed$ (span, 1), " semitones, ", held, " held notes"
assert length >= 150 and length <= 270
assert sung >= 14 and sung <= 24
assert first <= 0.5
assert loudest - softest <= 3
assert abs (peak + 1) <= 0.5
assert span >= 9
assert held >= 30
