// Drives the real QuillonMacro program beside another program's window and checks, through the window
// manager's active window, that the editor window is active again after each of its dialogs closes and
// after runs, the aids' windows and the recovery question at start-up, and that the keys typed next (text
// and F5) reach its macro text.
#include "program_driver.h"

#include <QCoreApplication>
#include <QRect>

#include <gtest/gtest.h>

using namespace program_driver;

namespace {

const QByteArray kMarker = QByteArrayLiteral("' back in the editor");

// The window the window manager has made active (xdotool reads _NET_ACTIVE_WINDOW).
QString ActiveWindow() {
    return Tool({QStringLiteral("getactivewindow")});
}

bool WaitActive(const QString& window) {
    return !window.isEmpty() && WaitFor([&] { return ActiveWindow() == window; }, 10000);
}

void Type(const QString& text) {
    Tool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("15"), text});
}

// The place and size of a window on the screen, as the X server holds them.
QRect Geometry(const QString& window) {
    QRect rect;
    const QString out = Tool({QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    for (const QString& line : out.split(u'\n')) {
        const QString value = line.section(u'=', 1);
        if (line.startsWith(QStringLiteral("X="))) rect.moveLeft(value.toInt());
        if (line.startsWith(QStringLiteral("Y="))) rect.moveTop(value.toInt());
        if (line.startsWith(QStringLiteral("WIDTH="))) rect.setWidth(value.toInt());
        if (line.startsWith(QStringLiteral("HEIGHT="))) rect.setHeight(value.toInt());
    }
    return rect;
}

// A visible window of the program titled `title` (a regular expression) that is not one of `known`, or
// of any title when `title` is "": the dialog that has just opened.
QString WaitForNewWindow(qint64 pid, const QStringList& known, const QString& title = {}) {
    QString found;
    WaitFor([&] {
        for (const QString& window : Windows(pid, title))
            if (!known.contains(window)) found = window;
        return !found.isEmpty();
    });
    return found;
}

// Each test starts another program covering the screen and activates it, then starts the editor and
// activates that: the other program is the window a wrong choice of the window manager makes active when a
// dialog closes. The editor is moved almost off the right edge of the screen, so that its dialogs, kept on
// the screen, stand partly over the other program; the pointer rests there while a dialog is answered, as
// it does after a click on one of its buttons. When the dialog closes, the window under the pointer is the
// other program's (openbox then made it active).
class FocusAfterDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        other_.start(QStringLiteral("xlogo"), {QStringLiteral("-title"), QStringLiteral("other-program"),
                                               QStringLiteral("-geometry"), QStringLiteral("1280x1024+0+0")});
        ASSERT_TRUE(other_.waitForStarted(10000));
        ASSERT_TRUE(WaitFor([&] {
            otherWindow_ = Tool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                 QStringLiteral("--name"), QStringLiteral("^other-program$")});
            return !otherWindow_.isEmpty();
        }));
        otherWindow_ = otherWindow_.split(u'\n').first();
        Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), otherWindow_});
        ASSERT_TRUE(WaitActive(otherWindow_));

        StartEditor();
    }

    // Starts the editor, moves it to its place and activates it.
    void StartEditor() {
        editor_ = installed_.Start();
        ASSERT_TRUE(editor_);
        pid_ = editor_->processId();
        main_ = MainWindow(pid_);
        Tool({QStringLiteral("windowmove"), QStringLiteral("--sync"), main_, QStringLiteral("1150"),
              QStringLiteral("300")});
        Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), main_});
        ASSERT_TRUE(WaitActive(main_));
    }

    void TearDown() override {
        for (QProcess* process : {editor_.get(), &other_}) {
            if (process == nullptr || process->state() == QProcess::NotRunning) continue;
            process->kill();
            process->waitForFinished(5000);
        }
    }

    // Once the program shows its editor window alone, the window manager makes it active; then a comment
    // line typed at the end of the text and F5 make a run whose copy of the text holds the line, which it
    // does only when the keys reached the macro text.
    void ExpectEditorActiveWithFocus(const char* after) {
        ASSERT_TRUE(WaitFor([&] { return Windows(pid_).size() == 1; })) << after;
        EXPECT_TRUE(WaitActive(main_))
            << after << ": the active window is " << ActiveWindow().toStdString() << ", the editor "
            << main_.toStdString() << ", the other program " << otherWindow_.toStdString();
        QFile::remove(installed_.buffer);
        Key(QStringLiteral("ctrl+End"));
        Key(QStringLiteral("Return"));
        Type(QString::fromUtf8(kMarker));
        Key(QStringLiteral("F5"));
        EXPECT_TRUE(WaitFor([&] { return ReadAll(installed_.buffer).contains(kMarker); }, 10000))
            << after << ": the keys did not reach the macro text";
    }

    // Waits until the dialog titled `title` has opened and the window manager has made it active, and
    // rests the pointer on a visible part of it beside the editor window (on its middle when it has none:
    // a box placed wholly over the editor).
    QString ActiveDialog(const QString& title = {}, const QStringList& alsoKnown = {}) {
        const QString dialog = WaitForNewWindow(pid_, QStringList{main_} + alsoKnown, title);
        EXPECT_TRUE(WaitActive(dialog)) << "the dialog " << title.toStdString() << " is not active";
        const QRect box = Geometry(dialog);
        const QRect editor = Geometry(main_).adjusted(-8, -40, 8, 8); // with its frame
        const QRect screen(0, 0, 1280, 1024);
        QPoint point = box.center();
        for (const QPoint candidate :
             {QPoint(box.left() + 4, box.center().y()), QPoint(box.right() - 4, box.center().y()),
              QPoint(box.center().x(), box.bottom() - 4)})
            if (screen.contains(candidate) && !editor.contains(candidate)) {
                point = candidate;
                break;
            }
        Tool({QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
        Tool({QStringLiteral("click"), QStringLiteral("1")});
        return dialog;
    }

    const Installation installed_;
    QProcess other_;
    QString otherWindow_;
    std::unique_ptr<QProcess> editor_;
    qint64 pid_ = 0;
    QString main_;
};

} // namespace

