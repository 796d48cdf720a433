// Tests that the command-line run loads the audio library only for SOUND and Qt only for a dialog: the
// dynamic loader's own record (LD_DEBUG=files) of a run without SOUND names no SDL library (and no Qt
// library, with a display or without), a run with SOUND loads it and plays, and a library that cannot be
// loaded makes SOUND answer the error of a missing audio device.
#include "private_x_server.h"
#include "process_sound_test_support.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

using namespace process_sound_testing;

namespace {

struct LoadingRun {
    int exitCode = -1;
    std::string out;
    std::string err;
    std::string loaded; // what the dynamic loader wrote about the files it loaded
};

class LibraryLoading : public ::testing::Test {
  protected:
    QString Write(const QString& name, const std::string& bytes) {
        const QString path = dir_.filePath(name);
        EXPECT_TRUE(process_sound_testing::WriteFile(path.toStdString(), bytes));
        return path;
    }

    // Runs the program on a macro without a display (or on the X display `display`), with SDL's disk driver
    // writing into output.raw and the loader's record of loaded files in loader.PID.
    LoadingRun Run(const std::string& macro, const QString& libraryPath = {}, const QString& display = {}) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LD_PRELOAD"})
            environment.remove(QString::fromLatin1(name));
        if (!display.isEmpty()) environment.insert("DISPLAY", display);
        for (const QString& name : QDir(dir_.path()).entryList({"loader.*"}, QDir::Files)) // earlier runs'
            QFile::remove(dir_.filePath(name));
        environment.insert("SDL_AUDIODRIVER", "disk");
        environment.insert("SDL_DISKAUDIOFILE", dir_.filePath("output.raw"));
        environment.insert("LD_DEBUG", "files");
        environment.insert("LD_DEBUG_OUTPUT", dir_.filePath("loader"));
        if (!libraryPath.isEmpty()) environment.insert("LD_LIBRARY_PATH", libraryPath);
        if (debugging_) environment.insert("QUILLONMACRO_DEBUG", "1");
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(QM_PROGRAM), {Write("macro.qlx", macro)});
        LoadingRun run;
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) return run;
        run.exitCode = process.exitCode();
        run.out = process.readAllStandardOutput().toStdString();
        run.err = process.readAllStandardError().toStdString();
        for (const QString& name : QDir(dir_.path()).entryList({"loader.*"}, QDir::Files))
            run.loaded += ReadFile(dir_.filePath(name).toStdString());
        return run;
    }

    std::string WriteTone() {
        const QString path = dir_.filePath("tone.wav");
        WriteWav(path.toStdString(), ToneSamples(kRate / 10));
        return path.toStdString();
    }

    QTemporaryDir dir_;
    bool debugging_ = false;
};

