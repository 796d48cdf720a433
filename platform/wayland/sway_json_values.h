// Reading sway's JSON (its IPC answers, swaymsg's output) with RapidJSON: the text parsed, and the members,
// texts, integers, truths and items in it, with a missing member or a value of another kind read as empty.
#pragma once

#include <rapidjson/document.h>

#include <string>

// The text read as JSON; a null value when it is not JSON. Texts keep the bytes sway sent (a window's title
// need not be UTF-8: Xwayland windows may name themselves in Latin-1), and nesting takes no stack.
rapidjson::Document SwayJsonOf(const std::string& text);

// The value at `path`, a JSON pointer ("/rect/x": the member x of the member rect; "" the value itself); a
// null value where there is none.
const rapidjson::Value& SwayAt(const rapidjson::Value& value, const char* path);
// The text there, else empty.
std::string SwayText(const rapidjson::Value& value, const char* path);
// The number there as an integer (a fraction cut off), else `otherwise`.
long long SwayInteger(const rapidjson::Value& value, const char* path, long long otherwise = 0);
// True when the value there is true.
bool SwayTrue(const rapidjson::Value& value, const char* path);
// The items of the array there; none when it is no array.
rapidjson::Value::ConstArray SwayItems(const rapidjson::Value& value, const char* path);
