// The main window's construction and shape: the client area with tool strip, editor, splitter, log and status
// strip, the menus, the pane layout and its resize and drag rules, the font, tab stops, log and status strip,
// and the unload steps when the window closes.
#include "frm_macro_window.h"

#include "debug_log.h"
#include "debug_panes.h"
#include "desktop_platform.h"
#include "editor_widgets.h"
#include "macro_facade.h"
#include "editor_files.h"
#include "focus_return.h"
#include "macro_highlighter.h"
#include "message_box_style.h"
#include "status_label_accessible.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFontDatabase>
#include <QMenuBar>
#include <QShortcut>
#include <QTextBlock>
#include <QTextCursor>
#include <QTimer>

namespace {

struct ToolButtonSpec {
    const char* tag;
    const char* tip;
    const char* icon;
    int x;
    QAction* frm_MacroWindow::*item = nullptr; // the 実行 menu item a debugger's button stands for
};

// The file and run buttons, then the debugger's (enabled as their 実行 menu items are).
const ToolButtonSpec kToolButtons[frm_MacroWindow::kToolButtonCount] = {
    {"New", "新しいマクロ", ":/icons/new.png", 8},
    {"Open", "開く", ":/icons/open.png", 30},
    {"Save", "保存", ":/icons/save.png", 52},
    {"Run", "実行", ":/icons/run.png", 80},
    {"Stop", "停止", ":/icons/stop.png", 104},
    {"Pause", "一時停止", ":/icons/pause.png", 132, &frm_MacroWindow::Menu_Pause},
    {"Continue", "続行", ":/icons/continue.png", 154, &frm_MacroWindow::Menu_Continue},
    {"StepOver", "ステップ実行", ":/icons/step_over.png", 176, &frm_MacroWindow::Menu_StepOver},
    {"StepInto", "ステップイン", ":/icons/step_into.png", 198, &frm_MacroWindow::Menu_StepInto},
    {"StepOut", "ステップアウト", ":/icons/step_out.png", 220, &frm_MacroWindow::Menu_StepOut},
    {"RunToCursor", "カーソル行まで実行", ":/icons/run_to_cursor.png", 242,
     &frm_MacroWindow::Menu_RunToCursor},
};

constexpr int kToolButtonSize = 22;
constexpr int kToolButtonTop = 2;
constexpr double kFontPoints = 9.75;

// "ＭＳ ゴシック" where it is installed (Windows lists it under its English name outside Japanese Windows),
// otherwise another Japanese monospace font: Windows' newer one, or the one the Linux install script
// provides; otherwise the system's fixed font.
QFont WindowFont() {
    const QStringList families = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"),
                                QStringLiteral("BIZ UDGothic"), QStringLiteral("IPAGothic")}) {
        if (families.contains(name)) {
            QFont font(name);
            font.setPointSizeF(kFontPoints);
            return font;
        }
    }
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(kFontPoints);
    return font;
}

// Esc alone and with every combination of Shift, Ctrl, Alt and the logo key.
QList<QKeySequence> WithAnyModifiers(Qt::Key key) {
    const Qt::KeyboardModifier modifiers[] = {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier,
                                              Qt::MetaModifier};
    QList<QKeySequence> keys;
    for (int combination = 0; combination < 16; ++combination) {
        Qt::KeyboardModifiers held;
        for (int bit = 0; bit < 4; ++bit)
            if (combination & (1 << bit)) held |= modifiers[bit];
        keys.append(QKeySequence(QKeyCombination(held, key)));
    }
    return keys;
}

} // namespace

