// The words of one media command text and the answer numbers of the media commands (0 success, the
// media-control error numbers otherwise).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace MediaError {
inline constexpr int32_t kNone = 0;
inline constexpr int32_t kUnrecognisedKeyword = 259;
inline constexpr int32_t kUnrecognisedCommand = 261;
inline constexpr int32_t kHardware = 262; // no audio device could be opened
inline constexpr int32_t kUnknownAlias = 263;
inline constexpr int32_t kBadInteger = 270;
inline constexpr int32_t kMissingParameter = 273;
inline constexpr int32_t kFileNotFound = 275;
inline constexpr int32_t kOutOfRange = 282;
inline constexpr int32_t kDuplicateAlias = 289;
inline constexpr int32_t kBadTimeFormat = 293;
inline constexpr int32_t kNoClosingQuote = 294;
inline constexpr int32_t kInvalidFile = 296; // the file exists but cannot be read or decoded
} // namespace MediaError

// One word of a command; quoted words keep their blanks and their case, and are never keywords.
struct MediaWord {
    std::string text;
    bool quoted = false;
};

// Splits a UTF-8 command text at blanks; "..." forms one word. False when a quote is not closed.
bool SplitMediaCommand(const std::string& text, std::vector<MediaWord>& words);

// Lower-cases ASCII letters only; every other byte stays as it is (so UTF-8 text is safe).
char LowerAscii(char c);

// ASCII case-insensitive comparison of an unquoted word with a keyword written in lower case.
bool IsKeyword(const MediaWord& word, const char* keyword);

// Reads a non-negative whole number of milliseconds; false for anything else.
bool ReadMilliseconds(const MediaWord& word, uint32_t& out);
