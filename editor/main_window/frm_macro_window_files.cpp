// The main window's file and editor commands: new, open, save and drop with the unsaved-text question that
// never lets a text go unsaved, select all, tab size, font, log clear, the function viewer, the two web pages
// and the version notice.
#include "auto_input_frm.h"
#include "editor_widgets.h"
#include "frm_macro_window.h"
#include "guide_frm.h"
#include "editor_files.h"
#include "line_editing.h"
#include "message_box_style.h"
#include "value_ops.h"
#include "web_pages.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTextBlock>
#include <QUrl>

#include <cmath>

#ifndef QM_VERSION
#define QM_VERSION "0.3.1"
#endif

namespace {

const QString kSaveQuestion = QStringLiteral("マクロ内容が変更されています。\n保存しますか？");
constexpr int kMinTabSize = 1;
constexpr int kMaxTabSize = 100;

MacroFileLog LogOf(frm_MacroWindow& window) {
    return [&window](const std::u16string& line) { window.AppendLog(QString::fromStdU16String(line)); };
}

// The leading decimal number of the answer, truncated; 0 when it has none, -1 when it is out of all range.
int TabSizeOfAnswer(const QString& answer) {
    double value = 0;
    if (ReadLeadingNumber(answer.toStdU16String(), value) != 0 || !std::isfinite(value)) return -1;
    const double whole = std::trunc(value);
    if (whole < -1 || whole > kMaxTabSize + 1) return -1;
    return static_cast<int>(whole);
}

} // namespace

// The unsaved-text question before the text is replaced or the window closes: true to go on. Yes goes on
// only when the save really wrote the file, so a cancelled save dialog or a failed write keeps the text.
// A question the program's end interrupted counts as cancelled, whatever closing the box answered: the text
// stays as it is, for its recovery copy.
bool frm_MacroWindow::SaveChangesFirst(const QString& question) {
    if (!IsModified()) return true;
    const int32_t answer = dialogs_.askYesNoCancel(question);
    if (endingWithoutUser_) return false;
    if (answer == kButtonYes) return SaveWithDialog();
    return answer == kButtonNo;
}

void frm_MacroWindow::NewMacro() {
    if (!SaveChangesFirst(kSaveQuestion)) return;
    RememberBreakpoints();
    savedText_.clear();
    txt_Macro->clear();
    currentFilePath_.clear();
    SetCaption(QString());
    DiscardRecoveryCopy();
}

// The breakpoints of the file being left, for when it is opened again while the editor is open.
void frm_MacroWindow::RememberBreakpoints() {
    if (currentFilePath_.isEmpty()) return;
    const QString key = QFileInfo(currentFilePath_).absoluteFilePath();
    const QList<int> lines = txt_Macro->Breakpoints();
    if (lines.isEmpty())
        breakpointsByFile_.remove(key);
    else
        breakpointsByFile_.insert(key, lines);
}

void frm_MacroWindow::Menu_New_Click() {
    NewMacro();
}

// The loaded text ends every line with CR LF; the editor shows its lines joined with LF. A failed load shows
// what was read and names the file in the caption, but does not make it the current file.
void frm_MacroWindow::LoadIntoEditor(const QString& path) {
    bool failed = false;
    const MacroFileLog log = [this, &failed](const std::u16string& line) {
        failed = true;
        AppendLog(QString::fromStdU16String(line));
    };
    QString text = QString::fromStdU16String(LoadMacroFile(path, log));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    RememberBreakpoints();
    txt_Macro->setPlainText(text);
    savedText_ = EditorText();
    if (!failed) {
        currentFilePath_ = path;
        txt_Macro->SetBreakpoints(breakpointsByFile_.value(QFileInfo(path).absoluteFilePath()));
    }
    SetCaption(path);
    DiscardRecoveryCopy();
}

// The question comes before the open dialog, as in other editors; answered No, a cancelled dialog still
// leaves the text as it was.
void frm_MacroWindow::Menu_Open_Click() {
    if (!SaveChangesFirst(kSaveQuestion)) return;
    const QString path = dialogs_.openFileName(currentFilePath_);
    if (path.isEmpty()) return;
    LoadIntoEditor(path);
}

// Every save asks for a name, starting from the current file. The caption names the chosen file even when
// the write failed; the text then stays modified, so closing still asks.
bool frm_MacroWindow::SaveWithDialog() {
    const QString path = dialogs_.saveFileName(currentFilePath_);
    if (path.isEmpty()) return false;
    const QString text = EditorText();
    const bool written = SaveMacroFile(path, MacroTextForEngine(), LogOf(*this));
    currentFilePath_ = path;
    SetCaption(path);
    if (!written) return false;
    savedText_ = text;
    DiscardRecoveryCopy();
    return true;
}

void frm_MacroWindow::Menu_Save_Click() {
    SaveWithDialog();
}

