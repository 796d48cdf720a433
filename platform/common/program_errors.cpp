// The program's own standard error, kept on a descriptor of its own, while descriptor 2 (where every
// library writes) is pointed at /dev/null for a run that is not being debugged.
#include "program_errors.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

std::FILE* programErrors = nullptr;
int userError = STDERR_FILENO;

bool Debugging() {
    const char* value = std::getenv("QUILLONMACRO_DEBUG");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

} // namespace

void QuietLibraryErrors() {
    if (programErrors != nullptr || Debugging()) return;
    const int saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (saved < 0) return; // no standard error at all: nothing to keep apart
    const int nothing = open("/dev/null", O_WRONLY | O_CLOEXEC);
    std::FILE* own = fdopen(saved, "w");
    if (nothing < 0 || own == nullptr) {
        if (nothing >= 0) close(nothing);
        if (own != nullptr)
            std::fclose(own);
        else
            close(saved);
        return;
    }
    std::fflush(stderr);
    dup2(nothing, STDERR_FILENO);
    close(nothing);
    std::setvbuf(own, nullptr, _IONBF, 0); // each line reaches the user at once, as stderr does
    programErrors = own;
    userError = saved;
}

std::FILE* ProgramErrors() {
    return programErrors != nullptr ? programErrors : stderr;
}

int UserStandardError() {
    return userError;
}
