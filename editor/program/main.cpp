// Entry of QuillonMacro: without arguments, the editor window; "--edit FILE" opens the file in the editor;
// "--help" and "--version" print the usage and the version; "--stop" stops every run on the desktop; with a
// macro file on the command line, runs it once without a window and exits with its final error code.
#include "command_line_run.h"
#include "command_line_usage.h"
#include "editor_part.h"
#include "stop_broadcast.h"
#include "desktop_platform_factory.h"
#ifndef QM_EDITOR_LINKED_IN
#include "program_part.h"
#endif

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr int kExitFileMissing = 2;

// The whole command line is one path: the arguments joined with single spaces, so an unquoted path with
// spaces still names its file.
std::string CommandLinePath(int argc, char** argv, int first = 1) {
    std::string joined;
    for (int i = first; i < argc; ++i) {
        if (i > first) joined += ' ';
        joined += argv[i];
    }
    return joined;
}

// "--edit FILE" opens the file in the editor window without running it: the form the desktop entry uses, so a
// macro opened from a file manager is never run by a double-click.
bool IsEditRequest(int argc, char** argv) {
    return argc >= 2 && std::strcmp(argv[1], "--edit") == 0;
}

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

// True when nothing at all is at the path. Anything that is there but cannot be run (a folder, a device, a
// pipe, a link that leads nowhere or in a circle, a file that cannot be read) gets the load's two lines.
bool IsMissing(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

// The interactive program: the editor window on the real desktop, until the window is closed; with a path,
// that file is loaded into the editor first. The window and Qt's widgets are in the editor part.
int RunEditor(int argc, char** argv, const std::string& path = {}) {
    // Without any display the window cannot open; say so instead of letting Qt abort.
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM")) {
        std::fputs("画面が使用できないため、エディタを開けません。マクロファイルを指定すると画面なしで実行し"
                   "ます。\n",
                   stderr);
        return 1;
    }
#ifdef QM_EDITOR_LINKED_IN
    return QmRunEditor(&argc, argv, path.c_str());
#else
    std::string error;
    const auto runEditor =
        reinterpret_cast<RunEditorEntry>(OpenProgramPartEntry(kEditorPartFile, kRunEditorEntry, error));
    if (runEditor == nullptr) {
        const std::string line = "エディタの部品を開けません: " + error + "\n";
        std::fputs(line.c_str(), stderr);
        return 1;
    }
    return runEditor(&argc, argv, path.c_str());
#endif
}

// "--help", "-h", "--version" and "--stop" alone on the command line, when no file of that name exists (the
// whole command line is a path, so such a file still runs).
const char* OwnOption(int argc, char** argv) {
    if (argc != 2) return nullptr;
    const char* option = argv[1];
    const bool known = std::strcmp(option, "--help") == 0 || std::strcmp(option, "-h") == 0 ||
                       std::strcmp(option, "--version") == 0 || std::strcmp(option, "--stop") == 0;
    return known && IsMissing(option) ? option : nullptr;
}

int RunOwnOption(const char* option) {
    if (std::strcmp(option, "--stop") == 0) {
        // What Pause does during a run, for desktops where a key of the user's own choice runs this.
        OpenStopBroadcast()->Raise();
        return 0;
    }
    const std::string text = std::strcmp(option, "--version") == 0 ? VersionText() : UsageText();
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // Started again by itself to let go of a killed run's keys.
    if (StartedAsInputWatchdog(argc, argv)) return RunAsInputWatchdog();
    EnableInputWatchdog();
    if (argc < 2) return RunEditor(argc, argv);
    if (const char* option = OwnOption(argc, argv)) return RunOwnOption(option);
    if (IsEditRequest(argc, argv)) {
        const std::string path = CommandLinePath(argc, argv, 2);
        int qtArgc = 1; // the file is ours, not an option for Qt
        return RunEditor(qtArgc, argv, path);
    }
    // The run shows no window and reaches the desktop through Xlib (or Wayland's own protocols); it loads
    // Qt only when the macro shows its first dialog: loading Qt's libraries would cost more than a short
    // macro takes, and a display that has gone away (a stale DISPLAY in a cron job) cannot abort the program.
    const std::string path = CommandLinePath(argc, argv);
    if (path.empty() || IsMissing(path)) {
        // Standard output stays for the macro's own lines; a terminal user learns why nothing ran.
        const std::string line = MissingFileLine(path);
        std::fwrite(line.data(), 1, line.size(), stderr);
        return kExitFileMissing;
    }
    return RunMacroFileFromCommandLine(path);
}
