// deploy_support.cpp - the fixture of the deployment tests: each test gets a
// machine of its own (Windows NT 4.0, a fixed time zone of UTC+2 without
// summer time), the medium folder as current folder, and its target folders.
#include "deploy_support.h"

#include <sys/time.h>

#include <cstdlib>

namespace deploytest {

std::string ReadHost(const fs::path &p) {
    if (!fs::exists(p)) return "<missing>";
    return testrun::read_file(p);
}

void WriteHost(const fs::path &p, const std::string &data) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << data;
}

void SetModifiedTime(const fs::path &p, time_t utc) {
    struct timespec times[2] = {{utc, 0}, {utc, 0}};
    utimensat(AT_FDCWD, p.c_str(), times, 0);
}

void MakeReadOnly(const fs::path &p) { chmod(p.c_str(), 0444); }

std::vector<fs::path> FolderEntries(const fs::path &folder) {
    std::vector<fs::path> out;
    for (const auto &e : fs::directory_iterator(folder)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

void Deployment::SetUp() {
    saved_ = w32h::config();
    w32h::Config cfg = saved_;
    cfg.prefix = (dir_.path() / "machine").string();
    cfg.winver = *w32h::parse_windows_version("nt40");
    w32h::set_config(cfg);
    w32h::parse_fail_rules("");
    setenv("TZ", "XYZ-2", 1);
    fs::create_directories(dir_.path() / "medium" / "src");
    saved_folder_ = fs::current_path();
    fs::current_path(dir_.path() / "medium");
    g_hInstance = GetModuleHandleA(NULL);
    ASSERT_EQ(1, SetUpTargetFolders());
    g_pszCurrentTargetFolder = PrinterDriverFolder();
    transcript_ = std::make_unique<hosttest::Transcript>();
}

void Deployment::TearDown() {
    transcript_.reset();
    w32h::parse_fail_rules("");
    FreeTargetFolders();
    g_pszCurrentTargetFolder = NULL;
    fs::current_path(saved_folder_);
    w32h::set_config(saved_);
}

fs::path Deployment::DriverFolder() const {
    return dir_.path() / "machine" / "drive_c" / "WINNT" / "system32" / "spool" / "DRIVERS" / "W32X86";
}

std::vector<Value> Deployment::Events(const std::string &kind) {
    if (!events_read_) events_ = transcript_->events();
    events_read_ = true;
    std::vector<Value> out;
    for (const Value &e : events_)
        if (kind.empty() || e["event"].s == kind) out.push_back(e);
    return out;
}

}  // namespace deploytest
