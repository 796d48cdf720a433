// Tests that Qt's own texts in the editor are Japanese whatever the locale: the open and save dialogs, the
// overwrite question of the save dialog, and the editor's and log's context menus.
#include "editor_test_support.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace editor_testing;

namespace {

// Every button and label caption shown in a dialog.
QStringList Captions(QWidget* dialog) {
    QStringList captions;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        if (button->isVisible()) captions << button->text();
    for (QLabel* label : dialog->findChildren<QLabel*>())
        if (label->isVisible()) captions << label->text();
    return captions;
}

// The real window with its real dialogs (not the scripted ones of TestWindow).
std::unique_ptr<frm_MacroWindow> RealWindow() {
    auto window = std::make_unique<frm_MacroWindow>();
    window->show();
    QApplication::processEvents();
    return window;
}

QStringList ContextMenuTexts(QPlainTextEdit* edit) {
    std::unique_ptr<QMenu> menu(edit->createStandardContextMenu());
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) texts << action->text().section(u'\t', 0, 0);
    return texts;
}

} // namespace

TEST(QtTranslations, OpenDialogSpeaksJapanese) {
    auto window = RealWindow();
    QStringList captions;
    QString title;
    WhenModalShown([&](QWidget* modal) {
        title = modal->windowTitle();
        captions = Captions(modal);
        static_cast<QDialog*>(modal)->reject();
    });
    window->Menu_Open_Click();
    EXPECT_TRUE(captions.contains(QStringLiteral("開く(&O)"))) << captions.join(u'|').toStdString();
    EXPECT_TRUE(captions.contains(QStringLiteral("キャンセル"))) << captions.join(u'|').toStdString();
    EXPECT_TRUE(captions.contains(QStringLiteral("ファイル名(&N):"))) << captions.join(u'|').toStdString();
    EXPECT_FALSE(captions.contains(QStringLiteral("Cancel")));
    EXPECT_EQ(title, QStringLiteral("開く"));
}

// Saving onto an existing file asks before replacing it, in Japanese; answering No leaves the file alone.
TEST(QtTranslations, SaveDialogAndOverwriteQuestionSpeakJapanese) {
    QTemporaryDir dir;
    const QString existing = dir.filePath(QStringLiteral("old.qlx"));
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("PRINT 0\r\n");
    }
    auto window = RealWindow();
    window->txt_Macro->setPlainText(QStringLiteral("PRINT 1"));
    QStringList saveCaptions;
    QString question;
    QStringList questionButtons;
    WhenModalShown([&](QWidget* modal) {
        auto* dialog = static_cast<QFileDialog*>(modal);
        saveCaptions = Captions(dialog);
        WhenModalShown([&](QWidget* box) {
            if (auto* message = qobject_cast<QMessageBox*>(box)) {
                question = message->text();
                for (QAbstractButton* b : message->buttons()) questionButtons << b->text();
                message->button(QMessageBox::No)->click();
            }
        });
        // Typed into the name box as a person would: selectFile() leaves the box alone once it has the focus,
        // which the window manager gives it at a moment of its own.
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(name, nullptr);
        name->setText(existing);
        static_cast<QDialog*>(dialog)->accept(); // asks the overwrite question; No keeps it open
        dialog->reject();
    });
    window->Menu_Save_Click();
    EXPECT_TRUE(saveCaptions.contains(QStringLiteral("保存(&S)"))) << saveCaptions.join(u'|').toStdString();
    EXPECT_EQ(question, QStringLiteral("old.qlx は既に存在します。\n置き換えますか?"));
    EXPECT_TRUE(questionButtons.contains(QStringLiteral("いいえ(&N)")))
        << questionButtons.join(u'|').toStdString();
    EXPECT_EQ(ReadAll(existing), QByteArray("PRINT 0\r\n"));
    EXPECT_TRUE(window->IsModified());
}

TEST(QtTranslations, ContextMenusSpeakJapanese) {
    auto window = RealWindow();
    const QStringList editor = ContextMenuTexts(window->txt_Macro);
    EXPECT_TRUE(editor.contains(QStringLiteral("元に戻す(&U)"))) << editor.join(u'|').toStdString();
    EXPECT_TRUE(editor.contains(QStringLiteral("貼り付け(&P)"))) << editor.join(u'|').toStdString();
    const QStringList log = ContextMenuTexts(window->txt_Log);
    EXPECT_TRUE(log.contains(QStringLiteral("コピー(&C)"))) << log.join(u'|').toStdString();
}
