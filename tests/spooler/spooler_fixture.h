// spooler_fixture.h - what the program's printer registration tests share: a
// fresh machine and spooler store per test, the sample medium's driver files
// put into the printer-driver folder as a deployment pass leaves them, and the
// spooler's printer, driver and forms read back.
#pragma once

#include <winspool.h>

#include <string>
#include <vector>

#include "fresh_machine.h"
#include "host_support.h"
#include "platform.h"
#include "program_texts.h"
#include "setup_ordane.h"
#include "spooler.h"
#include "spooler_store.h"

namespace spoolertest {

namespace fs = std::filesystem;
using hosttest::boxes_answered;
using testrun::box_line;
using testrun::Lines;

class SpoolerProgram : public hosttest::FreshMachine {
protected:
    void SetUp() override {
        FreshMachine::SetUp();
        g_hInstance = GetModuleHandleA(nullptr);
    }

    // The platform's driver files, from the sample medium.
    void deploy_files(LONG platform) {
        for (const FileRecord *f = g_PlatformTable[platform].pPrinterDriverFolderFiles; f->pszFileName; ++f) {
            std::string folder = std::string(f->pszSourceFolder);
            folder.pop_back();  // the trailing backslash
            fs::copy_file(fs::path(SETUPORDANE_MEDIUM) / folder / f->pszFileName, driver_file(f->pszFileName),
                          fs::copy_options::overwrite_existing);
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
};

}  // namespace spoolertest
