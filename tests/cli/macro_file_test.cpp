// Tests of the macro file routines: line ends, encoding detection, the save format, the lossless round trip,
// and how load and save failures are reported.
#include "editor_files.h"

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <unistd.h>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

namespace {

// "日本語" in CP932.
const std::string kCp932Nihongo = "\x93\xFA\x96\x7B\x8C\xEA";
const std::string kBom = "\xEF\xBB\xBF";

void WriteBytes(const QString& path, const std::string& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
}

std::string ReadBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return "<unreadable>";
    return file.readAll().toStdString();
}

std::u16string U16(const QString& text) {
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size()));
}

struct LogRecorder {
    std::vector<std::u16string> lines;
    MacroFileLog Sink() {
        return [this](const std::u16string& line) { lines.push_back(line); };
    }
};

using Lines = std::vector<std::u16string>;

} // namespace

TEST(MacroFileRead, LinesEndAtCrLfCrAndLoneLf) {
    EXPECT_EQ(SplitMacroLines(u"a\r\nb\rc\nd"), (Lines{u"a", u"b", u"c", u"d"}));
    EXPECT_EQ(SplitMacroLines(u"a\r\n"), (Lines{u"a"}));
    EXPECT_EQ(SplitMacroLines(u"a\n\n"), (Lines{u"a", u""}));
    EXPECT_EQ(SplitMacroLines(u"a\n\rb"), (Lines{u"a", u"", u"b"}));
    EXPECT_EQ(SplitMacroLines(u"\r\n"), (Lines{u""}));
    EXPECT_TRUE(SplitMacroLines(u"").empty());
    // Joined again, the lines give the text a run from the top is given: CR LF between lines, none after.
    EXPECT_EQ(JoinMacroLines(SplitMacroLines(u"a\nb\rc\r\n")), u"a\r\nb\r\nc");
    EXPECT_EQ(JoinMacroLines({u"", u""}), u"\r\n");
    EXPECT_TRUE(JoinMacroLines({}).empty());
}

TEST(MacroFileRead, Utf8WhenValidOtherwiseCp932) {
    EXPECT_EQ(DecodeMacroBytes("PRINT 1"), u"PRINT 1");
    EXPECT_EQ(DecodeMacroBytes("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E"), u"日本語");
    EXPECT_EQ(DecodeMacroBytes(kBom + "\xE6\x97\xA5"), u"日");
    EXPECT_EQ(DecodeMacroBytes(kCp932Nihongo), u"日本語");
    // Half-width katakana are single CP932 bytes that never start valid UTF-8 on their own.
    EXPECT_EQ(DecodeMacroBytes("\xB1\xB2"), u"ｱｲ");
    // A broken byte costs only itself; the rest of its line and the following lines still read as CP932.
    EXPECT_EQ(DecodeMacroBytes(kCp932Nihongo.substr(0, 4) + "\x81\n" + kCp932Nihongo.substr(4)),
              u"日本\uFFFD\n語");
}

TEST(MacroFileLoad, EveryLineFollowedByCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.qlx");
    LogRecorder log;

    WriteBytes(path, "A\nB");
    EXPECT_EQ(LoadMacroFile(path, log.Sink()), u"A\r\nB\r\n");
    WriteBytes(path, "A\r\nB\r\n");
    EXPECT_EQ(LoadMacroFile(path, log.Sink()), u"A\r\nB\r\n");
    WriteBytes(path, kCp932Nihongo + "\r");
    EXPECT_EQ(LoadMacroFile(path, log.Sink()), u"日本語\r\n");
    WriteBytes(path, "");
    EXPECT_EQ(LoadMacroFile(path, log.Sink()), u"");
    EXPECT_TRUE(log.lines.empty());
}

TEST(MacroFileLoad, MissingFileLogsTwoLinesAndGivesEmptyText) {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing.qlx");
    LogRecorder log;
    EXPECT_EQ(LoadMacroFile(path, log.Sink()), u"");
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], u"マクロの読み込みに失敗しました。 - " + U16(path));
    EXPECT_FALSE(log.lines[1].empty());
}

TEST(MacroFileSave, CrLfLineEndsPlusOneFinalCrLf) {
    EXPECT_EQ(EncodeMacroText(u"A\r\nB"), "A\r\nB\r\n");
    EXPECT_EQ(EncodeMacroText(u"A\nB\rC\r\n"), "A\r\nB\r\nC\r\n\r\n");
    EXPECT_EQ(EncodeMacroText(u""), "\r\n");
}

TEST(MacroFileSave, Cp932WhenItRoundTripsElseUtf8WithBom) {
    EXPECT_EQ(EncodeMacroText(u"日本語"), kCp932Nihongo + "\r\n");
    EXPECT_EQ(EncodeMacroText(u"😀"), kBom + "\xF0\x9F\x98\x80\r\n");
    // "ﾃｽ" is C3 BD in CP932, which is also valid UTF-8 ("ý"): CP932 would come back as another text.
    EXPECT_EQ(EncodeMacroText(u"ﾃｽ"), kBom + "\xEF\xBE\x83\xEF\xBD\xBD\r\n");
    // The yen sign shares CP932's backslash code, so CP932 would turn it into a backslash.
    EXPECT_EQ(EncodeMacroText(u"¥"), kBom + "\xC2\xA5\r\n");
}