// Ctrl+S, a name that exists, Enter, and はい in the overwrite question: the question closes, then its
// file dialog at once. Whether the window manager then took the pointer's window varied from save to save,
// so the save is made three times: first to a name typed into the dialog, then to the name the dialog
// fills in.
TEST_F(FocusAfterDialogs, SaveOverwritingAFile) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("kept.qlx"));
    QFile existing(path);
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.write("' old\r\n");
    existing.close();

    TypeLines({QStringLiteral("PRINT 1")});
    for (int save = 0; save < 3 && !HasFailure(); ++save) {
        const QByteArray before = ReadAll(path);
        Key(QStringLiteral("ctrl+s"));
        const QString dialog = ActiveDialog();
        if (save == 0) Type(path);
        Key(QStringLiteral("Return"));
        ActiveDialog(QStringLiteral("."), {dialog});
        Key(QStringLiteral("alt+y"));
        ASSERT_TRUE(WaitFor([&] { return ReadAll(path).startsWith("PRINT 1") && ReadAll(path) != before; }));
        ExpectEditorActiveWithFocus("the save over a file");
    }
}

TEST_F(FocusAfterDialogs, OpenDialogCancelled) {
    Key(QStringLiteral("ctrl+o"));
    ActiveDialog();
    Key(QStringLiteral("Escape"));
    ExpectEditorActiveWithFocus("the cancelled open dialog");
}

// Ctrl+N on a modified text asks first; いいえ drops the text.
TEST_F(FocusAfterDialogs, UnsavedTextQuestionAnswered) {
    TypeLines({QStringLiteral("PRINT 1")});
    Key(QStringLiteral("ctrl+n"));
    ActiveDialog(QStringLiteral("^QuillonMacro$"));
    Key(QStringLiteral("alt+n"));
    ExpectEditorActiveWithFocus("the answered question");
    EXPECT_FALSE(ReadAll(installed_.buffer).contains("PRINT 1"));
}

TEST_F(FocusAfterDialogs, GoToLine) {
    TypeLines({QStringLiteral("' one"), QStringLiteral("' two"), QStringLiteral("' three")});
    Key(QStringLiteral("ctrl+g"));
    ActiveDialog(QStringLiteral("^行へ移動$"));
    Key(QStringLiteral("ctrl+a"));
    Type(QStringLiteral("2"));
    Key(QStringLiteral("Return"));
    ExpectEditorActiveWithFocus("go to line");
}

// ヘルプ → バージョン情報, the last item of the menu, closed with Enter.
TEST_F(FocusAfterDialogs, AboutBox) {
    Key(QStringLiteral("alt+h"));
    Key(QStringLiteral("Up"));
    Key(QStringLiteral("Return"));
    ActiveDialog(QStringLiteral("^QuillonMacro$"));
    Key(QStringLiteral("Return"));
    ExpectEditorActiveWithFocus("the about box");
}

// ツール → MUS/KBD高速入力 (the menu's first item), closed with Ctrl+Enter (its text area records every
// other key).
TEST_F(FocusAfterDialogs, QuickInputDialog) {
    Key(QStringLiteral("alt+t"));
    Key(QStringLiteral("Return"));
    ActiveDialog(QStringLiteral("^MUS/KBD"));
    Key(QStringLiteral("ctrl+Return"));
    ExpectEditorActiveWithFocus("the quick-input dialog");
}

