// Tests of ProfileFile and the data-file encodings: finding values the way Windows profile files are read,
// changing one value without touching any other byte, and keeping a file's UTF-8 or CP932 encoding.
#include "profile_file.h"
#include "text_codec.h"

#include <QTest>

namespace {

// "説明" and "新しい説明" in CP932; "ソ表" has the backslash byte 0x5C as the second byte of both characters.
const QByteArray kCp932Setsumei("\x90\xE0\x96\xBE");
const QByteArray kCp932NewSetsumei("\x90\x56\x82\xB5\x82\xA2\x90\xE0\x96\xBE");
const QByteArray kCp932SoHyo("\x83\x5C\x95\x5C");

QString ValueOr(const ProfileFile& file, const QString& section, const QString& key, const QString& missing) {
    return file.Value(section, key).value_or(missing);
}

} // namespace

class ProfileFileTest : public QObject {
    Q_OBJECT

  private slots:
    void findsSectionsAndKeysWithoutRegardToCaseAndBlanks() {
        const ProfileFile file(QByteArray("; comment\r\n  [ Function ]  \r\n\tabs  =  absolute value \t\r\n"
                                          "INT=whole\r\n"));
        QCOMPARE(ValueOr(file, "FUNCTION", "ABS", "-"), QString("absolute value"));
        QCOMPARE(ValueOr(file, "function", "Abs", "-"), QString("absolute value"));
        // A key asked for with a trailing blank, as the list entry "INT " is, finds "INT".
        QCOMPARE(ValueOr(file, "FUNCTION", "INT ", "-"), QString("whole"));
    }

    void firstSectionAndFirstKeyWin() {
        const ProfileFile file(QByteArray("[A]\nk=first\nk=second\n[B]\nx=1\n[a]\nk=third\nonly=later\n"));
        QCOMPARE(ValueOr(file, "A", "k", "-"), QString("first"));
        // A key that exists only in a later section of the same name is not found.
        QCOMPARE(ValueOr(file, "A", "only", "missing"), QString("missing"));
        QCOMPARE(ValueOr(file, "B", "x", "-"), QString("1"));
    }

    void commentsMissingNamesAndEmptyValues() {
        const ProfileFile file(QByteArray("k=outside\n[S]\n;k=commented\n  ; j=also\nnovalue\nempty=\n"
                                          "semi=a;b\n"));
        QVERIFY(!file.Value("S", "k").has_value());
        QVERIFY(!file.Value("S", "j").has_value());
        QVERIFY(!file.Value("S", "novalue").has_value());
        QVERIFY(!file.Value("T", "k").has_value());
        QCOMPARE(ValueOr(file, "S", "empty", "missing"), QString(""));
        QCOMPARE(ValueOr(file, "S", "semi", "-"), QString("a;b")); // ";" inside a value is text
    }

    void longValuesAreReadWhole() {
        const QByteArray value(5000, 'x');
        const ProfileFile file("[S]\r\nk=" + value + "\r\n");
        QCOMPARE(ValueOr(file, "S", "k", "-").size(), qsizetype(5000));
    }

    void changingAValueRewritesOnlyItsLine() {
        const QByteArray before("; head\r\n[S]\r\n  Key = old value\r\nother=keep  \r\n\r\n[T]\r\nk=1\r\n");
        ProfileFile file(before);
        QVERIFY(file.SetValue("s", "KEY", "new"));
        QCOMPARE(file.Bytes(),
                 QByteArray("; head\r\n[S]\r\n  Key =new\r\nother=keep  \r\n\r\n[T]\r\nk=1\r\n"));
    }

    void missingKeysAndSectionsAreAdded() {
        ProfileFile file(QByteArray("[S]\na=1\n\n[T]\nb=2"));
        QVERIFY(file.SetValue("S", "c", "3"));
        QVERIFY(file.SetValue("U", "d", "4"));
        // The key goes to the end of its section, before the blank line; the new section to the end, with the
        // file's own LF line ends and a line end for the former last line.
        QCOMPARE(file.Bytes(), QByteArray("[S]\na=1\nc=3\n\n[T]\nb=2\n[U]\nd=4\n"));
        QCOMPARE(ValueOr(file, "U", "d", "-"), QString("4"));

        ProfileFile empty;
        QVERIFY(empty.SetValue("FUNCTION", "ABS ", "x"));
        QCOMPARE(empty.Bytes(), QByteArray("[FUNCTION]\r\nABS=x\r\n"));
    }