frm_MacroWindow::frm_MacroWindow(std::unique_ptr<DesktopPlatform> desktop, QWidget* parent)
    : QMainWindow(parent), desktop_(std::move(desktop)), ui_(this) {
    setObjectName(QStringLiteral("frm_MacroWindow"));
    dialogs_ = RealEditorDialogs(this);
    bufferPath_ = QtPath(BufferFilePath());
    programDirectory_ = QCoreApplication::applicationDirPath();
    emergencyStop_ = std::make_unique<EmergencyStop>(CreateEmergencyStopKey(), OpenStopBroadcast());

    // Window load, in its order: the facade, the minimum pane height, font, layout, idle state, saved text
    // and tab size.
    mMacro = std::make_unique<cMoMacro>(&ui_, desktop_.get());
    mMacro->SetPrintOut(
        [this](const std::u16string& line) { mMacro_PrintOut(QString::fromStdU16String(line)); });
    ui_.SetPumpHook([this] {
        log_->Flush();
        if (running_ && emergencyStop_->TakeStop()) Menu_Stop_Click();
    });

    setFont(WindowFont());
    minPaneHeight_ = 2 * QFontMetrics(font()).height();
    BuildClientArea();
    focusReturn_ = new FocusReturn(this, txt_Macro);
    BuildMenus();
    SetUpDebugger();
    SetCaption(QString());
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    client_->resize(kClientWidth, kClientHeight);
    ApplyFont();
    LayoutPanes();
    SetRunningState(false);
    savedText_ = EditorText();
    tabSize_ = 4;
    ApplyTabSize();
    SetUpRecovery();
    SetUpEnding();
}

// The editor widget outlives this class's members while the base class deletes its children: it must not
// reach the recovery timer any more.
frm_MacroWindow::~frm_MacroWindow() {
    ForgetEnding();
    disconnect(txt_Macro, nullptr, this, nullptr);
    emergencyStop_->End();
}

void frm_MacroWindow::BuildClientArea() {
    client_ = new QWidget(this);
    client_->setObjectName(QStringLiteral("client"));
    setCentralWidget(client_);
    client_->installEventFilter(this);

    BuildToolStrip();
    txt_Macro = new MacroTextEdit(client_);
    txt_Macro->setAccessibleName(QStringLiteral("マクロ"));
    txt_Macro->setGeometry(0, kEditorTop, kClientWidth, kSeparatorTop - kEditorTop);
    highlighter_ = new MacroHighlighter(txt_Macro->document(), mMacro->Engine());
    connect(txt_Macro, &MacroTextEdit::fileDropped, this, &frm_MacroWindow::txt_Macro_FileDropped);
    connect(txt_Macro, &MacroTextEdit::caretEvent, this, &frm_MacroWindow::ShowCaretLine);
    // The caret also moves without a key or a click: lines inserted by the aids and the quick-input
    // dialog, a replace, an undo.
    connect(txt_Macro, &QPlainTextEdit::cursorPositionChanged, this, &frm_MacroWindow::ShowCaretLine);

    pic_Sep = new SplitterBar(client_);
    pic_Sep->setAccessibleName(QStringLiteral("区切り"));
    pic_Sep->setGeometry(0, kSeparatorTop, kClientWidth, kSeparatorHeight);
    connect(pic_Sep, &SplitterBar::dragStarted, this, &frm_MacroWindow::OnSplitterDragStarted);
    connect(pic_Sep, &SplitterBar::dragMoved, this, &frm_MacroWindow::OnSplitterDragMoved);
    connect(pic_Sep, &SplitterBar::dragFinished, this, &frm_MacroWindow::LayoutPanes);

    txt_Log = new LogTextEdit(client_);
    log_ = std::make_unique<DebugLog>(txt_Log);
    txt_Log->setAccessibleName(QStringLiteral("デバッグ"));
    connect(txt_Log, &LogTextEdit::lineNumberActivated, this, &frm_MacroWindow::txt_Log_LineNumberActivated);

    pic_Msg = new QLabel(client_);
    pic_Msg->setObjectName(QStringLiteral("pic_Msg"));
    SetStatusLabelAccessible(pic_Msg, QStringLiteral("ステータスバー"), QAccessible::StatusBar);
    pic_Msg->setFrameShape(QFrame::Panel);
    pic_Msg->setFrameShadow(QFrame::Sunken);
    pic_Msg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    pic_Msg->setIndent(2);
}

