// The quick-input dialog and Glossel driven as a user would: key presses recorded as KBD lines and applied
// into the editor; the viewer's search as the user types, its data files left untouched.
#include "gui_session.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>

using namespace GuiDriver;
using WineTest::WaitUntil;

namespace {

std::optional<std::string> CopySelection() {
    return CopyWith([] { PressKeys({VK_CONTROL, 'C'}); });
}

std::optional<std::string> CopyAll() {
    return CopyWith([] {
        PressKeys({VK_CONTROL, 'A'});
        PressKeys({VK_CONTROL, 'C'});
    });
}

TEST(EditorTools, QuickInputKeysBecomeKbdLinesInTheEditorAndTheHelpMenuStartsTheViewer) {
    EditorSession editor;
    ASSERT_NE(editor.Window(), nullptr);
    ASSERT_TRUE(editor.Activate());
    editor.TypeMacro("' 記録の前\n");

    // ツール(&T), then its first item "MUS/KBD高速入力".
    PressKeys({VK_MENU, 'T'});
    PressKey(VK_RETURN);
    HWND dialog = editor.Program().WaitForWindow(L"MUS/KBD高速入力(現在調整中...)");
    ASSERT_NE(dialog, nullptr) << "the quick-input dialog did not open";
    ASSERT_TRUE(BringToFront(dialog));
    // Each key is named by its virtual key: keypad 5 as the digit, F12 and the semicolon key by number;
    // Enter, Esc and Tab are recorded rather than acting on the dialog; a key without a name adds nothing.
    for (const WORD key :
         {static_cast<WORD>('A'), static_cast<WORD>(VK_F12), static_cast<WORD>(VK_NUMPAD5),
          static_cast<WORD>(VK_OEM_1), static_cast<WORD>(VK_RETURN), static_cast<WORD>(VK_ESCAPE),
          static_cast<WORD>(VK_TAB), static_cast<WORD>(VK_VOLUME_MUTE)})
        PressKey(key);
    PressKeys({VK_SHIFT, '1'}); // the shift key's own line, then the digit key
    PressKey(VK_LEFT);
    // Physical keys by scan code: the layout (US here) gives them the codes the X11 side's US table gives
    // the same keys (; ' ` \ and the key beside the left Shift).
    for (const WORD scanCode : {0x27, 0x28, 0x29, 0x2B, 0x56}) PressScanCode(scanCode);
    EXPECT_TRUE(SaveScreenshot(L"quick-input", {dialog}));
    // 適用 is the left one of the two buttons in the dialog's bottom right corner. (A click lost while the
    // desktop catches up is made again.)
    ASSERT_TRUE(WaitUntil([&] {
        if (!IsWindowVisible(dialog)) return true;
        ClickInWindow(dialog, -136, -23);
        return WaitUntil([&] { return !IsWindowVisible(dialog); }, 3000);
    })) << "適用 did not close the dialog";

    const std::string expected = "' 記録の前\n"
                                 "MUSORG 1\n"
                                 "KBD VK_A,PRESS,0\n"
                                 "KBD 123,PRESS,0\n"
                                 "KBD VK_5,PRESS,0\n"
                                 "KBD 186,PRESS,0\n"
                                 "KBD VK_RETURN,PRESS,0\n"
                                 "KBD VK_ESCAPE,PRESS,0\n"
                                 "KBD VK_TAB,PRESS,0\n"
                                 "KBD VK_SHIFT,PRESS,0\n"
                                 "KBD VK_1,PRESS,0\n"
                                 "KBD VK_LEFT,PRESS,0\n"
                                 "KBD 186,PRESS,0\n"
                                 "KBD 222,PRESS,0\n"
                                 "KBD 192,PRESS,0\n"
                                 "KBD 220,PRESS,0\n"
                                 "KBD 226,PRESS,0\n";
    EXPECT_EQ(editor.Text(), expected);

    // ヘルプ(&H) → 関数ビューア(&F) starts the viewer found beside the program.
    LinkProgramInto(editor.Folder().Path(), QM_VIEWER_NAME_W);
    PressKeys({VK_MENU, 'H'});
    PressKey('F');
    HWND viewer = WaitForWindowOfAnyProgram(L"関数ビューア");
    if (viewer == nullptr) {
        std::string log;
        for (const std::string& line : editor.LogLinesWhen([](const auto&) { return true; }))
            log += line + "\n";
        FAIL() << "the help menu did not start the viewer; the log says:\n" << log;
    }
    PostMessageW(viewer, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(viewer); }));
}

