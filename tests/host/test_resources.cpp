// test_resources.cpp - behaviour tests of resources.cpp on the test binary's
// own resources (host_tests.rc): LoadStringA's cutting, errors and per-block
// language fallback, FindResource's lookups and errors, and the parse of
// malformed images. Expected text is cp1252: "\xE9" is é, "\xC9" É.
#include "host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD poison = 0xdeadbeef;

class Resources : public ::testing::Test {
protected:
    void use_french(bool french) {
        w32h::Config config;
        config.french = french;
        w32h::set_config(config);
    }
    void SetUp() override { use_french(false); }
    void TearDown() override { use_french(false); }

    // LoadStringA into a buffer of the given size, with its result.
    static std::string load(UINT id, int size = 600, int *rc = nullptr) {
        std::vector<char> buffer(size + 1, 'x');
        const int n = LoadStringA(nullptr, id, buffer.data(), size);
        if (rc) *rc = n;
        return buffer.data();
    }
    // LoadStringA of a string that is not there: the result, the buffer's
    // first byte and the last error, after a poison.
    static std::tuple<int, char, DWORD> load_missing(HINSTANCE instance, UINT id) {
        char buffer[8] = "abc";
        SetLastError(poison);
        const int rc = LoadStringA(instance, id, buffer, sizeof buffer);
        return {rc, buffer[0], GetLastError()};
    }
    static std::string data_of(HRSRC resource) {
        if (!resource) return "(not found)";
        const auto *bytes = static_cast<const char *>(LockResource(LoadResource(nullptr, resource)));
        return std::string(bytes, SizeofResource(nullptr, resource));
    }
};

TEST_F(Resources, LoadStringAReadsTheUserLanguageInCp1252) {
    int rc = 0;
    SetLastError(poison);
    EXPECT_EQ(load(1, 600, &rc), "Operation failed");
    EXPECT_EQ(rc, 16);
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_EQ(load(6), "5 \x80 \x96 \x93quoted\x94 \x91single\x92 \x85 \x8C\x9C\x8A\x9A\x8E\x9E\x9F\x83\x99 ??");
    use_french(true);
    EXPECT_EQ(load(1),
              "\xC9"
              "chec de l'op\xE9ration");
    EXPECT_EQ(load(2), "Installation r\xE9ussie");
}

// Wine's LoadString tests, run on Windows: cchBufferMax - 1 characters and
// the NUL; one UTF-16 unit is one cp1252 character, accents included.
TEST_F(Resources, LoadStringACutsAtBufferSize) {
    int rc = 0;
    EXPECT_EQ(load(1, 17, &rc), "Operation failed");
    EXPECT_EQ(load(1, 16, &rc), "Operation faile");
    EXPECT_EQ(rc, 15);
    std::string digits;
    for (int i = 0; i < 511; ++i) digits += char('0' + i % 10);
    for (int size : {64, 256, 512}) {
        EXPECT_EQ(load(97, size, &rc), digits.substr(0, size - 1));
        EXPECT_EQ(rc, size - 1);
    }
    use_french(true);
    std::string accents;
    for (int i = 0; i < 63; ++i) accents += i % 2 ? '\xE9' : '\xC9';
    EXPECT_EQ(load(96, 64), accents);
}

// Wine's tests: a size of 0 returns -1; 1 gives "" and 0, error untouched.
TEST_F(Resources, LoadStringATinyBuffers) {
    char buffer[4] = "abc";
    EXPECT_EQ(LoadStringA(nullptr, 1, buffer, 0), -1);
    EXPECT_STREQ(buffer, "abc");
    SetLastError(poison);
    EXPECT_EQ(LoadStringA(nullptr, 1, buffer, 1), 0);
    EXPECT_EQ(std::string(buffer, 3), std::string("\0bc", 3));
    EXPECT_EQ(GetLastError(), poison);
}

