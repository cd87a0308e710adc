// codepage.cpp - conversions between Windows code page 1252 (the ANSI code
// page of English and French Windows, which the program reads and writes) and
// the host's UTF-8 and the UTF-16 of compiled resources. The table follows
// MultiByteToWideChar: the five bytes cp1252 leaves undefined map to the C1
// controls of the same value. A character without a cp1252 form becomes '?'.
#include "host.h"

#include <array>

namespace {

// Unicode of the bytes 0x80-0x9F; below and above, byte and code point agree.
constexpr std::array<char16_t, 32> high_controls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t unicode_of(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) return high_controls[byte - 0x80];
    return byte;
}

// The cp1252 byte of a code point, or '?' when it has none.
char ansi_of(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<char>(code);
    for (size_t i = 0; i < high_controls.size(); ++i)
        if (high_controls[i] == code) return static_cast<char>(0x80 + i);
    return '?';
}

void append_utf8(std::string &out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Decodes one UTF-8 sequence at text[pos]; returns its length, or 0 when the
// bytes there do not form a valid, shortest-form sequence.
size_t decode_utf8(std::string_view text, size_t pos, char32_t &code) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    size_t length = lead < 0x80 ? 1 : lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || pos + length > text.size()) return 0;
    code = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const bool overlong = (length == 3 && code < 0x800) || (length == 4 && code < 0x10000);
    const bool invalid = code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF);
    return overlong || invalid ? 0 : length;
}

}  // namespace

namespace w32h {

std::string cp1252_to_utf8(std::string_view ansi) {
    std::string out;
    out.reserve(ansi.size());
    for (char c : ansi) append_utf8(out, unicode_of(static_cast<unsigned char>(c)));
    return out;
}

std::string utf8_to_cp1252(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (size_t pos = 0; pos < utf8.size();) {
        char32_t code = 0;
        const size_t length = decode_utf8(utf8, pos, code);
        out += length ? ansi_of(code) : '?';
        pos += length ? length : 1;
    }
    return out;
}

// Each UTF-16 unit converts on its own, as WideCharToMultiByte does for a
// single-byte code page: a surrogate pair becomes two '?'.
std::string utf16_to_cp1252(const char16_t *text, size_t length) {
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i) out += ansi_of(text[i]);
    return out;
}

std::u16string cp1252_to_utf16(std::string_view ansi) {
    std::u16string out;
    out.reserve(ansi.size());
    for (char c : ansi) out += static_cast<char16_t>(unicode_of(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace w32h
