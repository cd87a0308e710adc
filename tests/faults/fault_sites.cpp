// fault_sites.cpp - where each Win32 call of a run stands in SetupOrdane's job,
// told from the calls before it in WIN32HOST_CALLS, and what the run must then
// show and do when that call fails, from the program's string table.
#include "fault_sites.h"

#include <optional>

namespace faults {

using testrun::kDeletionFailure;
using testrun::kSetupFailure;

const Row kWindows2000{"win2000",
                       nullptr,
                       true,
                       {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"},
                       {"Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"},
                       "Ordane.ini"};
const Row kWindows98{
    "win98",   "/OS=WIN98", false, {"Pavo.drv", "Ordanea.hlp", "Ordanef.hlp"}, {"Ordanea.hlp", "Ordanef.hlp"},
    "Pavo.drv"};

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
    {25, testrun::kBackupFailedQuestion},
    {27, testrun::kCopyFailedQuestion},
};

std::vector<Call> read_calls(const fs::path &file) {
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

// ---- where each call is, in the order the program makes them ----

namespace {

bool is_complete(Mode m) { return m == kCompleteSetup || m == kCompleteDeletion; }

bool is_file_call(const std::string &f) {
    return f == "CreateFileA" || f == "ReadFile" || f == "WriteFile" || f == "MoveFileExA" || f == "MoveFileA" ||
           f == "DeleteFileA";
}

// Where the run stood at a call, from the calls up to it, it included.
struct Walk {
    bool started = false;      // the dispatch timer has fired
    bool timer_fired = false;  // ...and this call is the one that ended it
    int boxes = 0;             // DialogBoxParamA calls so far, this one included
    bool message_box = false;  // the last box asked for was a message box
    int in_copy = 0;           // CreateFileA calls inside the current copy dialog
    bool printer_opened = false;
    int delete_files = 0;
    int adjust = 0;
    std::string before_files;  // the last call before this one that is not a file call
};

Walk walk_to(const std::vector<Call> &trace, size_t index) {
    Walk w;
    for (size_t i = 0; i <= index; ++i) {
        const Call &t = trace[i];
        if (i < index && !is_file_call(t.function)) w.before_files = t.function;
        if (t.function == "KillTimer" && !w.started) w.started = true, w.timer_fired = i == index;
        if (t.function == "DialogBoxParamA") ++w.boxes, w.message_box = false, w.in_copy = 0;
        if (t.function == "MessageBoxA") w.message_box = true;
        if (t.function == "CreateFileA" && t.where == "dialog 602") ++w.in_copy;
        if (t.function == "OpenPrinterA") w.printer_opened = true;
        if (t.function == "DeleteFileA") ++w.delete_files;
        if (t.function == "AdjustTokenPrivileges") ++w.adjust;
    }
    return w;
}

// Before the dispatch: the class icon and the title need nothing.
Fault start_up_site(const std::string &f) {
    if (f == "RegisterClassA") return {Site::class_};
    if (f == "CreateWindowExA") return {Site::window};
    if (f == "GlobalAlloc") return {Site::arguments};
    if (f == "SetTimer") return {Site::dispatch_timer};
    return {};
}

// The dialog that the last DialogBoxParamA asked for, in the order of the operation.
Fault dialog_site(const Walk &w, Mode mode, const Row &row) {
    if (!is_setup(mode)) return {Site::restart_dialog};
    if (w.boxes == 1) return {Site::port_dialog};
    size_t copies = is_complete(mode) ? 2 * row.files.size() : 0;
    size_t k = static_cast<size_t>(w.boxes - 2);
    if (k < copies) return {Site::copy, k / 2, k % 2 == 0, 0};
    return {Site::completion};
}

// The confirmation, the only question of a run without failures, and the dialogs.
std::optional<Fault> box_site(const std::string &f, const Walk &w, Mode mode, const Row &row) {
    if (f == "MessageBoxA") return Fault{Site::confirmation};
    if (f == "CreateWindowExA") return w.message_box ? Fault{Site::confirmation} : dialog_site(w, mode, row);
    if (f == "DialogBoxParamA") return dialog_site(w, mode, row);
    return std::nullopt;
}

// The port list, and the target folders; after the printer is opened, an
// allocation is the data file query, not needed.
std::optional<Fault> folder_site(const Call &c, const Walk &w) {
    if (c.function == "EnumPortsA" || (c.function == "GlobalAlloc" && c.where == "dialog 608"))
        return Fault{Site::port_list};
    if (c.function == "GetSystemDirectoryA" || c.function == "GetPrinterDriverDirectoryA") return Fault{Site::folders};
    if (c.function == "GlobalAlloc") return w.printer_opened ? Fault{} : Fault{Site::folders};
    return std::nullopt;
}

// The spooler's calls; it copies the driver's files into its version folder
// (NT family), so the file calls right after AddPrinterDriverA are its own.
std::optional<Fault> spooler_site(const std::string &f, const Walk &w, Mode mode) {
    if (f == "OpenPrinterA") return Fault{is_setup(mode) ? Site::clean_up : Site::open_printer};
    if (f == "DeletePrinter") return Fault{is_setup(mode) ? Site::clean_up : Site::delete_printer};
    if (f == "DeletePrinterDriverA") return is_setup(mode) ? Fault{} : Fault{Site::delete_driver};
    if (f == "DeleteFormA") return Fault{Site::delete_form};
    if (f == "AddPrinterDriverA" || (is_file_call(f) && w.before_files == "AddPrinterDriverA"))
        return Fault{Site::register_driver};
    if (f == "AddPrinterA") return Fault{Site::create_printer};
    return std::nullopt;
}

// The driver's data file first (nothing shown), then each flagged file of the
// list and its leftover temporary copy (nothing shown).
Fault list_file_site(const Walk &w) {
    size_t k = static_cast<size_t>(w.delete_files - 2);
    if (w.delete_files == 1 || k % 2 == 1) return {};
    return {Site::delete_list_file, k / 2};
}

// A call inside a copy dialog: the first CreateFileA sets up the progress;
// the title and the timer need nothing (the dialog copies without it).
Fault copy_site(const std::string &f, const Walk &w, Mode mode, const Row &row) {
    Fault copy = dialog_site(w, mode, row);
    if (f == "CreateFileA" && w.in_copy == 1) return {};
    if (f == "CreateFileA") copy.message = w.in_copy == 2 ? 120 : 122;
    if (f == "ReadFile") copy.message = 124;
    if (f == "WriteFile") copy.message = 126;
    // The finished copy cannot take the target's place: MoveFileExA, or on
    // Windows 95 and 98, which only stub it, DeleteFileA then MoveFileA.
    if (f == "MoveFileExA" || f == "DeleteFileA" || f == "MoveFileA") copy.message = 122;
    copy.target_lost = f == "MoveFileA" && !copy.backup;
    return copy.message ? copy : Fault{};
}

bool refuses_the_restart(const std::string &f, const Walk &w) {
    return f == "OpenProcessToken" || f == "LookupPrivilegeValueA" || f == "InitiateSystemShutdownA" ||
           f == "ExitWindowsEx" || (f == "AdjustTokenPrivileges" && w.adjust == 1);
}

}  // namespace

// Anything else is an existence test (a file that cannot be opened still
// exists), ClosePrinter, an icon or a string.
Fault site_of(const std::vector<Call> &trace, size_t index, Mode mode, const Row &row) {
    const Call &c = trace[index];
    const Walk w = walk_to(trace, index);
    if (w.timer_fired) return {};
    if (!w.started) return start_up_site(c.function);
    if (c.function == "GetVersionExA") return {Site::version};
    if (auto fault = box_site(c.function, w, mode, row)) return *fault;
    if (auto fault = folder_site(c, w)) return *fault;
    if (auto fault = spooler_site(c.function, w, mode)) return *fault;
    if (c.function == "DeleteFileA" && !is_setup(mode)) return list_file_site(w);
    if (c.where == "dialog 602") return copy_site(c.function, w, mode, row);
    if (refuses_the_restart(c.function, w)) return {Site::restart_refused};
    return {};
}

// ---- what the run must then show and do ----

namespace {

// A failure before the confirmation ends the run at once.
bool expect_start_up(const Fault &fault, Expected &e) {
    const std::map<Site, int> failures = {{Site::class_, 102}, {Site::window, 104}, {Site::arguments, 106}};
    if (failures.count(fault.site)) {
        e.answer(kSetupFailure, failures.at(fault.site), "ok");
        e.exit_code = 0;
    } else if (fault.site == Site::dispatch_timer) {
        e.script.push_back("close");
    } else if (fault.site == Site::version) {
        e.answer(kSetupFailure, 108, "ok");
    }
    return failures.count(fault.site) || fault.site == Site::dispatch_timer || fault.site == Site::version;
}

// A copy that failed: its message, unless the dialog itself was not made,
// then the question; whether the setup goes on.
bool expect_copy_question(const Fault &fault, const Row &row, bool yes, Expected &e) {
    const std::string &name = row.files[fault.file];
    if (fault.message) e.answer(name, fault.message, "ok");
    e.answer(name, fault.backup ? 25 : 27, yes ? "yes" : "no");
    return yes;
}

// Printer creation is attempted after a failed driver registration, and fails
// too without its driver; it also fails when the earlier printer of that name
// is still there, or without a port. A driver file missing from its folder
// fails the registration too.
void expect_setup(const Fault &fault, const Row &row, bool yes, Expected &e) {
    if (fault.site == Site::port_list) return e.script.push_back("cancel");
    if (fault.site != Site::port_dialog) e.script.push_back("select LPT1:;ok");
    if (fault.site == Site::folders) return e.answer(kSetupFailure, 114, "ok");
    if (fault.site == Site::copy && !expect_copy_question(fault, row, yes, e)) return;
    bool registration_fails = fault.site == Site::register_driver || (fault.site == Site::copy && fault.target_lost);
    if (registration_fails) e.answer(kSetupFailure, 128, "ok");
    if (registration_fails || fault.site == Site::create_printer || fault.site == Site::clean_up ||
        fault.site == Site::port_dialog)
        e.answer(kSetupFailure, 132, "ok");
    if (fault.site == Site::completion) return;
    e.script.push_back("ok");
    e.final_dialog = 604;
}

void expect_removal(const Fault &fault, const Row &row, Expected &e) {
    const std::map<Site, int> stops = {
        {Site::folders, 114}, {Site::open_printer, 142}, {Site::delete_printer, 144}, {Site::delete_driver, 148}};
    if (stops.count(fault.site)) return e.answer(kDeletionFailure, stops.at(fault.site), "ok");
    if (fault.site == Site::delete_form) e.answer(kDeletionFailure, 158, "ok");
    if (fault.site == Site::delete_list_file) e.answer(row.removed[fault.file], 150, "ok");
    if (fault.site == Site::restart_dialog) return;
    e.script.push_back("yes");
    e.final_dialog = 606;
    if (fault.site == Site::restart_refused)
        e.answer(kDeletionFailure, 156, "ok");
    else
        e.restart = true;
}

}  // namespace

Expected expect(const Fault &fault, Mode mode, const Row &row, bool yes) {
    Expected e;
    if (expect_start_up(fault, e) || fault.site == Site::confirmation) return e;
    e.answer("", 0, "yes");
    if (is_setup(mode))
        expect_setup(fault, row, yes, e);
    else
        expect_removal(fault, row, e);
    return e;
}

}  // namespace faults
