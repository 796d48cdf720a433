// Tests of the exact image search: on random and desktop-like pictures it must give the very position a plain
// column-by-column scan gives, and it compares all three colour bytes while ignoring the reserved one.
#include "image_row_hash_search.h"
#include "image_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <random>
#include <utility>
#include <vector>

namespace {

PixelGrid Grid(int32_t width, int32_t height, uint32_t rgb = 0) {
    PixelGrid g;
    g.width = width;
    g.height = height;
    g.bgra.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    for (size_t i = 0; i < g.bgra.size(); i += 4) {
        g.bgra[i] = static_cast<uint8_t>(rgb);
        g.bgra[i + 1] = static_cast<uint8_t>(rgb >> 8);
        g.bgra[i + 2] = static_cast<uint8_t>(rgb >> 16);
    }
    return g;
}

uint8_t* At(PixelGrid& g, int32_t x, int32_t y) {
    return g.bgra.data() +
           (static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)) * 4;
}

void Set(PixelGrid& g, int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p = At(g, x, y);
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
}

void Fill(PixelGrid& g, int32_t x0, int32_t y0, int32_t w, int32_t h, uint32_t rgb) {
    for (int32_t y = y0; y < y0 + h && y < g.height; ++y)
        for (int32_t x = x0; x < x0 + w && x < g.width; ++x) Set(g, x, y, rgb);
}

PixelGrid Crop(const PixelGrid& g, int32_t x0, int32_t y0, int32_t w, int32_t h) {
    PixelGrid c = Grid(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = g.Pixel(x0 + x, y0 + y);
            Set(c, x, y, p[0] | (p[1] << 8) | (p[2] << 16));
        }
    return c;
}

void Paste(PixelGrid& g, const PixelGrid& t, int32_t x0, int32_t y0) {
    for (int32_t y = 0; y < t.height; ++y)
        for (int32_t x = 0; x < t.width; ++x) {
            const uint8_t* p = t.Pixel(x, y);
            Set(g, x0 + x, y0 + y, p[0] | (p[1] << 8) | (p[2] << 16));
        }
}

// The plain scan: positions column by column, the template walked pixel by pixel, all three bytes compared.
std::optional<std::pair<int32_t, int32_t>> ReferenceScan(const PixelGrid& s, const PixelGrid& t) {
    for (int32_t x = 0; x + t.width <= s.width; ++x)
        for (int32_t y = 0; y + t.height <= s.height; ++y) {
            bool match = true;
            for (int32_t i = 0; i < t.width && match; ++i)
                for (int32_t j = 0; j < t.height && match; ++j) {
                    const uint8_t* a = s.Pixel(x + i, y + j);
                    const uint8_t* b = t.Pixel(i, j);
                    match = a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
                }
            if (match) return std::make_pair(x, y);
        }
    return std::nullopt;
}

std::optional<std::pair<int32_t, int32_t>> Search(const PixelGrid& s, const PixelGrid& t) {
    int32_t x = -7;
    int32_t y = -7;
    if (!FindImage(s, t, x, y)) {
        EXPECT_EQ(x, -7);
        EXPECT_EQ(y, -7);
        return std::nullopt;
    }
    return std::make_pair(x, y);
}

