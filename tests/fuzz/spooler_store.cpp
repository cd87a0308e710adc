// spooler_store.cpp - fuzzes the print spooler's reading of its store: the
// input becomes the prefix's spooler.db, then the store's readers, the
// spooler calls that read (EnumPortsA, OpenPrinterA, GetPrinterA,
// GetPrinterDriverA, GetFormA) and `win32host spooler list` must answer or
// fail cleanly: a damaged store fails with RPC_S_SERVER_UNAVAILABLE (1722),
// the listing is JSON, and the file is never changed by reading it.
#include <winspool.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "api.h"
#include "fuzz_support.h"
#include "json.h"
#include "machine.h"
#include "spooler_store.h"
#include "tool/tool.h"

namespace {

std::string last_refusal;  // what the tool reported, for the checks below

int capture_fd = -1;  // the file that standard output goes to

std::string read_file(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_file(const std::string &path, const uint8_t *data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(data), static_cast<std::streamsize>(size));
    FUZZ_CHECK(out.good(), "the store is written");
}

// `win32host spooler list`: exit code 0 and one JSON object, or 1 and a
// message naming the spooler's error.
bool check_tool_listing() {
    std::fflush(stdout);
    FUZZ_CHECK(ftruncate(capture_fd, 0) == 0 && lseek(capture_fd, 0, SEEK_SET) == 0, "the capture is emptied");
    last_refusal.clear();
    const int code = w32h::tool::spooler_command.run({"list"});
    std::fflush(stdout);
    std::string out(static_cast<size_t>(lseek(capture_fd, 0, SEEK_END)), '\0');
    FUZZ_CHECK(pread(capture_fd, out.data(), out.size(), 0) == static_cast<ssize_t>(out.size()), "the listing is read");
    if (code != 0) {
        FUZZ_CHECK(code == 1 && out.empty(), "a failed listing prints nothing and exits with 1");
        FUZZ_CHECK(last_refusal.find("(error 1722)") != std::string::npos, "a damaged store is error 1722");
        return false;
    }
    testjson::Value listing;
    try {
        listing = testjson::parse(out);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "%s\n", e.what());
        FUZZ_CHECK(false, "the listing is JSON");
    }
    for (const char *key : {"ports", "drivers", "printers", "forms"})
        FUZZ_CHECK(listing[key].kind == testjson::Value::array, "the listing has its four arrays");
    return true;
}

// Runs one read of the store; false when it failed, as it may only with 1722.
template <class Read>
bool store_read(Read read) {
    try {
        read();
        return true;
    } catch (const w32h::Win32Failure &f) {
        FUZZ_CHECK(f.error == RPC_S_SERVER_UNAVAILABLE, "the store fails only as a spooler that does not answer");
        return false;
    }
}

bool failed_with(BOOL ok, std::initializer_list<DWORD> allowed) {
    if (ok) return false;
    const DWORD error = GetLastError();
    for (DWORD e : allowed)
        if (e == error) return true;
    std::fprintf(stderr, "error %lu\n", static_cast<unsigned long>(error));
    FUZZ_CHECK(false, "a spooler call fails with an error it documents");
    return true;
}

// A text the spooler packed into the caller's buffer lies in it, with its NUL.
void check_packed(const char *text, const std::vector<BYTE> &buffer) {
    if (!text) return;
    const char *begin = reinterpret_cast<const char *>(buffer.data());
    FUZZ_CHECK(text >= begin && text < begin + buffer.size(), "a packed text lies in the buffer");
    FUZZ_CHECK(std::memchr(text, 0, begin + buffer.size() - text) != nullptr, "a packed text ends in the buffer");
}

// Asks for the size, then fills a buffer of that size; the buffer, or empty.
template <class Call>
std::vector<BYTE> sized_call(Call call, std::initializer_list<DWORD> allowed) {
    DWORD needed = 0;
    SetLastError(0);
    if (call(nullptr, 0, &needed)) return {};
    if (failed_with(FALSE, allowed) && GetLastError() != ERROR_INSUFFICIENT_BUFFER) return {};
    std::vector<BYTE> buffer(needed);
    DWORD again = 0;
    const BOOL ok = call(buffer.data(), needed, &again);
    if (failed_with(ok, allowed)) return {};
    FUZZ_CHECK(again == needed, "the size asked for is the size filled");
    return buffer;
}

