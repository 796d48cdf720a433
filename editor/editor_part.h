// QmRunEditor: the entry of the editor part, which holds the editor window and Qt's widgets. On Linux the
// program loads the part by its file name only when a window opens; elsewhere the part is linked in.
#pragma once

inline constexpr char kEditorPartFile[] = "quillonmacro-editor.so";
inline constexpr char kRunEditorEntry[] = "QmRunEditor";

// Runs the editor window on the real desktop until it is closed: offers a recovery copy left by an editor
// that ended without saving, then opens the file at path (the system's bytes) when path is not empty;
// returns the program's exit status. argc and argv are the program's and outlive the call.
extern "C" int QmRunEditor(int* argc, char** argv, const char* path);
using RunEditorEntry = decltype(&QmRunEditor);
