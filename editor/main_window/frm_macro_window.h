// frm_MacroWindow: the editor's main window — macro editor, debug log, splitter, tool strip, status strip and
// menus — owning the macro facade mMacro, running macros from the top or one user function at a time, and
// keeping a recovery copy of a modified text.
#pragma once

#include "common/own_buffer_file.h"
#include "desktop_platform.h"
#include "editor_dialogs.h"
#include "macro_facade.h"
#include "qt_user_interface.h"
#include "recovery_store.h"
#include "run_debugger_host.h"
#include "common/emergency_stop.h"

#include <QHash>
#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

#include <array>
#include <cstdint>
#include <memory>

class DebugLog;
class DebugPanes;
class FindBar;
class FocusReturn;
class GuideFrm;
class LogTextEdit;
class MacroHighlighter;
class MacroTextEdit;
class QShortcut;
class RecorderFrm;
class WindowInfoFrm;
class SplitterBar;

class frm_MacroWindow : public QMainWindow {
    Q_OBJECT

  public:
    // Fixed geometry of the client area at start, in pixels.
    static constexpr int kClientWidth = 550;
    static constexpr int kClientHeight = 316;
    static constexpr int kToolHeight = 25;
    static constexpr int kEditorTop = 24;
    static constexpr int kSeparatorTop = 216;
    static constexpr int kSeparatorHeight = 4;
    static constexpr int kStatusHeight = 17;
    static constexpr int kDebugPaneHeight = 240; // the lower part's height while the debug panes are shown

    // `desktop` may be null (no desktop built-ins); the window takes ownership.
    explicit frm_MacroWindow(std::unique_ptr<DesktopPlatform> desktop = nullptr, QWidget* parent = nullptr);
    ~frm_MacroWindow() override;

    // --- window state and pieces (public for the program's tests and the quick-input dialog) ---
    cMoMacro& Macro() { return *mMacro; }
    QtUserInterface& UserInterfaceOfWindow() { return ui_; }
    MacroTextEdit* txt_Macro = nullptr;
    LogTextEdit* txt_Log = nullptr;
    SplitterBar* pic_Sep = nullptr;
    QLabel* pic_Msg = nullptr;
    QWidget* pic_Tool = nullptr;
    QWidget* Client() const { return client_; }
    static constexpr int kToolButtonCount = 11;
    static constexpr int kFileAndRunButtons = 5; // the debugger's come after them
    std::array<QToolButton*, kToolButtonCount> btn_ToolBar{};
    QMenu *Menu_File = nullptr, *mnuEdit = nullptr, *Menu_Execute = nullptr, *Menu_RunFunction = nullptr,
          *Menu_Config = nullptr, *Menu_Etc = nullptr;
    QAction *Menu_New = nullptr, *Menu_Open = nullptr, *Menu_Save = nullptr, *Menu_End = nullptr,
            *mnuAllSelect = nullptr, *Menu_Run = nullptr, *Menu_Stop = nullptr, *menu_MusKbd = nullptr,
            *Menu_Tab = nullptr, *Menu_Font = nullptr, *Menu_LogClear = nullptr, *Menu_Sync = nullptr,
            *Menu_WindowInfo = nullptr, *Menu_Capture = nullptr, *Menu_CaptureLater = nullptr,
            *Menu_Record = nullptr, *Menu_MacroHelp = nullptr, *Menu_Guide = nullptr, *Menu_Source = nullptr,
            *Menu_Hp = nullptr, *Menu_About = nullptr;
    QList<QAction*> Menu_FunctionCall;
    // Debugging (frm_macro_window_debug.cpp): pause, go on, step, run to the caret's line, breakpoints.
    QAction *Menu_Pause = nullptr, *Menu_Continue = nullptr, *Menu_StepOver = nullptr,
            *Menu_StepInto = nullptr, *Menu_StepOut = nullptr, *Menu_RunToCursor = nullptr,
            *Menu_Breakpoint = nullptr;
    DebugPanes* pic_Debug =
        nullptr; // the 変数 and 呼び出し履歴 panes, beside the log while a run is debugged
    bool IsPaused() const { return debugHost_.IsPaused(); }
    // The editing commands of 編集 beyond select all, and the find bar under the editor text.
    QAction *mnuFind = nullptr, *mnuFindNext = nullptr, *mnuFindPrevious = nullptr, *mnuReplace = nullptr,
            *mnuGoToLine = nullptr;
    // The editor's own editing keys, listed in 編集 with their keys so they can be found there.
    QAction *mnuUndo = nullptr, *mnuRedo = nullptr, *mnuCut = nullptr, *mnuCopy = nullptr,
            *mnuPaste = nullptr, *mnuComment = nullptr, *mnuIndent = nullptr, *mnuOutdent = nullptr,
            *mnuZoomIn = nullptr, *mnuZoomOut = nullptr, *mnuZoomReset = nullptr;
    QMenu* mnuZoom = nullptr;
    FindBar* bar_Find = nullptr;

