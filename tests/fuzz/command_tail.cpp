// command_tail.cpp - fuzzes the program's command line: the tokenizer
// (SplitCommandLine) and the option parser (ParseOptions) over any tail a
// user or a shortcut can pass. Tokens must lie in the tail, hold no blank and
// not overlap; the parser may only cut the tail at blanks and upper-case
// letters, and must leave a mode and platform that exist.
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform.h"
#include "setup_ordane.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::configure_host();
    return 0;
}

namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

void check_tokens(const std::string &tail) {
    std::vector<char> text(tail.begin(), tail.end());
    text.push_back('\0');
    int counted = -1;
    SplitCommandLine(text.data(), NULL, &counted);
    FUZZ_CHECK(counted >= 0 && size_t(counted) <= tail.size(), "the count fits the tail");
    FUZZ_CHECK(std::string(text.data(), tail.size()) == tail, "counting leaves the tail as it is");

    std::vector<LPSTR> tokens(counted + 1, nullptr);
    int split = -1;
    SplitCommandLine(text.data(), tokens.data(), &split);
    FUZZ_CHECK(split == counted, "splitting finds the tokens counted");
    const char *end = text.data() + tail.size();
    const char *previous_end = text.data();
    for (int i = 0; i < split; ++i) {
        const char *t = tokens[i];
        FUZZ_CHECK(t >= previous_end && t < end, "a token lies in the tail, after the one before");
        size_t length = std::strlen(t);
        FUZZ_CHECK(length > 0 && t + length <= end, "a token is not empty and ends in the tail");
        for (size_t k = 0; k < length; ++k) FUZZ_CHECK(!blank(t[k]), "a token holds no blank");
        previous_end = t + length;
    }
    FUZZ_CHECK(tokens[split] == nullptr, "nothing is written past the last token");
}

void check_options(const std::string &tail) {
    std::vector<char> text(tail.begin(), tail.end());
    text.push_back('\0');
    RunRequest request{-1, -1};
    const int ok = ParseOptions(text.data(), &request);
    FUZZ_CHECK(ok == 1, "parsing a tail succeeds (its token table is tiny)");
    FUZZ_CHECK(request.nMode >= MODE_SHOW_SYNTAX && request.nMode <= MODE_COMPLETE_DELETION, "a known mode");
    FUZZ_CHECK(request.nPlatform >= 0 && request.nPlatform <= PLATFORM_NONE, "a known platform or none");
    if (request.nMode == MODE_SHOW_SYNTAX) FUZZ_CHECK(request.nPlatform == PLATFORM_NONE, "the syntax message has no platform");
    // The parser works in place: blanks may become token ends and letters
    // capitals; nothing else changes and nothing past the tail is touched.
    for (size_t i = 0; i < tail.size(); ++i) {
        const char before = tail[i], after = text[i];
        if (before == after) continue;
        const bool cut = blank(before) && after == '\0';
        const bool upper = before >= 'a' && before <= 'z' && after == before - 0x20;
        FUZZ_CHECK(cut || upper, "the tail changes only at blanks and small letters");
    }
    FUZZ_CHECK(text[tail.size()] == '\0', "the tail's end stays");
    bool any_token = false;
    for (char c : tail) any_token |= !blank(c);
    if (!any_token) FUZZ_CHECK(request.nMode == MODE_COMPLETE_SETUP && request.nPlatform == PLATFORM_NONE,
                               "an empty tail is a complete setup on the detected platform");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    // The tail is a C string: it ends at the first zero byte.
    std::string tail(reinterpret_cast<const char *>(data), size);
    tail.resize(std::strlen(tail.c_str()));
    check_tokens(tail);
    check_options(tail);
    return 0;
}
