// The main window's editing commands beyond select all: undo, the clipboard, the line edits and zoom of the
// editor, the find bar's commands and go to line in the 編集 menu, and the shortcuts of the file commands.
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
    BuildLineAndZoomCommands();
}

// An item for a command the editor already does on its own key. The menu shows that key, but the key stays
// the editor's: it acts only while the editor has the focus, and some keys mean more than one thing there
// (Tab indents a selection over several lines and types a tab otherwise), which a window-wide shortcut would
// override. An item whose key is live only in a widget it is not added to is never set off by the key.
QAction* frm_MacroWindow::EditorKeyAction(QMenu* menu, const QString& caption, const QKeySequence& key,
                                          void (frm_MacroWindow::*slot)()) {
    QAction* action = menu->addAction(caption, this, slot);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
    return action;
}

void frm_MacroWindow::BuildTextEditingCommands() {
    mnuUndo = EditorKeyAction(mnuEdit, QStringLiteral("元に戻す(&U)"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                              &frm_MacroWindow::mnuUndo_Click);
    mnuRedo = EditorKeyAction(mnuEdit, QStringLiteral("やり直し(&Y)"), QKeySequence(Qt::CTRL | Qt::Key_Y),
                              &frm_MacroWindow::mnuRedo_Click);
    mnuEdit->addSeparator();
    mnuCut = EditorKeyAction(mnuEdit, QStringLiteral("切り取り(&T)"), QKeySequence(Qt::CTRL | Qt::Key_X),
                             &frm_MacroWindow::mnuCut_Click);
    mnuCopy = EditorKeyAction(mnuEdit, QStringLiteral("コピー(&C)"), QKeySequence(Qt::CTRL | Qt::Key_C),
                              &frm_MacroWindow::mnuCopy_Click);
    mnuPaste = EditorKeyAction(mnuEdit, QStringLiteral("貼り付け(&V)"), QKeySequence(Qt::CTRL | Qt::Key_V),
                               &frm_MacroWindow::mnuPaste_Click);
    mnuEdit->addSeparator();
    for (auto signal :
         {&QPlainTextEdit::undoAvailable, &QPlainTextEdit::redoAvailable, &QPlainTextEdit::copyAvailable})
        connect(txt_Macro, signal, this, &frm_MacroWindow::UpdateEditingCommands);
    connect(mnuEdit, &QMenu::aboutToShow, this, &frm_MacroWindow::UpdateEditingCommands);
}

void frm_MacroWindow::BuildLineAndZoomCommands() {
    mnuEdit->addSeparator();
    mnuComment = EditorKeyAction(mnuEdit, QStringLiteral("コメント(&M)"),
                                 QKeySequence(Qt::CTRL | Qt::Key_Slash), &frm_MacroWindow::mnuComment_Click);
    mnuIndent = EditorKeyAction(mnuEdit, QStringLiteral("インデント(&I)"), QKeySequence(Qt::Key_Tab),
                                &frm_MacroWindow::mnuIndent_Click);
    mnuOutdent = EditorKeyAction(mnuEdit, QStringLiteral("インデント解除(&D)"),
                                 QKeySequence(Qt::SHIFT | Qt::Key_Tab), &frm_MacroWindow::mnuOutdent_Click);
    mnuZoom = mnuEdit->addMenu(QStringLiteral("拡大/縮小(&Z)"));
    mnuZoom->setObjectName(QStringLiteral("mnuZoom"));
    mnuZoomIn = EditorKeyAction(mnuZoom, QStringLiteral("拡大(&I)"), QKeySequence(Qt::CTRL | Qt::Key_Plus),
                                &frm_MacroWindow::mnuZoomIn_Click);
    mnuZoomOut = EditorKeyAction(mnuZoom, QStringLiteral("縮小(&O)"), QKeySequence(Qt::CTRL | Qt::Key_Minus),
                                 &frm_MacroWindow::mnuZoomOut_Click);
    mnuZoomReset = EditorKeyAction(mnuZoom, QStringLiteral("元の大きさ(&R)"),
                                   QKeySequence(Qt::CTRL | Qt::Key_0), &frm_MacroWindow::mnuZoomReset_Click);
    UpdateEditingCommands();
}

// The commands that change the text wait while a macro runs, as the editor itself does; undo, redo, cut and
// copy also wait for something to undo, redo or copy.
void frm_MacroWindow::UpdateEditingCommands() {
    if (mnuComment == nullptr) return; // still being built
    const bool editable = !running_;
    const QTextDocument* document = txt_Macro->document();
    const bool selection = txt_Macro->textCursor().hasSelection();
    mnuUndo->setEnabled(editable && document->isUndoAvailable());
    mnuRedo->setEnabled(editable && document->isRedoAvailable());
    mnuCut->setEnabled(editable && selection);
    mnuCopy->setEnabled(selection);
    for (QAction* action : {mnuPaste, mnuComment, mnuIndent, mnuOutdent}) action->setEnabled(editable);
}

// Each command acts on the macro text as its key does there, and leaves the focus in the text; the commands
// that change the text do nothing while a run holds it.
void frm_MacroWindow::EditMacroText(void (MacroTextEdit::*command)()) {
    if (running_) return;
    (txt_Macro->*command)();
    txt_Macro->setFocus();
}

void frm_MacroWindow::mnuUndo_Click() {
    EditMacroText(&MacroTextEdit::undo);
}

void frm_MacroWindow::mnuRedo_Click() {
    EditMacroText(&MacroTextEdit::redo);
}

void frm_MacroWindow::mnuCut_Click() {
    EditMacroText(&MacroTextEdit::cut);
}

void frm_MacroWindow::mnuCopy_Click() {
    txt_Macro->copy();
}

void frm_MacroWindow::mnuPaste_Click() {
    EditMacroText(&MacroTextEdit::paste);
}

void frm_MacroWindow::mnuComment_Click() {
    EditMacroText(&MacroTextEdit::ToggleCommentOfSelectedLines);
}

void frm_MacroWindow::mnuIndent_Click() {
    EditMacroText(&MacroTextEdit::IndentSelectedLines);
}

void frm_MacroWindow::mnuOutdent_Click() {
    EditMacroText(&MacroTextEdit::OutdentSelectedLines);
}

void frm_MacroWindow::mnuZoomIn_Click() {
    txt_Macro->ZoomIn();
}

void frm_MacroWindow::mnuZoomOut_Click() {
    txt_Macro->ZoomOut();
}

void frm_MacroWindow::mnuZoomReset_Click() {
    txt_Macro->ZoomReset();
}

// Asks for a line number (1..line count) as the tab-size command asks for its size, and refuses anything else
// the same way; a cancelled box does nothing.
void frm_MacroWindow::mnuGoToLine_Click() {
    if (running_) return;
    const int count = txt_Macro->LineCount();
    const std::optional<QString> answer = dialogs_.inputText(
        QStringLiteral("行へ移動"), QStringLiteral("行番号を入力して下さい。(1～%1）").arg(count),
        QString::number(txt_Macro->CaretLine()));
    if (!answer) return;
    const int line = LineNumberOfAnswer(*answer, count);
    if (line == 0) {
        dialogs_.inform(QStringLiteral("指定できません。"));
        return;
    }
    txt_Macro->setTextCursor(QTextCursor(txt_Macro->BlockOfLine(line)));
    txt_Macro->centerCursor();
    txt_Macro->setFocus();
    ShowCaretLine();
}
