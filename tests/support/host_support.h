// host_support.h - what the tests that call win32host in their own process
// share, win32host's behaviour tests and the program's own: a scripted user
// answering the dialogs a test opens, and the transcript captured and read
// back (transcript.h says how a test reads it).
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "frontend.h"
#include "host.h"
#include "transcript.h"

namespace hosttest {

// Answers what waits with the given script lines while it lives.
class ScriptedUser {
public:
    explicit ScriptedUser(const std::string &script) {
        w32h::set_frontend(w32h::make_script_frontend(script, "test script"));
    }
    ~ScriptedUser() { w32h::set_frontend(w32h::make_script_frontend("", "no script")); }
};

// Sends the transcript to a file while it lives. Reading it ends it, as the
// process's exit would: every reading after the first gives the same events.
class Transcript {
public:
    Transcript();
    ~Transcript();
    const testrun::Events &events();
    testrun::Events of(const char *kind) { return testrun::events_of(events(), {kind}); }
    testrun::Lines outline(testrun::Kinds kinds = {}) { return testrun::outline(events(), kinds); }

private:
    std::filesystem::path path_;
    bool closed_ = false;
    testrun::Events events_;
};

// The message boxes a call shows, in short, while the user answers with the script.
template <class Call>
testrun::Lines boxes_answered(const std::string &script, Call call) {
    Transcript transcript;
    {
        ScriptedUser user(script);
        call();
    }
    return transcript.outline({"messagebox"});
}

}  // namespace hosttest
