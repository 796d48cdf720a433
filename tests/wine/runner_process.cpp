// The program run of the command-line tests: pipes for its output and error (read on two threads, so
// neither fills up), a call once its first line is out, and its exit status.
#include "runner_process.h"

#include "wine_test_support.h"

#include <thread>

namespace WineTest {

namespace {

std::string ReadAll(HANDLE pipe) {
    std::string bytes;
    char buffer[4096];
    DWORD n = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    return bytes;
}

} // namespace

RunResult RunProgram(const std::wstring& program, const std::wstring& arguments,
                     const std::function<void(const PROCESS_INFORMATION&)>& onFirstOutput,
                     const std::wstring& desktop) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead = nullptr, outWrite = nullptr, errRead = nullptr, errWrite = nullptr;
    CreatePipe(&outRead, &outWrite, &inherit, 0);
    CreatePipe(&errRead, &errWrite, &inherit, 0);
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    std::wstring desktopName = desktop;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    if (!desktopName.empty()) startup.lpDesktop = desktopName.data();
    std::wstring commandLine = Quoted(ProgramFolder() + L"\\" + program);
    if (!arguments.empty()) commandLine += L" " + arguments;
    PROCESS_INFORMATION process{};
    RunResult result;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &process))
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
    std::string out;
    std::thread outReader([&] { out = ReadAll(outRead); });
    // A program that never ends (a box nobody answers) fails the test instead of holding it up.
    if (WaitForSingleObject(process.hProcess, kPatienceMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 9999);
    outReader.join();
    errReader.join();
    result.out += out;
    result.err = err;
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(outRead);
    CloseHandle(errRead);
    return result;
}

} // namespace WineTest
