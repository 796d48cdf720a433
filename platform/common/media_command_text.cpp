// Splitting media command texts into words, and reading their keywords and numbers.
#include "media_command_text.h"

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SplitMediaCommand(const std::string& text, std::vector<MediaWord>& words) {
    words.clear();
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            ++i;
        } else if (c == '"') {
            const size_t end = text.find('"', i + 1);
            if (end == std::string::npos) return false;
            words.push_back({text.substr(i + 1, end - i - 1), true});
            i = end + 1;
        } else {
            size_t end = i;
            while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\r' &&
                   text[end] != '\n' && text[end] != '"')
                ++end;
            words.push_back({text.substr(i, end - i), false});
            i = end;
        }
    }
    return true;
}

bool IsKeyword(const MediaWord& word, const char* keyword) {
    if (word.quoted) return false;
    size_t i = 0;
    for (; i < word.text.size() && keyword[i] != '\0'; ++i) {
        if (LowerAscii(word.text[i]) != keyword[i]) return false;
    }
    return i == word.text.size() && keyword[i] == '\0';
}

bool ReadMilliseconds(const MediaWord& word, uint32_t& out) {
    if (word.text.empty() || word.text.size() > 10) return false;
    uint64_t value = 0;
    for (char c : word.text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) return false;
    out = static_cast<uint32_t>(value);
    return true;
}
