// spooler_crash.cpp - crash safety of win32host's spooler store. A worker
// doing spooler writes through the Win32 calls is killed with SIGKILL at
// seeded random moments; SetupOrdane's complete setup and complete deletion
// run at once on one prefix. After each, the store is read on its own (the
// win32host tool's listing, then SQLite read-only) and must be whole.
#include <winspool.h>

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "api.h"
#include "machine.h"
#include "program_run.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char *const kDriver = "Crash Driver";
const char *const kPrinter = "Crash Printer";
const char *const kUserForm = "Crash User Form";
// The data file declares forms, which AddPrinterA adds with the printer.
const char *const kDataFile = "[Forms]\r\nCrash Card=85600,53980\r\nCrash Label=100000,20000\r\n";
const char *const kDataForms[] = {"Crash Card", "Crash Label"};

std::string self_path;  // this program, for its workers

// ---- processes ------------------------------------------------------------------

struct Spawn {
    std::vector<std::string> argv;
    std::map<std::string, std::string> env;
    std::string folder = ".";
    std::string out = "/dev/null", err = "/dev/null";
};

pid_t start(const Spawn &s) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (chdir(s.folder.c_str()) != 0) _exit(126);
    int in = open("/dev/null", O_RDONLY);
    int out = open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    clearenv();
    for (const auto &[k, v] : s.env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<std::string> words = s.argv;
    std::vector<char *> argv;
    for (auto &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

// The wait status, or -1 when the process is still running at the deadline
// (it is then killed: a hang).
int wait_until(pid_t pid, Clock::time_point deadline) {
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return status;
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

std::string describe(int status) {
    if (status == -1) return "still running after the time allowed (killed)";
    if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
    return "killed by signal " + std::to_string(WTERMSIG(status));
}

bool exited_with(int status, int code) { return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code; }

std::map<std::string, std::string> machine_env(const fs::path &prefix, const std::string &winver) {
    return {{"PATH", "/usr/bin:/bin"}, {"WIN32HOST_PREFIX", prefix.string()}, {"WIN32HOST_WINVER", winver}};
}

struct ToolRun {
    int status = 0;
    std::string out, err;
};

ToolRun tool(const fs::path &prefix, const std::string &winver, std::vector<std::string> args) {
    testrun::TempDir dir;
    Spawn s;
    s.argv = {WIN32HOST_TOOL};
    s.argv.insert(s.argv.end(), args.begin(), args.end());
    s.env = machine_env(prefix, winver);
    s.out = (dir.path() / "out").string();
    s.err = (dir.path() / "err").string();
    ToolRun r;
    r.status = wait_until(start(s), Clock::now() + std::chrono::seconds(60));
    r.out = testrun::read_file(s.out);
    r.err = testrun::read_file(s.err);
    return r;
}

// ---- the consistency check ----------------------------------------------------

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    return text;
}

// The host file of a C: path as the store keeps it, each name matched
// without regard to case as Windows does; empty when there is none.
fs::path host_path(const fs::path &prefix, const std::string &windows_path) {
    if (windows_path.size() < 3 || upper(windows_path.substr(0, 3)) != "C:\\") return {};
    fs::path at = prefix / "drive_c";
    std::istringstream names(windows_path.substr(3));
    for (std::string name; std::getline(names, name, '\\');) {
        std::error_code ec;
        fs::path found;
        for (const auto &entry : fs::directory_iterator(at, ec))
            if (upper(entry.path().filename().string()) == upper(name)) found = entry.path();
        if (found.empty()) return {};
        at = found;
    }
    return at;
}

// The form names a data file in INI form declares, as the spooler reads them.
std::vector<std::string> declared_forms(const fs::path &file) {
    std::vector<std::string> out;
    std::ifstream in(file, std::ios::binary);
    bool in_forms = false;
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line[0] == '[') {
            in_forms = upper(line) == "[FORMS]";
        } else if (in_forms && line.find('=') != std::string::npos && line.find('=') > 0 && line[0] != ';') {
            out.push_back(line.substr(0, line.find('=')));
        }
    }
    return out;
}

