-- Sums the whole numbers 1 to 6,500,000 in a for loop and prints the sum split
-- into millions and remainder, so every interpreter prints it as plain integers.
local s = 0
for i = 1, 6500000 do
  s = s + i
end
local q = math.floor(s / 1000000)
if q * 1000000 > s then
  q = q - 1
end
print(q)
print(s - q * 1000000)
