REM WHILE and IF with comparisons and MOD: Collatz chains of the numbers 1 to 35000,
REM counting all steps and finding the longest chain.
total = 0
longest = 0
best = 0
FOR n = 1 TO 35000
  x = n
  steps = 0
  WHILE x <> 1
    IF x MOD 2 = 0 THEN
      x = x / 2
    ELSE
      x = 3 * x + 1
    END IF
    steps = steps + 1
  WEND
  total = total + steps
  IF steps > longest THEN
    longest = steps
    best = n
  END IF
NEXT n
PRINT total
PRINT longest
PRINT best
SYSTEM
