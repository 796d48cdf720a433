// A tiny program for the SHELL tests: writes each of its arguments after the first on its own line into the
// file named by the first, through a temporary file so a reader never sees half of it.
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string target = argv[1];
    const std::string temporary = target + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) return 1;
    for (int i = 2; i < argc; ++i) std::fprintf(file, "%s\n", argv[i]);
    if (std::fclose(file) != 0) return 1;
    return std::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : 1;
}
