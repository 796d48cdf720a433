// The editor QuillonMacro.exe driven as a user would: typing, F5, the debug log, errors, Pause from another
// program, the buffer file, the unsaved-text question and the macro's dialogs answered with keys.
#include "gui_session.h"

#include <gtest/gtest.h>

using namespace GuiDriver;
using WineTest::WaitUntil;

namespace {

std::vector<std::string> LastLines(const std::vector<std::string>& lines, size_t count) {
    if (lines.size() <= count) return lines;
    return {lines.end() - static_cast<std::ptrdiff_t>(count), lines.end()};
}

// The files of the folder whose names match the pattern.
size_t FilesIn(const std::wstring& folder, const std::wstring& pattern = L"*") {
    size_t count = 0;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\" + pattern).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return 0;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) ++count;
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return count;
}

// The message box of the program (MSGBOX and the editor's own questions), once it is the active window.
HWND WaitForBox(EditorSession& editor, const std::wstring& caption) {
    HWND box = editor.Program().WaitForWindow(caption);
    if (box != nullptr) BringToFront(box);
    return box;
}

const std::string kCountingMacro = "' 日本語のコメント\n"
                                   "DIM i, total\n"
                                   "FOR i = 1 TO 3\n"
                                   "total = total + i\n"
                                   "NEXT\n"
                                   "PRINT \"合計 = \" + STR(total)\n"
                                   "PRINT \"こんにちは、世界\"\n"
                                   "NoSuchThing 1\n"
                                   "PRINT \"ここには来ない\"";

const std::string kEndlessMacro = "PRINT \"ループ開始\"\n"
                                  "MES \"止めるまで回ります\"\n"
                                  "WHILE 1\n"
                                  "WEND";

TEST(Editor, TypedMacroRunsPrintsItsErrorAndPauseStopsItFromAnotherProgram) {
    EditorSession editor;
    ASSERT_NE(editor.Window(), nullptr) << "no window captioned Quillonマクロ";
    ASSERT_TRUE(editor.Activate());

    // Typed through Unicode key events, the Japanese text arrives whole, and nothing is added to it.
    editor.TypeMacro(kCountingMacro);
    EXPECT_EQ(editor.Text(), kCountingMacro);
    // The modified text gets its recovery copy in the private LOCALAPPDATA.
    const std::wstring recovery = editor.Program().LocalAppData() + L"\\QuillonMacro\\recovery";
    EXPECT_TRUE(WaitUntil([&] { return FilesIn(recovery) > 0; }));

    PressKey(VK_F5);
    const std::vector<std::string> expected = {
        "合計 = 6", "こんにちは、世界", "未定義の名前です", "未定義の関数/変数が使用されました - NoSuchThing",
        "行=8",     "終了しました。"};
    EXPECT_EQ(editor.LogAfterRuns(1), expected);
    EXPECT_EQ(FileBytes(editor.BufferFile()), ToCp932WithCrLf(kCountingMacro + "\n"));
    EXPECT_TRUE(SaveScreenshot(L"editor", {editor.Window()}));

    // An endless loop, stopped with Pause while another program is the active window.
    editor.TypeMacro(kEndlessMacro);
    PressKey(VK_F5);
    ASSERT_NE(editor.Program().WaitForWindow(L"メッセージ"), nullptr) << "the run did not reach MES";
    EXPECT_TRUE(WaitUntil([&] {
        return FileBytes(editor.BufferFile()) == ToCp932WithCrLf(kEndlessMacro + "\n");
    })) << "the buffer beside the program holds the running text";
    const WineTest::TemporaryFolder otherFolder;
    const WineTest::TestWindow other(L"他のプログラム", otherFolder.File(L"keys.log"));
    ASSERT_NE(other.Handle(), nullptr);
    ASSERT_TRUE(other.BringToFront());
    PressKey(VK_PAUSE);
    EXPECT_TRUE(editor.Program().WaitForWindowGone(L"メッセージ")) << "Pause did not stop the run";
    // The key never reached the program in front, and once the run has ended the editor is active again.
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == editor.Window(); }))
        << "the editor is not active after the run";
    for (const std::string& line : other.Log()) EXPECT_NE(line.rfind("key down 19 ", 0), 0u) << line;

    ASSERT_TRUE(editor.Activate());
    const std::vector<std::string> stopped = LastLines(editor.LogAfterRuns(2), 5);
    ASSERT_EQ(stopped.size(), 5u);
    EXPECT_EQ(stopped[0], "ループ開始");
    EXPECT_EQ(stopped[1], "ユーザによって終了されました");
    EXPECT_EQ(stopped[2], "");
    EXPECT_TRUE(stopped[3] == "行=3" || stopped[3] == "行=4") << "the line of the loop";
    EXPECT_EQ(stopped[4], "終了しました。");

    // Idle again: F5 runs the text once more, and Esc in the editor's window stops it too.
    PressKey(VK_F5);
    ASSERT_NE(editor.Program().WaitForWindow(L"メッセージ"), nullptr);
    ASSERT_TRUE(editor.Activate());
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(editor.Program().WaitForWindowGone(L"メッセージ")) << "Esc did not stop the run";
    const std::vector<std::string> again = LastLines(editor.LogAfterRuns(3), 5);
    ASSERT_EQ(again.size(), 5u);
    EXPECT_EQ(std::vector<std::string>(again.begin(), again.begin() + 2),
              (std::vector<std::string>{"ループ開始", "ユーザによって終了されました"}));

    // Closing asks about the unsaved text: Esc (キャンセル) keeps window and text, いいえ drops the text.
    editor.FocusText();
    PressKeys({VK_CONTROL, VK_F4});
    HWND question = WaitForBox(editor, EditorSession::kBoxCaption);
    ASSERT_NE(question, nullptr) << "no question on closing";
    EXPECT_TRUE(SaveScreenshot(L"unsaved-question", {editor.Window(), question}));
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(editor.Program().WaitForWindowGone(EditorSession::kBoxCaption));
    EXPECT_FALSE(editor.Program().WaitForExit(0));
    EXPECT_EQ(editor.Text(), kEndlessMacro);

    PressKeys({VK_CONTROL, VK_F4});
    ASSERT_NE(WaitForBox(editor, EditorSession::kBoxCaption), nullptr);
    PressKeys({VK_MENU, 'N'});
    EXPECT_EQ(editor.Program().WaitForExit(WineTest::kPatienceMs), 0u);
    EXPECT_FALSE(FileExists(editor.BufferFile())) << "the buffer goes with the window";
    EXPECT_EQ(FilesIn(recovery), 0u) << "a text dropped on purpose leaves no recovery copy";
}

