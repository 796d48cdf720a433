// SwayJson: the JSON that sway's IPC answers with, read into a small tree (objects keep their members'
// order; numbers are doubles).
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

class SwayJson {
  public:
    enum class Kind { Null, Boolean, Number, Text, Array, Object };

    // The value the text holds; a Null value when the text is not JSON.
    static SwayJson Parse(const std::string& text);

    Kind kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<SwayJson> items;                           // of an array
    std::vector<std::pair<std::string, SwayJson>> members; // of an object

    // The member of that name; a shared Null value when there is none.
    const SwayJson& operator[](const char* name) const;
    bool IsNull() const { return kind == Kind::Null; }
    // The text of a Text value, else empty.
    const std::string& Text() const { return text; }
    // The number as an integer, else `otherwise`.
    long long Integer(long long otherwise = 0) const;
};
