-- Nested loops over an array of whole numbers: a 150 x 150 matrix held in one table indexed
-- from 0, filled with (i * j) % 7, then transposed and summed row by row, pass after pass.
-- Every value comes from %, //, math.abs and math.floor; the other versions correct their INT
-- by one where it came out above, which never happens with math.floor, but the test stays.
local n = 150
local last = n * n - 1
local m, t = {}, {}
for i = 0, n - 1 do
  for j = 0, n - 1 do
    m[i * n + j] = (i * j) % 7
  end
end
local total = 0
for pass = 1, 200 do
  for i = 0, n - 1 do
    local r = i * n
    for j = 0, n - 1 do
      local v = m[r + j]
      t[j * n + i] = (math.abs((v * 3 - 9) + (pass % 5)) % 7) + (((v + pass) % 9) // 4)
    end
  end
  for i = 0, n - 1 do
    local r = i * n
    local s = 0
    for j = 0, n - 1 do
      local v = t[r + j]
      s = s + v
      m[r + j] = (v + s) % 7
    end
    local x = s / 7
    local q = math.floor(x)
    if q > x then
      q = q - 1
    end
    total = total + (q + (s % 11))
  end
end
print(total)
local s = 0
for i = 0, last do
  s = s + m[i] * ((i % 13) + 1)
end
print(s)
