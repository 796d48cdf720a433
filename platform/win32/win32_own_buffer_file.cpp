// The run buffer file on Windows: created with CREATE_NEW (never over an existing file or link), recognised
// by its volume and file index, reopened without following links for each write, and deleted through a
// handle of its own only while the name still leads to it.
#include "common/own_buffer_file.h"

#include "codepage.h"
#include "win32_text.h"

#include <windows.h>

#include <algorithm>

namespace {

// Opens the name itself (a link is not followed), or returns INVALID_HANDLE_VALUE.
HANDLE OpenNamed(const std::string& path, DWORD access) {
    return CreateFileW(ToWide(FromUtf8(path)).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool Identify(HANDLE file, uint64_t& volume, uint64_t& index) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(file, &info)) return false;
    volume = info.dwVolumeSerialNumber;
    index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

bool WriteWhole(HANDLE file, std::string_view bytes) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER || !SetEndOfFile(file))
        return false;
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

} // namespace

bool OwnBufferFile::Write(std::string_view bytes, std::u16string& errorText) {
    if (created_ && StillOurs()) {
        const HANDLE file = OpenNamed(path_, GENERIC_WRITE);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<intptr_t>(file);
            return WriteBytes(bytes, errorText);
        }
    }
    created_ = false; // moved, deleted or replaced: a new copy of our own
    if (!Create(errorText)) return false;
    return WriteBytes(bytes, errorText);
}

bool OwnBufferFile::WriteBytes(std::string_view bytes, std::u16string& errorText) {
    const bool ok = WriteWhole(reinterpret_cast<HANDLE>(handle_), bytes);
    if (!ok) errorText = Win32ErrorText(GetLastError());
    Close();
    if (!ok) Remove(); // a cut-off copy helps nobody
    return ok;
}

bool OwnBufferFile::Create(std::u16string& errorText) {
    for (int attempt = -1; attempt < kOwnBufferFileAttempts; ++attempt) {
        const std::string candidate =
            attempt < 0 ? preferred_ : OwnBufferFileAlternative(preferred_, GetCurrentProcessId(), attempt);
        const HANDLE file =
            CreateFileW(ToWide(FromUtf8(candidate)).c_str(), GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<intptr_t>(file);
            path_ = candidate;
            created_ = Identify(file, volume_, index_);
            return true;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            errorText = Win32ErrorText(error);
            path_ = candidate;
            return false;
        }
    }
    errorText = Win32ErrorText(ERROR_FILE_EXISTS);
    return false;
}

bool OwnBufferFile::StillOurs() const {
    const HANDLE named = OpenNamed(path_, FILE_READ_ATTRIBUTES);
    if (named == INVALID_HANDLE_VALUE) return false;
    uint64_t volume = 0;
    uint64_t index = 0;
    const bool same = Identify(named, volume, index) && volume == volume_ && index == index_;
    CloseHandle(named);
    return same;
}

void OwnBufferFile::Remove() {
    Close();
    if (!created_) return;
    created_ = false;
    // The file is checked and deleted through one handle, so a file put in its place meanwhile is not hit.
    const HANDLE named = OpenNamed(path_, DELETE | FILE_READ_ATTRIBUTES);
    if (named == INVALID_HANDLE_VALUE) return;
    uint64_t volume = 0;
    uint64_t index = 0;
    if (Identify(named, volume, index) && volume == volume_ && index == index_) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = TRUE;
        SetFileInformationByHandle(named, FileDispositionInfo, &disposition, sizeof disposition);
    }
    CloseHandle(named);
}

void OwnBufferFile::Close() {
    if (handle_ == -1) return;
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}
