// test_fault_matrix.cpp - every Win32 call that SetupOrdane makes in a run made
// to fail, one at a time: the four operations on a detected Windows 2000 and a
// Windows 98 machine holding an earlier installation and the user's files. Each
// run must end by itself on its answers, show that failure's message and
// caption, exit with the right code, and keep every user file or its backup.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <regex>

#include "modes.h"
#include "program_run.h"

namespace {

namespace fs = std::filesystem;
using testrun::Result;

// ---- the machines ---------------------------------------------------------------

struct Row {
    const char *winver;
    const char *os;  // the /OS= option, or nullptr to detect
    bool nt;
    std::vector<std::string> files;    // the printer-driver folder list, in order
    std::vector<std::string> removed;  // the records with the remove flag, in order
    const char *data_file;             // the driver's data file
};

const Row kWindows2000{"win2000",
                       nullptr,
                       true,
                       {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"},
                       {"Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"},
                       "Ordane.ini"};
const Row kWindows98{
    "win98",   "/OS=WIN98", false, {"Pavo.drv", "Ordanea.hlp", "Ordanef.hlp"}, {"Ordanea.hlp", "Ordanef.hlp"},
    "Pavo.drv"};

bool IsSetup(Mode m) { return m == kCompleteSetup || m == kSimpleSetup; }
bool IsComplete(Mode m) { return m == kCompleteSetup || m == kCompleteDeletion; }

// What the user had in the target folder before the run: each file of the
// list with content of its own (two copy blocks long), and one file the
// program has nothing to do with.
const char kUnrelated[] = "notes.txt";
std::string UserContent(const std::string &name) {
    std::string text;
    while (text.size() < 1500) text += "the user's own " + name + ", kept through any failure\n";
    return text;
}

std::string BackupName(const std::string &file) { return fs::path(file).replace_extension(".bku").string(); }

// The spooler's store syncs each transaction to disk, and the matrix makes a
// thousand runs: on a memory file system, where one is mounted, that costs
// nothing.
class WorkDir {
public:
    WorkDir() {
        std::error_code ec;
        fs::path base = fs::is_directory("/dev/shm", ec) && access("/dev/shm", W_OK) == 0 ? fs::path("/dev/shm")
                                                                                          : fs::temp_directory_path();
        std::string tmpl = (base / "so-faults-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp " + tmpl);
        path_ = tmpl;
    }
    ~WorkDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    WorkDir(const WorkDir &) = delete;
    WorkDir &operator=(const WorkDir &) = delete;
    const fs::path &path() const { return path_; }

private:
    fs::path path_;
};

class Machine {
public:
    explicit Machine(const Row &row) : row_(row) { fs::copy(SETUPORDANE_MEDIUM, medium_, fs::copy_options::recursive); }

    Result Run(const fs::path &prefix, Mode mode, const std::string &script,
               std::map<std::string, std::string> env = {}) const {
        testrun::Run run;
        // A run that hangs is ended (exit code 124) rather than stalling the matrix.
        run.program = "/usr/bin/timeout";
        run.args = {"30", SETUPORDANE_EXE};
        run.folder = medium_.string();
        if (row_.os) run.args.push_back(row_.os);
        if (OptionOf(mode)) run.args.push_back(OptionOf(mode));
        run.script = script;
        run.env = {{"WIN32HOST_PREFIX", prefix.string()}, {"WIN32HOST_WINVER", row_.winver}};
        for (const auto &[k, v] : env) run.env[k] = v;
        return testrun::run_program(run);
    }

    fs::path DriverFolder(const fs::path &prefix) const {
        return row_.nt ? prefix / "drive_c" / "WINNT" / "system32" / "spool" / "DRIVERS" / "W32X86"
                       : prefix / "drive_c" / "WINDOWS" / "SYSTEM";
    }
    std::string MediumFile(const std::string &name) const {
        return testrun::read_file(medium_ / (row_.nt ? "Nt4.0" : "Win95-98") / name);
    }
    fs::path Dir() const { return dir_.path(); }

private:
    const Row &row_;
    WorkDir dir_;
    fs::path medium_ = dir_.path() / "medium";
};

// ---- what the program shows, from its string table ----------------------------

const char kSetupCaption[] = "Ordane Driver setup failure";        // string 100
const char kDeletionCaption[] = "Ordane Driver deletion failure";  // string 160

const std::map<int, std::string> kTexts = {
    {102, "Cannot create application class..."},
    {104, "Cannot create application window..."},
    {106, "Memory allocation failure..."},
    {108, "Cannot get which Windows version is installed on this computer..."},
    {114, "Cannot get target folders names..."},
    {120, "Cannot copy : source file can't be opened..."},
    {122, "Cannot copy : target file can't be created..."},
    {124, "Cannot copy : failure while reading data..."},
    {126, "Cannot copy : failure while writing data..."},
    {128, "Printer driver setup has failed for reason %lu..."},
    {132, "Printer setup has failed for reason %lu..."},
    {142, "Printer deletion has failed for reason %lu step 1..."},
    {144, "Printer deletion has failed for reason %lu step 2..."},
    {148, "Printer driver deletion has failed for reason %lu..."},
    {150, "The file has not been deleted..."},
    {156, "Computer cannot be restarted automatically...\r\nYou must do it manually."},
    {158, "Paper format created for printer has not been deleted from the system..."},
    {25, "Backup copy has failed.\r\nThis failure will not disturb next setup steps.\r\n\r\nDo you want to continue?"},
    {27,
     "The file has not been copied on the target folder.\r\nThis can disturb next setup steps.\r\n\r\n"
     "Do you want to continue?"},
};

// A message box as expected: its caption and its text, "%lu" standing for a
// decimal number; id 0 is the confirmation (empty caption, "Please confirm ...").
struct Box {
    std::string caption;
    int id;
};

bool Matches(const Box &box, const testjson::Value &event) {
    if (event["caption"].s != box.caption) return false;
    if (box.id == 0) return event["text"].s.rfind("Please confirm", 0) == 0;
    std::string pattern;
    for (char c : kTexts.at(box.id))
        pattern += std::isalnum(static_cast<unsigned char>(c)) || c == ' ' ? std::string(1, c) : std::string("\\") + c;
    pattern = std::regex_replace(pattern, std::regex("\\\\%lu"), "[0-9]+");
    return std::regex_match(event["text"].s, std::regex(pattern));
}

std::string Describe(const Box &box) {
    return "[" + box.caption + "] " + (box.id ? kTexts.at(box.id).substr(0, 40) : std::string("Please confirm..."));
}

// ---- where each call is, in the order the program makes them ----------------

// One line of WIN32HOST_CALLS: the function, its call number, and what was
// waiting for the user then.
struct Call {
    std::string function;
    unsigned long n = 0;
    std::string where;
};

std::vector<Call> ReadCalls(const fs::path &file) {
    std::vector<Call> out;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        Call c;
        words >> c.function >> c.n;
        std::getline(words >> std::ws, c.where);
        out.push_back(c);
    }
    return out;
}

// What a failing call stands for in the job, by the steps of each operation.
enum class Site {
    none,              // its result is not needed, or a fallback covers it: the run goes on as without the fault
    class_,            // window class not registered: 102, exit 0
    window,            // main window not created: 104, exit 0
    arguments,         // argument vector not allocated: 106, exit 0
    dispatch_timer,    // no dispatch timer: the window waits until closed, exit 1
    version,           // Windows version unknown: 108
    confirmation,      // the confirmation question not shown: not confirmed
    port_dialog,       // the port selection not shown: setup goes on without a port, 132
    port_list,         // no ports listed: only Cancel leaves the dialog
    folders,           // target folders unknown: 114
    clean_up,          // the earlier printer stays: printer creation then fails, 132
    copy,              // one copy dialog (file, mode) fails: its message, then question 25 or 27
    register_driver,   // 128 (also a driver file the spooler cannot copy), goes on
    create_printer,    // 132, goes on
    completion,        // the completion dialog not shown
    open_printer,      // 142, removal stops
    delete_printer,    // 144, removal stops
    delete_form,       // 158, goes on
    delete_driver,     // 148, removal stops
    delete_list_file,  // 150 with the file's name, goes on
    restart_dialog,    // no restart offered
    restart_refused,   // 156
};

struct Fault {
    Site site = Site::none;
    size_t file = 0;      // copy, delete_list_file: index in the list
    bool backup = false;  // copy: the backup copy rather than the install copy
    int message = 0;      // copy: 120 to 126, or 0 when the dialog itself could not be made
    bool target_lost = false;  // copy: the target deleted, the new file left under its temporary name
};

// The site of trace[index], walking the calls that come before it.
Fault SiteOf(const std::vector<Call> &trace, size_t index, Mode mode, const Row &row) {
    const Call &c = trace[index];
    bool started = false;         // the dispatch timer has fired
    int boxes = 0;                // DialogBoxParamA calls so far, this one included
    bool message_box = false;     // the last box asked for was a message box
    int in_copy = 0;              // CreateFileA calls inside the current copy dialog
    bool printer_opened = false;  // the spooler has been asked for the printer
    int delete_files = 0;
    int adjust = 0;
    std::string before_files;     // the last call before this one that is not a file call
    auto is_file_call = [](const std::string &f) {
        return f == "CreateFileA" || f == "ReadFile" || f == "WriteFile" || f == "MoveFileExA" || f == "MoveFileA" ||
               f == "DeleteFileA";
    };
    for (size_t i = 0; i <= index; ++i) {
        const Call &t = trace[i];
        if (i < index && !is_file_call(t.function)) before_files = t.function;
        if (t.function == "KillTimer" && !started) {
            started = true;
            if (i == index) return {};
        }
        if (t.function == "DialogBoxParamA") ++boxes, message_box = false, in_copy = 0;
        if (t.function == "MessageBoxA") message_box = true;
        if (t.function == "CreateFileA" && t.where == "dialog 602") ++in_copy;
        if (t.function == "OpenPrinterA") printer_opened = true;
        if (t.function == "DeleteFileA") ++delete_files;
        if (t.function == "AdjustTokenPrivileges") ++adjust;
    }
    const std::string &f = c.function;
    // The dialog that the last DialogBoxParamA asked for, in the order of the operation.
    auto dialog = [&]() -> Fault {
        if (!IsSetup(mode)) return {Site::restart_dialog};
        if (boxes == 1) return {Site::port_dialog};
        size_t copies = IsComplete(mode) ? 2 * row.files.size() : 0;
        if (static_cast<size_t>(boxes - 2) < copies) {
            size_t k = static_cast<size_t>(boxes - 2);
            return {Site::copy, k / 2, k % 2 == 0, 0};
        }
        return {Site::completion};
    };
    if (!started) {
        if (f == "RegisterClassA") return {Site::class_};
        if (f == "CreateWindowExA") return {Site::window};
        if (f == "GlobalAlloc") return {Site::arguments};
        if (f == "SetTimer") return {Site::dispatch_timer};
        return {};  // the class icon, the title
    }
    if (f == "GetVersionExA") return {Site::version};
    if (f == "MessageBoxA") return {Site::confirmation};  // the only question of a run without failures
    if (f == "CreateWindowExA") return message_box ? Fault{Site::confirmation} : dialog();  // a box being made
    if (f == "DialogBoxParamA") return dialog();
    if (f == "EnumPortsA" || (f == "GlobalAlloc" && c.where == "dialog 608")) return {Site::port_list};
    if (f == "GetSystemDirectoryA" || f == "GetPrinterDriverDirectoryA") return {Site::folders};
    if (f == "GlobalAlloc")
        return printer_opened ? Fault{} : Fault{Site::folders};  // after it: the data file query, not needed
    if (f == "OpenPrinterA") return {IsSetup(mode) ? Site::clean_up : Site::open_printer};
    if (f == "DeletePrinter") return {IsSetup(mode) ? Site::clean_up : Site::delete_printer};
    if (f == "DeletePrinterDriverA") return IsSetup(mode) ? Fault{} : Fault{Site::delete_driver};
    if (f == "DeleteFormA") return {Site::delete_form};
    // The spooler copies the driver's files into its version folder (NT family).
    if (f == "AddPrinterDriverA" || (is_file_call(f) && before_files == "AddPrinterDriverA"))
        return {Site::register_driver};
    if (f == "AddPrinterA") return {Site::create_printer};
    if (f == "DeleteFileA" && !IsSetup(mode)) {
        // The driver's data file first (nothing shown), then each flagged file of
        // the list and its leftover temporary copy (nothing shown).
        size_t k = static_cast<size_t>(delete_files - 2);
        if (delete_files == 1 || k % 2 == 1) return {};
        return {Site::delete_list_file, k / 2};
    }
    if (c.where == "dialog 602") {
        Fault copy = dialog();
        if (f == "CreateFileA" && in_copy == 1) return {};  // the progress set-up
        if (f == "CreateFileA") copy.message = in_copy == 2 ? 120 : 122;
        if (f == "ReadFile") copy.message = 124;
        if (f == "WriteFile") copy.message = 126;
        // The finished copy cannot take the target's place: MoveFileExA, or on
        // Windows 95 and 98, which only stub it, DeleteFileA then MoveFileA.
        if (f == "MoveFileExA" || f == "DeleteFileA" || f == "MoveFileA") copy.message = 122;
        copy.target_lost = f == "MoveFileA" && !copy.backup;
        if (copy.message) return copy;
        return {};  // the title, the timer (the dialog copies without it)
    }
    if (f == "OpenProcessToken" || f == "LookupPrivilegeValueA" || f == "InitiateSystemShutdownA" ||
        f == "ExitWindowsEx" || (f == "AdjustTokenPrivileges" && adjust == 1))
        return {Site::restart_refused};
    return {};  // existence tests (a file that cannot be opened still exists), ClosePrinter, icons, strings
}

// ---- what the run must then show and do -------------------------------------------

struct Expected {
    std::vector<Box> boxes;
    std::vector<std::string> script;
    int exit_code = 1;
    int final_dialog = 0;  // 604 or 606 when reached
    bool restart = false;
};

Expected Expect(const Fault &fault, Mode mode, const Row &row, bool yes) {
    Expected e;
    auto start_up = [&](int id) {
        e.boxes.push_back({kSetupCaption, id});
        e.script.push_back("ok");
        e.exit_code = 0;
        return e;
    };
    switch (fault.site) {
    case Site::class_:
        return start_up(102);
    case Site::window:
        return start_up(104);
    case Site::arguments:
        return start_up(106);
    case Site::dispatch_timer:
        e.script.push_back("close");
        return e;
    case Site::version:
        e.boxes.push_back({kSetupCaption, 108});
        e.script.push_back("ok");
        return e;
    default:
        break;
    }
    if (fault.site == Site::confirmation) return e;
    e.boxes.push_back({"", 0});
    e.script.push_back("yes");
    auto message = [&](const std::string &caption, int id) {
        e.boxes.push_back({caption, id});
        e.script.push_back("ok");
    };
    if (IsSetup(mode)) {
        if (fault.site == Site::port_list) {
            e.script.push_back("cancel");
            return e;
        }
        if (fault.site != Site::port_dialog) e.script.push_back("select LPT1:;ok");
        if (fault.site == Site::folders) {
            message(kSetupCaption, 114);
            return e;
        }
        if (fault.site == Site::copy) {
            const std::string &name = row.files[fault.file];
            // A copy dialog that was not made copied nothing: the question all the same.
            if (fault.message) message(name, fault.message);
            e.boxes.push_back({name, fault.backup ? 25 : 27});
            e.script.push_back(yes ? "yes" : "no");
            if (!yes) return e;
        }
        // Printer creation is attempted after a failed driver registration,
        // and fails too without its driver; it also fails when the earlier
        // printer of that name is still there, or without a port.
        // A driver file missing from its folder fails the registration too.
        bool registration_fails = fault.site == Site::register_driver || (fault.site == Site::copy && fault.target_lost);
        if (registration_fails) message(kSetupCaption, 128);
        if (registration_fails || fault.site == Site::create_printer || fault.site == Site::clean_up ||
            fault.site == Site::port_dialog)
            message(kSetupCaption, 132);
        if (fault.site == Site::completion) return e;
        e.script.push_back("ok");
        e.final_dialog = 604;
        return e;
    }
    switch (fault.site) {
    case Site::folders:
        message(kDeletionCaption, 114);
        return e;
    case Site::open_printer:
        message(kDeletionCaption, 142);
        return e;
    case Site::delete_printer:
        message(kDeletionCaption, 144);
        return e;
    case Site::delete_driver:
        message(kDeletionCaption, 148);
        return e;
    case Site::delete_form:
        message(kDeletionCaption, 158);
        break;
    case Site::delete_list_file:
        message(row.removed[fault.file], 150);
        break;
    default:
        break;
    }
    if (fault.site == Site::restart_dialog) return e;
    e.script.push_back("yes");
    e.final_dialog = 606;
    if (fault.site == Site::restart_refused)
        message(kDeletionCaption, 156);
    else
        e.restart = true;
    return e;
}

// ---- one scenario: learn its calls, then fail each -------------------------------

// A long scenario is cut into parts (every part-th call), so that ctest can
// run them side by side.
struct Scenario {
    const char *label;
    Mode mode;
    const Row *row;
    size_t part = 0;
    size_t parts = 1;
};

void PrintTo(const Scenario &s, std::ostream *os) { *os << s.label; }

class FaultMatrix : public ::testing::TestWithParam<Scenario> {
protected:
    // A machine that holds an earlier complete setup, then the user's files.
    void SetUp() override {
        const Row &row = *GetParam().row;
        machine_ = std::make_unique<Machine>(row);
        base_ = machine_->Dir() / "base";
        Result installed = machine_->Run(base_, kCompleteSetup, "yes\nselect LPT1:;ok\nok\n");
        ASSERT_EQ(1, installed.exit_code) << installed.error_output;
        fs::path folder = machine_->DriverFolder(base_);
        for (const auto &f : row.files) std::ofstream(folder / f, std::ios::binary) << UserContent(f);
        std::ofstream(folder / kUnrelated, std::ios::binary) << UserContent(kUnrelated);
    }

