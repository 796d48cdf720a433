// The editor under test: started from a link in a private folder, its window found by caption, its text and
// log read through the clipboard.
#include "gui_session.h"

#include <algorithm>

using namespace GuiDriver;

namespace {

// Places in the window's client area, which holds the menu bar, the tool strip, the macro text, the splitter,
// the log and the 17-pixel status strip: the text fills the upper part, the log the 80 pixels above the
// status strip.
constexpr int kTextX = 200;
constexpr int kTextY = 110;
constexpr int kLogFromBottom = 17 + 40;
// How long one copy may take before it is tried again.
constexpr int kCopyAttemptMs = 4000;

} // namespace

EditorSession::EditorSession(const std::wstring& arguments, const std::wstring& home)
    : home_(home.empty() ? folder_.File(L"home") : home) {
    // The program is linked beside the test's files, so the buffer file it keeps beside itself is the test's
    // own.
    program_ = std::make_unique<GuiDriver::Program>(LinkProgramInto(folder_.Path(), QM_EDITOR_NAME_W),
                                                    arguments, home_);
    if (!program_->Started()) return;
    WineTest::WaitUntil([this] {
        for (const TopWindow& window : program_->Windows())
            if (window.caption.rfind(kCaption, 0) == 0) window_ = window.handle;
        return window_ != nullptr;
    });
}

void EditorSession::FocusText() const {
    if (GetForegroundWindow() != window_) BringToFront(window_);
    ClickInWindow(window_, kTextX, kTextY);
}

// On a loaded machine a click or keys can be lost while the window is being activated, and F5 would then run
// the old text: the text is typed again (over a select-all, so never twice) until the editor holds it.
void EditorSession::TypeMacro(const std::string& text) const {
    constexpr int kAttempts = 3;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        FocusText();
        PressKeys({VK_CONTROL, 'A'});
        TypeText(text);
        if (Text() == text) break;
    }
    // The check copied the whole text and left it selected: the caret goes back to the end, where typing left
    // it.
    PressKeys({VK_CONTROL, VK_END});
}

// A click or keys can be lost while the window is still being activated, so the copy is tried again until
// text comes.
std::optional<std::string> EditorSession::Text() const {
    std::optional<std::string> text;
    WineTest::WaitUntil([&] {
        FocusText();
        text = CopyWith(
            [] {
                PressKeys({VK_CONTROL, 'A'});
                PressKeys({VK_CONTROL, 'C'});
            },
            kCopyAttemptMs);
        return text.has_value();
    });
    return text;
}

std::vector<std::string>
EditorSession::LogLinesWhen(const std::function<bool(const std::vector<std::string>&)>& ready) const {
    std::vector<std::string> lines;
    int attempt = 0;
    WineTest::WaitUntil(
        [&] {
            // While a dialog of the macro is open the window takes no clicks; when the run ends the focus
            // goes back to the macro text. So the log is read only from an enabled, active window, again and
            // again.
            if (!IsWindowEnabled(window_)) return false;
            if (GetForegroundWindow() != window_) BringToFront(window_);
            // Two clicks at one place within the double-click time would be a double click, which on a "行=N"
            // line moves the focus to the macro text: the click alternates between two places.
            ClickInWindow(window_, attempt++ % 2 == 0 ? 60 : 300, -kLogFromBottom);
            const std::optional<std::string> text = CopyWith(
                [] {
                    PressKeys({VK_CONTROL, VK_HOME});
                    PressKeys({VK_CONTROL, VK_SHIFT, VK_END});
                    PressKeys({VK_CONTROL, 'C'});
                },
                kCopyAttemptMs);
            lines = text ? Lines(*text) : std::vector<std::string>{};
            return ready(lines);
        },
        2 * WineTest::kPatienceMs);
    return lines;
}

std::vector<std::string> EditorSession::LogAfterRuns(int runs) const {
    return LogLinesWhen([runs](const std::vector<std::string>& lines) {
        return std::count(lines.begin(), lines.end(), "終了しました。") >= runs;
    });
}
