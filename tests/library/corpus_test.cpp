// The macro corpus through the real facade: every tests/macros/*.qlx is parsed and run (SyncRun on, no user
// interface, no desktop) and its PRINT lines, followed by the three error lines when it fails, must equal
// <name>.out.
#include "codepage.h"
#include "macro_facade.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream data;
    data << in.rdbuf();
    return data.str();
}

// UTF-8 (a BOM dropped) when the bytes are valid UTF-8, CP932 otherwise; every line end becomes CR LF.
std::u16string ReadMacroText(const fs::path& path) {
    std::string bytes = ReadBytes(path);
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    std::u16string text;
    if (!DecodeUtf8(bytes, text)) DecodeCp932(bytes, text);
    std::u16string normal;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r') {
            normal += u"\r\n";
            if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        } else if (text[i] == u'\n') {
            normal += u"\r\n";
        } else {
            normal += text[i];
        }
    }
    return normal;
}

// The expected lines: the .out file split at LF, a CR before the LF dropped, no final empty line.
std::vector<std::string> ReadExpectedLines(const fs::path& path) {
    std::string bytes = ReadBytes(path);
    std::vector<std::string> lines;
    std::string line;
    for (char c : bytes) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

void AddErrorLines(cMoMacro& macro, std::vector<std::string>& lines) {
    const cMoMacro_Error& error = macro.Error();
    lines.push_back(ToUtf8(error.ErrorMsg()));
    lines.push_back(ToUtf8(error.ErrorInformation()));
    lines.push_back("行=" + std::to_string(error.ErrorLine()));
}

std::vector<std::string> RunCorpusMacro(const std::u16string& text) {
    std::vector<std::string> lines;
    cMoMacro macro;
    macro.SetPrintOut([&lines](const std::u16string& line) { lines.push_back(ToUtf8(line)); });
    macro.SetSyncRun(true);
    macro.SetMacroText(text);
    if (macro.Error().ErrorCode() != 0) {
        AddErrorLines(macro, lines);
        return lines;
    }
    if (macro.Run() != 0) AddErrorLines(macro, lines);
    return lines;
}

std::vector<std::string> CorpusNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(QM_MACRO_DIR, ec))
        if (entry.path().extension() == ".qlx") names.push_back(entry.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

class MacroCorpus : public testing::TestWithParam<std::string> {};

TEST_P(MacroCorpus, OutputMatches) {
    fs::path dir(QM_MACRO_DIR);
    fs::path macroPath = dir / (GetParam() + ".qlx");
    fs::path expectedPath = dir / (GetParam() + ".out");
    ASSERT_TRUE(fs::exists(expectedPath)) << "missing " << expectedPath;
    std::vector<std::string> expected = ReadExpectedLines(expectedPath);
    std::vector<std::string> actual = RunCorpusMacro(ReadMacroText(macroPath));
    EXPECT_EQ(actual, expected) << macroPath;
}

std::string TestName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

} // namespace

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(MacroCorpus);
INSTANTIATE_TEST_SUITE_P(Files, MacroCorpus, testing::ValuesIn(CorpusNames()), TestName);
