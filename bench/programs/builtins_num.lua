-- Numeric functions in a loop: math.sqrt, math.log, math.exp, math.sin, math.cos, math.abs and
-- math.floor. QuillonMacro rounds the argument of its numeric functions to a whole number, so
-- every argument is a whole number here, in all versions alike. The sums are printed as floors
-- of whole or scaled values, with the same correction as the other versions (it never fires).
local sqrt, log, exp = math.sqrt, math.log, math.exp
local sin, cos, abs, floor = math.sin, math.cos, math.abs, math.floor
local roots, logs, waves, decay, whole = 0, 0, 0, 0, 0
for i = 1, 2000000 do
  local k = (i % 1000) + 1
  roots = roots + sqrt(k)
  logs = logs + log(k)
  waves = waves + (sin(i) * cos(k))
  decay = decay + exp(-(i % 20))
  whole = whole + (abs(k - 500) + floor(sqrt((k * k) + 1)))
end
local function print_floor(x)
  local q = floor(x)
  if q > x then
    q = q - 1
  end
  print(q)
end
print_floor(roots)
print_floor(logs)
print_floor(waves * 1000)
print_floor(decay * 1000)
print(whole)
