// A shared object that prints to standard error as it is loaded, both through the descriptor and through
// stdio, as audio and picture libraries do: the tests put it where the program looks for SDL2_mixer.
#include <unistd.h>

#include <cstdio>

namespace {

__attribute__((constructor)) void PrintWhenLoaded() {
    static const char line[] = "noise written by a library\n";
    [[maybe_unused]] const ssize_t written = write(STDERR_FILENO, line, sizeof line - 1);
    std::fprintf(stderr, "noise printed by a library\n");
}

} // namespace
