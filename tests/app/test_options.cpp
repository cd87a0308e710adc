// test_options.cpp - the command line: tokenizer, upper-casing, prefix
// matching and the option rules that fill the run request.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform.h"
#include "setup_ordane.h"

namespace {

std::vector<std::string> split(std::string text) {
    int count = -1;
    SplitCommandLine(text.data(), nullptr, &count);
    std::vector<LPSTR> vector(static_cast<size_t>(count) + 1, nullptr);
    int again = -1;
    SplitCommandLine(text.data(), vector.data(), &again);
    EXPECT_EQ(count, again);
    return std::vector<std::string>(vector.begin(), vector.begin() + count);
}

RunRequest parse_tail(const std::string &tail) {
    std::string buffer = tail;
    RunRequest r{-1, -1};
    EXPECT_EQ(1, ParseOptions(buffer.data(), &r));
    return r;
}

void expect_request(const std::string &tail, LONG mode, LONG platform) {
    RunRequest r = parse_tail(tail);
    EXPECT_EQ(mode, r.nMode) << "tail: " << tail;
    EXPECT_EQ(platform, r.nPlatform) << "tail: " << tail;
}

TEST(SplitCommandLine, BlanksAndTabsSeparateAndRunsMakeNoEmptyTokens) {
    EXPECT_EQ((std::vector<std::string>{"/A", "/B", "C"}), split("  /A\t\t/B \t C  "));
    EXPECT_TRUE(split(" \t \t").empty());
    EXPECT_TRUE(split("").empty());
}

TEST(SplitCommandLine, QuotesAndOtherControlCharactersBelongToTheToken) {
    EXPECT_EQ((std::vector<std::string>{"\"/UNINSTALL\"", "a\nb", "\"x", "y\""}), split("\"/UNINSTALL\" a\nb \"x y\""));
}

TEST(SplitCommandLine, CountingLeavesTheTextUnchanged) {
    std::string text = "/A /B\t/C";
    int count = 0;
    SplitCommandLine(text.data(), nullptr, &count);
    EXPECT_EQ(3, count);
    EXPECT_EQ("/A /B\t/C", text);
}

TEST(SplitCommandLine, RecordingTerminatesTokensInPlaceAndLeavesTheEndEntry) {
    std::string text = "ab cd";
    LPSTR vector[3] = {nullptr, nullptr, reinterpret_cast<LPSTR>(0x1)};
    int count = 0;
    SplitCommandLine(text.data(), vector, &count);
    EXPECT_EQ(2, count);
    EXPECT_EQ(text.data(), vector[0]);
    EXPECT_EQ(text.data() + 3, vector[1]);
    EXPECT_EQ('\0', text[2]);
    EXPECT_EQ(reinterpret_cast<LPSTR>(0x1), vector[2]);  // the caller writes the terminating entry
}

TEST(UpperCaseAscii, ChangesOnlyLowerCaseAsciiLetters) {
    std::string text = "abz/AZ09=\xE9\xE0{`";
    UpperCaseAscii(text.data());
    EXPECT_EQ("ABZ/AZ09=\xE9\xE0{`", text);
    UpperCaseAscii(nullptr);
}

TEST(MatchPrefix, ComparesExactlyLengthBytesCaseSensitively) {
    EXPECT_EQ(1, MatchPrefix("/UNINSTALLX", "/UNINSTALL", 10));
    EXPECT_EQ(0, MatchPrefix("/uninstall", "/UNINSTALL", 10));
    EXPECT_EQ(0, MatchPrefix("/UNIN", "/UNINSTALL", 10));
    EXPECT_EQ(1, MatchPrefix("anything", "other", 0));
    EXPECT_EQ(0, MatchPrefix(nullptr, "X", 1));
    EXPECT_EQ(0, MatchPrefix("X", nullptr, 1));
}

TEST(MatchPrefix, NeverReadsPastTheEndOfEqualTexts) {
    // Exact-size heap copies, so that a read past the terminator is caught
    // by AddressSanitizer in the sanitizer build.
    auto a = std::make_unique<char[]>(3), b = std::make_unique<char[]>(3);
    std::memcpy(a.get(), "AB", 3);
    std::memcpy(b.get(), "AB", 3);
    EXPECT_EQ(1, MatchPrefix(a.get(), b.get(), 50));
    auto shorter = std::make_unique<char[]>(2);
    std::memcpy(shorter.get(), "A", 2);
    EXPECT_EQ(0, MatchPrefix(shorter.get(), b.get(), 50));
}

TEST(ParseOptions, DefaultsToCompleteSetupOnTheDetectedPlatform) {
    expect_request("", MODE_COMPLETE_SETUP, PLATFORM_NONE);
    expect_request(" \t  \t", MODE_COMPLETE_SETUP, PLATFORM_NONE);
}

TEST(ParseOptions, OptionsAreCaseInsensitivePrefixes) {
    expect_request("/uninstall", MODE_COMPLETE_DELETION, PLATFORM_NONE);
    expect_request("/UNINSTALLNOW", MODE_COMPLETE_DELETION, PLATFORM_NONE);
    expect_request("/OnlyDeletePrintDevice", MODE_SIMPLE_DELETION, PLATFORM_NONE);
    expect_request("/onlyaddprintdevice", MODE_SIMPLE_SETUP, PLATFORM_NONE);
    expect_request("/os=winnt40", MODE_COMPLETE_SETUP, PLATFORM_WINNT40);
    expect_request("/OS=WINNT351\t/ONLYADDPRINTDEVICE", MODE_SIMPLE_SETUP, PLATFORM_WINNT351);
}

TEST(ParseOptions, AnUnknownPlatformKeywordFallsBackToDetection) {
    expect_request("/OS=WIN95X", MODE_COMPLETE_SETUP, PLATFORM_NONE);
    expect_request("/OS=", MODE_COMPLETE_SETUP, PLATFORM_NONE);
    expect_request("/OS=WIN95 /OS=BOGUS", MODE_COMPLETE_SETUP, PLATFORM_NONE);
}

TEST(ParseOptions, TheLastModeAndTheLastPlatformWin) {
    expect_request("/UNINSTALL /ONLYADDPRINTDEVICE", MODE_SIMPLE_SETUP, PLATFORM_NONE);
    expect_request("/OS=WIN98 /UNINSTALL /OS=WIN95", MODE_COMPLETE_DELETION, PLATFORM_WIN95);
}

TEST(ParseOptions, TheFirstUnknownTokenStopsParsingWithTheSyntaxMessage) {
    expect_request("/UNINSTALL /X /OS=WIN95", MODE_SHOW_SYNTAX, PLATFORM_NONE);
    expect_request("/OS=WIN95 \"/UNINSTALL\"", MODE_SHOW_SYNTAX, PLATFORM_NONE);
    expect_request("/OS", MODE_SHOW_SYNTAX, PLATFORM_NONE);
    expect_request("-uninstall", MODE_SHOW_SYNTAX, PLATFORM_NONE);
}

TEST(ParseOptions, SurvivesARandomCommandTail) {
    std::string tail(100000, ' ');
    uint32_t seed = 12345;
    for (char &c : tail) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(1 + (seed >> 16) % 255);
    }
    RunRequest r = parse_tail(tail);
    EXPECT_TRUE(r.nMode >= MODE_SHOW_SYNTAX && r.nMode <= MODE_COMPLETE_DELETION);
    EXPECT_TRUE(r.nPlatform >= 0 && r.nPlatform <= PLATFORM_NONE);
}

}  // namespace