    fs::path FreshCopy() {
        fs::path prefix = machine_->Dir() / "case";
        fs::remove_all(prefix);
        fs::copy(base_, prefix, fs::copy_options::recursive);
        return prefix;
    }

    std::string Script(const std::vector<std::string> &lines) {
        std::string out;
        for (const auto &l : lines) out += l + "\n";
        return out;
    }

    // Every file the user had is still there, or backed up whole; none is
    // half written and no temporary copy is left. Only Yes after a failed
    // backup lets the install copy replace a file that has no backup. Where
    // the target was deleted and the rename that follows failed (Windows 95
    // and 98), the whole new content stays under its temporary name.
    void CheckFiles(const fs::path &prefix, const Fault &fault, bool yes, const std::string &fail,
                    const std::string &context) {
        const Scenario &s = GetParam();
        const Row &row = *s.row;
        fs::path folder = machine_->DriverFolder(prefix);
        std::vector<std::string> names = row.files;
        names.push_back(kUnrelated);
        for (const auto &f : names) {
            std::string before = UserContent(f);
            bool exists = fs::exists(folder / f);
            std::string now = exists ? testrun::read_file(folder / f) : "";
            std::string backup = f == kUnrelated ? "" : testrun::read_file(folder / BackupName(f));
            if (backup != before && f != kUnrelated) backup = testrun::read_file(folder / (BackupName(f) + ".new"));
            bool removed_by_design =
                s.mode == kCompleteDeletion && f != kUnrelated &&
                (std::count(row.removed.begin(), row.removed.end(), f) || (!row.nt && f == row.data_file));
            bool replaced_by_answer =
                fault.site == Site::copy && fault.backup && yes && f == row.files[fault.file] && now == machine_->MediumFile(f);
            EXPECT_TRUE(now == before || backup == before || (removed_by_design && !exists) || replaced_by_answer)
                << context << ": " << f << " lost";
            if (exists && f != kUnrelated) {
                EXPECT_TRUE(now == before || now == machine_->MediumFile(f)) << context << ": " << f << " half written";
            }
        }
        bool rename_failed = fail.rfind("MoveFileA", 0) == 0;
        for (const auto &entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() != ".new") continue;
            EXPECT_TRUE(rename_failed) << context << ": " << entry.path().filename() << " left";
            EXPECT_TRUE(HoldsWholeContent(entry.path())) << context << ": " << entry.path().filename() << " not whole";
        }
    }

