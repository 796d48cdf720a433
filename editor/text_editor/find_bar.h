// FindBar: the find-and-replace bar under the macro text — find next and previous with wrap-around, an
// optional case-sensitive match, replace one and replace all (one undo step) — with its Japanese texts.
#pragma once

#include <QFrame>
#include <QList>
#include <QTextDocument>

class CodeTextEdit;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

class FindBar : public QFrame {
    Q_OBJECT

  public:
    // The bar makes itself the editor's bottom panel, hidden until opened.
    explicit FindBar(CodeTextEdit* editor);

    // Shows the bar without (Find) or with (Replace) the replace row, the editor's one-line selection as the
    // text to find, and puts the focus in the find box.
    void OpenFind();
    void OpenReplace();
    void CloseBar();

    // The next or previous match after or before the selection, from the other end when the text runs out;
    // false, with "見つかりません。" in the (then shown) bar, when there is none. With nothing to find the
    // bar opens instead.
    bool FindNext();
    bool FindPrevious();
    // Replaces the selection when it is a match, then finds the next one; false when the editor cannot be
    // edited or nothing more is found.
    bool ReplaceCurrent();
    // Replaces every match in one undo step; the number replaced.
    int ReplaceAll();

    // The bar's controls, named for tests and screen readers.
    QLineEdit* FindBox() const { return findBox_; }
    QLineEdit* ReplaceBox() const { return replaceBox_; }
    QCheckBox* CaseOption() const { return caseOption_; }
    QLabel* MessageLabel() const { return message_; }
    bool ReplaceRowShown() const;
    // The bar's controls that Tab reaches, in their order.
    QList<QWidget*> TabStops() const;

  signals:
    // The editor's caret was moved by a find or a replace.
    void caretMoved();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    void Build();
    void Open(bool withReplace);
    bool Find(bool backward);
    bool Editable() const;
    Qt::CaseSensitivity Sensitivity() const;
    void ShowMessage(const QString& text);

    CodeTextEdit* editor_;
    QLineEdit *findBox_ = nullptr, *replaceBox_ = nullptr;
    QCheckBox* caseOption_ = nullptr;
    QLabel *message_ = nullptr, *replaceLabel_ = nullptr;
    QPushButton *replaceButton_ = nullptr, *replaceAllButton_ = nullptr;
};
