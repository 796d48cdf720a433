// QuillonMacro.exe (QuillonMacroConsole.exe beside the editor), the console macro runner of Windows: runs one
// macro file from the top on the Win32 desktop, PRINT lines and "終了しました。" on standard output.
#include "console_run.h"

int main() {
    const std::vector<std::u16string> arguments = ConsoleRun::CommandLineArguments();
    if (arguments.size() < 2) {
        ConsoleRun::WriteUsage();
        return 0;
    }
    return ConsoleRun::RunMacroFile(ConsoleRun::JoinArguments(arguments, 1));
}
