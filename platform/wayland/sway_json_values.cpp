// sway's JSON through RapidJSON: parsed without checking that texts are UTF-8 and without recursion, read
// through JSON pointers, which find nothing (rather than fail) where a member is missing.
#include "sway_json_values.h"

#include <rapidjson/pointer.h>

rapidjson::Document SwayJsonOf(const std::string& text) {
    rapidjson::Document value;
    value.Parse<rapidjson::kParseIterativeFlag>(text.data(), text.size());
    if (value.HasParseError()) value.SetNull();
    return value;
}

const rapidjson::Value& SwayAt(const rapidjson::Value& value, const char* path) {
    static const rapidjson::Value kNull;
    const rapidjson::Pointer pointer(path);
    const rapidjson::Value* found = pointer.IsValid() ? pointer.Get(value) : nullptr;
    return found != nullptr ? *found : kNull;
}

std::string SwayText(const rapidjson::Value& value, const char* path) {
    const rapidjson::Value& text = SwayAt(value, path);
    return text.IsString() ? std::string(text.GetString(), text.GetStringLength()) : std::string();
}

long long SwayInteger(const rapidjson::Value& value, const char* path, long long otherwise) {
    const rapidjson::Value& number = SwayAt(value, path);
    if (number.IsInt64()) return number.GetInt64();
    if (number.IsUint64()) return static_cast<long long>(number.GetUint64());
    // A fraction, or an integer too large for 64 bits, within the range of long long.
    if (number.IsNumber() && number.GetDouble() > -9.2e18 && number.GetDouble() < 9.2e18)
        return static_cast<long long>(number.GetDouble());
    return otherwise;
}

bool SwayTrue(const rapidjson::Value& value, const char* path) {
    return SwayAt(value, path).IsTrue();
}

rapidjson::Value::ConstArray SwayItems(const rapidjson::Value& value, const char* path) {
    static const rapidjson::Value kNone(rapidjson::kArrayType);
    const rapidjson::Value& items = SwayAt(value, path);
    return (items.IsArray() ? items : kNone).GetArray();
}