// Random screens of few colours (so partial matches abound), with copies of the template planted at random.
TEST(ImageSearch, AgreesWithReferenceOnRandomPictures) {
    std::mt19937 rng(20261208);
    const uint32_t palette[] = {0x000000, 0xFFFFFF, 0x0000FF, 0x00FF00};
    int found = 0;
    for (int round = 0; round < 600; ++round) {
        int32_t w = 20 + static_cast<int32_t>(rng() % 60);
        int32_t h = 10 + static_cast<int32_t>(rng() % 40);
        size_t colours = 2 + rng() % 3;
        PixelGrid s = Grid(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) Set(s, x, y, palette[rng() % colours]);
        int32_t tw = 1 + static_cast<int32_t>(rng() % 5);
        int32_t th = 1 + static_cast<int32_t>(rng() % 5);
        PixelGrid t = Grid(tw, th);
        for (int32_t y = 0; y < th; ++y)
            for (int32_t x = 0; x < tw; ++x) Set(t, x, y, palette[rng() % colours]);
        for (uint32_t copies = rng() % 4; copies > 0; --copies)
            Paste(s, t, static_cast<int32_t>(rng() % static_cast<uint32_t>(w - tw + 1)),
                  static_cast<int32_t>(rng() % static_cast<uint32_t>(h - th + 1)));
        auto expected = ReferenceScan(s, t);
        found += expected.has_value();
        ASSERT_EQ(Search(s, t), expected) << "round " << round;
        // The row-hash search, which takes over on repetitive screens, gives the same answers.
        int32_t x = -1;
        int32_t y = -1;
        const bool hashed = FindImageByRowHashes(s, t, x, y);
        ASSERT_EQ(hashed ? std::make_optional(std::make_pair(x, y)) : std::nullopt, expected)
            << "round " << round;
    }
    EXPECT_GT(found, 300); // the rounds exercise both outcomes
    EXPECT_LT(found, 600);
}

// Desktop-like screens: one background colour, windows of flat colours with a few details, and a template cut
// from the screen whose first columns are background.
TEST(ImageSearch, AgreesWithReferenceOnDesktopLikePictures) {
    std::mt19937 rng(7);
    for (int round = 0; round < 120; ++round) {
        const uint32_t background = 0x3A6EA5;
        PixelGrid s = Grid(160, 120, background);
        for (int win = 0; win < 4; ++win) {
            int32_t x0 = static_cast<int32_t>(rng() % 140);
            int32_t y0 = static_cast<int32_t>(rng() % 100);
            Fill(s, x0, y0, 10 + static_cast<int32_t>(rng() % 50), 8 + static_cast<int32_t>(rng() % 40),
                 win % 2 ? 0xFFFFFF : 0xD4D0C8);
        }
        // Icons: small patches of a few colours, some repeated exactly.
        PixelGrid icon = Grid(6, 6, background);
        for (int k = 0; k < 12; ++k)
            Set(icon, static_cast<int32_t>(rng() % 6), static_cast<int32_t>(rng() % 6),
                0xC00000 + (rng() % 3));
        for (int k = 0; k < 5; ++k)
            Paste(s, icon, static_cast<int32_t>(rng() % 150), static_cast<int32_t>(rng() % 110));
        int32_t tw = 4 + static_cast<int32_t>(rng() % 12);
        int32_t th = 4 + static_cast<int32_t>(rng() % 12);
        int32_t cx = static_cast<int32_t>(rng() % static_cast<uint32_t>(160 - tw));
        int32_t cy = static_cast<int32_t>(rng() % static_cast<uint32_t>(120 - th));
        PixelGrid t = Crop(s, cx, cy, tw, th);
        if (round % 3 == 0) Set(t, tw - 1, th - 1, 0x010203); // a detail found nowhere: not on the screen
        ASSERT_EQ(Search(s, t), ReferenceScan(s, t)) << "round " << round;
        // The pure background-coloured template is found at the first background position.
        PixelGrid flat = Grid(tw, th, background);
        ASSERT_EQ(Search(s, flat), ReferenceScan(s, flat)) << "round " << round;
    }
}

TEST(ImageSearch, FirstMatchInColumnOrderWins) {
    PixelGrid s = Grid(50, 40, 0x101010);
    PixelGrid t = Grid(3, 2, 0xFF0000);
    Set(t, 1, 1, 0x00FF00);
    Paste(s, t, 30, 2);  // above and right
    Paste(s, t, 12, 30); // leftmost: wins although lower
    Paste(s, t, 12, 35); // same column, lower
    Paste(s, t, 40, 0);
    EXPECT_EQ(Search(s, t), std::make_pair(12, 30));
}

