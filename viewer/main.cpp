// Entry of Glossel, the reference viewer: shows Form1 and runs until its window is closed.
#include "form1.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glossel"));
    Form1 window;
    window.show();
    return QApplication::exec();
}
