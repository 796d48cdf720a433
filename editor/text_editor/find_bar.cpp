// The find bar's layout and its commands on the editor's document: find with wrap-around, replace and
// replace all.
#include "find_bar.h"

#include "code_text_edit.h"
#include "status_label_accessible.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QToolButton>

namespace {

QPushButton* Button(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

} // namespace

FindBar::FindBar(CodeTextEdit* editor) : QFrame(editor), editor_(editor) {
    setObjectName(QStringLiteral("findBar"));
    setAccessibleName(QStringLiteral("検索バー"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    Build();
    hide();
    editor_->SetBottomPanel(this);
}

// Row 1: find box, next, previous, close; row 2: replace box, replace, replace all; row 3: the case option
// and the message.
void FindBar::Build() {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(3, 2, 3, 2);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    findBox_ = new QLineEdit(this);
    findBox_->setAccessibleName(QStringLiteral("検索"));
    findBox_->installEventFilter(this);
    QPushButton* next = Button(QStringLiteral("次を検索"), this);
    QPushButton* previous = Button(QStringLiteral("前を検索"), this);
    auto* close = new QToolButton(this);
    close->setText(QStringLiteral("×"));
    close->setToolTip(QStringLiteral("閉じる (Esc)"));
    close->setAccessibleName(QStringLiteral("閉じる"));
    close->setAutoRaise(true);
    grid->addWidget(new QLabel(QStringLiteral("検索"), this), 0, 0);
    grid->addWidget(findBox_, 0, 1);
    grid->addWidget(next, 0, 2);
    grid->addWidget(previous, 0, 3);
    grid->addWidget(close, 0, 4);

    replaceLabel_ = new QLabel(QStringLiteral("置換"), this);
    replaceBox_ = new QLineEdit(this);
    replaceBox_->setAccessibleName(QStringLiteral("置換"));
    replaceBox_->installEventFilter(this);
    replaceButton_ = Button(QStringLiteral("置換"), this);
    replaceAllButton_ = Button(QStringLiteral("すべて置換"), this);
    grid->addWidget(replaceLabel_, 1, 0);
    grid->addWidget(replaceBox_, 1, 1);
    grid->addWidget(replaceButton_, 1, 2);
    grid->addWidget(replaceAllButton_, 1, 3);

    caseOption_ = new QCheckBox(QStringLiteral("大文字と小文字を区別"), this);
    message_ = new QLabel(this);
    SetStatusLabelAccessible(message_, QStringLiteral("検索の結果"), QAccessible::StaticText);
    message_->setStyleSheet(QStringLiteral("color: #B00000"));
    grid->addWidget(caseOption_, 2, 0, 1, 2);
    grid->addWidget(message_, 2, 2, 1, 3);
    grid->setColumnStretch(1, 1);

    connect(next, &QPushButton::clicked, this, &FindBar::FindNext);
    connect(previous, &QPushButton::clicked, this, &FindBar::FindPrevious);
    connect(close, &QToolButton::clicked, this, &FindBar::CloseBar);
    connect(replaceButton_, &QPushButton::clicked, this, &FindBar::ReplaceCurrent);
    connect(replaceAllButton_, &QPushButton::clicked, this, &FindBar::ReplaceAll);
}

bool FindBar::ReplaceRowShown() const {
    return !replaceBox_->isHidden();
}

void FindBar::OpenFind() {
    Open(false);
}

void FindBar::OpenReplace() {
    Open(true);
}

void FindBar::Open(bool withReplace) {
    const QTextCursor cursor = editor_->textCursor();
    const QTextDocument& text = *editor_->document();
    if (cursor.hasSelection() && editor_->LineOfBlock(text.findBlock(cursor.selectionStart())) ==
                                     editor_->LineOfBlock(text.findBlock(cursor.selectionEnd())))
        findBox_->setText(editor_->SelectedText());
    for (QWidget* part : {static_cast<QWidget*>(replaceLabel_), static_cast<QWidget*>(replaceBox_),
                          static_cast<QWidget*>(replaceButton_), static_cast<QWidget*>(replaceAllButton_)})
        part->setVisible(withReplace);
    ShowMessage(QString());
    show();
    findBox_->setFocus();
    findBox_->selectAll();
}

void FindBar::CloseBar() {
    hide();
    editor_->setFocus();
}

bool FindBar::FindNext() {
    return Find(false);
}

bool FindBar::FindPrevious() {
    return Find(true);
}

Qt::CaseSensitivity FindBar::Sensitivity() const {
    return caseOption_->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

bool FindBar::Find(bool backward) {
    const QString needle = findBox_->text();
    if (needle.isEmpty()) {
        Open(false);
        return false;
    }
    QTextCursor found = editor_->FindText(needle, editor_->textCursor(), backward, Sensitivity());
    bool wrapped = false;
    if (found.isNull()) {
        QTextCursor edge(editor_->document());
        if (backward) edge.movePosition(QTextCursor::End);
        found = editor_->FindText(needle, edge, backward, Sensitivity());
        wrapped = !found.isNull();
    }
    if (found.isNull()) {
        show();
        ShowMessage(QStringLiteral("見つかりません。"));
        return false;
    }
    editor_->setTextCursor(found);
    editor_->ensureCursorVisible();
    ShowMessage(!wrapped   ? QString()
                : backward ? QStringLiteral("末尾に戻って検索しました。")
                           : QStringLiteral("先頭に戻って検索しました。"));
    emit caretMoved();
    return true;
}

bool FindBar::Editable() const {
    return editor_->isEnabled() && !editor_->isReadOnly();
}

bool FindBar::ReplaceCurrent() {
    if (!Editable() || findBox_->text().isEmpty()) return false;
    QTextCursor cursor = editor_->textCursor();
    if (cursor.hasSelection() && editor_->SelectedText().compare(findBox_->text(), Sensitivity()) == 0) {
        cursor.insertText(replaceBox_->text());
        editor_->setTextCursor(cursor);
    }
    return Find(false);
}

int FindBar::ReplaceAll() {
    const QString needle = findBox_->text();
    if (!Editable() || needle.isEmpty()) return 0;
    // The places are found first and replaced from the last, so that no replacement moves one still to come.
    const std::vector<std::pair<int, int>> places = editor_->FindAll(needle, Sensitivity());
    QTextCursor group(editor_->document());
    group.beginEditBlock();
    for (auto place = places.rbegin(); place != places.rend(); ++place) {
        group.setPosition(place->first);
        group.setPosition(place->second, QTextCursor::KeepAnchor);
        group.insertText(replaceBox_->text());
    }
    group.endEditBlock();
    const int count = static_cast<int>(places.size());
    ShowMessage(count == 0 ? QStringLiteral("見つかりません。")
                           : QStringLiteral("%1 件置換しました。").arg(count));
    return count;
}

void FindBar::ShowMessage(const QString& text) {
    message_->setText(text);
}

// The bar lies inside the editor, so a key its controls leave unused would go on to the editor and type
// into the macro (a tab over the found text, say). Every such key ends here; Esc closes the bar.
void FindBar::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) CloseBar();
    event->accept();
}

QList<QWidget*> FindBar::TabStops() const {
    QList<QWidget*> stops;
    for (QWidget* w = nextInFocusChain(); w != this; w = w->nextInFocusChain()) {
        if (isAncestorOf(w) && w->isVisibleTo(this) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            stops.append(w);
    }
    return stops;
}

// Tab and Shift+Tab go round the bar's own controls. The editor would otherwise be asked, and an editor
// that takes Tab as text answers that it does not move the focus, so the key would be typed into it.
bool FindBar::focusNextPrevChild(bool next) {
    const QList<QWidget*> stops = TabStops();
    if (stops.isEmpty()) return false;
    const qsizetype at = stops.indexOf(focusWidget());
    const qsizetype count = stops.size();
    const qsizetype to = at < 0 ? 0 : (at + (next ? 1 : count - 1)) % count;
    stops[to]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
}

// Enter in the find box finds the next match (Shift+Enter the previous one); in the replace box it replaces.
bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QFrame::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return QFrame::eventFilter(watched, event);
    if (watched == replaceBox_)
        ReplaceCurrent();
    else if (key->modifiers() & Qt::ShiftModifier)
        FindPrevious();
    else
        FindNext();
    return true;
}
