// The main window's editing commands beyond select all: the find bar's commands and go to line in the 編集
// menu, and the shortcuts of the file commands.
#include "editor_widgets.h"
#include "find_bar.h"
#include "frm_macro_window.h"
#include "value_ops.h"

#include <QMenu>
#include <QTextBlock>

#include <cmath>

namespace {

// The line number an answer names: its leading decimal number, truncated; 0 when it has none or when it lies
// outside 1..lineCount.
int LineNumberOfAnswer(const QString& answer, int lineCount) {
    double value = 0;
    if (ReadLeadingNumber(answer.toStdU16String(), value) != 0 || !std::isfinite(value)) return 0;
    const double whole = std::trunc(value);
    return whole >= 1 && whole <= lineCount ? static_cast<int>(whole) : 0;
}

} // namespace

void frm_MacroWindow::BuildEditCommands() {
    Menu_New->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    Menu_Open->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Menu_Save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));

    bar_Find = new FindBar(txt_Macro);
    connect(bar_Find, &FindBar::caretMoved, this, &frm_MacroWindow::ShowCaretLine);
    mnuEdit->addSeparator();
    mnuFind = mnuEdit->addAction(QStringLiteral("検索(&F)"), bar_Find, &FindBar::OpenFind);
    mnuFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuFindNext = mnuEdit->addAction(QStringLiteral("次を検索(&N)"), bar_Find, &FindBar::FindNext);
    mnuFindNext->setShortcut(QKeySequence(Qt::Key_F3));
    mnuFindPrevious = mnuEdit->addAction(QStringLiteral("前を検索(&P)"), bar_Find, &FindBar::FindPrevious);
    mnuFindPrevious->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3));
    mnuReplace = mnuEdit->addAction(QStringLiteral("置換(&R)"), bar_Find, &FindBar::OpenReplace);
    mnuReplace->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    mnuGoToLine =
        mnuEdit->addAction(QStringLiteral("行へ移動(&G)"), this, &frm_MacroWindow::mnuGoToLine_Click);
    mnuGoToLine->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
}

// Asks for a line number (1..line count) as the tab-size command asks for its size, and refuses anything else
// the same way; a cancelled box does nothing.
void frm_MacroWindow::mnuGoToLine_Click() {
    if (running_) return;
    const int count = txt_Macro->blockCount();
    const std::optional<QString> answer = dialogs_.inputText(
        QStringLiteral("行へ移動"), QStringLiteral("行番号を入力して下さい。(1～%1）").arg(count),
        QString::number(txt_Macro->textCursor().blockNumber() + 1));
    if (!answer) return;
    const int line = LineNumberOfAnswer(*answer, count);
    if (line == 0) {
        dialogs_.inform(QStringLiteral("指定できません。"));
        return;
    }
    txt_Macro->setTextCursor(QTextCursor(txt_Macro->document()->findBlockByNumber(line - 1)));
    txt_Macro->centerCursor();
    txt_Macro->setFocus();
    ShowCaretLine();
}
