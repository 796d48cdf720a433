// The command-line program on Linux: one macro file run from the top without a window, mirroring the
// editor's debug log on the terminal: results on standard output, failures on standard error.
#include "command_line_run.h"

#include "codepage.h"
#include "common/emergency_stop.h"
#include "common/system_error_texts.h"
#include "desktop_platform_factory.h"
#include "editor_part.h"
#include "error.h"
#include "library_state.h"
#include "macro_facade.h"
#include "macro_text.h"
#include "program_errors.h"
#include "program_part.h"
#include "terminal_user_interface.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kExitFileMissing = 2;
constexpr int32_t kStopCode = 100;
// The status of a run whose lines could not be written to standard output (sysexits' EX_IOERR).
constexpr int kExitOutputFailed = 74;

// Set by a stop signal; the run loop's yield turns it into a stop request, so an interrupted run still ends
// through the normal steps (code 100, keys and buttons released, lent keycodes unbound, the closing line, the
// buffer file removed).
std::atomic<bool> stopSignalled{false};

extern "C" void OnStopSignal(int) {
    stopSignalled.store(true);
}

// Ctrl+C, kill, a closed terminal (SIGHUP) and Ctrl+\ all ask for the same stop. Every later signal only
// repeats the request: ending the process at once would leave the keys and buttons of the run held down.
// A closed pipe on standard output makes the writes fail instead of ending the process for the same reason.
void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

// The emergency stop of the run (Pause, taken by this run or by another of the user's runs on the desktop),
// and whether it has asked this run to stop. Both are used on the main thread only.
EmergencyStop* emergencyStop = nullptr;
bool stopAsked = false;

// Whether the run was asked to stop, by a signal or by the emergency stop; also asked by a dialog while it
// waits for an answer.
bool StopWasAsked() {
    if (emergencyStop != nullptr && emergencyStop->TakeStop()) stopAsked = true;
    return stopAsked || stopSignalled.load(std::memory_order_relaxed);
}

// The dialogs of MSGBOX, INPUTBOX and MES: Qt's, from the editor part, loaded on the first dialog and only
// when the desktop answers (Qt would end the program on a display it cannot reach). Without them the dialog
// built-ins fail with the error of a run without a screen.
std::unique_ptr<UserInterface> OpenDialogs(const DesktopPlatform& desktop) {
    if (!desktop.HasDisplay()) return nullptr;
    std::string error;
    const auto open =
        reinterpret_cast<OpenDialogsEntry>(OpenProgramPartEntry(kEditorPartFile, kOpenDialogsEntry, error));
    if (open == nullptr) {
        const std::string line = "エディタの部品を開けません: " + error + "\n";
        std::fputs(line.c_str(), ProgramErrors());
        return nullptr;
    }
    std::unique_ptr<UserInterface> dialogs(open(&StopWasAsked));
    // Qt has just connected to the display and put in handlers that end the program when the server goes;
    // the run's own connections keep theirs, so such a loss still ends the run with its code-7 lines.
    KeepDesktopConnectionsAfterToolkit();
    return dialogs;
}

// Writes the line; false with errno set when it did not all reach the stream.
bool WriteLine(std::FILE* stream, const std::u16string& text) {
    std::string bytes = ToUtf8(text);
    bytes += '\n';
    errno = 0;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size();
    const bool flushed = std::fflush(stream) == 0;
    if (!(written && flushed) && errno == 0) errno = EIO;
    return written && flushed;
}

// The macro's lines on standard output. When a write fails (a full disk, a closed pipe, /dev/full) the
// lines would be lost unseen: the run is stopped, standard error says why, and the program ends with its
// own status.
class OutputLines {
  public:
    void Write(const std::u16string& line) {
        if (failure_ != 0 || WriteLine(stdout, line)) return;
        failure_ = errno;
        WriteLine(ProgramErrors(),
                  u"標準出力に書き込めないため、マクロを停止しました。 - " + ErrnoText(failure_));
        if (macro_ != nullptr) macro_->ForceStop();
    }
    void Watch(cMoMacro* macro) { macro_ = macro; }
    bool Failed() const { return failure_ != 0; }

  private:
    cMoMacro* macro_ = nullptr;
    int failure_ = 0;
};

} // namespace

int RunMacroFileFromCommandLine(const std::string& path) {
    // Standard error carries the program's own lines only; the libraries' go there when debugging.
    QuietLibraryErrors();
    OutputLines output;
    RunSinks sinks;
    sinks.output = [&output](const std::u16string& line) { output.Write(line); };
    sinks.errors = [](const std::u16string& line) { WriteLine(ProgramErrors(), line); };

    std::vector<std::u16string> lines;
    std::u16string errorText;
    if (!ReadMacroLines(path, lines, errorText)) {
        LogFileFailure(sinks.errors, kLoadFailedText, path, errorText);
        return kExitFileMissing;
    }

    const std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
    TerminalUserInterface userInterface([&desktop] { return OpenDialogs(*desktop); });
    cMoMacro macro(&userInterface, desktop.get());
    macro.SetSyncRun(false);
    output.Watch(&macro);
    // Pause stops the run as a signal does.
    EmergencyStop runStop(desktop->HasDisplay() ? CreateEmergencyStopKey() : nullptr, OpenStopBroadcast());
    runStop.Begin();
    emergencyStop = &runStop;
    userInterface.SetYieldHook([&macro] {
        if (StopWasAsked()) macro.ForceStop();
    });
    InstallStopSignals();
    // The buffer file is only a copy for the duration of the run; it goes when the program ends.
    OwnBufferFile buffer(BufferFilePath());
    int32_t code = RunMacroFromTop(macro, JoinMacroLines(lines), buffer, sinks);
    buffer.Remove();
    runStop.End();
    emergencyStop = nullptr;
    // The run loop looks for the request only now and then, so a macro may end before it sees one: a stop
    // that was asked for still ends the program as a stopped run.
    if (code == 0 && StopWasAsked()) code = kStopCode;
    return output.Failed() ? kExitOutputFailed : code;
}
