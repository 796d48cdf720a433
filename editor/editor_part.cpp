// The editor part: the editor window and Qt's widgets, loaded by QuillonMacro only when a window opens, so
// the command-line run starts without any of Qt's libraries.
#include "editor_part.h"

#include "desktop_platform_factory.h"
#include "editor_files.h"
#include "frm_macro_window.h"
#include "qt_japanese.h"

#include <QApplication>
#include <QString>

int QmRunEditor(int* argc, char** argv, const char* path) {
    QApplication app(*argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
    InstallQtJapaneseTranslation(app);
    frm_MacroWindow window(CreateDesktopPlatform());
    window.show();
    window.StartEditing(QtPath(path));
    return app.exec();
}
