-- A function with four arguments called in a loop (not recursive): each call mixes the
-- previous result with the loop's counter, so every call's result is needed.
local function blend(a, b, c, d)
  return ((a * b) + (c % d)) % 1009
end
local x = 1
local total = 0
for i = 1, 8000000 do
  x = blend(x, (i % 31) + 1, i, 17)
  total = (total + x) % 999983
end
print(x)
print(total)
