// Tests of the built QuillonMacro binary run on macro files: what it prints on standard output and standard
// error, and its exit status. Runs without any display: the command-line run needs none.
#include "process_sound_test_support.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

struct ProgramResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program without a display, or with `display` as an X display name; in `locale` and in `folder`
// when given.
ProgramResult RunProgram(const QStringList& arguments, const QString& display = {},
                         const QString& locale = {}, const QString& folder = {}) {
    QProcess process;
    if (!folder.isEmpty()) process.setWorkingDirectory(folder);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    if (!display.isEmpty()) environment.insert("DISPLAY", display);
    if (!locale.isEmpty()) environment.insert("LC_ALL", locale);
    environment.remove("WAYLAND_DISPLAY");
    environment.remove("QT_QPA_PLATFORM");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QM_PROGRAM), arguments);
    ProgramResult result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return result;
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}

class CommandLine : public ::testing::Test {
  protected:
    QString Write(const QString& name, const std::string& bytes) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(process_sound_testing::WriteFile(path.toStdString(), bytes));
        return path;
    }
    ProgramResult RunFile(const QString& name, const std::string& bytes) {
        return RunProgram({Write(name, bytes)});
    }

    QTemporaryDir dir_;
};

} // namespace

// Nothing on standard output, which stays for the macro's lines; one line naming the path on standard error.
TEST_F(CommandLine, MissingFileEndsWithStatusTwoAndOneLineOnStandardError) {
    const QString path = dir_.filePath("nothing here.qlx");
    const ProgramResult missing = RunProgram({dir_.filePath("nothing"), "here.qlx"});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "マクロファイルが見つかりません。 - " + path.toStdString() + "\n");
}

TEST_F(CommandLine, HelpAndVersionPrintOnStandardOutput) {
    for (const char* option : {"--help", "-h"}) {
        const ProgramResult help = RunProgram({QString::fromLatin1(option)});
        EXPECT_EQ(help.exitCode, 0) << option;
        EXPECT_EQ(help.err, "") << option;
        EXPECT_TRUE(help.out.starts_with("使い方:\n")) << help.out;
        // The forms, the statuses and the variables that choose the desktop.
        for (const char* part : {"QuillonMacro ファイル.qlx", "--edit ファイル", "終了ステータス", "100",
                                 "QUILLONMACRO_DESKTOP", "WAYLAND_DISPLAY", "DISPLAY"})
            EXPECT_NE(help.out.find(part), std::string::npos) << part;
    }
    const ProgramResult version = RunProgram({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "QuillonMacro " QM_VERSION "\n");
    EXPECT_EQ(version.err, "");
}

// The whole command line is a path: a file of an option's name runs, and an option with more words names a
// file.
TEST_F(CommandLine, AFileNamedLikeAnOptionRuns) {
    for (const char* name : {"--help", "-h", "--version"}) {
        Write(QString::fromLatin1(name), std::string("PRINT \"ran ") + name + "\"\n");
        const ProgramResult result = RunProgram({QString::fromLatin1(name)}, {}, {}, dir_.path());
        EXPECT_EQ(result.exitCode, 0) << name;
        EXPECT_EQ(result.out, std::string("ran ") + name + "\n終了しました。\n");
        EXPECT_EQ(result.err, "") << name;
    }
    const ProgramResult twoWords = RunProgram({"--version", "x"});
    EXPECT_EQ(twoWords.exitCode, 2);
    EXPECT_EQ(twoWords.out, "");
    EXPECT_EQ(twoWords.err, "マクロファイルが見つかりません。 - --version x\n");
}

// Whatever is at the path but is no macro file to read gets the load's two lines and status 2, at once: a
// pipe is never waited on and a device never read until memory runs out.
TEST_F(CommandLine, WhatIsThereButCannotBeReadGetsTheLoadLines) {
    const std::string pipe = dir_.filePath("pipe.qlx").toStdString();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string loop = dir_.filePath("loop.qlx").toStdString();
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    const std::string dangling = dir_.filePath("dangling.qlx").toStdString();
    ASSERT_EQ(::symlink(dir_.filePath("gone.qlx").toStdString().c_str(), dangling.c_str()), 0);
    const std::string huge = dir_.filePath("huge.qlx").toStdString();
    ASSERT_EQ(::truncate(Write("huge.qlx", "").toStdString().c_str(), (off_t{64} << 20) + 1), 0);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {dir_.path().toStdString(), "通常のファイルではありません"},
        {pipe, "通常のファイルではありません"},
        {"/dev/zero", "通常のファイルではありません"},
        {loop, "シンボリックリンクが多すぎるか、循環しています"},
        {dangling, "ファイルまたはフォルダが見つかりません"},
        {huge, "ファイルが大きすぎます（64MB まで）"}};
    for (const auto& [path, reason] : cases) {
        const ProgramResult result = RunProgram({QString::fromStdString(path)});
        EXPECT_EQ(result.exitCode, 2) << path;
        EXPECT_EQ(result.out, "") << path;
        EXPECT_EQ(result.err, "マクロの読み込みに失敗しました。 - " + path + "\n" + reason + "\n") << path;
    }
}

