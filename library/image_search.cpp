// The exact template search behind FINDIMG. A few template pixels serve as probes: those whose colours are
// rarest on the screen first, then pixels spread over the template. Positions are tested row by row in memory
// order, four at a time against every probe; a position that passes them all is compared in full.
#include "image_search.h"

#include "image_row_hash_search.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// The three colour bytes of a pixel loaded as one 32-bit word; the reserved byte is masked away.
constexpr uint32_t kColourMask = std::endian::native == std::endian::little ? 0x00FFFFFFu : 0xFFFFFF00u;
constexpr size_t kRareColourProbes = 4;      // probes picked by rarity of colour
constexpr size_t kMaxProbes = 10;            // rarity probes plus spread probes
constexpr size_t kMaxRankedPositions = 4096; // template pixels looked at when ranking colours
constexpr double kScreenSamples = 65536.0;   // screen pixels sampled to estimate colour frequencies
constexpr size_t kWorkPerScreenPixel = 4;    // pixels compared in full per screen pixel before the row hashes

inline uint32_t Load(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v & kColourMask;
}

struct Probe {
    int32_t dx;
    int32_t dy;
    uint32_t colour;
};

// Read access to a grid as rows of 4-byte pixels.
class GridView {
  public:
    explicit GridView(const PixelGrid& grid) : data_(grid.bgra.data()), width_(grid.width) {}
    const uint8_t* At(int32_t x, int32_t y) const {
        return data_ + (static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)) * 4;
    }
    uint32_t Colour(int32_t x, int32_t y) const { return Load(At(x, y)); }

  private:
    const uint8_t* data_;
    int32_t width_;
};

// Template colours with the position of one template pixel of that colour and how often the colour was seen
// among the sampled screen pixels. Open addressing with linear probing; the size is a power of two.
class ColourTable {
  public:
    struct Entry {
        uint32_t colour = 0;
        uint32_t seen = 0;
        int32_t dx = 0;
        int32_t dy = 0;
        bool used = false;
    };

    explicit ColourTable(size_t entries) {
        size_t size = 16;
        while (size < entries * 2) size *= 2;
        slots_.resize(size);
        shift_ = 32 - std::countr_zero(size);
    }

    void Add(uint32_t colour, int32_t dx, int32_t dy) {
        Entry& e = Slot(colour);
        if (e.used) return;
        e.used = true;
        e.colour = colour;
        e.dx = dx;
        e.dy = dy;
    }

    void CountIfPresent(uint32_t colour) {
        Entry& e = Slot(colour);
        if (e.used) ++e.seen;
    }

    std::vector<Entry> Entries() const {
        std::vector<Entry> out;
        for (const Entry& e : slots_)
            if (e.used) out.push_back(e);
        return out;
    }

  private:
    Entry& Slot(uint32_t colour) {
        size_t i = static_cast<uint32_t>(colour * 0x9E3779B1u) >> shift_;
        size_t mask = slots_.size() - 1;
        while (slots_[i].used && slots_[i].colour != colour) i = (i + 1) & mask;
        return slots_[i];
    }

    std::vector<Entry> slots_;
    int shift_ = 0;
};

// Probes of distinct colours, rarest on the screen first (estimated from an even sample of the screen).
void AddRareColourProbes(const PixelGrid& screen, const PixelGrid& templ, std::vector<Probe>& probes) {
    GridView t(templ);
    GridView s(screen);
    size_t n = static_cast<size_t>(templ.width) * static_cast<size_t>(templ.height);
    size_t step = n <= kMaxRankedPositions ? 1 : (n + kMaxRankedPositions - 1) / kMaxRankedPositions;
    if (step > 1 && step % static_cast<size_t>(templ.width) == 0) ++step; // do not sample one column only
    ColourTable table(std::min(n, kMaxRankedPositions));
    for (size_t k = 0; k < n; k += step) {
        auto dx = static_cast<int32_t>(k % static_cast<size_t>(templ.width));
        auto dy = static_cast<int32_t>(k / static_cast<size_t>(templ.width));
        table.Add(t.Colour(dx, dy), dx, dy);
    }

    double area = static_cast<double>(screen.width) * static_cast<double>(screen.height);
    auto stride = static_cast<int32_t>(std::max(1.0, std::floor(std::sqrt(area / kScreenSamples))));
    for (int32_t y = 0; y < screen.height; y += stride)
        for (int32_t x = (y / stride) % stride; x < screen.width; x += stride)
            table.CountIfPresent(s.Colour(x, y));

    std::vector<ColourTable::Entry> entries = table.Entries();
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const ColourTable::Entry& a, const ColourTable::Entry& b) { return a.seen < b.seen; });
    for (size_t i = 0; i < entries.size() && i < kRareColourProbes; ++i)
        probes.push_back({entries[i].dx, entries[i].dy, entries[i].colour});
}

