// Tests of the console runner QuillonMacro.exe run as a program: what it writes on standard output and
// standard error, its exit status, the macro-file encodings and line ends. (The stop by Ctrl+C:
// runner-interrupt.sh.)
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::string ReadAll(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    return bytes;
}

// Starts the runner with the arguments, its output and error in pipes. With `onFirstOutput`, that is called
// once the runner has printed its first output line.
RunResult RunRunner(const std::wstring& arguments, DWORD creationFlags = 0,
                    const std::function<void(const PROCESS_INFORMATION&)>& onFirstOutput = {}) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring commandLine = L"\"" + WineTest::ProgramFolder() + L"\\" QM_RUNNER_NAME_W L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    PROCESS_INFORMATION process{};
    RunResult result;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, creationFlags, nullptr, nullptr,
                        &startup, &process))
        return result;
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    std::string err;
    std::thread errReader([&] { err = ReadAll(errRead); });
    if (onFirstOutput) {
        char c = 0;
        DWORD n = 0;
        while (ReadFile(outRead, &c, 1, &n, nullptr) && n == 1) {
            result.out += c;
            if (c == '\n') break;
        }
        onFirstOutput(process);
    }
    result.out += ReadAll(outRead);
    errReader.join();
    result.err = err;
    if (WaitForSingleObject(process.hProcess, WineTest::kPatienceMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 9999);
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

class Runner : public ::testing::Test {
  protected:
    std::wstring Write(const std::wstring& name, const std::string& bytes) {
        const std::wstring path = folder_.File(name);
        WineTest::WriteBytes(path, bytes);
        return path;
    }
    RunResult RunFile(const std::wstring& name, const std::string& bytes) {
        return RunRunner(Quoted(Write(name, bytes)));
    }

    WineTest::TemporaryFolder folder_;
};

TEST_F(Runner, MissingFileOrFolderEndsWithStatusTwoAndNoOutput) {
    const RunResult missing = RunRunner(Quoted(folder_.File(L"nothing-here.qlx")));
    EXPECT_EQ(missing.exitCode, 2u);
    EXPECT_EQ(missing.out + missing.err, "");
    const RunResult folder = RunRunner(Quoted(folder_.Path()));
    EXPECT_EQ(folder.exitCode, 2u);
    EXPECT_EQ(folder.out + folder.err, "");
}

TEST_F(Runner, WithoutArgumentsPrintsItsUsage) {
    const RunResult usage = RunRunner(L"");
    EXPECT_EQ(usage.exitCode, 0u);
    EXPECT_TRUE(usage.out.starts_with("usage: QuillonMacro FILE.qlx")) << usage.out;
}

TEST_F(Runner, ArgumentsAreJoinedIntoOnePath) {
    Write(L"my macro.qlx", "PRINT \"joined\"\r\n");
    const RunResult result = RunRunner(folder_.File(L"my") + L" macro.qlx");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(result.out, "joined\r\n終了しました。\r\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(Runner, LfCrAndCrLfFilesRunLineByLine) {
    for (const std::string& end : {std::string("\n"), std::string("\r"), std::string("\r\n")}) {
        const RunResult result = RunFile(L"ends.qlx", "DIM x" + end + "x = 40 + 2" + end + "PRINT x" + end +
                                                          "PRINT \"two\", 3" + end);
        EXPECT_EQ(result.exitCode, 0u);
        EXPECT_EQ(result.out, "42\r\ntwo\t3\r\n終了しました。\r\n");
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(Runner, JapaneseTextFromCp932AndUtf8FilesAndPaths) {
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

TEST_F(Runner, ParseErrorPrintsThreeLinesAndNeverRuns) {
    const RunResult result = RunFile(L"bad.qlx", "PRINT \"never\"\nTHEN\n");
    EXPECT_EQ(result.exitCode, 2u);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "構文エラーです\r\n未対応の制御文が使用されました。\r\n行=2\r\n");
}

TEST_F(Runner, RunErrorPrintsItsLinesThenTheClosingLine) {
    const RunResult result = RunFile(L"fails.qlx", "PRINT \"before\"\n\nNoSuchThing 1\nPRINT \"after\"\n");
    EXPECT_EQ(result.exitCode, 5u);
    EXPECT_EQ(result.out, "before\r\n終了しました。\r\n");
    EXPECT_EQ(result.err, "未定義の名前です\r\n未定義の関数/変数が使用されました - NoSuchThing\r\n行=3\r\n");
}

TEST_F(Runner, DeepRecursionStopsAtTheCallLimitInsteadOfOverflowingTheStack) {
    const RunResult result =
        RunFile(L"deep.qlx", "dim r\nr = F(1)\nFUNCTION F(n)\n  F = F(n + 1)\nEND FUNCTION\n");
    EXPECT_EQ(result.exitCode, 7u);
    EXPECT_EQ(result.err, "関数の呼び出しが不正です\r\n関数の呼び出しが深すぎます - F\r\n行=4\r\n");
}

TEST_F(Runner, BufferFileIsGoneWhenTheRunEnds) {
    const std::wstring buffer = WineTest::ProgramFolder() + L"\\macrobuf.qlx";
    const RunResult result = RunFile(L"short.qlx", "PRINT 1\n");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(GetFileAttributesW(buffer.c_str()), INVALID_FILE_ATTRIBUTES);
}

} // namespace
