REM Nested loops over an array of whole numbers: a 150 x 150 matrix held in a one-dimensional
REM array, filled with (i * j) MOD 7, then transposed and summed row by row, pass after pass.
REM Every value comes from MOD, ABS and INT. bwBASIC's \ divides without cutting off the
REM fraction, so the integer quotient is INT(a / b) here (the operands are never negative).
n = 150
last = n * n - 1
DIM m(last), t(last)
FOR i = 0 TO n - 1
  FOR j = 0 TO n - 1
    m(i * n + j) = (i * j) MOD 7
  NEXT j
NEXT i
total = 0
FOR pass = 1 TO 200
  FOR i = 0 TO n - 1
    r = i * n
    FOR j = 0 TO n - 1
      v = m(r + j)
      t(j * n + i) = (ABS((v * 3 - 9) + (pass MOD 5)) MOD 7) + INT(((v + pass) MOD 9) / 4)
    NEXT j
  NEXT i
  FOR i = 0 TO n - 1
    r = i * n
    s = 0
    FOR j = 0 TO n - 1
      v = t(r + j)
      s = s + v
      m(r + j) = (v + s) MOD 7
    NEXT j
    x = s / 7
    q = INT(x)
    IF q > x THEN
      q = q - 1
    END IF
    total = total + (q + (s MOD 11))
  NEXT i
NEXT pass
PRINT total
s = 0
FOR i = 0 TO last
  s = s + m(i) * ((i MOD 13) + 1)
NEXT i
PRINT s
SYSTEM
