# Sings the phrases athan-voice.py spoke and planned: each spoken phrase takes
# its melody (PitchTier) and its held vowels (DurationTier) by overlap-add
# (PSOLA), which keeps the voice's own timbre, then its level (AmplitudeTier:
# swelling with the vibrato, breaking in the tahrir). Overlap-add places each
# period on a whole sample: at 44.1 kHz rather than espeak-ng's 22.05 kHz, so
# that the rounding shakes the periods half as much. The sung phrase is cut at
# the end of its last sound and brought to one loudness, as a muezzin keeps his
# voice even from phrase to phrase.
#
#   praat --run athan-sing.praat FOLDER COUNT     (FOLDER an absolute path)
form Sing
  sentence folder
  natural count
endform
# Overlap-add draws random numbers (noise for the unvoiced parts): the same
# seed each time, so that the same phrases sing the same bytes.
random_initializeWithSeedUnsafelyButPredictably: 1
for n to count
  spoken22 = Read from file: folder$ + "/" + string$(n) + ".wav"
  spoken = Resample: 44100, 50
  pitch = Read from file: folder$ + "/" + string$(n) + ".PitchTier"
  duration = Read from file: folder$ + "/" + string$(n) + ".DurationTier"
  spoken_end = Get end time
  sung_end = Get target duration: 0, spoken_end
  level = Read from file: folder$ + "/" + string$(n) + ".AmplitudeTier"
  selectObject: spoken
  manipulation = To Manipulation: 0.01, 75, 600
  plusObject: pitch
  Replace pitch tier
  selectObject: manipulation
  plusObject: duration
  Replace duration tier
  selectObject: manipulation
  whole = Get resynthesis (overlap-add)
  plusObject: level
  leveled = Multiply
  sung = Extract part: 0, sung_end, "rectangular", 1, "no"
  Scale intensity: 70
  Save as WAV file: folder$ + "/sung-" + string$(n) + ".wav"
  removeObject: spoken22, spoken, pitch, duration, level, manipulation, whole, leveled, sung
endfor
