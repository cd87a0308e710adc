// test_failpoints.cpp - WIN32HOST_FAIL's list of the functions that can be
// made to fail is written twice, in failpoints.cpp and in README for the
// people who write the rules; the two must not drift apart.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host.h"

namespace {

// The names in backquotes of README's paragraph that starts with the intro.
std::vector<std::string> ReadmeList(const std::string &intro) {
    std::ifstream in(SETUPORDANE_README);
    std::stringstream text;
    text << in.rdbuf();
    std::string readme = text.str();
    size_t start = readme.find(intro);
    if (start == std::string::npos) return {};
    size_t end = readme.find("\n\n", start);
    std::string paragraph = readme.substr(start + intro.size(), end - start - intro.size());
    std::vector<std::string> names;
    for (size_t open = paragraph.find('`'); open != std::string::npos; open = paragraph.find('`', open + 1)) {
        size_t close = paragraph.find('`', open + 1);
        names.push_back(paragraph.substr(open + 1, close - open - 1));
        open = close;
    }
    return names;
}

TEST(FailableFunctions, ReadmeListsExactlyTheFunctionsThatCanFail) {
    auto failable = w32h::failable_functions();
    std::vector<std::string> expected(failable.begin(), failable.end());
    EXPECT_TRUE(std::is_sorted(expected.begin(), expected.end()));
    EXPECT_EQ(expected, ReadmeList("Functions that `WIN32HOST_FAIL` can name:"));
    for (const std::string &name : expected) EXPECT_FALSE(w32h::parse_fail_rules(name)) << name;
}

}  // namespace
