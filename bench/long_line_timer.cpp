// long_line_timer: times the editor window at one very long line, for bench/long_lines.sh. It opens the real
// window with a macro whose second line is N bytes long (default 500,000), and prints the milliseconds a
// caret blink's repaint takes, the worst and the mean of K keys typed at the line's end (default 20), each
// key handled and painted, and of K caret moves across the line, and the time the block highlights take to
// read the text after a pause in typing.
#include "block_matcher.h"
#include "editor_widgets.h"
#include "frm_macro_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct Times {
    double worst = 0;
    double total = 0;
    int count = 0;
    void Add(double ms) {
        worst = std::max(worst, ms);
        total += ms;
        ++count;
    }
};

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// One key as the window gets it: pressed, released, and everything it caused painted.
double Key(MacroTextEdit* editor, int key, const QString& text) {
    QElapsedTimer timer;
    timer.start();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(editor, &release);
    QApplication::processEvents();
    editor->viewport()->repaint();
    return Milliseconds(timer);
}

void Print(const char* what, const Times& times) {
    std::printf("%s: worst %.1f ms, mean %.1f ms\n", what, times.worst, times.total / times.count);
}

} // namespace

int main(int argc, char** argv) {
    const long bytes = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 500000;
    const int keys = argc > 2 ? static_cast<int>(std::strtol(argv[2], nullptr, 10)) : 20;
    QApplication app(argc, argv);
    QTemporaryDir dir;
    frm_MacroWindow window;
    window.SetBufferPath(dir.filePath(QStringLiteral("macrobuf.qlx")));
    window.show();
    QApplication::processEvents();

    QString line = QStringLiteral("PRINT 1");
    while (line.size() < bytes) line += QStringLiteral("+1");
    MacroTextEdit* editor = window.txt_Macro;
    QElapsedTimer timer;
    timer.start();
    editor->setPlainText(QStringLiteral("DIM i\n") + line + QStringLiteral("\nPRINT i"));
    QApplication::processEvents();
    QTextCursor end(editor->document());
    end.setPosition(editor->PositionAt(2, static_cast<int>(line.size())));
    editor->setTextCursor(end);
    editor->viewport()->repaint();
    std::printf("line of %ld bytes opened in %.1f ms\n", bytes, Milliseconds(timer));

    Times blinks;
    for (int k = 0; k < keys; ++k) {
        timer.restart();
        editor->viewport()->repaint(editor->cursorRect().adjusted(-2, -2, 2, 2));
        blinks.Add(Milliseconds(timer));
    }
    Print("caret blink", blinks);

    Times typed;
    for (int k = 0; k < keys; ++k) typed.Add(Key(editor, Qt::Key_A + k % 26, QString(QChar(u'a' + k % 26))));
    Print("key typed", typed);

    Times moves;
    for (int k = 0; k < keys; ++k) moves.Add(Key(editor, k % 2 == 0 ? Qt::Key_Home : Qt::Key_End, QString()));
    Print("caret moved across the line", moves);

    timer.restart();
    editor->Matcher()->ParseNow();
    std::printf("text read for the block highlights in %.1f ms\n", Milliseconds(timer));
    return 0;
}
