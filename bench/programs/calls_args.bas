REM A user FUNCTION with four arguments called in a loop (not recursive): each call mixes the
REM previous result with the loop's counter, so every call's result is needed.
x = 1
total = 0
FOR i = 1 TO 8000000
  x = Blend(x, (i MOD 31) + 1, i, 17)
  total = (total + x) MOD 999983
NEXT i
PRINT x
PRINT total
SYSTEM

FUNCTION Blend(a, b, c, d)
  Blend = ((a * b) + (c MOD d)) MOD 1009
END FUNCTION
