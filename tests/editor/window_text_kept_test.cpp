// Tests that no file command loses a modified text: New, Open, drop and closing ask first and go on only when
// the answer and the save allow it, a failed write keeps the text unsaved, and the file dialogs start at the
// current file.
#include "editor_test_support.h"

#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

const QString kModified = QStringLiteral("マクロ内容が変更されています。\n保存しますか？");
const QString kModifiedAtClose = QStringLiteral("マクロ内容が変更されています。\n保存して終了しますか？");
const QByteArray kOldBytes = QByteArrayLiteral("OLD\r\n");

// A macro file that cannot be written: an existing file in a read-only folder, or, where the folder's mode
// does not stop the writer (root), a name below a plain file that stands where the folder should be.
// `guarded` is the file whose bytes a failed save must leave alone.
struct UnwritableTarget {
    QString folder, path, guarded;

    explicit UnwritableTarget(const QTemporaryDir& dir) : folder(dir.filePath(QStringLiteral("locked"))) {
        QDir().mkpath(folder);
        path = QDir(folder).filePath(QStringLiteral("old.qlx"));
        guarded = path;
        Write(guarded);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(QDir(folder).filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            guarded = dir.filePath(QStringLiteral("blocker"));
            path = QDir(guarded).filePath(QStringLiteral("old.qlx"));
            Write(guarded);
        }
    }
    ~UnwritableTarget() {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    static void Write(const QString& name) {
        QFile file(name);
        if (file.open(QIODevice::WriteOnly)) file.write(kOldBytes);
    }
};

void DropFile(frm_MacroWindow& window, const QString& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.txt_Macro->viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.txt_Macro->viewport(), &drop);
}

QString WriteMacro(TestWindow& w, const QString& name, const QByteArray& bytes) {
    const QString path = w.Path(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    return path;
}

} // namespace

TEST(TextKept, FailedWriteLeavesTheTextUnsavedAndTheFileWhole) {
    TestWindow w;
    const UnwritableTarget target(w.dir);
    w->txt_Macro->setPlainText(QStringLiteral("NEW TEXT"));
    w.dialogs.saveNames = {target.path};
    w->Menu_Save_Click();
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(w->SavedText(), QString());
    EXPECT_EQ(ReadAll(target.guarded), kOldBytes);
    ASSERT_EQ(LogLines(*w).size(), 2);
    EXPECT_EQ(LogLines(*w)[0], QStringLiteral("マクロの保存に失敗しました。 - ") + target.path);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + target.path);

    // Closing still asks; Yes meets the same failure and the window stays with its text.
    w.dialogs.questionAnswers = {kButtonYes};
    w.dialogs.saveNames = {target.path};
    EXPECT_FALSE(w->close());
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>{kModifiedAtClose});
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->EditorText(), QStringLiteral("NEW TEXT"));
    EXPECT_EQ(ReadAll(target.guarded), kOldBytes);
    // The second save dialog started at the failed name, so the user can correct it.
    EXPECT_EQ(w.dialogs.saveStarts, (std::vector<QString>{QString(), target.path}));
}

TEST(TextKept, NewKeepsTheTextUnlessSavedOrDropped) {
    TestWindow w;
    const UnwritableTarget target(w.dir);
    w->txt_Macro->setPlainText(QStringLiteral("work"));
    w.dialogs.questionAnswers = {kButtonYes, kButtonYes, kButtonCancel};
    w.dialogs.saveNames = {QString(), target.path}; // the dialog cancelled, then a failing write
    for (int i = 0; i < 3; ++i) {
        w->Menu_New_Click();
        EXPECT_EQ(w->EditorText(), QStringLiteral("work")) << "attempt " << i;
        EXPECT_TRUE(w->IsModified());
    }
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>(3, kModified));

    const QString kept = w.Path(QStringLiteral("kept.qlx"));
    w.dialogs.questionAnswers = {kButtonYes};
    w.dialogs.saveNames = {kept};
    w->Menu_New_Click();
    EXPECT_EQ(ReadAll(kept), QByteArray("work\r\n"));
    EXPECT_EQ(w->EditorText(), QString());
    EXPECT_EQ(w->CurrentFilePath(), QString());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ"));
}