    void refusesWhatCannotStandInTheFile() {
        const QByteArray before("[S]\r\nk=v\r\n");
        ProfileFile file(before);
        QVERIFY(!file.SetValue("S", "k", "two\r\nlines"));
        QVERIFY(!file.SetValue("S", "k", "line\nfeed"));
        QVERIFY(!file.SetValue("S", "", "v"));
        QVERIFY(!file.SetValue("S", "a=b", "v"));
        QVERIFY(!file.SetValue("S]", "k", "v"));
        QCOMPARE(file.Bytes(), before);
    }

    void cp932FilesAreReadAndWrittenInCp932() {
        const QByteArray before =
            "[S]\r\n" + kCp932SoHyo + "=" + kCp932Setsumei + "\r\nk=" + kCp932Setsumei + "\r\n";
        ProfileFile file(before);
        QCOMPARE(file.Encoding(), DataEncoding::Cp932);
        QCOMPARE(ValueOr(file, "S", "k", "-"), QString("説明"));
        QCOMPARE(ValueOr(file, "S", "ソ表", "-"), QString("説明"));
        QVERIFY(file.SetValue("S", "k", "新しい説明"));
        QCOMPARE(file.Bytes(),
                 "[S]\r\n" + kCp932SoHyo + "=" + kCp932Setsumei + "\r\nk=" + kCp932NewSetsumei + "\r\n");
        // A character CP932 has no code for is refused; the file stays as it was.
        const QByteArray written = file.Bytes();
        QVERIFY(!file.SetValue("S", "k", "한국어"));
        QCOMPARE(file.Bytes(), written);
    }

    void utf8FilesKeepTheirMark() {
        const QByteArray bom("\xEF\xBB\xBF");
        ProfileFile marked(bom + "[S]\nk=説明\n");
        QCOMPARE(marked.Encoding(), DataEncoding::Utf8Bom);
        QCOMPARE(ValueOr(marked, "S", "k", "-"), QString("説明"));
        QVERIFY(marked.SetValue("S", "k", "한국어"));
        QCOMPARE(marked.Bytes(), bom + QString("[S]\nk=한국어\n").toUtf8());

        ProfileFile plain(QString("[S]\r\nk=説明\r\n").toUtf8());
        QCOMPARE(plain.Encoding(), DataEncoding::Utf8);
        QVERIFY(plain.SetValue("S", "k", "新しい説明"));
        QCOMPARE(plain.Bytes(), QString("[S]\r\nk=新しい説明\r\n").toUtf8());
    }

    void unreadableBytesStayUntouched() {
        // A lead byte followed by a blank has no meaning in CP932: it is shown as U+FFFD but survives a
        // change of another line.
        const QByteArray before("[S]\r\nbad=\x81 x\r\nk=1\r\n");
        ProfileFile file(before);
        QCOMPARE(file.Encoding(), DataEncoding::Cp932);
        QVERIFY(ValueOr(file, "S", "bad", "-").contains(QChar(0xFFFD)));
        QVERIFY(file.SetValue("S", "k", "2"));
        QCOMPARE(file.Bytes(), QByteArray("[S]\r\nbad=\x81 x\r\nk=2\r\n"));
    }

    void decodesWholeFiles() {
        QCOMPARE(DecodeDataFile("\xEF\xBB\xBF" + QString("あ").toUtf8()), QString("あ"));
        QCOMPARE(DecodeDataFile(kCp932SoHyo), QString("ソ表"));
        QCOMPARE(DecodeDataFile(QByteArray("plain")), QString("plain"));
    }
};

int RunProfileFileTests(int argc, char** argv) {
    ProfileFileTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "profile_file_test.moc"
