-- String building with sub, # and find: appends one letter at a time, and
-- whenever the text reaches 60 letters looks for a pair in it and cuts it back.
local alphabet = "abcdefghijklmnopqrstuvwxyz"
local s = ""
local found = 0
local total = 0
for i = 1, 1200000 do
  local at = ((i * 7) % 26) + 1
  s = s .. string.sub(alphabet, at, at)
  if #s >= 60 then
    found = found + (string.find(s, "qx", 1, true) or 0)
    total = total + #s
    s = string.sub(s, 31, 60)
  end
end
print(found)
print(total)
print(s)
