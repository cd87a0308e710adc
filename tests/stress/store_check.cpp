// store_check.cpp - the check of a prefix's spooler store after a kill or a
// pair of runs (the tool lists it, SQLite read-only finds it whole, it takes a
// write), and the check's self-test, each planted fault found.
#include <sqlite3.h>

#include <algorithm>
#include <functional>

#include "program_run.h"
#include "spooler_crash.h"

namespace crash {

namespace {

using Rows = std::vector<std::vector<std::string>>;

std::string upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), ::toupper);
    return text;
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

// The store read with SQLite, read-only and without creating: the check must
// not mend what it reads. A query that fails is a problem of the store.
class Store {
public:
    Store(const fs::path &file, std::vector<std::string> &problems) : problems_(problems) {
        if (sqlite3_open_v2(file.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            problems_.push_back("store: cannot open");
    }
    ~Store() { sqlite3_close(db_); }
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    // Every row of a query as texts.
    Rows rows(const std::string &sql, const std::vector<std::string> &args = {}) {
        Rows out;
        sqlite3_stmt *s = nullptr;
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) {
            problems_.push_back("store: " + sql + ": " + sqlite3_errmsg(db_));
            return out;
        }
        for (size_t i = 0; i < args.size(); ++i)
            sqlite3_bind_text(s, static_cast<int>(i + 1), args[i].c_str(), -1, SQLITE_TRANSIENT);
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) out.push_back(row_of(s));
        if (rc != SQLITE_DONE) problems_.push_back("store: " + sql + ": " + sqlite3_errmsg(db_));
        sqlite3_finalize(s);
        return out;
    }

private:
    static std::vector<std::string> row_of(sqlite3_stmt *s) {
        std::vector<std::string> row;
        for (int c = 0; c < sqlite3_column_count(s); ++c) {
            const unsigned char *t = sqlite3_column_text(s, c);
            row.push_back(t ? reinterpret_cast<const char *>(t) : "");
        }
        return row;
    }

    sqlite3 *db_ = nullptr;
    std::vector<std::string> &problems_;
};

// The tool opens the store read-write: a journal a killed process left is
// rolled back here, as any next spooler caller would. A journal may stay
// behind with its header zeroed, never one that still holds a transaction.
testjson::Value check_listing(const fs::path &prefix, const std::string &winver, std::vector<std::string> &problems) {
    ToolRun list = tool(prefix, winver, {"spooler", "list"});
    if (!exited_with(list.status, 0)) problems.push_back("spooler list: " + describe(list.status) + ": " + list.err);
    testjson::Value listing;
    try {
        listing = testjson::parse(list.out);
        for (const char *part : {"ports", "drivers", "printers", "forms"})
            if (listing[part].kind != testjson::Value::array)
                problems.push_back(std::string("spooler list: no ") + part);
    } catch (const std::exception &e) {
        problems.push_back(std::string("spooler list: not JSON (") + e.what() + "): " + list.out);
    }
    if (hot_journal(prefix)) problems.push_back("a hot journal is left after the listing");
    return listing;
}

// Whether the store has been made: an empty file is a store not made yet (a
// kill came before the first commit), what a new machine has.
bool check_database(Store &store, std::vector<std::string> &problems) {
    if (auto r = store.rows("PRAGMA integrity_check"); r.size() != 1 || r[0][0] != "ok")
        problems.push_back("integrity_check fails");
    bool made = store.rows("SELECT count(*) FROM sqlite_master") != Rows{{"0"}};
    if (auto r = store.rows("PRAGMA user_version"); made && (r.size() != 1 || r[0][0] != "1"))
        problems.push_back("not a store of format 1");
    for (const auto &r : store.rows("PRAGMA foreign_key_check")) problems.push_back("foreign key broken in " + r[0]);
    return made;
}

// Each printer whole, on ports that exist, with its driver and the forms its creation adds.
void check_printers(Store &store, const fs::path &prefix, std::vector<std::string> &problems) {
    for (const auto &r : store.rows("SELECT p.name FROM printers p LEFT JOIN drivers d ON d.id = p.driver_id "
                                    "WHERE d.id IS NULL"))
        problems.push_back("printer '" + r[0] + "' without its driver");
    Rows forms = store.rows("SELECT name FROM forms");
    auto has_form = [&](const std::string &name) {
        return std::any_of(forms.begin(), forms.end(), [&](const auto &f) { return f[0] == name; });
    };
    for (const auto &p : store.rows("SELECT p.name, p.port, p.processor, d.data FROM printers p "
                                    "JOIN drivers d ON d.id = p.driver_id")) {
        if (p[0].empty() || p[1].empty() || p[2].empty()) problems.push_back("half printer record '" + p[0] + "'");
        for (size_t at = 0; at <= p[1].size();) {
            size_t end = std::min(p[1].find(',', at), p[1].size());
            std::string port = p[1].substr(at, end - at);
            if (store.rows("SELECT 1 FROM ports WHERE name = ?", {port}).empty())
                problems.push_back("printer '" + p[0] + "' on port '" + port + "' that does not exist");
            at = end + 1;
        }
        for (const auto &f : declared_forms(host_path(prefix, p[3])))
            if (!has_form(f)) problems.push_back("printer '" + p[0] + "' without form '" + f + "' its creation adds");
    }
}

