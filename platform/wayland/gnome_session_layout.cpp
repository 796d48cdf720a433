// GNOME's keyboard layout from GSettings through the gsettings command, run once when the first key is sent
// (the program links no GLib for it) and never waited on for more than a moment.
#include "gnome_session_layout.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ctime>

extern char** environ;

namespace {

constexpr int kGsettingsMs = 2000;

int64_t NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// What `gsettings get org.gnome.desktop.input-sources KEY` prints; empty when it fails or takes too long.
std::string GsettingsGet(const char* key) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char program[] = "gsettings";
    char get[] = "get";
    char schema[] = "org.gnome.desktop.input-sources";
    std::string keyText = key;
    char* argv[] = {program, get, schema, keyText.data(), nullptr};
    pid_t child = -1;
    const bool spawned = posix_spawnp(&child, program, &actions, nullptr, argv, environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string printed;
    const int64_t until = NowMs() + kGsettingsMs;
    bool ended = false;
    while (spawned && !ended) {
        const int64_t left = until - NowMs();
        pollfd p{out[0], POLLIN, 0};
        if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) break;
        char buffer[512];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n > 0)
            printed.append(buffer, static_cast<size_t>(n));
        else
            ended = n == 0;
    }
    close(out[0]);
    if (spawned) {
        if (!ended) kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    }
    return printed;
}

// The quoted string starting at `at` (a quote character); advances past it.
bool ReadQuoted(const std::string& s, size_t& at, std::string& out) {
    if (at >= s.size() || (s[at] != '\'' && s[at] != '"')) return false;
    const char quote = s[at];
    out.clear();
    for (++at; at < s.size() && s[at] != quote; ++at) {
        if (s[at] == '\\' && at + 1 < s.size()) ++at;
        out += s[at];
    }
    if (at >= s.size()) return false;
    ++at;
    return true;
}

void SkipBlanksAndCommas(const std::string& s, size_t& at) {
    while (at < s.size() && (s[at] == ' ' || s[at] == ',')) ++at;
}

} // namespace

bool FirstXkbSource(const std::string& printed, std::string& layout, std::string& variant) {
    size_t at = 0;
    while ((at = printed.find('(', at)) != std::string::npos) {
        ++at;
        SkipBlanksAndCommas(printed, at);
        std::string kind;
        std::string id;
        if (!ReadQuoted(printed, at, kind)) continue;
        SkipBlanksAndCommas(printed, at);
        if (!ReadQuoted(printed, at, id) || kind != "xkb" || id.empty()) continue;
        const size_t plus = id.find('+');
        layout = id.substr(0, plus);
        variant = plus == std::string::npos ? std::string() : id.substr(plus + 1);
        return !layout.empty();
    }
    return false;
}

bool GnomeKeyboardLayout(std::string& layout, std::string& variant) {
    layout.clear();
    variant.clear();
    return FirstXkbSource(GsettingsGet("mru-sources"), layout, variant) ||
           FirstXkbSource(GsettingsGet("sources"), layout, variant);
}
