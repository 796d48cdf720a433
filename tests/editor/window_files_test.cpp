// Tests of the file and editor commands with real files: the unsaved-text questions of New, Open, drop and
// closing, open, save and drop, load failures, a round trip that keeps every character, tab size, version
// notice and the function viewer.
#include "editor_test_support.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

const QString kModified = QStringLiteral("マクロ内容が変更されています。\n保存しますか？");

} // namespace

TEST(FileCommands, NewAsksOnlyWhenModified) {
    TestWindow w;
    w->NewMacro();
    EXPECT_TRUE(w.dialogs.questions.empty());

    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1"));
    w.dialogs.questionAnswers = {kButtonCancel};
    w->Menu_New_Click();
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>{kModified});
    EXPECT_EQ(w->EditorText(), QStringLiteral("PRINT 1"));

    w.dialogs.questionAnswers = {kButtonNo};
    w->btn_ToolBar_Click(0);
    EXPECT_EQ(w->EditorText(), QString());
    EXPECT_FALSE(w->IsModified());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ"));

    // Yes saves first (through the save dialog), then clears.
    w->txt_Macro->setPlainText(QStringLiteral("PRINT 2"));
    w.dialogs.questionAnswers = {kButtonYes};
    w.dialogs.saveNames = {w.Path(QStringLiteral("kept.qlx"))};
    w->Menu_New_Click();
    EXPECT_EQ(ReadAll(w.Path(QStringLiteral("kept.qlx"))), QByteArray("PRINT 2\r\n"));
    EXPECT_EQ(w->EditorText(), QString());
}

TEST(FileCommands, SaveAndOpenWithCaptionAndCrLf) {
    TestWindow w;
    const QString path = w.Path(QStringLiteral("ab.qlx"));
    w->txt_Macro->setPlainText(QStringLiteral("A\nB"));
    w.dialogs.saveNames = {path};
    w->btn_ToolBar_Click(2);
    EXPECT_EQ(ReadAll(path), QByteArray("A\r\nB\r\n"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + path);
    EXPECT_FALSE(w->IsModified());

    w.dialogs.saveNames = {}; // a cancelled save changes nothing
    w->txt_Macro->setPlainText(QStringLiteral("changed"));
    w->Menu_Save_Click();
    EXPECT_TRUE(w->IsModified());

    // Open asks about the modified text first; No replaces it.
    w.dialogs.questionAnswers = {kButtonNo};
    w.dialogs.openNames = {path};
    w->btn_ToolBar_Click(1);
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>{kModified});
    EXPECT_EQ(w->EditorText(), QStringLiteral("A\nB\n"));
    EXPECT_FALSE(w->IsModified());
    w->Menu_Open_Click(); // cancelled
    EXPECT_EQ(w->EditorText(), QStringLiteral("A\nB\n"));
}

TEST(FileCommands, RoundTripKeepsEveryCharacter) {
    TestWindow w;
    const QString text =
        QStringLiteral("PRINT \"日本語 ｶﾀｶﾅ\\~ \u00A0nbsp\ttab\"\n' 絵文字 \U0001F600 ①\n\nEND");
    w->txt_Macro->setPlainText(text);
    const QString path = w.Path(QStringLiteral("chars.qlx"));
    w.dialogs.saveNames = {path};
    w->Menu_Save_Click();
    w->txt_Macro->clear();
    w->LoadIntoEditor(path);
    EXPECT_EQ(w->EditorText(), text + u'\n');

    // A Shift-JIS file with CR, CR LF and LF line ends opens with every line.
    const QString sjis = w.Path(QStringLiteral("sjis.qlx"));
    WriteFile(sjis, QByteArray("PRINT \"\x93\xfa\x96\x7b\"\rA\r\nB\nC"));
    w->LoadIntoEditor(sjis);
    EXPECT_EQ(w->EditorText(), QStringLiteral("PRINT \"日本\"\nA\nB\nC\n"));
}