TEST(TextKept, OpenAsksBeforeItsDialog) {
    TestWindow w;
    const QString other = WriteMacro(w, QStringLiteral("other.qlx"), "OTHER\r\n");
    w->txt_Macro->setPlainText(QStringLiteral("mine"));

    // Cancel, and Yes with a cancelled save: no open dialog at all, the text stays.
    w.dialogs.questionAnswers = {kButtonCancel, kButtonYes};
    w.dialogs.openNames = {other, other};
    w->Menu_Open_Click();
    w->btn_ToolBar_Click(1);
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>(2, kModified));
    EXPECT_TRUE(w.dialogs.openStarts.empty());
    EXPECT_EQ(w->EditorText(), QStringLiteral("mine"));

    // No, then a cancelled open dialog: still the same text, still modified.
    w.dialogs.questionAnswers = {kButtonNo};
    w.dialogs.openNames = {};
    w->Menu_Open_Click();
    EXPECT_EQ(w->EditorText(), QStringLiteral("mine"));
    EXPECT_TRUE(w->IsModified());

    // Yes with a written save: the file is complete, then the open dialog starts in its folder.
    const QString saved = w.Path(QStringLiteral("mine.qlx"));
    w.dialogs.questionAnswers = {kButtonYes};
    w.dialogs.saveNames = {saved};
    w.dialogs.openNames = {other};
    w->Menu_Open_Click();
    EXPECT_EQ(ReadAll(saved), QByteArray("mine\r\n"));
    EXPECT_EQ(w.dialogs.openStarts, (std::vector<QString>{QString(), saved}));
    EXPECT_EQ(w->EditorText(), QStringLiteral("OTHER\n"));
    EXPECT_EQ(w->CurrentFilePath(), other);
    EXPECT_FALSE(w->IsModified());
}

TEST(TextKept, DropAsksAndCancelOrAFailedSaveKeepsTheText) {
    TestWindow w;
    const UnwritableTarget target(w.dir);
    const QString dropped = WriteMacro(w, QStringLiteral("dropped.qlx"), "DROPPED\r\n");
    w->txt_Macro->setPlainText(QStringLiteral("typed"));
    w.dialogs.questionAnswers = {kButtonCancel, kButtonYes, kButtonYes};
    w.dialogs.saveNames = {QString(), target.path};
    for (int i = 0; i < 3; ++i) DropFile(*w, dropped);
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>(3, kModified));
    EXPECT_EQ(w->EditorText(), QStringLiteral("typed"));
    EXPECT_EQ(ReadAll(target.guarded), kOldBytes);

    w.dialogs.questionAnswers = {kButtonNo};
    DropFile(*w, dropped);
    EXPECT_EQ(w->EditorText(), QStringLiteral("DROPPED\n"));
    EXPECT_EQ(w->CurrentFilePath(), dropped);
}

TEST(TextKept, CloseWithYesClosesOnlyAfterAWrittenSave) {
    TestWindow w;
    w->txt_Macro->setPlainText(QStringLiteral("unsaved"));
    w.dialogs.questionAnswers = {kButtonYes};
    EXPECT_FALSE(w->close()); // save dialog cancelled
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->EditorText(), QStringLiteral("unsaved"));

    const QString path = w.Path(QStringLiteral("closing.qlx"));
    w.dialogs.questionAnswers = {kButtonYes};
    w.dialogs.saveNames = {path};
    EXPECT_TRUE(w->close());
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(ReadAll(path), QByteArray("unsaved\r\n"));
    EXPECT_EQ(w.dialogs.questions, std::vector<QString>(2, kModifiedAtClose));
}

TEST(TextKept, FileDialogsStartAtTheCurrentFile) {
    TestWindow w;
    const QString loaded = WriteMacro(w, QStringLiteral("loaded.qlx"), "A\r\n");
    w.dialogs.saveNames = {w.Path(QStringLiteral("first.qlx"))};
    w->Menu_Save_Click(); // nothing loaded yet: the default folder
    w->LoadIntoEditor(loaded);
    w.dialogs.openNames = {};
    w->Menu_Open_Click();
    w->Menu_Save_Click();
    EXPECT_EQ(w.dialogs.saveStarts, (std::vector<QString>{QString(), loaded}));
    EXPECT_EQ(w.dialogs.openStarts, std::vector<QString>{loaded});

    // A failed load shows the file in the caption but the current file stays the last good one.
    const QString missing = w.Path(QStringLiteral("missing.qlx"));
    w->LoadIntoEditor(missing);
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + missing);
    EXPECT_EQ(w->CurrentFilePath(), loaded);

    w->NewMacro();
    w->Menu_Open_Click();
    EXPECT_EQ(w.dialogs.openStarts.back(), QString());
}