class Store {
public:
    explicit Store(const fs::path &file) {
        // Read-only and without creating: the check must not mend what it reads.
        if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) error_ = "cannot open";
    }
    ~Store() { sqlite3_close(db_); }
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;
    const std::string &error() const { return error_; }

    // Every row of a query as texts; a failing query gives its error in error().
    std::vector<std::vector<std::string>> rows(const std::string &sql, const std::vector<std::string> &args = {}) {
        std::vector<std::vector<std::string>> out;
        error_.clear();
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            error_ = sql + ": " + sqlite3_errmsg(db_);
            return out;
        }
        for (size_t i = 0; i < args.size(); ++i)
            sqlite3_bind_text(s, static_cast<int>(i + 1), args[i].c_str(), -1, SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            std::vector<std::string> row;
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                const unsigned char *t = sqlite3_column_text(s, c);
                row.push_back(t ? reinterpret_cast<const char *>(t) : "");
            }
            out.push_back(row);
        }
        if (rc != SQLITE_DONE) error_ = sql + ": " + sqlite3_errmsg(db_);
        sqlite3_finalize(s);
        return out;
    }

private:
    sqlite3 *db_ = nullptr;
    std::string error_;
};

// A rollback journal that still holds a transaction (its header's magic
// number is in place): what a process killed inside a write leaves.
bool hot_journal(const fs::path &prefix) {
    const char magic[] = "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7";
    return testrun::read_file(prefix / "spooler.db-journal").compare(0, 8, magic, 8) == 0;
}

// What is wrong with the spooler of a prefix; empty when it is whole.
std::vector<std::string> check_store(const fs::path &prefix, const std::string &winver) {
    std::vector<std::string> problems;
    auto problem = [&](const std::string &p) { problems.push_back(p); };

    // The tool opens the store read-write: a journal a killed process left is
    // rolled back here, as any next spooler caller would.
    ToolRun list = tool(prefix, winver, {"spooler", "list"});
    if (!exited_with(list.status, 0)) problem("spooler list: " + describe(list.status) + ": " + list.err);
    testjson::Value listing;
    try {
        listing = testjson::parse(list.out);
        for (const char *part : {"ports", "drivers", "printers", "forms"})
            if (listing[part].kind != testjson::Value::array) problem(std::string("spooler list: no ") + part);
    } catch (const std::exception &e) {
        problem(std::string("spooler list: not JSON (") + e.what() + "): " + list.out);
    }
    // A journal may stay behind with its header zeroed, never one that still
    // holds a transaction to roll back.
    if (hot_journal(prefix)) problem("a hot journal is left after the listing");
    if (!problems.empty()) return problems;

    Store store(prefix / "spooler.db");
    auto rows = [&](const std::string &sql, const std::vector<std::string> &args = {}) {
        auto out = store.rows(sql, args);
        if (!store.error().empty()) problem("store: " + store.error());
        return out;
    };
    if (auto r = rows("PRAGMA integrity_check"); r.size() != 1 || r[0][0] != "ok") problem("integrity_check fails");
    // An empty file is a store not made yet (a kill came before the first
    // commit): what a new machine has.
    bool made = rows("SELECT count(*) FROM sqlite_master") != std::vector<std::vector<std::string>>{{"0"}};
    if (auto r = rows("PRAGMA user_version"); made && (r.size() != 1 || r[0][0] != "1"))
        problem("not a store of format 1");
    for (const auto &r : rows("PRAGMA foreign_key_check")) problem("foreign key broken in " + r[0]);
    if (!problems.empty()) return problems;

    if (made) {
        for (const auto &r : rows("SELECT p.name FROM printers p LEFT JOIN drivers d ON d.id = p.driver_id "
                                  "WHERE d.id IS NULL"))
            problem("printer '" + r[0] + "' without its driver");
        auto forms = rows("SELECT name FROM forms");
        auto has_form = [&](const std::string &name) {
            return std::any_of(forms.begin(), forms.end(), [&](const auto &f) { return f[0] == name; });
        };
        for (const auto &p : rows("SELECT p.name, p.port, p.processor, d.data FROM printers p "
                                  "JOIN drivers d ON d.id = p.driver_id")) {
            if (p[0].empty() || p[1].empty() || p[2].empty()) problem("half printer record '" + p[0] + "'");
            for (size_t at = 0; at <= p[1].size();) {
                size_t end = std::min(p[1].find(',', at), p[1].size());
                std::string port = p[1].substr(at, end - at);
                if (rows("SELECT 1 FROM ports WHERE name = ?", {port}).empty())
                    problem("printer '" + p[0] + "' on port '" + port + "' that does not exist");
                at = end + 1;
            }
            for (const auto &f : declared_forms(host_path(prefix, p[3])))
                if (!has_form(f)) problem("printer '" + p[0] + "' without form '" + f + "' its creation adds");
        }
        for (const auto &d : rows("SELECT name, environment, driver, data, config, COALESCE(help, ''), dependent "
                                  "FROM drivers")) {
            for (size_t c = 0; c < 5; ++c)
                if (d[c].empty()) problem("half driver record '" + d[0] + "'");
            std::vector<std::string> files{d[2], d[3], d[4]};
            if (!d[5].empty()) files.push_back(d[5]);
            std::istringstream dependent(d[6]);
            for (std::string f; std::getline(dependent, f);) files.push_back(f);
            for (const auto &f : files)
                if (!fs::is_regular_file(host_path(prefix, f))) problem("driver '" + d[0] + "' without its file " + f);
        }
        // The tool and SQLite read the same store.
        for (const char *table : {"ports", "drivers", "printers", "forms"})
            if (auto r = rows(std::string("SELECT count(*) FROM ") + table);
                r.size() == 1 && std::to_string(listing[table].items.size()) != r[0][0])
                problem(std::string("spooler list and the store differ on ") + table);
    } else {
        for (const char *table : {"drivers", "printers", "forms"})
            if (!listing[table].items.empty())
                problem(std::string("spooler list shows ") + table + " of a store not made");
    }
    if (!problems.empty()) return problems;

    // The store still takes a write.
    ToolRun add = tool(prefix, winver, {"spooler", "add-form", "Crash Check", "1000", "1000"});
    ToolRun remove = tool(prefix, winver, {"spooler", "remove-form", "Crash Check"});
    if (!exited_with(add.status, 0) || !exited_with(remove.status, 0))
        problem("the store refuses a write: " + add.err + remove.err);
    return problems;
}

