REM Sums the whole numbers 1 to 6,500,000 in a FOR loop and prints the sum split
REM into millions and remainder, so every interpreter prints it as plain integers.
s = 0
FOR i = 1 TO 6500000
  s = s + i
NEXT i
q = INT(s / 1000000)
IF q * 1000000 > s THEN
  q = q - 1
END IF
PRINT q
PRINT s - q * 1000000
SYSTEM
