// Runs a macro twice, once as written and once with every marked operand passed through SAME, a host
// function that returns its argument and so keeps each marked place on the general path, for tests that
// shortcuts of the engine give what the general path gives.
#pragma once

#include "engine_test_host.h"

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace qm_test {

struct Outcome {
    int32_t code = 0;
    int32_t line = 0;
    std::u16string info;
    std::vector<std::u16string> output;
    int yields = 0;
    bool operator==(const Outcome&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Outcome& o) {
    out << "code " << o.code << " line " << o.line << " info '" << ToUtf8(o.info) << "' yields " << o.yields
        << " output";
    for (const std::u16string& line : o.output) out << " [" << ToUtf8(line) << "]";
    return out;
}

// "{x}" is x itself in the direct macro and SAME(x) in the general one.
inline std::u16string Spell(std::u16string_view pattern, bool general) {
    std::u16string text;
    for (char16_t c : pattern) {
        if (c == u'{')
            text += general ? u"same(" : u"";
        else if (c == u'}')
            text += general ? u")" : u"";
        else
            text += c;
    }
    return text;
}

// Runs one spelling of a macro; a run that has not ended after `limit` statements is stopped (code 100).
inline Outcome RunSpelling(std::u16string_view pattern, bool general, int limit = 5000) {
    TestHost host;
    host.functions[u"SAME"] = [](const std::vector<MacroValue>& args, cMoMacro_Error& error) {
        error.Clear();
        return args.empty() ? MacroValue() : args[0];
    };
    auto yields = std::make_shared<int>(0);
    host.engine.SetSyncRun(false);
    host.engine.SetYield([&host, yields, limit] {
        if (++*yields >= limit) host.engine.ForceStop();
    });
    Outcome o;
    o.code = host.Run(Spell(pattern, general));
    o.line = host.Line();
    o.info = host.Info();
    o.output = host.output;
    o.yields = *yields;
    return o;
}

// The direct run and the general run of a macro, which must agree.
inline void ExpectSameOutcome(std::u16string_view pattern, int32_t expectedCode, int limit = 5000) {
    const Outcome direct = RunSpelling(pattern, false, limit);
    const Outcome general = RunSpelling(pattern, true, limit);
    EXPECT_EQ(direct, general) << ToUtf8(std::u16string(pattern));
    EXPECT_EQ(direct.code, expectedCode) << direct;
}

} // namespace qm_test
