// Macro file reading and the buffer file for the Windows console runner: the same encoding and line-end rules
// as the editor's macro files, with the Windows file API instead of Qt.
#include "console_macro_file.h"

#include "codepage.h"
#include "macro_text.h"
#include "win32_text.h"

#include <windows.h>

#include <algorithm>

namespace {

// Closes a file handle when it goes out of scope.
class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }

  private:
    HANDLE handle_;
};

bool FolderIsWritable(const std::wstring& folder) {
    const std::wstring probe = folder + L"\\.qm-write-probe-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

} // namespace

namespace ConsoleMacroFile {

bool IsMissing(const std::u16string& path) {
    if (GetFileAttributesW(ToWide(path).c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_NAME;
}

bool ReadLines(const std::u16string& path, std::vector<std::u16string>& lines, std::u16string& errorText) {
    lines.clear();
    FileHandle file(CreateFileW(ToWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        errorText = SystemErrorText(GetLastError());
        return false;
    }
    // Only files on a disk: a pipe or a device (CON, a serial port) is refused, never waited on.
    if (GetFileType(file.Get()) != FILE_TYPE_DISK) {
        errorText = std::u16string(kNotARegularFileText);
        return false;
    }
    std::string bytes;
    char buffer[65536];
    bool ok = true;
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr)) {
            errorText = SystemErrorText(GetLastError());
            ok = false;
            break;
        }
        if (n == 0) break;
        if (bytes.size() + n > kMacroFileByteLimit) {
            errorText = std::u16string(kMacroFileTooLargeText);
            return false;
        }
        bytes.append(buffer, n);
    }
    lines = SplitMacroLines(DecodeMacroBytes(bytes));
    return ok;
}

std::u16string BufferFilePath() {
    static const std::wstring kName = L"macrobuf.qlx";
    const std::wstring programFolder = ProgramFolder();
    if (!programFolder.empty() && FolderIsWritable(programFolder))
        return FromWide(programFolder + L"\\" + kName);
    std::wstring local(32768, L'\0');
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", local.data(), static_cast<DWORD>(local.size()));
    if (n == 0 || n >= local.size()) return FromWide(kName);
    local.resize(n);
    const std::wstring folder = local + L"\\QuillonMacro";
    CreateDirectoryW(folder.c_str(), nullptr);
    return FromWide(folder + L"\\" + kName);
}

std::u16string SystemErrorText(unsigned long error) {
    return Win32ErrorText(error);
}

} // namespace ConsoleMacroFile
