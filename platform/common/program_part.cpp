// Finds the program's separately loaded parts beside the running program and opens them with dlopen, so a
// command-line run loads only the libraries it uses, and the editor's libraries load only when a window
// opens.
#include "program_part.h"

#include "codepage.h"
#include "common/system_error_texts.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

std::filesystem::path ProgramFolder() {
    std::error_code failed;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", failed);
    return failed ? std::filesystem::path() : program.parent_path();
}

std::string ProgramPartPath(const char* fileName) {
    // The program is in PREFIX/bin; its parts are in PREFIX/QM_PARTS_DIR.
    const std::filesystem::path folder = ProgramFolder();
    const std::filesystem::path prefix = folder.empty() ? std::filesystem::path("..") : folder.parent_path();
    return (prefix / QM_PARTS_DIR / fileName).string();
}

void* OpenProgramPartEntry(const char* fileName, const char* entryName, std::string& error) {
    const std::string path = ProgramPartPath(fileName);
    // A part that is missing or cannot be read gets the system's reason in Japanese; the loader's own
    // complaint (a part that is there but does not fit) only when the file itself is readable.
    if (::access(path.c_str(), R_OK) != 0) {
        error = path + ": " + ToUtf8(ErrnoText(errno));
        return nullptr;
    }
    void* part = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (part == nullptr) {
        const char* reason = dlerror();
        error = reason != nullptr ? reason : path;
        return nullptr;
    }
    void* entry = dlsym(part, entryName);
    if (entry == nullptr) error = path + ": " + entryName;
    return entry;
}
