// Macro files on disk for every run: reading their lines and the run buffer file, with the system's calls
// (the command-line run loads no Qt). Their bytes are decoded and encoded by macro_text.
#include "macro_file.h"

#include "codepage.h"
#include "program_part.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <system_error>

namespace {

// Writes everything, retrying after a short write so that the system's reason for stopping is reported.
bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) {
            if (written == 0) errno = ENOSPC;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// The user's cache folder for the program, as XDG names it: $XDG_CACHE_HOME (when absolute) or ~/.cache,
// then the program's name.
std::filesystem::path CacheFolder() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (home == nullptr || home[0] == '\0') {
            const passwd* user = getpwuid(getuid());
            home = user != nullptr ? user->pw_dir : "/";
        }
        base = std::filesystem::path(home) / ".cache";
    }
    return base / "QuillonMacro";
}

} // namespace

std::u16string SystemErrorText(int error) {
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const char* text = cLocale != nullptr ? strerror_l(error, cLocale) : std::strerror(error);
    return FromUtf8(text != nullptr ? text : "Unknown error");
}

bool ReadMacroLines(const std::string& path, std::vector<std::u16string>& lines, std::u16string& errorText) {
    lines.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        errorText = SystemErrorText(errno);
        return false;
    }
    std::string bytes;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            errorText = SystemErrorText(errno);
            ok = false;
            break;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    lines = SplitMacroLines(DecodeMacroBytes(bytes));
    return ok;
}

bool WriteBufferFile(const std::string& path, std::u16string_view text, const MacroFileLog& log) {
    const std::string bytes = EncodeMacroText(text);
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        LogFileFailure(log, kSaveFailedText, path, SystemErrorText(errno));
        return false;
    }
    bool written = WriteAll(fd, bytes);
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written) {
        // A cut-off copy helps nobody: it goes, and the run goes on without one.
        ::unlink(path.c_str());
        LogFileFailure(log, kSaveFailedText, path, SystemErrorText(error));
    }
    return written;
}

std::string BufferFilePath() {
    static constexpr char kName[] = "macrobuf.qlx";
    const std::filesystem::path programFolder = ProgramFolder();
    if (!programFolder.empty() && ::access(programFolder.c_str(), W_OK) == 0)
        return (programFolder / kName).string();
    const std::filesystem::path cache = CacheFolder();
    std::error_code ignored; // a folder that cannot be made shows when the buffer file is written
    std::filesystem::create_directories(cache, ignored);
    return (cache / kName).string();
}
