// The viewer's window: its controls and layout, the option switch, the search as the user types, showing a
// description and writing an edited description back to Data.ini.
#include "form1.h"

#include "description_wrap.h"
#include "function_lists.h"
#include "ini.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

const QString kFunctionSection = QStringLiteral("FUNCTION");
constexpr int kListWidth = 170;

QListWidget* MakeList(const QStringList& entries, const QString& accessibleName, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setAccessibleName(accessibleName);
    list->addItems(entries);
    list->setFixedWidth(kListWidth);
    return list;
}

// A plain widget shown as a window is a "client area" to the toolkit's accessibility, which screen readers
// do not announce as a window: Form1 takes the window role, as a main window has.
QAccessibleInterface* WindowAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("Form1")) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

} // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(WindowAccessible);
        return true;
    }();
    static_cast<void>(factoryInstalled);
    setWindowTitle(QStringLiteral("関数ビューア"));
    resize(640, 440);

    Option1[0] = new QRadioButton(QStringLiteral("関数"), this);
    Option1[1] = new QRadioButton(QStringLiteral("定数/他"), this);
    Option1[0]->setChecked(true);
    // The controls without a caption get accessible names, the ones screen readers and GUI test tools know
    // them by; the options are known by their captions.
    Text1 = new QLineEdit(this);
    Text1->setAccessibleName(QStringLiteral("検索"));
    List1 = MakeList(FunctionEntries(), QStringLiteral("関数の一覧"), this);
    List2 = MakeList(ConstantEntries(), QStringLiteral("定数/他の一覧"), this);
    List2->hide();
    TextTxt = new QPlainTextEdit(this);
    TextTxt->setAccessibleName(QStringLiteral("説明"));
    TextTxt->setReadOnly(true);
    TextTxt->setUndoRedoEnabled(false); // nothing to undo in a box only the program fills
    TextTxt->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    auto* options = new QHBoxLayout;
    options->addWidget(Option1[0]);
    options->addWidget(Option1[1]);
    options->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(Text1);
    left->addWidget(List1);
    left->addWidget(List2);
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addWidget(TextTxt, 1);
    auto* top = new QVBoxLayout(this);
    top->addLayout(options);
    top->addLayout(body, 1);
    Text1->setFixedWidth(kListWidth);

    for (int i = 0; i < 2; ++i) {
        connect(Option1[static_cast<size_t>(i)], &QRadioButton::toggled, this, [this, i](bool checked) {
            if (checked) Option1_Click(i);
        });
    }
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    for (QListWidget* list : {List1, List2}) {
        connect(list, &QListWidget::currentRowChanged, this,
                [this, list](int row) { List_Click(list, row); });
        connect(list, &QListWidget::itemClicked, this,
                [this, list](QListWidgetItem* item) { List_Click(list, list->row(item)); });
    }
    connect(TextTxt, &QPlainTextEdit::textChanged, this, &Form1::TextTxt_Change);
    // Typing goes straight to the search: the first letters of a name jump to it.
    Text1->setFocus();
}

bool Form1::ShowEntry(const QString& name) {
    const QString wanted = name.trimmed();
    if (wanted.isEmpty()) return false;
    for (int row = 0; row < List1->count(); ++row) {
        if (List1->item(row)->text().trimmed().compare(wanted, Qt::CaseInsensitive) == 0) {
            SelectEntry(0, List1, row);
            return true;
        }
    }
    for (int row = 0; row < List2->count(); ++row) {
        if (List2->item(row)->text().compare(wanted, Qt::CaseInsensitive) == 0) {
            SelectEntry(1, List2, row);
            return true;
        }
    }
    const int group = ConstantGroupListing(wanted);
    if (group < 0) return false;
    SelectEntry(1, List2, group);
    return true;
}

// The row of the constant group whose file has a line starting with the name, as "VK_A = 65" or
// "IMG_X（FINDIMG が設定）" do; -1 when none has.
int Form1::ConstantGroupListing(const QString& name) const {
    const QRegularExpression entry(
        QStringLiteral("^%1(?![A-Za-z0-9_])").arg(QRegularExpression::escape(name)),
        QRegularExpression::CaseInsensitiveOption);
    for (int row = 0; row < List2->count(); ++row) {
        const QStringList lines =
            ReadDataLines(List2->item(row)->text() + QStringLiteral(".cnt")).value_or(QStringList());
        for (const QString& line : lines)
            if (entry.match(line).hasMatch()) return row;
    }
    return -1;
}

