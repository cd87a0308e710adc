// spooler.cpp - what the print spooler's ANSI functions (WINSPOOL.DRV) share,
// and its ports: the server, environment and level checks, the caller's
// buffer, the printer handles that live in this process, and EnumPortsA. The
// drivers are in spooler_drivers.cpp, printers and forms in
// spooler_printers.cpp, the store below them all in spooler_store.cpp.
#include "spooler_api.h"

#include <map>

#include "machine.h"

namespace w32h::spool {

// The environment a call names: null or empty is the host's own.
// Limits: only the host's own environment is known; drivers for other
// Windows versions (point and print) cannot be installed.
std::string environment_of(LPCSTR pEnvironment) {
    std::string host = host_environment();
    if (!pEnvironment || !*pEnvironment) return host;
    if (upper_case_name(pEnvironment) != upper_case_name(host)) fail_with(ERROR_INVALID_ENVIRONMENT);
    return host;
}

// Limits: only the local machine; any server name is a spooler that cannot
// be reached.
void check_local(LPCSTR pName) {
    if (pName && *pName) fail_with(RPC_S_SERVER_UNAVAILABLE);
}

// The spooler of NT 3.x knows DRIVER_INFO and PORT_INFO up to level 2 and 1.
void check_level(DWORD level, DWORD lowest, DWORD highest) {
    if (level < lowest || level > highest) fail_with(ERROR_INVALID_LEVEL);
}

bool nt_host() { return windows_traits().nt; }

void check_out_pointers(LPDWORD pcbNeeded, LPBYTE buffer, DWORD cbBuf) {
    if (!pcbNeeded) fail_with(RPC_X_NULL_REF_POINTER);
    if (!buffer && cbBuf) fail_with(ERROR_INVALID_USER_BUFFER);
}

// ---- the caller's buffer ------------------------------------------------------

LPSTR Layout::multi(const std::vector<std::string> &names) {
    if (names.empty()) return nullptr;
    std::string joined;
    for (const auto &n : names) joined += n + '\0';
    return put(joined.c_str(), joined.size() + 1);
}

LPSTR Layout::put(const char *bytes, size_t size) {
    LPSTR at = buffer_ ? reinterpret_cast<LPSTR>(buffer_ + used_) : nullptr;
    if (buffer_) std::memcpy(at, bytes, size);
    used_ += size;
    return at;
}

// ---- printer handles ----------------------------------------------------------

namespace {

std::mutex handles_lock;
std::map<uintptr_t, PrinterHandle> handles;
uintptr_t next_handle = 0x5000;

PrinterHandle &handle_of(HANDLE hPrinter) {
    auto it = handles.find(reinterpret_cast<uintptr_t>(hPrinter));
    if (it == handles.end()) fail_with(ERROR_INVALID_HANDLE);
    return it->second;
}

}  // namespace

HANDLE open_handle(const Printer &printer, ACCESS_MASK access) {
    std::lock_guard lock(handles_lock);
    next_handle += 4;
    handles[next_handle] = PrinterHandle{printer, access, false};
    return reinterpret_cast<HANDLE>(next_handle);
}

void close_handle(HANDLE hPrinter) {
    std::lock_guard lock(handles_lock);
    handle_of(hPrinter);
    handles.erase(reinterpret_cast<uintptr_t>(hPrinter));
}

HeldHandle::HeldHandle(HANDLE hPrinter) : lock_(handles_lock), handle_(handle_of(hPrinter)) {}

Printer current_printer(Transaction &store, PrinterHandle &h) {
    if (!h.deleted)
        if (auto p = store.printer(h.printer.id)) h.printer = *p;
    return h.printer;
}

// ---- ports ----------------------------------------------------------------------

namespace {

void fill_port_info_1(const Port &p, PORT_INFO_1A &out, Layout &l) { out.pName = l.text(p.name); }

void fill_port_info_2(const Port &p, PORT_INFO_2A &out, Layout &l) {
    out.pPortName = l.text(p.name);
    out.pMonitorName = l.text(p.monitor);
    out.pDescription = l.text(p.description);
    out.fPortType = PORT_TYPE_WRITE;
}

}  // namespace
}  // namespace w32h::spool

namespace w32h {

void reset_printer_handles() {
    std::lock_guard lock(spool::handles_lock);
    spool::handles.clear();
}

std::string printer_handles_left() {
    std::lock_guard lock(spool::handles_lock);
    std::string out;
    for (const auto &[value, h] : spool::handles) out += (out.empty() ? "\"" : ", \"") + h.printer.name + "\"";
    return out;
}

}  // namespace w32h

using namespace w32h::spool;

extern "C" BOOL WINAPI EnumPortsA(LPSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                                  LPDWORD pcReturned) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (w32h::injected_failure("EnumPortsA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        check_local(pName);
        check_level(Level, 1, w32h::windows_traits().port_level);
        check_out_pointers(pcbNeeded, pPorts, cbBuf);
        if (!pcReturned) w32h::fail_with(RPC_X_NULL_REF_POINTER);
        std::vector<Port> ports = Transaction().ports();
        if (Level == 1) return pack(ports, pPorts, cbBuf, pcbNeeded, pcReturned, fill_port_info_1);
        return pack(ports, pPorts, cbBuf, pcbNeeded, pcReturned, fill_port_info_2);
    });
}
