// strings.cpp - the kernel and user string functions: wsprintfA/wvsprintfA
// with Windows' own format rules and 1024-character limit, the lstr* family,
// and lstrcmpA/lstrcmpiA with Windows' word sort (CompareStringA on the
// user's locale), which LBS_SORT list boxes also use, and MulDiv.
#include "api.h"

#include <algorithm>
#include <cstring>

namespace {

// ---- wsprintfA ------------------------------------------------------------

// Windows writes at most 1024 characters, then the terminating NUL, and
// returns the number written (checked on Windows 10; Wine stops one earlier).
constexpr size_t output_limit = 1024;
// Widths and precisions above the limit act as the limit; the cap keeps the
// digit accumulation from overflowing.
constexpr unsigned number_cap = 100000;

enum class ArgSize { normal, long_, short_, wide, int64, intptr };

struct Conversion {
    bool left = false;
    bool hex_prefix = false;
    bool zero_pad = false;
    unsigned width = 0;
    unsigned precision = 0;  // 0: none given, as Windows reads ".0"
    ArgSize size = ArgSize::normal;
    char type = 0;  // 0: not a known type
};

class Output {
public:
    explicit Output(char *buffer) : buffer_(buffer) {}
    bool full() const { return count_ >= output_limit; }
    void put(char c) {
        if (!full()) buffer_[count_++] = c;
    }
    void put(std::string_view text) {
        for (char c : text) put(c);
    }
    void pad(char c, size_t n) {
        for (n = std::min(n, output_limit - count_); n; --n) buffer_[count_++] = c;
    }
    int finish() {
        buffer_[count_] = '\0';
        return static_cast<int>(count_);
    }

private:
    char *buffer_;
    size_t count_ = 0;
};

// The text of one field: a sign or 0x prefix, leading zeros, then the body,
// narrow or wide (each UTF-16 unit becomes one cp1252 byte).
struct Field {
    std::string_view prefix;
    size_t zeros = 0;
    std::string_view text;
    const char16_t *wide = nullptr;
    size_t wide_length = 0;

