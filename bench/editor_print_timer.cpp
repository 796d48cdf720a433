// editor_print_timer: times a printing loop run from the editor window, for bench/editor_print.sh. It opens
// the real window, runs "FOR i = 1 TO N: PRINT i" as F5 does and prints the seconds the run took.
#include "editor_widgets.h"
#include "frm_macro_window.h"

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1000000;
    QApplication app(argc, argv);
    QTemporaryDir dir;
    frm_MacroWindow window;
    window.SetBufferPath(dir.filePath(QStringLiteral("macrobuf.qlx")));
    window.show();
    QApplication::processEvents();
    window.txt_Macro->setPlainText(QStringLiteral("DIM i\nFOR i = 1 TO %1\nPRINT i\nNEXT").arg(count));

    const auto start = std::chrono::steady_clock::now();
    window.Menu_Run_Click();
    QApplication::processEvents();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (window.Macro().Error().ErrorCode() != 0) {
        std::fprintf(stderr, "editor_print_timer: the run failed\n");
        return 1;
    }
    std::printf("%.3f\n", seconds);
    return 0;
}