void frm_MacroWindow::Menu_End_Click() {
    close();
}

void frm_MacroWindow::OpenFile(const QString& path) {
    if (!SaveChangesFirst(kSaveQuestion)) return;
    LoadIntoEditor(path);
}

void frm_MacroWindow::txt_Macro_FileDropped(const QString& path) {
    OpenFile(path);
}

void frm_MacroWindow::mnuAllSelect_Click() {
    txt_Macro->selectAll();
}

// The quick-input dialog writes KBD and MUS lines into the editor at the caret.
void frm_MacroWindow::menu_MusKbd_Click() {
    AutoInputFrm dialog(txt_Macro, this);
    dialog.SetDesktop(desktop_.get());
    dialog.exec();
}

void frm_MacroWindow::Menu_Tab_Click() {
    const std::optional<QString> answer = dialogs_.inputText(
        QStringLiteral("タブサイズの設定"), QStringLiteral("タブサイズを入力して下さい。(1～100）"),
        QString::number(tabSize_));
    const int size = answer ? TabSizeOfAnswer(*answer) : 0;
    if (size < kMinTabSize || size > kMaxTabSize) {
        dialogs_.inform(QStringLiteral("指定できません。"));
        return;
    }
    tabSize_ = size;
    ApplyTabSize();
}

void frm_MacroWindow::Menu_Font_Click() {
    QFont chosen = font();
    if (!dialogs_.chooseFont(chosen)) return;
    QFont updated = font();
    updated.setFamily(chosen.family());
    updated.setPointSizeF(chosen.pointSizeF());
    setFont(updated);
    ApplyFont();
    ApplyTabSize();
}

void frm_MacroWindow::Menu_LogClear_Click() {
    ClearLog();
}

// The viewer is a program of its own beside this one. When it is missing or cannot start, the log says so
// and the editor goes on.
// Only the program's own folder is searched, with the system's program suffix (Glossel.exe on Windows).
// The viewer opens at the name under the caret (F1 on a word looks it up); a name it does not list leaves it
// as it starts.
void frm_MacroWindow::Menu_MacroHelp_Click() {
    const QString path = QStandardPaths::findExecutable(QStringLiteral("Glossel"), {programDirectory_});
    if (path.isEmpty()) {
        AppendLog(QStringLiteral("関数ビューアが見つかりません。 - ") +
                  QDir::toNativeSeparators(QDir(programDirectory_).filePath(QStringLiteral("Glossel"))));
        return;
    }
    const QTextCursor caret = txt_Macro->textCursor();
    const QString word = WordAt(LongLines::LineText(caret.block()),
                                LongLines::ColumnInLine(caret.block(), caret.positionInBlock()));
    const QStringList arguments = word.isEmpty() ? QStringList() : QStringList{word};
    if (!QProcess::startDetached(path, arguments, programDirectory_))
        AppendLog(QStringLiteral("関数ビューアを起動できませんでした。 - ") + path);
}

// A web page opens in the desktop's browser; without an address of its own the item opens the guide.
void frm_MacroWindow::HPShow(const char* address) {
    if (address[0] == '\0') {
        Menu_Guide_Click();
        return;
    }
    QDesktopServices::openUrl(QUrl(QString::fromLatin1(address)));
}

GuideFrm* frm_MacroWindow::Guide() const {
    return guide_;
}

// The guide is read from the disk beside the program (or from the install's documents); one window shows
// it, brought to the front when it is already open. A missing guide is noted in the log.
void frm_MacroWindow::Menu_Guide_Click() {
    if (!guide_) {
        const QString index = FindUserGuide(programDirectory_);
        if (index.isEmpty()) {
            AppendLog(QStringLiteral("使い方ガイドが見つかりません。 - ") +
                      QDir::toNativeSeparators(QDir(programDirectory_).filePath(QStringLiteral("guide"))));
            return;
        }
        guide_ = new GuideFrm(index, this);
        guide_->setAttribute(Qt::WA_DeleteOnClose);
    }
    guide_->show();
    guide_->raise();
    guide_->activateWindow();
}

void frm_MacroWindow::Menu_Source_Click() {
    HPShow(kSourcePostingPageAddress);
}

void frm_MacroWindow::Menu_Hp_Click() {
    HPShow(kHomePageAddress);
}

void frm_MacroWindow::Menu_About_Click() {
    dialogs_.inform(QStringLiteral("Quillonマクロ\nVer.") + QStringLiteral(QM_VERSION));
}

// Moves the editor's caret to the start of the line and shows it.
void frm_MacroWindow::txt_Log_LineNumberActivated(int line) {
    const QTextBlock block = txt_Macro->BlockOfLine(line);
    if (!block.isValid()) return;
    QTextCursor cursor(block);
    txt_Macro->setTextCursor(cursor);
    txt_Macro->ensureCursorVisible();
    txt_Macro->setFocus();
    ShowCaretLine();
}
