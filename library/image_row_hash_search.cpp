// The row-hash template search: polynomial hashes modulo the prime 2^61 - 1 with a base drawn for each
// search, so no picture can be made to collide on purpose; every hash match is confirmed pixel by pixel.
#include "image_row_hash_search.h"

#include <bit>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

namespace {

constexpr uint64_t kPrime = (uint64_t{1} << 61) - 1;
constexpr uint32_t kColourMask = std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;

__extension__ typedef unsigned __int128 Wide;

uint64_t MultiplyMod(uint64_t a, uint64_t b) {
    const Wide product = static_cast<Wide>(a) * b;
    uint64_t folded = static_cast<uint64_t>(product & kPrime) + static_cast<uint64_t>(product >> 61);
    if (folded >= kPrime) folded -= kPrime;
    return folded;
}

uint64_t AddMod(uint64_t a, uint64_t b) {
    const uint64_t sum = a + b;
    return sum >= kPrime ? sum - kPrime : sum;
}

uint32_t Colour(const PixelGrid& grid, int32_t x, int32_t y) {
    uint32_t v;
    std::memcpy(&v,
                grid.bgra.data() +
                    (static_cast<size_t>(y) * static_cast<size_t>(grid.width) + static_cast<size_t>(x)) * 4,
                4);
    return (v & kColourMask) + 1; // never 0, so leading black pixels still count
}

// The hash of the `width` pixels of row y starting at each x, for every x that leaves room for them.
void RowWindowHashes(const PixelGrid& grid, int32_t y, int32_t width, uint64_t base, uint64_t topPower,
                     std::vector<uint64_t>& out) {
    const int32_t positions = grid.width - width + 1;
    out.resize(static_cast<size_t>(positions));
    uint64_t h = 0;
    for (int32_t i = 0; i < width; ++i) h = AddMod(MultiplyMod(h, base), Colour(grid, i, y));
    out[0] = h;
    for (int32_t x = 1; x < positions; ++x) {
        const uint64_t leaving = MultiplyMod(Colour(grid, x - 1, y), topPower);
        h = AddMod(h, kPrime - leaving);
        h = AddMod(MultiplyMod(h, base), Colour(grid, x + width - 1, y));
        out[static_cast<size_t>(x)] = h;
    }
}

bool MatchesAt(const PixelGrid& screen, const PixelGrid& templ, int32_t x, int32_t y) {
    for (int32_t j = 0; j < templ.height; ++j)
        for (int32_t i = 0; i < templ.width; ++i)
            if (Colour(screen, x + i, y + j) != Colour(templ, i, j)) return false;
    return true;
}

std::vector<int32_t> FailureLinks(const std::vector<uint64_t>& pattern) {
    std::vector<int32_t> links(pattern.size(), 0);
    int32_t k = 0;
    for (size_t i = 1; i < pattern.size(); ++i) {
        while (k > 0 && pattern[i] != pattern[static_cast<size_t>(k)]) k = links[static_cast<size_t>(k) - 1];
        if (pattern[i] == pattern[static_cast<size_t>(k)]) ++k;
        links[i] = k;
    }
    return links;
}

} // namespace

void VisitMatchesByRowHashes(const PixelGrid& screen, const PixelGrid& templ,
                             const std::function<bool(int32_t x, int32_t y)>& visit) {
    std::random_device seed;
    std::mt19937_64 random((static_cast<uint64_t>(seed()) << 32) ^ seed());
    const uint64_t base = std::uniform_int_distribution<uint64_t>(256, kPrime - 1)(random);
    uint64_t topPower = 1;
    for (int32_t i = 1; i < templ.width; ++i) topPower = MultiplyMod(topPower, base);

    // The template's rows as hashes, and every screen position's row hash, stored column by column so each
    // column's sequence is read in order.
    std::vector<uint64_t> pattern(static_cast<size_t>(templ.height));
    std::vector<uint64_t> row;
    for (int32_t j = 0; j < templ.height; ++j) {
        RowWindowHashes(templ, j, templ.width, base, topPower, row);
        pattern[static_cast<size_t>(j)] = row[0];
    }
    const int32_t columns = screen.width - templ.width + 1;
    const size_t rows = static_cast<size_t>(screen.height);
    std::vector<uint64_t> byColumn(static_cast<size_t>(columns) * rows);
    for (int32_t top = 0; top < screen.height; ++top) {
        RowWindowHashes(screen, top, templ.width, base, topPower, row);
        for (int32_t left = 0; left < columns; ++left)
            byColumn[static_cast<size_t>(left) * rows + static_cast<size_t>(top)] =
                row[static_cast<size_t>(left)];
    }

    // After a match (or a hash match the pixels refuse) the failure link keeps the rows that may start the
    // next one, so overlapping occurrences down a column are all seen.
    const std::vector<int32_t> links = FailureLinks(pattern);
    const int32_t length = templ.height;
    for (int32_t left = 0; left < columns; ++left) {
        const uint64_t* column = byColumn.data() + static_cast<size_t>(left) * rows;
        int32_t matched = 0;
        for (int32_t top = 0; top < screen.height; ++top) {
            const uint64_t h = column[top];
            while (matched > 0 && h != pattern[static_cast<size_t>(matched)])
                matched = links[static_cast<size_t>(matched) - 1];
            if (h == pattern[static_cast<size_t>(matched)]) ++matched;
            if (matched < length) continue;
            const int32_t start = top - length + 1;
            if (MatchesAt(screen, templ, left, start) && !visit(left, start)) return;
            matched = links[static_cast<size_t>(matched) - 1];
        }
    }
}

bool FindImageByRowHashes(const PixelGrid& screen, const PixelGrid& templ, int32_t& x, int32_t& y) {
    bool found = false;
    VisitMatchesByRowHashes(screen, templ, [&](int32_t left, int32_t top) {
        x = left;
        y = top;
        found = true;
        return false;
    });
    return found;
}
