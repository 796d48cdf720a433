// Form1: the viewer's window. Two option buttons choose between the function list and the constant-group
// list, a search field (where the focus starts) selects the entry with the longest common prefix as the user
// types, and the description box shows the selected entry's description from the data files.
#pragma once

#include <QWidget>

#include <array>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QRadioButton;

class Form1 : public QWidget {
    Q_OBJECT

  public:
    explicit Form1(QWidget* parent = nullptr);

    // Fills the description box with the description of name: from Data.ini while the function list is
    // shown, else from the file name + ".cnt" (empty when it is missing or cannot be read; a file refused as
    // no regular file or too large is named with the reason instead).
    void TextShow(const QString& name);

    // Shows the entry a name asks for, whatever its case: a function or keyword of the function list, a
    // constant group by its name, or the group that lists the name as one of its constants (VK_RETURN
    // opens VirtualKey). False, with nothing changed, for a name neither list knows.
    bool ShowEntry(const QString& name);

    // The controls, for the program's own wiring and for tests.
    std::array<QRadioButton*, 2> Option1{};
    QLineEdit* Text1 = nullptr;
    QListWidget* List1 = nullptr;
    QListWidget* List2 = nullptr;
    QPlainTextEdit* TextTxt = nullptr;

  private:
    QListWidget* VisibleList() const;
    int ConstantGroupListing(const QString& name) const;
    void SelectEntry(int option, QListWidget* list, int row);
    void FillDescription(const QString& text);
    void Option1_Click(int index);
    void Text1_Change();
    void List_Click(QListWidget* list, int row);
    void TextTxt_Change();

    bool changingSearch_ = false;
    bool filling_ = false;
    QString shownText_; // the box's text as TextShow left it
};
