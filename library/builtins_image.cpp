// The screen image built-ins: FINDIMG searches the screen for a picture file and remembers where it is,
// GETCOLOR reads one screen pixel and remembers its three colour fields, IMG_X … IMG_B return what they kept.
#include "builtin_support.h"
#include "desktop_platform.h"
#include "image_search.h"
#include "library_state.h"
#include "radix.h"

#include <cstdint>
#include <string>

namespace {

// The last captured screen. Kept between calls so that each capture refills the same memory instead of
// allocating and clearing a new screen-sized grid.
PixelGrid& ScreenSurface() {
    static PixelGrid surface;
    return surface;
}

// The template is loaded and the screen captured before any search: a file that cannot be loaded or a
// screen that cannot be captured fails the call with its number, and nothing is searched.
void BuiltinFindImg(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 1, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Screen)) return;
    TrappedSection trap;
    std::u16string path;
    PixelGrid templ;
    PixelGrid& screen = ScreenSurface();
    if (!trap.Step(TextOf(call.Arg(0), path)) ||
        !trap.Step(call.services.desktop->LoadImageFile(path, templ)) ||
        !trap.Step(call.services.desktop->CaptureScreen(screen))) {
        trap.Report(call.error);
        return;
    }
    int32_t x = 0;
    int32_t y = 0;
    if (FindImage(screen, templ, x, y)) {
        LibraryState::ImgX = x;
        LibraryState::ImgY = y;
    }
}

// The colour's upper-case hexadecimal digits, at least six (a negative value gives its eight digits of two's
// complement, so -1 is "FFFFFFFF").
std::u16string SixHexDigits(int32_t colour) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    auto bits = static_cast<uint32_t>(colour);
    std::u16string text;
    do {
        text.insert(text.begin(), kDigits[bits & 0xF]);
        bits >>= 4;
    } while (bits != 0);
    if (text.size() < 6) text.insert(0, 6 - text.size(), u'0');
    return text;
}

// Two hexadecimal digits through the radix conversion into a 16-bit field; on failure the field keeps its
// value.
int SetField(std::u16string_view digits, int16_t& field) {
    std::u16string decimal;
    if (int failure = ConvertRadix(16, 10, digits, decimal)) return failure;
    int32_t value = 0;
    if (int failure = WholeNumberOf(MacroValue::String(decimal), value)) return failure;
    if (value < INT16_MIN || value > INT16_MAX) return 6;
    field = static_cast<int16_t>(value);
    return 0;
}

// The fields are taken from the first, middle and last two digits of the colour value 0x00BBGGRR, so IMG_R
// holds the blue byte and IMG_B the red one; a pixel that cannot be read gives -1 and three fields of 255.
void BuiltinGetColor(BuiltinCall& call) {
    call.error.Clear();
    if (!CheckCount(call, call.Count() == 2, kMsgCountMismatch)) return;
    if (!RequireDisplay(call, DesktopPart::Screen)) return;
    TrappedSection trap;
    int32_t x = 0;
    int32_t y = 0;
    int32_t colour = 0;
    bool haveX = trap.Step(WholeNumberOf(call.Arg(0), x));
    bool haveY = trap.Step(WholeNumberOf(call.Arg(1), y));
    if (haveX && haveY) {
        colour = call.services.desktop->ReadPixel(x, y);
        call.result = MacroValue::Int32(colour);
    }
    std::u16string digits = SixHexDigits(colour);
    std::u16string_view view = digits;
    trap.Step(SetField(view.substr(0, 2), LibraryState::ImgR));
    trap.Step(SetField(view.substr(2, 2), LibraryState::ImgG));
    trap.Step(SetField(view.substr(view.size() - 2), LibraryState::ImgB));
    trap.Report(call.error);
}

void BuiltinImgX(BuiltinCall& call) {
    call.error.Clear();
    if (CheckCount(call, call.Count() == 0, kMsgCountMismatch))
        call.result = MacroValue::Int32(LibraryState::ImgX);
}

void BuiltinImgY(BuiltinCall& call) {
    call.error.Clear();
    if (CheckCount(call, call.Count() == 0, kMsgCountMismatch))
        call.result = MacroValue::Int32(LibraryState::ImgY);
}

void BuiltinImgR(BuiltinCall& call) {
    call.error.Clear();
    if (CheckCount(call, call.Count() == 0, kMsgCountMismatch))
        call.result = MacroValue::Int16(LibraryState::ImgR);
}

void BuiltinImgG(BuiltinCall& call) {
    call.error.Clear();
    if (CheckCount(call, call.Count() == 0, kMsgCountMismatch))
        call.result = MacroValue::Int16(LibraryState::ImgG);
}

void BuiltinImgB(BuiltinCall& call) {
    call.error.Clear();
    if (CheckCount(call, call.Count() == 0, kMsgCountMismatch))
        call.result = MacroValue::Int16(LibraryState::ImgB);
}

} // namespace

void RegisterImageBuiltins(BuiltinTable& table) {
    table.Add(u"FINDIMG", UsingTheDisplay<BuiltinFindImg>);
    table.Add(u"GETCOLOR", UsingTheDisplay<BuiltinGetColor>);
    table.Add(u"IMG_X", BuiltinImgX);
    table.Add(u"IMG_Y", BuiltinImgY);
    table.Add(u"IMG_R", BuiltinImgR);
    table.Add(u"IMG_G", BuiltinImgG);
    table.Add(u"IMG_B", BuiltinImgB);
}