TEST(FileCommands, LoadAndSaveFailuresAreTwoLogLines) {
    TestWindow w;
    const QString missing = w.Path(QStringLiteral("missing.qlx"));
    w->txt_Macro->setPlainText(QStringLiteral("old"));
    w->LoadIntoEditor(missing);
    QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("マクロの読み込みに失敗しました。 - ") + missing);
    EXPECT_EQ(lines[1], QStringLiteral("ファイルまたはフォルダが見つかりません"));
    EXPECT_EQ(w->EditorText(), QString());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + missing);

    w->ClearLog();
    const QString badPath = w.Path(QStringLiteral("no/such/folder/x.qlx"));
    w->txt_Macro->setPlainText(QStringLiteral("text"));
    w.dialogs.saveNames = {badPath};
    w->Menu_Save_Click();
    lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], QStringLiteral("マクロの保存に失敗しました。 - ") + badPath);
    EXPECT_EQ(lines[1], QStringLiteral("ファイルまたはフォルダが見つかりません"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + badPath);
    EXPECT_TRUE(w->IsModified()); // nothing was written, so the text is still unsaved
}

// "--edit FILE" of a file that is not there: the load's two lines, the system's reason in Japanese, and an
// empty editor named after the file.
TEST(FileCommands, EditingAMissingFileLogsTheReasonInJapanese) {
    TestWindow w;
    const QString missing = w.Path(QStringLiteral("missing.qlx"));
    w->StartEditing(missing);
    EXPECT_EQ(LogLines(*w), QStringList({QStringLiteral("マクロの読み込みに失敗しました。 - ") + missing,
                                         QStringLiteral("ファイルまたはフォルダが見つかりません")}));
    EXPECT_EQ(w->EditorText(), QString());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + missing);
}

TEST(FileCommands, DroppedFileIsLoadedAndDroppedTextIsNotLost) {
    TestWindow w;
    const QString path = w.Path(QStringLiteral("dropped.qlx"));
    WriteFile(path, QByteArray("PRINT \"drop\"\r\n"));
    w->txt_Macro->setPlainText(QStringLiteral("modified"));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QWidget* target = w->txt_Macro->viewport();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>{kModified}); // answered Cancel: nothing changed
    EXPECT_EQ(w->EditorText(), QStringLiteral("modified"));

    w.dialogs.questionAnswers = {kButtonNo};
    QDragEnterEvent enterAgain(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enterAgain);
    QDropEvent dropAgain(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropAgain);
    EXPECT_EQ(w->EditorText(), QStringLiteral("PRINT \"drop\"\n"));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + path);

    QMimeData textOnly;
    textOnly.setText(QStringLiteral("ignored"));
    QDropEvent textDrop(QPointF(10, 10), Qt::CopyAction, &textOnly, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &textDrop);
    EXPECT_TRUE(w->EditorText().contains(QStringLiteral("PRINT \"drop\"")));
}

TEST(WindowClose, QuestionsAndBufferFile) {
    {
        TestWindow w;
        EXPECT_TRUE(w->close());
        EXPECT_TRUE(w.dialogs.questions.empty());
    }
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("PRINT 1"));
    w->Menu_Run_Click();
    ASSERT_TRUE(QFile::exists(w->BufferPath()));
    w.dialogs.questionAnswers = {kButtonCancel};
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w.dialogs.questions.back(),
              QStringLiteral("マクロ内容が変更されています。\n保存して終了しますか？"));
    // No closes and deletes the buffer file.
    w.dialogs.questionAnswers = {kButtonNo};
    w->Menu_End_Click();
    EXPECT_FALSE(w->isVisible());
    EXPECT_FALSE(QFile::exists(w->BufferPath()));
}

