// Tests of MSGBOX, INPUTBOX and MES in a windowless run: the boxes and the message window found among the
// process's windows, read, answered with keys and clicks, the answers in the output; stops; unseen desktops.
#include "runner_process.h"
#include "wine_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

namespace {

using WineTest::Quoted;
using WineTest::RunResult;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kMessageWindowClass[] = L"QuillonMacroMessageWindow";

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

// The visible box of the process other than `previous` (which may still be on its way out), once it is there.
HWND WaitForBox(DWORD processId, HWND previous = nullptr) {
    struct Search {
        DWORD processId;
        HWND previous;
        HWND found;
    } search{processId, previous, nullptr};
    WineTest::WaitUntil([&search] {
        search.found = nullptr;
        EnumWindows(
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner != s->processId || window == s->previous || !IsWindowVisible(window) ||
                    ClassOf(window) != kDialogClass)
                    return TRUE;
                s->found = window;
                return FALSE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    });
    return search.found;
}

// The texts of the box's static controls that have one (the message or the prompt), one per line.
std::wstring StaticTexts(HWND box) {
    std::wstring texts;
    EnumChildWindows(
        box,
        [](HWND child, LPARAM data) -> BOOL {
            auto* all = reinterpret_cast<std::wstring*>(data);
            if (_wcsicmp(ClassOf(child).c_str(), L"Static") == 0 && !TextOf(child).empty())
                *all += (all->empty() ? L"" : L"\n") + TextOf(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

std::wstring ButtonText(HWND box, int id) {
    const HWND button = GetDlgItem(box, id);
    return button != nullptr ? TextOf(button) : L"(none)";
}

// Keys as the keyboard makes them: a virtual key pressed and released, or characters as Unicode key events.
void PressKey(WORD key) {
    INPUT input[2] = {};
    for (INPUT& one : input) {
        one.type = INPUT_KEYBOARD;
        one.ki.wVk = key;
    }
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
}

void TypeText(const std::wstring& text) {
    for (const wchar_t c : text) {
        INPUT input[2] = {};
        for (INPUT& one : input) {
            one.type = INPUT_KEYBOARD;
            one.ki.wScan = c;
            one.ki.dwFlags = KEYEVENTF_UNICODE;
        }
        input[1].ki.dwFlags |= KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, input, sizeof(INPUT));
    }
}

// The box comes to the front by itself, so the user can answer it with the keyboard at once.
bool IsInFront(HWND box) {
    return WineTest::WaitUntil([box] { return GetForegroundWindow() == box; }, 5000);
}

// The control of the box that has the keyboard focus (a message box's default button has it).
HWND FocusOf(HWND box) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

// A click on the box's button as a mouse click would make it.
void Click(HWND box, int id) {
    SendMessageW(GetDlgItem(box, id), BM_CLICK, 0, 0);
}

class RunnerDialogs : public ::testing::TestWithParam<const wchar_t*> {
  protected:
    RunResult RunMacro(const std::string& macro, const std::function<void(DWORD processId)>& whileRunning) {
        const std::wstring path = folder_.File(L"dialogs.qlx");
        WineTest::WriteBytes(path, macro);
        return WineTest::RunProgram(
            GetParam(), Quoted(path),
            [&whileRunning](const PROCESS_INFORMATION& process) { whileRunning(process.dwProcessId); });
    }

    WineTest::TemporaryFolder folder_;
};

TEST_P(RunnerDialogs, MessageBoxesShowTheirStyleAndReturnTheButtonPressed) {
    const RunResult result = RunMacro("PRINT \"ready\"\r\n"
                                      "PRINT MSGBOX(\"続けますか？\", 4 + 32 + 256)\r\n"
                                      "PRINT MSGBOX(\"保存しますか？\", 3 + 512)\r\n"
                                      "PRINT MSGBOX(\"終わりです\", 16 + 7 + 768 + 16384)\r\n",
                                      [](DWORD processId) {
                                          // Yes and No, the question icon, No the default: answered No.
                                          const HWND yesNo = WaitForBox(processId);
                                          ASSERT_NE(yesNo, nullptr);
                                          EXPECT_EQ(TextOf(yesNo), L"QuillonMacro");
                                          EXPECT_EQ(StaticTexts(yesNo), L"続けますか？");
                                          EXPECT_EQ(ButtonText(yesNo, IDYES), L"はい(&Y)");
                                          EXPECT_EQ(ButtonText(yesNo, IDNO), L"いいえ(&N)");
                                          EXPECT_EQ(GetDlgItem(yesNo, IDCANCEL), nullptr);
                                          EXPECT_EQ(FocusOf(yesNo), GetDlgItem(yesNo, IDNO));
                                          EXPECT_TRUE(IsInFront(yesNo));
                                          Click(yesNo, IDNO);
                                          // Yes, No and Cancel with the third the default: Enter answers
                                          // Cancel.
                                          const HWND three = WaitForBox(processId, yesNo);
                                          ASSERT_NE(three, nullptr);
                                          EXPECT_EQ(ButtonText(three, IDCANCEL), L"キャンセル");
                                          ASSERT_TRUE(IsInFront(three));
                                          WineTest::LetTheDesktopSettle();
                                          PressKey(VK_RETURN);
                                          // A button part macros do not know (7) is OK alone; the help button
                                          // (16384) and a fourth default button are not shown.
                                          const HWND okOnly = WaitForBox(processId, three);
                                          ASSERT_NE(okOnly, nullptr);
                                          EXPECT_EQ(ButtonText(okOnly, IDOK), L"OK");
                                          for (const int other : {IDCANCEL, IDYES, IDNO, IDTRYAGAIN, 9})
                                              EXPECT_EQ(GetDlgItem(okOnly, other), nullptr) << other;
                                          Click(okOnly, IDOK);
                                      });
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "ready\r\n7\r\n2\r\n1\r\n終了しました。\r\n");
    EXPECT_EQ(result.err, "");
}

TEST_P(RunnerDialogs, InputBoxReturnsTheTypedTextOrNothingWhenCancelled) {
    const RunResult result = RunMacro("PRINT \"ready\"\r\n"
                                      "PRINT INPUTBOX(\"名前を入力してください\", \"入力\")\r\n"
                                      "PRINT \"[\" + INPUTBOX(\"もう一度\") + \"]\"\r\n",
                                      [](DWORD processId) {
                                          const HWND box = WaitForBox(processId);
                                          ASSERT_NE(box, nullptr);
                                          EXPECT_EQ(TextOf(box), L"入力");
                                          EXPECT_EQ(StaticTexts(box), L"名前を入力してください");
                                          EXPECT_EQ(ButtonText(box, IDOK), L"OK");
                                          EXPECT_EQ(ButtonText(box, IDCANCEL), L"キャンセル");
                                          // Typed straight away: the focus is in the edit field.
                                          ASSERT_TRUE(IsInFront(box));
                                          WineTest::LetTheDesktopSettle();
                                          TypeText(L"山田 Taro");
                                          PressKey(VK_RETURN);
                                          // Without a title the program's; Esc cancels.
                                          const HWND again = WaitForBox(processId, box);
                                          ASSERT_NE(again, nullptr);
                                          EXPECT_EQ(TextOf(again), L"QuillonMacro");
                                          ASSERT_TRUE(IsInFront(again));
                                          WineTest::LetTheDesktopSettle();
                                          TypeText(L"消える");
                                          PressKey(VK_ESCAPE);
                                      });
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "ready\r\n山田 Taro\r\n[]\r\n終了しました。\r\n");
    EXPECT_EQ(result.err, "");
}

// The message window stays on top beside the box without taking the focus, where MES puts it in twips, as
// wide as its label with equal margins; a second MES reuses it.
TEST_P(RunnerDialogs, MessageWindowIsPlacedInTwipsAndFitsItsText) {
    const RunResult result =
        RunMacro("PRINT \"ready\"\r\n"
                 "MES \"こんにちは\", 1440, 720\r\n"
                 "PRINT MSGBOX(\"一つ目\")\r\n"
                 "MES \"もっと長いメッセージになりました\"\r\n"
                 "PRINT MSGBOX(\"二つ目\")\r\n"
                 "MES \"三つ目\"\r\n"
                 "PRINT MSGBOX(\"三つ目\")\r\n",
                 [](DWORD processId) {
                     const HDC screen = GetDC(nullptr);
                     const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
                     ReleaseDC(nullptr, screen);
                     const HWND box = WaitForBox(processId);
                     ASSERT_NE(box, nullptr);
                     const HWND message = WineTest::FindWindowOfProcess(processId, kMessageWindowClass);
                     ASSERT_NE(message, nullptr);
                     EXPECT_TRUE(IsWindowVisible(message));
                     EXPECT_EQ(TextOf(message), L"メッセージ");
                     EXPECT_NE(GetWindowLongPtrW(message, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
                     EXPECT_TRUE(IsInFront(box));
                     RECT frame{};
                     GetWindowRect(message, &frame);
                     EXPECT_EQ(frame.left, dpi);
                     EXPECT_EQ(frame.top, dpi / 2);
                     const HWND label = GetWindow(message, GW_CHILD);
                     ASSERT_NE(label, nullptr);
                     EXPECT_EQ(TextOf(label), L"こんにちは");
                     const auto labelInside = [message, label] {
                         RECT place{};
                         GetWindowRect(label, &place);
                         MapWindowPoints(nullptr, message, reinterpret_cast<POINT*>(&place), 2);
                         return place;
                     };
                     const auto clientWidth = [message] {
                         RECT client{};
                         GetClientRect(message, &client);
                         return client.right;
                     };
                     const RECT first = labelInside();
                     EXPECT_EQ(first.left, static_cast<int>(std::lround(120.0 * dpi / 1440)));
                     EXPECT_GT(first.right - first.left, 0);
                     // Twips in whole numbers on the way: within a pixel of equal margins.
                     EXPECT_NEAR(clientWidth(), 2 * first.left + (first.right - first.left), 1);
                     const int firstWidth = clientWidth();
                     Click(box, IDOK);

                     const HWND second = WaitForBox(processId, box);
                     ASSERT_NE(second, nullptr);
                     EXPECT_EQ(WineTest::FindWindowOfProcess(processId, kMessageWindowClass), message);
                     EXPECT_EQ(TextOf(label), L"もっと長いメッセージになりました");
                     GetWindowRect(message, &frame);
                     EXPECT_EQ(frame.left, 0);
                     EXPECT_EQ(frame.top, 0);
                     const RECT longer = labelInside();
                     EXPECT_NEAR(clientWidth(), 2 * longer.left + (longer.right - longer.left), 1);
                     EXPECT_GT(clientWidth(), firstWidth);
                     // Its close button hides it while the box waits; the next MES shows it again.
                     PostMessageW(message, WM_SYSCOMMAND, SC_CLOSE, 0);
                     EXPECT_TRUE(WineTest::WaitUntil([message] { return !IsWindowVisible(message); }));
                     Click(second, IDOK);

                     const HWND third = WaitForBox(processId, second);
                     ASSERT_NE(third, nullptr);
                     EXPECT_TRUE(IsWindowVisible(message));
                     EXPECT_EQ(TextOf(label), L"三つ目");
                     Click(third, IDOK);
                 });
    EXPECT_EQ(result.exitCode, 0u) << result.err;
    EXPECT_EQ(result.out, "ready\r\n1\r\n1\r\n1\r\n終了しました。\r\n");
}

// A box nobody answers does not hold up a stop: "--stop" (as Pause from another program) and Pause itself
// close it and the run ends stopped at the box's line.
TEST_P(RunnerDialogs, StopWhileABoxWaitsClosesItAndStopsTheRun) {
    for (const char* box : {"MSGBOX(\"待っています\", 4)", "INPUTBOX(\"待っています\")"}) {
        const bool message = std::string(box).starts_with("MSGBOX");
        HWND shown = nullptr;
        const RunResult result =
            RunMacro("DIM x\r\nPRINT \"asking\"\r\nx = " + std::string(box) + "\r\nPRINT \"never\"\r\n",
                     [&](DWORD processId) {
                         shown = WaitForBox(processId);
                         ASSERT_NE(shown, nullptr);
                         if (message) {
                             EXPECT_EQ(WineTest::RunProgram(QM_RUNNER_NAME_W, L"--stop").exitCode, 0u);
                         } else {
                             ASSERT_TRUE(IsInFront(shown));
                             WineTest::LetTheDesktopSettle();
                             WineTest::PressPause();
                         }
                     });
        EXPECT_EQ(result.exitCode, 100u) << box;
        EXPECT_EQ(result.out, "asking\r\n終了しました。\r\n") << box;
        EXPECT_EQ(result.err, "ユーザによって終了されました\r\n\r\n行=3\r\n") << box;
        EXPECT_FALSE(IsWindow(shown)) << box;
    }
}

// On a window station nobody sees (a service's, or a task's that runs whether the user is logged on or not)
// no box could ever be answered: the dialog built-ins fail at once with code 7 instead of waiting for good.
TEST(RunnerDialogsUnseen, OnAnInvisibleWindowStationTheDialogsFailWithCodeSeven) {
    const HWINSTA station = CreateWindowStationW(L"QuillonMacroTestStation", 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(station, nullptr);
    USEROBJECTFLAGS flags{};
    ASSERT_TRUE(GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr));
    if ((flags.dwFlags & WSF_VISIBLE) != 0) GTEST_SKIP() << "this system shows every window station";
    const HWINSTA own = GetProcessWindowStation();
    ASSERT_TRUE(SetProcessWindowStation(station));
    const HDESK desktop = CreateDesktopW(L"Unseen", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    SetProcessWindowStation(own);
    ASSERT_NE(desktop, nullptr);
    WineTest::TemporaryFolder folder;
    const std::wstring path = folder.File(L"unseen.qlx");
    const std::pair<std::string, std::string> calls[] = {
        {"x = MSGBOX(\"x\")", "MSGBOX"}, {"x = INPUTBOX(\"x\")", "INPUTBOX"}, {"MES \"x\"", "MES"}};
    for (const auto& [call, name] : calls) {
        WineTest::WriteBytes(path, "DIM x\r\nPRINT 1\r\n" + call + "\r\nPRINT 2\r\n");
        const RunResult result =
            WineTest::RunProgram(QM_RUNNER_NAME_W, Quoted(path), {}, L"QuillonMacroTestStation\\Unseen");
        EXPECT_EQ(result.exitCode, 7u) << call;
        EXPECT_EQ(result.out, "1\r\n終了しました。\r\n") << call;
        EXPECT_EQ(result.err,
                  "関数の呼び出しが不正です\r\n画面が使用できないため、ダイアログを表示できません - " + name +
                      "\r\n行=3\r\n")
            << call;
    }
    CloseDesktop(desktop);
    CloseWindowStation(station);
}

std::string ProgramName(const ::testing::TestParamInfo<const wchar_t*>& info) {
    return std::wstring(info.param) == QM_RUNNER_NAME_W ? "Console" : "Editor";
}

#ifdef QM_EDITOR_NAME_W
INSTANTIATE_TEST_SUITE_P(Programs, RunnerDialogs, ::testing::Values(QM_RUNNER_NAME_W, QM_EDITOR_NAME_W),
                         ProgramName);
#else
INSTANTIATE_TEST_SUITE_P(Programs, RunnerDialogs, ::testing::Values(QM_RUNNER_NAME_W), ProgramName);
#endif

} // namespace