    const QString& SavedText() const { return savedText_; }
    int MinPaneHeight() const { return minPaneHeight_; }
    int LowerPaneHeight() const { return lowerPaneHeight_; }
    int TabSize() const { return tabSize_; }
    bool IsRunning() const { return running_; }

    // The editor text as the user sees it (lines joined with LF, every character kept).
    QString EditorText() const;
    bool IsModified() const { return EditorText() != savedText_; }

    // Replaces the dialogs (tests script them).
    void SetDialogs(EditorDialogs dialogs) { dialogs_ = std::move(dialogs); }
    // Where runs from the top write their copy of the text (normally BufferFilePath()).
    void SetBufferPath(const QString& path);
    // The file the last run wrote its copy to (the preferred path before the first run).
    QString BufferPath() const;
    // The folder the function viewer is started from and the guide is found in (normally the program's).
    void SetProgramDirectory(const QString& dir) { programDirectory_ = dir; }
    // The file of the editor text (set by a successful load and by a save, "" after New); the file dialogs
    // start there.
    const QString& CurrentFilePath() const { return currentFilePath_; }

    // --- recovery copy of a modified text (frm_macro_window_recovery.cpp) ---
    // Milliseconds after the last change before the copy is written.
    static constexpr int kRecoveryDelayMs = 1500;
    // Keeps the recovery copies in `folder` instead of the user's state folder (tests); call before any edit.
    void SetRecoveryFolder(const QString& folder);
    const RecoveryStore& Recovery() const { return *recovery_; }
    // The start of an interactive session, once the window is shown: offers a copy left by an editor that
    // ended without saving, then opens `path` (if not "") as Open does, asking first about a restored text.
    void StartEditing(const QString& path);
    // Offers the newest orphaned recovery copy; true when one was restored into the editor.
    bool OfferRecovery();

    // --- ending without a user to ask (frm_macro_window_ending.cpp) ---
    // The system asks the program to end (a stop signal, the end of the session): the text goes into its
    // recovery copy at once, a running macro is stopped as by Stop, open questions and dialogs are cancelled,
    // and once the run has let go of its keys the window closes without asking; the copy stays and is
    // offered at the next start. A second request only repeats the first.
    void EndWithoutUser();
    bool IsEndingWithoutUser() const { return endingWithoutUser_; }
    // The recovery copy of a modified text written now, without waiting for typing to pause: for the
    // session's request to save, which may come just before the program is ended.
    void KeepRecoveryCopyNow();

    // --- the authoring aids of ツール (frm_macro_window_aids.cpp) ---
    // Inserts whole lines at the caret as one undo step: before the caret's line when the caret is at its
    // start, else after it. The caret ends at the end of the inserted line `caretLine`, or after the lines
    // when it is -1.
    void InsertLinesAtCaret(const QStringList& lines, int caretLine = -1);
    // The capture's steps after the rectangle is chosen: saves the picture (to `path`, or asking for the name
    // when it is ""), counts the places of the live screen that show it, says so and inserts the FINDIMG
    // line; when none does, offers to take it again into the same file. False when nothing was saved.
    bool SaveCapturedPicture(const PixelGrid& screen, const QRect& rect, const QString& path = QString());
    // The editor steps aside, the screen is frozen (after `countdownSeconds`, when not 0) and a rectangle of
    // it chosen; the editor comes back where it was and the picture is saved (to `path`, or as asked). A
    // picture taken again into `path` and then cancelled leaves the first one there, with its FINDIMG line.
    void CapturePicture(int countdownSeconds, const QString& path);
    // Inserts `FINDIMG "path" ' comment` at the caret (or says why the path cannot be written in a macro).
    void InsertFindImageLine(const QString& path, const QString& comment);
    WindowInfoFrm* WindowInfo() const;
    RecorderFrm* Recorder() const;
    // The open guide window, if any.
    GuideFrm* Guide() const;

    // --- layout, font, log and status ---
    void LayoutPanes();
    void ApplyFont();
    void ApplyTabSize();
    void ShowStatus(const QString& text);
    void ShowCaretLine();
    void AppendLog(const QString& text);
    void ClearLog();

    // --- running ---
    bool PrepareMacro();
    void SetRunningState(bool running);
    // Loads the file into the editor (no question: Open and a drop ask theirs first).
    void LoadIntoEditor(const QString& path);
    // The unsaved-text question, then the load (a drop, a file named at start).
    void OpenFile(const QString& path);
    void NewMacro();
    // The save dialog and the write; true only when the file was written (then the text counts as saved).
    bool SaveWithDialog();

