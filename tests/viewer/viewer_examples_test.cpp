// Runs every example of the shipped Data.ini through the macro facade with the real desktop platform on a
// private display, and a scripted user interface that answers the dialogs. An example passes when it runs
// without error and, where its description lists "→" lines, prints exactly those lines.
#include "codepage.h"
#include "desktop_platform_factory.h"
#include "function_lists.h"
#include "ini.h"
#include "macro_facade.h"
#include "user_interface.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

// The answer the scripted input box gives; the INPUTBOX example's expected line is written for it.
const std::u16string kTypedName = u"太郎";

std::u16string U16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

QString Q(const std::u16string& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// A user who presses the first button of every message box (OK, Abort, Yes or Retry) and types kTypedName.
class AnsweringUserInterface : public UserInterface {
  public:
    bool CanShowDialogs() const override { return true; }
    int32_t MessageBox(const std::u16string&, int32_t style, const std::u16string&) override {
        static constexpr int32_t kFirstButton[] = {1, 1, 3, 6, 6, 4};
        const int32_t buttons = style & 15;
        return buttons < 6 ? kFirstButton[buttons] : 1;
    }
    std::u16string InputBox(const std::u16string&, const std::u16string&) override { return kTypedName; }
    void ShowMessageWindow() override { open_ = true; }
    void SetMessageWindowPosition(int32_t, int32_t) override {}
    void SetMessageText(const std::u16string&) override {}
    int32_t MessageLabelLeft() const override { return 120; }
    int32_t MessageLabelWidth() const override { return 600; }
    void SetMessageWindowWidth(int32_t) override {}
    bool IsMessageWindowOpen() const override { return open_; }
    void CloseMessageWindow() override { open_ = false; }
    void Yield() override { QCoreApplication::processEvents(); }

  private:
    bool open_ = false;
};

struct Example {
    QStringList macro;
    QStringList expected; // empty: the output is not fixed (screen, time, chance)
};

// The lines after "例:" up to the "→" lines are the macro; the "→" lines are what it prints.
Example ExtractExample(const QString& description) {
    Example example;
    const QStringList lines = description.split(u'|');
    const qsizetype start = lines.indexOf(QStringLiteral("例:"));
    if (start < 0) return example;
    for (qsizetype i = start + 1; i < lines.size(); ++i) {
        const QString& line = lines[i];
        if (line.startsWith(QStringLiteral("→"))) {
            example.expected << line.mid(line.startsWith(QStringLiteral("→ ")) ? 2 : 1);
        } else if (!example.expected.isEmpty()) {
            break;
        } else {
            example.macro << line;
        }
    }
    return example;
}

// The 1-bit sound of a few milliseconds and the small picture the FINDIMG and SOUND examples open.
void WriteExampleFiles(const QDir& dir) {
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(qRgb(12, 200, 34));
    QVERIFY(picture.save(dir.filePath("sample.bmp"), "BMP"));
    QByteArray wav("RIFF");
    const QByteArray samples(800, '\x80');
    auto add32 = [&wav](quint32 v) {
        for (int i = 0; i < 4; ++i) wav += char((v >> (8 * i)) & 0xFF);
    };
    auto add16 = [&wav](quint16 v) {
        wav += char(v & 0xFF);
        wav += char(v >> 8);
    };
    add32(36 + static_cast<quint32>(samples.size()));
    wav += "WAVEfmt ";
    add32(16);
    add16(1);
    add16(1);
    add32(8000);
    add32(8000);
    add16(1);
    add16(8);
    wav += "data";
    add32(static_cast<quint32>(samples.size()));
    wav += samples;
    QFile file(dir.filePath("sample.wav"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(wav), wav.size());
}

} // namespace

class ViewerExamplesTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir workDir_;
    QString previousDir_;

  private slots:
    void initTestCase() {
        SetDataFolder(QStringLiteral(QM_VIEWER_DATA_DIR));
        QVERIFY(workDir_.isValid());
        WriteExampleFiles(QDir(workDir_.path()));
        previousDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(workDir_.path())); // the examples name their files without a folder
    }
    void cleanupTestCase() {
        QDir::setCurrent(previousDir_);
        SetDataFolder(QString());
    }

    void everyExampleRuns_data() {
        QTest::addColumn<QString>("entry");
        for (const QString& entry : FunctionEntries()) QTest::newRow(qPrintable(entry.trimmed())) << entry;
    }

    void everyExampleRuns() {
        QFETCH(QString, entry);
        const Example example = ExtractExample(IniRead("FUNCTION", entry));
        QVERIFY2(!example.macro.isEmpty(), qPrintable("例 " + entry.trimmed() + ": no example in Data.ini"));

        AnsweringUserInterface ui;
        std::unique_ptr<DesktopPlatform> desktop = CreateDesktopPlatform();
        cMoMacro macro(&ui, desktop.get());
        QStringList printed;
        macro.SetPrintOut([&printed](const std::u16string& line) { printed << Q(line); });
        macro.SetMacroText(U16(example.macro.join("\r\n") + "\r\n"));
        if (macro.Error().ErrorCode() == 0) macro.Run();

        const cMoMacro_Error& error = macro.Error();
        const QString failure = QString("例 %1: エラーコード %2 (%3) %4 - 行 %5\n%6")
                                    .arg(entry.trimmed())
                                    .arg(error.ErrorCode())
                                    .arg(error.ErrorCodeSub())
                                    .arg(Q(error.ErrorInformation()))
                                    .arg(error.ErrorLine())
                                    .arg(example.macro.join("\n"));
        QVERIFY2(error.ErrorCode() == 0, qPrintable(failure));
        if (!example.expected.isEmpty()) {
            const QString wrong = QString("例 %1: 出力\n%2\nではなく\n%3")
                                      .arg(entry.trimmed(), printed.join("\n"), example.expected.join("\n"));
            QVERIFY2(printed == example.expected, qPrintable(wrong));
        }
    }
};

QTEST_GUILESS_MAIN(ViewerExamplesTest)

#include "viewer_examples_test.moc"
