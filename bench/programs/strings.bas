REM String building with MID$, LEN and INSTR: appends one letter at a time, and
REM whenever the text reaches 60 letters looks for a pair in it and cuts it back.
alphabet$ = "abcdefghijklmnopqrstuvwxyz"
s$ = ""
found = 0
total = 0
FOR i = 1 TO 1200000
  s$ = s$ + MID$(alphabet$, ((i * 7) MOD 26) + 1, 1)
  IF LEN(s$) >= 60 THEN
    found = found + INSTR(s$, "qx")
    total = total + LEN(s$)
    s$ = MID$(s$, 31, 30)
  END IF
NEXT i
PRINT found
PRINT total
PRINT s$
SYSTEM
