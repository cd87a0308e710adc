// spooler_store.cpp - the SQLite store below the print spooler. One database
// file in the prefix, one IMMEDIATE transaction per spooler call, a rollback
// journal with synchronous=FULL (a process killed at any moment leaves the
// last committed state) and foreign keys (no printer without its driver).
// Reading never writes the file: a store someone switched to WAL is turned
// back to the rollback journal only by a call that writes to it.
// Texts are stored in UTF-8 so that the database reads well with sqlite3.
#include "spooler_store.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <utility>

#include "api.h"
#include "machine.h"

namespace w32h::spool {

std::string host_environment() { return windows_traits().nt ? "Windows NT x86" : "Windows 4.0"; }

namespace {

// The store's file in the prefix.
constexpr const char *store_file = "spooler.db";

// The format of the store; a store with another number is not ours.
constexpr int store_format = 1;
constexpr int busy_timeout_ms = 10000;

const char *const schema = R"sql(
CREATE TABLE ports (
    name TEXT PRIMARY KEY COLLATE NOCASE,
    description TEXT NOT NULL,
    monitor TEXT NOT NULL
);
CREATE TABLE drivers (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL COLLATE NOCASE,
    environment TEXT NOT NULL COLLATE NOCASE,
    version INTEGER NOT NULL,
    driver TEXT NOT NULL,
    data TEXT NOT NULL,
    config TEXT NOT NULL,
    help TEXT,
    dependent TEXT NOT NULL,
    monitor TEXT,
    datatype TEXT,
    UNIQUE (name, environment)
);
CREATE TABLE printers (
    id INTEGER PRIMARY KEY,
    name TEXT NOT NULL UNIQUE COLLATE NOCASE,
    share TEXT,
    port TEXT NOT NULL,
    driver_id INTEGER NOT NULL REFERENCES drivers (id) ON DELETE RESTRICT,
    comment TEXT,
    location TEXT,
    sepfile TEXT,
    processor TEXT NOT NULL,
    datatype TEXT,
    parameters TEXT,
    attributes INTEGER NOT NULL,
    priority INTEGER NOT NULL,
    default_priority INTEGER NOT NULL,
    start_time INTEGER NOT NULL,
    until_time INTEGER NOT NULL
);
CREATE TABLE forms (
    name TEXT PRIMARY KEY COLLATE NOCASE,
    flags INTEGER NOT NULL,
    width INTEGER NOT NULL,
    height INTEGER NOT NULL,
    left_edge INTEGER NOT NULL,
    top_edge INTEGER NOT NULL,
    right_edge INTEGER NOT NULL,
    bottom_edge INTEGER NOT NULL
);
)sql";

// The ports of a new machine, as Windows' local port monitor names them.
const char *const new_machine_ports[] = {"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "COM4:", "FILE:"};

[[noreturn]] void store_failure() { fail_with(RPC_S_SERVER_UNAVAILABLE); }

void check(int rc) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) store_failure();
}

void exec(sqlite3 *db, const char *sql) { check(sqlite3_exec(db, sql, nullptr, nullptr, nullptr)); }

