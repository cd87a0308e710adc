// deploy_support.h - what the deployment tests share: a fresh Windows NT 4.0
// machine and a medium folder per test, the target folders set up as the
// operations do, host-side file helpers, a child process that holds a file
// ("win32host lock"), and the test's transcript.
#pragma once

#include <windows.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "deploy.h"
#include "fresh_machine.h"
#include "host_support.h"
#include "locking_process.h"
#include "program_texts.h"
#include "resource.h"
#include "setup_ordane.h"

namespace deploytest {

namespace fs = std::filesystem;
using testjson::Value;
using testrun::box_line;
using testrun::Lines;

// A host file's bytes, "<missing>" when there is none.
std::string read_host(const fs::path &p);
void write_host(const fs::path &p, const std::string &data);
void set_modified_time(const fs::path &p, time_t utc);
void make_read_only(const fs::path &p);
std::vector<fs::path> folder_entries(const fs::path &folder);

// The target folders as the program set them up.
inline LPCSTR target_system_folder() { return (LPCSTR)g_SystemFolder; }
inline LPCSTR target_driver_folder() { return (LPCSTR)g_PrinterDriverFolder; }

// Each test runs with the medium folder as current folder, in a time zone of
// UTC+2 without summer time, and its transcript open.
class Deployment : public hosttest::FreshMachine {
protected:
    Deployment() : FreshMachine("nt40") {}
    void SetUp() override;
    void TearDown() override;
    // The medium: the current folder; records name their files under "src\".
    fs::path medium(const std::string &name) const { return folder() / "medium" / "src" / name; }
    std::vector<fs::path> driver_folder_entries() const { return folder_entries(host(driver_folder())); }
    // A new transcript for the next case of a test.
    void restart_transcript() {
        transcript_.reset();
        transcript_ = std::make_unique<hosttest::Transcript>();
    }

    fs::path saved_folder_;
    std::unique_ptr<hosttest::Transcript> transcript_;
};

// "win32host lock PATH" in another process, on this test's machine.
class LockingProcess : public testrun::LockingProcess {
public:
    explicit LockingProcess(const std::string &windows_path)
        : testrun::LockingProcess(WIN32HOST_TOOL, windows_path, w32h::config().prefix, "nt40") {}
};

}  // namespace deploytest