    size_t length() const { return prefix.size() + zeros + (wide ? wide_length : text.size()); }
};

unsigned parse_number(const char *&p) {
    unsigned value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = std::min(value * 10 + unsigned(*p - '0'), number_cap);
    return value;
}

ArgSize parse_size(const char *&p) {
    switch (*p) {
    case 'l':
        ++p;
        return ArgSize::long_;
    case 'h':
        ++p;
        return ArgSize::short_;
    case 'w':
        ++p;
        return ArgSize::wide;
    case 'I':
        if (p[1] == '6' && p[2] == '4') {
            p += 3;
            return ArgSize::int64;
        }
        if (p[1] == '3' && p[2] == '2') {
            p += 3;
            return ArgSize::normal;
        }
        ++p;
        return ArgSize::intptr;
    default:
        return ArgSize::normal;
    }
}

// Reads [-][#][0][width][.precision][size]type, the flags in that order only.
// An unknown type is left in place, to be copied as an ordinary character.
Conversion parse_conversion(const char *&p) {
    Conversion conv;
    if (*p == '-') {
        conv.left = true;
        ++p;
    }
    if (*p == '#') {
        conv.hex_prefix = true;
        ++p;
    }
    if (*p == '0') {
        conv.zero_pad = true;
        ++p;
    }
    conv.width = parse_number(p);
    if (*p == '.') conv.precision = parse_number(++p);
    conv.size = parse_size(p);
    if (*p && std::strchr("cCdiuxXsSp", *p)) conv.type = *p++;
    return conv;
}

// Pads to the width: zeros after the prefix with '0', else spaces on the side
// away from '-'. Windows pads strings and characters with zeros too.
void emit(Output &out, const Conversion &conv, Field field) {
    size_t fill = conv.width > field.length() ? conv.width - field.length() : 0;
    if (conv.zero_pad && !conv.left) {
        field.zeros += fill;
        fill = 0;
    }
    if (!conv.left) out.pad(' ', fill);
    out.put(field.prefix);
    out.pad('0', field.zeros);
    if (field.wide) {
        for (size_t i = 0; i < field.wide_length; ++i) out.put(w32h::utf16_to_cp1252(&field.wide[i], 1)[0]);
    } else {
        out.put(field.text);
    }
    if (conv.left) out.pad(' ', fill);
}

bool wants_wide(const Conversion &conv) {
    const bool upper = conv.type == 'C' || conv.type == 'S';
    if (conv.size == ArgSize::short_) return false;
    return upper || conv.size == ArgSize::long_ || conv.size == ArgSize::wide;
}

// %c and %C: the character of an int argument; a zero character is ignored.
void format_char(Output &out, const Conversion &conv, va_list *args) {
    const int value = va_arg(*args, int);
    char c = static_cast<char>(value);
    if (wants_wide(conv)) {
        const char16_t unit = static_cast<char16_t>(value);
        c = unit ? w32h::utf16_to_cp1252(&unit, 1)[0] : '\0';
    }
    Field field;
    field.text = std::string_view(&c, 1);  // a zero too: programs build multi-strings with %c
    emit(out, conv, field);
}

// Counts at most max units (0: no maximum) without reading past them.
template <typename Char>
size_t bounded_length(const Char *s, unsigned max) {
    size_t n = 0;
    while ((max == 0 || n < max) && s[n]) ++n;
    return n;
}

// %s and %S; a NULL pointer prints "(null)", and a precision cuts the text.
void format_string(Output &out, const Conversion &conv, va_list *args) {
    Field field;
    if (wants_wide(conv)) {
        const char16_t *s = va_arg(*args, const char16_t *);
        field.wide = s ? s : u"(null)";
        field.wide_length = bounded_length(field.wide, conv.precision);
    } else {
        const char *s = va_arg(*args, const char *);
        if (!s) s = "(null)";
        field.text = std::string_view(s, bounded_length(s, conv.precision));
    }
    emit(out, conv, field);
}

// Reads an integer argument. DWORD and long are 32 bits on Windows, so the
// plain and 'l' forms read an int; only I64 and I read a wider one.
void read_integer(const Conversion &conv, va_list *args, uint64_t &magnitude, bool &negative) {
    const bool is_signed = conv.type == 'd' || conv.type == 'i';
    int64_t value = 0;
    if (conv.size == ArgSize::int64) {
        value = va_arg(*args, long long);
    } else if (conv.size == ArgSize::intptr) {
        value = va_arg(*args, intptr_t);
    } else {
        const int word = va_arg(*args, int);
        if (conv.size == ArgSize::short_)
            value = is_signed ? int64_t(int16_t(word)) : int64_t(uint16_t(word));
        else
            value = is_signed ? int64_t(word) : int64_t(uint32_t(word));
    }
    negative = is_signed && value < 0;
    magnitude = negative ? 0 - uint64_t(value) : uint64_t(value);
}

// %d %i %u %x %X %p: the precision is the minimum number of digits; '#'
// prefixes hexadecimal with 0x or 0X.
void format_integer(Output &out, Conversion conv, va_list *args) {
    uint64_t magnitude = 0;
    bool negative = false;
    if (conv.type == 'p') {
        magnitude = reinterpret_cast<uintptr_t>(va_arg(*args, void *));
        conv.width = 2 * sizeof(void *);
        conv.zero_pad = true;
        conv.hex_prefix = false;
    } else {
        read_integer(conv, args, magnitude, negative);
    }
    const bool hex = conv.type == 'x' || conv.type == 'X' || conv.type == 'p';
    const char *digits = conv.type == 'x' ? "0123456789abcdef" : "0123456789ABCDEF";
    char text[24];
    size_t start = sizeof text;
    do {
        text[--start] = digits[magnitude % (hex ? 16 : 10)];
        magnitude /= hex ? 16 : 10;
    } while (magnitude);
    Field field;
    field.text = std::string_view(text + start, sizeof text - start);
    field.zeros = conv.precision > field.text.size() ? conv.precision - field.text.size() : 0;
    if (negative) field.prefix = "-";
    if (hex && conv.hex_prefix) field.prefix = conv.type == 'x' ? "0x" : "0X";
    emit(out, conv, field);
}

// Handles the conversion after a '%'; returns where the format goes on.
const char *format_one(Output &out, const char *p, va_list *args) {
    if (*p == '%') {
        out.put('%');
        return p + 1;
    }
    const Conversion conv = parse_conversion(p);
    switch (conv.type) {
    case 'c':
    case 'C':
        format_char(out, conv, args);
        break;
    case 's':
    case 'S':
        format_string(out, conv, args);
        break;
    case 0:
        // Not a type: Windows pads to the width and takes no argument; the
        // character itself is then copied as ordinary text.
        if (!conv.left) out.pad(' ', conv.width);
        break;
    default:
        format_integer(out, conv, args);
        break;
    }
    return p;
}

int format(char *buffer, const char *format_text, va_list *args) {
    Output out(buffer);
    for (const char *p = format_text; *p && !out.full();) {
        if (*p == '%')
            p = format_one(out, p + 1, args);
        else
            out.put(*p++);
    }
    return out.finish();
}

// ---- word sort ------------------------------------------------------------

// Windows' default sorting weights of each cp1252 character, from Microsoft's
// published sorting weight table: primary weight << 24 | script member << 16 |
// diacritic weight << 8 | case weight. Script 6 holds the apostrophe, the
// hyphen, the dashes and the control codes: a word sort sets them aside and
// weighs them last. 0 is ignored; 1 marks an expansion into two letters.
constexpr uint32_t expansion = 1;
constexpr uint32_t ansi_weights[256] = {
    0x00000000, 0x03060202, 0x04060202, 0x05060202, 0x06060202, 0x07060202, 0x08060202, 0x09060202,  // 00
    0x0a060202, 0x05070202, 0x06070202, 0x07070202, 0x08070202, 0x09070202, 0x0b060202, 0x0c060202,  // 08
    0x0d060202, 0x0e060202, 0x0f060202, 0x10060202, 0x11060202, 0x12060202, 0x13060202, 0x14060202,  // 10
    0x15060202, 0x16060202, 0x17060202, 0x18060202, 0x19060202, 0x1a060202, 0x1b060202, 0x1c060202,  // 18
    0x02070202, 0x1c070202, 0x1d070202, 0x1f070202, 0x21070202, 0x23070202, 0x25070202, 0x80060202,  // 20  !"#$%&'
    0x27070202, 0x2a070202, 0x2d070202, 0x03080202, 0x2f070202, 0x82060202, 0x33070202, 0x35070202,  // 28 ()*+,-./
    0x030d0202, 0x1a0d0202, 0x1c0d0202, 0x1e0d0202, 0x200d0202, 0x220d0202, 0x240d0202, 0x260d0202,  // 30 0-7
    0x280d0202, 0x2a0d0202, 0x37070202, 0x3a070202, 0x0e080202, 0x12080202, 0x14080202, 0x3c070202,  // 38 89:;<=>?
    0x3e070202, 0x020e0212, 0x090e0212, 0x0a0e0212, 0x1a0e0212, 0x210e0212, 0x230e0212, 0x250e0212,  // 40 @A-G
    0x2c0e0212, 0x320e0212, 0x350e0212, 0x360e0212, 0x480e0212, 0x510e0212, 0x700e0212, 0x7c0e0212,  // 48 H-O
    0x7e0e0212, 0x890e0212, 0x8a0e0212, 0x910e0212, 0x990e0212, 0x9f0e0212, 0xa20e0212, 0xa40e0212,  // 50 P-W
    0xa60e0212, 0xa70e0212, 0xa90e0212, 0x3f070202, 0x41070202, 0x42070202, 0x43070202, 0x44070202,  // 58 XYZ[\]^_
    0x48070202, 0x020e0202, 0x090e0202, 0x0a0e0202, 0x1a0e0202, 0x210e0202, 0x230e0202, 0x250e0202,  // 60 `a-g
    0x2c0e0202, 0x320e0202, 0x350e0202, 0x360e0202, 0x480e0202, 0x510e0202, 0x700e0202, 0x7c0e0202,  // 68 h-o
    0x7e0e0202, 0x890e0202, 0x8a0e0202, 0x910e0202, 0x990e0202, 0x9f0e0202, 0xa20e0202, 0xa40e0202,  // 70 p-w
    0xa60e0202, 0xa70e0202, 0xa90e0202, 0x4a070202, 0x4c070202, 0x4e070202, 0x50070202, 0x1d060202,  // 78 xyz{|}~
    0xa9070202, 0xfa0c1e02, 0x7b070202, 0x230e4302, 0x7f070202, 0x100a0202, 0x250b0202, 0x260b0202,  // 80 €.‚ƒ„…†‡
    0x43070202, 0x2c0b0c02, 0x910e1412, 0x88070202, expansion,  0xfa0c2a02, 0xa90e1412, 0xfa0c2c02,  // 88 ˆ‰Š‹Œ.Ž.
    0xfa0c2d02, 0x79070202, 0x7a070202, 0x7d070202, 0x7e070202, 0x270b0202, 0x89060202, 0x90060202,  // 90 .‘’“”•–—
    0x5d070202, 0x9c0e0212, 0x910e1402, 0x89070202, expansion,  0xfa0c3a02, 0xa90e1402, 0xa70e1312,  // 98 ˜™š›œ.žŸ
    0x04070202, 0x51070202, 0x97070202, 0x98070202, 0x99070202, 0x9a070202, 0x52070202, 0x060a0202,  // A0  ¡¢£¤¥¦§
    0x53070202, 0x070a0202, 0x020e030e, 0x18080202, 0x080a0202, 0x00000000, 0x090a0202, 0x54070202,  // A8 ¨©ª«¬.®¯
    0x0a0a0202, 0x17080202, 0x1c0d020e, 0x1e0d020e, 0x55070202, 0x0b0a0202, 0x0c0a0202, 0x0d0a0202,  // B0 °±²³´µ¶·
    0x56070202, 0x1a0d020e, 0x7c0e030e, 0x1a080202, 0x0d0d0202, 0x110d0202, 0x150d0202, 0x57070202,  // B8 ¸¹º»¼½¾¿
    0x020e0f12, 0x020e0e12, 0x020e1212, 0x020e1912, 0x020e1312, 0x020e1a12, expansion,  0x0a0e1c12,  // C0 ÀÁÂÃÄÅÆÇ
    0x210e0f12, 0x210e0e12, 0x210e1212, 0x210e1312, 0x320e0f12, 0x320e0e12, 0x320e1212, 0x320e1312,  // C8 ÈÉÊËÌÍÎÏ
    0x1a0e6812, 0x700e1912, 0x7c0e0f12, 0x7c0e0e12, 0x7c0e1212, 0x7c0e1912, 0x7c0e1312, 0x1c080202,  // D0 ÐÑÒÓÔÕÖ×
    0x7c0e2112, 0x9f0e0f12, 0x9f0e0e12, 0x9f0e1212, 0x9f0e1312, 0xa70e0e12, expansion,  expansion,  // D8 ØÙÚÛÜÝÞß
    0x020e0f02, 0x020e0e02, 0x020e1202, 0x020e1902, 0x020e1302, 0x020e1a02, expansion,  0x0a0e1c02,  // E0 àáâãäåæç
    0x210e0f02, 0x210e0e02, 0x210e1202, 0x210e1302, 0x320e0f02, 0x320e0e02, 0x320e1202, 0x320e1302,  // E8 èéêëìíîï
    0x1a0e6802, 0x700e1902, 0x7c0e0f02, 0x7c0e0e02, 0x7c0e1202, 0x7c0e1902, 0x7c0e1302, 0x1d080202,  // F0 ðñòóôõö÷
    0x7c0e2102, 0x9f0e0f02, 0x9f0e0e02, 0x9f0e1202, 0x9f0e1302, 0xa70e0e02, expansion,  0xa70e1302,  // F8 øùúûüýþÿ
};

// The letters each expansion sorts as.
const char *expansion_of(unsigned char c) {
    switch (c) {
    case 0x8C:
        return "OE";
    case 0x9C:
        return "oe";
    case 0xC6:
        return "AE";
    case 0xDE:
        return "TH";
    case 0xDF:
        return "ss";
    case 0xE6:
        return "ae";
    case 0xFE:
        return "th";
    default:
        return "";
    }
}

constexpr unsigned script_punctuation = 6;

struct Weight {
    unsigned char primary, script, diacritic, case_weight;
};

Weight weight_of(uint32_t packed) {
    return {static_cast<unsigned char>(packed >> 24), static_cast<unsigned char>(packed >> 16),
            static_cast<unsigned char>(packed >> 8), static_cast<unsigned char>(packed)};
}

// Walks a string as sort elements: expansions give two, ignored characters
// none, and word-sort punctuation is reported as set aside, with the number
// of ordinary elements before it, which becomes its place in the last level.
class ElementWalker {
public:
    explicit ElementWalker(const char *s) : s_(reinterpret_cast<const unsigned char *>(s)) {}