// One prepared statement with positional parameters.
class Statement {
public:
    Statement(sqlite3 *db, const char *sql) { check(sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr)); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    Statement &bind(const std::string &text) {
        std::string utf8 = cp1252_to_utf8(text);
        check(sqlite3_bind_text(stmt_, ++next_, utf8.c_str(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT));
        return *this;
    }
    Statement &bind(const std::optional<std::string> &text) {
        if (text) return bind(*text);
        check(sqlite3_bind_null(stmt_, ++next_));
        return *this;
    }
    Statement &bind(int64_t number) {
        check(sqlite3_bind_int64(stmt_, ++next_, number));
        return *this;
    }
    // True while a row is there.
    bool step() {
        int rc = sqlite3_step(stmt_);
        check(rc);
        return rc == SQLITE_ROW;
    }
    void run() {
        while (step()) {
        }
    }
    std::string text(int column) const {
        const unsigned char *t = sqlite3_column_text(stmt_, column);
        return t ? utf8_to_cp1252(reinterpret_cast<const char *>(t)) : std::string();
    }
    std::optional<std::string> optional_text(int column) const {
        if (sqlite3_column_type(stmt_, column) == SQLITE_NULL) return std::nullopt;
        return text(column);
    }
    int64_t number(int column) const { return sqlite3_column_int64(stmt_, column); }

private:
    sqlite3_stmt *stmt_ = nullptr;
    int next_ = 0;
};

// Dependent files are kept as one text, one name a line.
std::string join_lines(const std::vector<std::string> &names) {
    std::string out;
    for (const auto &n : names) out += (out.empty() ? "" : "\n") + n;
    return out;
}

std::vector<std::string> split_lines(const std::string &text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

void create_store(sqlite3 *db) {
    exec(db, schema);
    for (const char *name : new_machine_ports)
        Statement(db, "INSERT INTO ports (name, description, monitor) VALUES (?, ?, ?)")
            .bind(std::string(name))
            .bind(std::string("Local Port"))
            .bind(std::string("Local Port"))
            .run();
    exec(db, ("PRAGMA user_version = " + std::to_string(store_format)).c_str());
}

// After a commit that wrote, a WAL store goes back to the rollback journal.
// The data is committed by then: if the switch fails (another process is
// reading), the store stays in WAL, which is as safe, and the call succeeds.
void leave_wal(sqlite3 *db) {
    if (sqlite3_total_changes(db) > 0) sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
}

// The one number a pragma or query answers.
int64_t single_number(sqlite3 *db, const char *sql) {
    Statement s(db, sql);
    if (!s.step()) store_failure();
    return s.number(0);
}

// True when the file is empty or exactly the pages SQLite sees. A store is
// made inside the caller's transaction, which a call that only reads rolls
// back; the rollback restores whole pages, so a file cut short or with bytes
// past its last page would come back with another length.
bool whole_pages(sqlite3 *db, const std::string &path) {
    struct stat st {};
    const int64_t size = stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : 0;
    return size == 0 || size == single_number(db, "PRAGMA page_count") * single_number(db, "PRAGMA page_size");
}

// A store of our format, or an empty database that becomes one; anything else
// is damaged or foreign and is refused, never reset.
void check_or_create(sqlite3 *db, const std::string &path) {
    const int64_t format = single_number(db, "PRAGMA user_version");
    if (format == store_format) return;
    if (format != 0 || single_number(db, "SELECT count(*) FROM sqlite_master") != 0 || !whole_pages(db, path))
        store_failure();
    create_store(db);
}

Driver driver_from(const Statement &s) {
    Driver d;
    d.id = s.number(0);
    d.name = s.text(1);
    d.environment = s.text(2);
    d.version = static_cast<DWORD>(s.number(3));
    d.driver = s.text(4);
    d.data = s.text(5);
    d.config = s.text(6);
    d.help = s.optional_text(7);
    d.dependent = split_lines(s.text(8));
    d.monitor = s.optional_text(9);
    d.datatype = s.optional_text(10);
    return d;
}

const char *const driver_columns =
    "SELECT id, name, environment, version, driver, data, config, help, dependent, monitor, datatype FROM drivers";

Printer printer_from(const Statement &s) {
    Printer p;
    p.id = s.number(0);
    p.name = s.text(1);
    p.share = s.optional_text(2);
    p.port = s.text(3);
    p.driver_id = s.number(4);
    p.driver = s.text(5);
    p.comment = s.optional_text(6);
    p.location = s.optional_text(7);
    p.sepfile = s.optional_text(8);
    p.processor = s.text(9);
    p.datatype = s.optional_text(10);
    p.parameters = s.optional_text(11);
    p.attributes = static_cast<DWORD>(s.number(12));
    p.priority = static_cast<DWORD>(s.number(13));
    p.default_priority = static_cast<DWORD>(s.number(14));
    p.start_time = static_cast<DWORD>(s.number(15));
    p.until_time = static_cast<DWORD>(s.number(16));
    return p;
}

const char *const printer_columns =
    "SELECT p.id, p.name, p.share, p.port, p.driver_id, d.name, p.comment, p.location, p.sepfile, p.processor, "
    "p.datatype, p.parameters, p.attributes, p.priority, p.default_priority, p.start_time, p.until_time "
    "FROM printers p JOIN drivers d ON d.id = p.driver_id";

Form form_from(const Statement &s) {
    Form f;
    f.name = s.text(0);
    f.flags = static_cast<DWORD>(s.number(1));
    f.width = static_cast<LONG>(s.number(2));
    f.height = static_cast<LONG>(s.number(3));
    f.left = static_cast<LONG>(s.number(4));
    f.top = static_cast<LONG>(s.number(5));
    f.right = static_cast<LONG>(s.number(6));
    f.bottom = static_cast<LONG>(s.number(7));
    return f;
}

const char *const form_columns =
    "SELECT name, flags, width, height, left_edge, top_edge, right_edge, bottom_edge FROM forms";

Port port_from(const Statement &s) { return Port{s.text(0), s.text(1), s.text(2)}; }

const char *const port_columns = "SELECT name, description, monitor FROM ports";

// The rows a statement gives, each read by from().
template <class Row>
std::vector<Row> all_rows(Statement &s, Row (*from)(const Statement &)) {
    std::vector<Row> out;
    while (s.step()) out.push_back(from(s));
    return out;
}

template <class Row>
std::optional<Row> first_row(Statement &s, Row (*from)(const Statement &)) {
    if (!s.step()) return std::nullopt;
    return from(s);
}

// The columns of a table followed by the rest of a query.
std::string query(const char *columns, const char *rest) { return std::string(columns) + " " + rest; }

}  // namespace

Transaction::Transaction() {
    std::string path;
    try {
        path = prefix_file(store_file);
    } catch (const Win32Failure &) {
        store_failure();
    }
    open(path, SQLITE_OPEN_CREATE);
}

Transaction::Transaction(ExistingOnly) {
    std::string path = config().prefix + "/" + store_file;
    struct stat st {};
    open(stat(path.c_str(), &st) == 0 ? path : ":memory:", 0);
}

void Transaction::open(const std::string &path, int create_flag) {
    int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | create_flag, nullptr);
    try {
        check(rc);
        sqlite3_busy_timeout(db_, busy_timeout_ms);
        // cell_size_check: without it, some damaged pages are read with
        // whatever the heap held, so one file could be answered and refused.
        exec(db_, "PRAGMA foreign_keys = ON; PRAGMA synchronous = FULL; PRAGMA cell_size_check = ON");
        exec(db_, "BEGIN IMMEDIATE");
        open_ = true;
        check_or_create(db_, path);
    } catch (...) {
        if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db_);
        throw;
    }
}

