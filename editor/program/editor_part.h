// QmRunEditor: the entry of the editor part, which holds the editor window and Qt's widgets, and
// QmOpenCommandLineDialogs, the Qt dialogs of a run from the command line. On Linux the program loads the
// part by its file name only when a window or a dialog opens; elsewhere the part is linked in.
#pragma once

class UserInterface;

inline constexpr char kEditorPartFile[] = "quillonmacro-editor.so";
inline constexpr char kRunEditorEntry[] = "QmRunEditor";
inline constexpr char kOpenDialogsEntry[] = "QmOpenCommandLineDialogs";

// Runs the editor window on the real desktop until it is closed: offers a recovery copy left by an editor
// that ended without saving, then opens the file at path (the system's bytes) when path is not empty;
// returns the program's exit status. argc and argv are the program's and outlive the call.
extern "C" int QmRunEditor(int* argc, char** argv, const char* path);
using RunEditorEntry = decltype(&QmRunEditor);

// Starts Qt on the desktop for a run from the command line and returns the dialogs of the built-ins as the
// editor shows them (message box, input box, the message window of MES), with no window of their own to
// belong to. While a dialog waits for its answer, `stopRequested` is asked now and then: when it answers
// true the dialog is cancelled, so a stop is never held up by a dialog nobody answers. The caller deletes
// the returned object before the program ends, which closes the windows and ends Qt.
extern "C" UserInterface* QmOpenCommandLineDialogs(bool (*stopRequested)());
using OpenDialogsEntry = decltype(&QmOpenCommandLineDialogs);