    // The next element; false at the end. aside tells a punctuation element.
    bool next(Weight &w, bool &aside) {
        for (;;) {
            if (*pending_) return take(static_cast<unsigned char>(*pending_++), w, aside);
            if (!*s_) return false;
            const unsigned char c = *s_++;
            if (ansi_weights[c] == expansion)
                pending_ = expansion_of(c);
            else if (ansi_weights[c] != 0)
                return take(c, w, aside);
        }
    }
    // The next element that is not set-aside punctuation; false at the end.
    bool next_ordinary(Weight &w) {
        for (bool aside = true; aside;)
            if (!next(w, aside)) return false;
        return true;
    }
    size_t ordinary_count() const { return ordinary_; }

private:
    bool take(unsigned char c, Weight &w, bool &aside) {
        w = weight_of(ansi_weights[c]);
        aside = w.script == script_punctuation;
        if (!aside) ++ordinary_;
        return true;
    }

    const unsigned char *s_;
    const char *pending_ = "";
    size_t ordinary_ = 0;
};

int sign_of(int v) { return (v > 0) - (v < 0); }

// Level 1: script and primary weight of the ordinary elements, in order; a
// string that runs out first sorts first.
int compare_primary(const char *a, const char *b) {
    ElementWalker wa(a), wb(b);
    Weight x{}, y{};
    for (;;) {
        const bool more_a = wa.next_ordinary(x), more_b = wb.next_ordinary(y);
        if (!more_a || !more_b) return int(more_a) - int(more_b);
        if (x.script != y.script) return sign_of(x.script - y.script);
        if (x.primary != y.primary) return sign_of(x.primary - y.primary);
    }
}

// Levels 2 and 3: the diacritic or case weights of the ordinary elements.
// They only run after level 1 found the strings equal, so both walks have the
// same length, and the minimum weights Windows trims from a key's end cannot
// tell them apart.
int compare_secondary(const char *a, const char *b, unsigned char Weight::*level) {
    ElementWalker wa(a), wb(b);
    Weight x{}, y{};
    for (;;) {
        if (!wa.next_ordinary(x) || !wb.next_ordinary(y)) return 0;
        if (x.*level != y.*level) return sign_of(x.*level - y.*level);
    }
}

// The key of one set-aside character as Windows lays it out: the place as
// -(n + 1) in 16 bits, big-endian, then the primary weight, then
// case | diacritic << 3.
void punctuation_key(size_t place, const Weight &w, unsigned char out[4]) {
    const uint16_t position = static_cast<uint16_t>(-static_cast<int>(place) - 1);
    out[0] = static_cast<unsigned char>(position >> 8);
    out[1] = static_cast<unsigned char>(position);
    out[2] = w.primary;
    out[3] = static_cast<unsigned char>(w.case_weight | (w.diacritic << 3));
}

bool next_punctuation(ElementWalker &walker, unsigned char out[4]) {
    Weight w{};
    bool aside = false;
    while (walker.next(w, aside))
        if (aside) {
            punctuation_key(walker.ordinary_count(), w, out);
            return true;
        }
    return false;
}

// Level 4: the set-aside punctuation, by place and weight.
int compare_punctuation(const char *a, const char *b) {
    ElementWalker wa(a), wb(b);
    unsigned char x[4], y[4];
    for (;;) {
        const bool more_a = next_punctuation(wa, x), more_b = next_punctuation(wb, y);
        if (!more_a || !more_b) return int(more_a) - int(more_b);
        if (const int diff = std::memcmp(x, y, 4)) return sign_of(diff);
    }
}

// CompareStringA(LOCALE_USER_DEFAULT, ignore_case ? NORM_IGNORECASE : 0)
// minus 2. English and French Windows sort by the same default table.
int word_sort_compare(const char *a, const char *b, bool ignore_case) {
    if (const int r = compare_primary(a, b)) return r;
    if (const int r = compare_secondary(a, b, &Weight::diacritic)) return r;
    if (!ignore_case)
        if (const int r = compare_secondary(a, b, &Weight::case_weight)) return r;
    return compare_punctuation(a, b);
}

// A NULL string sorts before any other, and two NULLs are equal.
int compare_with_nulls(LPCSTR a, LPCSTR b, bool ignore_case) {
    if (!a || !b) return int(a != nullptr) - int(b != nullptr);
    return word_sort_compare(a, b, ignore_case);
}

// Formats into out, left empty when formatting fails part-way.
int format_or_empty(LPSTR out, LPCSTR fmt, va_list arglist) {
    va_list args;
    va_copy(args, arglist);
    struct End {
        va_list &args;
        ~End() { va_end(args); }
    } end{args};
    try {
        return format(out, fmt, &args);
    } catch (...) {
        *out = '\0';
        throw;
    }
}

// Copies at most count - 1 characters and terminates unless count is 0.
LPSTR copy_bounded(LPSTR dest, LPCSTR src, size_t count) {
    LPSTR d = dest;
    for (LPCSTR s = src; count > 1 && *s; --count) *d++ = *s++;
    if (count) *d = '\0';
    return dest;
}

int mul_div(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const int64_t product = int64_t(number) * numerator;
    const bool negative = (product < 0) != (denominator < 0);
    const uint64_t magnitude = product < 0 ? 0 - uint64_t(product) : uint64_t(product);
    const uint64_t divisor = denominator < 0 ? 0 - uint64_t(int64_t(denominator)) : uint64_t(denominator);
    const uint64_t quotient = (magnitude + divisor / 2) / divisor;
    if (quotient > 0x7FFFFFFF) return -1;
    return negative ? -static_cast<int>(quotient) : static_cast<int>(quotient);
}

}  // namespace

