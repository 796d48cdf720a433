// The window information's ready lines: GETWINID names that find exactly the shown window, string constants
// a macro can hold, and lines that a macro really parses.
#include "window_info_lines.h"

#include "error.h"
#include "macro_facade.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

std::string Text(const QStringList& lines) {
    return lines.join(QStringLiteral(" | ")).toStdString();
}

WindowDescription Window(int32_t handle, std::u16string className, std::u16string instance,
                         std::u16string title) {
    WindowDescription window;
    window.window = handle;
    window.className = std::move(className);
    window.instanceName = std::move(instance);
    window.title = std::move(title);
    window.placement = {1, 100, 50, 740, 530};
    return window;
}

// A desktop of windows, topmost first, searched as GETWINID searches: either name part, then the title.
struct Desktop {
    std::vector<WindowDescription> windows;
    int32_t Find(const std::u16string& name, const std::u16string* title) const {
        for (const WindowDescription& w : windows) {
            if (w.className != name && w.instanceName != name) continue;
            if (title == nullptr || w.title == *title) return w.window;
        }
        return 0;
    }
    WindowFinder Finder() const {
        return [this](const std::u16string& name, const std::u16string* title) { return Find(name, title); };
    }
};

} // namespace

TEST(WindowInfoLines, GetWinIdUsesTheNamesThatFindThisWindowFirst) {
    Desktop desktop;
    desktop.windows = {Window(7, u"XTerm", u"xterm", u"ログ"), Window(9, u"XTerm", u"build", u"ビルド \"1\""),
                       Window(11, u"Notepad", u"", u"メモ")};
    // The only window of its class: the class alone.
    EXPECT_EQ(Text(GetWinIdLines(desktop.windows[2], desktop.Finder())), "DIM w | w = GETWINID(\"Notepad\")");
    // The class is shared, but the instance part finds it.
    EXPECT_EQ(Text(GetWinIdLines(desktop.windows[1], desktop.Finder())), "DIM w | w = GETWINID(\"build\")");
    // Shared class and instance: the title too, its quotes doubled.
    desktop.windows[1].instanceName = u"xterm";
    EXPECT_EQ(Text(GetWinIdLines(desktop.windows[1], desktop.Finder())),
              "DIM w | w = GETWINID(\"XTerm\", \"ビルド \"\"1\"\"\")");
    // Even the title is shared with a window above: said in a comment.
    desktop.windows[1].title = u"ログ";
    EXPECT_EQ(Text(GetWinIdLines(desktop.windows[1], desktop.Finder())),
              "DIM w | ' 同じクラス名と題名のウィンドウが他にもあります | w = GETWINID(\"XTerm\", \"ログ\")");
}

TEST(WindowInfoLines, TextsAMacroCannotHoldAreNeverWritten) {
    EXPECT_EQ(MacroStringLiteral(QStringLiteral("a\"b")), QStringLiteral("\"a\"\"b\""));
    EXPECT_EQ(MacroStringLiteral(QStringLiteral("ｱ日本?")), QStringLiteral("\"ｱ日本?\""));
    EXPECT_FALSE(MacroStringLiteral(QStringLiteral("tab\there")));
    EXPECT_FALSE(MacroStringLiteral(QString::fromUtf8("絵文字 \xF0\x9F\x98\x80")));
    Desktop desktop;
    desktop.windows = {Window(3, u"Shared", u"", u"a"), Window(4, u"Shared", u"", u"b\tc")};
    EXPECT_EQ(Text(GetWinIdLines(desktop.windows[1], desktop.Finder())),
              "DIM w | ' クラス名か題名にマクロで書けない文字があります | w = GETWINID(\"Shared\")");
}

TEST(WindowInfoLines, InsertedLinesParseAsAMacro) {
    Desktop desktop;
    desktop.windows = {Window(7, u"XTerm", u"xterm", u"題 \"x\"")};
    QStringList lines = GetWinIdLines(desktop.windows[0], desktop.Finder());
    lines << SetWinLine(desktop.windows[0]) << MusMoveLines(640, 512, {0, 0, 1280, 1024})
          << GetColorLines(3, 4, 0x00FF8000);
    EXPECT_EQ(Text(lines),
              "DIM w | w = GETWINID(\"XTerm\") | SETWIN w, 100, 50 | MUSORG 1 | "
              "MUS MOVE, 32794, 32800 ' (640, 512) | IF GETCOLOR(3, 4) = 16744448 THEN | \t | END IF");
    cMoMacro macro;
    macro.SetMacroText(lines.join(QStringLiteral("\r\n")).toStdU16String());
    EXPECT_EQ(macro.Error().ErrorCode(), 0) << Text(lines);
}
