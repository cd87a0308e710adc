// spooler_store.h - the print spooler's store: the ports, drivers, printers
// and forms of the emulated machine, kept in one SQLite database in the
// prefix (spooler.db), so that every process on one prefix sees one spooler.
// Texts cross this interface in the program's code page (1252).
#pragma once

#include "host.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace w32h::spool {

struct Port {
    std::string name;
    std::string description;
    std::string monitor;
};

struct Driver {
    int64_t id = 0;
    std::string name;
    std::string environment;
    DWORD version = 0;
    std::string driver, data, config;  // full Windows paths
    std::optional<std::string> help;
    std::vector<std::string> dependent;
    std::optional<std::string> monitor, datatype;
};

struct Printer {
    int64_t id = 0;
    std::string name;
    std::optional<std::string> share;
    std::string port;  // one port, or a comma-separated pool
    int64_t driver_id = 0;
    std::string driver;  // the driver's name, read back from the driver
    std::optional<std::string> comment, location, sepfile, parameters, datatype;
    std::string processor;
    DWORD attributes = 0, priority = 0, default_priority = 0, start_time = 0, until_time = 0;
};

struct Form {
    std::string name;
    DWORD flags = 0;
    LONG width = 0, height = 0;                         // thousandths of a millimetre
    LONG left = 0, top = 0, right = 0, bottom = 0;  // imageable area
};

// The environment of the host's own drivers, under which the store keeps
// them: "Windows NT x86" on the NT family, "Windows 4.0" on Windows 95, 98 and Me.
std::string host_environment();

// One transaction on the prefix's store: BEGIN IMMEDIATE when made, rolled
// back when destroyed without commit(). A new store is created with its
// schema and the ports of a new machine. Every failure of the store (cannot
// be opened, locked beyond the busy timeout, damaged, an unknown format)
// throws Win32Failure with RPC_S_SERVER_UNAVAILABLE, as a spooler that does
// not answer would; a damaged store is left as it is for someone to look at.
class Transaction {
public:
    Transaction();
    // For a caller that only reads (`win32host spooler list`): the store as it
    // stands, the machine not made; a prefix without a store yet reads as a
    // new machine's spooler, held in memory, so that nothing is created.
    struct ExistingOnly {};
    explicit Transaction(ExistingOnly);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();

    std::vector<Port> ports();
    std::optional<Port> port(const std::string &name);
    void add_port(const Port &port);
    void remove_port(const std::string &name);

    std::vector<Driver> drivers();
    std::optional<Driver> driver(const std::string &name, const std::string &environment);
    // Inserts the driver, or replaces the one of the same name and
    // environment in place (its printers keep it); returns its id.
    int64_t put_driver(const Driver &driver);
    void remove_driver(int64_t id);
    bool driver_in_use(int64_t id);

    std::vector<Printer> printers();
    std::optional<Printer> printer(const std::string &name);
    std::optional<Printer> printer(int64_t id);
    int64_t add_printer(const Printer &printer);
    void remove_printer(int64_t id);

    std::vector<Form> forms();
    std::optional<Form> form(const std::string &name);
    void add_form(const Form &form);
    void remove_form(const std::string &name);

private:
    void open(const std::string &path, int create_flag);

    sqlite3 *db_ = nullptr;
    bool open_ = false;
};

}  // namespace w32h::spool
