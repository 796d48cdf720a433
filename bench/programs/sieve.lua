-- Prime sieve over an array, nested for loops with a step, repeated eighteen times.
-- The inner loop sits inside an if, as in the other versions.
local limit = 65000
local flag = {}
local count = 0
for pass = 1, 18 do
  for k = 0, limit do
    flag[k] = 0
  end
  count = 0
  for i = 2, limit do
    if flag[i] == 0 then
      count = count + 1
      if i * i <= limit then
        for j = i * i, limit, i do
          flag[j] = 1
        end
      end
    end
  end
end
print(count)
