// Program start for SHELL: words split like a shell's (no shell runs), the program found along PATH and
// started with posix_spawn, reaped by a waiter thread when it ends, its window styled on an X display.
#include "process_starter.h"

#include "codepage.h"
#include "command_line_words.h"
#include "program_errors.h"
#include "x11_window_style.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

constexpr int kInvalidArgument = 5;
constexpr int kFileNotFound = 53;

bool IsKnownStyle(int32_t style) {
    return style == 0 || style == 1 || style == 2 || style == 3 || style == 4 || style == 6;
}

// Waits for exactly this child, so its exit status never lingers as a zombie and no other child's status is
// taken from whoever waits for it.
// When no thread can be made (the system is out of them), the child is reaped by a later start instead.
void ReapWhenEnded(pid_t pid, std::vector<pid_t>& unreaped) {
    for (auto it = unreaped.begin(); it != unreaped.end();) {
        int status = 0;
        it = waitpid(*it, &status, WNOHANG) == 0 ? it + 1 : unreaped.erase(it);
    }
    try {
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) == -1 && errno == EINTR) {
            }
        }).detach();
    } catch (const std::system_error&) {
        unreaped.push_back(pid);
    }
}

// Spawn attributes that give the child a clean start: no blocked signals and every signal at its default,
// whatever this program ignores or handles itself.
class SpawnAttributes {
  public:
    SpawnAttributes() {
        posix_spawnattr_init(&attributes_);
        sigset_t none;
        sigemptyset(&none);
        sigset_t all;
        sigfillset(&all);
        sigdelset(&all, SIGKILL);
        sigdelset(&all, SIGSTOP);
        posix_spawnattr_setsigmask(&attributes_, &none);
        posix_spawnattr_setsigdefault(&attributes_, &all);
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* Get() const { return &attributes_; }

  private:
    posix_spawnattr_t attributes_;
};

int FailureOfSpawnError(int error) {
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case ENOEXEC:
    case ELOOP:
    case ENAMETOOLONG:
        return kFileNotFound;
    default:
        return kInvalidArgument;
    }
}

} // namespace

ProcessStarter::ProcessStarter() = default;
ProcessStarter::~ProcessStarter() = default;

int ProcessStarter::Start(const std::u16string& commandLine, int32_t windowStyle, double& processId) {
    if (!IsKnownStyle(windowStyle)) return kInvalidArgument;
    if (commandLine.find(u'\0') != std::u16string::npos) return kInvalidArgument;
    std::vector<std::string> words;
    if (!SplitCommandLine(ToUtf8(commandLine), words) || words.empty()) return kInvalidArgument;
    std::string program;
    if (!FindProgram(words[0], std::getenv("PATH"), program)) return kFileNotFound;

    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    SpawnAttributes attributes;
    pid_t pid = 0;
    // The child keeps our standard input, output and error (the user's, when the libraries' one is
    // quietened); every other descriptor we open is close-on-exec.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (UserStandardError() != STDERR_FILENO)
        posix_spawn_file_actions_adddup2(&actions, UserStandardError(), STDERR_FILENO);
    const int error = posix_spawn(&pid, program.c_str(), &actions, attributes.Get(), argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (error != 0) return FailureOfSpawnError(error);
    // Starts happen on the GUI thread only, so the list of children still to reap needs no lock.
    static std::vector<pid_t> unreaped;
    ReapWhenEnded(pid, unreaped);
    ApplyWindowStyleLater(pid, windowStyle);
    processId = static_cast<double>(pid);
    return 0;
}