// Probes at the centre, the corners and the middles of the edges, so that a template of few colours is still
// tested across its whole extent before a full comparison.
void AddSpreadProbes(const PixelGrid& templ, std::vector<Probe>& probes) {
    int32_t r = templ.width - 1;
    int32_t b = templ.height - 1;
    int32_t cx = templ.width / 2;
    int32_t cy = templ.height / 2;
    const int32_t spots[][2] = {{cx, cy}, {r, b}, {0, 0}, {r, 0}, {0, b}, {cx, 0}, {cx, b}, {0, cy}, {r, cy}};
    GridView t(templ);
    for (const auto& spot : spots) {
        if (probes.size() >= kMaxProbes) return;
        bool known = std::any_of(probes.begin(), probes.end(),
                                 [&](const Probe& p) { return p.dx == spot[0] && p.dy == spot[1]; });
        if (!known) probes.push_back({spot[0], spot[1], t.Colour(spot[0], spot[1])});
    }
}

// The probes of one row of positions: for positions left … left + 3 the pixels under probe k lie side by side
// in one screen row, so four positions are tested against a probe with one comparison.
class RowProbes {
  public:
    RowProbes(const GridView& screen, const std::vector<Probe>& probes, int32_t top) : count_(probes.size()) {
        for (size_t k = 0; k < count_; ++k) {
            rows_[k] = screen.At(probes[k].dx, top + probes[k].dy);
            colours_[k] = probes[k].colour;
        }
    }

    // Bit i set when position left + i passes every probe (left + 3 must still be a position).
    unsigned FourAt(int32_t left) const {
#if defined(__SSE2__)
        const __m128i mask = _mm_set1_epi32(static_cast<int>(kColourMask));
        __m128i pass = _mm_set1_epi32(-1);
        for (size_t k = 0; k < count_; ++k) {
            __m128i pixels =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows_[k] + static_cast<size_t>(left) * 4));
            __m128i same =
                _mm_cmpeq_epi32(_mm_and_si128(pixels, mask), _mm_set1_epi32(static_cast<int>(colours_[k])));
            pass = _mm_and_si128(pass, same);
            if (_mm_movemask_epi8(pass) == 0) return 0;
        }
        return static_cast<unsigned>(_mm_movemask_ps(_mm_castsi128_ps(pass)));
#else
        unsigned bits = 0;
        for (int32_t i = 0; i < 4; ++i) bits |= OneAt(left + i) ? 1u << i : 0u;
        return bits;
#endif
    }

    // False when none of the positions left … left + 7 passes the first probe (left + 7 must be a position).
    bool MaybeEight(int32_t left) const {
#if defined(__SSE2__)
        const __m128i mask = _mm_set1_epi32(static_cast<int>(kColourMask));
        const __m128i want = _mm_set1_epi32(static_cast<int>(colours_[0]));
        const uint8_t* p = rows_[0] + static_cast<size_t>(left) * 4;
        __m128i a = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), mask);
        __m128i b = _mm_and_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16)), mask);
        return _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi32(a, want), _mm_cmpeq_epi32(b, want))) != 0;
#else
        (void)left;
        return true;
#endif
    }

    bool OneAt(int32_t left) const {
        for (size_t k = 0; k < count_; ++k)
            if (Load(rows_[k] + static_cast<size_t>(left) * 4) != colours_[k]) return false;
        return true;
    }

  private:
    size_t count_;
    const uint8_t* rows_[kMaxProbes] = {};
    uint32_t colours_[kMaxProbes] = {};
};

