// fault_sites.h - what the fault matrix knows of SetupOrdane's job: its two
// machines, the calls a run makes (WIN32HOST_CALLS), the step each stands
// for, and what a run must show and do when that call fails.
#pragma once

#include "program_machine.h"
#include "program_texts.h"

namespace faults {

namespace fs = std::filesystem;

struct Row {
    const char *winver;
    const char *os;  // the /OS= option, or nullptr to detect
    bool nt;
    std::vector<std::string> files;    // the printer-driver folder list, in order
    std::vector<std::string> removed;  // the records with the remove flag, in order
    const char *data_file;             // the driver's data file
};

extern const Row kWindows2000;
extern const Row kWindows98;

// The program's English messages by their string number, "%lu" standing for a number.
extern const std::map<int, std::string> kTexts;

// One line of WIN32HOST_CALLS: the function, its call number, and what was
// waiting for the user then.
struct Call {
    std::string function;
    unsigned long n = 0;
    std::string where;
};

std::vector<Call> read_calls(const fs::path &file);

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
    size_t file = 0;           // copy, delete_list_file: index in the list
    bool backup = false;       // copy: the backup copy rather than the install copy
    int message = 0;           // copy: 120 to 126, or 0 when the dialog itself could not be made
    bool target_lost = false;  // copy: the target deleted, the new file left under its temporary name
};

// The site of trace[index], walking the calls that come before it.
Fault site_of(const std::vector<Call> &trace, size_t index, Mode mode, const Row &row);

// A message box as expected: its caption, its text by string number (0 for
// the confirmation, "Please confirm ..."), and the answer it gets.
struct Box {
    std::string caption;
    int id;
    std::string answer;
};

// What a run with that fault must show and do, and the script that answers it.
struct Expected {
    std::vector<Box> boxes;
    std::vector<std::string> script;
    int exit_code = 1;
    int final_dialog = 0;  // 604 or 606 when reached
    bool restart = false;

    void answer(const std::string &caption, int id, const std::string &with) {
        boxes.push_back({caption, id, with});
        script.push_back(with);
    }
};

// yes: the answer to a continue-or-stop question after a failed copy.
Expected expect(const Fault &fault, Mode mode, const Row &row, bool yes);

}  // namespace faults
