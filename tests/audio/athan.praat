# The adhan's pitch (Hz, 0 where unvoiced) and loudness (dB), every 10 ms, for
# athan.py: each a line of numbers in a file of OUT.
#   praat --run athan.praat CLIP.wav OUT     (absolute paths)
form Tracks
  sentence clip
  sentence out
endform
clip = Read from file: clip$
To Pitch: 0.01, 75, 600
To Matrix
Save as headerless spreadsheet file: out$ + "/pitch"
selectObject: clip
To Intensity: 100, 0.01, "yes"
Down to Matrix
Save as headerless spreadsheet file: out$ + "/intensity"
