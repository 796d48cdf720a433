// The shell-like word splitting of SHELL command lines and the search of the program along PATH.
#include "command_line_words.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool EscapableInDoubleQuotes(char c) {
    return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n';
}

bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return access(path.c_str(), X_OK) == 0;
}

} // namespace

bool SplitCommandLine(std::string_view line, std::vector<std::string>& words) {
    words.clear();
    std::string word;
    bool inWord = false; // true once the current word has begun, even if it is still empty ("")
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (IsBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            ++i;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (i + 1 >= line.size()) return false;
            // A backslash before a line end joins the lines: neither character stays.
            if (line[i + 1] != '\n') word += line[i + 1];
            i += 2;
        } else if (c == '\'') {
            const size_t end = line.find('\'', i + 1);
            if (end == std::string_view::npos) return false;
            word.append(line.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == '"') {
            ++i;
            while (i < line.size() && line[i] != '"') {
                if (line[i] == '\\' && i + 1 < line.size() && EscapableInDoubleQuotes(line[i + 1])) {
                    if (line[i + 1] != '\n') word += line[i + 1];
                    i += 2;
                } else {
                    word += line[i++];
                }
            }
            if (i >= line.size()) return false;
            ++i;
        } else {
            word += c;
            ++i;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return true;
}

bool FindProgram(const std::string& word, const char* pathVariable, std::string& file) {
    if (word.empty()) return false;
    if (word.find('/') != std::string::npos) {
        if (!IsExecutableFile(word)) return false;
        file = word;
        return true;
    }
    const std::string path = pathVariable != nullptr ? pathVariable : "/usr/local/bin:/usr/bin:/bin";
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find(':', begin);
        if (end == std::string::npos) end = path.size();
        std::string folder = path.substr(begin, end - begin);
        std::string candidate = folder.empty() ? word : folder + "/" + word;
        if (IsExecutableFile(candidate)) {
            file = folder.empty() ? "./" + word : candidate;
            return true;
        }
        begin = end + 1;
    }
    return false;
}
