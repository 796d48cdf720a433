// WAIT, SHELL and SOUND run in macros through the facade on the real desktop platform with no display: the
// wait lasts at least its time, programs start with their arguments, failures end the run with their
// numbers, and a sound plays through the disk driver.
#include "macro_facade.h"
#include "process_sound_test_support.h"
#include "x11_desktop_platform.h"

#include "codepage.h"

#include <cstdlib>

using namespace process_sound_testing;

namespace {

struct RunOutcome {
    int32_t code = 0;
    int32_t sub = 0;
    std::vector<std::string> printed;
};

RunOutcome RunOnPlatform(DesktopPlatform& platform, const std::string& text) {
    RunOutcome out;
    cMoMacro macro(nullptr, &platform);
    macro.SetPrintOut([&](const std::u16string& line) { out.printed.push_back(ToUtf8(line)); });
    macro.SetMacroText(FromUtf8(text));
    if (macro.Error().ErrorCode() == 0) macro.Run();
    out.code = macro.Error().ErrorCode();
    out.sub = macro.Error().ErrorCodeSub();
    return out;
}

class NoDisplay : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        platform_ = std::make_unique<X11DesktopPlatform>();
        ASSERT_FALSE(platform_->HasDisplay());
    }
    std::unique_ptr<X11DesktopPlatform> platform_;
};

} // namespace

TEST_F(NoDisplay, WaitLastsAtLeastItsTime) {
    const auto start = std::chrono::steady_clock::now();
    RunOutcome r = RunOnPlatform(*platform_, "DIM x\r\nx = WAIT(1000)\r\nPRINT x\r\nWAIT -5\r\n");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.printed, std::vector<std::string>{"0"});
}

TEST_F(NoDisplay, ShellStartsProgramsAndReportsFailures) {
    TemporaryFolder folder;
    const fs::path out = folder / "args.txt";
    RunOutcome r =
        RunOnPlatform(*platform_, "DIM id\r\nid = SHELL(\"" + std::string(QM_ARGV_WRITER) + " '" +
                                      out.string() + "' 'one two' three\", 4)\r\nPRINT id > 0\r\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.printed, std::vector<std::string>{"True"});
    ASSERT_TRUE(WaitForFile(out));
    EXPECT_EQ(ReadFile(out), "one two\nthree\n");

    RunOutcome missing = RunOnPlatform(*platform_, "SHELL \"qm-no-such-program\"\r\nPRINT 1\r\n");
    EXPECT_EQ(missing.code, 7);
    EXPECT_EQ(missing.sub, 53);
    EXPECT_TRUE(missing.printed.empty());
    RunOutcome style = RunOnPlatform(*platform_, "SHELL \"true\", 5\r\n");
    EXPECT_EQ(style.code, 7);
    EXPECT_EQ(style.sub, 5);
}

TEST_F(NoDisplay, SoundPlaysThroughTheAudioLibrary) {
    TemporaryFolder folder;
    const std::vector<int16_t> tone = ToneSamples(kRate / 4);
    const fs::path wav = folder / "効果音.wav";
    WriteWav(wav, tone);
    const fs::path output = folder / "output.raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    RunOutcome r = RunOnPlatform(*platform_, "PRINT SOUND(\"open\", \"" + wav.string() +
                                                 "\")\r\nPRINT SOUND(\"Play\", \" wait\")\r\nPRINT "
                                                 "SOUND(\"play\")\r\nPRINT SOUND(\"OPEN\", \"x.wav\")\r\n");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.printed, (std::vector<std::string>{"0", "0", "0", "289"}));
    r = RunOnPlatform(*platform_,
                      "PRINT SOUND(\"stop\")\r\nPRINT SOUND(\"close\")\r\nPRINT SOUND(\"close\")\r\n");
    EXPECT_EQ(r.printed, (std::vector<std::string>{"0", "0", "263"}));
    platform_.reset();
    SoundFrames heard = NonSilentFrames(ReadFile(output));
    // The whole tone once (the waited play), then the start of it again until the stop.
    ASSERT_GE(heard.samples.size(), tone.size());
    EXPECT_TRUE(std::equal(tone.begin(), tone.end(), heard.samples.begin()));
}
