// test_spooler_store.cpp - the print spooler as win32host keeps it: the ports
// of a new machine, driver files copied into the version folder on the NT
// family and left in place on Windows 95, the forms a driver's INI data file
// declares, a damaged store refused and kept, two processes on one store or
// one driver, a process killed inside a call, WIN32HOST_FAIL on each function.
#include <winspool.h>

#include <gtest/gtest.h>
#include <malloc.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <functional>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "api.h"
#include "fresh_machine.h"
#include "spooler_records.h"
#include "spooler_store.h"

namespace {

namespace fs = std::filesystem;
constexpr DWORD poison = 0xdeadbeef;

class SpoolerStore : public hosttest::FreshMachine {
protected:
    fs::path store() const { return prefix() / "spooler.db"; }
    // These bytes as the prefix's store, in place of any.
    void put_store(const std::string &bytes) {
        fs::create_directories(store().parent_path());
        std::ofstream(store(), std::ios::binary | std::ios::trunc) << bytes;
    }
    // The test driver's files in the printer-driver folder.
    void put_driver_files(const std::string &driver = "driver") {
        put_driver_file("Drv.dll", driver);
        put_driver_file("Data.ini", "data");
        put_driver_file("Ui.dll", "ui");
    }
    BOOL add_driver(const char *driver, const char *data, const char *config, LPSTR dependent = nullptr) {
        DRIVER_INFO_3A info = testrun::driver_record("Test Driver", driver, data, config, dependent);
        info.cVersion = 0x201;
        return AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&info));
    }
    HANDLE add_printer(const char *name, const char *port = "LPT1:") {
        PRINTER_INFO_2A info = testrun::printer_record(name, "Test Driver", port);
        info.pDatatype = testrun::text("RAW");
        return AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&info));
    }
    std::vector<std::string> port_names() {
        w32h::spool::Transaction t;
        std::vector<std::string> out;
        for (const auto &p : t.ports()) out.push_back(p.name + "=" + p.description);
        return out;
    }
    // A race run in two child processes at once, each given its number; both
    // must end with 0 (a throw ends one with 1).
    static void expect_both_succeed(const std::function<int(int)> &race, const char *what) {
        std::vector<pid_t> children;
        for (int child = 0; child < 2; ++child) {
            pid_t pid = fork();
            if (pid == 0) {
                int code = 1;
                try {
                    code = race(child);
                } catch (...) {
                }
                _exit(code);
            }
            children.push_back(pid);
        }
        for (pid_t pid : children) {
            int status = 0;
            waitpid(pid, &status, 0);
            EXPECT_TRUE(WIFEXITED(status)) << status;
            EXPECT_EQ(0, WEXITSTATUS(status)) << what;
        }
    }
};

TEST_F(SpoolerStore, NewMachineHasTheLocalPorts) {
    EXPECT_EQ(
        (std::vector<std::string>{"LPT1:=Local Port", "LPT2:=Local Port", "LPT3:=Local Port", "COM1:=Local Port",
                                  "COM2:=Local Port", "COM3:=Local Port", "COM4:=Local Port", "FILE:=Local Port"}),
        port_names());
    EXPECT_TRUE(fs::is_regular_file(store()));
}

TEST_F(SpoolerStore, NtFamilyCopiesDriverFilesIntoTheVersionFolder) {
    for (const char *version : {"nt40", "win2000"}) {
        SCOPED_TRACE(version);
        use_version(version);
        put_driver_files();
        ASSERT_TRUE(add_driver("Drv.dll", "Data.ini", "Ui.dll"));
        std::string folder = driver_folder() + (std::string(version) == "nt40" ? "\\2" : "\\3");
        w32h::spool::Transaction t;
        auto d = t.driver("TEST DRIVER", "Windows NT x86");
        ASSERT_TRUE(d);
        EXPECT_EQ(folder + "\\Data.ini", d->data);
        EXPECT_EQ(std::string(version) == "nt40" ? 2u : 3u, d->version);
        EXPECT_EQ("data", testrun::read_file(host(folder + "\\Data.ini")));
        EXPECT_TRUE(fs::exists(host(driver_folder() + "\\Data.ini")));  // copied, not moved
    }
}

