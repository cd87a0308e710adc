// operations.cpp - what operations.h declares: the platform rows, each
// operation's outline and script, the checks of what a run leaves.
#include "operations.h"

namespace operations {

// ---- the platform rows ----

namespace {

const std::vector<std::string> kWin95Files = {"Pavo.drv", "Ordanef.hlp", "Ordanea.hlp"};
const std::vector<std::string> kWin98Files = {"Pavo.drv", "Ordanea.hlp", "Ordanef.hlp"};
const std::vector<std::string> kNtFiles = {"PavoUI.dll", "PavoGI.dll", "Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"};
const std::vector<std::string> kNtRemoved = {"Ordane.ini", "Ordanea.hlp", "Ordanef.hlp"};

}  // namespace

const std::vector<Row> &all_rows() {
    static const std::vector<Row> rows = {
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
    return rows;
}

const Row &row_named(const std::string &label) {
    for (const Row &r : all_rows())
        if (label == r.label) return r;
    throw std::runtime_error("no row " + label);
}

void PrintTo(const Row &row, std::ostream *os) { *os << row.label; }

// ---- the machine ----

fs::path Machine::host_path(std::string windows_path) const {
    std::replace(windows_path.begin(), windows_path.end(), '\\', '/');
    return prefix() / "drive_c" / windows_path.substr(3);
}

testjson::Value Machine::spooler() const {
    if (!fs::exists(prefix())) return testjson::parse("{}");
    std::string command = std::string("env -i WIN32HOST_PREFIX=") + prefix().string() +
                          " WIN32HOST_WINVER=" + row_.winver + " " + WIN32HOST_TOOL + " spooler list";
    testrun::CommandOutput list = testrun::command_output(command);
    EXPECT_EQ(0, list.status) << command;
    return testjson::parse(list.out);
}

// ---- scripts and expected outlines ----

const char kPort[] = "LPT1:";
const std::string kChoosePort = std::string("select ") + kPort + ";ok\n";
// The port selection has one template, the French one, which English takes.
const char kPortDialog[] = "dialog 608 S\xC3\xA9lection du Port";

void append(Lines &a, const Lines &b) { a.insert(a.end(), b.begin(), b.end()); }

namespace {

std::string confirmation(const Row &row, Mode mode) {
    const char *what[] = {"complete setup", "simple setup", "complete deletion", "simple deletion"};
    std::string text =
        std::string("Please confirm ") + what[mode] + " of : Ordane Driver\r\non platform : " + row.display;
    if (mode == kSimpleSetup) text += "\r\n(use existing files to setup print device...)";
    if (mode == kSimpleDeletion)
        text += "\r\n(print device deletion without delete files which are necessary to a future simple setup...)";
    return text;
}

}  // namespace

Lines opening(const Row &row, Mode mode) {
    return {"title Ordane Driver setup", box_line("", confirmation(row, mode), "yes")};
}

Lines copy_dialogs(const Row &row, bool installed) {
    Lines out;
    for (size_t i = 0; i < row.files.size(); ++i) {
        if (installed) append(out, {"dialog 602 Save...", "end 602=1"});
        append(out, {"dialog 602 Setup...", "end 602=1"});
    }
    return out;
}

// Where no port is listed, OK does nothing and only Cancel leaves.
Lines expected_setup(const Row &row, Mode mode, bool installed) {
    Lines out = opening(row, mode);
    if (!row.lists_ports) {
        append(out, {kPortDialog, "end 608=0", "exit 1"});
        return out;
    }
    append(out, {kPortDialog, "end 608=1"});
    if (mode == kCompleteSetup) append(out, copy_dialogs(row, installed));
    append(out, {"dialog 604", "end 604=1", "exit 1"});
    return out;
}

Lines expected_removal(const Row &row, Mode mode, bool installed, bool yes) {
    Lines out = opening(row, mode);
    out.push_back("title Ordane Driver deletion");
    if (!installed) {
        append(out,
               {box_line(kDeletionFailure, "Printer deletion has failed for reason 1801 step 1...", "ok"), "exit 1"});
        return out;
    }
    append(out, {"dialog 606", yes ? "end 606=1" : "end 606=0"});
    if (yes) out.push_back(row.nt ? "restart InitiateSystemShutdownA" : "restart ExitWindowsEx");
    out.push_back("exit 1");
    return out;
}

std::string script_for(const Row &row, Mode mode, bool installed, bool yes) {
    if (is_setup(mode) && !row.lists_ports) return "yes\nok\ncancel\n";
    // Simple setup without files: messages 128 and 132 before the completion dialog.
    if (mode == kSimpleSetup && !installed) return "yes\n" + kChoosePort + "ok\nok\nok\n";
    if (is_setup(mode)) return "yes\n" + kChoosePort + "ok\n";
    return installed ? std::string("yes\n") + (yes ? "yes\n" : "no\n") : "yes\nok\n";
}

// Where setup cannot be made (NT 3.51), Windows NT 4.0 installs it on the
// same machine, as an earlier installation would have.
void install(Machine &m) {
    Row as_made = m.row();
    std::map<std::string, std::string> env;
    if (!as_made.lists_ports) env["WIN32HOST_WINVER"] = "nt40", as_made.lists_ports = true;
    Result r = m.run(kCompleteSetup, script_for(as_made, kCompleteSetup, false), env);
    ASSERT_EQ(1, r.exit_code) << r.error_output << r.transcript;
}

// ---- what is left on the machine ----

std::string read(const fs::path &p) { return testrun::read_file(p); }

std::string backup_name(const std::string &file) { return fs::path(file).replace_extension(".bku").string(); }

const testjson::Value *find_named(const testjson::Value &list, const std::string &name) {
    for (const auto &item : list.items)
        if (item["name"].s == name) return &item;
    return nullptr;
}

void expect_installed(Machine &m, const std::string &context) {
    for (const auto &f : m.row().files)
        EXPECT_EQ(read(m.medium_file(f)), read(m.driver_folder() / f)) << context << ": " << f;
    testjson::Value spooler = m.spooler();
    const testjson::Value *printer = find_named(spooler["printers"], "Ordane Garnet");
    ASSERT_TRUE(printer) << context;
    EXPECT_EQ(kPort, (*printer)["port"].s) << context;
    EXPECT_EQ("Ordane Garnet", (*printer)["driver"].s) << context;
    EXPECT_TRUE(find_named(spooler["drivers"], "Ordane Garnet")) << context;
}

void expect_nothing_installed(Machine &m, const std::string &context) {
    testjson::Value spooler = m.spooler();
    EXPECT_FALSE(find_named(spooler["printers"], "Ordane Garnet")) << context;
    EXPECT_FALSE(find_named(spooler["drivers"], "Ordane Garnet")) << context;
}

std::vector<std::string> backups(Machine &m) {
    std::vector<std::string> out;
    if (!fs::exists(m.driver_folder())) return out;
    for (const auto &entry : fs::directory_iterator(m.driver_folder()))
        if (entry.path().extension() == ".bku") out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace operations
