// Helpers shared by the interpreter's unit tests: UTF-16 to UTF-8 for readable failure output, a compact text
// form of token lists and values, and a one-line text of the error object for short assertions.
#pragma once

#include "engine.h"
#include "error.h"
#include "macro_value.h"
#include "token.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

namespace qmtest {

// UTF-16 to UTF-8, written out here so that test output does not depend on the code under test.
inline std::string U8(std::u16string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The numeric content of a value as a double, read straight from its kind.
inline double RawNumber(const MacroValue& value) {
    switch (value.Kind()) {
    case ValueKind::Boolean:
        return value.BooleanValue() ? -1.0 : 0.0;
    case ValueKind::Int16:
        return value.Int16Value();
    case ValueKind::Int32:
        return value.Int32Value();
    case ValueKind::Fixed:
        return static_cast<double>(value.FixedValue()) / 10000.0;
    case ValueKind::Single:
        return value.SingleValue();
    case ValueKind::Double:
        return value.DoubleValue();
    default:
        return std::nan("");
    }
}

inline std::string NumberText(double number) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15g", number);
    return buffer;
}

inline const char* KindName(ValueKind kind) {
    switch (kind) {
    case ValueKind::Empty:
        return "Empty";
    case ValueKind::Null:
        return "Null";
    case ValueKind::Boolean:
        return "Boolean";
    case ValueKind::Int16:
        return "Int16";
    case ValueKind::Int32:
        return "Int32";
    case ValueKind::Fixed:
        return "Fixed";
    case ValueKind::Single:
        return "Single";
    case ValueKind::Double:
        return "Double";
    case ValueKind::String:
        return "String";
    case ValueKind::List:
        return "List";
    }
    return "?";
}

// A value with its kind: "Int16 3", "Double 0.5", "String ab", "Boolean True", "Empty".
inline std::string Show(const MacroValue& value) {
    std::string kind = KindName(value.Kind());
    if (value.Kind() == ValueKind::Boolean) return kind + (value.BooleanValue() ? " True" : " False");
    if (value.IsNumeric()) return kind + " " + NumberText(RawNumber(value));
    if (value.IsString()) return kind + " " + U8(value.StringValue());
    return kind;
}

std::string Dump(const cMoMacro_Token& list, bool typed = false);

inline std::string DumpAtom(const MacroValue& value, int32_t type, bool typed) {
    std::string text;
    if (value.IsList()) {
        text = "[";
        text += value.ListValue() ? Dump(*value.ListValue(), typed) : std::string("(null)");
        text += "]";
        if (typed && type == ttList) return text;
    } else if (value.IsString()) {
        text = type == ttString ? "\"" + U8(value.StringValue()) + "\"" : U8(value.StringValue());
    } else if (value.IsNumeric()) {
        text = NumberText(RawNumber(value));
    } else {
        text = std::string("<") + KindName(value.Kind()) + ">";
    }
    return typed ? text + ":" + std::to_string(type) : text;
}

// Items separated by blanks, nested lists in brackets, string constants (type 4) in double quotes. With typed
// set, every item is followed by ":" and its item type (a nested list of type 100 shows no suffix).
inline std::string Dump(const cMoMacro_Token& list, bool typed) {
    std::string out;
    for (int32_t i = 0; i < list.Count(); ++i) {
        if (i > 0) out += ' ';
        out += DumpAtom(list.Item(i), list.ItemType(i), typed);
    }
    return out;
}

inline std::string Dump(const TokenRef& list, bool typed = false) {
    return list ? Dump(*list, typed) : std::string("(null)");
}

// The error object as one line: "code=2 line=3 info=..." plus " data=..." when ErrorData is not null and
// " sub=N" when ErrorCodeSub is set.
inline std::string ErrorText(const cMoMacro_Error& error) {
    std::string out = "code=" + std::to_string(error.ErrorCode()) +
                      " line=" + std::to_string(error.ErrorLine()) + " info=" + U8(error.ErrorInformation());
    if (error.ErrorCodeSub() != 0) out += " sub=" + std::to_string(error.ErrorCodeSub());
    if (!error.ErrorData().IsNull()) out += " data=" + Show(error.ErrorData());
    return out;
}

// The expected counterpart of ErrorText; data is the expected ErrorData string, when there is one.
inline std::string Err(int code, int line, std::u16string_view info, std::u16string_view data = {},
                       int sub = 0) {
    std::string out = "code=" + std::to_string(code) + " line=" + std::to_string(line) + " info=" + U8(info);
    if (sub != 0) out += " sub=" + std::to_string(sub);
    if (!data.empty()) out += " data=String " + U8(data);
    return out;
}

// Parses the text and returns the error object as one line ("code=0 line=..." after success).
inline std::string ParseError(cMoMacro_Engine& engine, const std::u16string& text) {
    engine.SetMacroText(text);
    return ErrorText(engine.Error());
}

// Parses the text and succeeds when no error is pending; the failure message shows the error object.
inline testing::AssertionResult Parses(cMoMacro_Engine& engine, const std::u16string& text) {
    engine.SetMacroText(text);
    if (engine.Error().ErrorCode() == 0) return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "parse of \"" << U8(text) << "\" failed: " << ErrorText(engine.Error());
}

} // namespace qmtest
