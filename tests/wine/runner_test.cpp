// Tests of the console runner run as a program, and of the editor program QuillonMacro.exe started with a
// macro file: what they write on standard output and standard error, their exit status, the macro-file
// encodings and line ends. (The stop by Ctrl+C: runner-interrupt.sh.)
#include "runner_process.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <thread>

namespace {

using WineTest::Quoted;
using WineTest::RunResult;

// The console runner without arguments, or a program of the test with them.
RunResult RunRunner(const std::wstring& arguments,
                    const std::function<void(const PROCESS_INFORMATION&)>& onFirstOutput = {},
                    const std::wstring& program = QM_RUNNER_NAME_W) {
    return WineTest::RunProgram(program, arguments, onFirstOutput);
}

// Each test runs once with every program that runs macro files from the command line: the console runner
// and, where it is built, the editor program, which keeps the same contract.
class Runner : public ::testing::TestWithParam<const wchar_t*> {
  protected:
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = folder_.File(name);
        WineTest::WriteBytes(path, bytes);
        return path;
    }
    RunResult Run(const std::wstring& arguments,
                  const std::function<void(const PROCESS_INFORMATION&)>& onFirstOutput = {}) {
        return RunRunner(arguments, onFirstOutput, GetParam());
    }
    RunResult RunFile(const std::wstring& name, const std::string& bytes) {
        return Run(Quoted(Write(name, bytes)));
    }

    WineTest::TemporaryFolder folder_;
};

// A missing file: nothing on standard output; the console runner names the path on standard error, the editor
// program (started from Explorer as often as from a console) says nothing.
TEST_P(Runner, MissingFileEndsWithStatusTwoAndNoOutputAFolderWithTheLoadLines) {
    const std::wstring path = folder_.File(L"nothing-here.qlx");
    const RunResult missing = Run(Quoted(path));
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_EQ(missing.out, "");
    const bool console = std::wstring(GetParam()) == QM_RUNNER_NAME_W;
    if (console) {
        EXPECT_TRUE(missing.err.starts_with("マクロファイルが見つかりません。 - ")) << missing.err;
        EXPECT_TRUE(missing.err.ends_with("\\nothing-here.qlx\r\n")) << missing.err;
        EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
    } else {
        EXPECT_EQ(missing.err, "");
    }
    // A folder is there but cannot be run: the load's two lines say so.
    const RunResult folder = Run(Quoted(folder_.Path()));
    EXPECT_EQ(folder.exitCode, 2u);
    EXPECT_EQ(folder.out, "");
    EXPECT_EQ(folder.err.rfind("マクロの読み込みに失敗しました。 - ", 0), 0u) << folder.err;
    EXPECT_TRUE(folder.err.ends_with("\r\nアクセスが拒否されました（権限がありません）\r\n")) << folder.err;
    EXPECT_EQ(std::count(folder.err.begin(), folder.err.end(), '\n'), 2) << folder.err;
}

// Pause stops every run at once, whichever of them holds the key; "--stop" from another program does the
// same. (Two editors and a command-line run on Linux: the editor's end-to-end tests.)
TEST_P(Runner, PauseAndTheStopOptionStopEveryRun) {
    const std::wstring endless = Quoted(Write(L"endless.qlx", "PRINT \"started\"\r\nWHILE 1\r\nWEND\r\n"));
    RunResult second;
    std::thread secondRun;
    // The first run holds the key; the second presses it once it runs too.
    const RunResult first = Run(endless, [&](const PROCESS_INFORMATION&) {
        secondRun = std::thread(
            [&] { second = Run(endless, [](const PROCESS_INFORMATION&) { WineTest::PressPause(); }); });
    });
    secondRun.join();
    EXPECT_EQ(first.exitCode, 100u);
    EXPECT_EQ(second.exitCode, 100u);
    EXPECT_EQ(second.out, "started\r\n終了しました。\r\n");

    RunResult stop;
    const RunResult stopped = Run(endless, [&](const PROCESS_INFORMATION&) { stop = Run(L"--stop"); });
    EXPECT_EQ(stopped.exitCode, 100u);
    EXPECT_EQ(stop.exitCode, 0u);
    EXPECT_EQ(stop.out, "");
}

// (The editor program opens its window instead.)
TEST(ConsoleRunner, WithoutArgumentsPrintsItsUsage) {
    const RunResult usage = RunRunner(L"");
    EXPECT_EQ(usage.exitCode, 0u);
    EXPECT_TRUE(usage.out.starts_with("使い方:\r\n")) << usage.out;
}

TEST_P(Runner, HelpAndVersion) {
    for (const wchar_t* option : {L"--help", L"-h"}) {
        const RunResult help = Run(option);
        EXPECT_EQ(help.exitCode, 0u);
        EXPECT_TRUE(help.out.starts_with("使い方:\r\n")) << help.out;
        EXPECT_NE(help.out.find("終了ステータス"), std::string::npos);
    }
    const RunResult version = Run(L"--version");
    EXPECT_EQ(version.exitCode, 0u);
    EXPECT_EQ(version.out, "QuillonMacro " QM_VERSION "\r\n");
    // With more words the option is part of a path.
    const RunResult twoWords = Run(L"--version x");
    EXPECT_EQ(twoWords.exitCode, 2u);
    EXPECT_EQ(twoWords.out, "");
}

