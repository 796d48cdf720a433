// Helpers of the GNOME Shell window tests: the macro facade on the Wayland platform with the GNOME Shell
// window part, our size-reporting GTK window as a target, and the extension's D-Bus service read with gdbus
// (an outside client, not our sd-bus code).
#pragma once

#include <gtest/gtest.h>

#include "codepage.h"
#include "gnome_shell_windows.h"
#include "platform_macro.h"
#include "wayland_desktop_platform.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wayland-client.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <regex>
#include <string>
#include <thread>
#include <vector>

namespace shell_testing {

inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A session that lends only the windows, through the extension; keys and the screen are refused, so every
// window built-in runs through the real platform and the GNOME Shell window part alone.
class WindowsOnlySession final : public CompositorSession {
  public:
    WindowsOnlySession() : windows_(CreateGnomeShellWindows()) {}
    bool Lost() override { return false; }
    CompositorInput& Input() override { return input_; }
    CompositorScreen& Screen() override { return screen_; }
    CompositorWindows& Windows() override { return *windows_; }

  private:
    class NoInput final : public CompositorInput {
      public:
        std::u16string Open() override { return u"no input"; }
        void KeyboardLayout(std::string& layout, std::string& variant) override { layout = variant = ""; }
        void Key(uint32_t, bool) override {}
        bool KeySym(uint32_t, bool) override { return false; }
        void MoveTo(int32_t, int32_t) override {}
        void MoveBy(int32_t, int32_t) override {}
        void Button(uint32_t, bool) override {}
    };
    class NoScreen final : public CompositorScreen {
      public:
        std::u16string Open() override { return u"no screen"; }
        bool Size(int32_t&, int32_t&) override { return false; }
        bool Primary(ScreenRect&) override { return false; }
        int Capture(const ScreenRect&, PixelGrid&) override { return 1; }
    };
    NoInput input_;
    NoScreen screen_;
    std::unique_ptr<CompositorWindows> windows_;
};

// The facade on a Wayland platform whose only part is the GNOME Shell window part.
class ShellMacro : public testing_support::PlatformMacro {
  public:
    ShellMacro()
        : PlatformMacro(std::make_unique<WaylandDesktopPlatform>(wl_display_connect(nullptr),
                                                                 std::make_unique<WindowsOnlySession>())) {}
};

// A window as the extension lists it, read with gdbus.
struct Listed {
    int32_t handle = 0;
    std::string className;
    std::string title;
    int state = 0;
    bool shown = false;
    int x = 0, y = 0, width = 0, height = 0;
};

inline std::string CommandOutput(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n = 0;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

inline std::vector<Listed> ListWithGdbus() {
    const std::string out =
        CommandOutput("gdbus call --session --timeout 5 --dest org.quillonmacro.Windows --object-path "
                      "/org/quillonmacro/Windows --method org.quillonmacro.Windows1.List 2>&1");
    static const std::regex entry(
        R"(\(uint32 (\d+), '([^']*)', '[^']*', '([^']*)', uint32 (\d), (true|false), )"
        R"((-?\d+), (-?\d+), (\d+), (\d+)\))");
    std::vector<Listed> list;
    for (std::sregex_iterator it(out.begin(), out.end(), entry), end; it != end; ++it) {
        const std::smatch& m = *it;
        list.push_back(Listed{std::stoi(m[1]), m[2], m[3], std::stoi(m[4]), m[5] == "true", std::stoi(m[6]),
                              std::stoi(m[7]), std::stoi(m[8]), std::stoi(m[9])});
    }
    return list;
}

inline bool ListedAs(int32_t handle, Listed& out) {
    for (const Listed& listed : ListWithGdbus())
        if (listed.handle == handle) return out = listed, true;
    return false;
}

// What our GTK window last said of itself: its drawing area's size (the frame less the title bar) and
// whether it is maximised; closed once it was asked to close.
struct ClientState {
    int width = 0;
    int height = 0;
    bool maximized = false;
    bool closed = false;
};

class SizedWindow {
  public:
    SizedWindow(const std::string& appId, const std::string& title, const std::string& outFile)
        : out_(outFile) {
        std::remove(out_.c_str());
        pid_ = fork();
        if (pid_ == 0) {
            execl("/usr/bin/python3", "python3", QM_SIZED_WINDOW, "--out", out_.c_str(), "--app-id",
                  appId.c_str(), "--title", title.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~SizedWindow() {
        if (pid_ > 0 && !Exited()) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    SizedWindow(const SizedWindow&) = delete;
    SizedWindow& operator=(const SizedWindow&) = delete;

    ClientState State() const {
        ClientState state;
        std::ifstream in(out_);
        static const std::regex sized(R"("width": (\d+), "height": (\d+), "maximized": (true|false))");
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (std::regex_search(line, m, sized)) {
                state.width = std::stoi(m[1]);
                state.height = std::stoi(m[2]);
                state.maximized = m[3] == "true";
            } else if (line.find("\"close\"") != std::string::npos) {
                state.closed = true;
            }
        }
        return state;
    }
    bool Exited() {
        if (pid_ <= 0) return true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = 0;
        return pid_ <= 0;
    }

  private:
    std::string out_;
    pid_t pid_ = -1;
};

} // namespace shell_testing