bool Mentions(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

// A run without SOUND and without pictures loads neither the audio library nor any of Qt's libraries (nor the
// program's parts that bring them): they would cost more start-up time than a short macro runs.
TEST_F(LibraryLoading, PlainRunLoadsNoAudioAndNoGuiLibrary) {
    const LoadingRun run = Run("DIM x\r\nx = 41 + 1\r\nPRINT x\r\nSHELL \"true\"\r\nWAIT 1\r\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "42\n終了しました。\n");
    // The record is there and complete enough to name the libraries the program does load.
    ASSERT_TRUE(Mentions(run.loaded, "libstdc++.so")) << run.loaded.substr(0, 2000);
    EXPECT_FALSE(Mentions(run.loaded, "libSDL2")) << run.loaded;
    EXPECT_FALSE(Mentions(run.loaded, "libmodplug")) << run.loaded;
    EXPECT_FALSE(Mentions(run.loaded, "libQt6")) << run.loaded;
    EXPECT_FALSE(Mentions(run.loaded, "quillonmacro-")) << run.loaded;
}

// Qt comes with a macro's first dialog, and only when there is a screen to show it on: a run on a live
// display without dialogs loads none of it, and a dialog without any display fails at once without it.
TEST_F(LibraryLoading, QtOnlyForADialogOnAScreen) {
    PrivateXServer server;
    ASSERT_FALSE(server.Name().isEmpty());
    const LoadingRun onScreen = Run("MUS MOVE, 1, 1\r\nPRINT GETCOLOR(0, 0) >= 0\r\n", {}, server.Name());
    EXPECT_EQ(onScreen.exitCode, 0) << onScreen.err;
    EXPECT_EQ(onScreen.out, "True\n終了しました。\n");
    ASSERT_TRUE(Mentions(onScreen.loaded, "libX11.so")) << onScreen.loaded.substr(0, 2000);
    EXPECT_FALSE(Mentions(onScreen.loaded, "libQt6")) << onScreen.loaded;
    EXPECT_FALSE(Mentions(onScreen.loaded, "quillonmacro-")) << onScreen.loaded;

    for (const char* dialog : {"x = MSGBOX(\"hello\")", "x = INPUTBOX(\"name\")", "MES \"hello\""}) {
        const LoadingRun noScreen = Run(std::string("PRINT 1\r\n") + dialog + "\r\nPRINT 2\r\n");
        EXPECT_EQ(noScreen.exitCode, 7) << dialog;
        EXPECT_EQ(noScreen.out, "1\n終了しました。\n");
        EXPECT_NE(noScreen.err.find("画面が使用できないため、ダイアログを表示できません"), std::string::npos)
            << noScreen.err;
        EXPECT_FALSE(Mentions(noScreen.loaded, "libQt6")) << dialog;
        EXPECT_FALSE(Mentions(noScreen.loaded, "quillonmacro-")) << dialog;
    }
}

TEST_F(LibraryLoading, SoundLoadsTheLibraryAndPlaysToTheDevice) {
    const std::string tone = WriteTone();
    const LoadingRun run =
        Run("PRINT SOUND(\"open\", \"" + tone + "\")\r\nPRINT SOUND(\"play\", \" wait\")\r\n" +
            "PRINT SOUND(\"close\")\r\nPRINT SOUND(\"close\")\r\n");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "0\n0\n0\n263\n終了しました。\n");
    EXPECT_TRUE(Mentions(run.loaded, "libSDL2_mixer-2.0.so.0"));
    const SoundFrames heard = NonSilentFrames(ReadFile(dir_.filePath("output.raw").toStdString()));
    const std::vector<int16_t> samples = ToneSamples(kRate / 10);
    ASSERT_GE(heard.samples.size(), samples.size());
    EXPECT_TRUE(std::equal(samples.begin(), samples.end(), heard.samples.begin()));
}

// A broken library file found first along LD_LIBRARY_PATH, and a valid shared object without the mixer's
// functions: either way SOUND answers 262 like a machine without a sound device, and the run goes on.
TEST_F(LibraryLoading, UnloadableLibraryAnswersTheMissingDeviceError) {
    const std::string tone = WriteTone();
    const std::string macro = "PRINT SOUND(\"open\", \"" + tone + "\")\r\nPRINT SOUND(\"play\")\r\n" +
                              "PRINT SOUND(\"open\", \"" + tone + "\")\r\nPRINT \"after\"\r\n";
    const QString broken = dir_.filePath("broken");
    ASSERT_TRUE(QDir().mkpath(broken));
    Write("broken/libSDL2_mixer-2.0.so.0", "not a shared library\n");
    const LoadingRun run = Run(macro, broken);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "262\n263\n262\nafter\n終了しました。\n");

    const QString empty = dir_.filePath("empty");
    ASSERT_TRUE(QDir().mkpath(empty));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QM_EMPTY_LIBRARY), empty + "/libSDL2_mixer-2.0.so.0"));
    const LoadingRun withoutFunctions = Run(macro, empty);
    EXPECT_EQ(withoutFunctions.exitCode, 0);
    EXPECT_EQ(withoutFunctions.out, "262\n263\n262\nafter\n終了しました。\n");
    EXPECT_TRUE(Mentions(withoutFunctions.loaded, "libSDL2_mixer-2.0.so.0"));
}

// What a library prints on standard error as the run loads it (SDL and its decoders, Qt's picture readers)
// stays off the user's standard error, which carries the program's own lines and the lines of the programs
// the macro starts; with QUILLONMACRO_DEBUG set it is shown.
TEST_F(LibraryLoading, WhatALibraryPrintsIsShownOnlyWhenDebugging) {
    const QString noisy = dir_.filePath("noisy");
    ASSERT_TRUE(QDir().mkpath(noisy));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QM_NOISY_LIBRARY), noisy + "/libSDL2_mixer-2.0.so.0"));
    const std::string macro = "SHELL \"sh -c 'echo started-program >&2'\"\r\nWAIT 500\r\n"
                              "PRINT SOUND(\"open\", \"" +
                              WriteTone() + "\")\r\nPRINT 1 / 0\r\n";
    const LoadingRun quiet = Run(macro, noisy);
    EXPECT_TRUE(Mentions(quiet.loaded, "libSDL2_mixer-2.0.so.0"));
    EXPECT_EQ(quiet.out, "262\n終了しました。\n");
    EXPECT_FALSE(Mentions(quiet.err, "noise")) << quiet.err;
    EXPECT_TRUE(Mentions(quiet.err, "started-program\n")) << quiet.err;
    EXPECT_TRUE(Mentions(quiet.err, "行=4\n")) << quiet.err;

    debugging_ = true;
    const LoadingRun debugged = Run(macro, noisy);
    EXPECT_TRUE(Mentions(debugged.err, "noise written by a library\n")) << debugged.err;
    EXPECT_TRUE(Mentions(debugged.err, "noise printed by a library\n")) << debugged.err;
    EXPECT_TRUE(Mentions(debugged.err, "行=4\n")) << debugged.err;
}
