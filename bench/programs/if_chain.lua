-- A chain of if and elseif classifying values in a loop: the value moves through 0 ... 999 in an
-- irregular order, and each turn counts it in one of five classes.
local v = 0
local small, low, middle, evens, odds, weight = 0, 0, 0, 0, 0, 0
for i = 1, 10000000 do
  v = ((v * 37) + (i % 101)) % 1000
  if v < 100 then
    small = small + 1
  elseif v < 300 then
    low = low + 1
  elseif v < 600 then
    middle = middle + 1
    weight = weight + 1
  elseif (v % 2) == 0 then
    evens = evens + 1
    weight = weight + 2
  else
    odds = odds + 1
    weight = weight + 3
  end
end
print(small)
print(low)
print(middle)
print(evens)
print(odds)
print(weight)
