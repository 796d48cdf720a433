REM Recursive Fibonacci. bwBASIC 2.20 does not keep a FUNCTION's parameters
REM apart between recursive calls, so the recursion runs through GOSUB with an
REM explicit stack of arguments and partial sums: the same tree of calls.
DIM arg(40), part(40)
depth = 0
n = 29
GOSUB fib
PRINT r
SYSTEM

fib:
IF n < 2 THEN
  r = n
ELSE
  depth = depth + 1
  arg(depth) = n
  n = n - 1
  GOSUB fib
  part(depth) = r
  n = arg(depth) - 2
  GOSUB fib
  r = part(depth) + r
  depth = depth - 1
END IF
RETURN
