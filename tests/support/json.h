// json.h - a small JSON reader for the tests: enough to read win32host's
// transcript (objects, arrays, strings with escapes, integers, booleans).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace testjson {

struct Value {
    enum Kind { null, boolean, number, string, array, object } kind = null;
    bool b = false;
    long long n = 0;
    std::string s;
    std::vector<Value> items;
    std::map<std::string, Value> fields;

    const Value &operator[](const std::string &key) const {
        static const Value missing;
        auto it = fields.find(key);
        return it == fields.end() ? missing : it->second;
    }
    const Value &operator[](size_t i) const { return items.at(i); }
    bool has(const std::string &key) const { return fields.count(key) != 0; }
};

class Parser {
public:
    explicit Parser(const std::string &text) : t_(text) {}
    Value parse() {
        Value v = value();
        space();
        if (p_ != t_.size()) fail("trailing characters");
        return v;
    }

private:
    [[noreturn]] void fail(const char *what) { throw std::runtime_error(std::string("json: ") + what + " in " + t_); }
    void space() {
        while (p_ < t_.size() && (t_[p_] == ' ' || t_[p_] == '\n' || t_[p_] == '\r' || t_[p_] == '\t')) ++p_;
    }
    char peek() {
        space();
        if (p_ >= t_.size()) fail("unexpected end");
        return t_[p_];
    }
    void expect(char c) {
        if (peek() != c) fail("unexpected character");
        ++p_;
    }
    Value value() {
        char c = peek();
        if (c == '{') return object();
        if (c == '[') return array();
        if (c == '"') return Value{Value::string, false, 0, str(), {}, {}};
        if (t_.compare(p_, 4, "true") == 0) return p_ += 4, Value{Value::boolean, true, 0, {}, {}, {}};
        if (t_.compare(p_, 5, "false") == 0) return p_ += 5, Value{Value::boolean, false, 0, {}, {}, {}};
        if (t_.compare(p_, 4, "null") == 0) return p_ += 4, Value{};
        return number();
    }
    Value number() {
        size_t start = p_;
        if (t_[p_] == '-') ++p_;
        while (p_ < t_.size() && t_[p_] >= '0' && t_[p_] <= '9') ++p_;
        if (start == p_) fail("bad value");
        return Value{Value::number, false, std::stoll(t_.substr(start, p_ - start)), {}, {}, {}};
    }
    void utf8(std::string &out, unsigned cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    std::string str() {
        expect('"');
        std::string out;
        while (p_ < t_.size() && t_[p_] != '"') {
            char c = t_[p_++];
            if (c != '\\') {
                out += c;
                continue;
            }
            char e = t_.at(p_++);
            switch (e) {
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'u':
                utf8(out, static_cast<unsigned>(std::stoul(t_.substr(p_, 4), nullptr, 16)));
                p_ += 4;
                break;
            default:
                out += e;
            }
        }
        expect('"');
        return out;
    }
    // The members of an array or an object, each read by one call of member.
    template <class Member>
    Value members(Value::Kind kind, char open, char close, Member member) {
        expect(open);
        Value v;
        v.kind = kind;
        if (peek() == close) return ++p_, v;
        for (;;) {
            member(v);
            if (peek() == close) return ++p_, v;
            expect(',');
        }
    }
    Value array() {
        return members(Value::array, '[', ']', [this](Value &v) { v.items.push_back(value()); });
    }
    Value object() {
        return members(Value::object, '{', '}', [this](Value &v) {
            std::string key = str();
            expect(':');
            v.fields[key] = value();
        });
    }
    const std::string &t_;
    size_t p_ = 0;
};

inline Value parse(const std::string &text) { return Parser(text).parse(); }

}  // namespace testjson