bool report(const std::vector<std::string> &problems, const std::string &context) {
    for (const auto &p : problems) std::printf("FAULT %s: %s\n", context.c_str(), p.c_str());
    std::fflush(stdout);
    return problems.empty();
}

// ---- the worker -------------------------------------------------------------------

// Runs in the killed process: driver and printer added and removed again and
// again through the Win32 calls, as SetupOrdane makes them. One byte goes to
// the count file after each call that committed. A call that fails when it
// cannot fail ends the worker with its error: a kill must never show later.
class Worker {
public:
    explicit Worker(const char *count_file) : count_(open(count_file, O_WRONLY | O_APPEND | O_CREAT, 0600)) {}

    void prepare() {
        std::string folder = w32h::to_host_path(w32h::machine_folders().printer_driver);
        fs::create_directories(folder);
        std::ofstream(folder + "/CrashDrv.dll", std::ios::binary) << "driver";
        std::ofstream(folder + "/CrashUi.dll", std::ios::binary) << "config";
        std::ofstream(folder + "/Crash.ini", std::ios::binary) << kDataFile;
        std::ofstream(folder + "/Crash.hlp", std::ios::binary) << "help";
    }

    // Takes the store back to nothing of ours, from wherever a kill left it.
    void recover() {
        HANDLE h = nullptr;
        PRINTER_DEFAULTSA all{nullptr, nullptr, PRINTER_ALL_ACCESS};
        if (OpenPrinterA(const_cast<LPSTR>(kPrinter), &h, &all)) {
            remove_printer(h);
            close_printer(h);
        } else {
            expect_error("OpenPrinterA", ERROR_INVALID_PRINTER_NAME);
        }
        if (DeletePrinterDriverA(nullptr, nullptr, const_cast<LPSTR>(kDriver)))
            committed();
        else
            expect_error("DeletePrinterDriverA", ERROR_UNKNOWN_PRINTER_DRIVER);
    }

