// CP932 through glibc iconv (through the system's own conversion on Windows), and UTF-8 <-> UTF-16.
// The per-character CP932 lookup is cached because the lexer asks for every character of a macro.
#include "codepage.h"

#include <atomic>
#include <cerrno>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

#ifdef _WIN32

constexpr UINT kCp932 = 932;

// glibc's CP932 also gives codes to nine characters of the JIS tables by taking their Microsoft counterparts
// (U+00A5 YEN SIGN is 0x5C, U+301C WAVE DASH is 0x8160, …); the system's converter has no code for them. The
// same substitutes here give both systems one code table.
char16_t WithGlibcSubstitute(char16_t c) {
    switch (c) {
    case 0x00A2:
        return 0xFFE0;
    case 0x00A3:
        return 0xFFE1;
    case 0x00A5:
        return 0x005C;
    case 0x00AC:
        return 0xFFE2;
    case 0x2014:
        return 0x2015;
    case 0x2016:
        return 0x2225;
    case 0x203E:
        return 0x007E;
    case 0x2212:
        return 0xFF0D;
    case 0x301C:
        return 0xFF5E;
    default:
        return c;
    }
}

// The system's table also maps the single bytes 0x80, 0xA0, 0xFD, 0xFE and 0xFF (to U+0080 and U+F8F0 to
// U+F8F3); glibc treats them as bytes without meaning, and so does this module.
bool IsSystemOnlyCode(char16_t c) {
    return c == 0x0080 || (c >= 0xF8F0 && c <= 0xF8F3);
}

// UTF-16 to CP932 with the system's converter: no "best fit" look-alikes, and any character without a code
// fails the whole conversion, as iconv does.
bool EncodeWithSystem(std::u16string_view text, std::string& out) {
    if (text.empty()) {
        out.clear();
        return true;
    }
    std::wstring wide(text.size(), L'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsSystemOnlyCode(text[i])) return false;
        wide[i] = static_cast<wchar_t>(WithGlibcSubstitute(text[i]));
    }
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0,
                                         nullptr, &usedDefault);
    if (size <= 0 || usedDefault) return false;
    std::string bytes(static_cast<size_t>(size), '\0');
    if (WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), length, bytes.data(), size, nullptr,
                            &usedDefault) != size ||
        usedDefault)
        return false;
    out = std::move(bytes);
    return true;
}

// CP932 to UTF-16; bytes that are not valid CP932 fail the whole conversion.
bool DecodeWithSystem(std::string_view bytes, std::u16string& out) {
    if (bytes.empty()) {
        out.clear();
        return true;
    }
    const int length = static_cast<int>(bytes.size());
    const int size = MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
    if (size <= 0) return false;
    std::u16string text(static_cast<size_t>(size), u'\0');
    if (MultiByteToWideChar(kCp932, MB_ERR_INVALID_CHARS, bytes.data(), length,
                            reinterpret_cast<wchar_t*>(text.data()), size) != size)
        return false;
    for (char16_t c : text)
        if (IsSystemOnlyCode(c)) return false;
    out = std::move(text);
    return true;
}

int LookUpCp932(char16_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) return 0x3F; // a lone surrogate has no code
    std::string bytes;
    if (!EncodeWithSystem(std::u16string_view(&c, 1), bytes) || bytes.empty()) return 0x3F;
    if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
    return (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
}

#else

// Runs one iconv conversion over a whole buffer; false when any input cannot be converted.
bool Convert(const char* to, const char* from, const char* in, size_t inSize, std::string& out) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buffer(inSize * 4 + 16);
    char* inPtr = const_cast<char*>(in);
    size_t inLeft = inSize;
    char* outPtr = buffer.data();
    size_t outLeft = buffer.size();
    size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    bool ok = rc != static_cast<size_t>(-1) && inLeft == 0;
    if (ok) ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<size_t>(-1);
    iconv_close(cd);
    if (ok) out.assign(buffer.data(), buffer.size() - outLeft);
    return ok;
}

int LookUpCp932(char16_t c) {
    if (c >= 0xD800 && c <= 0xDFFF) return 0x3F; // a lone surrogate has no code
    char16_t unit[1] = {c};
    std::string bytes;
    if (!Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(unit), 2, bytes) || bytes.empty())
        return 0x3F;
    if (bytes.size() == 1) return static_cast<unsigned char>(bytes[0]);
    return (static_cast<unsigned char>(bytes[0]) << 8) | static_cast<unsigned char>(bytes[1]);
}

#endif

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out += static_cast<char16_t>(cp);
    } else {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }
}

// Decodes one UTF-8 sequence at i; returns false for an invalid or overlong sequence.
bool NextUtf8(std::string_view b, size_t& i, char32_t& cp) {
    unsigned char c = static_cast<unsigned char>(b[i]);
    size_t n = 0;
    if (c >= 0x80) {
        if ((c & 0xE0) == 0xC0)
            n = 1;
        else if ((c & 0xF0) == 0xE0)
            n = 2;
        else if ((c & 0xF8) == 0xF0)
            n = 3;
        else
            return false;
        if (i + n >= b.size()) return false;
    }
    cp = n == 0 ? c : n == 1 ? (c & 0x1F) : n == 2 ? (c & 0x0F) : (c & 0x07);
    for (size_t k = 1; k <= n; ++k) {
        unsigned char t = static_cast<unsigned char>(b[i + k]);
        if ((t & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (t & 0x3F);
    }
    static const char32_t minimum[] = {0, 0x80, 0x800, 0x10000};
    if (cp < minimum[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += n + 1;
    return true;
}

} // namespace

int Cp932Code(char16_t character) {
    if (character < 0x80) return character;
    if (character >= 0xFF61 && character <= 0xFF9F) return character - 0xFF61 + 0xA1;
    static std::atomic<uint16_t> cache[65536];
    uint16_t cached = cache[character].load(std::memory_order_relaxed);
    if (cached != 0) return cached - 1;
    int code = LookUpCp932(character);
    cache[character].store(static_cast<uint16_t>(code + 1), std::memory_order_relaxed);
    return code;
}

bool EncodeCp932(std::u16string_view text, std::string& out) {
    for (char16_t c : text)
        if (c >= 0xD800 && c <= 0xDFFF) return false;
#ifdef _WIN32
    return EncodeWithSystem(text, out);
#else
    return Convert("CP932", "UTF-16LE", reinterpret_cast<const char*>(text.data()), text.size() * 2, out);
#endif
}

bool DecodeCp932(std::string_view bytes, std::u16string& out) {
#ifdef _WIN32
    return DecodeWithSystem(bytes, out);
#else
    std::string utf16;
    if (!Convert("UTF-16LE", "CP932", bytes.data(), bytes.size(), utf16)) return false;
    out.assign(reinterpret_cast<const char16_t*>(utf16.data()), utf16.size() / 2);
    return true;
#endif
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        AppendUtf8(out, c);
    }
    return out;
}

bool DecodeUtf8(std::string_view bytes, std::u16string& out) {
    std::u16string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        if (!NextUtf8(bytes, i, cp)) return false;
        AppendUtf16(text, cp);
    }
    out = std::move(text);
    return true;
}

std::u16string FromUtf8(std::string_view bytes) {
    std::u16string text;
    for (size_t i = 0; i < bytes.size();) {
        char32_t cp = 0;
        if (!NextUtf8(bytes, i, cp)) {
            cp = 0xFFFD;
            ++i;
        }
        AppendUtf16(text, cp);
    }
    return text;
}
