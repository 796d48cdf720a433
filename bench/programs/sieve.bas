REM Prime sieve over an array, nested FOR loops with STEP, repeated eighteen times.
REM The inner loop sits inside an IF because bwBASIC enters a FOR body once even
REM when the start is already past the end; all three versions keep the same guard.
limit = 65000
DIM flag(limit)
FOR pass = 1 TO 18
  FOR k = 0 TO limit
    flag(k) = 0
  NEXT k
  count = 0
  FOR i = 2 TO limit
    IF flag(i) = 0 THEN
      count = count + 1
      IF i * i <= limit THEN
        FOR j = i * i TO limit STEP i
          flag(j) = 1
        NEXT j
      END IF
    END IF
  NEXT i
NEXT pass
PRINT count
SYSTEM