TEST(MacroFileSave, RoundTripKeepsEveryCharacter) {
    QTemporaryDir dir;
    const QString path = dir.filePath("round.qlx");
    const std::vector<std::u16string> texts = {
        u"PRINT \"日本語\"\r\nPRINT 1",
        u"PRINT \"😀 と 漢字\"\r\n' emoji need UTF-8",
        u"ﾃｽﾄ ﾊﾝｶｸ ｶﾀｶﾅ",
        u"yen ¥ backslash \\ tilde ~ overline ‾",
        u"\uFEFFstarts with a BOM character",
        u"tab\there\r\n\r\nblank line above",
        u"PRINT \"A\"\r\n",
    };
    for (const auto& text : texts) {
        LogRecorder log;
        ASSERT_TRUE(SaveMacroFile(path, text, log.Sink()));
        EXPECT_EQ(LoadMacroFile(path, log.Sink()), text + u"\r\n");
        EXPECT_TRUE(log.lines.empty());
    }
}

namespace {

// Runs a write under a file size limit of 64 bytes, which makes it fail even for root, who ignores folder
// permissions; returns what the write returned.
bool UnderFileSizeLimit(const std::function<bool()>& write) {
    rlimit saved{};
    if (getrlimit(RLIMIT_FSIZE, &saved) != 0) return true;
    rlimit small = saved;
    small.rlim_cur = 64;
    if (setrlimit(RLIMIT_FSIZE, &small) != 0) return true; // the caller's check of a failure fails
    auto* previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const bool result = write();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    return result;
}

} // namespace

TEST(MacroFileSave, FailedSaveLeavesOldFileWholeAndLogsTwoLines) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.qlx");
    LogRecorder log;
    ASSERT_TRUE(SaveMacroFile(path, u"old", log.Sink()));

    const bool saved_ok =
        UnderFileSizeLimit([&] { return SaveMacroFile(path, std::u16string(10000, u'x'), log.Sink()); });

    EXPECT_FALSE(saved_ok);
    EXPECT_EQ(ReadBytes(path), "old\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.qlx"});
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], u"マクロの保存に失敗しました。 - " + U16(path));
    EXPECT_EQ(log.lines[1], u"ファイルが大きすぎます"); // the system's reason, in Japanese

    LogRecorder missingDir;
    const QString unreachable = dir.filePath("no/such/folder/x.qlx");
    EXPECT_FALSE(SaveMacroFile(unreachable, u"A", missingDir.Sink()));
    ASSERT_EQ(missingDir.lines.size(), 2u);
    EXPECT_EQ(missingDir.lines[0], u"マクロの保存に失敗しました。 - " + U16(unreachable));
    EXPECT_EQ(missingDir.lines[1], u"ファイルまたはフォルダが見つかりません");
}