TEST(EditorCommands, TabSizeRefusalsAndValues) {
    TestWindow w;
    w.dialogs.inputAnswers = {QStringLiteral("0"), QStringLiteral("101"), QStringLiteral("abc"), std::nullopt,
                              QStringLiteral("-3")};
    for (int i = 0; i < 5; ++i) w->Menu_Tab_Click();
    EXPECT_EQ(w.dialogs.notices, std::vector<QString>(5, QStringLiteral("指定できません。")));
    EXPECT_EQ(w->TabSize(), 4);
    EXPECT_EQ(w.dialogs.inputPrompts.front(),
              QStringLiteral("タブサイズの設定|タブサイズを入力して下さい。(1～100）|4"));

    const qreal space = QFontMetricsF(w->txt_Macro->font()).horizontalAdvance(QLatin1Char(' '));
    w.dialogs.inputAnswers = {QStringLiteral("8")};
    w->Menu_Tab_Click();
    EXPECT_EQ(w->TabSize(), 8);
    EXPECT_DOUBLE_EQ(w->txt_Macro->tabStopDistance(), 8 * space);
    EXPECT_DOUBLE_EQ(w->txt_Log->tabStopDistance(), 8 * space);
    w.dialogs.inputAnswers = {QStringLiteral(" 100.9x")};
    w->Menu_Tab_Click();
    EXPECT_EQ(w->TabSize(), 100);
    EXPECT_EQ(w.dialogs.inputPrompts.back(),
              QStringLiteral("タブサイズの設定|タブサイズを入力して下さい。(1～100）|8"));
    EXPECT_EQ(w.dialogs.notices.size(), 5u);
}

TEST(EditorCommands, SelectAllAboutAndViewer) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("abc\ndef"));
    w->mnuAllSelect_Click();
    EXPECT_EQ(w->txt_Macro->textCursor().selectedText(), QStringLiteral("abc\u2029def"));
    // Ctrl+A in the log still selects the macro text.
    w->txt_Macro->moveCursor(QTextCursor::Start);
    w->AppendLog(QStringLiteral("log line"));
    w->activateWindow();
    w->txt_Log->setFocus();
    ASSERT_TRUE(WaitFor([&] { return w->txt_Log->hasFocus(); }));
    QTest::keyClick(w->txt_Log, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(w->txt_Macro->textCursor().selectedText(), QStringLiteral("abc\u2029def"));

    w->Menu_About_Click();
    EXPECT_EQ(w.dialogs.notices, std::vector<QString>{QStringLiteral("Quillonマクロ\nVer.0.3.1")});

    // No viewer beside the program: one log line, the editor and its text stay.
    w->ClearLog();
    w->Menu_MacroHelp_Click();
    QStringList lines = LogLines(*w);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("関数ビューアが見つかりません。 - ")))
        << lines[0].toStdString();
    EXPECT_EQ(w->EditorText(), QStringLiteral("abc\ndef"));

    // A viewer beside the program is started in the program's folder.
    const QString viewer = w.Path(QStringLiteral("Glossel"));
    WriteFile(viewer, QByteArray("#!/bin/sh\npwd > started.txt\n"));
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    w->Menu_MacroHelp_Click();
    EXPECT_TRUE(WaitFor([&] { return !ReadAll(w.Path(QStringLiteral("started.txt"))).isEmpty(); }));
    EXPECT_EQ(LogLines(*w).size(), 1);
}

TEST(FileCommands, BreakpointsAreKeptPerFileWhileTheEditorIsOpen) {
    TestWindow w;
    const QString first = w.Path(QStringLiteral("first.qlx"));
    const QString second = w.Path(QStringLiteral("second.qlx"));
    WriteFile(first, "A\r\nB\r\nC\r\n");
    WriteFile(second, "X\r\nY\r\n");
    w->OpenFile(first);
    w->txt_Macro->SetBreakpoints({2, 3});
    w->OpenFile(second);
    EXPECT_TRUE(w->txt_Macro->Breakpoints().isEmpty());
    w->txt_Macro->SetBreakpoints({1});
    w->OpenFile(first);
    EXPECT_EQ(w->txt_Macro->Breakpoints(), (QList<int>{2, 3}));
    // New leaves the file too; a new text starts without any.
    w->NewMacro();
    EXPECT_TRUE(w->txt_Macro->Breakpoints().isEmpty());
    w->OpenFile(second);
    EXPECT_EQ(w->txt_Macro->Breakpoints(), (QList<int>{1}));
}
