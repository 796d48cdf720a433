// The windowless run of one macro file on the Win32 desktop, shared by the console runner and by
// QuillonMacro.exe when it is started with a macro file: output lines to the console or the redirected
// streams.
#pragma once

#include <string>
#include <vector>

namespace ConsoleRun {

// The program's arguments as Windows passed them (UTF-16), the program's own name first.
std::vector<std::u16string> CommandLineArguments();

// The arguments from `first` on joined with single spaces, so an unquoted path with spaces still names its
// file.
std::u16string JoinArguments(const std::vector<std::u16string>& arguments, size_t first);

// A program of the window subsystem has no console of its own: this attaches it to the console of the program
// that started it (cmd.exe, PowerShell), when there is one, and points the output streams that were not
// redirected at that console. False when there is no such console.
bool AttachParentConsole();

// "--help", "-h" or "--version" when it is the only argument and no file of that name exists (the whole
// command line is a path, so such a file still runs); empty otherwise.
std::u16string OwnOption(const std::vector<std::u16string>& arguments);

// Writes the usage ("--help": the forms of the command, the exit statuses) or the name and version
// ("--version") on standard output; returns the exit status, 0.
int WriteOwnOption(const std::u16string& option);

// What a missing macro file does: the console runner says so in one line on standard error; the editor
// program, which a user starts from Explorer as often as from a console, stays silent.
enum class MissingFile { Report, Silent };

// Reads the macro file and runs it from the top without a window of its own (MSGBOX, INPUTBOX and MES show
// theirs): PRINT lines and "終了しました。" on standard output, error lines on standard error; Pause, Ctrl+C
// or closing the console stops the run (code 100), also while a box waits. Returns the exit status: the final
// error code, 2 when the file does not exist (nothing on standard output) or cannot be read.
int RunMacroFile(const std::u16string& path, MissingFile missing);

} // namespace ConsoleRun
