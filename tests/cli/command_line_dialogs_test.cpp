// Tests of the dialogs of a run from the command line on the test display (run-with-display.sh: Xvfb with
// openbox): MES, MSGBOX and INPUTBOX show the editor's windows (the message window where MES puts it),
// answered with real keys (xdotool), and load Qt for the run; a stop signal while a box waits cancels it.
#include "editor/program_driver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPoint>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace program_driver;

// Where the window's client area is on the screen, as the X server tells it.
QPoint WindowPlace(const QString& window) {
    QPoint place(-1, -1);
    for (const QString& line : Tool({"getwindowgeometry", "--shell", window}).split(u'\n')) {
        if (line.startsWith(QStringLiteral("X="))) place.setX(line.mid(2).toInt());
        if (line.startsWith(QStringLiteral("Y="))) place.setY(line.mid(2).toInt());
    }
    return place;
}

// Waits for the process's box (titled "QuillonMacro"), makes it the active window, types and presses the
// keys, and waits until the box has closed.
bool AnswerBox(qint64 pid, const QStringList& keys, const QString& typed = {}) {
    QStringList box;
    if (!WaitFor([&] { return !(box = Windows(pid, QStringLiteral("^QuillonMacro$"))).isEmpty(); }))
        return false;
    Tool({"windowactivate", "--sync", box.first()});
    QThread::msleep(300);
    if (!typed.isEmpty()) Tool({"type", "--delay", "20", typed});
    for (const QString& key : keys) Tool({"key", "--clearmodifiers", key});
    // The next box has the same title: this one is gone when its window is.
    return WaitFor([&] { return !Windows(pid, QStringLiteral("^QuillonMacro$")).contains(box.first()); });
}

class CommandLineDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) GTEST_SKIP() << "needs the test display";
    }

    // Starts the program on the macro, on the test display, with the loader's record of loaded files.
    void Start(const std::string& macro) {
        const QString path = dir_.filePath("dialogs.qlx");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(macro.data(), static_cast<qint64>(macro.size()));
        file.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        environment.insert("LD_DEBUG", "files");
        environment.insert("LD_DEBUG_OUTPUT", dir_.filePath("loader"));
        run_.setProcessEnvironment(environment);
        run_.start(QStringLiteral(QM_PROGRAM), {path});
        ASSERT_TRUE(run_.waitForStarted(10000));
    }

    bool Finished() {
        if (run_.waitForFinished(20000)) return true;
        run_.kill();
        run_.waitForFinished(5000);
        return false;
    }

    std::string Loaded() const {
        std::string loaded;
        for (const QString& name : QDir(dir_.path()).entryList({"loader.*"}, QDir::Files)) {
            QFile file(dir_.filePath(name));
            if (file.open(QIODevice::ReadOnly)) loaded += file.readAll().toStdString();
        }
        return loaded;
    }

    QTemporaryDir dir_;
    QProcess run_;
};

} // namespace

TEST_F(CommandLineDialogs, BoxesAndTheMessageWindowAreShownAndAnswered) {
    Start("DIM x, y\r\n"
          "MES \"コマンドラインから\"\r\n"
          "x = MSGBOX(\"続けますか？\", 4)\r\n"
          "PRINT x\r\n"
          "y = INPUTBOX(\"名前を入力してください\")\r\n"
          "PRINT y\r\n"
          "PRINT \"done\"\r\n");
    const qint64 pid = run_.processId();
    ASSERT_TRUE(WaitFor([&] { return !Windows(pid, QStringLiteral("^QuillonMacro$")).isEmpty(); }))
        << run_.readAllStandardError().toStdString();
    // The message window stays open beside the box, in the top left corner of the screen (MES with one
    // argument), as the window manager shows it: at most its frame away from the corner.
    const QStringList messageWindow = Windows(pid, QStringLiteral("^メッセージ$"));
    ASSERT_EQ(messageWindow.size(), 1);
    const QPoint place = WindowPlace(messageWindow.first());
    EXPECT_LE(place.x(), 8);
    EXPECT_LE(place.y(), 40);
    // The box takes the focus by itself, so a user answers it with the keyboard at once.
    const QString box = Windows(pid, QStringLiteral("^QuillonMacro$")).value(0);
    EXPECT_TRUE(WaitFor([&] { return Tool({"getactivewindow"}) == box; }, 5000));
    ASSERT_TRUE(AnswerBox(pid, {"alt+y"})); // はい(&Y)
    ASSERT_TRUE(AnswerBox(pid, {"Return"}, "Taro"));
    ASSERT_TRUE(Finished());
    EXPECT_EQ(run_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run_.exitCode(), 0);
    EXPECT_EQ(run_.readAllStandardOutput().toStdString(), "6\nTaro\ndone\n終了しました。\n");
    EXPECT_EQ(run_.readAllStandardError().toStdString(), "");
    const std::string loaded = Loaded();
    EXPECT_NE(loaded.find("quillonmacro-editor.so"), std::string::npos);
    EXPECT_NE(loaded.find("libQt6Widgets"), std::string::npos);
}

// A box nobody answers does not hold up a stop: SIGTERM (or Ctrl+C) cancels it and the run ends stopped.
TEST_F(CommandLineDialogs, StopSignalCancelsAWaitingBox) {
    Start("DIM x\r\nPRINT \"asking\"\r\nx = MSGBOX(\"待っています\")\r\nPRINT \"never\"\r\n");
    const qint64 pid = run_.processId();
    ASSERT_TRUE(WaitFor([&] { return !Windows(pid, QStringLiteral("^QuillonMacro$")).isEmpty(); }))
        << run_.readAllStandardError().toStdString();
    run_.terminate();
    ASSERT_TRUE(Finished());
    EXPECT_EQ(run_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(run_.exitCode(), 100);
    EXPECT_EQ(run_.readAllStandardOutput().toStdString(), "asking\n終了しました。\n");
    EXPECT_EQ(run_.readAllStandardError().toStdString(), "ユーザによって終了されました\n\n行=3\n");
}

// A copy of the program without its parts cannot show a dialog: it says which part it misses, and the dialog
// fails with the code-7 error of a run that cannot show one instead of ending the program.
TEST_F(CommandLineDialogs, WithoutTheEditorPartADialogFailsWithCodeSeven) {
    const QString program = dir_.filePath("QuillonMacro");
    ASSERT_TRUE(QFile::copy(QStringLiteral(QM_PROGRAM), program));
    const QString macro = dir_.filePath("alone.qlx");
    QFile file(macro);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("DIM x\r\nPRINT 1\r\nx = MSGBOX(\"hello\")\r\n");
    file.close();
    QProcess alone;
    alone.start(program, {macro});
    ASSERT_TRUE(alone.waitForFinished(20000));
    EXPECT_EQ(alone.exitCode(), 7);
    EXPECT_EQ(alone.readAllStandardOutput().toStdString(), "1\n終了しました。\n");
    const std::string err = alone.readAllStandardError().toStdString();
    EXPECT_TRUE(err.starts_with("エディタの部品を開けません: ")) << err;
    EXPECT_NE(err.find("quillonmacro-editor.so: ファイルまたはフォルダが見つかりません\n"), std::string::npos)
        << err;
    EXPECT_TRUE(err.ends_with(
        "関数の呼び出しが不正です\n画面が使用できないため、ダイアログを表示できません - MSGBOX\n行=3\n"))
        << err;
}
