// Tests of the main window's recovery copy: it follows a modified text and goes when the text is saved,
// back to its saved state or dropped; at start an orphan is offered once, restored as a modified text or
// discarded, and a file asked for at start waits for the question about the restored text.
#include "editor_test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

const QString kRestoreQuestion = QStringLiteral("前回保存されずに終了したマクロがあります。\n復元しますか？");
const QString kModified = QStringLiteral("マクロ内容が変更されています。\n保存しますか？");

QStringList Copies(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.recovery")}, QDir::Files);
}

// A copy waits for a pause in typing; the tests wait for it (or for its removal) with a generous timeout.
bool CopyHolds(frm_MacroWindow& window, const QString& text) {
    return WaitFor([&] {
        const std::optional<RecoveryCopy> copy = RecoveryStore::Read(window.Recovery().CopyPath());
        return copy && copy->text == text;
    });
}

bool CopyGone(frm_MacroWindow& window) {
    return WaitFor([&] { return !window.Recovery().HasCopy(); });
}

// An editor that ends without closing (killed, crashed): its copy stays behind as an orphan.
void LeaveOrphanFromEditor(const QString& folder, const QString& text, const QString& file = {}) {
    TestWindow dead(folder);
    if (!file.isEmpty()) dead->LoadIntoEditor(file);
    dead->txt_Macro->setPlainText(text);
    ASSERT_TRUE(CopyHolds(*dead, text));
    dead.window.reset();
}

} // namespace

TEST(WindowRecovery, CopyFollowsTheModifiedText) {
    TestWindow w;
    EXPECT_FALSE(w->Recovery().HasCopy());
    w->txt_Macro->setPlainText(QStringLiteral("typed 1"));
    ASSERT_TRUE(CopyHolds(*w, QStringLiteral("typed 1")));
    EXPECT_EQ(RecoveryStore::Read(w->Recovery().CopyPath())->filePath, QString());

    // Saved: gone at once. Changed again: back, naming the file it belongs to.
    const QString path = w.Path(QStringLiteral("saved.qlx"));
    w.dialogs.saveNames = {path};
    w->Menu_Save_Click();
    EXPECT_FALSE(w->Recovery().HasCopy());
    w->txt_Macro->setPlainText(QStringLiteral("typed 2"));
    ASSERT_TRUE(CopyHolds(*w, QStringLiteral("typed 2")));
    EXPECT_EQ(RecoveryStore::Read(w->Recovery().CopyPath())->filePath, path);

    // Back to the saved text: no copy needed any more.
    w->txt_Macro->setPlainText(QStringLiteral("typed 1"));
    EXPECT_TRUE(CopyGone(*w));

    // A failed save keeps the copy (the text is still unsaved).
    w->txt_Macro->setPlainText(QStringLiteral("typed 3"));
    ASSERT_TRUE(CopyHolds(*w, QStringLiteral("typed 3")));
    w.dialogs.saveNames = {w.Path(QStringLiteral("no/such/folder/x.qlx"))};
    w->Menu_Save_Click();
    EXPECT_TRUE(w->Recovery().HasCopy());

    // New answered No drops the text and its copy at once.
    w.dialogs.questionAnswers = {kButtonNo};
    w->Menu_New_Click();
    EXPECT_FALSE(w->Recovery().HasCopy());
}

// A copy that cannot be written is said in the log once, with the folder and the reason, not at every pause
// in typing; once copies are written again, a later failure is said again.
TEST(WindowRecovery, ACopyThatCannotBeWrittenIsSaidOnce) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("recovery"));
    ASSERT_TRUE(QFile(folder).open(QIODevice::WriteOnly)); // a file where the folder should be
    TestWindow w(folder);
    const QString said =
        QStringLiteral("復元用の控えを書き込めません。 - ") + QDir::toNativeSeparators(folder);
    const auto timesSaid = [&] { return LogLines(*w).count(said); };
    w->txt_Macro->setPlainText(QStringLiteral("typed 1"));
    ASSERT_TRUE(WaitFor([&] { return timesSaid() == 1; }));
    EXPECT_EQ(LogLines(*w).at(LogLines(*w).indexOf(said) + 1),
              QStringLiteral("同じ名前のファイルがあります"));
    w->txt_Macro->setPlainText(QStringLiteral("typed 2"));
    QTest::qWait(frm_MacroWindow::kRecoveryDelayMs + 500);
    EXPECT_EQ(timesSaid(), 1);

    ASSERT_TRUE(QFile::remove(folder));
    w->txt_Macro->setPlainText(QStringLiteral("typed 3"));
    ASSERT_TRUE(CopyHolds(*w, QStringLiteral("typed 3")));
    ASSERT_TRUE(QDir(folder).removeRecursively());
    ASSERT_TRUE(QFile(folder).open(QIODevice::WriteOnly));
    w->txt_Macro->setPlainText(QStringLiteral("typed 4"));
    EXPECT_TRUE(WaitFor([&] { return timesSaid() == 2; }));
}

