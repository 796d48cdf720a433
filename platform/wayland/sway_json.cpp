// A small JSON reader for sway's IPC answers: objects, arrays, texts with their escapes (\u ones, surrogate
// pairs included, become UTF-8), numbers, true, false and null.
#include "sway_json.h"

#include <cstdlib>

namespace {

class Reader {
  public:
    explicit Reader(const std::string& text) : text_(text) {}

    bool Value(SwayJson& out, int depth) {
        if (depth > 200) return false;
        Space();
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (c == '{') return Object(out, depth);
        if (c == '[') return Array(out, depth);
        if (c == '"') {
            out.kind = SwayJson::Kind::Text;
            return Text(out.text);
        }
        if (Word("true")) {
            out.kind = SwayJson::Kind::Boolean;
            out.boolean = true;
            return true;
        }
        if (Word("false")) {
            out.kind = SwayJson::Kind::Boolean;
            return true;
        }
        if (Word("null")) return true;
        return Number(out);
    }

    bool AtEnd() {
        Space();
        return at_ == text_.size();
    }

  private:
    void Space() {
        while (at_ < text_.size() &&
               (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t'))
            ++at_;
    }

    bool Word(const char* word) {
        const std::string w(word);
        if (text_.compare(at_, w.size(), w) != 0) return false;
        at_ += w.size();
        return true;
    }

    bool Take(char c) {
        Space();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    bool Object(SwayJson& out, int depth) {
        out.kind = SwayJson::Kind::Object;
        ++at_;
        if (Take('}')) return true;
        do {
            Space();
            std::string name;
            if (at_ >= text_.size() || text_[at_] != '"' || !Text(name) || !Take(':')) return false;
            SwayJson value;
            if (!Value(value, depth + 1)) return false;
            out.members.emplace_back(std::move(name), std::move(value));
        } while (Take(','));
        return Take('}');
    }

    bool Array(SwayJson& out, int depth) {
        out.kind = SwayJson::Kind::Array;
        ++at_;
        if (Take(']')) return true;
        do {
            SwayJson value;
            if (!Value(value, depth + 1)) return false;
            out.items.push_back(std::move(value));
        } while (Take(','));
        return Take(']');
    }

    bool Number(SwayJson& out) {
        const char* start = text_.c_str() + at_;
        char* end = nullptr;
        out.number = std::strtod(start, &end);
        if (end == start) return false;
        out.kind = SwayJson::Kind::Number;
        at_ += static_cast<size_t>(end - start);
        return true;
    }

    bool Hex4(unsigned& out) {
        if (at_ + 4 > text_.size()) return false;
        out = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            out <<= 4;
            if (c >= '0' && c <= '9')
                out |= static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                out |= static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                out |= static_cast<unsigned>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    static void Utf8(unsigned code, std::string& out) {
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    bool Text(std::string& out) {
        ++at_; // the opening quote
        while (at_ < text_.size()) {
            const char c = text_[at_++];
            if (c == '"') return true;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) return false;
            const char e = text_[at_++];
            switch (e) {
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                unsigned code = 0;
                if (!Hex4(code)) return false;
                if (code >= 0xD800 && code < 0xDC00 && text_.compare(at_, 2, "\\u") == 0) {
                    at_ += 2;
                    unsigned low = 0;
                    if (!Hex4(low)) return false;
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                Utf8(code, out);
                break;
            }
            default:
                out += e;
                break;
            }
        }
        return false;
    }

    const std::string& text_;
    size_t at_ = 0;
};

} // namespace

SwayJson SwayJson::Parse(const std::string& text) {
    SwayJson value;
    Reader reader(text);
    if (!reader.Value(value, 0) || !reader.AtEnd()) return SwayJson();
    return value;
}

const SwayJson& SwayJson::operator[](const char* name) const {
    static const SwayJson kNull;
    for (const auto& [key, value] : members)
        if (key == name) return value;
    return kNull;
}

long long SwayJson::Integer(long long otherwise) const {
    return kind == Kind::Number ? static_cast<long long>(number) : otherwise;
}