TEST_F(SpoolerStore, Windows95KeepsDriverFilesWhereTheyAre) {
    use_version("win95");
    put_driver_file("Pavo.drv", "pavo");
    char dependent[] = "Pavo.drv\0";
    ASSERT_TRUE(add_driver("Pavo.drv", "Pavo.drv", "Pavo.drv", dependent));
    w32h::spool::Transaction t;
    auto d = t.driver("Test Driver", "Windows 4.0");
    ASSERT_TRUE(d);
    EXPECT_EQ("C:\\WINDOWS\\SYSTEM\\Pavo.drv", d->driver);
    EXPECT_EQ(std::vector<std::string>{"C:\\WINDOWS\\SYSTEM\\Pavo.drv"}, d->dependent);
    EXPECT_FALSE(t.driver("Test Driver", "Windows NT x86"));
}

TEST_F(SpoolerStore, PrinterCreationAddsTheFormsOfAnIniDataFile) {
    put_driver_files();
    // Sizes that are not whole numbers of thousandths of a millimetre fitting
    // 32 bits, or not above 0, name no form.
    put_driver_file("Data.ini", "; sizes\r\n[Printer]\r\nCard=1,1\r\n[Forms]\r\nCard=85600,53980\r\nBad=12\r\n"
                                "Huge=99999999999999999999,1\r\nOver=2147483648,5\r\nNegative=-5,1\r\nWords=ten,2\r\n"
                                "Max=2147483647,1\r\nWide Label=100000,20000\r\n[Other]\r\nNot=1,2\r\n");
    ASSERT_TRUE(add_driver("Drv.dll", "Data.ini", "Ui.dll"));
    {
        w32h::spool::Transaction t;
        EXPECT_TRUE(t.forms().empty());  // registering the driver adds none
    }
    HANDLE printer = add_printer("Card Printer");
    ASSERT_NE(nullptr, printer);
    w32h::spool::Transaction t;
    auto forms = t.forms();
    ASSERT_EQ(3u, forms.size());
    EXPECT_EQ("Card", forms[0].name);
    EXPECT_EQ(85600, forms[0].width);
    EXPECT_EQ(53980, forms[0].height);
    EXPECT_EQ(static_cast<DWORD>(FORM_PRINTER), forms[0].flags);
    EXPECT_EQ("Max", forms[1].name);
    EXPECT_EQ(2147483647, forms[1].width);
    EXPECT_EQ("Wide Label", forms[2].name);
    EXPECT_TRUE(ClosePrinter(printer));
}

TEST_F(SpoolerStore, DamagedStoreFailsEveryCallAndIsKept) {
    ASSERT_EQ(8u, port_names().size());
    std::string garbage(4096, '\x5a');
    put_store(garbage);
    DWORD needed = 0, count = 0;
    HANDLE printer = nullptr;
    SetLastError(poison);
    EXPECT_FALSE(EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_EQ(static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE), GetLastError());
    SetLastError(poison);
    EXPECT_FALSE(OpenPrinterA(const_cast<LPSTR>("Any"), &printer, nullptr));
    EXPECT_EQ(static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE), GetLastError());
    SetLastError(poison);
    EXPECT_FALSE(DeletePrinterDriverA(nullptr, nullptr, const_cast<LPSTR>("Any")));
    EXPECT_EQ(static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE), GetLastError());
    EXPECT_EQ(garbage, testrun::read_file(store()));  // never reset
}

// A store switched to WAL (file format bytes 18 and 19 at 2), here with a
// length that is not a whole number of pages: reading it must leave every
// byte and no companion file; only a call that writes turns it back.
TEST_F(SpoolerStore, WalStoreIsChangedOnlyByAWrite) {
    {
        w32h::spool::Transaction t;
        t.add_port({"NUL:", "Local Port", "Local Port"});
        t.commit();
    }
    std::string wal = testrun::read_file(store());
    ASSERT_GE(wal.size(), 100u);
    wal[18] = wal[19] = 2;
    wal += "tail!";
    put_store(wal);

    EXPECT_EQ(9u, port_names().size());
    DWORD needed = 0, count = 0;
    EXPECT_FALSE(EnumPortsA(nullptr, 1, nullptr, 0, &needed, &count));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER), GetLastError());
    EXPECT_EQ(wal, testrun::read_file(store()));
    for (const char *companion : {"-journal", "-wal", "-shm"})
        EXPECT_FALSE(fs::exists(store().string() + companion)) << companion;

    {
        w32h::spool::Transaction t;
        t.add_port({"LPT4:", "Local Port", "Local Port"});
        t.commit();
    }
    const std::string after = testrun::read_file(store());
    EXPECT_EQ(1, after[18]);
    EXPECT_EQ(1, after[19]);
    EXPECT_EQ(10u, port_names().size());
}

