// Helpers for the screen tests: pictures built in memory, the plain column-by-column reference search, the
// root window's background set to a picture (so every pixel of the screen is known), picture files, and
// macro runs on a facade driving the real desktop platform.
#pragma once

#include "codepage.h"
#include "desktop_platform.h"
#include "macro_facade.h"

#include <QImage>
#include <QString>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace screen_test {

inline PixelGrid Flat(int32_t width, int32_t height, uint32_t rgb) {
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

inline uint32_t RgbAt(const PixelGrid& g, int32_t x, int32_t y) {
    const uint8_t* p = g.Pixel(x, y);
    return p[0] | (p[1] << 8) | (p[2] << 16);
}

inline void SetRgb(PixelGrid& g, int32_t x, int32_t y, uint32_t rgb) {
    uint8_t* p =
        g.bgra.data() + (static_cast<size_t>(y) * static_cast<size_t>(g.width) + static_cast<size_t>(x)) * 4;
    p[0] = static_cast<uint8_t>(rgb);
    p[1] = static_cast<uint8_t>(rgb >> 8);
    p[2] = static_cast<uint8_t>(rgb >> 16);
}

inline void FillRect(PixelGrid& g, int32_t x0, int32_t y0, int32_t w, int32_t h, uint32_t rgb) {
    for (int32_t y = y0; y < y0 + h && y < g.height; ++y)
        for (int32_t x = x0; x < x0 + w && x < g.width; ++x) SetRgb(g, x, y, rgb);
}

inline void Paste(PixelGrid& g, const PixelGrid& t, int32_t x0, int32_t y0) {
    for (int32_t y = 0; y < t.height; ++y)
        for (int32_t x = 0; x < t.width; ++x) SetRgb(g, x0 + x, y0 + y, RgbAt(t, x, y));
}

inline PixelGrid Crop(const PixelGrid& g, int32_t x0, int32_t y0, int32_t w, int32_t h) {
    PixelGrid c = Flat(w, h, 0);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) SetRgb(c, x, y, RgbAt(g, x0 + x, y0 + y));
    return c;
}

// Positions column by column, each template walked pixel by pixel, three colour bytes compared.
inline std::optional<std::pair<int32_t, int32_t>> ReferenceScan(const PixelGrid& s, const PixelGrid& t) {
    for (int32_t x = 0; x + t.width <= s.width; ++x)
        for (int32_t y = 0; y + t.height <= s.height; ++y) {
            bool match = true;
            for (int32_t i = 0; i < t.width && match; ++i)
                for (int32_t j = 0; j < t.height && match; ++j)
                    match = RgbAt(s, x + i, y + j) == RgbAt(t, i, j);
            if (match) return std::make_pair(x, y);
        }
    return std::nullopt;
}

inline QImage ToQImage(const PixelGrid& g) {
    QImage image(g.width, g.height, QImage::Format_RGB32);
    for (int32_t y = 0; y < g.height; ++y)
        for (int32_t x = 0; x < g.width; ++x) image.setPixel(x, y, 0xFF000000u | RgbAt(g, x, y));
    return image;
}

// Writes the picture in the format the name's suffix gives; true on success.
inline bool SavePicture(const PixelGrid& g, const std::string& path) {
    return ToQImage(g).save(QString::fromStdString(path));
}

// Makes the picture the root window's background and paints it, so the screen shows exactly it wherever no
// window covers it. The picture must have the screen's size; the screen must be 24-bit TrueColor.
inline void SetRootBackground(Display* display, const PixelGrid& picture) {
    Window root = DefaultRootWindow(display);
    int screen = DefaultScreen(display);
    Visual* visual = DefaultVisual(display, screen);
    auto depth = static_cast<unsigned>(DefaultDepth(display, screen));
    auto w = static_cast<unsigned>(picture.width);
    auto h = static_cast<unsigned>(picture.height);
    auto* data = static_cast<char*>(std::malloc(picture.bgra.size()));
    XImage* image = XCreateImage(display, visual, depth, ZPixmap, 0, data, w, h, 32, 0);
    for (int32_t y = 0; y < picture.height; ++y)
        for (int32_t x = 0; x < picture.width; ++x) {
            uint32_t rgb = RgbAt(picture, x, y);
            unsigned long pixel = 0;
            auto put = [&](unsigned long mask, uint32_t value) {
                int shift = 0;
                while (((mask >> shift) & 1) == 0) ++shift;
                pixel |= (static_cast<unsigned long>(value) << shift) & mask;
            };
            put(image->red_mask, (rgb >> 16) & 0xFF);
            put(image->green_mask, (rgb >> 8) & 0xFF);
            put(image->blue_mask, rgb & 0xFF);
            XPutPixel(image, x, y, pixel);
        }
    Pixmap pixmap = XCreatePixmap(display, root, w, h, depth);
    GC gc = XCreateGC(display, pixmap, 0, nullptr);
    XPutImage(display, pixmap, gc, image, 0, 0, 0, 0, w, h);
    XFreeGC(display, gc);
    XDestroyImage(image);
    XSetWindowBackgroundPixmap(display, root, pixmap);
    XFreePixmap(display, pixmap);
    XClearWindow(display, root);
    XSync(display, False);
}

// A borderless window placed exactly (the window manager leaves it alone), filled with one colour.
inline Window ShowCover(Display* display, int32_t x, int32_t y, int32_t w, int32_t h, uint32_t rgb) {
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = rgb; // 24-bit TrueColor with the usual masks
    Window window = XCreateWindow(display, DefaultRootWindow(display), x, y, static_cast<unsigned>(w),
                                  static_cast<unsigned>(h), 0, CopyFromParent, InputOutput, CopyFromParent,
                                  CWOverrideRedirect | CWBackPixel, &attributes);
    XMapRaised(display, window);
    XSync(display, False);
    return window;
}

struct MacroResult {
    std::vector<std::string> printed;
    int32_t code = 0;
    int32_t sub = 0;
    std::string info;
};

// Runs macro lines (joined with CR LF) on a facade that drives the given platform.
inline MacroResult RunOn(DesktopPlatform& desktop, std::initializer_list<std::u16string> lines) {
    std::u16string text;
    for (const std::u16string& line : lines) text += line + u"\r\n";
    MacroResult out;
    cMoMacro macro(nullptr, &desktop);
    macro.SetPrintOut([&out](const std::u16string& line) { out.printed.push_back(ToUtf8(line)); });
    macro.SetSyncRun(true);
    macro.SetMacroText(text);
    if (macro.Error().ErrorCode() == 0) macro.Run();
    out.code = macro.Error().ErrorCode();
    out.sub = macro.Error().ErrorCodeSub();
    out.info = ToUtf8(macro.Error().ErrorInformation());
    return out;
}

inline std::u16string U16(const std::string& text) {
    return QString::fromStdString(text).toStdU16String();
}

} // namespace screen_test