TEST_F(FocusAfterDialogs, RunWithMessageBox) {
    TypeLines({QStringLiteral("MSGBOX \"focus\""), QStringLiteral("PRINT 1")});
    Key(QStringLiteral("F5"));
    ActiveDialog();
    Key(QStringLiteral("Return"));
    ExpectEditorActiveWithFocus("a run with MSGBOX");
}

// ツール → タブサイズ (its mnemonic T), answered with a size and Enter.
TEST_F(FocusAfterDialogs, TabSizeInput) {
    Key(QStringLiteral("alt+t"));
    Key(QStringLiteral("t"));
    ActiveDialog(QStringLiteral("^タブサイズの設定$"));
    Key(QStringLiteral("ctrl+a"));
    Type(QStringLiteral("8"));
    Key(QStringLiteral("Return"));
    ExpectEditorActiveWithFocus("the tab size");
}

// An INPUTBOX answered with Enter, and the MES window the editor closes when the run ends.
TEST_F(FocusAfterDialogs, RunWithInputBoxAndMessageWindow) {
    TypeLines(
        {QStringLiteral("MES \"focus\""), QStringLiteral("PRINT INPUTBOX(\"focus\", \"focus-input\")")});
    Key(QStringLiteral("F5"));
    ActiveDialog(QStringLiteral("^focus-input$"));
    Type(QStringLiteral("1"));
    Key(QStringLiteral("Return"));
    ExpectEditorActiveWithFocus("a run with INPUTBOX and MES");
}

// ツール → ウィンドウ情報 (its mnemonic W), a window of its own beside the editor, closed with Esc once the
// user has made it active.
TEST_F(FocusAfterDialogs, WindowInformationClosedWithEsc) {
    Key(QStringLiteral("alt+t"));
    Key(QStringLiteral("w"));
    // It shows without taking the activation (the user points at other windows with it open); a click on
    // it makes it active.
    const QString information = WaitForNewWindow(pid_, {main_}, QStringLiteral("^ウィンドウ情報$"));
    ASSERT_FALSE(information.isEmpty());
    Tool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), information});
    ASSERT_TRUE(WaitActive(information));
    Key(QStringLiteral("Escape"));
    ExpectEditorActiveWithFocus("the window information");
}

// ツール → 記録 (its mnemonic R): the recorder's window, ended with Pause, which inserts what it recorded.
TEST_F(FocusAfterDialogs, RecorderEndedWithPause) {
    Key(QStringLiteral("alt+t"));
    Key(QStringLiteral("r"));
    WaitForNewWindow(pid_, {main_}, QStringLiteral("^記録$"));
    QThread::msleep(500);
    Tool({QStringLiteral("key"), QStringLiteral("Pause")});
    ExpectEditorActiveWithFocus("the recorder");
}

// The question at start-up about an unsaved text kept from an editor that did not end: answered with
// Enter (復元), the editor is active with the restored text.
TEST_F(FocusAfterDialogs, RecoveryQuestionAnswered) {
    TypeLines({QStringLiteral("' kept")});
    ASSERT_TRUE(WaitFor([&] { return installed_.SomeCopyIs(CopyBytes(QStringLiteral("' kept"))); }));
    editor_->kill();
    editor_->waitForFinished(5000);
    editor_ = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_STATE_HOME"), installed_.state.path());
    editor_->setProcessEnvironment(env);
    editor_->start(installed_.program);
    ASSERT_TRUE(editor_->waitForStarted(10000));
    pid_ = editor_->processId();
    // The question comes before the window has been placed: the pointer is not moved onto it, as a click
    // there could land on one of its buttons.
    const QString question = WaitForNewWindow(pid_, {}, QStringLiteral("^QuillonMacro$"));
    ASSERT_FALSE(question.isEmpty());
    EXPECT_TRUE(WaitActive(question));
    Key(QStringLiteral("Return"));
    ASSERT_TRUE(WaitFor([&] { return !(main_ = MainWindow(pid_)).isEmpty(); }));
    ExpectEditorActiveWithFocus("the recovery question");
    EXPECT_TRUE(ReadAll(installed_.buffer).startsWith("' kept")) << ReadAll(installed_.buffer).toStdString();
}

// The check itself ends with a plain run; a second check shows the state after it.
TEST_F(FocusAfterDialogs, PlainRun) {
    TypeLines({QStringLiteral("PRINT 1")});
    ExpectEditorActiveWithFocus("the start");
    ExpectEditorActiveWithFocus("a plain run");
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
