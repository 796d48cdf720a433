// Tests of the shell-like splitting of SHELL command lines and of the program search along PATH.
#include "command_line_words.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace {

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> words;
    EXPECT_TRUE(SplitCommandLine(line, words)) << line;
    return words;
}

using Words = std::vector<std::string>;

} // namespace

TEST(CommandLineWords, QuotesAndEscapesAsAShellReadsThem) {
    EXPECT_EQ(Split("  prog   a\tb  "), (Words{"prog", "a", "b"}));
    EXPECT_EQ(Split("prog \"a b\" 'c d'"), (Words{"prog", "a b", "c d"}));
    EXPECT_EQ(Split("prog a\\ b \\\"q\\\""), (Words{"prog", "a b", "\"q\""}));
    EXPECT_EQ(Split("prog 'it'\\''s' \"x\"y'z'"), (Words{"prog", "it's", "xyz"}));
    // Inside double quotes only $ ` " \ and a line end are escaped; a backslash before others stays.
    EXPECT_EQ(Split("prog \"a\\\"b\\\\c\\d\\$\""), (Words{"prog", "a\"b\\c\\d$"}));
    // Inside single quotes nothing is special.
    EXPECT_EQ(Split("prog 'a\\b\"c'"), (Words{"prog", "a\\b\"c"}));
    EXPECT_EQ(Split("prog \"\" ''"), (Words{"prog", "", ""}));
    EXPECT_EQ(Split("prog a\\\nb"), (Words{"prog", "ab"}));
    EXPECT_EQ(Split("\"/opt/音 楽/再生\" 曲.wav"), (Words{"/opt/音 楽/再生", "曲.wav"}));
    EXPECT_EQ(Split("   "), Words{});
}

TEST(CommandLineWords, UnclosedQuotesAndTrailingBackslashFail) {
    std::vector<std::string> words;
    EXPECT_FALSE(SplitCommandLine("prog \"a b", words));
    EXPECT_FALSE(SplitCommandLine("prog 'a b", words));
    EXPECT_FALSE(SplitCommandLine("prog a\\", words));
    EXPECT_FALSE(SplitCommandLine("prog \"a\\\"", words));
}

TEST(CommandLineWords, FindProgramAlongPathOrByPath) {
    namespace fs = std::filesystem;
    const fs::path folder = fs::temp_directory_path() / ("qm_find_" + std::to_string(getpid()));
    fs::create_directories(folder / "bin");
    const fs::path tool = folder / "bin" / "tool";
    std::ofstream(tool) << "#!/bin/sh\n";
    const fs::path plain = folder / "bin" / "plain";
    std::ofstream(plain) << "data\n";
    chmod(tool.c_str(), 0755);
    chmod(plain.c_str(), 0644);

    std::string file;
    const std::string path = "/nonexistent:" + (folder / "bin").string();
    ASSERT_TRUE(FindProgram("tool", path.c_str(), file));
    EXPECT_EQ(file, tool.string());
    EXPECT_FALSE(FindProgram("plain", path.c_str(), file));            // not executable
    EXPECT_FALSE(FindProgram("bin", (folder.string()).c_str(), file)); // a folder is no program
    EXPECT_FALSE(FindProgram("missing", path.c_str(), file));
    EXPECT_TRUE(FindProgram(tool.string(), "", file));
    EXPECT_FALSE(FindProgram(plain.string(), path.c_str(), file));
    EXPECT_FALSE(FindProgram("", path.c_str(), file));
    // An empty entry of PATH is the current folder.
    const fs::path before = fs::current_path();
    fs::current_path(folder / "bin");
    EXPECT_TRUE(FindProgram("tool", "/nonexistent::", file));
    EXPECT_EQ(file, "./tool");
    fs::current_path(before);
    fs::remove_all(folder);
}
