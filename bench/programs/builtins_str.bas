REM String built-ins in a loop: MID$ cutting out one character at a time, INSTR finding it in
REM a key and in the vowels, LEN, RIGHT$ cutting a growing word back, and VAL of three digits
REM cut out of a longer text with MID$.
text$ = "the quick brown fox jumps over the lazy dog 0123456789"
key$ = "zyxwvutsrqponmlkjihgfedcba 9876543210"
digits$ = "31415926535897932384626433832795028841971693993751"
size = LEN(text$)
word$ = ""
positions = 0
vowels = 0
numbers = 0
cuts = 0
FOR i = 1 TO 2000000
  c$ = MID$(text$, (i MOD size) + 1, 1)
  p = INSTR(key$, c$)
  positions = positions + p
  IF INSTR("aeiou", c$) > 0 THEN
    vowels = vowels + 1
  END IF
  numbers = numbers + VAL(MID$(digits$, (i MOD 48) + 1, 3))
  word$ = word$ + c$
  IF LEN(word$) > 12 THEN
    cuts = cuts + LEN(LEFT$(word$, 5))
    word$ = RIGHT$(word$, 7)
  END IF
NEXT i
PRINT positions
PRINT vowels
PRINT numbers
PRINT cuts
PRINT word$
SYSTEM
