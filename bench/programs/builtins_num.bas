REM Numeric built-ins in a loop: SQR, LOG, EXP, SIN, COS, ABS and INT. QuillonMacro rounds the
REM argument of these functions to a whole number, so every argument is a whole number here, in
REM all versions alike. The sums are printed as floors of whole or scaled values; QuillonMacro's
REM INT rounds, so each floor is INT corrected by one where it came out above.
roots = 0
logs = 0
waves = 0
decay = 0
whole = 0
FOR i = 1 TO 2000000
  k = (i MOD 1000) + 1
  roots = roots + SQR(k)
  logs = logs + LOG(k)
  waves = waves + (SIN(i) * COS(k))
  decay = decay + EXP(-(i MOD 20))
  whole = whole + (ABS(k - 500) + INT(SQR((k * k) + 1)))
NEXT i
x = roots
GOSUB floor
x = logs
GOSUB floor
x = waves * 1000
GOSUB floor
x = decay * 1000
GOSUB floor
PRINT whole
SYSTEM

floor:
q = INT(x)
IF q > x THEN
  q = q - 1
END IF
PRINT q
RETURN
