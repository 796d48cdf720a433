// Tests of ProcessStarter with real programs: arguments with quotes arrive as separate words, the program is
// found along PATH, missing programs and bad styles fail, finished children are reaped (and only ours), and
// the child starts with no signal ignored or blocked.
#include "process_sound_test_support.h"
#include "process_starter.h"

#include "codepage.h"

#include <csignal>
#include <sys/wait.h>

using namespace process_sound_testing;

namespace {

std::u16string U16(const std::string& text) {
    return FromUtf8(text);
}

// The one-letter state of a process (R, S, Z, …), or 0 once it has gone.
char ProcessState(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return 0;
    const size_t close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() ? 0 : line[close + 2];
}

} // namespace

TEST(ProcessStart, QuotedArgumentsReachTheProgramAsWords) {
    TemporaryFolder folder;
    const fs::path out = folder / "引数 一覧.txt";
    ProcessStarter starter;
    double pid = 0;
    const std::string line =
        std::string(QM_ARGV_WRITER) + " '" + out.string() + "' \"a b\" 'c \"d\"' e\\ f \"\" 日本語";
    ASSERT_EQ(starter.Start(U16(line), 1, pid), 0);
    EXPECT_GT(pid, 0);
    ASSERT_TRUE(WaitForFile(out));
    EXPECT_EQ(ReadFile(out), "a b\nc \"d\"\ne f\n\n日本語\n");
}

TEST(ProcessStart, ProgramFoundAlongPathWithEveryValidStyle) {
    TemporaryFolder folder;
    ProcessStarter starter;
    for (int style : {0, 1, 2, 3, 4, 6}) {
        const fs::path out = folder / ("style" + std::to_string(style));
        double pid = 0;
        const std::string line = "sh -c 'echo $0 > \"$1.part\"; mv \"$1.part\" \"$1\"' " +
                                 std::to_string(style) + " '" + out.string() + "'";
        ASSERT_EQ(starter.Start(U16(line), style, pid), 0) << style;
        ASSERT_TRUE(WaitForFile(out)) << style;
        EXPECT_EQ(ReadFile(out), std::to_string(style) + "\n");
    }
}

TEST(ProcessStart, MissingProgramsBadStylesAndBadLines) {
    TemporaryFolder folder;
    ProcessStarter starter;
    double pid = -1;
    EXPECT_EQ(starter.Start(u"no-such-program-qm", 1, pid), 53);
    EXPECT_EQ(starter.Start(u"/no/such/path/prog arg", 1, pid), 53);
    const fs::path plain = folder / "plain.txt";
    std::ofstream(plain) << "not a program\n";
    EXPECT_EQ(starter.Start(U16(plain.string()), 1, pid), 53);
    EXPECT_EQ(starter.Start(U16(folder.Path().string()), 1, pid), 53);
    // A style outside 0-4 and 6 starts nothing, even for a program that exists.
    const fs::path out = folder / "never";
    for (int style : {5, 7, -1, 100})
        EXPECT_EQ(starter.Start(U16("sh -c 'echo x > " + out.string() + "'"), style, pid), 5) << style;
    EXPECT_EQ(starter.Start(u"", 1, pid), 5);
    EXPECT_EQ(starter.Start(u"   ", 1, pid), 5);
    EXPECT_EQ(starter.Start(u"sh -c 'echo", 1, pid), 5);
    EXPECT_EQ(pid, -1);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(out));
}

TEST(ProcessStart, FinishedChildrenAreReapedAndOtherChildrenKeepTheirStatus) {
    // A child of the test itself, which only the test may wait for.
    const pid_t own = fork();
    ASSERT_GE(own, 0);
    if (own == 0) {
        usleep(300 * 1000);
        _exit(7);
    }
    ProcessStarter starter;
    std::vector<pid_t> started;
    for (int i = 0; i < 3; ++i) {
        double pid = 0;
        ASSERT_EQ(starter.Start(u"true", 1, pid), 0);
        started.push_back(static_cast<pid_t>(pid));
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (pid_t pid : started) {
        while (ProcessState(pid) != 0 && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_EQ(ProcessState(pid), 0) << "process " << pid << " is left as state " << ProcessState(pid);
    }
    int status = 0;
    ASSERT_EQ(waitpid(own, &status, 0), own);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
}

TEST(ProcessStart, ChildStartsWithNoSignalIgnoredOrBlocked) {
    TemporaryFolder folder;
    const fs::path out = folder / "status";
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    sigaction(SIGUSR1, &ignore, &previous);
    sigset_t block;
    sigemptyset(&block);
    sigaddset(&block, SIGUSR2);
    sigset_t before;
    pthread_sigmask(SIG_BLOCK, &block, &before);

    ProcessStarter starter;
    double pid = 0;
    const std::string line =
        "sh -c 'grep -E \"^Sig(Ign|Blk)\" /proc/self/status > \"$0.part\"; mv \"$0.part\" \"$0\"' '" +
        out.string() + "'";
    // grep reads its own status, inherited through the shell: the shell's own status may be read while it
    // blocks every signal for a moment to start grep.
    const int result = starter.Start(U16(line), 1, pid);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    sigaction(SIGUSR1, &previous, nullptr);
    ASSERT_EQ(result, 0);
    ASSERT_TRUE(WaitForFile(out));
    // Only the classic signals 1-31 (the low 31 bits) count: glibc keeps signal 32 and a few real-time
    // signals for itself, so those are not ours to reset.
    const std::string status = ReadFile(out);
    const size_t blocked = status.find("SigBlk:\t");
    const size_t ignored = status.find("SigIgn:\t");
    ASSERT_NE(blocked, std::string::npos) << status;
    ASSERT_NE(ignored, std::string::npos) << status;
    const auto classic = [&](size_t at) {
        return std::stoull(status.substr(at + 8, 16), nullptr, 16) & 0x7FFFFFFFull;
    };
    EXPECT_EQ(classic(blocked), 0u) << status;
    EXPECT_EQ(classic(ignored), 0u) << status;
}
