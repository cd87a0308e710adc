// test_codepage.cpp - behaviour tests of codepage.cpp: the cp1252 table as
// MultiByteToWideChar reads it, round trips of every byte, and '?' for what
// cp1252 cannot hold.
#include "host.h"

#include <gtest/gtest.h>

namespace {

std::string all_bytes() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

// Windows' table of 0x80-0x9F; the five undefined bytes come back as the C1
// controls of the same value.
TEST(Cp1252ToUtf16, HighControlRangeFollowsWindows) {
    std::string high;
    for (int b = 0x80; b <= 0x9F; ++b) high += static_cast<char>(b);
    const std::u16string expected =
        u"\u20AC\u0081\u201A\u0192\u201E\u2026\u2020\u2021\u02C6\u2030\u0160\u2039\u0152\u008D\u017D\u008F"
        u"\u0090\u2018\u2019\u201C\u201D\u2022\u2013\u2014\u02DC\u2122\u0161\u203A\u0153\u009D\u017E\u0178";
    EXPECT_EQ(w32h::cp1252_to_utf16(high), expected);
}

TEST(Cp1252ToUtf8, AccentedFrenchBecomesUtf8) {
    EXPECT_EQ(w32h::cp1252_to_utf8("\xC9"
                                   "chec r\xE9ussi \x80 \x9C"),
              "Échec réussi € œ");
    EXPECT_EQ(w32h::cp1252_to_utf8(std::string("a\0b", 3)), std::string("a\0b", 3));
}

TEST(Cp1252, EveryByteSurvivesARoundTrip) {
    const std::string bytes = all_bytes();
    EXPECT_EQ(w32h::utf8_to_cp1252(w32h::cp1252_to_utf8(bytes)), bytes);
    const std::u16string wide = w32h::cp1252_to_utf16(bytes);
    EXPECT_EQ(w32h::utf16_to_cp1252(wide.data(), wide.size()), bytes);
}

TEST(Utf8ToCp1252, CharacterWithoutCp1252FormBecomesQuestionMark) {
    EXPECT_EQ(w32h::utf8_to_cp1252("Ω漢😀x"), "???x");
    EXPECT_EQ(w32h::utf8_to_cp1252("Ā"), "?");
}

TEST(Utf8ToCp1252, EachInvalidByteBecomesQuestionMark) {
    EXPECT_EQ(w32h::utf8_to_cp1252("a\xC3"), "a?");               // cut short
    EXPECT_EQ(w32h::utf8_to_cp1252("\xC0\xAF"), "??");            // overlong '/'
    EXPECT_EQ(w32h::utf8_to_cp1252("\xED\xA0\x80"), "???");       // a surrogate
    EXPECT_EQ(w32h::utf8_to_cp1252("\xF4\x90\x80\x80"), "????");  // past U+10FFFF
    EXPECT_EQ(w32h::utf8_to_cp1252("\x80"
                                   "e"),
              "?e");
}

// Wine's wsprintf tests, run on Windows: each half of a surrogate pair
// converts on its own.
TEST(Utf16ToCp1252, SurrogatePairGivesTwoQuestionMarks) {
    const char16_t pair[] = {0xD83C, 0xDF77};
    EXPECT_EQ(w32h::utf16_to_cp1252(pair, 2), "??");
    const char16_t fffe = 0xFFFE;
    EXPECT_EQ(w32h::utf16_to_cp1252(&fffe, 1), "?");
}

}  // namespace