void frm_MacroWindow::BuildToolStrip() {
    pic_Tool = new QWidget(client_);
    pic_Tool->setObjectName(QStringLiteral("pic_Tool"));
    pic_Tool->setAccessibleName(QStringLiteral("ツールバー"));
    pic_Tool->setGeometry(0, 0, kClientWidth, kToolHeight);
    for (int i = 0; i < kToolButtonCount; ++i) {
        auto* button = new QToolButton(pic_Tool);
        button->setObjectName(QStringLiteral("btn_ToolBar_%1").arg(i));
        button->setProperty("tag", QString::fromLatin1(kToolButtons[i].tag));
        // A picture button has no text: screen readers and GUI test tools know it by its tip.
        button->setToolTip(QString::fromUtf8(kToolButtons[i].tip));
        button->setAccessibleName(QString::fromUtf8(kToolButtons[i].tip));
        button->setIcon(QIcon(QString::fromLatin1(kToolButtons[i].icon)));
        button->setIconSize(QSize(16, 16));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(kToolButtons[i].x, kToolButtonTop, kToolButtonSize, kToolButtonSize);
        connect(button, &QToolButton::clicked, this, [this, i] { btn_ToolBar_Click(i); });
        btn_ToolBar[static_cast<size_t>(i)] = button;
    }
}

QAction* frm_MacroWindow::DebugActionOfButton(int index) const {
    if (index < 0 || index >= kToolButtonCount) return nullptr;
    QAction* frm_MacroWindow::*item = kToolButtons[index].item;
    return item != nullptr ? this->*item : nullptr;
}

void frm_MacroWindow::BuildMenus() {
    BuildFileAndEditMenus();
    BuildEditCommands();
    BuildRunMenu();
    BuildDebugMenu();
    BuildToolsAndHelpMenus();
}

void frm_MacroWindow::BuildFileAndEditMenus() {
    Menu_File = menuBar()->addMenu(QStringLiteral("ファイル(&F)"));
    Menu_File->setObjectName(QStringLiteral("Menu_File"));
    Menu_New = Menu_File->addAction(QStringLiteral("新規作成(&N)"), this, &frm_MacroWindow::Menu_New_Click);
    Menu_Open = Menu_File->addAction(QStringLiteral("開く(&O)"), this, &frm_MacroWindow::Menu_Open_Click);
    Menu_Save = Menu_File->addAction(QStringLiteral("保存(&S)"), this, &frm_MacroWindow::Menu_Save_Click);
    Menu_File->addSeparator();
    Menu_End = Menu_File->addAction(QStringLiteral("終了(&X)"), this, &frm_MacroWindow::Menu_End_Click);
    Menu_End->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4));

    mnuEdit = menuBar()->addMenu(QStringLiteral("編集(&E)"));
    mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    BuildTextEditingCommands();
    mnuAllSelect =
        mnuEdit->addAction(QStringLiteral("すべて選択"), this, &frm_MacroWindow::mnuAllSelect_Click);
    mnuAllSelect->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_A));
}