extern "C" {

// Limits: a NULL buffer or format fails with ERROR_INVALID_PARAMETER where
// Windows would fault.
int WINAPI wvsprintfA(LPSTR lpOut, LPCSTR lpFmt, va_list arglist) {
    return w32h::entry_point(0, [&]() -> int {
        if (lpOut && !lpFmt) *lpOut = '\0';
        if (!lpOut || !lpFmt) w32h::fail_with(ERROR_INVALID_PARAMETER);
        return format_or_empty(lpOut, lpFmt, arglist);
    });
}

int WINAPIV wsprintfA(LPSTR lpOut, LPCSTR lpFmt, ...) {
    va_list args;
    va_start(args, lpFmt);
    const int written = wvsprintfA(lpOut, lpFmt, args);
    va_end(args);
    return written;
}

int WINAPI lstrcmpA(LPCSTR lpString1, LPCSTR lpString2) {
    return w32h::entry_point(0, [&] { return compare_with_nulls(lpString1, lpString2, false); });
}

int WINAPI lstrcmpiA(LPCSTR lpString1, LPCSTR lpString2) {
    return w32h::entry_point(0, [&] { return compare_with_nulls(lpString1, lpString2, true); });
}

// NULL counts as the empty string, without touching the last error.
int WINAPI lstrlenA(LPCSTR lpString) {
    return w32h::entry_point(0, [&] { return lpString ? static_cast<int>(std::strlen(lpString)) : 0; });
}

// Windows catches the fault of a bad pointer and returns NULL with
// ERROR_INVALID_PARAMETER; the copy may overlap, as with memmove.
LPSTR WINAPI lstrcpyA(LPSTR lpString1, LPCSTR lpString2) {
    return w32h::entry_point<LPSTR>(NULL, [&]() -> LPSTR {
        if (!lpString1 || !lpString2) w32h::fail_with(ERROR_INVALID_PARAMETER);
        std::memmove(lpString1, lpString2, std::strlen(lpString2) + 1);
        return lpString1;
    });
}

// Copies at most iMaxLength - 1 characters and always terminates, unless
// iMaxLength is 0; the count is unsigned, as on Windows, so a negative one
// copies the whole string. The source is only read when a character fits.
LPSTR WINAPI lstrcpynA(LPSTR lpString1, LPCSTR lpString2, int iMaxLength) {
    return w32h::entry_point<LPSTR>(NULL, [&]() -> LPSTR {
        size_t count = static_cast<UINT>(iMaxLength);
        if ((count > 1 && (!lpString1 || !lpString2)) || (count == 1 && !lpString1))
            w32h::fail_with(ERROR_INVALID_PARAMETER);
        return copy_bounded(lpString1, lpString2, count);
    });
}

// Rounds half away from zero; a zero denominator or a result outside
// -0x7FFFFFFF..0x7FFFFFFF gives -1.
int WINAPI MulDiv(int nNumber, int nNumerator, int nDenominator) {
    return w32h::entry_point(-1, [&] { return mul_div(nNumber, nNumerator, nDenominator); });
}

}  // extern "C"
