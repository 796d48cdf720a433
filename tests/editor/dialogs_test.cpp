// Tests of the Qt dialogs behind the built-ins: message-box styles (buttons, icons, default button, the
// number returned), the input box's cancel, the MES window's place and width in twips, and the syntax
// colouring.
#include "editor_test_support.h"
#include "macro_highlighter.h"
#include "qt_user_interface.h"

#include <QInputDialog>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>

#include <gtest/gtest.h>

#include <cmath>

using namespace editor_testing;

namespace {

QStringList ButtonCaptions(const QMessageBox& box) {
    QStringList list;
    for (int32_t number : ButtonsOfStyle(0)) (void)number;
    for (QAbstractButton* b : box.buttons()) list << b->text();
    list.sort();
    return list;
}

QString DefaultCaption(const QMessageBox& box) {
    return box.defaultButton() != nullptr ? box.defaultButton()->text() : QString();
}

} // namespace

TEST(MessageBoxStyle, ButtonsIconsAndDefaults) {
    EXPECT_EQ(ButtonsOfStyle(0), std::vector<int32_t>{kButtonOk});
    EXPECT_EQ(ButtonsOfStyle(1), (std::vector<int32_t>{kButtonOk, kButtonCancel}));
    EXPECT_EQ(ButtonsOfStyle(2), (std::vector<int32_t>{kButtonAbort, kButtonRetry, kButtonIgnore}));
    EXPECT_EQ(ButtonsOfStyle(3 + 48 + 512), (std::vector<int32_t>{kButtonYes, kButtonNo, kButtonCancel}));
    EXPECT_EQ(ButtonsOfStyle(4 + 64), (std::vector<int32_t>{kButtonYes, kButtonNo}));
    EXPECT_EQ(ButtonsOfStyle(5 + 16), (std::vector<int32_t>{kButtonRetry, kButtonCancel}));
    EXPECT_EQ(ButtonsOfStyle(9), std::vector<int32_t>{kButtonOk});
    EXPECT_EQ(IconOfStyle(16), QMessageBox::Critical);
    EXPECT_EQ(IconOfStyle(32 + 4), QMessageBox::Question);
    EXPECT_EQ(IconOfStyle(48 + 256), QMessageBox::Warning);
    EXPECT_EQ(IconOfStyle(64), QMessageBox::Information);
    EXPECT_EQ(IconOfStyle(1), QMessageBox::NoIcon);
    EXPECT_EQ(DefaultButtonIndexOfStyle(3 + 256), 1);
    EXPECT_EQ(DefaultButtonIndexOfStyle(2 + 512), 2);
    EXPECT_EQ(DefaultButtonIndexOfStyle(4 + 512), 0); // Yes/No has no third button
    EXPECT_EQ(DefaultButtonIndexOfStyle(0 + 256), 0);

    auto box = BuildStyledMessageBox(QStringLiteral("本文"), 3 + 32 + 256, QStringLiteral("QuillonMacro"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("QuillonMacro"));
    EXPECT_EQ(box->text(), QStringLiteral("本文"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_EQ(ButtonCaptions(*box), (QStringList{"いいえ(&N)", "はい(&Y)", "キャンセル"}));
    EXPECT_EQ(DefaultCaption(*box), QStringLiteral("いいえ(&N)"));
    auto abort = BuildStyledMessageBox(QString(), 2 + 512, QString());
    EXPECT_EQ(DefaultCaption(*abort), QStringLiteral("無視(&I)"));
}

TEST(MessageBoxStyle, PressedButtonNumbers) {
    const int32_t styles[] = {0, 1, 2, 3, 4, 5};
    for (int32_t style : styles) {
        for (int32_t expected : ButtonsOfStyle(style)) {
            auto box = BuildStyledMessageBox(QStringLiteral("q"), style, QStringLiteral("QuillonMacro"));
            for (QAbstractButton* b : box->buttons()) {
                if (b->property("buttonNumber").toInt() != expected) continue;
                QTimer::singleShot(0, b, &QAbstractButton::click);
            }
            box->exec();
            EXPECT_EQ(PressedButtonNumber(*box, style), expected) << style;
        }
    }
    // Closed without a button: Cancel where there is one, else the first button.
    auto cancel = BuildStyledMessageBox(QString(), 5, QString());
    EXPECT_EQ(PressedButtonNumber(*cancel, 5), kButtonCancel);
    auto yesNo = BuildStyledMessageBox(QString(), 4, QString());
    EXPECT_EQ(PressedButtonNumber(*yesNo, 4), kButtonYes);
}

TEST(QtDialogs, EscapeOnAMessageBoxAndInputBoxCancel) {
    QtUserInterface ui;
    WhenModalShown([](QWidget* box) { static_cast<QMessageBox*>(box)->reject(); });
    EXPECT_EQ(ui.MessageBox(u"x", 1, u"QuillonMacro"), kButtonCancel);

    WhenModalShown([](QWidget* input) {
        auto* dialog = static_cast<QInputDialog*>(input);
        dialog->setTextValue(QStringLiteral("typed but cancelled"));
        dialog->reject();
    });
    EXPECT_EQ(ui.InputBox(u"prompt", u"QuillonMacro"), u"");

    QString label, ok, cancel;
    WhenModalShown([&](QWidget* input) {
        auto* dialog = static_cast<QInputDialog*>(input);
        label = dialog->labelText();
        ok = dialog->okButtonText();
        cancel = dialog->cancelButtonText();
        dialog->setTextValue(QStringLiteral("答え"));
        dialog->accept();
    });
    EXPECT_EQ(ui.InputBox(u"質問", u"t"), u"答え");
    EXPECT_EQ(label, QStringLiteral("質問"));
    EXPECT_EQ(cancel, QStringLiteral("キャンセル"));
}

TEST(QtDialogs, MessageWindowPlaceAndWidthInTwips) {
    QtUserInterface ui;
    EXPECT_FALSE(ui.IsMessageWindowOpen());
    ui.ShowMessageWindow();
    ui.SetMessageWindowPosition(1440, 720);
    ui.SetMessageText(u"こんにちは、世界");
    ui.SetMessageWindowWidth(2 * ui.MessageLabelLeft() + ui.MessageLabelWidth());
    MesFrm* frm = ui.MessageWindow();
    ASSERT_NE(frm, nullptr);
    const double dpiX = frm->screen()->logicalDotsPerInchX();
    const double dpiY = frm->screen()->logicalDotsPerInchY();
    ASSERT_TRUE(WaitFor([&] {
        return frm->isVisible() && frm->pos() == QPoint(std::lround(dpiX), std::lround(dpiY / 2));
    })) << frm->pos().x()
        << "," << frm->pos().y();
    EXPECT_EQ(frm->Label()->pos(), QPoint(std::lround(120 * dpiX / 1440), std::lround(120 * dpiY / 1440)));
    EXPECT_EQ(ui.MessageLabelLeft(), 120);
    // Equal margins on both sides of the label, which is as wide as its text.
    EXPECT_GE(frm->Label()->width(), frm->Label()->fontMetrics().horizontalAdvance(frm->Label()->text()));
    EXPECT_NEAR(frm->width(), 2 * frm->Label()->x() + frm->Label()->width(), 1);
    EXPECT_EQ(frm->Label()->text(), QStringLiteral("こんにちは、世界"));

    // Top left corner, and the same window again after it was closed.
    ui.CloseMessageWindow();
    EXPECT_FALSE(ui.IsMessageWindowOpen());
    ui.ShowMessageWindow();
    ui.SetMessageWindowPosition(0, 0);
    EXPECT_EQ(ui.MessageWindow(), frm);
    EXPECT_TRUE(WaitFor([&] { return frm->pos() == QPoint(0, 0); }));
    EXPECT_TRUE(ui.IsMessageWindowOpen());
}

TEST(SyntaxColouring, WordsAndLines) {
    TestWindow w;
    const MacroHighlighter* highlighter = w->txt_Macro->findChild<MacroHighlighter*>();
    if (highlighter == nullptr) highlighter = w->txt_Macro->document()->findChild<MacroHighlighter*>();
    ASSERT_NE(highlighter, nullptr);
    using K = MacroHighlighter::WordKind;
    EXPECT_EQ(highlighter->KindOfWord(QStringLiteral("while")), K::Keyword);
    EXPECT_EQ(highlighter->KindOfWord(QStringLiteral("Mod")), K::Keyword);
    EXPECT_EQ(highlighter->KindOfWord(QStringLiteral("print")), K::Builtin);
    EXPECT_EQ(highlighter->KindOfWord(QStringLiteral("VK_RETURN")), K::Builtin);
    EXPECT_EQ(highlighter->KindOfWord(QStringLiteral("&H1F")), K::Number);
    EXPECT_EQ(highlighter->KindOfWord(QStringLiteral("12.5")), K::Number);
    EXPECT_EQ(highlighter->KindOfWord(QStringLiteral("total")), K::Plain);

    w->txt_Macro->setPlainText(QStringLiteral("IF a = 1 THEN PRINT \"x 'y\" ' note"));
    QApplication::processEvents();
    const QTextBlock block = w->txt_Macro->document()->firstBlock();
    const QString text = block.text();
    auto colourAt = [&](int position) {
        for (const QTextLayout::FormatRange& r : block.layout()->formats())
            if (position >= r.start && position < r.start + r.length) return r.format.foreground().color();
        return QColor();
    };
    const QColor keyword = colourAt(0), number = colourAt(text.indexOf(u'1'));
    const QColor builtin = colourAt(text.indexOf(QStringLiteral("PRINT")));
    const QColor string = colourAt(text.indexOf(QStringLiteral("'y")));
    const QColor comment = colourAt(text.indexOf(QStringLiteral("note")));
    EXPECT_TRUE(keyword.isValid() && number.isValid() && builtin.isValid() && string.isValid() &&
                comment.isValid());
    EXPECT_EQ(colourAt(text.indexOf(QStringLiteral("THEN"))), keyword);
    EXPECT_FALSE(colourAt(text.indexOf(u'a')).isValid());
    QSet<QRgb> distinct{keyword.rgb(), number.rgb(), builtin.rgb(), string.rgb(), comment.rgb()};
    EXPECT_EQ(distinct.size(), 5);
}

// Only the words that start in the first MacroHighlighter::kColouredColumns characters of a line are coloured
// (a word running past them whole); the rest of a long line stays plain, and its text as it was.
TEST(SyntaxColouring, LongLinesColouredOnlyAtTheirStart) {
    TestWindow w;
    const int columns = MacroHighlighter::kColouredColumns;
    QString line = QStringLiteral("PRINT 1");
    while (line.size() < columns - 3) line += QStringLiteral("+1");
    line += QStringLiteral("+\"") + QString(20, u'x') + QStringLiteral("\"");
    const int string = static_cast<int>(line.indexOf(u'"'));
    while (line.size() < 3 * columns) line += QStringLiteral("+1");
    line += QStringLiteral(" ' note");
    w->txt_Macro->setPlainText(line + QStringLiteral("\nPRINT 1 ' note"));
    QApplication::processEvents();

    const QTextBlock block = w->txt_Macro->document()->firstBlock();
    int lastColoured = 0;
    bool stringWhole = false;
    for (const QTextLayout::FormatRange& r : block.layout()->formats()) {
        lastColoured = std::max(lastColoured, r.start + r.length);
        stringWhole = stringWhole || (r.start == string && r.length == 22);
    }
    EXPECT_TRUE(stringWhole);
    EXPECT_EQ(lastColoured, string + 22);
    EXPECT_EQ(block.text(), line);
    EXPECT_EQ(block.next().layout()->formats().size(), 3); // a short line: PRINT, 1 and the comment

    // A line held in chunks is coloured at its start only, not again at each chunk's start.
    while (line.size() < 4 * CodeTextEdit::kLongestUnwrappedLine) line += QStringLiteral("+1");
    w->txt_Macro->setPlainText(line);
    QApplication::processEvents();
    ASSERT_GT(w->txt_Macro->blockCount(), 2);
    EXPECT_FALSE(w->txt_Macro->document()->firstBlock().layout()->formats().isEmpty());
    for (QTextBlock chunk = w->txt_Macro->document()->firstBlock().next(); chunk.isValid();
         chunk = chunk.next())
        EXPECT_TRUE(chunk.layout()->formats().isEmpty()) << "block " << chunk.blockNumber();
}
