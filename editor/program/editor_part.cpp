// The editor part: the editor window and Qt's widgets, loaded by QuillonMacro only when a window opens, so
// the command-line run starts without any of Qt's libraries.
#include "editor_part.h"

#include "desktop_platform_factory.h"
#include "editor_files.h"
#include "end_requests.h"
#include "frm_macro_window.h"
#include "qt_japanese.h"

#include <QApplication>
#include <QString>

int QmRunEditor(int* argc, char** argv, const char* path) {
    QApplication app(*argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("QuillonMacro"));
    InstallQtJapaneseTranslation(app);
    frm_MacroWindow window(CreateDesktopPlatform());
    // Asked to end by the system (a stop signal) the window stops its run and closes without a question.
    CatchEndRequests(&window, [&window] { window.EndWithoutUser(); });
#if QT_CONFIG(sessionmanager)
    // The session asks its programs to save before it ends them (Windows: WM_QUERYENDSESSION, which the
    // system follows with the program's end): the text goes into its recovery copy at once.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &window,
                     [&window](QSessionManager&) { window.KeepRecoveryCopyNow(); });
#endif
    window.show();
    window.StartEditing(QtPath(path));
    return app.exec();
}
