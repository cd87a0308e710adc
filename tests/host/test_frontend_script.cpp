// test_frontend_script.cpp - the script front-end's checks of a script before
// anything runs: a malformed line ends the process with exit code 3 and a
// reason that says what the script may say instead.
#include <gtest/gtest.h>

#include "host_support.h"

namespace {

TEST(ScriptFrontendDeathTest, AnUnknownKeyListsEveryKeyAScriptCanName) {
    EXPECT_EXIT(w32h::make_script_frontend("key f1\n", "test script"), ::testing::ExitedWithCode(3),
                "test script line 1: unknown key 'f1' \\(enter, escape, tab, shift-tab, up, down, space, home, end, "
                "pageup, pagedown\\)");
}

}  // namespace