Transaction::~Transaction() {
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db_);
}

void Transaction::commit() {
    exec(db_, "COMMIT");
    open_ = false;
    leave_wal(db_);
}

std::vector<Port> Transaction::ports() {
    Statement s(db_, query(port_columns, "ORDER BY rowid").c_str());
    return all_rows(s, port_from);
}

std::optional<Port> Transaction::port(const std::string &name) {
    Statement s(db_, query(port_columns, "WHERE name = ?").c_str());
    s.bind(name);
    return first_row(s, port_from);
}

void Transaction::add_port(const Port &port) {
    Statement(db_, "INSERT INTO ports (name, description, monitor) VALUES (?, ?, ?)")
        .bind(port.name)
        .bind(port.description)
        .bind(port.monitor)
        .run();
}

void Transaction::remove_port(const std::string &name) {
    Statement(db_, "DELETE FROM ports WHERE name = ?").bind(name).run();
}

std::vector<Driver> Transaction::drivers() {
    Statement s(db_, query(driver_columns, "ORDER BY id").c_str());
    return all_rows(s, driver_from);
}

std::optional<Driver> Transaction::driver(const std::string &name, const std::string &environment) {
    Statement s(db_, query(driver_columns, "WHERE name = ? AND environment = ?").c_str());
    s.bind(name).bind(environment);
    return first_row(s, driver_from);
}