void check_ports() {
    for (DWORD level : {1u, 2u}) {
        DWORD count = 0;
        auto buffer = sized_call(
            [&](LPBYTE b, DWORD n, LPDWORD needed) { return EnumPortsA(nullptr, level, b, n, needed, &count); },
            {ERROR_INSUFFICIENT_BUFFER, RPC_S_SERVER_UNAVAILABLE});
        if (buffer.empty()) continue;
        FUZZ_CHECK(count * (level == 1 ? sizeof(PORT_INFO_1A) : sizeof(PORT_INFO_2A)) <= buffer.size(),
                   "the port records fit the buffer");
        for (DWORD i = 0; i < count; ++i) {
            if (level == 1) {
                PORT_INFO_1A info;
                std::memcpy(&info, buffer.data() + i * sizeof info, sizeof info);
                check_packed(info.pName, buffer);
            } else {
                PORT_INFO_2A info;
                std::memcpy(&info, buffer.data() + i * sizeof info, sizeof info);
                check_packed(info.pPortName, buffer);
                check_packed(info.pMonitorName, buffer);
                check_packed(info.pDescription, buffer);
            }
        }
    }
}

void check_printer(const std::string &name, const std::vector<w32h::spool::Form> &forms) {
    HANDLE printer = nullptr;
    const BOOL opened = OpenPrinterA(const_cast<LPSTR>(name.c_str()), &printer, nullptr);
    if (failed_with(opened, {ERROR_INVALID_PRINTER_NAME, RPC_S_SERVER_UNAVAILABLE})) return;
    auto info = sized_call([&](LPBYTE b, DWORD n, LPDWORD needed) { return GetPrinterA(printer, 2, b, n, needed); },
                           {ERROR_INSUFFICIENT_BUFFER, RPC_S_SERVER_UNAVAILABLE});
    if (!info.empty()) {
        PRINTER_INFO_2A p;
        std::memcpy(&p, info.data(), sizeof p);
        for (const char *text : {p.pPrinterName, p.pShareName, p.pPortName, p.pDriverName, p.pComment, p.pLocation,
                                 p.pSepFile, p.pPrintProcessor, p.pDatatype, p.pParameters})
            check_packed(text, info);
    }
    for (DWORD level : {1u, 2u, 3u})
        sized_call([&](LPBYTE b, DWORD n,
                       LPDWORD needed) { return GetPrinterDriverA(printer, nullptr, level, b, n, needed); },
                   {ERROR_INSUFFICIENT_BUFFER, RPC_S_SERVER_UNAVAILABLE, ERROR_UNKNOWN_PRINTER_DRIVER});
    for (const auto &form : forms)
        sized_call([&](LPBYTE b, DWORD n,
                       LPDWORD needed) { return GetFormA(printer, const_cast<LPSTR>(form.name.c_str()), 1, b, n, needed); },
                   {ERROR_INSUFFICIENT_BUFFER, RPC_S_SERVER_UNAVAILABLE, ERROR_INVALID_FORM_NAME});
    FUZZ_CHECK(ClosePrinter(printer), "an open printer closes");
}

}  // namespace

namespace w32h::tool {
// The tool's own main.cpp reports on standard error; here the text is kept.
int report_failure(const char *, const std::string &text) {
    last_refusal = text;
    return 1;
}
}  // namespace w32h::tool

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::configure_host();
    // The tool prints its listing on standard output: keep it in a file.
    std::string path = fuzzsupport::scratch_folder() + "/listing";
    capture_fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
    if (capture_fd < 0 || dup2(capture_fd, STDOUT_FILENO) < 0) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string store = w32h::prefix_file("spooler.db");
    // What an earlier input left beside its store must not reach this one.
    for (const char *companion : {"-journal", "-wal", "-shm"}) std::filesystem::remove(store + companion);
    write_file(store, data, size);

    const bool listed = check_tool_listing();

    std::vector<w32h::spool::Port> ports;
    std::vector<w32h::spool::Driver> drivers;
    std::vector<w32h::spool::Printer> printers;
    std::vector<w32h::spool::Form> forms;
    const bool read = store_read([&] {
        w32h::spool::Transaction t;
        ports = t.ports();
        drivers = t.drivers();
        printers = t.printers();
        forms = t.forms();
    });
    FUZZ_CHECK(read == listed, "the tool lists exactly the stores the spooler reads");
    store_read([&] {
        w32h::spool::Transaction t;
        for (const auto &p : ports) t.port(p.name);
        for (const auto &d : drivers) {
            t.driver(d.name, d.environment);
            t.driver_in_use(d.id);
        }
        for (const auto &p : printers) {
            t.printer(p.name);
            t.printer(p.id);
        }
        for (const auto &f : forms) t.form(f.name);
    });

    check_ports();
    for (const auto &p : printers) check_printer(p.name, forms);

    FUZZ_CHECK(read_file(store) == std::string(reinterpret_cast<const char *>(data), size),
               "reading never changes or resets the store");
    FUZZ_CHECK(!std::filesystem::exists(store + "-journal"), "reading leaves no journal behind");
    return 0;
}
