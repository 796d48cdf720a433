// Helpers of the desktop tests: the macro facade on the real X11 platform, the event-recorder client as a
// target, the QuillonMacro program run on a macro file, outside tools (xdotool, xwininfo, xprop) for looking
// at the desktop independently of our own code, and a plain Xlib connection for key and button state.
#pragma once

// GoogleTest comes before Xlib, whose macros (None, Bool) would break its names.
#include <gtest/gtest.h>

#include "codepage.h"
#include "desktop_platform_factory.h"
#include "platform_macro.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace desktop_testing {

inline void Sleep(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Polls until the condition holds; false after the (generous) time limit.
inline bool WaitUntil(const std::function<bool()>& condition, int milliseconds = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < end) {
        if (condition()) return true;
        Sleep(20);
    }
    return condition();
}

// Runs a shell command and returns what it printed on standard output.
inline std::string Shell(const std::string& command) {
    std::string out;
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return out;
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    return out;
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

inline std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    std::string word;
    while (in >> word) words.push_back(word);
    return words;
}

// The outer frame of a client window as the window manager shows it: the client's corner from xwininfo,
// less the frame extents from xprop.
struct Frame {
    int left = 0, top = 0, width = 0, height = 0;
};

inline int NumberAfter(const std::string& text, const std::string& label) {
    const size_t at = text.find(label);
    return at == std::string::npos ? -99999 : std::atoi(text.c_str() + at + label.size());
}

inline Frame FrameOf(unsigned long window) {
    const std::string id = std::to_string(window);
    const std::string info = Shell("xwininfo -id " + id);
    std::string extents = Shell("xprop -id " + id + " _NET_FRAME_EXTENTS");
    int l = 0, r = 0, t = 0, b = 0;
    const size_t eq = extents.find('=');
    if (eq != std::string::npos) std::sscanf(extents.c_str() + eq + 1, "%d, %d, %d, %d", &l, &r, &t, &b);
    Frame frame;
    frame.left = NumberAfter(info, "Absolute upper-left X:") - l;
    frame.top = NumberAfter(info, "Absolute upper-left Y:") - t;
    frame.width = NumberAfter(info, "Width:") + l + r;
    frame.height = NumberAfter(info, "Height:") + t + b;
    return frame;
}

inline std::string Property(unsigned long window, const std::string& name) {
    return Shell("xprop -id " + std::to_string(window) + " " + name);
}

inline bool IsMaximised(unsigned long window) {
    const std::string state = Property(window, "_NET_WM_STATE");
    return state.find("_NET_WM_STATE_MAXIMIZED_VERT") != std::string::npos &&
           state.find("_NET_WM_STATE_MAXIMIZED_HORZ") != std::string::npos;
}

inline std::string WmState(unsigned long window) {
    const std::string state = Property(window, "WM_STATE");
    if (state.find("Iconic") != std::string::npos) return "Iconic";
    if (state.find("Normal") != std::string::npos) return "Normal";
    return "None";
}

// The event recorder started as a separate client, with its output in a temporary folder.
class Recorder {
  public:
    Recorder(const std::string& className, const std::string& title, int width = 300, int height = 200) {
        path_ = dir_.filePath("events.txt").toStdString();
        process_.start(QStringLiteral(QM_RECORDER),
                       {QString::fromStdString(path_), QString::fromStdString(className),
                        QString::fromStdString(title), QString::number(width), QString::number(height)});
        process_.waitForStarted(10000);
        WaitUntil([this] { return Window() != 0; });
    }
    ~Recorder() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    // The window id once it is mapped and has the focus; 0 before.
    unsigned long Window() const {
        for (const std::string& line : ReadLines(path_))
            if (line.rfind("ready ", 0) == 0) return std::stoul(line.substr(6));
        return 0;
    }
    // The event lines after "ready" whose first word is `kind` ("key", "button", "motion"), or all.
    std::vector<std::string> Events(const std::string& kind = "") const {
        std::vector<std::string> out;
        bool ready = false;
        for (const std::string& line : ReadLines(path_)) {
            if (line.rfind("ready ", 0) == 0) {
                ready = true;
                continue;
            }
            if (ready && (kind.empty() || line.rfind(kind + " ", 0) == 0 || line == kind))
                out.push_back(line);
        }
        return out;
    }
    bool WaitForEvents(const std::string& kind, size_t count) const {
        return WaitUntil([&] { return Events(kind).size() >= count; });
    }
    QProcess& Process() { return process_; }