void Form1::SelectEntry(int option, QListWidget* list, int row) {
    Option1[static_cast<size_t>(option)]->setChecked(true);
    if (list->currentRow() == row)
        TextShow(list->item(row)->text());
    else
        list->setCurrentRow(row);
}

QListWidget* Form1::VisibleList() const {
    return List1->isHidden() ? List2 : List1;
}

void Form1::TextShow(const QString& name) {
    const bool functions = !List1->isHidden();
    const QString file = functions ? QStringLiteral("Data.ini") : name + QStringLiteral(".cnt");
    // A refused data file (no regular file, or too large) is named in the box with the reason.
    QString text = DataFileRefusal(file);
    if (text.isEmpty() && functions) {
        text = IniRead(kFunctionSection, name).replace(u'|', u'\n');
    } else if (text.isEmpty()) {
        text = ReadDataLines(file).value_or(QStringList()).join(u'\n');
    }
    filling_ = true;
    const QFont::StyleStrategy strategy = DescriptionStyleStrategy(text, TextTxt->font().styleStrategy());
    if (strategy != TextTxt->font().styleStrategy()) { // only then: the box keeps following the window's font
        QFont font = TextTxt->font();
        font.setStyleStrategy(strategy);
        TextTxt->setFont(font);
    }
    FillDescription(text);
    shownText_ = TextTxt->toPlainText();
    filling_ = false;
}

// The box is emptied, its one paragraph told to keep its layout, and the text inserted there: the box then
// lays out each long paragraph once. setPlainText would lay out the new paragraph, drop that layout and make
// it again for the caret, which for a description of megabytes is two layouts of a hundred megabytes each.
void Form1::FillDescription(const QString& text) {
    QTextDocument* document = TextTxt->document();
    TextTxt->setWordWrapMode(DescriptionWrapMode(text));
    document->setPlainText(QString());
    document->firstBlock().layout()->setCacheEnabled(true);
    QTextCursor caret = TextTxt->textCursor(); // stays before the text: a description opens at its top
    caret.setKeepPositionOnInsert(true);
    TextTxt->setTextCursor(caret);
    QTextCursor(document).insertText(text);
    caret.setKeepPositionOnInsert(false);
    TextTxt->setTextCursor(caret);
    for (QTextBlock block = document->firstBlock(); block.isValid(); block = block.next())
        block.layout()->setCacheEnabled(block.length() > kLongestWrappedRun);
}

void Form1::Option1_Click(int index) {
    List1->setVisible(index == 0);
    List2->setVisible(index == 1);
}

void Form1::Text1_Change() {
    if (changingSearch_) return;
    const QString typed = Text1->text().toUpper();
    if (typed != Text1->text()) {
        changingSearch_ = true;
        Text1->setText(typed);
        changingSearch_ = false;
    }
    Text1->setCursorPosition(static_cast<int>(typed.size()));

    // The entry with the longest common prefix wins; ties go to the earlier entry, and with nothing in common
    // the first entry is chosen.
    QListWidget* list = VisibleList();
    for (qsizetype n = typed.size(); n >= 0; --n) {
        const QString prefix = typed.left(n);
        for (int row = 0; row < list->count(); ++row) {
            if (list->item(row)->text().left(n) != prefix) continue;
            if (list->currentRow() == row) {
                TextShow(list->item(row)->text()); // the same entry again: show it, the other list may have
            } else {                               // filled the box meanwhile
                list->setCurrentRow(row);
            }
            return;
        }
    }
}

void Form1::List_Click(QListWidget* list, int row) {
    if (row < 0 || list->isHidden()) return;
    TextShow(list->item(row)->text());
}

void Form1::TextTxt_Change() {
    if (filling_ || List1->isHidden() || List1->currentItem() == nullptr) return;
    const QString text = TextTxt->toPlainText();
    if (text == shownText_) return; // unchanged: never rewrite what was just read
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n|\u2029"));
    QString value = text;
    value.replace(lineBreak, QStringLiteral("|"));
    if (IniWrite(kFunctionSection, List1->currentItem()->text(), value)) shownText_ = text;
}
