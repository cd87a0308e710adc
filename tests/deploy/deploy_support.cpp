// deploy_support.cpp - the fixture of the deployment tests and their host-side
// file helpers: each test gets a machine of its own, the medium folder as
// current folder, its target folders, and a fixed time zone.
#include "deploy_support.h"

#include <sys/time.h>

#include <cstdlib>

namespace deploytest {

std::string read_host(const fs::path &p) {
    if (!fs::exists(p)) return "<missing>";
    return testrun::read_file(p);
}

void write_host(const fs::path &p, const std::string &data) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << data;
}

void set_modified_time(const fs::path &p, time_t utc) {
    struct timespec times[2] = {{utc, 0}, {utc, 0}};
    utimensat(AT_FDCWD, p.c_str(), times, 0);
}

void make_read_only(const fs::path &p) { chmod(p.c_str(), 0444); }

std::vector<fs::path> folder_entries(const fs::path &folder) {
    std::vector<fs::path> out;
    for (const auto &e : fs::directory_iterator(folder)) out.push_back(e.path().filename());
    std::sort(out.begin(), out.end());
    return out;
}

void Deployment::SetUp() {
    FreshMachine::SetUp();
    setenv("TZ", "XYZ-2", 1);
    fs::create_directories(folder() / "medium" / "src");
    saved_folder_ = fs::current_path();
    fs::current_path(folder() / "medium");
    g_hInstance = GetModuleHandleA(NULL);
    ASSERT_EQ(1, SetUpTargetFolders());
    g_pszCurrentTargetFolder = target_driver_folder();
    transcript_ = std::make_unique<hosttest::Transcript>();
}

void Deployment::TearDown() {
    transcript_.reset();
    FreeTargetFolders();
    g_pszCurrentTargetFolder = NULL;
    fs::current_path(saved_folder_);
    FreshMachine::TearDown();
}

}  // namespace deploytest
