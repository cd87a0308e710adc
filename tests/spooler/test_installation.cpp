// test_installation.cpp - the silent clean-up, driver registration and printer
// creation as the spooler receives them: the dependent-files lists of both
// families, the new printer's fields, and messages 128 and 132 with the
// spooler's number under caption string 100.
#include "spooler_fixture.h"

namespace {

using namespace spoolertest;
using testrun::kSetupFailure;

class Installation : public SpoolerProgram {
protected:
    // The driver a registration leaves on that Windows, its files deployed first.
    std::optional<w32h::spool::Driver> register_on(const char *winver, LONG platform) {
        use_version(winver);
        deploy_files(platform);
        EXPECT_EQ(1, RegisterPrinterDriver(nullptr, platform));
        return driver();
    }
};

TEST_F(Installation, SilentCleanUpOnAFreshMachineShowsAndChangesNothing) {
    EXPECT_EQ(Lines{}, boxes_answered("", [] { RunSilentCleanUp(); }));
    w32h::spool::Transaction t;
    EXPECT_TRUE(t.printers().empty());
    EXPECT_TRUE(t.drivers().empty());
    EXPECT_EQ(8u, t.ports().size());
}

// The driver can only go once no printer uses it: deleting the driver first
// would leave it in place.
TEST_F(Installation, SilentCleanUpDeletesThePrinterThenTheDriver) {
    install(PLATFORM_WINNT50);
    EXPECT_EQ(Lines{}, boxes_answered("", [] { RunSilentCleanUp(); }));
    EXPECT_FALSE(printer());
    EXPECT_FALSE(driver());
    EXPECT_EQ(std::string(), w32h::host_leftovers());  // the printer handle was closed
}

TEST_F(Installation, Windows95DriverHasItsHelpFileAndThreeDependentFiles) {
    auto d = register_on("win95", PLATFORM_WIN95);
    ASSERT_TRUE(d);
    const std::string folder = "C:\\WINDOWS\\SYSTEM\\";
    EXPECT_EQ("Windows 4.0", d->environment);
    EXPECT_EQ(folder + "Pavo.drv", d->driver);
    EXPECT_EQ(folder + "Pavo.drv", d->data);
    EXPECT_EQ(folder + "Pavo.drv", d->config);
    EXPECT_EQ(folder + "ordanef.hlp", d->help.value_or("none"));
    EXPECT_EQ((std::vector<std::string>{folder + "Pavo.drv", folder + "Ordanef.hlp", folder + "Ordanea.hlp"}),
              d->dependent);
    EXPECT_EQ("RAW", d->datatype.value_or("none"));
    EXPECT_FALSE(d->monitor);
}

TEST_F(Installation, NtDriverHasNoHelpFileAndFiveDependentFiles) {
    auto d = register_on("nt40", PLATFORM_WINNT40);
    ASSERT_TRUE(d);
    const std::string folder = "C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\2\\";
    EXPECT_EQ(folder + "PavoGI.dll", d->driver);
    EXPECT_EQ(folder + "Ordane.ini", d->data);
    EXPECT_EQ(folder + "PavoUI.dll", d->config);
    EXPECT_FALSE(d->help);
    EXPECT_EQ((std::vector<std::string>{folder + "PavoGI.dll", folder + "Ordane.ini", folder + "PavoUI.dll",
                                        folder + "Ordanef.hlp", folder + "Ordanea.hlp"}),
              d->dependent);
    EXPECT_EQ("RAW", d->datatype.value_or("none"));
}

TEST_F(Installation, PrinterIsLocalQueuedRawOnlyAndNotShared) {
    install(PLATFORM_WINNT50, "COM2:");
    auto p = printer();
    ASSERT_TRUE(p);
    EXPECT_EQ("COM2:", p->port);
    EXPECT_EQ("Ordane Garnet", p->driver);
    EXPECT_EQ("Ordane Garnet", p->comment.value_or("none"));
    EXPECT_EQ("winprint", p->processor);
    EXPECT_EQ("RAW", p->datatype.value_or("none"));
    EXPECT_EQ(0x1041u, p->attributes);
    EXPECT_FALSE(p->share);
    EXPECT_FALSE(p->location);
    EXPECT_FALSE(p->sepfile);
    EXPECT_FALSE(p->parameters);
    EXPECT_EQ(0u, p->priority + p->default_priority + p->start_time + p->until_time);
    // The sample driver's set-up declares the card format.
    EXPECT_EQ(std::vector<std::string>{"Card"}, form_names());
    EXPECT_EQ(std::string(), w32h::host_leftovers());
}

TEST_F(Installation, RefusedDriverShowsMessage128WithTheSpoolersNumber) {
    EXPECT_EQ(Lines{box_line(kSetupFailure, "Printer driver setup has failed for reason 2...", "ok")},
              boxes_answered("ok\n", [] {
                  EXPECT_EQ(0, RegisterPrinterDriver(nullptr, PLATFORM_WINNT50));  // no files in place
              }));
    EXPECT_FALSE(driver());
}

TEST_F(Installation, RefusedPrinterShowsMessage132AndKeepsTheDriver) {
    deploy_files(PLATFORM_WINNT50);
    ASSERT_EQ(1, RegisterPrinterDriver(nullptr, PLATFORM_WINNT50));
    EXPECT_EQ(Lines{box_line(kSetupFailure, "Printer setup has failed for reason 1796...", "ok")},
              boxes_answered("ok\n", [] { EXPECT_EQ(0, CreateLocalPrinter(nullptr, PLATFORM_WINNT50, "LPT9:")); }));
    EXPECT_FALSE(printer());
    EXPECT_TRUE(driver());
}

TEST_F(Installation, InjectedSpoolerErrorIsShownInDecimal) {
    deploy_files(PLATFORM_WINNT50);
    ASSERT_FALSE(w32h::parse_fail_rules("AddPrinterDriverA=4294967295"));
    EXPECT_EQ(Lines{box_line(kSetupFailure, "Printer driver setup has failed for reason 4294967295...", "ok")},
              boxes_answered("ok\n", [] { EXPECT_EQ(0, RegisterPrinterDriver(nullptr, PLATFORM_WINNT50)); }));
}

}  // namespace