void frm_MacroWindow::BuildRunMenu() {
    Menu_Execute = menuBar()->addMenu(QStringLiteral("実行(&E)"));
    Menu_Execute->setObjectName(QStringLiteral("Menu_Execute"));
    connect(Menu_Execute, &QMenu::aboutToShow, this, &frm_MacroWindow::Menu_Execute_Click);
    Menu_Run =
        Menu_Execute->addAction(QStringLiteral("先頭から実行(&R)"), this, &frm_MacroWindow::Menu_Run_Click);
    Menu_Run->setShortcut(QKeySequence(Qt::Key_F5));
    Menu_Stop =
        Menu_Execute->addAction(QStringLiteral("強制停止(&S)"), this, &frm_MacroWindow::Menu_Stop_Click);
    // The menu shows the stop key. During a run Pause is the desktop's emergency stop (held by whichever
    // running QuillonMacro process took it); when it reaches this window instead (a desktop where no
    // process can hold it), the window's own Pause shortcut below stops every run just the same. The
    // menu's copy of the key therefore only works while the menu itself has the focus.
    Menu_Stop->setShortcut(QKeySequence(Qt::Key_Pause));
    Menu_Stop->setShortcutContext(Qt::WidgetShortcut);
    pauseStop_ = new QShortcut(this);
    pauseStop_->setKeys(WithAnyModifiers(Qt::Key_Pause));
    connect(pauseStop_, &QShortcut::activated, this, &frm_MacroWindow::PauseKey_Pressed);
    pauseStop_->setEnabled(false);
    // Esc in the window stops a run too, whatever modifiers are down: a macro that holds Shift makes the
    // key arrive as Shift+Esc. It is live only during a run, so Esc keeps its usual meaning (closing a bar
    // or a menu) otherwise.
    escapeStop_ = new QShortcut(this);
    escapeStop_->setKeys(WithAnyModifiers(Qt::Key_Escape));
    connect(escapeStop_, &QShortcut::activated, this, &frm_MacroWindow::Menu_Stop_Click);
    escapeStop_->setEnabled(false);
    Menu_RunFunction = Menu_Execute->addMenu(QStringLiteral("関数呼び出し(&F)"));
    Menu_RunFunction->setObjectName(QStringLiteral("Menu_RunFunction"));
    QAction* first = Menu_RunFunction->addAction(QString());
    connect(first, &QAction::triggered, this, [this] { Menu_FunctionCall_Click(0); });
    Menu_FunctionCall.append(first);
}

void frm_MacroWindow::BuildToolsAndHelpMenus() {
    Menu_Config = menuBar()->addMenu(QStringLiteral("ツール(&T)"));
    Menu_Config->setObjectName(QStringLiteral("Menu_Config"));
    menu_MusKbd =
        Menu_Config->addAction(QStringLiteral("MUS/KBD高速入力"), this, &frm_MacroWindow::menu_MusKbd_Click);
    Menu_Config->addSeparator();
    Menu_Tab =
        Menu_Config->addAction(QStringLiteral("タブサイズ(&T)"), this, &frm_MacroWindow::Menu_Tab_Click);
    Menu_Font =
        Menu_Config->addAction(QStringLiteral("フォント(&F)"), this, &frm_MacroWindow::Menu_Font_Click);
    Menu_Font->setVisible(false);
    Menu_LogClear = Menu_Config->addAction(QStringLiteral("デバッグのクリア(&C)"), this,
                                           &frm_MacroWindow::Menu_LogClear_Click);
    Menu_Sync =
        Menu_Config->addAction(QStringLiteral("同期実行(&S)"), this, &frm_MacroWindow::Menu_Sync_Click);
    Menu_Sync->setCheckable(true);
    Menu_Sync->setChecked(false);
    Menu_Sync->setVisible(false);
    // The aids for writing macros follow the window's own items.
    Menu_Config->addSeparator();
    Menu_WindowInfo = Menu_Config->addAction(QStringLiteral("ウィンドウ情報(&W)"), this,
                                             &frm_MacroWindow::Menu_WindowInfo_Click);
    Menu_Capture = Menu_Config->addAction(QStringLiteral("画像の切り取り(&P)"), this,
                                          &frm_MacroWindow::Menu_Capture_Click);
    // Menus and hover states vanish with the first click: the screen is frozen after a countdown instead.
    Menu_CaptureLater = Menu_Config->addAction(QStringLiteral("3秒後に画像の切り取り(&L)"), this,
                                               &frm_MacroWindow::Menu_CaptureLater_Click);
    Menu_Record =
        Menu_Config->addAction(QStringLiteral("記録(&R)"), this, &frm_MacroWindow::Menu_Record_Click);

    Menu_Etc = menuBar()->addMenu(QStringLiteral("ヘルプ(&H)"));
    Menu_Etc->setObjectName(QStringLiteral("Menu_Etc"));
    Menu_MacroHelp =
        Menu_Etc->addAction(QStringLiteral("関数ビューア(&F)"), this, &frm_MacroWindow::Menu_MacroHelp_Click);
    Menu_MacroHelp->setShortcut(QKeySequence(Qt::Key_F1));
    Menu_Guide =
        Menu_Etc->addAction(QStringLiteral("使い方ガイド(&G)"), this, &frm_MacroWindow::Menu_Guide_Click);
    Menu_Etc->addSeparator();
    Menu_Source = Menu_Etc->addAction(QStringLiteral("Quillonタイプ・ソース投稿"), this,
                                      &frm_MacroWindow::Menu_Source_Click);
    Menu_Hp = Menu_Etc->addAction(QStringLiteral("他にも様々なソフトを公開しています"), this,
                                  &frm_MacroWindow::Menu_Hp_Click);
    Menu_Etc->addSeparator();
    Menu_About =
        Menu_Etc->addAction(QStringLiteral("バージョン情報"), this, &frm_MacroWindow::Menu_About_Click);
}

