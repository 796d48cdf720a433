// The windowless run of one macro file on the Win32 desktop, shared by the console runner and by
// QuillonMacro.exe when it is started with a macro file.
#include "console_run.h"

#include "codepage.h"
#include "common/emergency_stop.h"
#include "common/own_buffer_file.h"
#include "console_macro_file.h"
#include "console_user_interface.h"
#include "error.h"
#include "library_state.h"
#include "macro_facade.h"
#include "macro_text.h"
#include "win32_desktop_platform.h"
#include "win32_text.h"

#include <windows.h>
#include <shellapi.h>

#include <atomic>
#include <string_view>

namespace {

constexpr int kExitFileMissing = 2;
constexpr int32_t kStopCode = 100;

// The usage of "--help": the forms of the command and the exit statuses.
constexpr std::u16string_view kUsageLines[] = {
    u"使い方:",
    u"  QuillonMacro.exe                  エディタを開きます",
    u"  QuillonMacro.exe ファイル.qlx     マクロをウィンドウなしで実行して終了します",
    u"  QuillonMacro.exe --edit ファイル  ファイルをエディタで開きます（実行はしません）",
    u"  QuillonMacroConsole.exe ファイル.qlx",
    u"                                    コンソールで実行します（引数がなければこの説明を表示します）",
    u"  --help | -h                       この説明を表示します",
    u"  --version                         バージョンを表示します",
    u"  --stop                            このデスクトップで実行中のマクロをすべて停止します",
    u"",
    u"コマンドライン全体が一つのパスです（空白を含むパスは引用符なしでも指定できます）。",
    u"--help などと同じ名前のファイルがあれば、そのファイルを実行します。",
    u"PRINT の行と「終了しました。」は標準出力に、エラーの行は標準エラー出力に出ます。",
    u"Pause キーは、実行中のマクロ（エディタのものもコマンドラインのものも）をすべて停止します。",
    u"",
    u"終了ステータス（マクロの実行）:",
    u"  0     正常に終了しました",
    u"  1～7  マクロのエラーコード（1 不正な文字、2 構文、3 ブロック構造、4 計算、5 未定義の名前、",
    u"        6 添字、7 関数の呼び出し）",
    u"  2     マクロファイルが見つからない、または読み込めない",
    u"  100   停止されました（Pause、--stop、Ctrl+C、Ctrl+Break、コンソールを閉じる）",
    u"",
    u"プログラムのフォルダに書き込めないとき、作業ファイル macrobuf.qlx は",
    u"%LOCALAPPDATA%\\QuillonMacro に置きます。",
};

// Set by Ctrl+C, Ctrl+Break or closing the console; the yield turns it into a stop request, so an
// interrupted run still ends through the normal steps (code 100, the closing line, the buffer file removed).
std::atomic<bool> stopSignalled{false};

// A second request takes the system's default action, so a macro stuck outside the run loop can still be
// interrupted.
BOOL WINAPI OnConsoleControl(DWORD) {
    return stopSignalled.exchange(true) ? FALSE : TRUE;
}

// UTF-16 on a console (shown right whatever its code page), UTF-8 bytes into a pipe or file; lines end in
// CR LF, as text does on Windows.
void WriteLine(DWORD which, const std::u16string& text) {
    const HANDLE stream = GetStdHandle(which);
    if (stream == nullptr || stream == INVALID_HANDLE_VALUE) return;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(stream, &mode)) {
        const std::wstring wide = ToWide(text + u"\r\n");
        WriteConsoleW(stream, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    const std::string bytes = ToUtf8(text) + "\r\n";
    WriteFile(stream, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void WriteOutput(const std::u16string& line) {
    WriteLine(STD_OUTPUT_HANDLE, line);
}

void WriteError(const std::u16string& line) {
    WriteLine(STD_ERROR_HANDLE, line);
}

void ShowMacroError(const cMoMacro_Error& error) {
    WriteError(error.ErrorMsg());
    WriteError(error.ErrorInformation());
    WriteError(u"行=" + FromUtf8(std::to_string(error.ErrorLine())));
}

// The run from the top, as the editor does it: the buffer file (a failure only reports), the mouse state
// reset, the parse, and the run when the text parses.
int32_t RunFromTop(cMoMacro& macro, const std::u16string& text, OwnBufferFile& buffer) {
    std::u16string saveError;
    if (!buffer.Write(EncodeMacroText(text), saveError)) {
        WriteError(u"マクロの保存に失敗しました。 - " + FromUtf8(buffer.Path()));
        WriteError(saveError);
    }
    LibraryState::ResetForRunFromTop();
    macro.SetPrintOut(WriteOutput);
    macro.SetMacroText(text);
    if (macro.Error().ErrorCode() != 0) {
        ShowMacroError(macro.Error());
        return macro.Error().ErrorCode();
    }
    macro.Run();
    const int32_t code = macro.Error().ErrorCode();
    if (code != 0) ShowMacroError(macro.Error());
    WriteOutput(u"終了しました。");
    return code;
}

} // namespace

namespace ConsoleRun {

std::vector<std::u16string> CommandLineArguments() {
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::u16string> result;
    for (int i = 0; arguments != nullptr && i < count; ++i) result.push_back(FromWide(arguments[i]));
    if (arguments != nullptr) LocalFree(arguments);
    return result;
}

std::u16string JoinArguments(const std::vector<std::u16string>& arguments, size_t first) {
    std::u16string joined;
    for (size_t i = first; i < arguments.size(); ++i) {
        if (i > first) joined += u' ';
        joined += arguments[i];
    }
    return joined;
}

bool AttachParentConsole() {
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
    // Streams the parent redirected (to a file or a pipe) stay as they are; the others go to its console.
    for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        const HANDLE current = GetStdHandle(which);
        if (current != nullptr && current != INVALID_HANDLE_VALUE) continue;
        const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                           nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) SetStdHandle(which, console);
    }
    return true;
}

std::u16string OwnOption(const std::vector<std::u16string>& arguments) {
    if (arguments.size() != 2) return {};
    const std::u16string& option = arguments[1];
    const bool known =
        option == u"--help" || option == u"-h" || option == u"--version" || option == u"--stop";
    return known && ConsoleMacroFile::IsMissing(option) ? option : std::u16string();
}

int WriteOwnOption(const std::u16string& option) {
    if (option == u"--stop") {
        // What Pause does during a run.
        OpenStopBroadcast()->Raise();
        return 0;
    }
    if (option == u"--version") {
        WriteOutput(u"QuillonMacro " + FromUtf8(QM_VERSION));
        return 0;
    }
    for (const std::u16string_view line : kUsageLines) WriteOutput(std::u16string(line));
    return 0;
}

int RunMacroFile(const std::u16string& path, MissingFile missing) {
    // Screen pixels, pointer positions and window rectangles all in real pixels, whatever the display scale.
    SetProcessDPIAware();
    if (path.empty() || ConsoleMacroFile::IsMissing(path)) {
        if (missing == MissingFile::Report) WriteError(u"マクロファイルが見つかりません。 - " + path);
        return kExitFileMissing;
    }
    std::vector<std::u16string> lines;
    std::u16string errorText;
    if (!ConsoleMacroFile::ReadLines(path, lines, errorText)) {
        WriteError(u"マクロの読み込みに失敗しました。 - " + path);
        WriteError(errorText);
        return kExitFileMissing;
    }

    ConsoleUserInterface userInterface;
    Win32DesktopPlatform desktop;
    cMoMacro macro(&userInterface, &desktop);
    macro.SetSyncRun(false);
    // Pause (taken by this run or by another of the user's runs) stops the run as Ctrl+C does; a box that
    // waits for an answer asks too, and closes.
    EmergencyStop emergencyStop(CreateEmergencyStopKey(), OpenStopBroadcast());
    emergencyStop.Begin();
    const auto stopWasAsked = [&emergencyStop] {
        if (emergencyStop.TakeStop()) stopSignalled.store(true);
        return stopSignalled.load(std::memory_order_relaxed);
    };
    userInterface.SetStopCheck(stopWasAsked);
    userInterface.SetYieldHook([&macro, stopWasAsked] {
        if (stopWasAsked()) macro.ForceStop();
    });
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    // The buffer file is only a copy for the duration of the run; it goes when the program ends.
    OwnBufferFile buffer(ToUtf8(ConsoleMacroFile::BufferFilePath()));
    int32_t code = RunFromTop(macro, JoinMacroLines(lines), buffer);
    buffer.Remove();
    // The run loop looks for a stop only now and then, so a macro may end before it sees one: a stop that was
    // asked for still ends the program as a stopped run.
    if (code == 0 && stopWasAsked()) code = kStopCode;
    emergencyStop.End();
    return code;
}

} // namespace ConsoleRun
