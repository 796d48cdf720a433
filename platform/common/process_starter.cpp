// Program start for SHELL: words split like a shell's (no shell runs), the program found along PATH and
// started with posix_spawn, reaped by one waiter thread for all of them, its window styled by the step the
// desktop platform set.
#include "process_starter.h"

#include "codepage.h"
#include "command_line_words.h"
#include "program_errors.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <mutex>
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

std::atomic<WindowStyleStep> windowStyleStep{nullptr};

bool IsKnownStyle(int32_t style) {
    return style == 0 || style == 1 || style == 2 || style == 3 || style == 4 || style == 6;
}

// Reaps the children SHELL started, each by its own id, so an exit status never lingers as a zombie and no
// other child's status (a player's, a dialog's) is taken. One thread looks after all of them, every
// kReapEvery, and ends when none is left: a macro that starts hundreds of programs does not get a thread
// each.
class ChildReaper {
  public:
    void Add(pid_t pid) {
        std::lock_guard<std::mutex> hold(lock_);
        children_.push_back(pid);
        if (running_) return;
        try {
            std::thread([this] { Loop(); }).detach();
            running_ = true;
        } catch (const std::system_error&) {
            // No thread now: the next start tries again, and reaps what has ended meanwhile.
            ReapEnded();
        }
    }

  private:
    static constexpr auto kReapEvery = std::chrono::milliseconds(200);

    void Loop() {
        while (true) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                ReapEnded();
                if (children_.empty()) {
                    running_ = false;
                    return;
                }
            }
            std::this_thread::sleep_for(kReapEvery);
        }
    }

    // With the lock held.
    void ReapEnded() {
        std::erase_if(children_, [](pid_t pid) {
            int status = 0;
            pid_t result = 0;
            while ((result = waitpid(pid, &status, WNOHANG)) == -1 && errno == EINTR) {
            }
            return result != 0; // ended and reaped, or not a child of ours any more
        });
    }

    std::mutex lock_;
    std::vector<pid_t> children_;
    bool running_ = false;
};

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

void SetWindowStyleStep(WindowStyleStep step) {
    windowStyleStep.store(step);
}

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
    static ChildReaper* const reaper = new ChildReaper(); // lives as long as its detached thread may
    reaper->Add(pid);
    if (const WindowStyleStep styleWindow = windowStyleStep.load(); styleWindow != nullptr)
        styleWindow(pid, windowStyle);
    processId = static_cast<double>(pid);
    return 0;
}
