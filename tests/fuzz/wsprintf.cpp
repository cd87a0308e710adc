// wsprintf.cpp - fuzzes wsprintfA with any format and arguments. Windows
// writes at most 1024 characters and a NUL, so the output buffer here is
// exactly 1025 bytes (AddressSanitizer sees one byte more); the count returned
// must be where the NUL is. The input is the format, a zero byte, then the
// arguments: when the format holds an 's' or 'S' (a string conversion may
// read a pointer), every argument is a string of the input, narrow and wide
// at once; otherwise every argument is a 64-bit number of the input.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"

namespace {

constexpr size_t output_limit = 1024;
constexpr size_t argument_count = 32;
constexpr char sentinel = '\x5A';

// The format, cut after its last possible conversion with an argument.
std::string bounded_format(std::string format) {
    size_t percents = 0;
    for (size_t i = 0; i < format.size(); ++i)
        if (format[i] == '%' && ++percents > argument_count) {
            format.resize(i);
            break;
        }
    return format;
}


int format_with(char *out, const std::string &format, const uintptr_t (&a)[argument_count]) {
    return wsprintfA(out, format.c_str(), a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8], a[9], a[10], a[11],
                     a[12], a[13], a[14], a[15], a[16], a[17], a[18], a[19], a[20], a[21], a[22], a[23], a[24], a[25],
                     a[26], a[27], a[28], a[29], a[30], a[31]);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::configure_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const char *text = reinterpret_cast<const char *>(data);
    const size_t format_length = strnlen(text, size);
    const std::string format = bounded_format(std::string(text, format_length));
    const uint8_t *rest = data + std::min(size, format_length + 1);
    const size_t rest_size = size - (rest - data);

    uintptr_t args[argument_count] = {};
    // Each string ends in at least two zero units, so that it reads as char
    // and as char16_t text; an empty piece is a null pointer.
    std::vector<std::vector<char16_t>> strings(argument_count);
    if (format.find_first_of("sS") != std::string::npos) {
        // The rest, cut at each 0xFF byte, gives the strings in turn.
        size_t at = 0;
        for (size_t i = 0; i < argument_count; ++i) {
            size_t end = at;
            while (end < rest_size && rest[end] != 0xFF) ++end;
            std::vector<char16_t> &s = strings[i];
            s.assign((end - at + 1) / 2 + 2, 0);
            if (end > at) std::memcpy(s.data(), rest + at, end - at);
            args[i] = end > at ? reinterpret_cast<uintptr_t>(s.data()) : 0;
            at = std::min(rest_size, end + 1);
        }
    } else {
        for (size_t i = 0; i < argument_count && 8 * i < rest_size; ++i)
            std::memcpy(&args[i], rest + 8 * i, std::min<size_t>(8, rest_size - 8 * i));
    }

    std::vector<char> out(output_limit + 1, sentinel);
    SetLastError(0);
    const int written = format_with(out.data(), format, args);
    FUZZ_CHECK(written >= 0 && size_t(written) <= output_limit, "at most 1024 characters are written");
    FUZZ_CHECK(out[written] == '\0', "the count returned is where the terminating NUL is");
    for (size_t i = written + 1; i < out.size(); ++i)
        FUZZ_CHECK(out[i] == sentinel, "nothing is written after the terminating NUL");
    FUZZ_CHECK(GetLastError() == 0, "formatting sets no error");
    if (format.find('%') == std::string::npos) {
        const size_t expected = std::min(format.size(), output_limit);
        FUZZ_CHECK(size_t(written) == expected && format.compare(0, expected, out.data(), expected) == 0,
                   "a format without conversions is copied as it is");
    }
    return 0;
}
