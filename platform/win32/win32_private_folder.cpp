// Making a folder of the user's alone on Windows: the folders under %LOCALAPPDATA% and %TEMP% are the
// user's already, so only a junction or link in the folder's place is refused.
#include "common/private_runtime_folder.h"

#include "codepage.h"
#include "win32_text.h"

#include <windows.h>

#include <filesystem>

bool MakePrivateFolder(const std::string& folder, std::u16string& reason) {
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(ToWide(FromUtf8(folder))).parent_path(),
                                        ignored);
    const std::wstring wide = ToWide(FromUtf8(folder));
    if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        reason = Win32ErrorText(GetLastError());
        return false;
    }
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        reason = Win32ErrorText(GetLastError());
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        reason = u"フォルダがリンクになっています";
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        reason = u"同じ名前のファイルがあります";
        return false;
    }
    return true;
}
