// test_every_row.cpp - SetupOrdane's four operations end to end on every
// platform row, on a fresh machine and over an installed printer, a medium of
// other sizes included.

#include "operations.h"

namespace operations {
namespace {

class EveryRow : public ::testing::TestWithParam<Row> {};

TEST_P(EveryRow, CompleteSetupOnAFreshMachineCopiesRegistersAndCompletes) {
    const Row &row = GetParam();
    Machine m(row);
    Result r = m.run(kCompleteSetup, script_for(row, kCompleteSetup, false));
    EXPECT_EQ(expected_setup(row, kCompleteSetup, false), r.outline()) << r.error_output;
    if (!row.lists_ports) return expect_nothing_installed(m, "no port listed");
    expect_installed(m, "fresh");
    EXPECT_EQ(std::vector<std::string>{}, backups(m));
    EXPECT_FALSE(fs::exists(m.prefix() / "restart.log"));
}

TEST_P(EveryRow, CompleteSetupOverAnInstalledPrinterBacksUpAndReplaces) {
    const Row &row = GetParam();
    Machine m(row);
    install(m);
    // Older files in place: each must reach its backup, the medium's copy its name.
    for (const auto &f : row.files) std::ofstream(m.driver_folder() / f, std::ios::binary) << "older " << f;
    Result r = m.run(kCompleteSetup, script_for(row, kCompleteSetup, true));
    EXPECT_EQ(expected_setup(row, kCompleteSetup, true), r.outline()) << r.error_output;
    for (const auto &f : row.files) {
        if (!row.lists_ports) {  // cancelled: nothing changed
            EXPECT_EQ("older " + f, read(m.driver_folder() / f)) << f;
            continue;
        }
        EXPECT_EQ("older " + f, read(m.driver_folder() / backup_name(f))) << f;
    }
    if (row.lists_ports) expect_installed(m, "rerun");
}

TEST_P(EveryRow, SimpleSetupOverInstalledFilesCopiesNothingAndRegistersAgain) {
    const Row &row = GetParam();
    Machine m(row);
    install(m);
    Result r = m.run(kSimpleSetup, script_for(row, kSimpleSetup, true));
    EXPECT_EQ(expected_setup(row, kSimpleSetup, true), r.outline()) << r.error_output;
    expect_installed(m, "simple setup");
    EXPECT_EQ(std::vector<std::string>{}, backups(m));
}

TEST_P(EveryRow, SimpleSetupOnAFreshMachineReportsBothFailuresAndCompletes) {
    const Row &row = GetParam();
    Machine m(row);
    Result r = m.run(kSimpleSetup, script_for(row, kSimpleSetup, false));
    Lines expected = expected_setup(row, kSimpleSetup, false);
    if (row.lists_ports)
        expected.insert(expected.end() - 3,
                        {box_line(kSetupFailure, "Printer driver setup has failed for reason 2...", "ok"),
                         box_line(kSetupFailure, "Printer setup has failed for reason 1797...", "ok")});
    EXPECT_EQ(expected, r.outline()) << r.error_output;
    expect_nothing_installed(m, "simple setup, no files");
}

// ---- a medium of other sizes ----

// The installed driver's files, as the spooler names them: each must hold
// its file of the medium byte for byte.
void expect_registered_files_match_the_medium(Machine &m, const std::string &context) {
    testjson::Value spooler = m.spooler();
    const testjson::Value *driver = find_named(spooler["drivers"], "Ordane Garnet");
    ASSERT_TRUE(driver) << context;
    std::vector<std::string> paths = {(*driver)["driver"].s, (*driver)["data"].s, (*driver)["config"].s};
    for (const auto &d : (*driver)["dependent"].items) paths.push_back(d.s);
    for (const std::string &path : paths)
        EXPECT_TRUE(read(m.medium_file(path.substr(path.rfind('\\') + 1))) == read(m.host_path(path)))
            << context << ": " << path;
}

// Every copy dialog's bar ends full; that of the file of `large` bytes has
// the range it was given: the size itself, or the size cut to 15 bits where
// the common controls know only a 16-bit range (Windows 95).
void expect_every_bar_ends_full(const Result &r, long long large) {
    long long cut = large;
    while (cut > 0x7FFF) cut >>= 1;
    int large_seen = 0;
    for (const auto &e : r.of("enddialog")) {
        if (e["template"].n != 602) continue;
        auto [pos, max] = testrun::progress_of(e);
        EXPECT_EQ(max, pos) << "a copy's bar ends at its end";
        large_seen += max == large || max == cut;
    }
    EXPECT_EQ(r.of("enddialog").size() > 2, large_seen > 0) << "the large file's range";
}

// An empty file, one byte, a whole number of copy blocks and a large file in
// place of the medium's own (the NT data file keeps the forms it declares).
void write_medium_of_other_sizes(Machine &m) {
    const size_t sizes[] = {(1 << 20) + 3, 0, 1, 1, 4096};
    const Row &row = m.row();
    for (size_t i = 0; i < row.files.size(); ++i) {
        if (row.files[i] == "Ordane.ini") continue;
        std::string bytes(sizes[i], '\0');
        for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>(k * 13 + i);
        std::ofstream(m.medium_file(row.files[i]), std::ios::binary | std::ios::trunc) << bytes;
    }
}

// Set up, set up again over it (every file backed up), then removed.
TEST_P(EveryRow, AMediumOfOtherSizesGoesThroughTheWholeJob) {
    const Row &row = GetParam();
    Machine m(row);
    write_medium_of_other_sizes(m);
    for (bool installed : {false, true}) {
        Result r = m.run(kCompleteSetup, script_for(row, kCompleteSetup, installed));
        EXPECT_EQ(expected_setup(row, kCompleteSetup, installed), r.outline()) << r.error_output;
        expect_every_bar_ends_full(r, (1 << 20) + 3);
        if (!row.lists_ports) continue;
        expect_installed(m, installed ? "rerun" : "first setup");
        expect_registered_files_match_the_medium(m, installed ? "rerun" : "first setup");
    }
    if (!row.lists_ports) install(m);
    for (const auto &f : row.lists_ports ? row.files : std::vector<std::string>{})
        EXPECT_EQ(read(m.medium_file(f)), read(m.driver_folder() / backup_name(f))) << f;
    Result r = m.run(kCompleteDeletion, script_for(row, kCompleteDeletion, true));
    EXPECT_EQ(expected_removal(row, kCompleteDeletion, true, true), r.outline()) << r.error_output;
    expect_nothing_installed(m, "complete deletion");
}

// ---- deletion ----

// The data file as the spooler reports it, which driver removal deletes in complete deletion only.
fs::path installed_data_file(Machine &m) {
    testjson::Value spooler = m.spooler();
    const testjson::Value *driver = find_named(spooler["drivers"], "Ordane Garnet");
    EXPECT_TRUE(driver);
    return driver ? m.host_path((*driver)["data"].s) : fs::path();
}

TEST_P(EveryRow, CompleteDeletionRemovesPrinterDriverAndFlaggedFilesThenRestarts) {
    const Row &row = GetParam();
    Machine m(row);
    install(m);
    fs::path data_file = installed_data_file(m);
    ASSERT_TRUE(fs::exists(data_file)) << data_file;
    Result r = m.run(kCompleteDeletion, script_for(row, kCompleteDeletion, true));
    EXPECT_EQ(expected_removal(row, kCompleteDeletion, true, true), r.outline()) << r.error_output;
    expect_nothing_installed(m, "complete deletion");
    for (const auto &f : row.files) {
        bool gone = std::find(row.removed.begin(), row.removed.end(), f) != row.removed.end() ||
                    m.driver_folder() / f == data_file;
        EXPECT_EQ(!gone, fs::exists(m.driver_folder() / f)) << f;
    }
    EXPECT_FALSE(fs::exists(data_file)) << data_file;
    EXPECT_NE(std::string::npos, m.restart_log().find(row.nt ? " InitiateSystemShutdownA\n" : " ExitWindowsEx\n"));
}

TEST_P(EveryRow, SimpleDeletionKeepsEveryFileAndStillOffersTheRestart) {
    const Row &row = GetParam();
    Machine m(row);
    install(m);
    fs::path data_file = installed_data_file(m);
    Result r = m.run(kSimpleDeletion, script_for(row, kSimpleDeletion, true, false));
    EXPECT_EQ(expected_removal(row, kSimpleDeletion, true, false), r.outline()) << r.error_output;
    expect_nothing_installed(m, "simple deletion");
    for (const auto &f : row.files) EXPECT_EQ(read(m.medium_file(f)), read(m.driver_folder() / f)) << f;
    EXPECT_TRUE(fs::exists(data_file)) << data_file;
    EXPECT_FALSE(fs::exists(m.prefix() / "restart.log")) << "No asks for no restart";
}

TEST_P(EveryRow, DeletionOnAFreshMachineStopsAtTheMissingPrinter) {
    const Row &row = GetParam();
    for (Mode mode : {kCompleteDeletion, kSimpleDeletion}) {
        Machine m(row);
        Result r = m.run(mode, script_for(row, mode, false));
        EXPECT_EQ(expected_removal(row, mode, false, false), r.outline()) << r.error_output;
        EXPECT_FALSE(fs::exists(m.prefix() / "restart.log"));
    }
}

INSTANTIATE_TEST_SUITE_P(Operations, EveryRow, ::testing::ValuesIn(all_rows()), [](const auto &info) {
    std::string name = info.param.label;
    for (char &c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

}  // namespace
}  // namespace operations