TEST(ImageSearch, AllThreeBytesMustMatchAndTheReservedByteIsIgnored) {
    PixelGrid s = Grid(20, 20, 0x000000);
    PixelGrid red = Grid(2, 2, 0xFF0000);
    EXPECT_EQ(Search(s, red), std::nullopt); // no byte-wise partial match on a black screen

    Paste(s, red, 5, 6);
    Set(s, 6, 7, 0xFE0000); // differs in one byte only
    EXPECT_EQ(Search(s, red), std::nullopt);
    Set(s, 6, 7, 0xFF0000);
    for (size_t i = 3; i < s.bgra.size(); i += 4) s.bgra[i] = 0xAB; // reserved bytes carry no colour
    EXPECT_EQ(Search(s, red), std::make_pair(5, 6));
}

TEST(ImageSearch, TemplateSizesAtTheEdges) {
    PixelGrid s = Grid(8, 6);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x) Set(s, x, y, static_cast<uint32_t>(x * 16 + y));
    EXPECT_EQ(Search(s, s), std::make_pair(0, 0)); // as large as the screen: only (0, 0)
    PixelGrid shifted = Crop(s, 1, 0, 7, 6);
    EXPECT_EQ(Search(s, shifted), std::make_pair(1, 0));
    EXPECT_EQ(Search(s, Crop(s, 7, 5, 1, 1)), std::make_pair(7, 5)); // the last position
    EXPECT_EQ(Search(s, Grid(9, 1)), std::nullopt);                  // wider than the screen
    EXPECT_EQ(Search(s, Grid(1, 7)), std::nullopt);                  // taller
    EXPECT_EQ(Search(s, PixelGrid{}), std::nullopt);                 // empty template
    EXPECT_EQ(Search(PixelGrid{}, Grid(1, 1)), std::nullopt);        // no screen
}

// A screen-sized uniform picture: every position matches a uniform template of the same colour, and the
// first one is (0, 0); a template of another colour is found nowhere.
TEST(ImageSearch, UniformScreen) {
    PixelGrid s = Grid(640, 480, 0x336699);
    EXPECT_EQ(Search(s, Grid(40, 30, 0x336699)), std::make_pair(0, 0));
    PixelGrid t = Grid(40, 30, 0x336699);
    Set(t, 39, 29, 0x336698);
    EXPECT_EQ(Search(s, t), std::nullopt);
}

// The hostile case: one-pixel stripes, where every probe passes at every other position and a full
// comparison fails only at the template's last pixel. The search hands over to the row hashes and answers
// both ways correctly (before, this took half a minute and could not be stopped).
TEST(ImageSearch, PeriodicScreensAreAnsweredExactly) {
    PixelGrid s = Grid(1280, 1024);
    for (int32_t y = 0; y < s.height; ++y)
        for (int32_t x = 0; x < s.width; ++x) Set(s, x, y, x % 2 == 0 ? 0xFFFFFF : 0x000000);
    PixelGrid t = Crop(s, 0, 0, 640, 512);
    Set(t, 639, 511, 0x808080);
    EXPECT_EQ(Search(s, t), std::nullopt);
    // Planted where only the far end of the stripes leaves room: the first match in column order.
    Paste(s, t, 601, 500);
    EXPECT_EQ(Search(s, t), std::make_pair(601, 500));
    int32_t x = -1;
    int32_t y = -1;
    ASSERT_TRUE(FindImageByRowHashes(s, t, x, y));
    EXPECT_EQ(std::make_pair(x, y), std::make_pair(601, 500));
}

// Every position where the template matches, in column order, by the plain scan.
std::vector<std::pair<int32_t, int32_t>> ReferenceMatches(const PixelGrid& s, const PixelGrid& t) {
    std::vector<std::pair<int32_t, int32_t>> all;
    for (int32_t x = 0; x + t.width <= s.width; ++x)
        for (int32_t y = 0; y + t.height <= s.height; ++y)
            if (ReferenceScan(Crop(s, x, y, t.width, t.height), t)) all.emplace_back(x, y);
    return all;
}