TEST(Editor, MacroDialogsTakeTheirAnswersAndClosingSavesTheText) {
    EditorSession editor;
    ASSERT_NE(editor.Window(), nullptr);
    ASSERT_TRUE(editor.Activate());
    const std::string macro = "DIM a, b, c\n"
                              "MES \"お知らせです\", 1440, 720\n"
                              "a = MSGBOX(\"続けますか？\", 4 + 32)\n"
                              "PRINT \"MSGBOX=\" + STR(a)\n"
                              "b = INPUTBOX(\"名前を入力してください\", \"名前\")\n"
                              "PRINT \"INPUTBOX=\" + b\n"
                              "c = INPUTBOX(\"もう一度\")\n"
                              "PRINT \"取消=[\" + c + \"]\"";
    editor.TypeMacro(macro);
    PressKey(VK_F5);

    // MES places its window in twips: 1440 twips are one inch, 720 half an inch, from the screen's corner.
    HWND mes = editor.Program().WaitForWindow(L"メッセージ");
    ASSERT_NE(mes, nullptr);
    HWND box = WaitForBox(editor, EditorSession::kBoxCaption);
    ASSERT_NE(box, nullptr) << "no MSGBOX";
    HDC screen = GetDC(nullptr);
    const int dpiX = GetDeviceCaps(screen, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    RECT place{};
    GetWindowRect(mes, &place);
    EXPECT_EQ(place.top, dpiY / 2);
    // Qt leaves out the resize border that Windows 10 draws invisibly, so the frame may start a few pixels to
    // the left of the inch.
    EXPECT_LE(place.left, dpiX);
    EXPECT_GE(place.left, dpiX - 8);
    EXPECT_TRUE(SaveScreenshot(L"msgbox", {editor.Window(), mes, box}));
    PressKeys({VK_MENU, 'N'}); // いいえ(&N): 7

    ASSERT_NE(WaitForBox(editor, L"名前"), nullptr) << "no INPUTBOX with its title";
    TypeText("山田太郎\n");
    EXPECT_TRUE(editor.Program().WaitForWindowGone(L"名前"));
    // Without a title the input box has the program's.
    ASSERT_NE(WaitForBox(editor, EditorSession::kBoxCaption), nullptr);
    TypeText("捨てる文字");
    PressKey(VK_ESCAPE);

    const std::vector<std::string> expected = {"MSGBOX=7", "INPUTBOX=山田太郎", "取消=[]", "終了しました。"};
    EXPECT_EQ(editor.LogAfterRuns(1), expected);
    EXPECT_TRUE(editor.Program().WaitForWindowGone(L"メッセージ")) << "the run's end closes the MES window";

    // Closing with はい saves through the save dialog, then the program ends.
    editor.FocusText();
    PressKeys({VK_CONTROL, VK_F4});
    ASSERT_NE(WaitForBox(editor, EditorSession::kBoxCaption), nullptr);
    PressKeys({VK_MENU, 'Y'});
    HWND saveDialog = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        for (const TopWindow& window : editor.Program().Windows())
            if (window.handle != editor.Window() && window.caption != EditorSession::kBoxCaption)
                saveDialog = window.handle;
        return saveDialog != nullptr;
    })) << "no save dialog";
    BringToFront(saveDialog);
    const std::wstring saved = editor.Folder().File(L"保存したマクロ.qlx");
    TypeText(saved + L"\n");
    EXPECT_EQ(editor.Program().WaitForExit(WineTest::kPatienceMs), 0u);
    EXPECT_EQ(FileBytes(saved), ToCp932WithCrLf(macro + "\n"));
    EXPECT_FALSE(FileExists(editor.BufferFile()));
}