TEST(WindowRecovery, ClosingLeavesNoCopy) {
    TestWindow w;
    const QString folder = QFileInfo(w->Recovery().CopyPath()).path();
    w->txt_Macro->setPlainText(QStringLiteral("unsaved"));
    ASSERT_TRUE(CopyHolds(*w, QStringLiteral("unsaved")));
    w.dialogs.questionAnswers = {kButtonCancel};
    EXPECT_FALSE(w->close());
    EXPECT_TRUE(w->Recovery().HasCopy()); // still open, still unsaved
    w.dialogs.questionAnswers = {kButtonNo};
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(QDir(folder).entryList(QDir::Files).isEmpty());
}

TEST(WindowRecovery, OrphanIsRestoredAsAModifiedText) {
    QTemporaryDir state;
    const QString folder = state.path();
    const QString file = state.filePath(QStringLiteral("belongs.qlx"));
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
    saved.write("OLD\r\n");
    saved.close();
    LeaveOrphanFromEditor(folder, QStringLiteral("line 1\nライン 2"), file);
    const QStringList orphans = Copies(folder);
    ASSERT_EQ(orphans.size(), 1);

    TestWindow w(folder);
    EXPECT_TRUE(w->OfferRecovery());
    EXPECT_EQ(w.dialogs.restoreQuestions, std::vector<QString>{kRestoreQuestion});
    EXPECT_EQ(w->EditorText(), QStringLiteral("line 1\nライン 2"));
    EXPECT_TRUE(w->IsModified());
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Quillonマクロ - ") + file);
    EXPECT_EQ(w->CurrentFilePath(), file);
    EXPECT_EQ(QFileInfo(w->Recovery().CopyPath()).fileName(), orphans.first()); // now this editor's own
    EXPECT_FALSE(w->OfferRecovery());                                           // one offer per start

    // Closing asks, as for any unsaved text; the save dialog starts at the file it belonged to.
    w.dialogs.questionAnswers = {kButtonYes};
    EXPECT_FALSE(w->close());
    EXPECT_EQ(w.dialogs.saveStarts, std::vector<QString>{file});
    w.dialogs.questionAnswers = {kButtonNo};
    EXPECT_TRUE(w->close());
    EXPECT_TRUE(Copies(folder).isEmpty());
}

TEST(WindowRecovery, BreakpointsComeBackWithTheRestoredText) {
    QTemporaryDir state;
    {
        TestWindow dead(state.path());
        dead->txt_Macro->setPlainText(QStringLiteral("PRINT 1\nPRINT 2\nPRINT 3"));
        ASSERT_TRUE(CopyHolds(*dead, QStringLiteral("PRINT 1\nPRINT 2\nPRINT 3")));
        // A breakpoint set after the text was kept is written into the copy too.
        dead->txt_Macro->SetBreakpoints({2, 3});
        ASSERT_TRUE(WaitFor([&] {
            const std::optional<RecoveryCopy> copy = RecoveryStore::Read(dead->Recovery().CopyPath());
            return copy && copy->breakpoints == QList<int>{2, 3};
        }));
        dead.window.reset();
    }
    TestWindow w(state.path());
    EXPECT_TRUE(w->OfferRecovery());
    EXPECT_EQ(w->txt_Macro->Breakpoints(), (QList<int>{2, 3}));
}

