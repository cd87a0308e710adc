// fresh_machine.h - the one fixture of a test that calls win32host in its own
// process on a machine of its own: a new prefix in a folder of the test's, the
// Windows version asked for, and the host configured as before once the test
// ends. Nothing is made on disk until the test uses drive C: or the spooler.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "host.h"
#include "machine.h"
#include "program_run.h"

namespace hosttest {

class FreshMachine : public ::testing::Test {
protected:
    explicit FreshMachine(const char *winver = "win2000") : winver_(winver) {}
    void SetUp() override { use_version(winver_); }
    void TearDown() override {
        w32h::parse_fail_rules("");
        w32h::set_config(saved_);
    }

    // The same prefix, seen as another Windows version from now on.
    void use_version(const char *winver) {
        w32h::Config cfg = saved_;
        cfg.prefix = prefix().string();
        cfg.winver = *w32h::parse_windows_version(winver);
        w32h::set_config(cfg);
    }
    std::filesystem::path folder() const { return dir_.path(); }
    std::filesystem::path prefix() const { return dir_.path() / "prefix"; }
    std::filesystem::path drive_c() const { return prefix() / "drive_c"; }
    // The host file of a Windows path; drive C: is made on first use.
    std::filesystem::path host(const std::string &windows_path) const { return w32h::to_host_path(windows_path); }
    // The printer-driver folder as Windows names it, and a file in it on the host.
    std::string driver_folder() const { return w32h::machine_folders().printer_driver; }
    std::filesystem::path driver_file(const std::string &name) const { return host(driver_folder() + "\\" + name); }
    void put_driver_file(const std::string &name, const std::string &bytes) const {
        std::ofstream(driver_file(name), std::ios::binary | std::ios::trunc) << bytes;
    }

private:
    const char *winver_;
    testrun::TempDir dir_;
    w32h::Config saved_ = w32h::config();
};

}  // namespace hosttest