    // A temporary file left by a failed rename holds the new content whole:
    // a file of the medium, or the backup of the user's file.
    bool HoldsWholeContent(const fs::path &temporary) {
        std::string name = temporary.stem().string(), kept = testrun::read_file(temporary);
        for (const auto &f : GetParam().row->files)
            if (name == f ? kept == machine_->MediumFile(f) : name == BackupName(f) && kept == UserContent(f))
                return true;
        return false;
    }

    void RunCase(const std::string &fail, const Fault &fault, bool yes) {
        const Scenario &s = GetParam();
        Expected e = Expect(fault, s.mode, *s.row, yes);
        fs::path prefix = FreshCopy();
        Result r = machine_->Run(prefix, s.mode, Script(e.script), {{"WIN32HOST_FAIL", fail}});
        std::string context = std::string(s.label) + ", " + fail + (yes ? "" : ", answered No");
        ++cases_;
        EXPECT_EQ(e.exit_code, r.exit_code) << context;
        // No sanitizer report, no host error (an answer missing or not offered).
        EXPECT_EQ("", r.error_output.substr(0, 600)) << context;
        std::vector<testjson::Value> shown = r.of("messagebox");
        bool same = shown.size() == e.boxes.size();
        for (size_t i = 0; same && i < shown.size(); ++i) {
            // A string that could not be loaded leaves its text or caption empty, and nothing else.
            bool blank =
                fail.rfind("LoadStringA", 0) == 0 && (shown[i]["text"].s.empty() || shown[i]["caption"].s.empty());
            same = Matches(e.boxes[i], shown[i]) || blank;
        }
        if (!same) {
            std::string want, got;
            for (const auto &b : e.boxes) want += "  " + Describe(b) + "\n";
            for (const auto &b : shown) got += "  [" + b["caption"].s + "] " + b["text"].s.substr(0, 40) + "\n";
            ADD_FAILURE() << context << ": message boxes\nexpected:\n" << want << "shown:\n" << got;
        }
        bool final_shown = false;
        for (const auto &d : r.of("dialog")) {
            if (e.final_dialog && d["template"].n == e.final_dialog) final_shown = true;
        }
        EXPECT_EQ(e.final_dialog != 0, final_shown) << context << ": dialog " << e.final_dialog;
        EXPECT_EQ(e.restart, !r.of("restart").empty()) << context;
        CheckFiles(prefix, fault, yes, fail, context);
    }

