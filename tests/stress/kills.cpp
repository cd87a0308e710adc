// kills.cpp - the kills: a worker doing spooler writes through the Win32
// calls, as SetupOrdane makes them, is killed with SIGKILL after a seeded
// random delay, again and again until enough writes have committed, and the
// store is checked after each kill.
#include <winspool.h>

#include <signal.h>

#include <algorithm>
#include <thread>

#include "machine.h"
#include "program_run.h"
#include "spooler_crash.h"
#include "spooler_records.h"

namespace crash {

namespace {

const char *const kDriver = "Crash Driver";
const char *const kPrinter = "Crash Printer";
const char *const kUserForm = "Crash User Form";
// The data file declares forms, which AddPrinterA adds with the printer.
const char *const kDataFile = "[Forms]\r\nCrash Card=85600,53980\r\nCrash Label=100000,20000\r\n";
const char *const kDataForms[] = {"Crash Card", "Crash Label"};

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
        if (OpenPrinterA(testrun::text(kPrinter), &h, &all)) {
            remove_printer(h);
            close_printer(h);
        } else {
            expect_error("OpenPrinterA", ERROR_INVALID_PRINTER_NAME);
        }
        if (DeletePrinterDriverA(nullptr, nullptr, testrun::text(kDriver)))
            committed();
        else
            expect_error("DeletePrinterDriverA", ERROR_UNKNOWN_PRINTER_DRIVER);
    }

    // The driver and its printer; the printer's handle.
    HANDLE install() {
        add_driver();
        PRINTER_INFO_2A info = testrun::printer_record(kPrinter, kDriver, round_ % 2 ? "LPT1:,LPT2:" : "LPT1:");
        info.pDatatype = testrun::text("RAW");
        HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
        must("AddPrinterA", h != nullptr);
        return h;
    }

    [[noreturn]] void cycle_forever() {
        for (;;) {
            HANDLE h = install();
            FORM_INFO_1A form{};
            form.pName = testrun::text(kUserForm);
            form.Size = {50000, 30000};
            form.ImageableArea = {0, 0, 50000, 30000};
            if (AddFormA(h, 1, reinterpret_cast<LPBYTE>(&form)))
                committed();
            else
                expect_error("AddFormA", ERROR_FILE_EXISTS);  // a kill came before its deletion
            add_driver();                                     // an upgrade in place under its printer
            remove_printer(h);
            close_printer(h);
            must("DeletePrinterDriverA", DeletePrinterDriverA(nullptr, nullptr, testrun::text(kDriver)));
            ++round_;
        }
    }

private:
    void committed() {
        if (write(count_, "w", 1) != 1) _exit(4);
    }
    // A call that failed when it cannot fail ends the worker with its error.
    [[noreturn]] static void fail(const char *call, DWORD error) {
        std::fprintf(stderr, "worker: %s failed with %lu\n", call, static_cast<unsigned long>(error));
        _exit(2);
    }
    void must(const char *call, bool ok) {
        if (!ok) fail(call, GetLastError());
        committed();
    }
    static void expect_error(const char *call, DWORD expected) {
        if (GetLastError() != expected) fail(call, GetLastError());
    }
    static void close_printer(HANDLE h) {
        if (!ClosePrinter(h)) fail("ClosePrinter", GetLastError());  // no write
    }
    void add_driver() {
        char dependent[] = "CrashDrv.dll\0Crash.ini\0CrashUi.dll\0";
        DRIVER_INFO_3A info = testrun::driver_record(kDriver, "CrashDrv.dll", "Crash.ini", "CrashUi.dll", dependent);
        info.cVersion = 3;
        info.pHelpFile = testrun::text("Crash.hlp");
        info.pDefaultDataType = testrun::text("RAW");
        must("AddPrinterDriverA", AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info)));
    }
    // As SetupOrdane removes its printer: the user form, the printer, then
    // through the handle of the deleted printer the forms its creation added.
    void remove_printer(HANDLE h) {
        if (DeleteFormA(h, testrun::text(kUserForm)))
            committed();
        else
            expect_error("DeleteFormA", ERROR_INVALID_FORM_NAME);
        must("DeletePrinter", DeletePrinter(h));
        for (const char *f : kDataForms)
            if (DeleteFormA(h, testrun::text(f)))
                committed();
            else
                expect_error("DeleteFormA", ERROR_INVALID_FORM_NAME);
    }

    int count_;
    unsigned round_ = 0;
};

