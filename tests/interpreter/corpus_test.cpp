// Runs every macro of tests/macros/*.qlx and compares what it prints with the .out file beside it.
// A macro that ends in an error has three more expected lines: ErrorMsg, ErrorInformation and "行=" +
// ErrorLine.
#include "engine_test_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path MacroDir() {
#ifdef QM_MACRO_DIR
    return fs::path(QM_MACRO_DIR);
#else
    return fs::path(__FILE__).parent_path().parent_path() / "macros";
#endif
}

std::vector<std::string> MacroNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(MacroDir(), ec)) {
        const std::string stem = entry.path().stem().string();
        // Macros named builtins_* need the built-in library and run in the library's own corpus test.
        if (entry.path().extension() == ".qlx" && stem.rfind("builtins_", 0) != 0) names.push_back(stem);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadUtf8File(const fs::path& path, std::u16string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return DecodeUtf8(bytes.str(), text);
}

// Splits at LF, dropping a CR before it and one empty piece after a final line break.
std::vector<std::u16string> SplitLines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    std::u16string line;
    for (char16_t c : text) {
        if (c == u'\n') {
            if (!line.empty() && line.back() == u'\r') line.pop_back();
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

class Corpus : public ::testing::TestWithParam<std::string> {};

TEST_P(Corpus, PrintsTheExpectedOutput) {
    const fs::path base = MacroDir() / GetParam();
    std::u16string macro;
    std::u16string expectedText;
    ASSERT_TRUE(ReadUtf8File(fs::path(base).replace_extension(".qlx"), macro)) << "unreadable macro " << base;
    ASSERT_TRUE(ReadUtf8File(fs::path(base).replace_extension(".out"), expectedText))
        << "no .out for " << base;
    ASSERT_EQ(std::count(macro.begin(), macro.end(), u'\n'), std::count(macro.begin(), macro.end(), u'\r'))
        << "macro files use CR LF line ends";

    qm_test::TestHost host;
    host.engine.SetMacroText(macro);
    const int32_t code = host.engine.Run();
    std::vector<std::u16string> actual = host.output;
    if (code != 0) {
        const cMoMacro_Error& error = host.engine.Error();
        actual.push_back(error.ErrorMsg());
        actual.push_back(error.ErrorInformation());
        actual.push_back(u"行=" + FromUtf8(std::to_string(error.ErrorLine())));
    }

    std::string actualUtf8;
    for (const std::u16string& line : actual) actualUtf8 += ToUtf8(line) + "\n";
    std::string expectedUtf8;
    for (const std::u16string& line : SplitLines(expectedText)) expectedUtf8 += ToUtf8(line) + "\n";
    EXPECT_EQ(actualUtf8, expectedUtf8);
}

INSTANTIATE_TEST_SUITE_P(Macros, Corpus, ::testing::ValuesIn(MacroNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

TEST(CorpusDirectory, HoldsMacros) {
    EXPECT_GE(MacroNames().size(), 15u) << MacroDir();
}

} // namespace