void frm_MacroWindow::LayoutPanes() {
    const int w = client_->width();
    const int msgTop = client_->height() - kStatusHeight;
    const int sepTop = pic_Sep->y();
    pic_Tool->setGeometry(0, 0, w, kToolHeight);
    txt_Macro->setGeometry(0, txt_Macro->y(), w, std::max(0, sepTop - txt_Macro->y()));
    pic_Sep->setGeometry(0, sepTop, w, kSeparatorHeight);
    // While a run is debugged the 変数 and 呼び出し履歴 panes take the right part of the log's place.
    const int logWidth = debugShown_ ? w * 11 / 20 : w;
    const int lowerHeight = std::max(0, msgTop - sepTop - kSeparatorHeight);
    txt_Log->setGeometry(0, sepTop + kSeparatorHeight, logWidth, lowerHeight);
    if (pic_Debug != nullptr) {
        pic_Debug->setVisible(debugShown_);
        pic_Debug->setGeometry(logWidth, sepTop + kSeparatorHeight, w - logWidth, lowerHeight);
    }
    pic_Msg->setGeometry(0, msgTop, w, kStatusHeight);
    lowerPaneHeight_ = msgTop - sepTop;
}

// The log keeps its height; a window too short for the editor's minimum grows back by the missing amount.
// A maximised or full-screen window cannot grow: there the editor keeps its minimum and the log gives way.
void frm_MacroWindow::OnClientResized() {
    if (isMinimized()) return;
    const int msgTop = client_->height() - kStatusHeight;
    const int newTop = msgTop - lowerPaneHeight_;
    const int editorTop = txt_Macro->y();
    if (newTop - editorTop >= minPaneHeight_) {
        pic_Sep->move(0, newTop);
        LayoutPanes();
        return;
    }
    const int keptLowerHeight = lowerPaneHeight_;
    pic_Sep->move(0, editorTop + minPaneHeight_);
    LayoutPanes();
    lowerPaneHeight_ = keptLowerHeight;
    // The window grows once the layout pass that brought this size has ended. Resized from inside that pass,
    // the window was laid out anew and then the rest of the older pass put the panes back at the short size:
    // a window of the right height whose editor and log stayed squeezed (seen when the window manager's
    // answers to two resizes arrived together).
    if (!growBackQueued_) {
        growBackQueued_ = true;
        QTimer::singleShot(0, this, &frm_MacroWindow::GrowBackIfTooShort);
    }
}

void frm_MacroWindow::GrowBackIfTooShort() {
    growBackQueued_ = false;
    if (isMinimized() || isMaximized() || isFullScreen()) return;
    const int editorHeight = client_->height() - kStatusHeight - lowerPaneHeight_ - txt_Macro->y();
    const int deficit = minPaneHeight_ - editorHeight;
    if (deficit > 0) resize(width(), height() + deficit);
}

void frm_MacroWindow::OnSplitterDragStarted(int y) {
    dragOffsetY_ = y;
}