// The writes the workers committed so far: one byte each in the count file.
long count_of(const fs::path &file) {
    std::error_code ec;
    auto size = fs::file_size(file, ec);
    return ec ? 0 : static_cast<long>(size);
}

// The machine with the driver's files in place, before the first kill.
bool prepare(Spawn worker) {
    worker.argv.push_back("prepare");
    int status = run_to_end(worker);
    if (exited_with(status, 0)) return true;
    std::printf("FAULT preparing the machine: %s %s\n", describe(status).c_str(),
                testrun::read_file(worker.err).c_str());
    return false;
}

// A worker started, then killed after the delay; whether it was killed
// rather than ended by itself.
bool kill_after(const Spawn &worker, std::chrono::microseconds delay, const std::string &context) {
    pid_t pid = start(worker);
    std::this_thread::sleep_for(delay);
    kill(pid, SIGKILL);
    int status = wait_until(pid, Clock::now() + std::chrono::seconds(60));
    if (status != -1 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return true;
    std::printf("FAULT %s: the worker ended by itself, %s: %s\n", context.c_str(), describe(status).c_str(),
                testrun::read_file(worker.err).c_str());
    return false;
}

}  // namespace

// worker COUNT_FILE [prepare|install]: the driver's files put in place; or the
// store taken back to nothing of ours, then cycled until killed, or left with
// the printer in place (install, for the self-test).
int run_worker(const std::vector<std::string> &args) {
    Worker w(args[1].c_str());
    std::string step = args.size() > 2 ? args[2] : "";
    if (step == "prepare") {
        w.prepare();
        return 0;
    }
    w.recover();
    if (step != "install") w.cycle_forever();
    w.install();
    return 0;
}

// KEEP names a folder to keep a copy of the machine whose store was found broken.
int kill_loop(const Options &o) {
    std::printf("spooler_crash kills: seed %lu (repeat: --seed %lu)\n", o.seed, o.seed);
    std::fflush(stdout);
    std::mt19937_64 random(o.seed);
    testrun::TempDir dir;
    fs::path prefix = dir.path() / "machine", count = dir.path() / "count";
    const std::string winver = "win2000";
    Spawn worker{{self_path, "worker", count.string()}, machine_env(prefix, winver)};
    worker.err = (dir.path() / "worker.err").string();
    if (!prepare(worker)) return 1;
    auto started = Clock::now();
    long iteration = 0, journals = 0;
    while (count_of(count) < o.writes || iteration < o.iterations) {
        if (++iteration > 20 * std::max(o.iterations, o.writes)) {
            std::printf("FAULT: %ld writes committed in %ld iterations; the worker hardly writes\n", count_of(count),
                        iteration - 1);
            return 1;
        }
        auto delay = std::chrono::microseconds(std::uniform_int_distribution<long>(0, o.max_delay_ms * 1000)(random));
        std::string context = "iteration " + std::to_string(iteration) + " (seed " + std::to_string(o.seed) +
                              ", kill after " + std::to_string(delay.count()) + " us)";
        if (!kill_after(worker, delay, context)) return 1;
        // Killed before its first write, the worker made no store to check.
        if (count_of(count) == 0 && !fs::exists(prefix / "spooler.db")) continue;
        if (hot_journal(prefix)) ++journals;
        if (report(check_store(prefix, winver), context)) continue;
        if (getenv("KEEP")) fs::copy(prefix, getenv("KEEP"), fs::copy_options::recursive);
        return 1;
    }
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf(
        "spooler_crash kills: %ld iterations, %ld kills (%ld inside a write: hot journal left), "
        "%ld writes committed, %.1f s, seed %lu\n",
        iteration, iteration, journals, count_of(count), seconds, o.seed);
    return 0;
}

}  // namespace crash