// The count of places behind the capture's check: on random pictures of few colours it is the number of
// positions the plain scan finds (overlaps included), capped at the limit, and its first place is
// FindImage's.
TEST(ImageMatchCount, AgreesWithReferenceOnRandomPictures) {
    std::mt19937 rng(37);
    const uint32_t palette[] = {0x000000, 0xFFFFFF, 0x0000FF};
    int several = 0;
    for (int round = 0; round < 300; ++round) {
        const int32_t w = 8 + static_cast<int32_t>(rng() % 30);
        const int32_t h = 6 + static_cast<int32_t>(rng() % 20);
        const size_t colours = 2 + rng() % 2;
        PixelGrid s = Grid(w, h);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x) Set(s, x, y, palette[rng() % colours]);
        const int32_t tw = 1 + static_cast<int32_t>(rng() % 3);
        const int32_t th = 1 + static_cast<int32_t>(rng() % 3);
        const PixelGrid t = Crop(s, static_cast<int32_t>(rng() % static_cast<uint32_t>(w - tw + 1)),
                                 static_cast<int32_t>(rng() % static_cast<uint32_t>(h - th + 1)), tw, th);
        const auto expected = ReferenceMatches(s, t);
        ASSERT_FALSE(expected.empty());
        several += expected.size() > 1;
        const int32_t limit = 1 + static_cast<int32_t>(rng() % 12);
        const ImageMatchCount counted = CountImageMatches(s, t, limit);
        ASSERT_EQ(counted.count, std::min<int32_t>(limit, static_cast<int32_t>(expected.size())))
            << "round " << round;
        ASSERT_EQ(counted.capped, static_cast<int32_t>(expected.size()) >= limit) << "round " << round;
        ASSERT_EQ(std::make_pair(counted.x, counted.y), expected.front()) << "round " << round;
        ASSERT_EQ(Search(s, t), expected.front()) << "round " << round;
    }
    EXPECT_GT(several, 50);
}

TEST(ImageMatchCount, TwiceOverlappingAndNowhere) {
    PixelGrid s = Grid(60, 40, 0x202020);
    PixelGrid t = Grid(4, 3, 0xFF0000);
    Set(t, 1, 1, 0x00FF00);
    Paste(s, t, 40, 5);
    Paste(s, t, 10, 30);
    ImageMatchCount twice = CountImageMatches(s, t, 100);
    EXPECT_EQ(twice.count, 2);
    EXPECT_FALSE(twice.capped);
    EXPECT_EQ(std::make_pair(twice.x, twice.y), std::make_pair(10, 30))
        << "the leftmost, as FINDIMG takes it";

    // Stripes "ABABA" across and down: "ABA" lies at every second place, each copy sharing a column or row
    // with the next.
    PixelGrid stripes = Grid(5, 5);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x) Set(stripes, x, y, (x + y) % 2 == 0 ? 0xAAAAAA : 0x555555);
    const ImageMatchCount overlapping = CountImageMatches(stripes, Crop(stripes, 0, 0, 3, 3), 100);
    EXPECT_EQ(overlapping.count, 5); // (0,0) (0,2) (1,1) (2,0) (2,2)
    EXPECT_EQ(std::make_pair(overlapping.x, overlapping.y), std::make_pair(0, 0));

    Set(t, 3, 2, 0x0000FE);
    EXPECT_EQ(CountImageMatches(s, t, 100).count, 0);
    EXPECT_EQ(CountImageMatches(s, PixelGrid{}, 100).count, 0);
    EXPECT_EQ(CountImageMatches(s, Grid(61, 1), 100).count, 0);
}

// A plain picture on a plain screen matches almost everywhere: the count stops at the limit at once.
TEST(ImageMatchCount, PlainPictureOnAPlainScreenStopsAtTheLimit) {
    const PixelGrid s = Grid(1280, 1024, 0x336699);
    const ImageMatchCount plain = CountImageMatches(s, Grid(30, 20, 0x336699), 50);
    EXPECT_EQ(plain.count, 50);
    EXPECT_TRUE(plain.capped);
    EXPECT_EQ(std::make_pair(plain.x, plain.y), std::make_pair(0, 0));
    EXPECT_EQ(CountImageMatches(s, Grid(1, 1, 0x336699), 0).count, 1) << "a limit below 1 counts one";
}

} // namespace
