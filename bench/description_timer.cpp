// description_timer: times the viewer's window showing a one-line description of N bytes (default 3 MB), for
// bench/long_lines.sh. The description is English words, Japanese, or one run without a place to break a line
// (a kind of "words", "japanese" or "run"). Prints the milliseconds, of the clock and of the CPU, from
// selecting the entry until the box has painted it.
#include "form1.h"
#include "ini.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>

namespace {

QByteArray Piece(const char* kind) {
    if (std::strcmp(kind, "japanese") == 0) return QStringLiteral("メッセージを表示して待ちます。").toUtf8();
    if (std::strcmp(kind, "run") == 0) return QByteArray("0123456789");
    return QByteArray("MSGBOX text, title: shows a message and waits for OK. ");
}

int TimeDescription(long bytes, const char* kind) {
    QTemporaryDir dir;
    QFile ini(dir.filePath(QStringLiteral("Data.ini")));
    if (!ini.open(QIODevice::WriteOnly)) return 1;
    const QByteArray piece = Piece(kind);
    QByteArray value;
    while (value.size() < bytes) value += piece;
    ini.write("[FUNCTION]\r\nABS=absolute value\r\nMSGBOX=" + value.left(bytes) + "\r\n");
    ini.close();
    SetDataFolder(dir.path());

    Form1 form;
    form.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    form.TextShow(QStringLiteral("MSGBOX"));
    form.TextTxt->viewport()->repaint();
    QApplication::processEvents();
    std::printf("description of %ld bytes (%s) shown in %lld ms, %.0f ms of CPU\n", bytes, kind,
                static_cast<long long>(timer.elapsed()),
                1000.0 * static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return TimeDescription(argc > 1 ? std::strtol(argv[1], nullptr, 10) : 3000000,
                           argc > 2 ? argv[2] : "words");
}