  private:
    QTemporaryDir dir_;
    std::string path_;
    QProcess process_;
};

// An xterm with a class and a title of the test's choosing, running until the object goes.
class TerminalWindow {
  public:
    TerminalWindow(const QString& className, const QString& title) {
        process_.start("xterm",
                       {"-class", className, "-T", title, "-geometry", "60x10+30+40", "-e", "sleep", "600"});
        process_.waitForStarted(10000);
    }
    ~TerminalWindow() {
        process_.kill();
        process_.waitForFinished(5000);
    }
    QProcess& Process() { return process_; }

  private:
    QProcess process_;
};

// The facade on the real platform of the test's display.
class DesktopMacro : public testing_support::PlatformMacro {
  public:
    DesktopMacro() : PlatformMacro(CreateDesktopPlatform()) {}
};

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the QuillonMacro program on a macro file; with `keepDisplay` false, DISPLAY is removed, or set to
// `otherDisplay` when that is given.
inline ProgramResult RunProgram(const std::string& macroPath, bool keepDisplay = true,
                                const QString& otherDisplay = {},
                                const std::vector<std::pair<QString, QString>>& moreEnvironment = {}) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (!keepDisplay) environment.remove("DISPLAY");
    if (!keepDisplay && !otherDisplay.isEmpty()) environment.insert("DISPLAY", otherDisplay);
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    for (const auto& [name, value] : moreEnvironment) environment.insert(name, value);
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QM_PROGRAM), {QString::fromStdString(macroPath)});
    ProgramResult result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

inline std::string WriteMacro(const QTemporaryDir& dir, const std::string& name,
                              const std::vector<std::string>& lines) {
    const std::string path = dir.filePath(QString::fromStdString(name)).toStdString();
    std::ofstream out(path, std::ios::binary);
    for (const std::string& line : lines) out << line << "\r\n";
    return path;
}

// A plain Xlib connection of the test, for what the server says is down.
class Probe {
  public:
    Probe() : display_(XOpenDisplay(nullptr)) {}
    ~Probe() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    Display* Get() const { return display_; }
    bool KeysymDown(KeySym keysym) {
        XSync(display_, False);
        const KeyCode code = XKeysymToKeycode(display_, keysym);
        char keys[32];
        XQueryKeymap(display_, keys);
        return code != 0 && (keys[code / 8] & (1 << (code % 8))) != 0;
    }
    // Presses or releases the key of a keysym as another client would (xdotool presses extra keys for some
    // modifiers, so the tests that need one exact key use this).
    void Key(KeySym keysym, bool down) {
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, keysym), down ? True : False, CurrentTime);
        XSync(display_, False);
    }
    unsigned int PointerMask(int* x = nullptr, int* y = nullptr) {
        ::Window root = 0;
        ::Window child = 0;
        int rx = 0, ry = 0, wx = 0, wy = 0;
        unsigned int mask = 0;
        XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rx, &ry, &wx, &wy, &mask);
        if (x != nullptr) *x = rx;
        if (y != nullptr) *y = ry;
        return mask;
    }
    std::pair<int, int> Pointer() {
        int x = 0;
        int y = 0;
        PointerMask(&x, &y);
        return {x, y};
    }

  private:
    Display* display_;
};

} // namespace desktop_testing
