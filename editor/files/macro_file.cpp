// Macro files on disk for every run: reading their lines and where the run buffer file goes, with the
// system's calls (the command-line run loads no Qt). Their bytes are decoded and encoded by macro_text.
#include "macro_file.h"

#include "codepage.h"
#include "program_part.h"
#include "common/system_error_texts.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>

namespace {

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

bool ReadMacroLines(const std::string& path, std::vector<std::u16string>& lines, std::u16string& errorText) {
    lines.clear();
    // Without blocking: a named pipe opened for reading would otherwise wait for a writer before any check.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        errorText = ErrnoText(errno);
        return false;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        errorText = std::u16string(kNotARegularFileText);
        ::close(fd);
        return false;
    }
    std::string bytes;
    bool ok = true;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            errorText = ErrnoText(errno);
            ok = false;
            break;
        }
        if (n == 0) break;
        if (bytes.size() + static_cast<size_t>(n) > kMacroFileByteLimit) {
            errorText = std::u16string(kMacroFileTooLargeText);
            ok = false;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    if (ok || errorText != kMacroFileTooLargeText) lines = SplitMacroLines(DecodeMacroBytes(bytes));
    return ok;
}

std::string BufferFilePath() {
    static constexpr char kName[] = "macrobuf.qlx";
    const std::filesystem::path programFolder = ProgramFolder();
    if (!programFolder.empty() && ::access(programFolder.c_str(), W_OK) == 0)
        return (programFolder / kName).string();
    const std::filesystem::path cache = CacheFolder();
    std::u16string ignored; // a folder that cannot be used shows when the buffer file is written
    MakePrivateFolder(cache.string(), ignored);
    return (cache / kName).string();
}

bool IsOwnRegularFile(const std::string& path, int64_t largest) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
           info.st_size <= largest;
}
