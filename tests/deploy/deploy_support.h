// deploy_support.h - what the deployment tests share: a fresh emulated
// machine and a medium folder per test, the target folders set up as the
// operations do, host-side file helpers, a child process that holds a file
// ("win32host lock"), and the transcript's dialogs and message boxes.
#pragma once

#include <windows.h>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "deploy.h"
#include "host_support.h"
#include "locking_process.h"
#include "program_run.h"
#include "resource.h"
#include "setup_ordane.h"

namespace deploytest {

namespace fs = std::filesystem;
using testjson::Value;

std::string ReadHost(const fs::path &p);
void WriteHost(const fs::path &p, const std::string &data);
void SetModifiedTime(const fs::path &p, time_t utc);
void MakeReadOnly(const fs::path &p);
std::vector<fs::path> FolderEntries(const fs::path &folder);

inline LPCSTR SystemFolder() { return (LPCSTR)g_SystemFolder; }
inline LPCSTR PrinterDriverFolder() { return (LPCSTR)g_PrinterDriverFolder; }

class Deployment : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // The machine's printer-driver folder on the host, and a file in it.
    fs::path DriverFolder() const;
    fs::path Target(const std::string &name) const { return DriverFolder() / name; }
    // The medium: the current folder; records name their files under "src\".
    fs::path Medium(const std::string &name) const { return dir_.path() / "medium" / "src" / name; }
    // A new transcript for the next case of a test.
    void RestartTranscript() {
        transcript_.reset();
        transcript_ = std::make_unique<hosttest::Transcript>();
        events_read_ = false;
    }
    // The transcript's events of one kind; all of them for "".
    std::vector<Value> Events(const std::string &kind);

    testrun::TempDir dir_;
    w32h::Config saved_;
    fs::path saved_folder_;
    std::unique_ptr<hosttest::Transcript> transcript_;
    std::vector<Value> events_;
    bool events_read_ = false;
};

// "win32host lock PATH" in another process, on this test's machine.
class LockingProcess : public testrun::LockingProcess {
public:
    explicit LockingProcess(const std::string &windows_path)
        : testrun::LockingProcess(WIN32HOST_TOOL, windows_path, w32h::config().prefix, "nt40") {}
};

}  // namespace deploytest