    // The driver and its printer; the printer's handle.
    HANDLE install() {
        add_driver();
        PRINTER_INFO_2A info{};
        info.pPrinterName = const_cast<LPSTR>(kPrinter);
        info.pPortName = const_cast<LPSTR>(round_ % 2 ? "LPT1:,LPT2:" : "LPT1:");
        info.pDriverName = const_cast<LPSTR>(kDriver);
        info.pPrintProcessor = const_cast<LPSTR>("winprint");
        info.pDatatype = const_cast<LPSTR>("RAW");
        HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
        must("AddPrinterA", h != nullptr);
        return h;
    }

    [[noreturn]] void cycle_forever() {
        for (;;) {
            HANDLE h = install();
            FORM_INFO_1A form{};
            form.pName = const_cast<LPSTR>(kUserForm);
            form.Size = {50000, 30000};
            form.ImageableArea = {0, 0, 50000, 30000};
            if (AddFormA(h, 1, reinterpret_cast<LPBYTE>(&form)))
                committed();
            else
                expect_error("AddFormA", ERROR_FILE_EXISTS);  // a kill came before its deletion
            add_driver();                                     // an upgrade in place under its printer
            remove_printer(h);
            close_printer(h);
            must("DeletePrinterDriverA", DeletePrinterDriverA(nullptr, nullptr, const_cast<LPSTR>(kDriver)));
            ++round_;
        }
    }

private:
    void committed() {
        if (write(count_, "w", 1) != 1) _exit(4);
    }
    void must(const char *call, bool ok) {
        if (ok) {
            committed();
            return;
        }
        std::fprintf(stderr, "worker: %s failed with %lu\n", call, static_cast<unsigned long>(GetLastError()));
        _exit(2);
    }
    void expect_error(const char *call, DWORD expected) {
        DWORD error = GetLastError();
        if (error == expected) return;
        std::fprintf(stderr, "worker: %s failed with %lu\n", call, static_cast<unsigned long>(error));
        _exit(2);
    }
    void close_printer(HANDLE h) {
        if (ClosePrinter(h)) return;  // no write
        std::fprintf(stderr, "worker: ClosePrinter failed with %lu\n", static_cast<unsigned long>(GetLastError()));
        _exit(2);
    }
    void add_driver() {
        char dependent[] = "CrashDrv.dll\0Crash.ini\0CrashUi.dll\0";
        DRIVER_INFO_3A info{};
        info.cVersion = 3;
        info.pName = const_cast<LPSTR>(kDriver);
        info.pDriverPath = const_cast<LPSTR>("CrashDrv.dll");
        info.pDataFile = const_cast<LPSTR>("Crash.ini");
        info.pConfigFile = const_cast<LPSTR>("CrashUi.dll");
        info.pHelpFile = const_cast<LPSTR>("Crash.hlp");
        info.pDependentFiles = dependent;
        info.pDefaultDataType = const_cast<LPSTR>("RAW");
        must("AddPrinterDriverA", AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));
    }
    // As SetupOrdane removes its printer: the user form, the printer, then
    // through the handle of the deleted printer the forms its creation added.
    void remove_printer(HANDLE h) {
        if (DeleteFormA(h, const_cast<LPSTR>(kUserForm)))
            committed();
        else
            expect_error("DeleteFormA", ERROR_INVALID_FORM_NAME);
        must("DeletePrinter", DeletePrinter(h));
        for (const char *f : kDataForms)
            if (DeleteFormA(h, const_cast<LPSTR>(f)))
                committed();
            else
                expect_error("DeleteFormA", ERROR_INVALID_FORM_NAME);
    }

    int count_;
    unsigned round_ = 0;
};

// ---- the kill loop ------------------------------------------------------------------

struct Options {
    unsigned long seed = std::random_device{}();
    long writes = 200, iterations = 60, max_delay_ms = 250, pairs = 5;
};

long count_of(const fs::path &file) {
    std::error_code ec;
    auto size = fs::file_size(file, ec);
    return ec ? 0 : static_cast<long>(size);
}

