# The adhan's pitch (Hz, 0 where unvoiced) and loudness (dB), every 10 ms, and
# its voice: the local jitter of Praat's voice report, and its warmth, how many
# dB its spectrum is stronger from 50 Hz to 1 kHz than from 1 to 5 kHz. For
# athan.py: each a line of numbers in a file of OUT.
#   praat --run athan.praat CLIP.wav OUT     (absolute paths)
form Tracks
  sentence clip
  sentence out
endform
clip = Read from file: clip$
pitch = To Pitch: 0.01, 75, 600
To Matrix
Save as headerless spreadsheet file: out$ + "/pitch"
selectObject: clip
To Intensity: 100, 0.01, "yes"
Down to Matrix
Save as headerless spreadsheet file: out$ + "/intensity"
selectObject: clip, pitch
pulses = To PointProcess (cc)
plusObject: clip, pitch
report$ = Voice report: 0, 0, 75, 600, 1.3, 1.6, 0.03, 0.45
selectObject: clip
To Ltas: 100
warmth = Get mean: 50, 1000, "energy"
warmth -= Get mean: 1000, 5000, "energy"
writeFileLine: out$ + "/voice", extractNumber(report$, "Jitter (local): "), " ", warmth