  public slots:
    void Menu_New_Click();
    void Menu_Open_Click();
    void Menu_Save_Click();
    void Menu_End_Click();
    void mnuAllSelect_Click();
    void Menu_Run_Click();
    void Menu_Execute_Click();
    void Menu_FunctionCall_Click(int index);
    void Menu_Stop_Click();
    void PauseKey_Pressed();
    void Menu_Sync_Click();
    void Menu_Pause_Click();
    void Menu_Continue_Click();
    void Menu_StepOver_Click();
    void Menu_StepInto_Click();
    void Menu_StepOut_Click();
    void Menu_RunToCursor_Click();
    void Menu_Breakpoint_Click();
    void menu_MusKbd_Click();
    void Menu_Tab_Click();
    void Menu_Font_Click();
    void Menu_LogClear_Click();
    void Menu_WindowInfo_Click();
    void Menu_Capture_Click();
    void Menu_CaptureLater_Click();
    void Menu_Record_Click();
    void Menu_MacroHelp_Click();
    void Menu_Guide_Click();
    void Menu_Source_Click();
    void Menu_Hp_Click();
    void Menu_About_Click();
    void mnuGoToLine_Click();
    void mnuUndo_Click();
    void mnuRedo_Click();
    void mnuCut_Click();
    void mnuCopy_Click();
    void mnuPaste_Click();
    void mnuComment_Click();
    void mnuIndent_Click();
    void mnuOutdent_Click();
    void mnuZoomIn_Click();
    void mnuZoomOut_Click();
    void mnuZoomReset_Click();
    void btn_ToolBar_Click(int index);
    void mMacro_PrintOut(const QString& message);
    void txt_Macro_FileDropped(const QString& path);
    void txt_Log_LineNumberActivated(int line);

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildClientArea();
    void BuildToolStrip();
    void BuildMenus();
    void BuildFileAndEditMenus();
    void BuildEditCommands();
    void BuildTextEditingCommands();
    void BuildLineAndZoomCommands();
    QAction* EditorKeyAction(QMenu* menu, const QString& caption, const QKeySequence& key,
                             void (frm_MacroWindow::*slot)());
    void UpdateEditingCommands();
    void BuildRunMenu();
    void BuildDebugMenu();
    void SetUpDebugger();
    void OnDebugPause(cMoMacro_Engine& engine);
    void OnDebugResume();
    void UpdateDebugCommands();
    void RememberBreakpoints();
    void StartDebugLayout();
    void EndDebugLayout();
    // The 実行 menu item the tool button of that index stands for (a debugger's button), or nullptr.
    QAction* DebugActionOfButton(int index) const;
    // Idle: a run from the top that pauses at its first line; paused: the run goes on with the step.
    void StepOrStart(DebugStep step);
    bool ShowValueTip(QEvent* event);
    void BuildToolsAndHelpMenus();
    void OnClientResized();
    void GrowBackIfTooShort();
    void EditMacroText(void (MacroTextEdit::*command)());
    void OnSplitterDragStarted(int y);
    void OnSplitterDragMoved(int y);
    void SetCaption(const QString& path);
    void FinishRun();
    std::u16string MacroTextForEngine() const;
    void HPShow(const char* address);
    bool SaveChangesFirst(const QString& question);
    void SetUpRecovery();
    void OnEditorTextChanged();
    void WriteRecoveryCopy();
    void DiscardRecoveryCopy();
    void KeepCopyInFallback();
    void ContinueEnding();
    bool CloseOtherWindows();
    void ReleaseOnClose();
    void SetUpEnding();
    void ForgetEnding();

    std::unique_ptr<DesktopPlatform> desktop_;
    QtUserInterface ui_;
    std::unique_ptr<cMoMacro> mMacro;
    std::unique_ptr<EmergencyStop> emergencyStop_;
    std::unique_ptr<DebugLog> log_;
    MacroHighlighter* highlighter_ = nullptr;
    QShortcut* escapeStop_ = nullptr;
    QShortcut* pauseStop_ = nullptr;
    FocusReturn* focusReturn_ = nullptr; // activates the window again after dialogs and runs
    QWidget* client_ = nullptr;
    EditorDialogs dialogs_;
    QString bufferPath_;
    std::unique_ptr<OwnBufferFile> buffer_; // made by the first run from the top
    QString programDirectory_;
    QPointer<WindowInfoFrm> windowInfo_;
    QPointer<RecorderFrm> recorder_;
    QPointer<GuideFrm> guide_;
    QString savedText_;
    QString currentFilePath_;
    QHash<QString, QList<int>> breakpointsByFile_; // of the files left while the editor is open
    std::unique_ptr<RecoveryStore> recovery_;
    QTimer recoveryTimer_;
    bool recoveryWritten_ = true;       // the last copy asked for was written
    bool recoveryFailureShown_ = false; // the log said so since the last copy that was written
    bool textLost_ = false;             // ending without a user, the text could be kept nowhere
    int minPaneHeight_ = 0;
    int lowerPaneHeight_ = 0;
    int tabSize_ = 4;
    int dragOffsetY_ = 0;
    bool growBackQueued_ = false;
    bool running_ = false;
    bool closeAfterRun_ = false;
    bool endingWithoutUser_ = false;
    EditorDebugHost debugHost_;
    bool debugShown_ = false; // the debug panes stand beside the log (from a run's first pause to its end)
    int separatorBeforeDebug_ = -1; // where the separator stood before the panes made room, or -1
    int endingWaits_ = 0;
    QTimer endingTimer_; // repeats the ending's steps until the program has ended
};