void frm_MacroWindow::OnSplitterDragMoved(int y) {
    int newTop = pic_Sep->y() + y - dragOffsetY_;
    const int editorTop = txt_Macro->y();
    if (newTop - editorTop < minPaneHeight_) newTop = editorTop + minPaneHeight_;
    if (client_->height() - newTop - kSeparatorHeight < minPaneHeight_)
        newTop = client_->height() - minPaneHeight_ - kSeparatorHeight;
    pic_Sep->move(0, newTop);
}

bool frm_MacroWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) OnClientResized();
    if (event->type() == QEvent::ToolTip && txt_Macro != nullptr && watched == txt_Macro->viewport() &&
        ShowValueTip(event))
        return true;
    return QMainWindow::eventFilter(watched, event);
}

void frm_MacroWindow::ApplyFont() {
    txt_Macro->setFont(font());
    txt_Log->setFont(font());
    pic_Msg->setFont(font());
}

// A tab stop of TabSize characters in both text boxes: of the editor's own font, which zoom may have changed,
// and of the window font in the log.
void frm_MacroWindow::ApplyTabSize() {
    txt_Macro->SetTabSize(tabSize_);
    txt_Log->setTabStopDistance(tabSize_ *
                                QFontMetricsF(txt_Log->font()).horizontalAdvance(QLatin1Char(' ')));
    txt_Log->viewport()->update();
}

// Repaints at once: the strip must show "実行中" even while a macro keeps the event loop busy.
void frm_MacroWindow::ShowStatus(const QString& text) {
    if (pic_Msg->text() == text) return;
    pic_Msg->setText(text);
    pic_Msg->repaint();
}

void frm_MacroWindow::ShowCaretLine() {
    if (running_) return;
    ShowStatus(QStringLiteral("行＝") + QString::number(txt_Macro->CaretLine()));
}

// At most about 100 lines: with more than 99 line ends the first line goes, one per added line. The new text
// is selected, which scrolls it into view.
void frm_MacroWindow::AppendLog(const QString& text) {
    log_->Append(text);
}

void frm_MacroWindow::ClearLog() {
    log_->Clear();
}

// PRINT lines are shown once per turn of the event loop (the run's event pump, or the next turn when no run
// pumps), all of them in order: laying the log out for each line would cost far more than the macro itself.
void frm_MacroWindow::mMacro_PrintOut(const QString& message) {
    if (log_->Queue(message)) QTimer::singleShot(0, this, [this] { log_->Flush(); });
}

void frm_MacroWindow::SetCaption(const QString& path) {
    setWindowTitle(path.isEmpty() ? QStringLiteral("Quillonマクロ")
                                  : QStringLiteral("Quillonマクロ - ") + path);
}

QString frm_MacroWindow::EditorText() const {
    return txt_Macro->Text();
}

std::u16string frm_MacroWindow::MacroTextForEngine() const {
    return txt_Macro->EngineText();
}

// Closing during a run stops the run first; the window closes (asking about unsaved text as always) once the
// run has returned. A window that closes leaves no recovery copy: its text was saved or deliberately dropped.
// Ending without a user asks nothing and keeps the copy of a modified text instead.
void frm_MacroWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        closeAfterRun_ = true;
        Menu_Stop_Click();
        event->ignore();
        return;
    }
    if (endingWithoutUser_) {
        KeepRecoveryCopyNow();
        ReleaseOnClose();
        event->accept();
        return;
    }
    // Yes with a cancelled save dialog or a failed write keeps the window open with its text.
    if (!SaveChangesFirst(QStringLiteral("マクロ内容が変更されています。\n保存して終了しますか？"))) {
        event->ignore();
        return;
    }
    DiscardRecoveryCopy();
    ReleaseOnClose();
    event->accept();
}

void frm_MacroWindow::ReleaseOnClose() {
    ui_.CloseMessageWindow();
    buffer_.reset(); // deletes the copy, if it is still the file this window wrote
    emergencyStop_->End();
}