TEST(WindowRecovery, DiscardedOrphanIsDeletedAndOthersWaitForLaterStarts) {
    QTemporaryDir state;
    LeaveOrphanFromEditor(state.path(), QStringLiteral("older"));
    QThread::msleep(20); // distinct modification times
    LeaveOrphanFromEditor(state.path(), QStringLiteral("newer"));
    ASSERT_EQ(Copies(state.path()).size(), 2);

    TestWindow first(state.path());
    first.dialogs.restoreAnswers = {false};
    EXPECT_FALSE(first->OfferRecovery());
    EXPECT_EQ(first.dialogs.restoreQuestions.size(), 1u);
    EXPECT_EQ(first->EditorText(), QString());
    EXPECT_FALSE(first->IsModified());
    ASSERT_EQ(Copies(state.path()).size(), 1);
    EXPECT_EQ(RecoveryStore::Read(QDir(state.path()).filePath(Copies(state.path()).first()))->text,
              QStringLiteral("older"));

    TestWindow second(state.path());
    EXPECT_TRUE(second->OfferRecovery());
    EXPECT_EQ(second->EditorText(), QStringLiteral("older"));
    EXPECT_EQ(second->windowTitle(), QStringLiteral("Quillonマクロ"));

    // A living editor's copy is never offered.
    TestWindow third(state.path());
    EXPECT_FALSE(third->OfferRecovery());
    EXPECT_TRUE(third.dialogs.restoreQuestions.empty());
}

TEST(WindowRecovery, FileAskedForAtStartComesAfterTheRestoredText) {
    QTemporaryDir state;
    const QString file = state.filePath(QStringLiteral("requested.qlx"));
    QFile requested(file);
    ASSERT_TRUE(requested.open(QIODevice::WriteOnly));
    requested.write("REQUESTED\r\n");
    requested.close();

    // Restored, then Cancel: the restored text stays and the file is not opened.
    LeaveOrphanFromEditor(state.path(), QStringLiteral("rescued"));
    {
        TestWindow w(state.path());
        w.dialogs.questionAnswers = {kButtonCancel};
        w->StartEditing(file);
        EXPECT_EQ(w.dialogs.questions, std::vector<QString>{kModified});
        EXPECT_EQ(w->EditorText(), QStringLiteral("rescued"));
        w.window.reset(); // ends without closing: the copy stays for the next start
    }
    // Restored, then No: the file opens and the restored copy is gone.
    {
        TestWindow w(state.path());
        w.dialogs.questionAnswers = {kButtonNo};
        w->StartEditing(file);
        EXPECT_EQ(w->EditorText(), QStringLiteral("REQUESTED\n"));
        EXPECT_EQ(w->CurrentFilePath(), file);
        EXPECT_TRUE(Copies(state.path()).isEmpty());
    }
    // Discarded: the file opens without a further question.
    LeaveOrphanFromEditor(state.path(), QStringLiteral("unwanted"));
    TestWindow w(state.path());
    w.dialogs.restoreAnswers = {false};
    w->StartEditing(file);
    EXPECT_TRUE(w.dialogs.questions.empty());
    EXPECT_EQ(w->EditorText(), QStringLiteral("REQUESTED\n"));
    EXPECT_TRUE(Copies(state.path()).isEmpty());
}

TEST(WindowRecovery, RealQuestionRestoresWithEnterAndDiscardsWithItsButton) {
    TestWindow w;
    const EditorDialogs real = RealEditorDialogs(w.window.get());
    QString shownText, defaultCaption;
    WhenModalShown([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) return;
        shownText = box->text();
        defaultCaption = box->defaultButton() ? box->defaultButton()->text() : QString();
        QTest::keyClick(box, Qt::Key_Return);
    });
    EXPECT_TRUE(real.askRestore(kRestoreQuestion));
    EXPECT_EQ(shownText, kRestoreQuestion);
    EXPECT_EQ(defaultCaption, QStringLiteral("復元"));

    QString discardCaption;
    WhenModalShown([&](QWidget* modal) {
        auto* discard = modal->findChild<QPushButton*>(QStringLiteral("discardButton"));
        if (discard == nullptr) return;
        discardCaption = discard->text();
        discard->click();
    });
    EXPECT_FALSE(real.askRestore(kRestoreQuestion));
    EXPECT_EQ(discardCaption, QStringLiteral("破棄"));
}
