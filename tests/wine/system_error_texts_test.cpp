// Tests of the Japanese texts of Windows error codes: the table's numbers are Windows' own (checked against
// winerror.h), the table wins over the system's description, which stays only for codes the table lacks.
#include "codepage.h"
#include "common/system_error_texts.h"
#include "win32_text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace {

std::u16string SystemDescription(DWORD code) {
    wchar_t buffer[512] = {};
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                   0, buffer, 512, nullptr);
    std::wstring text(buffer, n);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    return FromWide(text);
}

} // namespace

TEST(WindowsErrorTexts, TheCommonCodesAreInTheTableUnderTheirOwnNumbers) {
    for (DWORD code :
         {ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION,
          ERROR_LOCK_VIOLATION, ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL, ERROR_WRITE_PROTECT,
          ERROR_FILE_EXISTS, ERROR_ALREADY_EXISTS, ERROR_INVALID_NAME, ERROR_FILENAME_EXCED_RANGE,
          ERROR_DIR_NOT_EMPTY, ERROR_NOT_READY, ERROR_TOO_MANY_OPEN_FILES, ERROR_USER_MAPPED_FILE})
        EXPECT_FALSE(TableErrorText(WindowsErrorTexts(), code).empty()) << code;
    EXPECT_EQ(Win32ErrorText(ERROR_FILE_NOT_FOUND), u"ファイルが見つかりません");
    EXPECT_EQ(Win32ErrorText(ERROR_SHARING_VIOLATION),
              u"ほかのプログラムが使用中のため、ファイルにアクセスできません");
}

TEST(WindowsErrorTexts, CodesTheTableLacksKeepTheSystemsDescription) {
    ASSERT_TRUE(TableErrorText(WindowsErrorTexts(), ERROR_INVALID_DATA).empty());
    const std::u16string system = SystemDescription(ERROR_INVALID_DATA);
    ASSERT_FALSE(system.empty());
    EXPECT_EQ(Win32ErrorText(ERROR_INVALID_DATA), system);
    EXPECT_EQ(Win32ErrorText(0x2FFFFFFF), u"error 805306367");
}

// Qt reports Windows' file errors with the system's description: it turns back into the table's text.
TEST(WindowsErrorTexts, SystemDescriptionsTurnBackIntoTheTablesText) {
    EXPECT_EQ(JapaneseSystemErrorText(SystemDescription(ERROR_ACCESS_DENIED)),
              Win32ErrorText(ERROR_ACCESS_DENIED));
    EXPECT_EQ(JapaneseSystemErrorText(u"no such description"), u"no such description");
    EXPECT_EQ(ErrnoText(ENOENT), u"ファイルまたはフォルダが見つかりません");
}
