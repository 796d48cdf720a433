-- String functions in a loop: string.sub cutting out one character at a time, string.find
-- finding it in a key and in the vowels, #, string.sub cutting a growing word back, and
-- tonumber of three digits cut out of a longer text.
local text = "the quick brown fox jumps over the lazy dog 0123456789"
local key = "zyxwvutsrqponmlkjihgfedcba 9876543210"
local digits = "31415926535897932384626433832795028841971693993751"
local size = #text
local word = ""
local positions, vowels, numbers, cuts = 0, 0, 0, 0
for i = 1, 2000000 do
  local at = (i % size) + 1
  local c = string.sub(text, at, at)
  local p = string.find(key, c, 1, true) or 0
  positions = positions + p
  if (string.find("aeiou", c, 1, true) or 0) > 0 then
    vowels = vowels + 1
  end
  local k = (i % 48) + 1
  numbers = numbers + tonumber(string.sub(digits, k, k + 2))
  word = word .. c
  if #word > 12 then
    cuts = cuts + #string.sub(word, 1, 5)
    word = string.sub(word, -7)
  end
end
print(positions)
print(vowels)
print(numbers)
print(cuts)
print(word)