TEST_P(Runner, ArgumentsAreJoinedIntoOnePath) {
    Write(L"my macro.qlx", "PRINT \"joined\"\r\n");
    const RunResult result = Run(folder_.File(L"my") + L" macro.qlx");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "joined\r\n終了しました。\r\n");
    EXPECT_EQ(result.err, "");
}

TEST_P(Runner, LfCrAndCrLfFilesRunLineByLine) {
    for (const std::string& end : {std::string("\n"), std::string("\r"), std::string("\r\n")}) {
        const RunResult result = RunFile(L"ends.qlx", "DIM x" + end + "x = 40 + 2" + end + "PRINT x" + end +
                                                          "PRINT \"two\", 3" + end);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.out, "42\r\ntwo\t3\r\n終了しました。\r\n");
        EXPECT_EQ(result.err, "");
    }
}

TEST_P(Runner, JapaneseTextFromCp932AndUtf8FilesAndPaths) {
    const std::string expected = "日本語\r\n終了しました。\r\n";
    EXPECT_EQ(RunFile(L"sjis.qlx", "PRINT \"\x93\xFA\x96\x7B\x8C\xEA\"\r\n").out, expected);
    EXPECT_EQ(RunFile(L"utf8.qlx", "' コメント\nPRINT \"日本語\"\n").out, expected);
    EXPECT_EQ(RunFile(L"bom.qlx", "\xEF\xBB\xBFPRINT \"日本語\"\n").out, expected);
    EXPECT_EQ(RunFile(L"マクロ.qlx", "PRINT \"日本語\"\n").out, expected);
    // A byte without meaning in CP932 becomes U+FFFD, which the lexer refuses on its own line.
    const RunResult broken = RunFile(L"broken.qlx", "PRINT \"\x93\xFA\"\r\nPRINT \"\x80\"\r\n");
    EXPECT_EQ(broken.exitCode, 1u);
    EXPECT_EQ(broken.err, "不正な文字があります\r\n不正な文字があります。\r\n行=2\r\n");
}

TEST_P(Runner, ParseErrorPrintsThreeLinesAndNeverRuns) {
    const RunResult result = RunFile(L"bad.qlx", "PRINT \"never\"\nTHEN\n");
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "構文エラーです\r\n未対応の制御文が使用されました。\r\n行=2\r\n");
}

TEST_P(Runner, RunErrorPrintsItsLinesThenTheClosingLine) {
    const RunResult result = RunFile(L"fails.qlx", "PRINT \"before\"\n\nNoSuchThing 1\nPRINT \"after\"\n");
    EXPECT_EQ(result.exitCode, 5u);
    EXPECT_EQ(result.out, "before\r\n終了しました。\r\n");
    EXPECT_EQ(result.err, "未定義の名前です\r\n未定義の関数/変数が使用されました - NoSuchThing\r\n行=3\r\n");
}

TEST_P(Runner, DeepRecursionStopsAtTheCallLimitInsteadOfOverflowingTheStack) {
    const RunResult result =
        RunFile(L"deep.qlx", "dim r\nr = F(1)\nFUNCTION F(n)\n  F = F(n + 1)\nEND FUNCTION\n");
    EXPECT_EQ(result.exitCode, 7u);
    EXPECT_EQ(result.err, "関数の呼び出しが不正です\r\n関数の呼び出しが深すぎます - F\r\n行=4\r\n");
}

TEST_P(Runner, BufferFileIsGoneWhenTheRunEnds) {
    const std::wstring buffer = WineTest::ProgramFolder() + L"\\macrobuf.qlx";
    const RunResult result = RunFile(L"short.qlx", "PRINT 1\n");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(GetFileAttributesW(buffer.c_str()), INVALID_FILE_ATTRIBUTES);
}

// Started with a macro file, the editor program shows no window while the macro runs.
TEST_P(Runner, ShowsNoWindowWhileTheMacroRuns) {
    struct Seen {
        DWORD processId = 0;
        int windows = -1;
    } seen;
    const RunResult result = Run(Quoted(Write(L"wait.qlx", "PRINT \"running\"\nWAIT 1500\nPRINT \"done\"\n")),
                                 [&seen](const PROCESS_INFORMATION& process) {
                                     Sleep(500); // the run is in its WAIT, long past the program's start
                                     seen = {process.dwProcessId, 0};
                                     EnumWindows(
                                         [](HWND window, LPARAM data) -> BOOL {
                                             auto* s = reinterpret_cast<Seen*>(data);
                                             DWORD owner = 0;
                                             GetWindowThreadProcessId(window, &owner);
                                             if (owner == s->processId && IsWindowVisible(window))
                                                 ++s->windows;
                                             return TRUE;
                                         },
                                         reinterpret_cast<LPARAM>(&seen));
                                 });
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "running\r\ndone\r\n終了しました。\r\n");
    EXPECT_EQ(seen.windows, 0);
}

std::string ProgramName(const ::testing::TestParamInfo<const wchar_t*>& info) {
    return std::wstring(info.param) == QM_RUNNER_NAME_W ? "Console" : "Editor";
}

#ifdef QM_EDITOR_NAME_W
INSTANTIATE_TEST_SUITE_P(Programs, Runner, ::testing::Values(QM_RUNNER_NAME_W, QM_EDITOR_NAME_W),
                         ProgramName);
#else
INSTANTIATE_TEST_SUITE_P(Programs, Runner, ::testing::Values(QM_RUNNER_NAME_W), ProgramName);
#endif

} // namespace
