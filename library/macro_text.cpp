// The bytes of a macro file and its text: the encoding read (UTF-8 with or without a BOM, else CP932), the
// line ends split (CR LF, CR, LF), and the bytes a saved macro gets. No file access: callers bring the bytes.
#include "macro_text.h"

#include "codepage.h"

namespace {

constexpr char16_t kCr = u'\r';
constexpr char16_t kLf = u'\n';
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Decodes CP932 one character at a time, so a byte without meaning costs only itself (it becomes U+FFFD).
void DecodeCp932ByCharacter(std::string_view bytes, std::u16string& out) {
    size_t i = 0;
    while (i < bytes.size()) {
        size_t length =
            (IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) && i + 1 < bytes.size()) ? 2 : 1;
        std::u16string piece;
        if (DecodeCp932(bytes.substr(i, length), piece)) {
            out += piece;
            i += length;
        } else {
            out += u'\uFFFD';
            ++i;
        }
    }
}

// CP932 for text that is not clean CP932: each line is tried whole, and only a broken line is taken apart.
std::u16string DecodeCp932Leniently(std::string_view bytes) {
    std::u16string out;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = (end == std::string_view::npos) ? bytes.size() : end + 1;
        std::string_view line = bytes.substr(start, end - start);
        std::u16string piece;
        if (DecodeCp932(line, piece)) {
            out += piece;
        } else {
            DecodeCp932ByCharacter(line, out);
        }
        start = end;
    }
    return out;
}

} // namespace

std::u16string DecodeMacroBytes(std::string_view bytes) {
    std::string_view body = bytes.starts_with(kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes;
    std::u16string text;
    if (DecodeUtf8(body, text)) return text;
    text.clear();
    if (DecodeCp932(bytes, text)) return text;
    return DecodeCp932Leniently(bytes);
}

std::u16string JoinMacroLines(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += u"\r\n";
        text += lines[i];
    }
    return text;
}

std::vector<std::u16string> SplitMacroLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        char16_t c = text[i];
        if (c != kCr && c != kLf) {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == kCr && i + 1 < text.size() && text[i + 1] == kLf) ? 2 : 1;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string EncodeMacroText(std::u16string_view text) {
    std::u16string normalized;
    normalized.reserve(text.size() + 2);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == kCr || c == kLf) {
            normalized += u"\r\n";
            if (c == kCr && i + 1 < text.size() && text[i + 1] == kLf) ++i;
        } else {
            normalized += c;
        }
    }
    normalized += u"\r\n";

    // CP932 only when loading gives exactly this text back: some CP932 byte runs also form valid UTF-8 (and
    // would be read as UTF-8), and a few characters share a code with another one.
    std::string cp932;
    if (EncodeCp932(normalized, cp932) && DecodeMacroBytes(cp932) == normalized) return cp932;
    return std::string(kUtf8Bom) + ToUtf8(normalized);
}