// An empty database SQLite made itself (one 512-byte page) becomes a store,
// and reading it leaves it as it was. Its page cache of 10 pages makes the
// store's creation spill to the file before the reader rolls it back. Cut
// short or with bytes past its page, it is damaged: every call fails and the
// file keeps every byte.
TEST_F(SpoolerStore, EmptyDatabaseBecomesAStoreOnlyWhenItIsWholePages) {
    fs::create_directories(store().parent_path());
    sqlite3 *db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open(store().c_str(), &db));
    ASSERT_EQ(SQLITE_OK, sqlite3_exec(db, "PRAGMA page_size = 512; PRAGMA default_cache_size = 10; VACUUM", nullptr,
                                      nullptr, nullptr));
    sqlite3_close(db);
    const std::string empty = testrun::read_file(store());
    ASSERT_EQ(512u, empty.size());

    EXPECT_EQ(8u, port_names().size());
    EXPECT_EQ(empty, testrun::read_file(store()));

    for (const std::string &damaged : {empty.substr(0, 125), empty + std::string(88, '\0')}) {
        put_store(damaged);
        DWORD needed = 0, count = 0;
        SetLastError(poison);
        EXPECT_FALSE(EnumPortsA(nullptr, 1, nullptr, 0, &needed, &count));
        EXPECT_EQ(static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE), GetLastError());
        SetLastError(poison);
        EXPECT_FALSE(DeletePrinterDriverA(nullptr, nullptr, const_cast<LPSTR>("Any")));
        EXPECT_EQ(static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE), GetLastError());
        EXPECT_EQ(damaged, testrun::read_file(store())) << damaged.size() << " bytes";
    }
}

// A store whose forms page is damaged, as the fuzzer found it: it used to be
// read or refused depending on what the heap held, so the tool and the
// spooler could disagree about one file. Whatever fresh memory holds (glibc's
// perturbation byte), it is refused, and kept.
TEST_F(SpoolerStore, DamagedPageIsRefusedWhateverTheHeapHolds) {
    const std::string damaged = testrun::read_file(fs::path(STORE_FUZZ_INPUTS) / "forms_page_damaged.db");
    ASSERT_EQ(6298u, damaged.size());
    put_store(damaged);
    int answered = 0;
    for (int perturb = 1; perturb < 256; ++perturb) {
        mallopt(M_PERTURB, perturb);
        try {
            w32h::spool::Transaction t;
            t.ports();
            t.drivers();
            t.printers();
            t.forms();
            ++answered;
        } catch (const w32h::Win32Failure &f) {
            EXPECT_EQ(static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE), f.error);
        }
    }
    mallopt(M_PERTURB, 0);
    EXPECT_EQ(0, answered) << "of 255 perturbations";
    EXPECT_EQ(damaged, testrun::read_file(store()));
}

TEST_F(SpoolerStore, PrefixThatCannotBeMadeFailsTheSpooler) {
    std::ofstream(folder() / "file") << "x";
    w32h::Config cfg = w32h::config();
    cfg.prefix = (folder() / "file" / "prefix").string();
    w32h::set_config(cfg);
    HANDLE printer = nullptr;
    SetLastError(poison);
    EXPECT_FALSE(OpenPrinterA(const_cast<LPSTR>("Any"), &printer, nullptr));
    EXPECT_EQ(static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE), GetLastError());
}

// Two processes adding ports at once: every port arrives, none is lost.
TEST_F(SpoolerStore, TwoProcessesShareOneStore) {
    port_names();  // the store exists before the race
    expect_both_succeed(
        [](int child) {
            for (int i = 0; i < 25; ++i) {
                w32h::spool::Transaction t;
                t.add_port({"P" + std::to_string(child) + "_" + std::to_string(i), "Test", "Local Port"});
                t.commit();
            }
            return 0;
        },
        "a child's write failed");
    EXPECT_EQ(58u, port_names().size());
}