int kill_loop(const Options &o) {
    std::printf("spooler_crash kills: seed %lu (repeat: --seed %lu)\n", o.seed, o.seed);
    std::fflush(stdout);
    std::mt19937_64 random(o.seed);
    testrun::TempDir dir;
    fs::path prefix = dir.path() / "machine", count = dir.path() / "count", err = dir.path() / "worker.err";
    const std::string winver = "win2000";
    Spawn worker;
    worker.argv = {self_path, "worker", count.string()};
    worker.env = machine_env(prefix, winver);
    worker.err = err.string();
    {
        Spawn prepare = worker;
        prepare.argv.push_back("prepare");
        int status = wait_until(start(prepare), Clock::now() + std::chrono::seconds(60));
        if (!exited_with(status, 0)) {
            std::printf("FAULT preparing the machine: %s %s\n", describe(status).c_str(),
                        testrun::read_file(err).c_str());
            return 1;
        }
    }
    auto started = Clock::now();
    long iteration = 0, journals = 0;
    while (count_of(count) < o.writes || iteration < o.iterations) {
        if (++iteration > 20 * std::max(o.iterations, o.writes)) {
            std::printf("FAULT: %ld writes committed in %ld iterations; the worker hardly writes\n", count_of(count),
                        iteration - 1);
            return 1;
        }
        auto delay = std::chrono::microseconds(std::uniform_int_distribution<long>(0, o.max_delay_ms * 1000)(random));
        pid_t pid = start(worker);
        std::this_thread::sleep_for(delay);
        kill(pid, SIGKILL);
        int status = wait_until(pid, Clock::now() + std::chrono::seconds(60));
        std::string context = "iteration " + std::to_string(iteration) + " (seed " + std::to_string(o.seed) +
                              ", kill after " + std::to_string(delay.count()) + " us)";
        if (!(status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) {
            std::printf("FAULT %s: the worker ended by itself, %s: %s\n", context.c_str(), describe(status).c_str(),
                        testrun::read_file(err).c_str());
            return 1;
        }
        if (hot_journal(prefix)) ++journals;
        if (!report(check_store(prefix, winver), context)) {
            if (getenv("KEEP")) fs::copy(prefix, getenv("KEEP"), fs::copy_options::recursive);
            return 1;
        }
    }
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf(
        "spooler_crash kills: %ld iterations, %ld kills (%ld inside a write: hot journal left), "
        "%ld writes committed, %.1f s, seed %lu\n",
        iteration, iteration, journals, count_of(count), seconds, o.seed);
    return 0;
}

// ---- setup and deletion at once -------------------------------------------------------

struct ProgramRun {
    fs::path folder, script, transcript, err;
    pid_t pid = 0;
    int status = 0;
};

// The answers serve every path: Yes to the confirmation, the port, then
// Enter for whatever waits (the default button of each box and dialog).
std::string answers(bool setup) {
    std::string out = setup ? "yes\nselect LPT1:;ok\n" : "yes\n";
    for (int i = 0; i < 40; ++i) out += "key enter\n";
    return out;
}

void start_program(ProgramRun &run, const fs::path &prefix, const std::string &winver, bool setup) {
    std::ofstream(run.script, std::ios::binary) << answers(setup);
    Spawn s;
    s.argv = {SETUPORDANE_EXE};
    if (!setup) s.argv.push_back("/UNINSTALL");
    s.env = machine_env(prefix, winver);
    s.env["WIN32HOST_UI"] = "script";
    s.env["WIN32HOST_SCRIPT"] = run.script.string();
    s.env["WIN32HOST_TRANSCRIPT"] = run.transcript.string();
    s.folder = run.folder.string();
    s.err = run.err.string();
    run.pid = start(s);
}

// What a run showed, in short, or its faults.
std::string check_program(const ProgramRun &run, const char *name, std::vector<std::string> &problems) {
    std::string shown;
    if (!exited_with(run.status, 1) || !testrun::read_file(run.err).empty())
        problems.push_back(std::string(name) + ": " + describe(run.status) + ": " + testrun::read_file(run.err));
    std::istringstream lines(testrun::read_file(run.transcript));
    for (std::string line; std::getline(lines, line);) {
        testjson::Value e;
        try {
            e = testjson::parse(line);
        } catch (const std::exception &) {
            problems.push_back(std::string(name) + ": transcript line not JSON: " + line);
            continue;
        }
        const std::string &kind = e["event"].s;
        if (kind == "error") problems.push_back(std::string(name) + ": win32host stopped it: " + e["text"].s);
        if (kind == "messagebox") {
            std::string text = e["text"].s.substr(0, e["text"].s.find("\r\n"));
            if (text.rfind("Please confirm", 0) != 0) shown += " [" + text + "]";
            if (text.find("1722") != std::string::npos)
                problems.push_back(std::string(name) + ": the spooler reported unavailable: " + text);
        }
        if (kind == "restart") shown += " [restart]";
        if (kind == "dialog" && e["template"].n == 604) shown += " [completed]";
    }
    return shown;
}

int pairs(const Options &o) {
    std::printf("spooler_crash pairs: seed %lu (repeat: --seed %lu)\n", o.seed, o.seed);
    std::fflush(stdout);
    std::mt19937_64 random(o.seed);
    testrun::TempDir dir;
    // One medium each: the copy dialog opens its source without sharing.
    for (const char *m : {"medium_setup", "medium_removal"})
        fs::copy(SETUPORDANE_MEDIUM, dir.path() / m, fs::copy_options::recursive);
    const char *winvers[] = {"win2000", "nt40", "win98"};
    std::map<std::string, int> outcomes;
    auto started = Clock::now();
    for (long pair = 1; pair <= o.pairs; ++pair) {
        std::string winver = winvers[(pair - 1) % 3];
        fs::path prefix = dir.path() / ("machine" + std::to_string(pair));
        bool installed = pair % 2 == 0;
        auto delay = std::chrono::microseconds(std::uniform_int_distribution<long>(0, 100000)(random));
        bool removal_first = random() % 2;
        // Every fourth pair is two setups, both registering one driver.
        bool two_setups = pair % 4 == 0;
        const char *other = two_setups ? "second setup" : "deletion";
        std::string context = "pair " + std::to_string(pair) + " (" + winver + (installed ? ", installed" : "") + ", " +
                              (removal_first ? other : "setup") + " first by " + std::to_string(delay.count()) +
                              " us, seed " + std::to_string(o.seed) + ")";
        ProgramRun setup, removal;
        for (auto [run, name] : {std::pair{&setup, "setup"}, std::pair{&removal, "removal"}}) {
            run->folder = dir.path() / (run == &setup ? "medium_setup" : "medium_removal");
            run->script = dir.path() / (std::string(name) + ".txt");
            run->transcript = dir.path() / (std::string(name) + std::to_string(pair) + ".jsonl");
            run->err = dir.path() / (std::string(name) + ".err");
        }
        std::vector<std::string> problems;
        if (installed) {
            start_program(setup, prefix, winver, true);
            setup.status = wait_until(setup.pid, Clock::now() + std::chrono::seconds(60));
            check_program(setup, "installing setup", problems);
        }
        ProgramRun &first = removal_first ? removal : setup, &second = removal_first ? setup : removal;
        start_program(first, prefix, winver, &first == &setup || two_setups);
        std::this_thread::sleep_for(delay);
        start_program(second, prefix, winver, &second == &setup || two_setups);
        auto deadline = Clock::now() + std::chrono::seconds(60);
        setup.status = wait_until(setup.pid, deadline);
        removal.status = wait_until(removal.pid, deadline);
        std::string shown = "setup:" + check_program(setup, "setup", problems) + " / " + other + ":" +
                            check_program(removal, other, problems);
        ToolRun list = tool(prefix, winver, {"spooler", "list"});
        shown += list.out.find("\"Ordane Garnet\"") != std::string::npos ? " => installed" : " => none";
        std::printf("%s: %s\n", context.c_str(), shown.c_str());
        ++outcomes[shown];
        if (!report(problems, context) || !report(check_store(prefix, winver), context)) return 1;
        fs::remove_all(prefix);
    }
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("spooler_crash pairs: %ld pairs, %zu different outcomes, %.1f s, seed %lu\n", o.pairs, outcomes.size(),
                seconds, o.seed);
    return 0;
}

// ---- the check, checked -----------------------------------------------------------------

// A store left by a worker stopped with its printer in place passes; each
// fault made in a copy of it must be found.
int self_test() {
    testrun::TempDir dir;
    fs::path prefix = dir.path() / "machine", count = dir.path() / "count";
    const std::string winver = "win2000";
    Spawn worker;
    worker.argv = {self_path, "worker", count.string(), "prepare"};
    worker.env = machine_env(prefix, winver);
    worker.err = (dir.path() / "err").string();
    if (!exited_with(wait_until(start(worker), Clock::now() + std::chrono::seconds(60)), 0)) return 1;
    worker.argv.back() = "install";
    if (!exited_with(wait_until(start(worker), Clock::now() + std::chrono::seconds(60)), 0)) return 1;
    if (!report(check_store(prefix, winver), "the whole store")) return 1;

    auto sql = [](const std::string &statements) {
        return [statements](const fs::path &p) {
            sqlite3 *db = nullptr;
            sqlite3_open((p / "spooler.db").c_str(), &db);
            sqlite3_exec(db, ("PRAGMA foreign_keys = OFF;" + statements).c_str(), nullptr, nullptr, nullptr);
            sqlite3_close(db);
        };
    };
    const std::vector<std::pair<const char *, std::function<void(const fs::path &)>>> faults = {
        {"printer without its driver", sql("DELETE FROM drivers")},
        {"printer without the forms its creation adds", sql("DELETE FROM forms WHERE name = 'Crash Card'")},
        {"half printer record", sql("UPDATE printers SET processor = ''")},
        {"half driver record", sql("UPDATE drivers SET config = ''")},
        {"printer on a port that does not exist", sql("UPDATE printers SET port = 'LPT1:,LPT9:'")},
        {"driver without its file",
         [](const fs::path &p) {
             fs::remove(host_path(p, "C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\3\\Crash.hlp"));
         }},
        {"damaged store",
         [](const fs::path &p) {
             std::fstream f(p / "spooler.db", std::ios::in | std::ios::out | std::ios::binary);
             f.seekp(0);
             f << std::string(100, 'x');
         }},
    };
    int missed = 0;
    for (const auto &[name, make] : faults) {
        fs::path copy = dir.path() / "copy";
        fs::remove_all(copy);
        fs::copy(prefix, copy, fs::copy_options::recursive);
        make(copy);
        auto problems = check_store(copy, winver);
        std::printf("%s: %s\n", name, problems.empty() ? "NOT FOUND" : problems[0].c_str());
        if (problems.empty()) ++missed;
    }
    return missed ? 1 : 0;
}

int usage() {
    std::fprintf(stderr,
                 "usage: spooler_crash kills [--writes N] [--iterations N] [--max-delay MS] [--seed S]\n"
                 "       spooler_crash pairs [--pairs N] [--seed S]\n"
                 "       spooler_crash check PREFIX [WINVER]\n"
                 "       spooler_crash self-test\n");
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    self_path = fs::canonical("/proc/self/exe").string();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    if (args[0] == "worker" && args.size() >= 2) {
        Worker w(args[1].c_str());
        std::string step = args.size() > 2 ? args[2] : "";
        if (step == "prepare") {
            w.prepare();
            return 0;
        }
        w.recover();
        if (step != "install") w.cycle_forever();
        w.install();  // stops with the printer in place, for the self-test
        return 0;
    }
    if (args[0] == "check" && args.size() >= 2)
        return report(check_store(args[1], args.size() > 2 ? args[2] : "win2000"), args[1]) ? 0 : 1;
    if (args[0] == "self-test") return self_test();
    Options o;
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        long value = std::strtol(args[i + 1].c_str(), nullptr, 10);
        if (args[i] == "--seed")
            o.seed = std::strtoul(args[i + 1].c_str(), nullptr, 10);
        else if (args[i] == "--writes")
            o.writes = value;
        else if (args[i] == "--iterations")
            o.iterations = value;
        else if (args[i] == "--max-delay")
            o.max_delay_ms = value;
        else if (args[i] == "--pairs")
            o.pairs = value;
        else
            return usage();
    }
    if (args[0] == "kills") return kill_loop(o);
    if (args[0] == "pairs") return pairs(o);
    return usage();
}