// A missing block fails with FindResource's error; an empty slot of an
// existing block (block 7 holds 112 and 120 only) is "" without an error.
// Only the low word of the id counts.
TEST_F(Resources, LoadStringAMissingAndEmptyStrings) {
    EXPECT_EQ(load_missing(nullptr, 5000), std::make_tuple(0, '\0', DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)));
    EXPECT_EQ(load(120), "Ninth of a block with gaps");
    EXPECT_EQ(load_missing(nullptr, 115), std::make_tuple(0, '\0', poison));
    EXPECT_EQ(load(MAKELONG(1, 0x8000)), "Operation failed");
    EXPECT_EQ(load_missing(reinterpret_cast<HINSTANCE>(0x1234), 1),
              std::make_tuple(0, '\0', DWORD(ERROR_RESOURCE_DATA_NOT_FOUND)));
}

// Windows picks a whole block in one language: block 1 exists in English
// only, so a French user reads it in English; block 0 exists in French, so
// the English-only string 3 is empty for a French user.
TEST_F(Resources, LoadStringAFallsBackPerBlock) {
    use_french(true);
    EXPECT_EQ(load(20), "English only, in a block of its own");
    EXPECT_EQ(load_missing(nullptr, 3), std::make_tuple(0, '\0', poison));
    use_french(false);
    EXPECT_EQ(load(3), "English only, in a block French also has");
    EXPECT_EQ(load(40),
              "Seulement en fran\xE7"
              "ais");
}

TEST_F(Resources, LoadStringAHonoursAnInjectedFailure) {
    setenv("WIN32HOST_FAIL", "LoadStringA", 1);
    w32h::Config unused;
    ASSERT_FALSE(w32h::load_config(unused));
    EXPECT_EQ(load_missing(nullptr, 1), std::make_tuple(0, '\0', DWORD(ERROR_RESOURCE_NAME_NOT_FOUND)));
    setenv("WIN32HOST_FAIL", "", 1);
    ASSERT_FALSE(w32h::load_config(unused));
    EXPECT_EQ(load(1), "Operation failed");
}

// Names compare without case; "#300" is the ordinal 300, for the type too.
TEST_F(Resources, FindResourceAReadsNamesAndOrdinals) {
    SetLastError(poison);
    HRSRC sample = FindResourceA(nullptr, "sample", RT_RCDATA);
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_EQ(data_of(sample), std::string("\x01\x02\x03\x04xyz", 7));
    EXPECT_EQ(FindResourceA(w32h::program_instance(), "SaMpLe", RT_RCDATA), sample);
    EXPECT_EQ(data_of(FindResourceA(nullptr, MAKEINTRESOURCEA(7), "Custom")), "custom");
    EXPECT_EQ(FindResourceA(nullptr, "#300", "#10"), FindResourceA(nullptr, MAKEINTRESOURCEA(300), RT_RCDATA));
    EXPECT_EQ(FindResourceA(nullptr, "#70000", RT_RCDATA), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

// Wine's resource tests, run on Windows: each missing level has its error.
TEST_F(Resources, FindResourceASaysWhatIsMissing) {
    const auto error_of = [](HRSRC found) { return found ? DWORD(ERROR_SUCCESS) : GetLastError(); };
    EXPECT_EQ(error_of(FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(0x7F00))),
              DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    // The empty record that opens a .res file is not a resource.
    EXPECT_EQ(error_of(FindResourceA(nullptr, MAKEINTRESOURCEA(0), MAKEINTRESOURCEA(0))),
              DWORD(ERROR_RESOURCE_TYPE_NOT_FOUND));
    EXPECT_EQ(error_of(FindResourceA(nullptr, MAKEINTRESOURCEA(999), RT_RCDATA)), DWORD(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(error_of(FindResourceExA(nullptr, RT_RCDATA, "SAMPLE", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH))),
              DWORD(ERROR_RESOURCE_LANG_NOT_FOUND));
    EXPECT_EQ(error_of(FindResourceA(reinterpret_cast<HMODULE>(0x1234), "SAMPLE", RT_RCDATA)),
              DWORD(ERROR_RESOURCE_DATA_NOT_FOUND));
}

// FindResourceA takes the user's language, else English, else any;
// FindResourceExA takes the language asked, a neutral one meaning the same.
TEST_F(Resources, FindResourceChoosesTheLanguage) {
    const auto find = [](WORD language) {
        return FindResourceExA(nullptr, RT_RCDATA, MAKEINTRESOURCEA(300), language);
    };
    EXPECT_EQ(data_of(FindResourceA(nullptr, MAKEINTRESOURCEA(300), RT_RCDATA)), "en");
    EXPECT_EQ(data_of(find(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH))), "fr");
    use_french(true);
    EXPECT_EQ(data_of(FindResourceA(nullptr, MAKEINTRESOURCEA(300), RT_RCDATA)), "fr");
    EXPECT_EQ(data_of(find(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))), "en");
    EXPECT_EQ(data_of(find(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL))), "fr");
    EXPECT_EQ(data_of(FindResourceA(nullptr, MAKEINTRESOURCEA(301), RT_RCDATA)), "de");
}

