// FindText: the first place of a text inside another, in time proportional to their lengths whatever the
// texts are, so INSTR on long or repetitive texts cannot take hours (the plain search compares again and
// again).
#pragma once

#include <cstddef>
#include <string_view>

// The index of the first occurrence of `needle` in `haystack`, or npos; an empty needle is found at 0.
std::size_t FindText(std::u16string_view haystack, std::u16string_view needle);
