// Running the console runner or the editor program on a macro as a process of its own, as a script would:
// its standard output and error read through pipes, its exit status, and a look at it once it has printed.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace WineTest {

struct RunResult {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Starts the program (a file name in the test programs' folder) with the arguments, its output and error in
// pipes, on `desktop` ("station\desktop") when one is named. With `onFirstOutput`, that is called once the
// program has printed its first output line, while it goes on running.
RunResult RunProgram(const std::wstring& program, const std::wstring& arguments,
                     const std::function<void(const PROCESS_INFORMATION&)>& onFirstOutput = {},
                     const std::wstring& desktop = {});

inline std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

} // namespace WineTest
