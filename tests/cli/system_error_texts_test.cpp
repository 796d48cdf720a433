// Tests of the Japanese texts of system errors: the tables for errno values and Windows codes, the system's
// own text only for numbers the tables lack, and the way back from the texts Qt's file classes report.
#include "codepage.h"
#include "common/system_error_texts.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <string>

namespace {

bool HasJapanese(std::u16string_view text) {
    for (char16_t c : text)
        if (c >= 0x3040 && c <= 0x9FFF) return true;
    return false;
}

// Every row says something in Japanese, and no number has two rows.
void ExpectWholeTable(std::span<const SystemErrorEntry> table) {
    std::set<unsigned long> numbers;
    for (const SystemErrorEntry& entry : table) {
        EXPECT_TRUE(HasJapanese(entry.text)) << entry.number;
        EXPECT_TRUE(numbers.insert(entry.number).second) << "twice: " << entry.number;
    }
}

std::u16string C(const char* text) {
    return FromUtf8(text);
}

} // namespace

TEST(SystemErrorTexts, TheTablesCoverTheCommonErrorsInJapanese) {
    ExpectWholeTable(ErrnoTexts());
    ExpectWholeTable(WindowsErrorTexts());
    for (int error : {ENOENT, EACCES, EPERM, EISDIR, ENOTDIR, ENOSPC, EROFS, EEXIST, ENAMETOOLONG, ELOOP,
                      EMFILE, EIO, EBUSY, ETXTBSY, EFBIG, EDQUOT, ENOTEMPTY, EXDEV})
        EXPECT_FALSE(TableErrorText(ErrnoTexts(), static_cast<unsigned long>(error)).empty()) << error;
    // ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
    // ERROR_HANDLE_DISK_FULL, ERROR_DISK_FULL, ERROR_WRITE_PROTECT, ERROR_ALREADY_EXISTS, ERROR_INVALID_NAME.
    for (unsigned long code : {2ul, 3ul, 5ul, 32ul, 39ul, 112ul, 19ul, 183ul, 123ul})
        EXPECT_FALSE(TableErrorText(WindowsErrorTexts(), code).empty()) << code;
    EXPECT_EQ(TableErrorText(WindowsErrorTexts(), 2), u"ファイルが見つかりません");
    EXPECT_EQ(TableErrorText(WindowsErrorTexts(), 32),
              u"ほかのプログラムが使用中のため、ファイルにアクセスできません");
    EXPECT_TRUE(TableErrorText(WindowsErrorTexts(), 0xFFFFFFul).empty());
}

TEST(SystemErrorTexts, ErrnoTextIsTheTablesElseTheSystemsOwn) {
    EXPECT_EQ(ErrnoText(ENOENT), u"ファイルまたはフォルダが見つかりません");
    EXPECT_EQ(ErrnoText(EACCES), u"アクセスが拒否されました（権限がありません）");
    EXPECT_EQ(ErrnoText(ELOOP), u"シンボリックリンクが多すぎるか、循環しています");
    // A number the table lacks keeps the system's text: glibc names an unknown number with its digits, in
    // English or in the user's language.
    const std::u16string unknown = ErrnoText(4093);
    EXPECT_NE(unknown.find(u"4093"), std::u16string::npos) << ToUtf8(unknown);
    ASSERT_TRUE(TableErrorText(ErrnoTexts(), EDOM).empty());
    EXPECT_FALSE(ErrnoText(EDOM).empty());
}

// Qt reports file errors with the system's English text (for a few numbers always, for the rest in the C
// locale), with its translation of such a text, or with texts of its own, which are left as they are.
TEST(SystemErrorTexts, SystemTextsTurnBackIntoTheTablesText) {
    EXPECT_EQ(JapaneseSystemErrorText(u"No such file or directory"), ErrnoText(ENOENT));
    EXPECT_EQ(JapaneseSystemErrorText(u"Permission denied"), ErrnoText(EACCES));
    EXPECT_EQ(JapaneseSystemErrorText(u"No space left on device"), ErrnoText(ENOSPC));
    EXPECT_EQ(JapaneseSystemErrorText(u"File too large"), ErrnoText(EFBIG));
    EXPECT_EQ(JapaneseSystemErrorText(C(std::strerror(EROFS))), ErrnoText(EROFS));
    // Qt's own translation of an English text (the editor installs Qt's Japanese).
    const auto translation = [](const std::u16string& english) { return u"訳: " + english; };
    EXPECT_EQ(JapaneseSystemErrorText(u"訳: No such file or directory", translation), ErrnoText(ENOENT));
    EXPECT_EQ(JapaneseSystemErrorText(u"訳: No such file or directory"), u"訳: No such file or directory");
    EXPECT_EQ(JapaneseSystemErrorText(u"Writing canceled by application"),
              u"Writing canceled by application");
    EXPECT_EQ(JapaneseSystemErrorText(u""), u"");
}
