// The run buffer file on Windows: created with CREATE_NEW (never over an existing file or link), kept open,
// recognised by its volume and file index, and deleted through its own handle only while the name leads to
// it.
#include "common/own_buffer_file.h"

#include "codepage.h"
#include "win32_text.h"

#include <windows.h>

#include <algorithm>

namespace {

std::u16string ErrorText(DWORD error) {
    wchar_t* message = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
    std::wstring text = n > 0 && message != nullptr ? std::wstring(message, n) : std::wstring();
    if (message != nullptr) LocalFree(message);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
        text.pop_back();
    if (text.empty()) text = L"error " + std::to_wstring(error);
    return FromWide(text);
}

HANDLE AsHandle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return GetFileInformationByHandle(a, &first) && GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

} // namespace

OwnBufferFile::OwnBufferFile(std::string preferredPath)
    : preferred_(std::move(preferredPath)), path_(preferred_) {}

OwnBufferFile::~OwnBufferFile() {
    Remove();
}

bool OwnBufferFile::Write(std::string_view bytes, std::u16string& errorText) {
    if (handle_ != -1 && !StillOurs()) Close(); // moved, deleted or replaced: a new copy of our own
    if (handle_ == -1 && !Create(errorText)) return false;
    const HANDLE file = AsHandle(handle_);
    bool ok = SetFilePointer(file, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER && SetEndOfFile(file);
    while (ok && !bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        ok = WriteFile(file, bytes.data(), chunk, &written, nullptr) && written > 0;
        bytes.remove_prefix(written);
    }
    if (!ok) {
        errorText = ErrorText(GetLastError());
        Remove(); // a cut-off copy helps nobody
    }
    return ok;
}

bool OwnBufferFile::Create(std::u16string& errorText) {
    for (int attempt = -1; attempt < kOwnBufferFileAttempts; ++attempt) {
        const std::string candidate =
            attempt < 0 ? preferred_ : OwnBufferFileAlternative(preferred_, GetCurrentProcessId(), attempt);
        // Readers may look at the copy and delete it; nobody else may write to it while we hold it.
        const HANDLE file = CreateFileW(ToWide(FromUtf8(candidate)).c_str(), GENERIC_WRITE | DELETE,
                                        FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<intptr_t>(file);
            path_ = candidate;
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            errorText = ErrorText(error);
            path_ = candidate;
            return false;
        }
    }
    errorText = ErrorText(ERROR_FILE_EXISTS);
    return false;
}

bool OwnBufferFile::StillOurs() const {
    const HANDLE named =
        CreateFileW(ToWide(FromUtf8(path_)).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (named == INVALID_HANDLE_VALUE) return false;
    const bool same = SameFile(named, AsHandle(handle_));
    CloseHandle(named);
    return same;
}

void OwnBufferFile::Remove() {
    if (handle_ == -1) return;
    if (StillOurs()) {
        // Marks exactly the file behind our handle for deletion; it goes when the handle closes.
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(AsHandle(handle_), FileDispositionInfo, &disposition, sizeof disposition);
    }
    Close();
}

void OwnBufferFile::Close() {
    CloseHandle(AsHandle(handle_));
    handle_ = -1;
}