TEST_F(Resources, ModuleAndResourceHandles) {
    SetLastError(poison);
    EXPECT_EQ(GetModuleHandleA(nullptr), w32h::program_instance());
    EXPECT_EQ(GetLastError(), poison);
    EXPECT_NE(GetModuleHandleA("kernel32.dll"), w32h::program_instance());
    EXPECT_EQ(GetModuleHandleA("kernel33.dll"), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), DWORD(0));
    int not_a_resource = 0;
    EXPECT_EQ(LoadResource(nullptr, reinterpret_cast<HRSRC>(&not_a_resource)), nullptr);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
}

// Appends one RESOURCEHEADER record with an ordinal type and name.
void add_record(std::vector<unsigned char> &image, WORD type, const std::string &data) {
    const auto put16 = [&](WORD v) { image.push_back(v & 0xFF), image.push_back(v >> 8); };
    const auto put32 = [&](DWORD v) { put16(WORD(v & 0xFFFF)), put16(WORD(v >> 16)); };
    put32(DWORD(data.size())), put32(32);
    put16(0xFFFF), put16(type), put16(0xFFFF), put16(1);
    put32(0), put16(0x30), put16(0x409), put32(0), put32(0);
    image.insert(image.end(), data.begin(), data.end());
    while (image.size() % 4) image.push_back(0);
}

std::vector<unsigned char> record_with_byte(WORD type, size_t at, unsigned char value) {
    std::vector<unsigned char> image;
    add_record(image, type, "abc");
    image[at] = value;
    return image;
}

// A parse that strays past an image shows under AddressSanitizer; types
// 0x7E00 and up are used by no other test.
TEST(RegisterResources, MalformedRecordsEndTheParse) {
    const unsigned char truncated[] = {0x10, 0, 0, 0, 0x20};
    w32h::register_resources(truncated, sizeof truncated);
    const auto tiny_header = record_with_byte(0x7E01, 4, 8);
    w32h::register_resources(tiny_header.data(), tiny_header.size());
    const auto long_data = record_with_byte(0x7E02, 0, 0xFF);
    w32h::register_resources(long_data.data(), long_data.size());
    std::vector<unsigned char> endless_name(40, 'A');  // a type name without its NUL
    std::memset(endless_name.data(), 0, 8);
    endless_name[4] = 40;
    w32h::register_resources(endless_name.data(), endless_name.size());

    std::vector<unsigned char> image;  // a good record, a bad one, a good one
    add_record(image, 0x7E10, "kept");
    const size_t bad = image.size();
    add_record(image, 0x7E11, "bad");
    image[bad + 5] = 0xFF;
    add_record(image, 0x7E12, "never read");
    w32h::register_resources(image.data(), image.size());
    image.assign(image.size(), 0);  // the store keeps its own copy

    const auto find = [](WORD type) { return FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(type)); };
    for (WORD type : {0x7E01, 0x7E02, 0x7E11, 0x7E12}) EXPECT_EQ(find(type), nullptr) << type;
    HRSRC kept = find(0x7E10);
    EXPECT_EQ(std::string(static_cast<const char *>(LoadResource(nullptr, kept)), SizeofResource(nullptr, kept)),
              "kept");
}

}  // namespace