// A file's bytes and the time it was last written.
struct FileState {
    std::string bytes;
    uint64_t written = 0;
    bool operator==(const FileState&) const = default;
};

// The files of a folder by name.
std::map<std::wstring, FileState> FolderFiles(const std::wstring& folder) {
    std::map<std::wstring, FileState> files;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return files;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        files[name] = {FileBytes(folder + L"\\" + name).value_or("(unreadable)"),
                       (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                           found.ftLastWriteTime.dwLowDateTime};
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return files;
}

// The text of a data file with its line ends as line feeds and none at the end.
std::string WithoutCarriageReturns(const std::string& text) {
    std::string result;
    for (const char c : text)
        if (c != '\r') result += c;
    while (!result.empty() && result.back() == '\n') result.pop_back();
    return result;
}

// The description Data.ini holds for the entry, with its "|" as line breaks.
std::string DescriptionOf(const std::string& dataIni, const std::string& entry) {
    for (const std::string& line : Lines(WithoutCarriageReturns(dataIni))) {
        if (line.rfind(entry + "=", 0) != 0) continue;
        std::string text = line.substr(entry.size() + 1);
        std::replace(text.begin(), text.end(), '|', '\n');
        return text;
    }
    return "(no entry " + entry + ")";
}

TEST(Glossel, SearchAsYouTypeFindsEntriesAndTheDataFilesStayAsTheyWere) {
    // A portable copy of the viewer with its data beside it, which it would write to if it wrote at all.
    WineTest::TemporaryFolder folder;
    const std::wstring program = folder.File(QM_VIEWER_NAME_W);
    const std::wstring original = WineTest::ProgramFolder() + L"\\" QM_VIEWER_NAME_W;
    if (!CreateHardLinkW(program.c_str(), original.c_str(), nullptr))
        CopyFileW(original.c_str(), program.c_str(), FALSE);
    const std::wstring data = folder.File(L"data");
    CreateDirectoryW(data.c_str(), nullptr);
    for (const auto& [name, file] : FolderFiles(WineTest::ProgramFolder() + L"\\data"))
        WineTest::WriteBytes(data + L"\\" + name, file.bytes);
    const std::map<std::wstring, FileState> before = FolderFiles(data);
    ASSERT_EQ(before.count(L"Data.ini"), 1u);
    ASSERT_EQ(before.count(L"VirtualKey.cnt"), 1u);

    Program viewer(program, L"", folder.File(L"home"));
    HWND window = viewer.WaitForWindow(L"関数ビューア");
    ASSERT_NE(window, nullptr) << "no window captioned 関数ビューア";
    ASSERT_TRUE(BringToFront(window));

    // The focus starts in the search field, so typing jumps at once; the list and the description follow in
    // turn.
    TypeText("mux");
    EXPECT_EQ(CopyAll(), "MUX") << "the search text is upper-cased as it is typed";
    PressKey(VK_TAB);
    EXPECT_EQ(CopySelection(), "MUS") << "the entry with the longest common prefix";
    PressKey(VK_TAB);
    EXPECT_EQ(CopyAll(), DescriptionOf(before.at(L"Data.ini").bytes, "MUS"));
    EXPECT_TRUE(SaveScreenshot(L"glossel", {window}));

    // Back to the options: the arrow keys choose 定数/他, whose list the search then works in. Tabbing back
    // may land on either option; an arrow key moves the choice only from the chosen one, so Left first goes
    // to 関数 (or stays there), and Right then chooses 定数/他.
    PressKeys({VK_SHIFT, VK_TAB});
    PressKeys({VK_SHIFT, VK_TAB});
    PressKeys({VK_SHIFT, VK_TAB});
    PressKey(VK_LEFT);
    PressKey(VK_RIGHT);
    PressKey(VK_TAB);
    PressKeys({VK_CONTROL, 'A'});
    TypeText("v");
    PressKey(VK_TAB);
    EXPECT_EQ(CopySelection(), "VirtualKey");
    PressKey(VK_TAB);
    EXPECT_EQ(CopyAll(), WithoutCarriageReturns(before.at(L"VirtualKey.cnt").bytes));

    PressKeys({VK_MENU, VK_F4});
    EXPECT_EQ(viewer.WaitForExit(WineTest::kPatienceMs), 0u);
    EXPECT_TRUE(FolderFiles(data) == before) << "the data files were written";
    EXPECT_FALSE(FileExists(viewer.RoamingAppData() + L"\\QuillonMacro"));
}

} // namespace
