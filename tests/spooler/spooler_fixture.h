// spooler_fixture.h - what the program's printer registration tests share: a
// fresh machine and spooler store per test for a chosen Windows version, the
// sample medium's driver files put into the printer-driver folder, a scripted
// user, the transcript's message boxes, and the store read back.
#pragma once

#include <winspool.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host_support.h"
#include "machine.h"
#include "platform.h"
#include "program_run.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "spooler_store.h"

namespace spoolertest {

namespace fs = std::filesystem;

struct Box {
    std::string caption, text;
};

class SpoolerProgram : public ::testing::Test {
protected:
    void SetUp() override {
        g_hInstance = GetModuleHandleA(nullptr);
        use_version("win2000");
    }
    void TearDown() override { w32h::set_config(saved_); }

    void use_version(const char *name) {
        w32h::Config cfg = saved_;
        cfg.prefix = (dir_.path() / "prefix").string();
        cfg.winver = *w32h::parse_windows_version(name);
        w32h::set_config(cfg);
    }
    std::string driver_folder() const { return w32h::machine_folders().printer_driver; }
    fs::path host(const std::string &windows_path) const { return w32h::to_host_path(windows_path); }

    // The platform's driver files, from the sample medium, as the deployment
    // pass would leave them in the printer-driver folder.
    void deploy_files(LONG platform) {
        for (const FileRecord *f = g_PlatformTable[platform].pPrinterDriverFolderFiles; f->pszFileName; ++f) {
            std::string folder = std::string(f->pszSourceFolder);
            folder.pop_back();  // the trailing backslash
            fs::copy_file(fs::path(SETUPORDANE_MEDIUM) / folder / f->pszFileName,
                          host(driver_folder() + "\\" + f->pszFileName), fs::copy_options::overwrite_existing);
        }
    }
    // Driver and printer as a complete setup leaves them.
    void install(LONG platform, const char *port = "LPT1:") {
        deploy_files(platform);
        ASSERT_EQ(1, RegisterPrinterDriver(nullptr, platform));
        ASSERT_EQ(1, CreateLocalPrinter(nullptr, platform, port));
    }

    std::optional<w32h::spool::Printer> printer(const std::string &name = "Ordane Garnet") {
        return w32h::spool::Transaction().printer(name);
    }
    std::optional<w32h::spool::Driver> driver() {
        return w32h::spool::Transaction().driver("Ordane Garnet", w32h::spool::host_environment());
    }
    std::vector<std::string> form_names() {
        std::vector<std::string> out;
        for (const auto &f : w32h::spool::Transaction().forms()) out.push_back(f.name);
        return out;
    }

    static std::vector<Box> boxes(hosttest::Transcript &transcript) {
        std::vector<Box> out;
        for (const auto &e : transcript.events())
            if (e["event"].s == "messagebox") out.push_back({e["caption"].s, e["text"].s});
        return out;
    }

    testrun::TempDir dir_;
    w32h::Config saved_ = w32h::config();
};

}  // namespace spoolertest
