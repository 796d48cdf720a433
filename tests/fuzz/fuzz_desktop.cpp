// The fuzz target's desktop: the screen picture it serves, the pictures it makes up for image file names, and
// the answers of its program, clock and sound doubles.
#include "fuzz_desktop.h"

#include <algorithm>
#include <cstddef>

namespace fuzzing {

namespace {

constexpr uint32_t kDarkStripe = 0x202020;
constexpr uint32_t kLightStripe = 0xE0E0E0;
constexpr uint32_t kOddOneOut = 0x12AB34;         // one pixel among the stripes, so a cut there is found once
constexpr uint32_t kColourNotOnScreen = 0xFF00FF; // no screen pixel has it (red and blue full, green none)
constexpr size_t kEventsKept = 4096;
constexpr int32_t kStripesLeft = 24;
constexpr int32_t kStripesRight = 80;

uint64_t HashOf(const std::u16string& text) {
    uint64_t h = 1469598103934665603ULL; // FNV-1a
    for (char16_t c : text) {
        h ^= static_cast<uint64_t>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

void Put(PixelGrid& grid, int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p = grid.bgra.data() +
                 (static_cast<size_t>(y) * static_cast<size_t>(grid.width) + static_cast<size_t>(x)) * 4;
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
    p[3] = 0;
}

PixelGrid Blank(int32_t width, int32_t height) {
    PixelGrid grid;
    grid.width = width;
    grid.height = height;
    grid.bgra.assign(static_cast<size_t>(width) * static_cast<size_t>(height) * 4, 0);
    return grid;
}

// A gradient on the left (nearly every colour once), one-pixel stripes in the middle (the probes pass almost
// everywhere, so a cut there that differs inside sends the search to its row hashes), a checkerboard right.
PixelGrid PaintScreen() {
    PixelGrid screen = Blank(FuzzDesktop::kScreenWidth, FuzzDesktop::kScreenHeight);
    for (int32_t y = 0; y < screen.height; ++y) {
        for (int32_t x = 0; x < screen.width; ++x) {
            uint32_t rgb = 0;
            if (x < kStripesLeft)
                rgb = static_cast<uint32_t>(x * 10) << 16 | static_cast<uint32_t>(y * 5) << 8 |
                      static_cast<uint32_t>((x * y) & 0xFF);
            else if (x < kStripesRight)
                rgb = x % 2 == 0 ? kDarkStripe : kLightStripe;
            else
                rgb = ((x / 2 + y / 2) % 2 == 0) ? 0xC00000 : 0x0000C0;
            Put(screen, x, y, rgb);
        }
    }
    Put(screen, 61, 29, kOddOneOut);
    return screen;
}

// Painted once for the whole fuzzing process: every input sees the same screen.
const PixelGrid& ScreenPicture() {
    static const PixelGrid screen = PaintScreen();
    return screen;
}

PixelGrid CutOf(const PixelGrid& screen, int32_t left, int32_t top, int32_t width, int32_t height) {
    PixelGrid cut = Blank(width, height);
    for (int32_t y = 0; y < height; ++y)
        std::copy_n(screen.Pixel(left, top + y), static_cast<size_t>(width) * 4,
                    cut.bgra.data() + static_cast<size_t>(y) * static_cast<size_t>(width) * 4);
    return cut;
}

// A rectangle of the screen chosen by the bits of h, at most 16 by 12 pixels.
PixelGrid CutOf(const PixelGrid& screen, uint64_t h) {
    const auto left = static_cast<int32_t>((h >> 8) % static_cast<uint64_t>(screen.width));
    const auto top = static_cast<int32_t>((h >> 16) % static_cast<uint64_t>(screen.height));
    const auto width =
        1 + static_cast<int32_t>((h >> 24) % static_cast<uint64_t>(std::min(16, screen.width - left)));
    const auto height =
        1 + static_cast<int32_t>((h >> 32) % static_cast<uint64_t>(std::min(12, screen.height - top)));
    return CutOf(screen, left, top, width, height);
}

// A cut of the stripes, 4 to 16 by 3 to 12 pixels, with one stripe pixel of its second column turned to the
// other stripe colour next to its bottom row: no probe lies there, so nearly every position of the stripes
// passes the probes and fails only late in the full comparison.
PixelGrid StripesNearMiss(const PixelGrid& screen, uint64_t h) {
    const auto width = 4 + static_cast<int32_t>((h >> 8) % 13);
    const auto height = 3 + static_cast<int32_t>((h >> 16) % 10);
    const auto left =
        kStripesLeft +
        static_cast<int32_t>((h >> 24) % static_cast<uint64_t>(kStripesRight - kStripesLeft - width + 1));
    const auto top = static_cast<int32_t>((h >> 32) % static_cast<uint64_t>(screen.height - height + 1));
    PixelGrid cut = CutOf(screen, left, top, width, height);
    const uint8_t* p = cut.Pixel(1, height - 2);
    Put(cut, 1, height - 2, p[0] == static_cast<uint8_t>(kDarkStripe) ? kLightStripe : kDarkStripe);
    return cut;
}

} // namespace

FuzzDesktop::FuzzDesktop() : screen_(ScreenPicture()) {
    windows[0x1001] = {u"Notepad", u"無題 - メモ帳", {1, 100, 80, 740, 560}};
    windows[0x1002] = {u"Notepad", u"memo.txt - メモ帳", {2, -32000, -32000, -31840, -31970}};
    windows[0x1003] = {u"XTerm", u"xterm", {3, 0, 0, 1280, 1024}};
    windows[0x1004] = {u"", u"", {1, 30000, 20000, 40000, 30000}};
    commandAnswer = 1;
}

void FuzzDesktop::ScreenSize(int32_t& width, int32_t& height) {
    width = screen_.width;
    height = screen_.height;
}

int32_t FuzzDesktop::ReadPixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= screen_.width || y >= screen_.height) return -1;
    const uint8_t* p = screen_.Pixel(x, y);
    return p[2] | (p[1] << 8) | (p[0] << 16);
}

int FuzzDesktop::CaptureScreen(PixelGrid& out) {
    out.width = screen_.width;
    out.height = screen_.height;
    out.bgra.assign(screen_.bgra.begin(), screen_.bgra.end());
    return 0;
}

int FuzzDesktop::LoadImageFile(const std::u16string& path, PixelGrid& out) {
    const uint64_t h = HashOf(path);
    switch (h % 8) {
    case 0:
        return 53;
    case 1:
        return 5;
    case 2:
        out = PixelGrid{};
        return 0;
    case 3:
        out = Blank(screen_.width + 1, 2);
        return 0;
    case 4:
        out = StripesNearMiss(screen_, h);
        return 0;
    case 5:
        out = CutOf(screen_, h);
        Put(out, out.width / 2, out.height / 2, kColourNotOnScreen);
        return 0;
    default:
        out = CutOf(screen_, h);
        return 0;
    }
}

int FuzzDesktop::StartProcess(const std::u16string& commandLine, int32_t, double& processId) {
    if (commandLine.empty() || HashOf(commandLine) % 4 == 0) return 53;
    processId = static_cast<double>(HashOf(commandLine) % 65536 + 100);
    return 0;
}

int32_t FuzzDesktop::MillisecondClock() {
    fakeClock_ += 0x80000000u;
    return static_cast<int32_t>(fakeClock_);
}

int32_t FuzzDesktop::SendMediaCommand(const std::u16string& command, const WaitTurn& waitTurn) {
    if (command.rfind(u"play", 0) == 0 && command.find(u"wait") != std::u16string::npos)
        for (int turn = 0; turn < 3 && waitTurn(); ++turn) {
        }
    switch (HashOf(command) % 8) {
    case 0:
        return 263;
    case 1:
        return 275;
    case 2:
        return 70000; // beyond a 16-bit answer
    default:
        return 0;
    }
}

void FuzzDesktop::ForgetOldEvents() {
    if (events.size() > kEventsKept) events.clear();
    if (keyStateQueries.size() > kEventsKept) keyStateQueries.clear();
}

} // namespace fuzzing
