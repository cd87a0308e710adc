// test_removal.cpp - printer removal and driver removal: the data file path
// the spooler reports, the form "Card" on the NT family only, messages 142,
// 144, 148 and 158 under caption string 160, and the data file deleted only
// in a complete deletion and only when the spooler told where it lies.
#include <algorithm>
#include <cstring>

#include "spooler_fixture.h"
#include "spooler_records.h"

namespace {

using namespace spoolertest;
using testrun::kDeletionFailure;

class Removal : public SpoolerProgram {
protected:
    void SetUp() override {
        SpoolerProgram::SetUp();
        std::strcpy(path_, "untouched");
    }
    void remove_form(const char *name) {
        w32h::spool::Transaction t;
        t.remove_form(name);
        t.commit();
    }
    // The files of the spooler's version folder (NT) or printer-driver folder.
    std::vector<std::string> files_in(const std::string &windows_folder) {
        std::vector<std::string> out;
        for (const auto &e : fs::directory_iterator(host(windows_folder)))
            if (e.is_regular_file()) out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }

    char path_[DATA_FILE_PATH_SIZE];
};

TEST_F(Removal, WithoutThePrinterStopsAtStepOneAndTouchesNothing) {
    deploy_files(PLATFORM_WINNT50);
    ASSERT_EQ(1, RegisterPrinterDriver(nullptr, PLATFORM_WINNT50));
    EXPECT_EQ(Lines{box_line(kDeletionFailure, "Printer deletion has failed for reason 1801 step 1...", "ok")},
              boxes_answered("ok\n", [&] { EXPECT_EQ(0, RemovePrinter(nullptr, path_, PLATFORM_WINNT50)); }));
    EXPECT_STREQ("untouched", path_);
    EXPECT_TRUE(driver());
}

TEST_F(Removal, NtFamilyDeletesPrinterAndFormAndNotesTheDataFile) {
    install(PLATFORM_WINNT50);
    EXPECT_EQ(Lines{}, boxes_answered("", [&] { EXPECT_EQ(1, RemovePrinter(nullptr, path_, PLATFORM_WINNT50)); }));
    EXPECT_STREQ("C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\3\\Ordane.ini", path_);
    EXPECT_FALSE(printer());
    EXPECT_TRUE(form_names().empty());
    EXPECT_EQ(std::string(), w32h::host_leftovers());
}

TEST_F(Removal, Windows95KeepsTheFormAndNeverShows158) {
    use_version("win95");
    install(PLATFORM_WIN95);
    {
        w32h::spool::Transaction t;
        t.add_form({"Card", FORM_USER, 85600, 53980, 0, 0, 85600, 53980});
        t.commit();
    }
    EXPECT_EQ(Lines{}, boxes_answered("", [&] { EXPECT_EQ(1, RemovePrinter(nullptr, path_, PLATFORM_WIN95)); }));
    EXPECT_STREQ("C:\\WINDOWS\\SYSTEM\\Pavo.drv", path_);
    EXPECT_EQ(std::vector<std::string>{"Card"}, form_names());
}

TEST_F(Removal, MissingFormShows158AndRemovalGoesOn) {
    install(PLATFORM_WINNT40);
    remove_form("Card");
    EXPECT_EQ(Lines{box_line(kDeletionFailure,
                             "Paper format created for printer has not been deleted from the system...", "ok")},
              boxes_answered("ok\n", [&] {
                  EXPECT_EQ(1, RemovePrinter(nullptr, path_, PLATFORM_WINNT40));
                  EXPECT_EQ(1, RemoveDriver(nullptr, 0, path_));
              }));
    EXPECT_FALSE(printer());
    EXPECT_FALSE(driver());
}

TEST_F(Removal, RefusedPrinterDeletionShows144AndClosesTheHandle) {
    install(PLATFORM_WINNT50);
    ASSERT_FALSE(w32h::parse_fail_rules("DeletePrinter=5"));
    EXPECT_EQ(Lines{box_line(kDeletionFailure, "Printer deletion has failed for reason 5 step 2...", "ok")},
              boxes_answered("ok\n", [&] { EXPECT_EQ(0, RemovePrinter(nullptr, path_, PLATFORM_WINNT50)); }));
    EXPECT_TRUE(printer());
    EXPECT_EQ(std::string(), w32h::host_leftovers());
}

TEST_F(Removal, CompleteDeletionDeletesTheReportedDataFileOnly) {
    install(PLATFORM_WINNT50);
    const std::string version_folder = driver_folder() + "\\3";
    ASSERT_EQ(1, RemovePrinter(nullptr, path_, PLATFORM_WINNT50));
    ASSERT_EQ(1, RemoveDriver(nullptr, 1, path_));
    EXPECT_FALSE(driver());
    EXPECT_EQ((std::vector<std::string>{"Ordanea.hlp", "Ordanef.hlp", "PavoGI.dll", "PavoUI.dll"}),
              files_in(version_folder));
    EXPECT_TRUE(fs::exists(host(driver_folder() + "\\Ordane.ini")));  // the deployed copy is the passes' business
}

TEST_F(Removal, SimpleDeletionLeavesTheDataFile) {
    install(PLATFORM_WINNT50);
    ASSERT_EQ(1, RemovePrinter(nullptr, path_, PLATFORM_WINNT50));
    ASSERT_EQ(1, RemoveDriver(nullptr, 0, path_));
    EXPECT_FALSE(driver());
    EXPECT_TRUE(fs::exists(host(path_)));
}

TEST_F(Removal, DriverInUseShows148AndTheDataFileStays) {
    install(PLATFORM_WINNT50);
    PRINTER_INFO_2A other = testrun::printer_record("Second Garnet", "Ordane Garnet", "LPT2:");
    HANDLE second = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&other));
    ASSERT_NE(nullptr, second);
    ClosePrinter(second);
    ASSERT_EQ(1, RemovePrinter(nullptr, path_, PLATFORM_WINNT50));
    EXPECT_EQ(Lines{box_line(kDeletionFailure, "Printer driver deletion has failed for reason 3001...", "ok")},
              boxes_answered("ok\n", [&] { EXPECT_EQ(0, RemoveDriver(nullptr, 1, path_)); }));
    EXPECT_TRUE(fs::exists(host(path_)));
    EXPECT_TRUE(driver());
}

TEST_F(Removal, UnknownDataFileDeletesNothingExtra) {
    install(PLATFORM_WINNT50);
    const std::string version_folder = driver_folder() + "\\3";
    auto before = files_in(version_folder);
    ASSERT_FALSE(w32h::parse_fail_rules("GetPrinterDriverA#2"));
    ASSERT_EQ(1, RemovePrinter(nullptr, path_, PLATFORM_WINNT50));
    EXPECT_STREQ("", path_);
    ASSERT_EQ(1, RemoveDriver(nullptr, 1, path_));
    EXPECT_EQ(before, files_in(version_folder));
    EXPECT_FALSE(driver());
}

}  // namespace
