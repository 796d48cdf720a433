// Tests of the viewer's window on real files in a temporary data folder: search as the user types, the
// option switch, descriptions with "|" line breaks, long descriptions that viewing must leave unchanged,
// missing data files, an edit written back in the file's encoding, the entry named at start, the first focus.
#include "description_wrap.h"
#include "form1.h"
#include "ini.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QScrollBar>
#include <QTest>

namespace {

QByteArray ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QByteArray("<missing>");
    return file.readAll();
}

void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QString Selected(const QListWidget* list) {
    return list->currentItem() == nullptr ? QString("<none>") : list->currentItem()->text();
}

// A description of exactly `length` characters, Japanese and ASCII mixed, with "|" line breaks.
QString LongDescription(int length) {
    QString text;
    const QString piece = QStringLiteral("長い説明の一行 line of text 1234|");
    while (text.size() < length) text += piece;
    text.truncate(length - 1);
    return text + u'終';
}

} // namespace

class Form1Test : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString IniPath() const { return dir_.filePath("Data.ini"); }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(IniPath());
        QFile::remove(dir_.filePath("VirtualKey.cnt"));
        SetDataFolder(dir_.path());
    }
    void cleanupTestCase() { SetDataFolder(QString()); }

    void typingSelectsTheEntryWithTheLongestCommonPrefix() {
        WriteBytes(IniPath(),
                   QString("[FUNCTION]\r\nMUS=マウス|操作\r\nABS=絶対値\r\nINT=整数\r\n").toUtf8());
        Form1 form;
        QTest::keyClicks(form.Text1, "mu");
        QCOMPARE(form.Text1->text(), QString("MU")); // upper-cased in place
        QCOMPARE(form.Text1->cursorPosition(), 2);
        QCOMPARE(Selected(form.List1), QString("MUS"));
        QCOMPARE(form.TextTxt->toPlainText(), QString("マウス\n操作"));
        QTest::keyClicks(form.Text1, "x");
        QCOMPARE(Selected(form.List1), QString("MUS"));

        form.Text1->clear();
        QTest::keyClicks(form.Text1, "q"); // nothing starts with Q: the first entry
        QCOMPARE(Selected(form.List1), QString("ABS"));
        QCOMPARE(form.TextTxt->toPlainText(), QString("絶対値"));

        form.Text1->clear();
        QTest::keyClicks(form.Text1, "int");
        QCOMPARE(Selected(form.List1), QString("INT ")); // the entry keeps its blank, the key "INT" matches
        QCOMPARE(form.TextTxt->toPlainText(), QString("整数"));

        form.Text1->clear();
        QTest::keyClicks(form.Text1, "se"); // SETWIN comes before SGN and SHELL
        QCOMPARE(Selected(form.List1), QString("SETWIN"));
        QTest::keyClicks(form.Text1, "z"); // "SEZ": still SETWIN
        QCOMPARE(Selected(form.List1), QString("SETWIN"));
    }

    void theOptionSwitchChoosesTheList() {
        WriteBytes(IniPath(), QString("[FUNCTION]\r\nABS=絶対値\r\n").toUtf8());
        WriteBytes(dir_.filePath("VirtualKey.cnt"), QString("VK_A\t65\r\nVK_B\t66\r\n").toUtf8());
        Form1 form;
        QVERIFY(form.Option1[0]->isChecked());
        QVERIFY(!form.List1->isHidden());
        QVERIFY(form.List2->isHidden());
        QTest::keyClicks(form.Text1, "a");
        QCOMPARE(form.TextTxt->toPlainText(), QString("絶対値"));

        form.Option1[1]->click();
        QVERIFY(form.List1->isHidden());
        QVERIFY(!form.List2->isHidden());
        QCOMPARE(form.TextTxt->toPlainText(), QString("絶対値")); // the switch does not clear the box
        form.Text1->clear();
        QTest::keyClicks(form.Text1, "v");
        QCOMPARE(Selected(form.List2), QString("VirtualKey"));
        QCOMPARE(form.TextTxt->toPlainText(), QString("VK_A\t65\nVK_B\t66"));

        // Back to the functions: the same entry as before is shown again, not the constants' text.
        form.Option1[0]->click();
        QVERIFY(!form.List1->isHidden());
        form.Text1->clear();
        QTest::keyClicks(form.Text1, "a");
        QCOMPARE(form.TextTxt->toPlainText(), QString("絶対値"));
    }

    void viewingLeavesTheFileUnchangedAndAnEditIsWrittenBackWithBars() {
        const QByteArray before =
            QString("; notes\r\n[FUNCTION]\r\nABS=一行目|二行目\r\nBIN= 2進 \r\n").toUtf8();
        WriteBytes(IniPath(), before);
        Form1 form;
        QTest::keyClicks(form.Text1, "abs");
        QCOMPARE(form.TextTxt->toPlainText(), QString("一行目\n二行目"));
        form.List1->setCurrentRow(1); // BIN
        QCOMPARE(form.TextTxt->toPlainText(), QString("2進"));
        QCOMPARE(ReadBytes(IniPath()), before);

        // The box is read-only for the user; a changed text is still stored, with "|" for each line break.
        form.List1->setCurrentRow(0);
        form.TextTxt->setPlainText("一行目\n二行目\n三行目");
        QCOMPARE(ReadBytes(IniPath()),
                 QString("; notes\r\n[FUNCTION]\r\nABS=一行目|二行目|三行目\r\nBIN= 2進 \r\n").toUtf8());
        QCOMPARE(IniRead("FUNCTION", "ABS"), QString("一行目|二行目|三行目"));
    }

    void aLongDescriptionSurvivesViewingByteForByte() {
        const QString description = LongDescription(5000);
        const QByteArray before = "[FUNCTION]\r\nMID=" + description.toUtf8() + "\r\nMUS=short\r\n";
        WriteBytes(IniPath(), before);
        Form1 form;
        QTest::keyClicks(form.Text1, "mid");
        QCOMPARE(form.TextTxt->toPlainText(), QString(description).replace(u'|', u'\n'));
        QTest::keyClicks(form.Text1, "s"); // "MIDS" → MID again; then another entry and back
        form.List1->setCurrentRow(form.List1->row(form.List1->findItems("MUS", Qt::MatchExactly).first()));
        form.List1->setCurrentRow(form.List1->row(form.List1->findItems("MID", Qt::MatchExactly).first()));
        QCOMPARE(form.TextTxt->toPlainText().size(), qsizetype(5000));
        QCOMPARE(ReadBytes(IniPath()), before);
    }

    // Looking for a word boundary in a run without one costs the box time in the square of the run's length
    // (a 3 MB one would take minutes): such a description is wrapped anywhere, ordinary ones at words. A
    // description longer than any written to be read is also drawn without the font's shaping rules.
    void longDescriptionsAreLaidOutCheaplyAndKeptWhole() {
        QVERIFY(!HasUnbreakableRun(QString(kLongestWrappedRun, u'x')));
        QVERIFY(HasUnbreakableRun(QString(kLongestWrappedRun + 1, u'x')));
        QVERIFY(HasUnbreakableRun("a b " + QString(kLongestWrappedRun + 1, u'x'))); // at the end
        QVERIFY(HasUnbreakableRun(QString(kLongestWrappedRun + 1, u'x') + " a b")); // at the start
        QVERIFY(!HasUnbreakableRun(
            QString(3000, u'x').replace(800, 1, u' ').replace(1600, 1, u'\n').replace(2400, 1, u'-')));
        QVERIFY(!HasUnbreakableRun(QString(5000, QChar(0x8AAC)))); // Japanese breaks between characters
        QVERIFY(!HasUnbreakableRun(LongDescription(20000)));
        QCOMPARE(DescriptionWrapMode(LongDescription(kLongestOrdinaryText)),
                 QTextOption::WrapAtWordBoundaryOrAnywhere);
        QCOMPARE(DescriptionWrapMode(LongDescription(kLongestOrdinaryText + 1)), QTextOption::WrapAnywhere);

        const QString run = "数値 " + QString(20000, u'7') + " おわり";
        const QString huge = LongDescription(kLongestOrdinaryText + 1);
        const QByteArray before = "[FUNCTION]\r\nABS=" + LongDescription(5000).toUtf8() +
                                  "\r\nBIN=" + run.toUtf8() + "\r\nMID=" + huge.toUtf8() + "\r\n";
        WriteBytes(IniPath(), before);
        Form1 form;
        form.show();
        QTest::keyClicks(form.Text1, "abs");
        QCOMPARE(form.TextTxt->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        form.Text1->clear();
        QTest::keyClicks(form.Text1, "bin");
        QCOMPARE(Selected(form.List1), QString("BIN"));
        QCOMPARE(form.TextTxt->wordWrapMode(), QTextOption::WrapAnywhere);
        QCOMPARE(form.TextTxt->toPlainText(), run);
        QCOMPARE(form.TextTxt->document()->blockCount(), 1);
        QVERIFY(!(form.TextTxt->font().styleStrategy() & QFont::PreferNoShaping));
        form.Text1->clear();
        QTest::keyClicks(form.Text1, "mid");
        QCOMPARE(form.TextTxt->wordWrapMode(), QTextOption::WrapAnywhere);
        QVERIFY(form.TextTxt->font().styleStrategy() & QFont::PreferNoShaping);
        QCOMPARE(form.TextTxt->toPlainText(), QString(huge).replace(u'|', u'\n'));
        QCOMPARE(form.TextTxt->textCursor().position(), 0); // a description opens at its top
        QCOMPARE(form.TextTxt->verticalScrollBar()->value(), 0);
        QVERIFY(!form.TextTxt->document()->isUndoAvailable());
        form.List1->setCurrentRow(form.List1->row(form.List1->findItems("ABS", Qt::MatchExactly).first()));
        QCOMPARE(form.TextTxt->wordWrapMode(), QTextOption::WrapAtWordBoundaryOrAnywhere);
        QVERIFY(!(form.TextTxt->font().styleStrategy() & QFont::PreferNoShaping));
        QCOMPARE(ReadBytes(IniPath()), before);
    }

    void missingDataFilesGiveEmptyDescriptions() {
        Form1 form; // no Data.ini, no .cnt file in the folder
        form.show();
        QTest::keyClicks(form.Text1, "abs");
        QCOMPARE(Selected(form.List1), QString("ABS"));
        QCOMPARE(form.TextTxt->toPlainText(), QString());
        form.Option1[1]->click();
        form.Text1->clear();
        QTest::keyClicks(form.Text1, "v");
        QCOMPARE(Selected(form.List2), QString("VirtualKey"));
        QCOMPARE(form.TextTxt->toPlainText(), QString());
        form.List2->setCurrentRow(1);
        QCOMPARE(form.TextTxt->toPlainText(), QString());
        QVERIFY(form.isVisible());          // the window stays open
        QVERIFY(!QFile::exists(IniPath())); // and viewing creates nothing
    }

    void cp932AndUtf8FilesAreWrittenBackInTheirEncoding() {
        // "[FUNCTION]", "ABS=説明", "BIN=ソ表" in CP932.
        const QByteArray cp932("[FUNCTION]\r\nABS=\x90\xE0\x96\xBE\r\nBIN=\x83\x5C\x95\x5C\r\n");
        WriteBytes(IniPath(), cp932);
        {
            Form1 form;
            QTest::keyClicks(form.Text1, "abs");
            QCOMPARE(form.TextTxt->toPlainText(), QString("説明"));
            QCOMPARE(ReadBytes(IniPath()), cp932);
            form.TextTxt->setPlainText("新しい説明");
            // "新しい説明" in CP932; the other lines keep their bytes.
            QCOMPARE(ReadBytes(IniPath()),
                     QByteArray("[FUNCTION]\r\nABS=\x90\x56\x82\xB5\x82\xA2\x90\xE0\x96\xBE\r\nBIN="
                                "\x83\x5C\x95\x5C\r\n"));
            form.List1->setCurrentRow(1);
            QCOMPARE(form.TextTxt->toPlainText(), QString("ソ表"));
        }
        const QByteArray utf8 = "\xEF\xBB\xBF" + QString("[FUNCTION]\nABS=説明\n").toUtf8();
        WriteBytes(IniPath(), utf8);
        Form1 form;
        QTest::keyClicks(form.Text1, "abs");
        QCOMPARE(form.TextTxt->toPlainText(), QString("説明"));
        form.TextTxt->setPlainText("説明|改");
        QCOMPARE(ReadBytes(IniPath()), "\xEF\xBB\xBF" + QString("[FUNCTION]\nABS=説明|改\n").toUtf8());
    }

    void cntFilesInEitherEncodingShowLineByLine() {
        // "その他" lines in CP932 with CR LF ends, then UTF-8 with lone LF ends.
        WriteBytes(dir_.filePath("VirtualKey.cnt"), QByteArray("\x83\x5C\x95\x5C\r\n\r\nVK_A\t65\r\n"));
        Form1 form;
        form.Option1[1]->click();
        form.List2->setCurrentRow(0);
        QCOMPARE(form.TextTxt->toPlainText(), QString("ソ表\n\nVK_A\t65"));
        WriteBytes(dir_.filePath("VirtualKey.cnt"), QString("一\n二\n").toUtf8());
        form.List2->setCurrentRow(1);
        form.List2->setCurrentRow(0);
        QCOMPARE(form.TextTxt->toPlainText(), QString("一\n二"));
    }

    // The entry named on the command line (the editor's F1): a function or keyword in any case, a constant
    // group, or the group whose file lists the constant; an unknown name changes nothing.
    void anEntryIsShownByItsName() {
        WriteBytes(IniPath(), QString("[FUNCTION]\r\nMUS=マウス\r\nINT =整数\r\n").toUtf8());
        WriteBytes(dir_.filePath("VirtualKey.cnt"),
                   QString("名前 = 値\nVK_A = 65\nVK_RETURN = 13\n").toUtf8());
        WriteBytes(dir_.filePath("特殊変数.cnt"), QString("IMG_X（FINDIMG が設定）: x\n").toUtf8());
        Form1 form;
        QVERIFY(form.ShowEntry("mus"));
        QCOMPARE(Selected(form.List1), QString("MUS"));
        QCOMPARE(form.TextTxt->toPlainText(), QString("マウス"));
        QVERIFY(form.ShowEntry("Int"));
        QCOMPARE(Selected(form.List1), QString("INT "));

        QVERIFY(form.ShowEntry("vk_return"));
        QVERIFY(form.Option1[1]->isChecked());
        QVERIFY(form.List1->isHidden());
        QCOMPARE(Selected(form.List2), QString("VirtualKey"));
        QVERIFY(form.ShowEntry("IMG_X"));
        QCOMPARE(Selected(form.List2), QString("特殊変数"));
        QVERIFY(form.ShowEntry("mid")); // back to the function list
        QVERIFY(form.Option1[0]->isChecked());
        QVERIFY(!form.List1->isHidden());
        QCOMPARE(Selected(form.List1), QString("MID"));

        // Only a whole name counts: "VK" is no constant, "VK_" no group; an unknown name leaves all as it is.
        for (const char* unknown : {"VK", "VK_", "NOSUCH", "", " "})
            QVERIFY2(!form.ShowEntry(unknown), unknown);
        QCOMPARE(Selected(form.List1), QString("MID"));
        QVERIFY(form.Option1[0]->isChecked());

        Form1 fresh;
        QVERIFY(!fresh.ShowEntry("xyz"));
        QCOMPARE(Selected(fresh.List1), QString("<none>"));
        QVERIFY(fresh.Text1->text().isEmpty());
    }

    // Typing after the start goes to the search box.
    void theFocusStartsInTheSearchBox() {
        Form1 form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(form.Text1));
    }
};

int RunForm1Tests(int argc, char** argv) {
    Form1Test test;
    return QTest::qExec(&test, argc, argv);
}

#include "form1_test.moc"
