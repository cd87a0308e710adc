// operations.h - what the end-to-end tests of the four operations share: the
// platform rows, the machine a row's runs work on, the scripts that answer a
// run, the outline it must show, and what it must leave on the machine.
#pragma once

#include <gtest/gtest.h>

#include "program_machine.h"
#include "program_texts.h"

namespace operations {

namespace fs = std::filesystem;
using testrun::box_line;
using testrun::kDeletionFailure;
using testrun::kSetupFailure;
using testrun::Lines;
using testrun::Result;

// ---- the platform rows ----

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

const std::vector<Row> &all_rows();
const Row &row_named(const std::string &label);
void PrintTo(const Row &row, std::ostream *os);  // GoogleTest's name

// ---- the machine a row's runs work on ----

class Machine : public testrun::ProgramMachine {
public:
    explicit Machine(const Row &row) : ProgramMachine(row.winver, row.os), row_(row) {}
    const Row &row() const { return row_; }
    fs::path medium_file(const std::string &name) const { return medium() / row_.medium_folder / name; }
    std::string restart_log() const { return testrun::read_file(prefix() / "restart.log"); }
    // The host path of a path on drive C: as the spooler reports it.
    fs::path host_path(std::string windows_path) const;
    // The spooler as `win32host spooler list` shows it; nothing at all on a
    // machine that no run has made.
    testjson::Value spooler() const;

private:
    Row row_;
};

// ---- scripts and expected outlines ----

extern const char kPort[];
extern const std::string kChoosePort;
extern const char kPortDialog[];

void append(Lines &a, const Lines &b);
// The title and the confirmation answered Yes.
Lines opening(const Row &row, Mode mode);
// Each file's copy dialog, after its backup's over an installed printer.
Lines copy_dialogs(const Row &row, bool installed);
Lines expected_setup(const Row &row, Mode mode, bool installed);
Lines expected_removal(const Row &row, Mode mode, bool installed, bool yes);
std::string script_for(const Row &row, Mode mode, bool installed, bool yes = true);
// Installs the printer with a complete setup, the medium's files then in place.
void install(Machine &m);

// ---- what is left on the machine ----

std::string read(const fs::path &p);
std::string backup_name(const std::string &file);
const testjson::Value *find_named(const testjson::Value &list, const std::string &name);
// The row's files as the medium holds them, and the printer on kPort with its driver.
void expect_installed(Machine &m, const std::string &context);
void expect_nothing_installed(Machine &m, const std::string &context);
std::vector<std::string> backups(Machine &m);

}  // namespace operations
