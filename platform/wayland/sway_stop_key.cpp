// Pause on sway: one running QuillonMacro process (the holder of a lock in the private runtime folder)
// binds Pause in sway to "QuillonMacro --stop" for the length of its run, unless the user's configuration
// binds Pause already; the others take the lock over when its run ends.
#include "sway_stop_key.h"

#include "private_runtime_folder.h"
#include "sway_ipc.h"
#include "sway_json_values.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <rapidjson/document.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <sstream>

namespace {

const std::string kModifiers[] = {
    "",           "Shift+",           "Control+",           "Shift+Control+",
    "Mod1+",      "Shift+Mod1+",      "Control+Mod1+",      "Shift+Control+Mod1+",
    "Mod4+",      "Shift+Mod4+",      "Control+Mod4+",      "Shift+Control+Mod4+",
    "Mod1+Mod4+", "Shift+Mod1+Mod4+", "Control+Mod1+Mod4+", "Shift+Control+Mod1+Mod4+"};

bool PlainPath(const std::string& path) {
    return !path.empty() && path[0] == '/' && std::all_of(path.begin(), path.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 || c == '/' || c == '.' || c == '_' || c == '-' || c == '+';
    });
}

std::string ThisProgram() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

class SwayStopKey final : public StopHotkey {
  public:
    ~SwayStopKey() override { Release(); }

    bool Grab() override {
        if (bound_) return true;
        if (!TakeLock()) return false;
        const std::string commands = SwayStopBindCommands(ThisProgram());
        if (commands.empty() || !sway_.Available() || UserBindsPause()) {
            DropLock();
            return false;
        }
        if (!sway_.Run(commands)) { // takes back whatever was bound
            sway_.Run(SwayStopUnbindCommands());
            DropLock();
            return false;
        }
        bound_ = true;
        return true;
    }

    // One request: a sway that froze holds up the end of the run once, for the IPC's time limit.
    void Release() override {
        if (bound_) sway_.Run(SwayStopUnbindCommands());
        bound_ = false;
        DropLock();
    }

    bool TakePressed() override { return false; }

  private:
    // One process of the desktop binds at a time; the lock goes with the process, however it ends.
    bool TakeLock() {
        const std::string folder = PrivateRuntimeFolder();
        if (folder.empty()) return false;
        const std::string path = folder + "/quillonmacro-stopkey-" + RuntimeDesktopName() + ".lock";
        lock_ = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (lock_ >= 0 && flock(lock_, LOCK_EX | LOCK_NB) == 0) return true;
        DropLock();
        return false;
    }

    void DropLock() {
        if (lock_ >= 0) close(lock_);
        lock_ = -1;
    }

    bool UserBindsPause() {
        const rapidjson::Document answer = sway_.Ask(SwayIpc::kGetConfig);
        return SwayConfigBindsPause(SwayText(answer, "/config"));
    }

    SwayIpc sway_;
    int lock_ = -1;
    bool bound_ = false;
};

} // namespace

std::string SwayStopBindCommands(const std::string& program) {
    if (!PlainPath(program)) return {};
    std::string commands;
    for (const std::string& modifiers : kModifiers)
        commands += (commands.empty() ? "" : "; ") + ("bindsym --no-repeat " + modifiers + "Pause exec ") +
                    program + " --stop";
    return commands;
}

std::string SwayStopUnbindCommands() {
    std::string commands;
    for (const std::string& modifiers : kModifiers)
        commands += (commands.empty() ? "" : "; ") + ("unbindsym --no-repeat " + modifiers + "Pause");
    return commands;
}

bool SwayConfigBindsPause(const std::string& config) {
    std::istringstream lines(config);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command != "bindsym") continue;
        std::string word;
        // The key combination is the first word that is not a flag.
        while (words >> word && word.rfind("--", 0) == 0) {
        }
        std::string key = word.substr(word.rfind('+') == std::string::npos ? 0 : word.rfind('+') + 1);
        std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
        if (key == "pause") return true;
    }
    return false;
}

std::unique_ptr<StopHotkey> CreateSwayStopKey() {
    return std::make_unique<SwayStopKey>();
}