// The copy may hold a macro's password: only its user may read it, and its cache folder is closed to others,
// whatever the umask and however an earlier version made the folder; a folder that cannot be the user's
// alone is refused with its reason.
TEST(MacroFileBuffer, TheCopyAndItsFolderAreTheUsersAlone) {
    QTemporaryDir dir;
    const mode_t oldMask = ::umask(0);
    struct stat info {};
    {
        LogRecorder log;
        OwnBufferFile buffer(dir.filePath("macrobuf.qlx").toStdString());
        ASSERT_TRUE(WriteBufferFile(buffer, u"PRINT \"secret\"", log.Sink()));
        ASSERT_EQ(::stat(buffer.Path().c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600u);
    }
    std::u16string reason;
    const std::string made = dir.filePath("cache/QuillonMacro").toStdString();
    EXPECT_TRUE(MakePrivateFolder(made, reason));
    const std::string opened = dir.filePath("old").toStdString();
    ::mkdir(opened.c_str(), 0755);
    EXPECT_TRUE(MakePrivateFolder(opened, reason));
    // A link in the folder's place is not followed: its target keeps its rights.
    const std::string target = dir.filePath("target").toStdString();
    ::mkdir(target.c_str(), 0755);
    const std::string link = dir.filePath("linked").toStdString();
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    EXPECT_FALSE(MakePrivateFolder(link, reason));
    EXPECT_EQ(reason, u"フォルダがリンクになっています");
    // A file in its place, and another user's folder (made so by root, as after "sudo -E").
    const std::string file = dir.filePath("file").toStdString();
    ASSERT_TRUE(QFile(QString::fromStdString(file)).open(QIODevice::WriteOnly));
    EXPECT_FALSE(MakePrivateFolder(file, reason));
    EXPECT_EQ(reason, u"同じ名前のファイルがあります");
    if (::geteuid() == 0) {
        const std::string others = dir.filePath("others").toStdString();
        ::mkdir(others.c_str(), 0755);
        ASSERT_EQ(::chown(others.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(MakePrivateFolder(others, reason));
        EXPECT_EQ(reason, u"ほかのユーザーのフォルダです");
        ASSERT_EQ(::stat(others.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0755u);
    }
    ::umask(oldMask);
    ASSERT_EQ(::stat(made.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(opened.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST(MacroFileBuffer, WritesTheSavedBytesInPlaceAndLeavesNoCutOffCopy) {
    QTemporaryDir dir;
    const QString path = dir.filePath("macrobuf.qlx");
    LogRecorder log;
    OwnBufferFile buffer(path.toStdString());
    ASSERT_TRUE(WriteBufferFile(buffer, std::u16string(500, u'x'), log.Sink()));
    EXPECT_EQ(buffer.Path(), path.toStdString());
    // A shorter text replaces a longer one whole, in the bytes a save writes.
    ASSERT_TRUE(WriteBufferFile(buffer, u"PRINT \"あ\"\r\n", log.Sink()));
    const QString saved = dir.filePath("saved.qlx");
    ASSERT_TRUE(SaveMacroFile(saved, u"PRINT \"あ\"\r\n", log.Sink()));
    EXPECT_EQ(ReadBytes(path), ReadBytes(saved));
    EXPECT_TRUE(log.lines.empty());

    const bool written =
        UnderFileSizeLimit([&] { return WriteBufferFile(buffer, std::u16string(10000, u'x'), log.Sink()); });
    EXPECT_FALSE(written);
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], u"マクロの保存に失敗しました。 - " + U16(path));
    EXPECT_EQ(log.lines[1], u"ファイルが大きすぎます");
}

TEST(MacroFileBuffer, NeverTouchesAFileItDidNotCreate) {
    QTemporaryDir dir;
    const QString path = dir.filePath("macrobuf.qlx");
    const std::string preferred = path.toStdString();
    LogRecorder log;

    // The user's own macrobuf.qlx: the copy goes beside it, and removing the copy leaves it as it was.
    WriteBytes(path, "the user's own macro\r\n");
    {
        OwnBufferFile buffer(preferred);
        ASSERT_TRUE(WriteBufferFile(buffer, u"PRINT 1", log.Sink()));
        EXPECT_EQ(buffer.Path(),
                  OwnBufferFileAlternative(preferred, static_cast<unsigned long>(::getpid()), 0));
        EXPECT_EQ(ReadBytes(QString::fromStdString(buffer.Path())), std::string("PRINT 1\r\n"));
    }
    EXPECT_EQ(ReadBytes(path), std::string("the user's own macro\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"macrobuf.qlx"});
    QFile::remove(path);

    // A link in its place is not followed: its target keeps its bytes, the link stays.
    const QString target = dir.filePath("target.txt");
    WriteBytes(target, "precious");
    ASSERT_TRUE(QFile::link(target, path));
    {
        OwnBufferFile buffer(preferred);
        ASSERT_TRUE(WriteBufferFile(buffer, u"PRINT 2", log.Sink()));
        EXPECT_NE(buffer.Path(), preferred);
    }
    EXPECT_EQ(ReadBytes(target), std::string("precious"));
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    QFile::remove(path);

    // Two programs at once each have their own copy; one ending leaves the other's.
    auto first = std::make_unique<OwnBufferFile>(preferred);
    OwnBufferFile second(preferred);
    ASSERT_TRUE(WriteBufferFile(*first, u"PRINT \"first\"", log.Sink()));
    ASSERT_TRUE(WriteBufferFile(second, u"PRINT \"second\"", log.Sink()));
    EXPECT_NE(first->Path(), second.Path());
    first.reset();
    EXPECT_EQ(ReadBytes(QString::fromStdString(second.Path())), std::string("PRINT \"second\"\r\n"));
    EXPECT_FALSE(QFile::exists(path));

    // A file put in the copy's place while the program runs is the user's: the next run writes a new copy of
    // its own, and the end removes only that.
    const std::string ownPath = second.Path();
    QFile::remove(QString::fromStdString(ownPath));
    WriteBytes(QString::fromStdString(ownPath), "replaced by the user");
    ASSERT_TRUE(WriteBufferFile(second, u"PRINT 3", log.Sink()));
    EXPECT_NE(second.Path(), ownPath);
    second.Remove();
    EXPECT_EQ(ReadBytes(QString::fromStdString(ownPath)), std::string("replaced by the user"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(second.Path())));
    EXPECT_TRUE(log.lines.empty());
}

TEST(MacroFileBuffer, InTheProgramFolderWhenWritable) {
    const QString path = QString::fromStdString(BufferFilePath());
    EXPECT_TRUE(path.endsWith("/macrobuf.qlx"));
    EXPECT_EQ(QFileInfo(path).absolutePath(),
              QFileInfo(QCoreApplication::applicationDirPath()).absoluteFilePath());
}
