// Running a macro from the top without a window, and the command-line program built on it.
// Mirrors the editor's debug log on the terminal: results on standard output, failures on standard error.
#include "command_line_run.h"

#include "codepage.h"
#include "desktop_platform_factory.h"
#include "error.h"
#include "library_state.h"
#include "macro_facade.h"
#include "terminal_user_interface.h"

#include <unistd.h>

#include <atomic>
#include <memory>
#include <csignal>
#include <cstdio>
#include <vector>

namespace {

constexpr int kExitFileMissing = 2;

// Set by SIGINT or SIGTERM; the run loop's yield turns it into a stop request, so an interrupted run still
// ends through the normal steps (code 100, the closing line, the buffer file removed).
std::atomic<bool> stopSignalled{false};

extern "C" void OnStopSignal(int) {
    stopSignalled.store(true);
}

// A second signal takes the default action, so a macro stuck outside the run loop can still be interrupted.
void InstallStopSignals() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void WriteLine(std::FILE* stream, const std::u16string& text) {
    std::string bytes = ToUtf8(text);
    bytes += '\n';
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

std::u16string JoinLines(const std::vector<std::u16string>& lines) {
    std::u16string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += u"\r\n";
        text += lines[i];
    }
    return text;
}

} // namespace

void ShowMacroError(const cMoMacro_Error& error, const RunSinks& sinks) {
    if (!sinks.errors) return;
    sinks.errors(error.ErrorMsg());
    sinks.errors(error.ErrorInformation());
    sinks.errors(u"行=" + FromUtf8(std::to_string(error.ErrorLine())));
}

int32_t RunMacroFromTop(cMoMacro& macro, const std::u16string& text, const std::string& bufferPath,
                        const RunSinks& sinks) {
    WriteBufferFile(bufferPath, text, sinks.errors);
    LibraryState::ResetForRunFromTop();

    macro.SetPrintOut(sinks.output);
    macro.SetMacroText(text);
    if (macro.Error().ErrorCode() != 0) {
        ShowMacroError(macro.Error(), sinks);
        return macro.Error().ErrorCode();
    }

    macro.Run();
    const int32_t code = macro.Error().ErrorCode();
    if (code != 0) ShowMacroError(macro.Error(), sinks);
    if (sinks.output) sinks.output(u"終了しました。");
    return code;
}

int RunMacroFileFromCommandLine(const std::string& path) {
    RunSinks sinks;
    sinks.output = [](const std::u16string& line) { WriteLine(stdout, line); };
    sinks.errors = [](const std::u16string& line) { WriteLine(stderr, line); };

    std::vector<std::u16string> lines;
    std::u16string errorText;
    if (!ReadMacroLines(path, lines, errorText)) {
        LogFileFailure(sinks.errors, kLoadFailedText, path, errorText);
        return kExitFileMissing;
    }

    TerminalUserInterface userInterface;
    const std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
    cMoMacro macro(&userInterface, desktop.get());
    macro.SetSyncRun(false);
    userInterface.SetYieldHook([&macro] {
        if (stopSignalled.load(std::memory_order_relaxed)) macro.ForceStop();
    });
    InstallStopSignals();
    const std::string bufferPath = BufferFilePath();
    const int32_t code = RunMacroFromTop(macro, JoinLines(lines), bufferPath, sinks);
    // The buffer file is only a copy for the duration of the run; it goes when the program ends.
    ::unlink(bufferPath.c_str());
    return code;
}
