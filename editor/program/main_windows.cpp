// Entry of QuillonMacro.exe on Windows, a program of the window subsystem: without arguments the editor
// window, "--edit FILE" opens the file in it, "--help" and "--version" print to the parent console, a macro
// file is run once without a window in the parent console.
#include "codepage.h"
#include "console_run.h"
#include "editor_part.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    const std::vector<std::u16string> arguments = ConsoleRun::CommandLineArguments();
    if (arguments.size() < 2) return QmRunEditor(&argc, argv, "");
    if (arguments[1] == u"--edit") {
        // The file is ours, not an option for Qt.
        int qtArgc = 1;
        const std::string path = ToUtf8(ConsoleRun::JoinArguments(arguments, 2));
        return QmRunEditor(&qtArgc, argv, path.c_str());
    }
    // Started from cmd.exe or PowerShell, the lines go to their console (or to where they were redirected);
    // started from Explorer or a shortcut there is no console and the lines go nowhere, as with a
    // scheduled task. The exit status is the final error code either way. A missing file ends the program
    // silently, as a file opened from Explorer that has gone should.
    ConsoleRun::AttachParentConsole();
    if (const std::u16string option = ConsoleRun::OwnOption(arguments); !option.empty())
        return ConsoleRun::WriteOwnOption(option);
    return ConsoleRun::RunMacroFile(ConsoleRun::JoinArguments(arguments, 1), ConsoleRun::MissingFile::Silent);
}
