// test_spooler_tool.cpp - the `win32host spooler` commands as people and
// tests use them from outside: the JSON listing of a prefix's spooler (one
// line in a pipe, indented on a terminal), ports and forms added and removed,
// refusals on standard error; reading that makes no machine, and --help.
#include <algorithm>
#include <cstring>
#include <sstream>

#include "fresh_machine.h"
#include "spooler_records.h"

namespace {

struct ToolRun {
    int code = -1;
    std::string out;
};

// A shell command line, its standard error with its standard output, read
// through a pipe or, on_terminal, through a pseudo-terminal that script(1)
// makes (whose line discipline ends lines with "\r\n").
ToolRun shell(const std::string &command, bool on_terminal = false) {
    std::string line = on_terminal ? "script -qec \"" + command + "\" /dev/null" : command;
    testrun::CommandOutput r = testrun::command_output(line + " 2>&1");
    r.out.erase(std::remove(r.out.begin(), r.out.end(), '\r'), r.out.end());
    return {WIFEXITED(r.status) ? WEXITSTATUS(r.status) : -1, r.out};
}

// The tool runs on the fixture's machine, which the test's own process sees too.
class SpoolerTool : public hosttest::FreshMachine {
protected:
    SpoolerTool() : FreshMachine("nt40") {}
    ToolRun tool(const std::string &arguments, bool on_terminal = false) {
        return shell(
            "WIN32HOST_PREFIX='" + prefix().string() + "' WIN32HOST_WINVER=nt40 '" WIN32HOST_TOOL "' " + arguments,
            on_terminal);
    }
    ToolRun run(const std::string &arguments) { return tool("spooler " + arguments); }
    testjson::Value list() {
        ToolRun r = run("list");
        EXPECT_EQ(0, r.code) << r.out;
        return testjson::parse(r.out);
    }
};

// A machine that `win32host path` made has no spooler store yet: it lists
// as a new machine's spooler, and listing makes no store.
TEST_F(SpoolerTool, ListsANewMachine) {
    ASSERT_EQ(0, tool("path 'C:\\'").code);
    testjson::Value v = list();
    EXPECT_FALSE(std::filesystem::exists(prefix() / "spooler.db"));
    ASSERT_EQ(8u, v["ports"].items.size());
    EXPECT_EQ("LPT1:", v["ports"][0]["name"].s);
    EXPECT_EQ("Local Port", v["ports"][0]["description"].s);
    EXPECT_EQ("FILE:", v["ports"][7]["name"].s);
    EXPECT_EQ(testjson::Value::array, v["drivers"].kind);
    EXPECT_TRUE(v["drivers"].items.empty());
    EXPECT_TRUE(v["printers"].items.empty());
    EXPECT_TRUE(v["forms"].items.empty());
}

TEST_F(SpoolerTool, AddsAndRemovesPortsAndForms) {
    EXPECT_EQ(0, run("add-port 'Net Port' 'R\xC3\xA9seau \"A\"'").code);
    EXPECT_EQ(0, run("add-form Card 85600 53980").code);
    testjson::Value v = list();
    ASSERT_EQ(9u, v["ports"].items.size());
    EXPECT_EQ("Net Port", v["ports"][8]["name"].s);
    EXPECT_EQ("R\xC3\xA9seau \"A\"", v["ports"][8]["description"].s);
    ASSERT_EQ(1u, v["forms"].items.size());
    EXPECT_EQ("Card", v["forms"][0]["name"].s);
    EXPECT_EQ(85600, v["forms"][0]["width"].n);
    EXPECT_EQ(53980, v["forms"][0]["height"].n);
    EXPECT_EQ(0, run("remove-port 'net port'").code);
    EXPECT_EQ(0, run("remove-form Card").code);
    v = list();
    EXPECT_EQ(8u, v["ports"].items.size());
    EXPECT_TRUE(v["forms"].items.empty());
}

// A driver and a printer put in through the API of this process show in the
// listing of another, with the paths the spooler reports.
TEST_F(SpoolerTool, ListsDriversAndPrintersAsTheSpoolerReportsThem) {
    for (const char *name : {"d.dll", "data.ini", "ui.dll", "a.hlp"}) put_driver_file(name, name);
    char dependent[] = "a.hlp\0data.ini\0";
    DRIVER_INFO_3A driver = testrun::driver_record("Tool Driver", "d.dll", "data.ini", "ui.dll", dependent);
    driver.pDefaultDataType = testrun::text("RAW");
    ASSERT_TRUE(AddPrinterDriverA(nullptr, 3, reinterpret_cast<LPBYTE>(&driver)));
    PRINTER_INFO_2A printer = testrun::printer_record("Tool Printer", "Tool Driver", "COM2:");
    printer.pComment = testrun::text("Comment");
    printer.Attributes = 0x1041;
    HANDLE h = AddPrinterA(nullptr, 2, reinterpret_cast<LPBYTE>(&printer));
    ASSERT_NE(nullptr, h);
    ClosePrinter(h);

    testjson::Value v = list();
    ASSERT_EQ(1u, v["drivers"].items.size());
    const testjson::Value &d = v["drivers"][0];
    const std::string version_folder = "C:\\WINNT\\system32\\spool\\DRIVERS\\W32X86\\2\\";
    EXPECT_EQ("Tool Driver", d["name"].s);
    EXPECT_EQ("Windows NT x86", d["environment"].s);
    EXPECT_EQ(2, d["version"].n);
    EXPECT_EQ(version_folder + "d.dll", d["driver"].s);
    EXPECT_EQ(version_folder + "data.ini", d["data"].s);
    EXPECT_EQ(version_folder + "ui.dll", d["config"].s);
    EXPECT_EQ(testjson::Value::null, d["help"].kind);
    ASSERT_EQ(2u, d["dependent"].items.size());
    EXPECT_EQ(version_folder + "a.hlp", d["dependent"][0].s);
    EXPECT_EQ("RAW", d["datatype"].s);
    ASSERT_EQ(1u, v["printers"].items.size());
    const testjson::Value &p = v["printers"][0];
    EXPECT_EQ("Tool Printer", p["name"].s);
    EXPECT_EQ("COM2:", p["port"].s);
    EXPECT_EQ("Tool Driver", p["driver"].s);
    EXPECT_EQ("Comment", p["comment"].s);
    EXPECT_EQ("winprint", p["processor"].s);
    EXPECT_EQ(testjson::Value::null, p["datatype"].kind);
    EXPECT_EQ(0x1041, p["attributes"].n);
    EXPECT_EQ(testjson::Value::null, p["share"].kind);
    ToolRun in_use = run("remove-port COM2:");
    EXPECT_EQ(1, in_use.code);
    EXPECT_NE(std::string::npos, in_use.out.find("printer 'Tool Printer' uses port 'COM2:'")) << in_use.out;
}

TEST_F(SpoolerTool, RefusesWhatTheSpoolerWouldNotHold) {
    ToolRun twice = run("add-port COM1: Again");
    EXPECT_EQ(1, twice.code);
    EXPECT_NE(std::string::npos, twice.out.find("win32host spooler: port 'COM1:' exists")) << twice.out;
    EXPECT_EQ(1, run("remove-port LPT9:").code);
    EXPECT_EQ(1, run("remove-form Card").code);
    EXPECT_EQ(1, run("add-form Card 0 10").code);
    EXPECT_EQ(1, run("add-form Card 10").code);
    EXPECT_EQ(1, run("frobnicate").code);
    EXPECT_EQ(8u, list()["ports"].items.size());
}

TEST_F(SpoolerTool, DamagedStoreIsReportedAndKept) {
    std::filesystem::create_directories(prefix());
    std::string garbage(2048, 'g');
    { std::ofstream((prefix() / "spooler.db").string(), std::ios::binary | std::ios::trunc) << garbage; }
    ToolRun r = run("list");
    EXPECT_EQ(1, r.code);
    EXPECT_NE(std::string::npos, r.out.find("error 1722")) << r.out;
    EXPECT_EQ(garbage, testrun::read_file(prefix() / "spooler.db"));
}

// Commands that only read make nothing: on a mistyped prefix they say so
// in one line naming it; a prefix with its store alone gets no drive C:.
TEST_F(SpoolerTool, ReadingMakesNothing) {
    namespace fs = std::filesystem;
    struct Case {
        const char *machine;  // what the prefix holds: "none", "empty" or "store"
        const char *command;
        int code;
        std::string entries;  // the prefix's entries after, "-" when it does not exist
    };
    const std::string missing = "no emulated machine at " + prefix().string() + " (WIN32HOST_PREFIX)\n";
    const Case cases[] = {
        {"none", "spooler list", 1, "-"},
        {"none", "lock 'C:\\WINNT\\win.ini'", 1, "-"},
        {"empty", "spooler list", 0, ""},
        {"store", "spooler list", 0, "spooler.db "},
    };
    for (const Case &c : cases) {
        fs::remove_all(prefix());
        if (std::string(c.machine) == "empty") fs::create_directories(prefix());
        if (std::string(c.machine) == "store") {
            ASSERT_EQ(0, run("add-form Card 85600 53980").code);
            fs::remove_all(prefix() / "drive_c");
        }
        ToolRun r = tool(c.command);
        EXPECT_EQ(c.code, r.code) << c.machine << ": " << c.command << ": " << r.out;
        std::string name(c.command, std::strcspn(c.command, " "));
        if (c.code == 1) {
            EXPECT_EQ("win32host " + name + ": " + missing, r.out);
        }
        std::string entries = fs::exists(prefix()) ? "" : "-";
        if (fs::exists(prefix()))
            for (const auto &e : fs::directory_iterator(prefix())) entries += e.path().filename().string() + " ";
        EXPECT_EQ(c.entries, entries) << c.machine << ": " << c.command;
    }
}

// A person reads the listing indented on a terminal; programs read one
// compact line through a pipe, as before. Texts that look like JSON keep
// their blanks, colons, commas and brackets.
TEST_F(SpoolerTool, ListIsIndentedOnATerminalAndOneLineInAPipe) {
    ASSERT_EQ(0, run("add-form 'Card \"A\": [x, {y}]' 85600 53980").code);
    ToolRun piped = run("list"), shown = tool("spooler list", true);
    ASSERT_EQ(0, shown.code) << shown.out;
    EXPECT_EQ(1, std::count(piped.out.begin(), piped.out.end(), '\n')) << piped.out;
    EXPECT_EQ(0u, piped.out.find("{\"ports\":[{\"name\":\"LPT1:\",\"description\":\"Local Port\"},")) << piped.out;
    EXPECT_EQ(0u, shown.out.find("{\n  \"ports\": [\n    {\n      \"name\": \"LPT1:\",\n")) << shown.out;
    EXPECT_NE(std::string::npos, shown.out.find("\n  \"drivers\": [],\n")) << shown.out;
    EXPECT_NE(std::string::npos, shown.out.find("\"name\": \"Card \\\"A\\\": [x, {y}]\",\n")) << shown.out;
}

// --help within 80 columns, naming the default prefix as this environment
// makes it.
TEST(Win32hostToolHelp, FitsEightyColumnsAndGivesTheDefaultPrefix) {
    const std::pair<const char *, const char *> environments[] = {
        {"env -u XDG_DATA_HOME HOME=/home/ana", "/home/ana/.local/share/win32host"},
        {"XDG_DATA_HOME=/data/ana", "/data/ana/win32host"},
    };
    for (const auto &[environment, default_prefix] : environments) {
        ToolRun help = shell(std::string(environment) + " '" WIN32HOST_TOOL "' --help");
        EXPECT_EQ(0, help.code);
        EXPECT_NE(std::string::npos, help.out.find(std::string("\n  ") + default_prefix + "\n")) << help.out;
        std::istringstream lines(help.out);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
    }
}

}  // namespace