// Two processes registering one driver at once, as two setups would: every
// call succeeds and the installed files are whole. Each copy into the version
// folder goes through a temporary file of its own.
TEST_F(SpoolerStore, TwoProcessesRegisterOneDriverAtOnce) {
    const std::string big(4 << 20, 'd');
    put_driver_files(big);
    port_names();  // the store exists before the race
    expect_both_succeed(
        [this](int) {
            for (int i = 0; i < 10; ++i)
                if (!add_driver("Drv.dll", "Data.ini", "Ui.dll")) return 10 + static_cast<int>(GetLastError() % 100);
            return 0;
        },
        "a call failed with 10 + its error");
    EXPECT_EQ(big, testrun::read_file(host(driver_folder() + "\\3\\Drv.dll")));
    for (const auto &entry : fs::directory_iterator(host(driver_folder() + "\\3")))
        EXPECT_EQ(std::string::npos, entry.path().filename().string().find("spl-tmp")) << entry.path();
}

// A process killed between its changes and its commit leaves the last
// committed state; the rollback journal it left is undone by the next caller.
TEST_F(SpoolerStore, ProcessKilledInsideACallLeavesTheStoreConsistent) {
    put_driver_files();
    ASSERT_TRUE(add_driver("Drv.dll", "Data.ini", "Ui.dll"));
    pid_t pid = fork();
    if (pid == 0) {
        std::set_terminate([] { _exit(1); });
        w32h::spool::Transaction t;
        t.remove_port("LPT2:");
        w32h::spool::Printer p;
        p.name = "Half";
        p.port = "LPT1:";
        p.processor = "winprint";
        p.driver_id = t.driver("Test Driver", "Windows NT x86")->id;
        try {
            t.add_printer(p);
        } catch (...) {
            _exit(1);
        }
        kill(getpid(), SIGKILL);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    w32h::spool::Transaction t;
    EXPECT_TRUE(t.port("LPT2:"));
    EXPECT_FALSE(t.printer(std::string("Half")));
    EXPECT_TRUE(t.driver("Test Driver", "Windows NT x86"));
}

TEST_F(SpoolerStore, StoreRefusesAPrinterWithoutItsDriver) {
    w32h::spool::Transaction t;
    w32h::spool::Printer p;
    p.name = "Orphan";
    p.port = "LPT1:";
    p.processor = "winprint";
    p.driver_id = 999;
    EXPECT_THROW(t.add_printer(p), w32h::Win32Failure);
}

// WIN32HOST_FAIL reaches the ten functions the program calls.
TEST_F(SpoolerStore, InjectedFailuresReachEachSpoolerFunction) {
    ASSERT_FALSE(w32h::parse_fail_rules(
        "GetPrinterDriverDirectoryA=5,EnumPortsA=6,OpenPrinterA=7,GetPrinterDriverA=8,DeletePrinter=9,"
        "DeleteFormA=10,ClosePrinter=11,DeletePrinterDriverA=12,AddPrinterDriverA=13,AddPrinterA=14"));
    DWORD needed = 0, count = 0;
    HANDLE h = reinterpret_cast<HANDLE>(1);
    char name[] = "x";
    EXPECT_FALSE(GetPrinterDriverDirectoryA(nullptr, nullptr, 1, nullptr, 0, &needed));
    EXPECT_EQ(5u, GetLastError());
    EXPECT_FALSE(EnumPortsA(nullptr, 2, nullptr, 0, &needed, &count));
    EXPECT_EQ(6u, GetLastError());
    EXPECT_FALSE(OpenPrinterA(name, &h, nullptr));
    EXPECT_EQ(7u, GetLastError());
    EXPECT_FALSE(GetPrinterDriverA(h, nullptr, 2, nullptr, 0, &needed));
    EXPECT_EQ(8u, GetLastError());
    EXPECT_FALSE(DeletePrinter(h));
    EXPECT_EQ(9u, GetLastError());
    EXPECT_FALSE(DeleteFormA(h, name));
    EXPECT_EQ(10u, GetLastError());
    EXPECT_FALSE(ClosePrinter(h));
    EXPECT_EQ(11u, GetLastError());
    EXPECT_FALSE(DeletePrinterDriverA(nullptr, nullptr, name));
    EXPECT_EQ(12u, GetLastError());
    EXPECT_FALSE(AddPrinterDriverA(nullptr, 3, nullptr));
    EXPECT_EQ(13u, GetLastError());
    EXPECT_EQ(nullptr, AddPrinterA(nullptr, 2, nullptr));
    EXPECT_EQ(14u, GetLastError());
}

}  // namespace
