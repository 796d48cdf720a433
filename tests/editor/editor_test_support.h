// Helpers of the editor tests: a window with scripted dialogs and a private buffer file, answering the next
// modal dialog from a timer, waiting with a timeout, and reading files.
#pragma once

#include "editor_widgets.h"
#include "frm_macro_window.h"
#include "message_box_style.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace editor_testing {

// What the scripted dialogs were asked and what they answer next.
struct ScriptedDialogs {
    std::deque<int32_t> questionAnswers;      // kButtonYes / kButtonNo / kButtonCancel; Cancel once exhausted
    std::deque<QString> openNames, saveNames; // "" once exhausted (cancelled)
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<bool> restoreAnswers; // true restores; restore once exhausted (the default button)
    std::vector<QString> questions, notices, inputPrompts, restoreQuestions;
    std::vector<QString> openStarts, saveStarts; // the start paths the file dialogs were given

    EditorDialogs Make() {
        EditorDialogs d;
        d.askYesNoCancel = [this](const QString& text) {
            questions.push_back(text);
            if (questionAnswers.empty()) return int32_t{kButtonCancel};
            const int32_t answer = questionAnswers.front();
            questionAnswers.pop_front();
            return answer;
        };
        d.askYesNo = [this](const QString& text) {
            questions.push_back(text);
            if (questionAnswers.empty()) return false;
            const int32_t answer = questionAnswers.front();
            questionAnswers.pop_front();
            return answer == kButtonYes;
        };
        d.openFileName = [this](const QString& start) {
            openStarts.push_back(start);
            return Take(openNames);
        };
        d.saveFileName = [this](const QString& start) {
            saveStarts.push_back(start);
            return Take(saveNames);
        };
        d.askRestore = [this](const QString& text) {
            restoreQuestions.push_back(text);
            if (restoreAnswers.empty()) return true;
            const bool answer = restoreAnswers.front();
            restoreAnswers.pop_front();
            return answer;
        };
        d.inputText = [this](const QString& title, const QString& prompt, const QString& text) {
            inputPrompts.push_back(title + u'|' + prompt + u'|' + text);
            std::optional<QString> answer;
            if (!inputAnswers.empty()) {
                answer = inputAnswers.front();
                inputAnswers.pop_front();
            }
            return answer;
        };
        d.inform = [this](const QString& text) { notices.push_back(text); };
        d.chooseFont = [](QFont&) { return false; };
        return d;
    }

  private:
    static QString Take(std::deque<QString>& names) {
        if (names.empty()) return {};
        QString name = names.front();
        names.pop_front();
        return name;
    }
};

// A shown main window whose dialogs are scripted and whose buffer file, viewer folder and recovery copies
// are in a private temporary folder (or in `recoveryFolder` when given, to share it between windows).
struct TestWindow {
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    std::unique_ptr<frm_MacroWindow> window;

    explicit TestWindow(const QString& recoveryFolder = {}) : window(std::make_unique<frm_MacroWindow>()) {
        window->SetDialogs(dialogs.Make());
        window->SetBufferPath(dir.filePath(QStringLiteral("macrobuf.qlx")));
        window->SetProgramDirectory(dir.path());
        window->SetRecoveryFolder(recoveryFolder.isEmpty() ? dir.filePath(QStringLiteral("recovery"))
                                                           : recoveryFolder);
        window->show();
        QApplication::processEvents();
    }
    frm_MacroWindow& operator*() { return *window; }
    frm_MacroWindow* operator->() { return window.get(); }
    QString Path(const QString& name) const { return dir.filePath(name); }
};

// Processes events until the condition holds or the timeout passes; returns the condition.
inline bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Calls `action` with the next modal dialog once one is shown (polling every 20 ms, for at most 10 s).
inline void WhenModalShown(std::function<void(QWidget*)> action) {
    auto* timer = new QTimer();
    auto* elapsed = new QElapsedTimer();
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && elapsed->elapsed() < 10000) return;
        timer->stop();
        timer->deleteLater();
        delete elapsed;
        if (modal != nullptr) action(modal);
    });
    timer->start(20);
}

// Calls `action` once, `delayMs` after the event loop next turns (also inside a running macro's yield).
inline void After(int delayMs, std::function<void()> action) {
    QTimer::singleShot(delayMs, std::move(action));
}

inline QByteArray ReadAll(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

inline QStringList LogLines(frm_MacroWindow& window) {
    QStringList lines = window.txt_Log->toPlainText().split(u'\n');
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

} // namespace editor_testing
