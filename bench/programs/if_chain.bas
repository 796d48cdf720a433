REM A chain of IF and ELSEIF classifying values in a loop: the value moves through 0 ... 999 in an
REM irregular order, and each turn counts it in one of five classes.
v = 0
small = 0
low = 0
middle = 0
evens = 0
odds = 0
weight = 0
FOR i = 1 TO 10000000
  v = ((v * 37) + (i MOD 101)) MOD 1000
  IF v < 100 THEN
    small = small + 1
  ELSEIF v < 300 THEN
    low = low + 1
  ELSEIF v < 600 THEN
    middle = middle + 1
    weight = weight + 1
  ELSEIF (v MOD 2) = 0 THEN
    evens = evens + 1
    weight = weight + 2
  ELSE
    odds = odds + 1
    weight = weight + 3
  END IF
NEXT i
PRINT small
PRINT low
PRINT middle
PRINT evens
PRINT odds
PRINT weight
SYSTEM