int64_t Transaction::put_driver(const Driver &d) {
    // An upgrade keeps the row, so the printers that use the driver keep it.
    Statement s(db_,
                "INSERT INTO drivers (name, environment, version, driver, data, config, help, dependent, monitor, "
                "datatype) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (name, environment) DO UPDATE SET "
                "name = excluded.name, version = excluded.version, driver = excluded.driver, data = excluded.data, "
                "config = excluded.config, help = excluded.help, dependent = excluded.dependent, "
                "monitor = excluded.monitor, datatype = excluded.datatype RETURNING id");
    s.bind(d.name).bind(d.environment).bind(static_cast<int64_t>(d.version)).bind(d.driver).bind(d.data);
    s.bind(d.config).bind(d.help).bind(join_lines(d.dependent)).bind(d.monitor).bind(d.datatype);
    if (!s.step()) store_failure();
    int64_t id = s.number(0);
    s.run();
    return id;
}

void Transaction::remove_driver(int64_t id) { Statement(db_, "DELETE FROM drivers WHERE id = ?").bind(id).run(); }

bool Transaction::driver_in_use(int64_t id) {
    Statement s(db_, "SELECT 1 FROM printers WHERE driver_id = ? LIMIT 1");
    s.bind(id);
    return s.step();
}

std::vector<Printer> Transaction::printers() {
    Statement s(db_, query(printer_columns, "ORDER BY p.id").c_str());
    return all_rows(s, printer_from);
}

std::optional<Printer> Transaction::printer(const std::string &name) {
    Statement s(db_, query(printer_columns, "WHERE p.name = ?").c_str());
    s.bind(name);
    return first_row(s, printer_from);
}

std::optional<Printer> Transaction::printer(int64_t id) {
    Statement s(db_, query(printer_columns, "WHERE p.id = ?").c_str());
    s.bind(id);
    return first_row(s, printer_from);
}

int64_t Transaction::add_printer(const Printer &p) {
    Statement s(db_,
                "INSERT INTO printers (name, share, port, driver_id, comment, location, sepfile, processor, datatype, "
                "parameters, attributes, priority, default_priority, start_time, until_time) "
                "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id");
    s.bind(p.name).bind(p.share).bind(p.port).bind(p.driver_id).bind(p.comment).bind(p.location).bind(p.sepfile);
    s.bind(p.processor).bind(p.datatype).bind(p.parameters).bind(static_cast<int64_t>(p.attributes));
    s.bind(static_cast<int64_t>(p.priority)).bind(static_cast<int64_t>(p.default_priority));
    s.bind(static_cast<int64_t>(p.start_time)).bind(static_cast<int64_t>(p.until_time));
    if (!s.step()) store_failure();
    int64_t id = s.number(0);
    s.run();
    return id;
}

void Transaction::remove_printer(int64_t id) { Statement(db_, "DELETE FROM printers WHERE id = ?").bind(id).run(); }

std::vector<Form> Transaction::forms() {
    Statement s(db_, query(form_columns, "ORDER BY rowid").c_str());
    return all_rows(s, form_from);
}

std::optional<Form> Transaction::form(const std::string &name) {
    Statement s(db_, query(form_columns, "WHERE name = ?").c_str());
    s.bind(name);
    return first_row(s, form_from);
}

void Transaction::add_form(const Form &f) {
    Statement(db_,
              "INSERT INTO forms (name, flags, width, height, left_edge, top_edge, right_edge, bottom_edge) "
              "VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .bind(f.name)
        .bind(static_cast<int64_t>(f.flags))
        .bind(static_cast<int64_t>(f.width))
        .bind(static_cast<int64_t>(f.height))
        .bind(static_cast<int64_t>(f.left))
        .bind(static_cast<int64_t>(f.top))
        .bind(static_cast<int64_t>(f.right))
        .bind(static_cast<int64_t>(f.bottom))
        .run();
}

void Transaction::remove_form(const std::string &name) {
    Statement(db_, "DELETE FROM forms WHERE name = ?").bind(name).run();
}

}  // namespace w32h::spool