// True when n pixels of a and b agree in their colour bytes.
bool SameColours(const uint8_t* a, const uint8_t* b, int32_t n) {
    int32_t i = 0;
#if defined(__SSE2__)
    const __m128i mask = _mm_set1_epi32(static_cast<int>(kColourMask));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= n; i += 4) {
        __m128i va = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + static_cast<size_t>(i) * 4));
        __m128i vb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + static_cast<size_t>(i) * 4));
        __m128i diff = _mm_and_si128(_mm_xor_si128(va, vb), mask);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(diff, zero)) != 0xFFFF) return false;
    }
#endif
    for (; i < n; ++i)
        if (Load(a + static_cast<size_t>(i) * 4) != Load(b + static_cast<size_t>(i) * 4)) return false;
    return true;
}

// Counts the pixels compared into `work`.
bool MatchesAt(const GridView& s, const GridView& t, const PixelGrid& templ, int32_t x, int32_t y,
               size_t& work) {
    for (int32_t j = 0; j < templ.height; ++j) {
        work += static_cast<size_t>(templ.width);
        if (!SameColours(s.At(x, y + j), t.At(0, j), templ.width)) return false;
    }
    return true;
}

// The first position of the row left of limit that matches in full, or limit.
int32_t FirstInRow(const GridView& s, const GridView& t, const PixelGrid& templ, const RowProbes& probes,
                   int32_t top, int32_t limit, size_t& work) {
    int32_t left = 0;
    for (; left + 8 <= limit; left += 8) {
        if (!probes.MaybeEight(left)) continue; // the usual case: the rarest colour is not there
        unsigned bits = probes.FourAt(left) | (probes.FourAt(left + 4) << 4);
        for (; bits != 0; bits &= bits - 1) {
            int32_t x = left + std::countr_zero(bits);
            if (MatchesAt(s, t, templ, x, top, work)) return x;
        }
    }
    for (; left < limit; ++left)
        if (probes.OneAt(left) && MatchesAt(s, t, templ, left, top, work)) return left;
    return limit;
}

bool WellFormed(const PixelGrid& grid) {
    return grid.width > 0 && grid.height > 0 &&
           grid.bgra.size() >= static_cast<size_t>(grid.width) * static_cast<size_t>(grid.height) * 4;
}

} // namespace

// Positions are visited row by row, left to right, but only left of the best match so far: a match at (x, y)
// beats every later position in its row and every position right of x or below it in its column, so what
// remains to try are the columns left of it in the rows below. The result is the first match in column order.
// On a screen that passes the probes almost everywhere (fine stripes, a repeating pattern), nearly every
// position would be compared in full; once the pixels compared pass a few times the screen's size, the
// row-hash search, whose cost does not depend on what the pictures hold, takes over.
bool FindImage(const PixelGrid& screen, const PixelGrid& templ, int32_t& x, int32_t& y) {
    if (!WellFormed(screen) || !WellFormed(templ)) return false;
    if (templ.width > screen.width || templ.height > screen.height) return false;

    std::vector<Probe> probes;
    AddRareColourProbes(screen, templ, probes);
    AddSpreadProbes(templ, probes);

    GridView s(screen);
    GridView t(templ);
    int32_t limit = screen.width - templ.width + 1;
    bool found = false;
    size_t work = 0;
    const size_t budget =
        kWorkPerScreenPixel * static_cast<size_t>(screen.width) * static_cast<size_t>(screen.height);
    for (int32_t top = 0; top <= screen.height - templ.height && limit > 0; ++top) {
        if (work > budget) return FindImageByRowHashes(screen, templ, x, y);
        int32_t left = FirstInRow(s, t, templ, RowProbes(s, probes, top), top, limit, work);
        if (left < limit) {
            x = left;
            y = top;
            found = true;
            limit = left;
        }
    }
    return found;
}

// The row hashes cost the same whatever the pictures hold, and give the occurrences in column order, so the
// first one counted is the one FINDIMG takes.
ImageMatchCount CountImageMatches(const PixelGrid& screen, const PixelGrid& templ, int32_t limit) {
    ImageMatchCount result;
    if (!WellFormed(screen) || !WellFormed(templ)) return result;
    if (templ.width > screen.width || templ.height > screen.height) return result;
    limit = std::max(limit, 1);
    VisitMatchesByRowHashes(screen, templ, [&](int32_t x, int32_t y) {
        if (result.count == 0) {
            result.x = x;
            result.y = y;
        }
        ++result.count;
        result.capped = result.count >= limit;
        return !result.capped;
    });
    return result;
}