TEST_F(CommandLine, ArgumentsAreJoinedIntoOnePath) {
    Write("my macro.qlx", "PRINT \"joined\"\r\n");
    const ProgramResult result = RunProgram({dir_.filePath("my"), "macro.qlx"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "joined\n終了しました。\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(CommandLine, LfCrAndCrLfFilesRunLineByLine) {
    for (const std::string& end : {std::string("\n"), std::string("\r"), std::string("\r\n")}) {
        const ProgramResult result = RunFile("ends.qlx", "DIM x" + end + "x = 40 + 2" + end + "PRINT x" +
                                                             end + "PRINT \"two\", 3" + end);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.out, "42\ntwo\t3\n終了しました。\n");
        EXPECT_EQ(result.err, "");
    }
}

TEST_F(CommandLine, JapaneseTextFromCp932AndUtf8Files) {
    const std::string expected = "日本語\n終了しました。\n";
    // "日本語" in CP932.
    EXPECT_EQ(RunFile("sjis.qlx", "PRINT \"\x93\xFA\x96\x7B\x8C\xEA\"\r\n").out, expected);
    EXPECT_EQ(RunFile("utf8.qlx", "' コメント\nPRINT \"日本語\"\n").out, expected);
    const ProgramResult withBom = RunFile("bom.qlx", "\xEF\xBB\xBFPRINT \"日本語\"\n");
    EXPECT_EQ(withBom.out, expected);
    EXPECT_EQ(withBom.exitCode, 0);
    EXPECT_EQ(withBom.err, "");
}

TEST_F(CommandLine, ParseErrorPrintsThreeLinesAndNeverRuns) {
    const ProgramResult result = RunFile("bad.qlx", "PRINT \"never\"\nTHEN\n");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "構文エラーです\n未対応の制御文が使用されました。\n行=2\n");
}

TEST_F(CommandLine, RunErrorPrintsItsLinesThenTheClosingLine) {
    const ProgramResult result = RunFile("fails.qlx", "PRINT \"before\"\n\nNoSuchThing 1\nPRINT \"after\"\n");
    EXPECT_EQ(result.exitCode, 5);
    EXPECT_EQ(result.out, "before\n終了しました。\n");
    EXPECT_EQ(result.err, "未定義の名前です\n未定義の関数/変数が使用されました - NoSuchThing\n行=3\n");

    const ProgramResult badCall = RunFile("badcall.qlx", "PRINT LEFT(\"abc\")\n");
    EXPECT_EQ(badCall.exitCode, 7);
    EXPECT_EQ(badCall.out, "終了しました。\n");
    EXPECT_EQ(badCall.err, "関数の呼び出しが不正です\n引数の数があいません\n行=1\n");
}

TEST_F(CommandLine, EndStatementFinishesCleanly) {
    const ProgramResult result = RunFile("end.qlx", "PRINT 1\nEND\nPRINT 2\n");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "1\n終了しました。\n");
    EXPECT_EQ(result.err, "");
}

// In a locale whose decimal point is ",", macros still read and print numbers with "." (they printed "1" for
// 1.5 once: the lexer's reading stopped at the point).
TEST_F(CommandLine, NumbersKeepTheirPointInACommaLocale) {
    const QString macro =
        Write("numbers.qlx", "PRINT 1.5\nPRINT VAL(\"2.25\") * 2\nPRINT 3 / 8\nPRINT 2 ^ 80\n");
    const ProgramResult result = RunProgram({macro}, {}, QStringLiteral("de_DE.UTF-8"));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "1.5\n4.5\n0.375\n1.20892581961463E+24\n終了しました。\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(CommandLine, UnreachableDisplayFallsBackToOffscreen) {
    const QString display = QStringLiteral(":9873");
    ASSERT_FALSE(QFile::exists(QStringLiteral("/tmp/.X11-unix/X9873")));
    const ProgramResult result = RunProgram({Write("display.qlx", "PRINT \"still runs\"\n")}, display);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "still runs\n終了しました。\n");
    EXPECT_EQ(result.err, "");
}

TEST_F(CommandLine, TerminationSignalStopsTheRunLikeTheStopCommand) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(QM_PROGRAM), {Write("endless.qlx", "PRINT \"started\"\nWHILE 1\nWEND\n")});
    ASSERT_TRUE(process.waitForReadyRead(30000));
    process.terminate();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 100);
    EXPECT_EQ(process.readAllStandardOutput().toStdString(), "started\n終了しました。\n");
    EXPECT_TRUE(
        process.readAllStandardError().toStdString().starts_with("ユーザによって終了されました\n\n行="));
}

// Standard output that takes nothing (a full disk): the lines are not lost unseen. An endless printing
// macro stops at the first failed line, standard error says why, and the status is its own.
TEST_F(CommandLine, AFailedWriteToStandardOutputStopsTheRunAndSaysSo) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    process.setProcessEnvironment(environment);
    process.setStandardOutputFile(QStringLiteral("/dev/full"));
    process.start(QStringLiteral(QM_PROGRAM), {Write("printing.qlx", "WHILE 1\nPRINT \"line\"\nWEND\n")});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 74);
    const std::string err = process.readAllStandardError().toStdString();
    EXPECT_TRUE(err.starts_with("標準出力に書き込めないため、マクロを停止しました。 - "
                                "ディスクの空き容量が足りません\n"))
        << err;
}

TEST(CommandLineDemo, DemoMacroRunsToTheEnd) {
    const ProgramResult result = RunProgram({QStringLiteral(QM_EXAMPLES_DIR "/demo.qlx")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("10! = 3628800\n"), std::string::npos);
    ASSERT_GE(result.out.size(), std::string("終了しました。\n").size());
    EXPECT_TRUE(result.out.ends_with("終了しました。\n"));
}