// Each driver record whole, and every file it names in place.
void check_drivers(Store &store, const fs::path &prefix, std::vector<std::string> &problems) {
    for (const auto &d : store.rows("SELECT name, environment, driver, data, config, COALESCE(help, ''), dependent "
                                    "FROM drivers")) {
        for (size_t c = 0; c < 5; ++c)
            if (d[c].empty()) problems.push_back("half driver record '" + d[0] + "'");
        std::vector<std::string> files{d[2], d[3], d[4]};
        if (!d[5].empty()) files.push_back(d[5]);
        std::istringstream dependent(d[6]);
        for (std::string f; std::getline(dependent, f);) files.push_back(f);
        for (const auto &f : files)
            if (!fs::is_regular_file(host_path(prefix, f)))
                problems.push_back("driver '" + d[0] + "' without its file " + f);
    }
}

// The tool and SQLite read the same store; a store not made lists only ports.
void check_same_listing(Store &store, bool made, const testjson::Value &listing, std::vector<std::string> &problems) {
    for (const char *table : {"ports", "drivers", "printers", "forms"}) {
        if (!made && std::string(table) != "ports" && !listing[table].items.empty())
            problems.push_back(std::string("spooler list shows ") + table + " of a store not made");
        if (!made) continue;
        if (auto r = store.rows(std::string("SELECT count(*) FROM ") + table);
            r.size() == 1 && std::to_string(listing[table].items.size()) != r[0][0])
            problems.push_back(std::string("spooler list and the store differ on ") + table);
    }
}

void check_takes_a_write(const fs::path &prefix, const std::string &winver, std::vector<std::string> &problems) {
    ToolRun add = tool(prefix, winver, {"spooler", "add-form", "Crash Check", "1000", "1000"});
    ToolRun remove = tool(prefix, winver, {"spooler", "remove-form", "Crash Check"});
    if (!exited_with(add.status, 0) || !exited_with(remove.status, 0))
        problems.push_back("the store refuses a write: " + add.err + remove.err);
}

}  // namespace

// Each name matched without regard to case, as Windows does.
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

// The journal header's magic number is in place.
bool hot_journal(const fs::path &prefix) {
    const char magic[] = "\xd9\xd5\x05\xf9\x20\xa1\x63\xd7";
    return testrun::read_file(prefix / "spooler.db-journal").compare(0, 8, magic, 8) == 0;
}

// Each stage runs only on what the one before found whole.
std::vector<std::string> check_store(const fs::path &prefix, const std::string &winver) {
    std::vector<std::string> problems;
    testjson::Value listing = check_listing(prefix, winver, problems);
    if (!problems.empty()) return problems;
    {
        Store store(prefix / "spooler.db", problems);
        bool made = check_database(store, problems);
        if (!problems.empty()) return problems;
        if (made) check_printers(store, prefix, problems);
        if (made) check_drivers(store, prefix, problems);
        check_same_listing(store, made, listing, problems);
    }
    if (problems.empty()) check_takes_a_write(prefix, winver, problems);
    return problems;
}

bool report(const std::vector<std::string> &problems, const std::string &context) {
    for (const auto &p : problems) std::printf("FAULT %s: %s\n", context.c_str(), p.c_str());
    std::fflush(stdout);
    return problems.empty();
}

namespace {

using Plant = std::function<void(const fs::path &)>;

// Statements run on the store with its foreign keys off, as no spooler would.
Plant sql(const std::string &statements) {
    return [statements](const fs::path &prefix) {
        sqlite3 *db = nullptr;
        sqlite3_open((prefix / "spooler.db").c_str(), &db);
        sqlite3_exec(db, ("PRAGMA foreign_keys = OFF;" + statements).c_str(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
    };
}

const std::vector<std::pair<const char *, Plant>> &planted_faults() {
    static const std::vector<std::pair<const char *, Plant>> faults = {
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
    return faults;
}

// A worker prepares the machine, then installs and stops.
bool install(const fs::path &prefix, const fs::path &dir, const std::string &winver) {
    Spawn worker{{self_path, "worker", (dir / "count").string(), "prepare"}, machine_env(prefix, winver)};
    worker.err = (dir / "err").string();
    if (!exited_with(run_to_end(worker), 0)) return false;
    worker.argv.back() = "install";
    return exited_with(run_to_end(worker), 0);
}

}  // namespace

int self_test() {
    testrun::TempDir dir;
    fs::path prefix = dir.path() / "machine";
    const std::string winver = "win2000";
    if (!install(prefix, dir.path(), winver) || !report(check_store(prefix, winver), "the whole store")) return 1;
    int missed = 0;
    for (const auto &[name, plant] : planted_faults()) {
        fs::path copy = dir.path() / "copy";
        fs::remove_all(copy);
        fs::copy(prefix, copy, fs::copy_options::recursive);
        plant(copy);
        auto problems = check_store(copy, winver);
        std::printf("%s: %s\n", name, problems.empty() ? "NOT FOUND" : problems[0].c_str());
        if (problems.empty()) ++missed;
    }
    return missed ? 1 : 0;
}

}  // namespace crash
