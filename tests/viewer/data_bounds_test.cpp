// Tests of the viewer's bounds on its data files: too large, pipes, devices and folders refused at once and
// named in the box while the viewer goes on; a search reads Data.ini once. Reads that could hang time out.
#include "data_file_reader.h"
#include "form1.h"
#include "ini.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A file of that many bytes that takes no room on the disk.
void WriteSparse(const QString& path, qint64 size) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size));
}

// Runs the lookup on a worker thread and waits at most five seconds. A read that waits on a pipe is released
// by opening the pipe for writing, so the thread can end and the test fail instead of hanging.
QString WithinTime(const std::function<QString()>& lookup, const QString& pipe = QString()) {
    auto result = std::async(std::launch::async, lookup);
    if (result.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return result.get();
    if (!pipe.isEmpty()) {
        const int writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        if (writer >= 0) ::close(writer);
    }
    result.wait();
    return QStringLiteral("<timed out>");
}

const QString kHeading = QStringLiteral("データファイルの読み込みに失敗しました。 - ");
const QString kNotRegular = QStringLiteral("通常のファイルではありません");
const QString kTooLarge = QStringLiteral("ファイルが大きすぎます（4MB まで）");

} // namespace

class DataBoundsTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString Path(const QString& name) const { return dir_.filePath(name); }
    QString Refusal(const QString& name) const {
        return kHeading + QDir::toNativeSeparators(Path(name)) + u'\n';
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        for (const QString& name :
             QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System))
            QVERIFY(QFile::remove(Path(name)) || QDir(Path(name)).removeRecursively());
        SetDataFolder(dir_.path());
    }
    void cleanupTestCase() { SetDataFolder(QString()); }

    void filesBeyondTheLimitAreRefusedAtOnceAndTheViewerGoesOn() {
        WriteBytes(Path("VirtualKey.cnt"), "VK_A = 65\n");
        for (const qint64 size : {kDataFileByteLimit + 1, qint64{100} << 20}) {
            WriteSparse(Path("Data.ini"), size);
            Form1 form;
            QElapsedTimer timer;
            timer.start();
            QTest::keyClicks(form.Text1, "absolute");
            QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
            QCOMPARE(form.TextTxt->toPlainText(), Refusal("Data.ini") + kTooLarge);
            QCOMPARE(IniRead("FUNCTION", "ABS"), QString());
            QVERIFY(!IniWrite("FUNCTION", "ABS", "x")); // never written over a file that was not read
            QCOMPARE(QFileInfo(Path("Data.ini")).size(), size);

            // The constants are still shown, and a good Data.ini is read as soon as it is there.
            form.Option1[1]->click();
            form.List2->setCurrentRow(0);
            QCOMPARE(form.TextTxt->toPlainText(), QString("VK_A = 65"));
            QVERIFY(QFile::remove(Path("Data.ini")));
            WriteBytes(Path("Data.ini"), "[FUNCTION]\nABS=絶対値\n");
            form.Option1[0]->click();
            form.Text1->clear();
            QTest::keyClicks(form.Text1, "abs");
            QCOMPARE(form.TextTxt->toPlainText(), QString("絶対値"));
        }
        // A file exactly at the limit is still read.
        QByteArray atLimit = "[FUNCTION]\nABS=ok\n";
        atLimit += QByteArray(kDataFileByteLimit - atLimit.size(), ' ');
        WriteBytes(Path("Data.ini"), atLimit);
        QCOMPARE(IniRead("FUNCTION", "ABS"), QString("ok"));
        QCOMPARE(DataFileRefusal("Data.ini"), QString());
    }

    void aPipeIsNeverWaitedOn() {
        for (const QString& name : {QStringLiteral("Data.ini"), QStringLiteral("VirtualKey.cnt")})
            QCOMPARE(::mkfifo(QFile::encodeName(Path(name)).constData(), 0600), 0);
        const QString pipe = Path("Data.ini");
        QCOMPARE(WithinTime([] { return IniRead("FUNCTION", "ABS"); }, pipe), QString());
        QCOMPARE(WithinTime([] { return DataFileRefusal("Data.ini"); }, pipe),
                 Refusal("Data.ini") + kNotRegular);
        QCOMPARE(WithinTime(
                     [] { return ReadDataLines("VirtualKey.cnt").value_or(QStringList{"<none>"}).join(""); },
                     Path("VirtualKey.cnt")),
                 QString("<none>"));
        QVERIFY(!IniWrite("FUNCTION", "ABS", "x"));

        Form1 form;
        QTest::keyClicks(form.Text1, "a");
        QCOMPARE(form.TextTxt->toPlainText(), Refusal("Data.ini") + kNotRegular);
        form.Option1[1]->click();
        form.List2->setCurrentRow(0);
        QCOMPARE(form.TextTxt->toPlainText(), Refusal("VirtualKey.cnt") + kNotRegular);
        QVERIFY(form.isEnabled());
    }

    void linksAreJudgedByWhatTheyLeadTo() {
        QVERIFY(QFile::link("/dev/zero", Path("Data.ini")));
        QCOMPARE(WithinTime([] { return IniRead("FUNCTION", "ABS"); }), QString());
        QCOMPARE(WithinTime([] { return DataFileRefusal("Data.ini"); }), Refusal("Data.ini") + kNotRegular);

        // A folder is no data file either; a link to a regular file is read through.
        QVERIFY(QDir(dir_.path()).mkdir("VirtualKey.cnt"));
        QCOMPARE(DataFileRefusal("VirtualKey.cnt"), Refusal("VirtualKey.cnt") + kNotRegular);
        QVERIFY(QFile::remove(Path("Data.ini")));
        WriteBytes(Path("real.ini"), "[FUNCTION]\nABS=リンク先\n");
        QVERIFY(QFile::link(Path("real.ini"), Path("Data.ini")));
        QCOMPARE(DataFileRefusal("Data.ini"), QString());
        QCOMPARE(IniRead("FUNCTION", "ABS"), QString("リンク先"));

        // A link that leads nowhere is a missing file: an empty description, no message.
        QVERIFY(QFile::remove(Path("Data.ini")));
        QVERIFY(QFile::link(Path("gone.ini"), Path("Data.ini")));
        QCOMPARE(DataFileRefusal("Data.ini"), QString());
        QCOMPARE(IniRead("FUNCTION", "ABS"), QString());
    }

    void aSearchReadsTheFileOnceAndAgainOnlyWhenItChanges() {
        WriteBytes(Path("Data.ini"), "[FUNCTION]\nABS=絶対値\nMUS=マウス\nSETWIN=窓\n");
        Form1 form;
        const int before = DataFileReadings();
        for (const char* typed : {"abs", "mus", "setwin", "q", "musz"}) {
            form.Text1->clear();
            QTest::keyClicks(form.Text1, typed);
        }
        QCOMPARE(form.TextTxt->toPlainText(), QString("マウス"));
        QCOMPARE(DataFileReadings() - before, 1);

        // Another program changes the file: the next key shows the new text, read once more.
        WriteBytes(Path("Data.ini"), "[FUNCTION]\nABS=絶対値\nMUS=マウス操作\n");
        form.Text1->clear();
        QTest::keyClicks(form.Text1, "mus");
        QCOMPARE(form.TextTxt->toPlainText(), QString("マウス操作"));
        QCOMPARE(DataFileReadings() - before, 2);

        // The viewer's own write is read back once, then searches cost nothing again.
        form.TextTxt->setPlainText("新しい説明");
        QCOMPARE(IniRead("FUNCTION", "MUS"), QString("新しい説明"));
        QTest::keyClicks(form.Text1, "xyz");
        QCOMPARE(DataFileReadings() - before, 3);
    }
};

int RunDataBoundsTests(int argc, char** argv) {
    DataBoundsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "data_bounds_test.moc"
