// Prints the whole CP932 behaviour of the code-page module as text: the code of every UTF-16 unit, the
// decoding of every one- and two-byte sequence, and the encoding of a few texts. Built for Linux and for
// Windows, the two listings must be equal.
#include "codepage.h"

#include <cstdio>
#include <string>

namespace {

void PrintDecoded(const std::string& bytes) {
    std::u16string text;
    const bool ok = DecodeCp932(bytes, text);
    std::printf("d");
    for (unsigned char b : bytes) std::printf(" %02X", b);
    std::printf(" ->");
    if (!ok) {
        std::printf(" fail\n");
        return;
    }
    for (char16_t c : text) std::printf(" %04X", static_cast<unsigned>(c));
    std::printf("\n");
}

void PrintEncoded(const std::u16string& text) {
    std::string bytes;
    const bool ok = EncodeCp932(text, bytes);
    std::printf("e");
    for (char16_t c : text) std::printf(" %04X", static_cast<unsigned>(c));
    std::printf(" ->");
    if (!ok) {
        std::printf(" fail\n");
        return;
    }
    for (unsigned char b : bytes) std::printf(" %02X", b);
    std::printf("\n");
}

} // namespace

int main() {
    for (unsigned c = 0; c < 0x10000; ++c) std::printf("c %04X %X\n", c, Cp932Code(static_cast<char16_t>(c)));
    for (unsigned lead = 0; lead < 0x100; ++lead) {
        PrintDecoded(std::string(1, static_cast<char>(lead)));
        for (unsigned trail = 0; trail < 0x100; ++trail)
            PrintDecoded(std::string{static_cast<char>(lead), static_cast<char>(trail)});
    }
    PrintEncoded(u"");
    PrintEncoded(u"PRINT \"日本語\"\r\n");
    PrintEncoded(u"\u00A5\u203E\u2225\uFF5E\u301C");
    PrintEncoded(u"a\xD800z");
    return 0;
}
