// Loads Qt's Japanese translation of its own texts (qtbase_ja.qm) into the application, whatever the locale,
// from the program's resources, Qt's translation folder or a "translations" folder beside the program.
#include "qt_japanese.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <QTranslator>

QString InstallQtJapaneseTranslation(QCoreApplication& app) {
    const QString name = QStringLiteral("qtbase_ja.qm");
    const QStringList folders = {
        QStringLiteral(":/translations"),
        QLibraryInfo::path(QLibraryInfo::TranslationsPath),
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations")),
    };
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(name);
        // Owned by the application, so it lives exactly as long as the texts it translates.
        auto* translator = new QTranslator(&app);
        if (translator->load(path)) {
            QCoreApplication::installTranslator(translator);
            return path;
        }
        delete translator;
    }
    return {};
}
