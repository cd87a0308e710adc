// host_support.h - what win32host's behaviour tests share: a scripted user
// answering the dialogs a test opens, and a captured transcript.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "frontend.h"
#include "host.h"
#include "json.h"

namespace hosttest {

// Answers what waits with the given script lines while it lives.
class ScriptedUser {
public:
    explicit ScriptedUser(const std::string &script) {
        w32h::set_frontend(w32h::make_script_frontend(script, "test script"));
    }
    ~ScriptedUser() { w32h::set_frontend(w32h::make_script_frontend("", "no script")); }
};

// Sends the transcript to a file while it lives, and reads it back.
class Transcript {
public:
    Transcript();
    ~Transcript();
    std::vector<testjson::Value> events();

private:
    std::filesystem::path path_;
    bool closed_ = false;
};

}  // namespace hosttest
