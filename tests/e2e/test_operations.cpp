// test_operations.cpp - SetupOrdane's four operations end to end over
// win32host, the built program run as a process with the script front-end:
// every mode on every platform row, on a fresh machine and over an installed
// printer, checked through the transcript, the driver folder against the
// medium, the backups, the spooler's state, restart.log and the exit code;
// then the failure paths and answers of setup, removal and restart.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "modes.h"
#include "program_run.h"

namespace {

namespace fs = std::filesystem;
using testrun::Result;

// ---- the platform rows ------------------------------------------------------

struct Row {
    const char *label;
    const char *winver;  // WIN32HOST_WINVER of the machine
    const char *os;      // the /OS= option, or nullptr to detect
    const char *display;
    bool nt;  // NT-family row: restart through the token
    const char *medium_folder;
    std::vector<std::string> files;    // printer-driver folder list, in order
    std::vector<std::string> removed;  // the records with the remove flag
    // The spooler lists ports at level 2: not on NT 3.51, where the port
    // selection stays empty and setup cannot be made.
    bool lists_ports = true;
};

const std::vector<std::string> kWin95Files = {"Pavo.drv", "Ordanef.hlp", "Ordanea.hlp"};
const std::vector<std::string> kWin98Files = {"Pavo.drv", "Ordanea.hlp", "Ordanef.hlp"};
const std::vector<std::string> kNtFiles = {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"};
const std::vector<std::string> kNtRemoved = {"Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"};

const Row kRows[] = {
    {"WIN95", "win95", "/OS=WIN95", "Windows 95", false, "Win95-98", kWin95Files, {"Ordanef.hlp", "Ordanea.hlp"}},
    {"WIN98", "win98", "/OS=WIN98", "Windows 98", false, "Win95-98", kWin98Files, {"Ordanea.hlp", "Ordanef.hlp"}},
    {"WINNT351", "nt351", "/OS=WINNT351", "Windows NT 3.51", true, "Nt4.0", kNtFiles, kNtRemoved, false},
    {"WINNT40", "nt40", "/OS=WINNT40", "Windows NT 4.0", true, "Nt4.0", kNtFiles, kNtRemoved},
    {"WINNT50", "win2000", "/OS=WINNT50", "Windows 2000", true, "Nt4.0", kNtFiles, kNtRemoved},
    {"detected 95", "win95", nullptr, "Windows 95", false, "Win95-98", kWin95Files, {"Ordanef.hlp", "Ordanea.hlp"}},
    {"detected 98", "win98", nullptr, "Windows 98", false, "Win95-98", kWin98Files, {"Ordanea.hlp", "Ordanef.hlp"}},
    {"detected NT 4.0", "nt40", nullptr, "Windows NT 4.0", true, "Nt4.0", kNtFiles, kNtRemoved},
    {"detected 2000", "win2000", nullptr, "Windows 2000", true, "Nt4.0", kNtFiles, kNtRemoved},
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.label; }

const Row &RowNamed(const std::string &label) {
    for (const Row &r : kRows)
        if (label == r.label) return r;
    throw std::runtime_error("no row " + label);
}

// ---- modes ------------------------------------------------------------------

const char *ConfirmationOf(Mode m) {
    switch (m) {
    case kCompleteSetup:
        return "Please confirm complete setup of : Ordane Driver";
    case kSimpleSetup:
        return "Please confirm simple setup of : Ordane Driver";
    case kCompleteDeletion:
        return "Please confirm complete deletion of : Ordane Driver";
    default:
        return "Please confirm simple deletion of : Ordane Driver";
    }
}

bool IsSetup(Mode m) { return m == kCompleteSetup || m == kSimpleSetup; }

// ---- the machine a run works on ------------------------------------------------

std::string Read(const fs::path &p) { return testrun::read_file(p); }

class Machine {
public:
    // Each machine runs from its own copy of the medium: the copy dialog opens
    // its source without sharing, so parallel runs on one medium would meet
    // sharing violations, as two setups at once would on Windows.
    explicit Machine(const Row &row) : row_(row) {
        fs::copy(SETUPORDANE_MEDIUM, medium_, fs::copy_options::recursive);
    }

    Result Run(Mode mode, const std::string &script, std::map<std::string, std::string> env = {},
               std::vector<std::string> extra = {}) {
        testrun::Run run;
        run.program = SETUPORDANE_EXE;
        run.folder = medium_.string();
        if (row_.os) run.args.push_back(row_.os);
        if (OptionOf(mode)) run.args.push_back(OptionOf(mode));
        run.args.insert(run.args.end(), extra.begin(), extra.end());
        run.script = script;
        run.env = {{"WIN32HOST_PREFIX", prefix().string()}, {"WIN32HOST_WINVER", row_.winver}};
        for (const auto &[k, v] : env) run.env[k] = v;
        return testrun::run_program(run);
    }

    fs::path prefix() const { return dir_.path() / "machine"; }
    const Row &row() const { return row_; }
    fs::path DriverFolder() const {
        bool nt = std::string(row_.winver).rfind("win9", 0) != 0;
        return nt ? prefix() / "drive_c" / "WINNT" / "system32" / "spool" / "DRIVERS" / "W32X86"
                  : prefix() / "drive_c" / "WINDOWS" / "SYSTEM";
    }
    fs::path MediumFile(const std::string &name) const { return medium_ / row_.medium_folder / name; }
    std::string RestartLog() const { return Read(prefix() / "restart.log"); }
    // The host path of a path on drive C: as the spooler reports it.
    fs::path HostPath(std::string windows_path) const {
        std::replace(windows_path.begin(), windows_path.end(), '\\', '/');
        return prefix() / "drive_c" / windows_path.substr(3);
    }

    // The spooler as `win32host spooler list` shows it; nothing at all on a
    // machine that no run has made.
    testjson::Value Spooler() const {
        if (!fs::exists(prefix())) return testjson::parse("{}");
        std::string command = std::string("env -i WIN32HOST_PREFIX=") + prefix().string() +
                              " WIN32HOST_WINVER=" + row_.winver + " " + WIN32HOST_TOOL + " spooler list";
        FILE *pipe = popen(command.c_str(), "r");
        std::string out;
        char buffer[4096];
        for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
        EXPECT_EQ(0, pipe ? pclose(pipe) : -1) << command;
        return testjson::parse(out);
    }

private:
    const Row &row_;
    testrun::TempDir dir_;
    fs::path medium_ = dir_.path() / "medium";
};

// ---- the transcript in short ----------------------------------------------------

// One line per event: "title T", "box CAPTION | TEXT -> ANSWER", "dialog N",
// "end N=R", "restart METHOD", "exit C"; texts up to their first line break.
std::string FirstLine(const std::string &text) { return text.substr(0, text.find("\r\n")); }

std::vector<std::string> Outline(const Result &r) {
    std::vector<std::string> out;
    for (const auto &e : r.events) {
        const std::string &kind = e["event"].s;
        if (kind == "title")
            out.push_back("title " + e["text"].s);
        else if (kind == "messagebox")
            out.push_back("box " + e["caption"].s + " | " + FirstLine(e["text"].s) + " -> " + e["answer"].s);
        else if (kind == "dialog")
            out.push_back("dialog " + std::to_string(e["template"].n));
        else if (kind == "enddialog")
            out.push_back("end " + std::to_string(e["template"].n) + "=" + std::to_string(e["result"].n));
        else if (kind == "restart")
            out.push_back("restart " + e["method"].s);
        else if (kind == "exit")
            out.push_back("exit " + std::to_string(e["code"].n));
        else
            out.push_back(kind + " " + e["text"].s);
    }
    return out;
}

using Lines = std::vector<std::string>;

void Append(Lines &a, const Lines &b) { a.insert(a.end(), b.begin(), b.end()); }

// ---- scripts and expected outlines ----------------------------------------------

const char *kPort = "LPT1:";
const std::string kChoosePort = std::string("select ") + kPort + ";ok\n";
const char *kSetupFailure = "Ordane Driver setup failure";
const char *kDeletionFailure = "Ordane Driver deletion failure";

Lines Opening(Mode mode) {
    return {"title Ordane Driver setup", std::string("box  | ") + ConfirmationOf(mode) + " -> yes"};
}

Lines CopyDialogs(const Row &row, bool installed) {
    Lines out;
    for (size_t i = 0; i < row.files.size(); ++i) {
        if (installed) Append(out, {"dialog 602", "end 602=1"});  // backup first
        Append(out, {"dialog 602", "end 602=1"});
    }
    return out;
}

// Where no port is listed, OK does nothing and only Cancel leaves.
Lines ExpectedSetup(const Row &row, Mode mode, bool installed) {
    Lines out = Opening(mode);
    if (!row.lists_ports) {
        Append(out, {"dialog 608", "end 608=0", "exit 1"});
        return out;
    }
    Append(out, {"dialog 608", "end 608=1"});
    if (mode == kCompleteSetup) Append(out, CopyDialogs(row, installed));
    Append(out, {"dialog 604", "end 604=1", "exit 1"});
    return out;
}

Lines ExpectedRemoval(const Row &row, Mode mode, bool installed, bool yes) {
    Lines out = Opening(mode);
    out.push_back("title Ordane Driver deletion");
    if (!installed) {
        Append(out, {std::string("box ") + kDeletionFailure +
                         " | Printer deletion has failed for reason 1801 step 1... -> ok",
                     "exit 1"});
        return out;
    }
    Append(out, {"dialog 606", yes ? "end 606=1" : "end 606=0"});
    if (yes) out.push_back(row.nt ? "restart InitiateSystemShutdownA" : "restart ExitWindowsEx");
    out.push_back("exit 1");
    return out;
}

std::string ScriptFor(const Row &row, Mode mode, bool installed, bool yes = true) {
    if (IsSetup(mode) && !row.lists_ports) return "yes\nok\ncancel\n";
    // Simple setup without files: messages 128 and 132 before the completion dialog.
    if (mode == kSimpleSetup && !installed) return "yes\n" + kChoosePort + "ok\nok\nok\n";
    if (IsSetup(mode)) return "yes\n" + kChoosePort + "ok\n";
    return installed ? std::string("yes\n") + (yes ? "yes\n" : "no\n") : "yes\nok\n";
}

// Installs the printer with a complete setup; the medium's files are then in
// place. Where setup cannot be made (NT 3.51), Windows NT 4.0 installs it on
// the same machine, as an earlier installation would have.
void Install(Machine &m) {
    Row as_made = m.row();
    std::map<std::string, std::string> env;
    if (!as_made.lists_ports) env["WIN32HOST_WINVER"] = "nt40", as_made.lists_ports = true;
    Result r = m.Run(kCompleteSetup, ScriptFor(as_made, kCompleteSetup, false), env);
    ASSERT_EQ(1, r.exit_code) << r.error_output << r.transcript;
}

// ---- what is left on the machine ---------------------------------------------------

const testjson::Value *FindNamed(const testjson::Value &list, const std::string &name) {
    for (const auto &item : list.items)
        if (item["name"].s == name) return &item;
    return nullptr;
}

void ExpectInstalled(Machine &m, const Row &row, const std::string &context) {
    for (const auto &f : row.files)
        EXPECT_EQ(Read(m.MediumFile(f)), Read(m.DriverFolder() / f)) << context << ": " << f;
    testjson::Value spooler = m.Spooler();
    const testjson::Value *printer = FindNamed(spooler["printers"], "Ordane Garnet");
    ASSERT_TRUE(printer) << context;
    EXPECT_EQ(kPort, (*printer)["port"].s) << context;
    EXPECT_EQ("Ordane Garnet", (*printer)["driver"].s) << context;
    EXPECT_TRUE(FindNamed(spooler["drivers"], "Ordane Garnet")) << context;
}

void ExpectNothingInstalled(Machine &m, const std::string &context) {
    testjson::Value spooler = m.Spooler();
    EXPECT_FALSE(FindNamed(spooler["printers"], "Ordane Garnet")) << context;
    EXPECT_FALSE(FindNamed(spooler["drivers"], "Ordane Garnet")) << context;
}

std::vector<std::string> Backups(Machine &m) {
    std::vector<std::string> out;
    if (!fs::exists(m.DriverFolder())) return out;
    for (const auto &entry : fs::directory_iterator(m.DriverFolder()))
        if (entry.path().extension() == ".bku") out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string BackupName(const std::string &file) { return fs::path(file).replace_extension(".bku").string(); }

// ---- every mode on every row ----------------------------------------------------------

class EveryRow : public ::testing::TestWithParam<Row> {};

TEST_P(EveryRow, CompleteSetupOnAFreshMachineCopiesRegistersAndCompletes) {
    const Row &row = GetParam();
    Machine m(row);
    Result r = m.Run(kCompleteSetup, ScriptFor(row, kCompleteSetup, false));
    EXPECT_EQ(ExpectedSetup(row, kCompleteSetup, false), Outline(r)) << r.error_output;
    if (!row.lists_ports) return ExpectNothingInstalled(m, "no port listed");
    ExpectInstalled(m, row, "fresh");
    EXPECT_EQ(std::vector<std::string>{}, Backups(m));
    EXPECT_FALSE(fs::exists(m.prefix() / "restart.log"));
}

TEST_P(EveryRow, CompleteSetupOverAnInstalledPrinterBacksUpAndReplaces) {
    const Row &row = GetParam();
    Machine m(row);
    Install(m);
    // Older files in place: each must reach its backup, the medium's copy its name.
    for (const auto &f : row.files) std::ofstream(m.DriverFolder() / f, std::ios::binary) << "older " << f;
    Result r = m.Run(kCompleteSetup, ScriptFor(row, kCompleteSetup, true));
    EXPECT_EQ(ExpectedSetup(row, kCompleteSetup, true), Outline(r)) << r.error_output;
    for (const auto &f : row.files) {
        if (!row.lists_ports) {  // cancelled: nothing changed
            EXPECT_EQ("older " + f, Read(m.DriverFolder() / f)) << f;
            continue;
        }
        EXPECT_EQ("older " + f, Read(m.DriverFolder() / BackupName(f))) << f;
    }
    if (row.lists_ports) ExpectInstalled(m, row, "rerun");
}

TEST_P(EveryRow, SimpleSetupOverInstalledFilesCopiesNothingAndRegistersAgain) {
    const Row &row = GetParam();
    Machine m(row);
    Install(m);
    Result r = m.Run(kSimpleSetup, ScriptFor(row, kSimpleSetup, true));
    EXPECT_EQ(ExpectedSetup(row, kSimpleSetup, true), Outline(r)) << r.error_output;
    ExpectInstalled(m, row, "simple setup");
    EXPECT_EQ(std::vector<std::string>{}, Backups(m));
}

// The installed driver's files, as the spooler names them: each must hold
// its file of the medium byte for byte.
void ExpectRegisteredFilesMatchTheMedium(Machine &m, const std::string &context) {
    testjson::Value spooler = m.Spooler();
    const testjson::Value *driver = FindNamed(spooler["drivers"], "Ordane Garnet");
    ASSERT_TRUE(driver) << context;
    std::vector<std::string> paths = {(*driver)["driver"].s, (*driver)["data"].s, (*driver)["config"].s};
    for (const auto &d : (*driver)["dependent"].items) paths.push_back(d.s);
    for (const std::string &path : paths)
        EXPECT_TRUE(Read(m.MediumFile(path.substr(path.rfind('\\') + 1))) == Read(m.HostPath(path)))
            << context << ": " << path;
}

// Every copy dialog's bar ends full; that of the file of `large` bytes has
// the range it was given: the size itself, or the size cut to 15 bits where
// the common controls know only a 16-bit range (Windows 95).
void ExpectEveryBarEndsFull(const Result &r, long long large) {
    long long cut = large;
    while (cut > 0x7FFF) cut >>= 1;
    int large_seen = 0;
    for (const auto &e : r.events) {
        if (e["event"].s != "enddialog" || e["template"].n != 602) continue;
        long long pos = e["progress"][0].n, max = e["progress"][1].n;
        EXPECT_EQ(max, pos) << "a copy's bar ends at its end";
        large_seen += max == large || max == cut;
    }
    EXPECT_EQ(r.of("enddialog").size() > 2, large_seen > 0) << "the large file's range";
}

// A medium unlike the bundled one: an empty file, one byte, a whole number
// of copy blocks and a large file; set up, set up again over it (every file
// backed up), then removed. The NT data file keeps the forms it declares.
TEST_P(EveryRow, AMediumOfOtherSizesGoesThroughTheWholeJob) {
    const Row &row = GetParam();
    Machine m(row);
    const size_t sizes[] = {(1 << 20) + 3, 0, 1, 1, 4096};
    for (size_t i = 0; i < row.files.size(); ++i) {
        if (row.files[i] == "Ordane.ini") continue;
        std::string bytes(sizes[i], '\0');
        for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>(k * 13 + i);
        std::ofstream(m.MediumFile(row.files[i]), std::ios::binary | std::ios::trunc) << bytes;
    }
    for (bool installed : {false, true}) {
        Result r = m.Run(kCompleteSetup, ScriptFor(row, kCompleteSetup, installed));
        EXPECT_EQ(ExpectedSetup(row, kCompleteSetup, installed), Outline(r)) << r.error_output;
        ExpectEveryBarEndsFull(r, (1 << 20) + 3);
        if (!row.lists_ports) continue;
        ExpectInstalled(m, row, installed ? "rerun" : "first setup");
        ExpectRegisteredFilesMatchTheMedium(m, installed ? "rerun" : "first setup");
    }
    if (!row.lists_ports) Install(m);
    for (const auto &f : row.files) {
        if (!row.lists_ports) continue;
        EXPECT_EQ(Read(m.MediumFile(f)), Read(m.DriverFolder() / BackupName(f))) << f;
    }
    Result r = m.Run(kCompleteDeletion, ScriptFor(row, kCompleteDeletion, true));
    EXPECT_EQ(ExpectedRemoval(row, kCompleteDeletion, true, true), Outline(r)) << r.error_output;
    ExpectNothingInstalled(m, "complete deletion");
}

// The data file as the spooler reports it, which driver removal deletes in complete deletion only.
fs::path InstalledDataFile(Machine &m) {
    testjson::Value spooler = m.Spooler();
    const testjson::Value *driver = FindNamed(spooler["drivers"], "Ordane Garnet");
    EXPECT_TRUE(driver);
    return driver ? m.HostPath((*driver)["data"].s) : fs::path();
}

TEST_P(EveryRow, CompleteDeletionRemovesPrinterDriverAndFlaggedFilesThenRestarts) {
    const Row &row = GetParam();
    Machine m(row);
    Install(m);
    fs::path data_file = InstalledDataFile(m);
    ASSERT_TRUE(fs::exists(data_file)) << data_file;
    Result r = m.Run(kCompleteDeletion, ScriptFor(row, kCompleteDeletion, true));
    EXPECT_EQ(ExpectedRemoval(row, kCompleteDeletion, true, true), Outline(r)) << r.error_output;
    ExpectNothingInstalled(m, "complete deletion");
    for (const auto &f : row.files) {
        bool gone = std::find(row.removed.begin(), row.removed.end(), f) != row.removed.end() ||
                    m.DriverFolder() / f == data_file;
        EXPECT_EQ(!gone, fs::exists(m.DriverFolder() / f)) << f;
    }
    EXPECT_FALSE(fs::exists(data_file)) << data_file;
    EXPECT_NE(std::string::npos, m.RestartLog().find(row.nt ? " InitiateSystemShutdownA\n" : " ExitWindowsEx\n"));
}

TEST_P(EveryRow, SimpleDeletionKeepsEveryFileAndStillOffersTheRestart) {
    const Row &row = GetParam();
    Machine m(row);
    Install(m);
    fs::path data_file = InstalledDataFile(m);
    Result r = m.Run(kSimpleDeletion, ScriptFor(row, kSimpleDeletion, true, false));
    EXPECT_EQ(ExpectedRemoval(row, kSimpleDeletion, true, false), Outline(r)) << r.error_output;
    ExpectNothingInstalled(m, "simple deletion");
    for (const auto &f : row.files) EXPECT_EQ(Read(m.MediumFile(f)), Read(m.DriverFolder() / f)) << f;
    EXPECT_TRUE(fs::exists(data_file)) << data_file;
    EXPECT_FALSE(fs::exists(m.prefix() / "restart.log")) << "No asks for no restart";
}

TEST_P(EveryRow, SimpleSetupOnAFreshMachineReportsBothFailuresAndCompletes) {
    const Row &row = GetParam();
    Machine m(row);
    Result r = m.Run(kSimpleSetup, ScriptFor(row, kSimpleSetup, false));
    Lines expected = Opening(kSimpleSetup);
    if (!row.lists_ports) expected = ExpectedSetup(row, kSimpleSetup, false);
    if (row.lists_ports)
        Append(expected, {"dialog 608", "end 608=1",
                      std::string("box ") + kSetupFailure + " | Printer driver setup has failed for reason 2... -> ok",
                      std::string("box ") + kSetupFailure + " | Printer setup has failed for reason 1797... -> ok",
                      "dialog 604", "end 604=1", "exit 1"});
    EXPECT_EQ(expected, Outline(r)) << r.error_output;
    ExpectNothingInstalled(m, "simple setup, no files");
}

TEST_P(EveryRow, DeletionOnAFreshMachineStopsAtTheMissingPrinter) {
    const Row &row = GetParam();
    for (Mode mode : {kCompleteDeletion, kSimpleDeletion}) {
        Machine m(row);
        Result r = m.Run(mode, ScriptFor(row, mode, false));
        EXPECT_EQ(ExpectedRemoval(row, mode, false, false), Outline(r)) << r.error_output;
        EXPECT_FALSE(fs::exists(m.prefix() / "restart.log"));
    }
}

// ---- setup: what goes on after a failure, and what does not ---------------------------

std::string Box(const char *caption, const std::string &text, const char *answer) {
    return std::string("box ") + caption + " | " + text + " -> " + answer;
}

TEST(SetupOperation, CancelInThePortSelectionChangesNothing) {
    const Row &row = RowNamed("WINNT40");
    Machine m(row);
    Install(m);
    std::ofstream(m.DriverFolder() / "PavoUI.dll", std::ios::binary) << "older";
    Result r = m.Run(kCompleteSetup, "yes\ncancel\n");
    Lines expected = Opening(kCompleteSetup);
    Append(expected, {"dialog 608", "end 608=0", "exit 1"});
    EXPECT_EQ(expected, Outline(r)) << r.error_output;
    EXPECT_EQ("older", Read(m.DriverFolder() / "PavoUI.dll"));
    EXPECT_EQ(std::vector<std::string>{}, Backups(m));
    testjson::Value spooler = m.Spooler();
    const testjson::Value *printer = FindNamed(spooler["printers"], "Ordane Garnet");
    ASSERT_TRUE(printer) << "the earlier printer stays";
    EXPECT_EQ(kPort, (*printer)["port"].s);
}

TEST(SetupOperation, SimpleSetupReplacesTheEarlierPrinterOnTheNewPort) {
    const Row &row = RowNamed("WIN98");
    Machine m(row);
    Install(m);
    Result r = m.Run(kSimpleSetup, "yes\nselect COM2:;ok\nok\n");
    EXPECT_EQ(ExpectedSetup(row, kSimpleSetup, true), Outline(r)) << r.error_output;
    testjson::Value spooler = m.Spooler();
    ASSERT_EQ(1u, spooler["printers"].items.size());
    EXPECT_EQ("COM2:", spooler["printers"][0]["port"].s);
    EXPECT_EQ(std::vector<std::string>{}, Backups(m));
}

// The first file of the list cannot be copied from the medium: No to question
// 27 stops the setup before registration; the silent clean-up has already run.
TEST(SetupOperation, NoToTheCopyQuestionEndsWithoutRegistrationAndTheEarlierPrinterIsGone) {
    const Row &row = RowNamed("WINNT50");
    Machine m(row);
    Install(m);
    fs::remove(m.MediumFile("PavoUI.dll"));
    Result r = m.Run(kCompleteSetup, "yes\n" + kChoosePort + "ok\nno\n");
    Lines outline = Outline(r);
    ASSERT_GE(outline.size(), 3u) << r.error_output;
    EXPECT_EQ(Box("PavoUI.dll", "The file has not been copied on the target folder.", "no"),
              outline[outline.size() - 2]);
    EXPECT_EQ("exit 1", outline.back());
    EXPECT_EQ(outline.end(), std::find(outline.begin(), outline.end(), "dialog 604"));
    EXPECT_EQ(1, std::count(outline.begin(), outline.end(), "end 602=0")) << "only the install copy failed";
    EXPECT_TRUE(fs::exists(m.DriverFolder() / "PavoUI.bku"));
    EXPECT_FALSE(fs::exists(m.DriverFolder() / "PavoGI.bku")) << "the later files are not touched";
    ExpectNothingInstalled(m, "stopped setup");
}

// Simple setup on the real clock: without copy dialogs, only the pause before
// the completion dialog takes a second.
TEST(SetupOperation, FailedDriverRegistrationStillTriesThePrinterAndCompletesAfterASecond) {
    const Row &row = RowNamed("WINNT40");
    Machine m(row);
    auto start = std::chrono::steady_clock::now();
    Result r = m.Run(kSimpleSetup, "yes\n" + kChoosePort + "ok\nok\nok\n",
                     {{"WIN32HOST_FAIL", "AddPrinterDriverA=5"}, {"WIN32HOST_CLOCK", "real"}});
    auto elapsed = std::chrono::steady_clock::now() - start;
    Lines expected = Opening(kSimpleSetup);
    Append(
        expected,
        {"dialog 608", "end 608=1", Box(kSetupFailure, "Printer driver setup has failed for reason 5...", "ok"),
         Box(kSetupFailure, "Printer setup has failed for reason 1797...", "ok"), "dialog 604", "end 604=1", "exit 1"});
    EXPECT_EQ(expected, Outline(r)) << r.error_output;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1000));
    ExpectNothingInstalled(m, "refused driver");
}

TEST(SetupOperation, TargetFoldersUnknownEndsBothOperationsWithMessage114) {
    const Row &row = RowNamed("WIN95");
    for (Mode mode : {kCompleteSetup, kCompleteDeletion}) {
        Machine m(row);
        Result r = m.Run(mode, IsSetup(mode) ? "yes\n" + kChoosePort + "ok\n" : "yes\nok\n",
                         {{"WIN32HOST_FAIL", "GetSystemDirectoryA"}});
        Lines expected = Opening(mode);
        if (IsSetup(mode)) Append(expected, {"dialog 608", "end 608=1"});
        if (!IsSetup(mode)) expected.push_back("title Ordane Driver deletion");
        Append(expected,
               {Box(IsSetup(mode) ? kSetupFailure : kDeletionFailure, "Cannot get target folders names...", "ok"),
                "exit 1"});
        EXPECT_EQ(expected, Outline(r)) << r.error_output;
    }
}

// Without its port selection, setup goes on with no port: printer creation
// reports that itself, and the completion dialog follows.
TEST(SetupOperation, APortSelectionThatCannotBeMadeGoesOnWithoutAPort) {
    const Row &row = RowNamed("WINNT40");
    Machine m(row);
    Result r = m.Run(kCompleteSetup, "yes\nok\nok\n", {{"WIN32HOST_FAIL", "DialogBoxParamA#1"}});
    Lines expected = Opening(kCompleteSetup);
    Append(expected, CopyDialogs(row, false));
    Append(expected, {Box(kSetupFailure, "Printer setup has failed for reason 1796...", "ok"), "dialog 604",
                      "end 604=1", "exit 1"});
    EXPECT_EQ(expected, Outline(r)) << r.error_output;
    testjson::Value spooler = m.Spooler();
    EXPECT_TRUE(FindNamed(spooler["drivers"], "Ordane Garnet"));
    EXPECT_FALSE(FindNamed(spooler["printers"], "Ordane Garnet"));
}

// The waits the program asks for, read from the transcript's clock: 500 ms
// before the dispatch, 500 ms in each copy dialog before its copy, and one
// second before the completion dialog.
TEST(SetupOperation, WaitsAsLongAsItMust) {
    const Row &row = RowNamed("WINNT40");
    Machine m(row);
    Install(m);
    Result r = m.Run(kCompleteSetup, ScriptFor(row, kCompleteSetup, true));
    ASSERT_EQ(ExpectedSetup(row, kCompleteSetup, true), Outline(r)) << r.error_output;
    EXPECT_EQ(500, r.of("messagebox").at(0)["t"].n) << "the dispatch timer";
    for (size_t i = 1; i < r.events.size(); ++i) {
        const testjson::Value &e = r.events[i], &before = r.events[i - 1];
        long long waited = e["t"].n - before["t"].n;
        if (e["event"].s == "enddialog" && e["template"].n == 602) {
            EXPECT_EQ(500, waited) << "copy dialog ending at event " << i;
        }
        if (e["event"].s == "dialog" && e["template"].n == 604) {
            EXPECT_EQ(1000, waited) << "the pause before the completion dialog";
        }
    }
}

// A second setup stopped after its silent clean-up (No after a failed backup
// here; Ctrl+C during the backups leaves the same) leaves no printer and no
// driver, but the form and the files: the removal stops at its first step
// (1801), and the setup run again, then the removal, recover the machine.
TEST(Recovery, AStoppedSecondSetupIsUndoneBySetupThenRemoval) {
    const Row &row = RowNamed("WINNT50");
    Machine m(row);
    Install(m);
    Result stopped = m.Run(kCompleteSetup, "yes\n" + kChoosePort + "ok\nno\n", {{"WIN32HOST_FAIL", "WriteFile#1"}});
    ASSERT_EQ(Box("PavoUI.dll", "Backup copy has failed.", "no"), Outline(stopped).rbegin()[1]) << stopped.error_output;
    ExpectNothingInstalled(m, "stopped second setup");
    EXPECT_TRUE(FindNamed(m.Spooler()["forms"], "Card"));
    Result refused = m.Run(kCompleteDeletion, ScriptFor(row, kCompleteDeletion, false));
    EXPECT_EQ(ExpectedRemoval(row, kCompleteDeletion, false, false), Outline(refused)) << refused.error_output;
    Result again = m.Run(kCompleteSetup, ScriptFor(row, kCompleteSetup, true));
    EXPECT_EQ(ExpectedSetup(row, kCompleteSetup, true), Outline(again)) << again.error_output;
    Result removed = m.Run(kCompleteDeletion, ScriptFor(row, kCompleteDeletion, true));
    EXPECT_EQ(ExpectedRemoval(row, kCompleteDeletion, true, true), Outline(removed)) << removed.error_output;
    ExpectNothingInstalled(m, "recovered");
    EXPECT_FALSE(FindNamed(m.Spooler()["forms"], "Card"));
    for (const auto &f : row.removed) EXPECT_FALSE(fs::exists(m.DriverFolder() / f)) << f;
}

// A copy cut short leaves its temporary file beside the target: the next
// setup overwrites it, a complete deletion removes it with its file.
TEST(Recovery, TemporaryFilesOfAnInterruptedRunDoNotOutliveTheNext) {
    const Row &row = RowNamed("WIN98");
    Machine m(row);
    Install(m);
    for (const char *name : {"Pavo.drv.new", "Pavo.bku.new", "Ordanea.hlp.new"})
        std::ofstream(m.DriverFolder() / name, std::ios::binary) << "part of a copy cut short";
    Result r = m.Run(kCompleteSetup, ScriptFor(row, kCompleteSetup, true));
    EXPECT_EQ(ExpectedSetup(row, kCompleteSetup, true), Outline(r)) << r.error_output;
    std::ofstream(m.DriverFolder() / "Ordanef.hlp.new", std::ios::binary) << "part of a copy cut short";
    r = m.Run(kCompleteDeletion, ScriptFor(row, kCompleteDeletion, true));
    EXPECT_EQ(ExpectedRemoval(row, kCompleteDeletion, true, true), Outline(r)) << r.error_output;
    for (const auto &entry : fs::directory_iterator(m.DriverFolder()))
        EXPECT_NE(".new", entry.path().extension()) << entry.path().filename();
}

// ---- the completion and restart dialogs ----------------------------------------------

const testjson::Value *Shown(const Result &r, long long id) {
    for (const auto &e : r.events)
        if (e["event"].s == "dialog" && e["template"].n == id) return &e;
    return nullptr;
}

std::string FocusedText(const testjson::Value &dialog) {
    for (const auto &c : dialog["controls"].items)
        if (c["focus"].b) return c["text"].s;
    return "";
}

TEST(ClosingDialogs, EscapeDoesNotCloseThemAndEnterMeansTheDefaultButton) {
    const Row &row = RowNamed("WIN98");
    Machine m(row);
    Result setup = m.Run(kCompleteSetup, "yes\n" + kChoosePort + "key escape\nexpect Setup is complete\nkey enter\n");
    EXPECT_EQ(ExpectedSetup(row, kCompleteSetup, false), Outline(setup)) << setup.error_output;
    ASSERT_TRUE(Shown(setup, 604));
    EXPECT_EQ("Quit", FocusedText(*Shown(setup, 604)));

    Result removal = m.Run(kSimpleDeletion, "yes\nkey escape\nexpect must be restarted\nkey enter\n");
    EXPECT_EQ(ExpectedRemoval(row, kSimpleDeletion, true, true), Outline(removal)) << removal.error_output;
    ASSERT_TRUE(Shown(removal, 606));
    EXPECT_EQ("Yes", FocusedText(*Shown(removal, 606)));
}

TEST(ClosingDialogs, FrenchTextsAndButtons) {
    const Row &row = RowNamed("WINNT50");
    Machine m(row);
    Result setup = m.Run(kCompleteSetup, "yes\n" + kChoosePort + "expect Fin\nok\n", {{"LANG", "fr_FR.UTF-8"}});
    ASSERT_TRUE(Shown(setup, 604)) << setup.error_output;
    EXPECT_EQ(
        "L'installation est termin\xC3\xA9"
        "e !",
        (*Shown(setup, 604))["controls"][0]["text"].s);
    Result removal = m.Run(kSimpleDeletion, "yes\nexpect Oui\nno\n", {{"LANG", "fr_FR.UTF-8"}});
    ASSERT_TRUE(Shown(removal, 606)) << removal.error_output;
    EXPECT_EQ(0u, (*Shown(removal, 606))["controls"][0]["text"].s.find("Vous devez red\xC3\xA9marrer"));
    EXPECT_EQ("Suppression Driver Ordane", removal.of("title").back()["text"].s);
}

// ---- the restart request ------------------------------------------------------------

struct RestartCase {
    const char *label;
    const char *row;
    const char *winver;  // the machine, when it differs from the row's
    std::map<std::string, std::string> env;
    const char *method;  // the recorded restart, or nullptr for message 156
};

TEST(Restart, IsRequestedOnlyWhereWindowsWouldAcceptIt) {
    const RestartCase cases[] = {
        {"95 without any token", "WIN95", nullptr, {}, "ExitWindowsEx"},
        {"98 whatever the token functions do",
         "WIN98",
         nullptr,
         {{"WIN32HOST_FAIL", "OpenProcessToken,LookupPrivilegeValueA,AdjustTokenPrivileges"}},
         "ExitWindowsEx"},
        {"95 row on NT: ExitWindowsEx wants the privilege", "WIN95", "win2000", {}, nullptr},
        {"NT row on 98: no tokens there", "WINNT40", "win98", {}, nullptr},
        {"NT user without the privilege", "WINNT40", nullptr, {{"WIN32HOST_SHUTDOWN", "deny"}}, nullptr},
        {"NT 3.51 without the privilege", "WINNT351", nullptr, {{"WIN32HOST_SHUTDOWN", "deny"}}, nullptr},
        {"token not opened", "WINNT50", nullptr, {{"WIN32HOST_FAIL", "OpenProcessToken"}}, nullptr},
        {"privilege unknown: nothing enabled",
         "WINNT50",
         nullptr,
         {{"WIN32HOST_FAIL", "LookupPrivilegeValueA"}},
         nullptr},
        {"shut-down refused", "WINNT50", nullptr, {{"WIN32HOST_FAIL", "InitiateSystemShutdownA"}}, nullptr},
        {"disabling again may fail",
         "WINNT50",
         nullptr,
         {{"WIN32HOST_FAIL", "AdjustTokenPrivileges#2"}},
         "InitiateSystemShutdownA"},
        {"98 refused", "WIN98", nullptr, {{"WIN32HOST_FAIL", "ExitWindowsEx"}}, nullptr},
    };
    for (const auto &c : cases) {
        Row row = RowNamed(c.row);
        if (c.winver) row.winver = c.winver;
        Machine m(row);
        Install(m);
        // An NT row on Windows 98 also meets the forms that 98 does not have.
        bool forms_refused = row.nt && std::string(row.winver).rfind("win9", 0) == 0;
        Result r = m.Run(kSimpleDeletion, forms_refused ? "yes\nok\nyes\nok\n" : "yes\nyes\nok\n", c.env);
        Lines expected = ExpectedRemoval(row, kSimpleDeletion, true, true);
        expected.pop_back();  // exit
        expected.pop_back();  // the restart
        if (forms_refused)
            expected.insert(expected.end() - 2,
                            Box(kDeletionFailure,
                                "Paper format created for printer has not been deleted from the system...", "ok"));
        if (c.method)
            expected.push_back(std::string("restart ") + c.method);
        else
            expected.push_back(Box(kDeletionFailure, "Computer cannot be restarted automatically...", "ok"));
        expected.push_back("exit 1");
        EXPECT_EQ(expected, Outline(r)) << c.label << "\n" << r.error_output;
        std::string log = m.RestartLog();
        if (c.method) {
            EXPECT_EQ(std::string(" ") + c.method + "\n", log.substr(log.find(' '))) << c.label;
            EXPECT_EQ('Z', log[19]) << c.label << ": " << log;
        } else {
            EXPECT_EQ("", log) << c.label;
        }
    }
}

// A restart dialog that could not be made asks for no restart and shows nothing.
TEST(Restart, NotRequestedWhenItsDialogCannotBeMade) {
    const Row &row = RowNamed("WINNT50");
    Machine m(row);
    Install(m);
    Result r = m.Run(kSimpleDeletion, "yes\n", {{"WIN32HOST_FAIL", "DialogBoxParamA#1"}});
    Lines expected = Opening(kSimpleDeletion);
    Append(expected, {"title Ordane Driver deletion", "exit 1"});
    EXPECT_EQ(expected, Outline(r)) << r.error_output;
    EXPECT_FALSE(fs::exists(m.prefix() / "restart.log"));
}

INSTANTIATE_TEST_SUITE_P(Operations, EveryRow, ::testing::ValuesIn(kRows), [](const auto &info) {
    std::string name = info.param.label;
    for (char &c : name)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

}  // namespace
