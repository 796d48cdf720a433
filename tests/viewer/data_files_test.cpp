// Tests of the data shipped with the viewer: a description with an example for every function-list entry,
// the constant groups listing exactly the names and values the built-in library answers, and the copy of
// the data beside the built program.
#include "function_lists.h"
#include "ini.h"
#include "named_constants.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <map>

namespace {

QString SourceData() {
    return QStringLiteral(QM_VIEWER_DATA_DIR);
}

// name → value for every line of a .cnt file of the form "NAME = number …".
std::map<QString, int> ListedValues(const QString& file, const QString& namePattern) {
    std::map<QString, int> values;
    const std::optional<QStringList> lines = ReadDataLines(file);
    if (!lines) return values;
    const QRegularExpression entry("^(" + namePattern + ") = (-?\\d+)(\\D|$)");
    for (const QString& line : *lines) {
        const QRegularExpressionMatch match = entry.match(line);
        if (!match.hasMatch()) continue;
        if (values.count(match.captured(1)) != 0)
            values[match.captured(1)] = -99999; // listed twice
        else
            values[match.captured(1)] = match.captured(2).toInt();
    }
    return values;
}

std::map<QString, int> LibraryValues(std::span<const NamedConstant> constants) {
    std::map<QString, int> values;
    for (const NamedConstant& c : constants) {
        values[QString::fromUtf16(c.name.data(), static_cast<qsizetype>(c.name.size()))] = c.value;
    }
    return values;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class DataFilesTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { SetDataFolder(SourceData()); }
    void cleanupTestCase() { SetDataFolder(QString()); }

    void everyFunctionEntryHasADescriptionWithAnExample() {
        QCOMPARE(FunctionEntries().size(), qsizetype(51));
        for (const QString& entry : FunctionEntries()) {
            const QStringList lines = IniRead("FUNCTION", entry).split(u'|');
            QVERIFY2(lines.size() >= 4, qPrintable("too short a description: " + entry));
            QVERIFY2(lines[0].startsWith(entry.trimmed()),
                     qPrintable("the first line names the entry: " + entry));
            const qsizetype example = lines.indexOf(QStringLiteral("例:"));
            QVERIFY2(example > 0 && example + 1 < lines.size() && !lines[example + 1].startsWith(u'→'),
                     qPrintable("no example: " + entry));
        }
    }

    void virtualKeysAreListedWithTheLibrarysValues() {
        const std::map<QString, int> listed = ListedValues("VirtualKey.cnt", "VK_\\w+");
        const std::map<QString, int> library = LibraryValues(VirtualKeyConstants());
        QCOMPARE(library.size(), size_t(171));
        for (const auto& [name, value] : library) {
            QVERIFY2(listed.count(name) == 1, qPrintable("missing: " + name));
            QVERIFY2(listed.at(name) == value, qPrintable("wrong value: " + name));
        }
        QCOMPARE(listed.size(), library.size());
    }

    void actionsAndWindowCommandsAreListedWithTheLibrarysValues() {
        const std::map<QString, int> listed = ListedValues("その他.cnt", "[A-Z]+");
        std::map<QString, int> library = LibraryValues(KeyActionConstants());
        library.merge(LibraryValues(MouseActionConstants()));
        library.merge(LibraryValues(WindowCommandConstants()));
        QCOMPARE(library.size(), size_t(16));
        for (const auto& [name, value] : library) {
            QVERIFY2(listed.count(name) == 1, qPrintable("missing: " + name));
            QVERIFY2(listed.at(name) == value, qPrintable("wrong value: " + name));
        }
        QCOMPARE(listed.size(), library.size());
    }

    void specialVariablesNameWhatSetsThem() {
        const std::optional<QStringList> lines = ReadDataLines("特殊変数.cnt");
        QVERIFY(lines.has_value());
        const QString text = lines->join(u'\n');
        for (const char* name : {"IMG_X", "IMG_Y"}) {
            QVERIFY2(text.contains(QString(name) + "（FINDIMG が設定）: "), name);
        }
        for (const char* name : {"IMG_R", "IMG_G", "IMG_B"}) {
            QVERIFY2(text.contains(QString(name) + "（GETCOLOR が設定）: "), name);
        }
    }

    void withoutAChoiceTheDataBesideTheProgramIsRead() {
        // The tests are built into the programs' folder, so the copied data is beside this test too.
        SetDataFolder(QString());
        QCOMPARE(DataFolder(), QCoreApplication::applicationDirPath() + "/data/");
        QVERIFY(IniRead("FUNCTION", "ABS").startsWith("ABS(数値)"));
        QVERIFY(ReadDataLines("特殊変数.cnt").has_value());
    }

    void anInstalledProgramFindsItsDataUnderShare() {
        QTemporaryDir prefix;
        QVERIFY(QDir(prefix.path()).mkpath("bin"));
        QVERIFY(QDir(prefix.path()).mkpath("share/quillonmacro/data"));
        QCOMPARE(DataFolderFor(prefix.filePath("bin")), prefix.filePath("share/quillonmacro/data") + "/");
        // A portable folder (data beside the program) wins over an installed tree.
        QVERIFY(QDir(prefix.path()).mkpath("bin/data"));
        QCOMPARE(DataFolderFor(prefix.filePath("bin")), prefix.filePath("bin/data") + "/");
    }

    void changesToInstalledDataGoToTheUsersFolderAndLeaveTheSharedFileAlone() {
        QStandardPaths::setTestModeEnabled(true);
        QDir(UserDataFolder()).removeRecursively();
        QTemporaryDir shared;
        QFile::copy(QDir(SourceData()).filePath("Data.ini"), shared.filePath("Data.ini"));
        const QByteArray before = ReadAll(shared.filePath("Data.ini"));
        SetDataFolder(shared.path(), true);

        QVERIFY(IniWrite("FUNCTION", "ABS", "自分の説明|二行目"));
        QCOMPARE(ReadAll(shared.filePath("Data.ini")), before);
        QCOMPARE(DataFilePath("Data.ini"), UserDataFolder() + "Data.ini");
        QCOMPARE(IniRead("FUNCTION", "ABS"), QString("自分の説明|二行目"));
        // The user's copy keeps every other entry of the shared file.
        QVERIFY(IniRead("FUNCTION", "MID").startsWith("MID("));
        // Files the user has not changed are still read from the shared folder.
        QCOMPARE(DataFilePath("VirtualKey.cnt"), shared.filePath("VirtualKey.cnt"));

        QDir(UserDataFolder()).removeRecursively();
        QStandardPaths::setTestModeEnabled(false);
    }

    void theBuildCopiesTheDataBesideTheProgram() {
        const QDir source(SourceData());
        const QStringList names = source.entryList(QDir::Files);
        QCOMPARE(names.size(), qsizetype(4));
        for (const QString& name : ConstantEntries())
            QVERIFY2(names.contains(name + ".cnt"), qPrintable(name));
        for (const QString& name : names) {
            QFile original(source.filePath(name));
            QFile copy(QStringLiteral(QM_VIEWER_BUILD_DATA_DIR) + u'/' + name);
            QVERIFY(original.open(QIODevice::ReadOnly));
            QVERIFY2(copy.open(QIODevice::ReadOnly), qPrintable("not copied: " + name));
            QVERIFY2(original.readAll() == copy.readAll(), qPrintable("copy differs: " + name));
        }
    }
};

int RunDataFilesTests(int argc, char** argv) {
    DataFilesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "data_files_test.moc"