// "--edit FILE", the form the file type uses: the file (a Japanese name, CP932 text) opens in the editor
// and is not run; unchanged, it closes without a question.
TEST(Editor, EditOpensAFileWithoutRunningItAndClosesWithoutAsking) {
    const WineTest::TemporaryFolder files;
    const std::wstring path = files.File(L"日本語のマクロ.qlx");
    const std::string text = "PRINT \"開いただけ\"\nMSGBOX \"実行されてはいけません\"\n";
    WineTest::WriteBytes(path, ToCp932WithCrLf(text));
    EditorSession editor(L"--edit \"" + path + L"\"");
    ASSERT_NE(editor.Window(), nullptr);
    EXPECT_TRUE(WaitUntil([&] {
        wchar_t caption[1024] = {};
        GetWindowTextW(editor.Window(), caption, 1024);
        return caption == std::wstring(EditorSession::kCaption) + L" - " + path;
    }));
    ASSERT_TRUE(editor.Activate());
    EXPECT_EQ(editor.Text(), text);
    EXPECT_EQ(editor.Program().Windows().size(), 1u) << "the macro ran and showed its box";
    PressKeys({VK_CONTROL, VK_F4});
    EXPECT_EQ(editor.Program().WaitForExit(WineTest::kPatienceMs), 0u);
}