    std::unique_ptr<Machine> machine_;
    fs::path base_;
    int cases_ = 0;
};

TEST_P(FaultMatrix, EveryCallFailedInTurn) {
    const Scenario &s = GetParam();
    // The run without a fault, which lists the calls that can be made to fail.
    fs::path prefix = FreshCopy();
    fs::path calls = machine_->Dir() / "calls.txt";
    Expected clean = Expect(Fault{}, s.mode, *s.row, true);
    Result r = machine_->Run(prefix, s.mode, Script(clean.script), {{"WIN32HOST_CALLS", calls.string()}});
    ASSERT_EQ(1, r.exit_code) << r.error_output << r.transcript;
    std::vector<Call> trace = ReadCalls(calls);
    ASSERT_FALSE(trace.empty());

    for (size_t i = s.part; i < trace.size(); i += s.parts) {
        const Call &c = trace[i];
        Fault fault = SiteOf(trace, i, s.mode, *s.row);
        std::string fail = c.function + "#" + std::to_string(c.n);
        bool question = fault.site == Site::copy;
        RunCase(fail, fault, true);
        if (question) RunCase(fail, fault, false);                             // No to the question stops the setup
        if (c.function == "WriteFile") RunCase(fail + "=short", fault, true);  // a disk that fills up part way
        if (HasFatalFailure()) return;
    }
    RecordProperty("cases", cases_);
    std::printf("%s: %zu calls in the run, %d runs with a fault\n", s.label, trace.size(), cases_);
}

const Scenario kScenarios[] = {
    {"CompleteSetupOnWindows2000Part1", kCompleteSetup, &kWindows2000, 0, 3},
    {"CompleteSetupOnWindows2000Part2", kCompleteSetup, &kWindows2000, 1, 3},
    {"CompleteSetupOnWindows2000Part3", kCompleteSetup, &kWindows2000, 2, 3},
    {"SimpleSetupOnWindows2000", kSimpleSetup, &kWindows2000},
    {"CompleteDeletionOnWindows2000", kCompleteDeletion, &kWindows2000},
    {"SimpleDeletionOnWindows2000", kSimpleDeletion, &kWindows2000},
    {"CompleteSetupOnWindows98Part1", kCompleteSetup, &kWindows98, 0, 2},
    {"CompleteSetupOnWindows98Part2", kCompleteSetup, &kWindows98, 1, 2},
    {"SimpleSetupOnWindows98", kSimpleSetup, &kWindows98},
    {"CompleteDeletionOnWindows98", kCompleteDeletion, &kWindows98},
    {"SimpleDeletionOnWindows98", kSimpleDeletion, &kWindows98},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kScenarios),
                         [](const auto &info) { return std::string(info.param.label); });

}  // namespace
