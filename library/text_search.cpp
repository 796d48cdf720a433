// Knuth–Morris–Pratt: a table of how far the needle overlaps itself lets the scan move on after a mismatch
// without ever reading a haystack character twice. Short needles take the plain search, which is linear
// for them and faster in practice.
#include "text_search.h"

#include <vector>

namespace {

constexpr std::size_t kPlainSearchLongest = 8;

} // namespace

std::size_t FindText(std::u16string_view haystack, std::u16string_view needle) {
    if (needle.size() <= kPlainSearchLongest || needle.size() > haystack.size()) return haystack.find(needle);
    // overlap[i]: the length of the longest proper prefix of needle[0..i] that is also its suffix.
    std::vector<std::size_t> overlap(needle.size(), 0);
    for (std::size_t i = 1, k = 0; i < needle.size(); ++i) {
        while (k > 0 && needle[i] != needle[k]) k = overlap[k - 1];
        if (needle[i] == needle[k]) ++k;
        overlap[i] = k;
    }
    for (std::size_t i = 0, matched = 0; i < haystack.size(); ++i) {
        while (matched > 0 && haystack[i] != needle[matched]) matched = overlap[matched - 1];
        if (haystack[i] == needle[matched]) ++matched;
        if (matched == needle.size()) return i + 1 - needle.size();
    }
    return std::u16string_view::npos;
}