// A text never saved survives the editor's sudden end: the next start offers its recovery copy, 復元 (the
// default, Enter) brings it back, and once it is deliberately dropped no copy is left.
TEST(Editor, TextOfAKilledEditorIsOfferedBackAtTheNextStart) {
    const std::string text = "' 保存していない文章\nPRINT \"復元されました\"";
    // The user folders outlive the first editor and its folder.
    const WineTest::TemporaryFolder user;
    const std::wstring home = user.File(L"home");
    const std::wstring recovery = home + L"\\local\\QuillonMacro\\recovery";
    {
        EditorSession crashed(L"", home);
        ASSERT_NE(crashed.Window(), nullptr);
        ASSERT_TRUE(crashed.Activate());
        crashed.TypeMacro(text);
        ASSERT_TRUE(WaitUntil([&] { return FilesIn(recovery, L"*.recovery") > 0; }))
            << "no recovery copy was written";
        crashed.Program().Kill();
    }

    EditorSession editor(L"", home);
    ASSERT_NE(editor.Window(), nullptr);
    HWND question = WaitForBox(editor, EditorSession::kBoxCaption);
    ASSERT_NE(question, nullptr) << "the recovery copy was not offered";
    EXPECT_TRUE(SaveScreenshot(L"recovery-question", {editor.Window(), question}));
    PressKey(VK_RETURN);
    ASSERT_TRUE(editor.Program().WaitForWindowGone(EditorSession::kBoxCaption));
    EXPECT_EQ(editor.Text(), text);

    PressKeys({VK_CONTROL, VK_F4});
    ASSERT_NE(WaitForBox(editor, EditorSession::kBoxCaption), nullptr) << "a restored text counts as unsaved";
    PressKeys({VK_MENU, 'N'});
    EXPECT_EQ(editor.Program().WaitForExit(WineTest::kPatienceMs), 0u);
    EXPECT_EQ(FilesIn(recovery), 0u);
}

// The end of the Windows session: WM_QUERYENDSESSION (the session asks its programs to save) gets the text
// typed just now into its recovery copy at once, without waiting for typing to pause; WM_ENDSESSION, after
// which the system ends the program, removes the buffer file the last run left.
TEST(Editor, TheSessionsEndKeepsTheTextAndLeavesNoBufferFile) {
    const WineTest::TemporaryFolder user;
    const std::wstring home = user.File(L"home");
    const std::wstring recovery = home + L"\\local\\QuillonMacro\\recovery";
    EditorSession editor(L"", home);
    ASSERT_NE(editor.Window(), nullptr);
    ASSERT_TRUE(editor.Activate());
    editor.TypeMacro("PRINT \"一度実行\"");
    PressKey(VK_F5);
    const std::vector<std::string> log = editor.LogAfterRuns(1);
    ASSERT_FALSE(log.empty());
    ASSERT_TRUE(FileExists(editor.BufferFile()));

    // The keys typed are in the text (a message sent to the window would overtake keys still queued), and
    // reading it back takes well under the pause after which the copy would be written anyway.
    const std::string text = "' ログオフ直前の文章\nPRINT \"残ります\"";
    editor.TypeMacro(text);
    ASSERT_EQ(editor.Text(), text);
    DWORD_PTR answer = 0;
    ASSERT_NE(SendMessageTimeoutW(editor.Window(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_BLOCK,
                                  WineTest::kPatienceMs, &answer),
              0);
    EXPECT_EQ(answer, 1u) << "the editor refused the end of the session";
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((recovery + L"\\*.recovery").c_str(), &found);
    EXPECT_NE(search, INVALID_HANDLE_VALUE) << "no recovery copy right after the question";
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        EXPECT_EQ(FileBytes(recovery + L"\\" + found.cFileName),
                  "QuillonMacro recovery copy 1\nfile: \n\n" + text);
    }

    SendMessageTimeoutW(editor.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_BLOCK,
                        WineTest::kPatienceMs, &answer);
    EXPECT_FALSE(FileExists(editor.BufferFile()));
    editor.Program().Kill(); // as the system does once the message is answered
}

} // namespace
