-- while and if with comparisons and %: Collatz chains of the numbers 1 to 35000,
-- counting all steps and finding the longest chain.
local total, longest, best = 0, 0, 0
for n = 1, 35000 do
  local x = n
  local steps = 0
  while x ~= 1 do
    if x % 2 == 0 then
      x = x / 2
    else
      x = 3 * x + 1
    end
    steps = steps + 1
  end
  total = total + steps
  if steps > longest then
    longest = steps
    best = n
  end
end
print(total)
print(longest)
print(best)
