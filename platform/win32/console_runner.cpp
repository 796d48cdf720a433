// QuillonMacro.exe (QuillonMacroConsole.exe beside the editor), the console macro runner of Windows: runs one
// macro file from the top on the Win32 desktop, PRINT lines and "終了しました。" on standard output; without
// arguments or with "--help" its usage, with "--version" its version.
#include "console_run.h"

int main() {
    const std::vector<std::u16string> arguments = ConsoleRun::CommandLineArguments();
    if (arguments.size() < 2) return ConsoleRun::WriteOwnOption(u"--help");
    if (const std::u16string option = ConsoleRun::OwnOption(arguments); !option.empty())
        return ConsoleRun::WriteOwnOption(option);
    return ConsoleRun::RunMacroFile(ConsoleRun::JoinArguments(arguments, 1), ConsoleRun::MissingFile::Report);
}
