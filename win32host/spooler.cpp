// spooler.cpp - the print spooler's ANSI functions (WINSPOOL.DRV) over the
// store in the prefix: ports, printer drivers, printers and forms, with
// Windows' rules and error numbers, Windows' buffer rules (a size query fails
// with ERROR_INSUFFICIENT_BUFFER and the needed size; strings packed after
// the records) and printer handles that live in this process.
#include <winspool.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>

#include "api.h"
#include "machine.h"
#include "spooler_store.h"

namespace w32h::spool {

std::string host_environment() {
    return config().winver.platform_id == VER_PLATFORM_WIN32_NT ? "Windows NT x86" : "Windows 4.0";
}

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

namespace {

// ---- the caller's buffer ------------------------------------------------------

// Places strings after the records in the caller's buffer; without a buffer
// it only counts, so that one fill function serves the size and the copy.
class Layout {
public:
    Layout(LPBYTE buffer, size_t records_size) : buffer_(buffer), used_(records_size) {}
    LPSTR text(const std::optional<std::string> &s) {
        if (!s) return nullptr;
        return put(s->c_str(), s->size() + 1);
    }
    LPSTR text(const std::string &s) { return put(s.c_str(), s.size() + 1); }
    // A multi-string: each name and its zero, and one more zero.
    LPSTR multi(const std::vector<std::string> &names) {
        if (names.empty()) return nullptr;
        std::string joined;
        for (const auto &n : names) joined += n + '\0';
        return put(joined.c_str(), joined.size() + 1);
    }
    size_t used() const { return used_; }

private:
    LPSTR put(const char *bytes, size_t size) {
        LPSTR at = buffer_ ? reinterpret_cast<LPSTR>(buffer_ + used_) : nullptr;
        if (buffer_) std::memcpy(at, bytes, size);
        used_ += size;
        return at;
    }
    LPBYTE buffer_;
    size_t used_;
};

// Fills the caller's buffer with records of type T and their strings, or
// fails with ERROR_INSUFFICIENT_BUFFER after storing the size needed.
template <class T, class Record, class Fill>
BOOL pack(const std::vector<Record> &records, LPBYTE buffer, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned,
          Fill fill) {
    const size_t records_size = sizeof(T) * records.size();
    Layout measure(nullptr, records_size);
    for (const Record &r : records) {
        T scratch{};
        fill(r, scratch, measure);
    }
    if (measure.used() > 0xFFFFFFFFu) fail_with(ERROR_NOT_ENOUGH_MEMORY);
    *pcbNeeded = static_cast<DWORD>(measure.used());
    if (pcReturned) *pcReturned = 0;
    if (measure.used() > cbBuf || (!buffer && measure.used() > 0)) fail_with(ERROR_INSUFFICIENT_BUFFER);
    Layout write(buffer, records_size);
    for (size_t i = 0; i < records.size(); ++i) {
        T item{};
        fill(records[i], item, write);
        // Records to copy mean measure.used() > 0, so a null buffer failed above.
        // NOLINTNEXTLINE(clang-analyzer-core.NonNullParamChecker)
        std::memcpy(buffer + i * sizeof(T), &item, sizeof(T));  // the caller's buffer may be unaligned
    }
    if (pcReturned) *pcReturned = static_cast<DWORD>(records.size());
    return TRUE;
}

void check_out_pointers(LPDWORD pcbNeeded, LPBYTE buffer, DWORD cbBuf) {
    if (!pcbNeeded) fail_with(RPC_X_NULL_REF_POINTER);
    if (!buffer && cbBuf) fail_with(ERROR_INVALID_USER_BUFFER);
}

// ---- printer handles ----------------------------------------------------------

struct PrinterHandle {
    Printer printer;  // as it was when last seen, so a deleted printer still answers
    ACCESS_MASK access = 0;
    bool deleted = false;
};

std::mutex handles_lock;
std::map<uintptr_t, PrinterHandle> handles;
uintptr_t next_handle = 0x5000;

HANDLE open_handle(const Printer &printer, ACCESS_MASK access) {
    std::lock_guard lock(handles_lock);
    next_handle += 4;
    handles[next_handle] = PrinterHandle{printer, access, false};
    return reinterpret_cast<HANDLE>(next_handle);
}

PrinterHandle &handle_of(HANDLE hPrinter) {
    auto it = handles.find(reinterpret_cast<uintptr_t>(hPrinter));
    if (it == handles.end()) fail_with(ERROR_INVALID_HANDLE);
    return it->second;
}

// The handle's printer, read again from the store unless it was deleted.
Printer current_printer(Transaction &store, PrinterHandle &h) {
    if (!h.deleted)
        if (auto p = store.printer(h.printer.id)) h.printer = *p;
    return h.printer;
}

// ---- drivers ------------------------------------------------------------------

// The spooler's version of a driver: on the NT family also the folder its
// files are copied into (1 for NT 3.51, 2 for 4.0, 3 for 2000 and later);
// Windows 95, 98 and Me keep their drivers in place and number them 0x400.
// Limits: the version comes from the host, not from the driver's files.
DWORD driver_version() { return windows_traits().driver_version; }

bool nt_host() { return windows_traits().nt; }

// Forms are the NT family's: Windows 95 and 98 export the form functions as
// stubs (Wine's spooler tests, run there).
void require_forms() {
    if (!nt_host()) fail_with(ERROR_CALL_NOT_IMPLEMENTED);
}

// The spooler of NT 3.x knows DRIVER_INFO and PORT_INFO up to level 2 and 1.
void check_level(DWORD level, DWORD lowest, DWORD highest) {
    if (level < lowest || level > highest) fail_with(ERROR_INVALID_LEVEL);
}

std::string driver_folder() { return machine_folders().printer_driver; }

// Where the spooler keeps an installed driver's files.
std::string installed_folder() {
    return nt_host() ? driver_folder() + "\\" + std::to_string(driver_version()) : driver_folder();
}

std::string folder_part(const std::string &path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string name_part(const std::string &path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool is_file(const std::string &host_path) {
    struct stat st{};
    return stat(host_path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A driver file as the caller names it: a bare name in the printer-driver
// folder, or a full path into it; anything else, or a file that is not
// there, is ERROR_FILE_NOT_FOUND as on Windows.
std::string source_of(const std::string &file) {
    std::string folder = folder_part(file);
    if (!folder.empty() && upper_case_name(folder) != upper_case_name(driver_folder()) &&
        upper_case_name(folder) != upper_case_name(installed_folder()))
        fail_with(ERROR_FILE_NOT_FOUND);
    std::string windows_path = (folder.empty() ? driver_folder() : folder) + "\\" + name_part(file);
    std::string host;
    try {
        host = to_host_path(windows_path);
    } catch (const Win32Failure &) {
        fail_with(ERROR_FILE_NOT_FOUND);
    }
    if (!is_file(host)) fail_with(ERROR_FILE_NOT_FOUND);
    return windows_path;
}

// An open file of the version-folder copy, closed however the copy ends.
class OpenedFile {
public:
    OpenedFile(const std::string &path, DWORD access, DWORD share, DWORD disposition)
        : handle_(CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr)) {
        if (handle_ == INVALID_HANDLE_VALUE) fail_with(GetLastError());
    }
    ~OpenedFile() { CloseHandle(handle_); }
    OpenedFile(const OpenedFile &) = delete;
    OpenedFile &operator=(const OpenedFile &) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

// Copies one of a driver's files into the spooler's version folder, as the NT
// spooler does. It goes through the file layer's own calls, so another
// program's share modes, the read-only attribute, names in any case and
// WIN32HOST_FAIL apply to it as to any file access. The copy is written under
// a name of this call's own and renamed into place, so that two processes
// installing one driver at once never write into, or rename away, each
// other's copy.
void copy_driver_file_to_version_folder(const std::string &source, const std::string &target) {
    if (to_host_path(source) == to_host_path(target)) return;
    static std::atomic<unsigned> calls{0};
    std::string temporary = target + "." + std::to_string(getpid()) + "-" + std::to_string(++calls) + ".spl-tmp";
    try {
        OpenedFile from(source, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        OpenedFile to(temporary, GENERIC_WRITE, 0, CREATE_ALWAYS);
        copy_open_file(from.get(), to.get());
    } catch (const Win32Failure &) {
        DeleteFileA(temporary.c_str());
        throw;
    }
    if (!MoveFileExA(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DWORD error = GetLastError();
        DeleteFileA(temporary.c_str());
        fail_with(error);
    }
}

void make_installed_folder() {
    if (!nt_host()) return;
    std::string host = to_host_path(installed_folder());
    if (mkdir(host.c_str(), 0755) != 0 && errno != EEXIST) fail_with(win32_error_from_errno(errno));
}

// Checks a file of the driver and returns the full path the spooler keeps;
// on the NT family the file is copied into the version folder.
std::string install_file(const std::string &file) {
    std::string source = source_of(file);
    if (!nt_host()) return source;
    std::string target = installed_folder() + "\\" + name_part(file);
    copy_driver_file_to_version_folder(source, target);
    return target;
}

std::optional<std::string> optional_text(LPCSTR s) {
    if (!s) return std::nullopt;
    return std::string(s);
}

std::vector<std::string> names_of(LPCSTR multi) {
    std::vector<std::string> out;
    for (; multi && *multi; multi += std::strlen(multi) + 1) out.emplace_back(multi);
    return out;
}

Driver driver_from_caller(DWORD Level, LPBYTE pDriverInfo) {
    // DRIVER_INFO_3 begins with the fields of DRIVER_INFO_2.
    const auto *info = reinterpret_cast<const DRIVER_INFO_3A *>(pDriverInfo);
    if (!info->pName || !*info->pName || !info->pDriverPath || !*info->pDriverPath || !info->pDataFile ||
        !*info->pDataFile || !info->pConfigFile || !*info->pConfigFile)
        fail_with(ERROR_INVALID_PARAMETER);
    Driver d;
    d.name = info->pName;
    d.environment = environment_of(info->pEnvironment);
    d.version = driver_version();
    make_installed_folder();
    d.driver = install_file(info->pDriverPath);
    d.data = install_file(info->pDataFile);
    d.config = install_file(info->pConfigFile);
    if (Level == 3) {
        if (info->pHelpFile && *info->pHelpFile) d.help = install_file(info->pHelpFile);
        for (const std::string &name : names_of(info->pDependentFiles)) d.dependent.push_back(install_file(name));
        if (info->pMonitorName && *info->pMonitorName) d.monitor = info->pMonitorName;
        if (info->pDefaultDataType && *info->pDefaultDataType) d.datatype = info->pDefaultDataType;
    }
    return d;
}

// ---- printers -----------------------------------------------------------------

// The data types that winprint, the one print processor, handles.
bool winprint_handles(const std::string &datatype) {
    static const char *const types[] = {"RAW",          "RAW [FF appended]", "RAW [FF auto]", "NT EMF 1.003",
                                        "NT EMF 1.006", "NT EMF 1.007",      "NT EMF 1.008", "TEXT"};
    for (const char *t : types)
        if (upper_case_name(datatype) == upper_case_name(t)) return true;
    return false;
}

void check_printer_name(LPCSTR name) {
    if (!name || !*name || std::strpbrk(name, ",\\")) fail_with(ERROR_INVALID_PRINTER_NAME);
}

// Every port of a pooled printer ("LPT1:,LPT2:") must exist.
void check_ports(Transaction &store, LPCSTR ports) {
    if (!ports || !*ports) fail_with(ERROR_UNKNOWN_PORT);
    std::string list = ports;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (!store.port(list.substr(start, end - start))) fail_with(ERROR_UNKNOWN_PORT);
        start = end + 1;
    }
}

// The forms a driver data file in INI form declares in its [Forms] section,
// "Name=width,height" in thousandths of a millimetre. This stands for the
// printer set-up that the sample driver itself does on Windows.
std::vector<Form> forms_of_data_file(const std::string &windows_path) {
    std::vector<Form> out;
    std::ifstream in;
    try {
        in.open(to_host_path(windows_path), std::ios::binary);
    } catch (const Win32Failure &) {
        return out;
    }
    bool in_forms = false;
    for (std::string line; std::getline(in, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
        if (!line.empty() && line[0] == '[') {
            in_forms = upper_case_name(line) == "[FORMS]";
            continue;
        }
        size_t eq = line.find('='), comma = line.find(',', eq);
        if (!in_forms || line.empty() || line[0] == ';' || eq == std::string::npos || eq == 0 ||
            comma == std::string::npos)
            continue;
        long width = std::strtol(line.c_str() + eq + 1, nullptr, 10);
        long height = std::strtol(line.c_str() + comma + 1, nullptr, 10);
        if (width <= 0 || height <= 0) continue;
        Form f;
        f.name = line.substr(0, eq);
        f.flags = FORM_PRINTER;
        f.width = f.right = static_cast<LONG>(width);
        f.height = f.bottom = static_cast<LONG>(height);
        out.push_back(f);
    }
    return out;
}

void add_driver_forms(Transaction &store, const Driver &driver) {
    for (const Form &f : forms_of_data_file(driver.data))
        if (!store.form(f.name)) store.add_form(f);
}

Printer printer_from_caller(Transaction &store, const PRINTER_INFO_2A &info) {
    check_printer_name(info.pPrinterName);
    if (store.printer(std::string(info.pPrinterName))) fail_with(ERROR_PRINTER_ALREADY_EXISTS);
    if (!info.pDriverName) fail_with(ERROR_UNKNOWN_PRINTER_DRIVER);
    auto driver = store.driver(info.pDriverName, host_environment());
    if (!driver) fail_with(ERROR_UNKNOWN_PRINTER_DRIVER);
    if (!info.pPrintProcessor || upper_case_name(info.pPrintProcessor) != "WINPRINT")
        fail_with(ERROR_UNKNOWN_PRINTPROCESSOR);
    if (info.pDatatype && !winprint_handles(info.pDatatype)) fail_with(ERROR_INVALID_DATATYPE);
    check_ports(store, info.pPortName);
    Printer p;
    p.name = info.pPrinterName;
    p.share = optional_text(info.pShareName);
    p.port = info.pPortName;
    p.driver_id = driver->id;
    p.driver = driver->name;
    p.comment = optional_text(info.pComment);
    p.location = optional_text(info.pLocation);
    p.sepfile = optional_text(info.pSepFile);
    p.processor = info.pPrintProcessor;
    p.datatype = optional_text(info.pDatatype);
    p.parameters = optional_text(info.pParameters);
    p.attributes = info.Attributes;
    p.priority = info.Priority;
    p.default_priority = info.DefaultPriority;
    p.start_time = info.StartTime;
    p.until_time = info.UntilTime;
    return p;
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
using w32h::entry_point;
using w32h::fail_with;
using w32h::injected_failure;
using w32h::windows_traits;

// ---- ports ----------------------------------------------------------------------

extern "C" BOOL WINAPI EnumPortsA(LPSTR pName, DWORD Level, LPBYTE pPorts, DWORD cbBuf, LPDWORD pcbNeeded,
                                  LPDWORD pcReturned) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("EnumPortsA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        check_local(pName);
        check_level(Level, 1, windows_traits().port_level);
        check_out_pointers(pcbNeeded, pPorts, cbBuf);
        if (!pcReturned) fail_with(RPC_X_NULL_REF_POINTER);
        std::vector<Port> ports = Transaction().ports();
        if (Level == 1)
            return pack<PORT_INFO_1A>(ports, pPorts, cbBuf, pcbNeeded, pcReturned,
                                      [](const Port &p, PORT_INFO_1A &out, Layout &l) { out.pName = l.text(p.name); });
        return pack<PORT_INFO_2A>(ports, pPorts, cbBuf, pcbNeeded, pcReturned,
                                  [](const Port &p, PORT_INFO_2A &out, Layout &l) {
                                      out.pPortName = l.text(p.name);
                                      out.pMonitorName = l.text(p.monitor);
                                      out.pDescription = l.text(p.description);
                                      out.fPortType = PORT_TYPE_WRITE;
                                  });
    });
}

// ---- printers -------------------------------------------------------------------

// Limits: no print-server handle (a null or empty name), no "Name,Job N" or
// ",XcvPort" forms of the name.
extern "C" BOOL WINAPI OpenPrinterA(LPSTR pPrinterName, LPHANDLE phPrinter, LPPRINTER_DEFAULTSA pDefault) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("OpenPrinterA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        if (!phPrinter) fail_with(ERROR_INVALID_PARAMETER);
        if (!pPrinterName || !*pPrinterName) fail_with(ERROR_INVALID_PRINTER_NAME);
        if (pDefault && pDefault->pDatatype && !winprint_handles(pDefault->pDatatype))
            fail_with(ERROR_INVALID_DATATYPE);
        Transaction store;
        auto printer = store.printer(std::string(pPrinterName));
        if (!printer) fail_with(ERROR_INVALID_PRINTER_NAME);
        // Without defaults a printer opens for use only, as on Windows; Windows
        // 95 and 98 ignore the access asked for and allow everything.
        ACCESS_MASK access = pDefault && pDefault->DesiredAccess ? pDefault->DesiredAccess : PRINTER_ACCESS_USE;
        if (!nt_host()) access = PRINTER_ALL_ACCESS;
        *phPrinter = open_handle(*printer, access);
        return TRUE;
    });
}

extern "C" BOOL WINAPI ClosePrinter(HANDLE hPrinter) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("ClosePrinter", ERROR_INVALID_HANDLE)) return FALSE;
        std::lock_guard lock(handles_lock);
        handle_of(hPrinter);
        handles.erase(reinterpret_cast<uintptr_t>(hPrinter));
        return TRUE;
    });
}

// Limits: no device mode, security descriptor or sharing on the network; the
// share name and attributes are kept as given.
extern "C" HANDLE WINAPI AddPrinterA(LPSTR pName, DWORD Level, LPBYTE pPrinter) {
    return entry_point<HANDLE>(nullptr, [&]() -> HANDLE {
        if (injected_failure("AddPrinterA", RPC_S_SERVER_UNAVAILABLE)) return nullptr;
        check_local(pName);
        if (Level != 2) fail_with(ERROR_INVALID_LEVEL);
        if (!pPrinter) fail_with(ERROR_INVALID_PARAMETER);
        Transaction store;
        Printer printer = printer_from_caller(store, *reinterpret_cast<const PRINTER_INFO_2A *>(pPrinter));
        printer.id = store.add_printer(printer);
        auto driver = store.driver(printer.driver, host_environment());
        if (driver) add_driver_forms(store, *driver);
        store.commit();
        return open_handle(printer, PRINTER_ALL_ACCESS);
    });
}

// The printer leaves the store at once; the handle keeps answering for it
// until ClosePrinter, as a printer pending deletion does on Windows.
extern "C" BOOL WINAPI DeletePrinter(HANDLE hPrinter) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("DeletePrinter", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        std::lock_guard lock(handles_lock);
        PrinterHandle &h = handle_of(hPrinter);
        if (!(h.access & DELETE)) fail_with(ERROR_ACCESS_DENIED);
        if (h.deleted) fail_with(ERROR_PRINTER_DELETED);
        Transaction store;
        if (!store.printer(h.printer.id)) fail_with(ERROR_PRINTER_DELETED);
        store.remove_printer(h.printer.id);
        store.commit();
        h.deleted = true;
        return TRUE;
    });
}

// Limits: level 2 only; no device mode, no jobs.
extern "C" BOOL WINAPI GetPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
    return entry_point<BOOL>(FALSE, [&] {
        std::lock_guard lock(handles_lock);
        PrinterHandle &h = handle_of(hPrinter);
        if (Level != 2) fail_with(ERROR_INVALID_LEVEL);
        check_out_pointers(pcbNeeded, pPrinter, cbBuf);
        Transaction store;
        std::vector<Printer> printer{current_printer(store, h)};
        bool deleted = h.deleted;
        return pack<PRINTER_INFO_2A>(printer, pPrinter, cbBuf, pcbNeeded, nullptr,
                                     [deleted](const Printer &p, PRINTER_INFO_2A &out, Layout &l) {
                                         out.pPrinterName = l.text(p.name);
                                         out.pShareName = l.text(p.share);
                                         out.pPortName = l.text(p.port);
                                         out.pDriverName = l.text(p.driver);
                                         out.pComment = l.text(p.comment);
                                         out.pLocation = l.text(p.location);
                                         out.pSepFile = l.text(p.sepfile);
                                         out.pPrintProcessor = l.text(p.processor);
                                         out.pDatatype = l.text(p.datatype);
                                         out.pParameters = l.text(p.parameters);
                                         out.Attributes = p.attributes;
                                         out.Priority = p.priority;
                                         out.DefaultPriority = p.default_priority;
                                         out.StartTime = p.start_time;
                                         out.UntilTime = p.until_time;
                                         out.Status = deleted ? PRINTER_STATUS_PENDING_DELETION : 0;
                                     });
    });
}

// ---- printer drivers ------------------------------------------------------------

// Level 2 or 3. An existing driver of the same name and environment is
// upgraded in place. Limits: no file-version checks (APD_* flags of
// AddPrinterDriverEx), no monitor installation.
extern "C" BOOL WINAPI AddPrinterDriverA(LPSTR pName, DWORD Level, LPBYTE pDriverInfo) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("AddPrinterDriverA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        check_local(pName);
        check_level(Level, 2, windows_traits().driver_level);
        if (!pDriverInfo) fail_with(ERROR_INVALID_PARAMETER);
        Driver driver = driver_from_caller(Level, pDriverInfo);
        Transaction store;
        store.put_driver(driver);
        store.commit();
        return TRUE;
    });
}

// The driver's files stay where they are.
extern "C" BOOL WINAPI DeletePrinterDriverA(LPSTR pName, LPSTR pEnvironment, LPSTR pDriverName) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("DeletePrinterDriverA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        check_local(pName);
        std::string environment = environment_of(pEnvironment);
        if (!pDriverName || !*pDriverName) fail_with(ERROR_UNKNOWN_PRINTER_DRIVER);
        Transaction store;
        auto driver = store.driver(pDriverName, environment);
        if (!driver) fail_with(ERROR_UNKNOWN_PRINTER_DRIVER);
        if (store.driver_in_use(driver->id)) fail_with(ERROR_PRINTER_DRIVER_IN_USE);
        store.remove_driver(driver->id);
        store.commit();
        return TRUE;
    });
}

extern "C" BOOL WINAPI GetPrinterDriverA(HANDLE hPrinter, LPSTR pEnvironment, DWORD Level, LPBYTE pDriverInfo,
                                         DWORD cbBuf, LPDWORD pcbNeeded) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("GetPrinterDriverA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        std::lock_guard lock(handles_lock);
        PrinterHandle &h = handle_of(hPrinter);
        check_level(Level, 1, windows_traits().driver_level);
        check_out_pointers(pcbNeeded, pDriverInfo, cbBuf);
        std::string environment = environment_of(pEnvironment);
        Transaction store;
        auto driver = store.driver(current_printer(store, h).driver, environment);
        if (!driver) fail_with(ERROR_UNKNOWN_PRINTER_DRIVER);
        std::vector<Driver> one{*driver};
        if (Level == 1)
            return pack<DRIVER_INFO_1A>(one, pDriverInfo, cbBuf, pcbNeeded, nullptr,
                                        [](const Driver &d, DRIVER_INFO_1A &out, Layout &l) { out.pName = l.text(d.name); });
        auto fill2 = [](const Driver &d, DRIVER_INFO_2A &out, Layout &l) {
            out.cVersion = d.version;
            out.pName = l.text(d.name);
            out.pEnvironment = l.text(d.environment);
            out.pDriverPath = l.text(d.driver);
            out.pDataFile = l.text(d.data);
            out.pConfigFile = l.text(d.config);
        };
        if (Level == 2) return pack<DRIVER_INFO_2A>(one, pDriverInfo, cbBuf, pcbNeeded, nullptr, fill2);
        return pack<DRIVER_INFO_3A>(one, pDriverInfo, cbBuf, pcbNeeded, nullptr,
                                    [&](const Driver &d, DRIVER_INFO_3A &out, Layout &l) {
                                        DRIVER_INFO_2A head{};
                                        fill2(d, head, l);
                                        std::memcpy(&out, &head, sizeof head);
                                        out.pHelpFile = l.text(d.help);
                                        out.pDependentFiles = l.multi(d.dependent);
                                        out.pMonitorName = l.text(d.monitor);
                                        out.pDefaultDataType = l.text(d.datatype);
                                    });
    });
}

// ---- forms ----------------------------------------------------------------------

// Limits: no built-in forms; the forms are the machine's, whatever printer
// the handle names.
extern "C" BOOL WINAPI AddFormA(HANDLE hPrinter, DWORD Level, LPBYTE pForm) {
    return entry_point<BOOL>(FALSE, [&] {
        require_forms();
        std::lock_guard lock(handles_lock);
        handle_of(hPrinter);
        if (Level != 1) fail_with(ERROR_INVALID_LEVEL);
        const auto *info = reinterpret_cast<const FORM_INFO_1A *>(pForm);
        if (!info || !info->pName || !*info->pName) fail_with(ERROR_INVALID_PARAMETER);
        if (info->Size.cx <= 0 || info->Size.cy <= 0) fail_with(ERROR_INVALID_PARAMETER);
        Transaction store;
        if (store.form(info->pName)) fail_with(ERROR_FILE_EXISTS);
        Form f;
        f.name = info->pName;
        f.flags = FORM_USER;
        f.width = info->Size.cx;
        f.height = info->Size.cy;
        f.left = info->ImageableArea.left;
        f.top = info->ImageableArea.top;
        f.right = info->ImageableArea.right;
        f.bottom = info->ImageableArea.bottom;
        store.add_form(f);
        store.commit();
        return TRUE;
    });
}

extern "C" BOOL WINAPI DeleteFormA(HANDLE hPrinter, LPSTR pFormName) {
    return entry_point<BOOL>(FALSE, [&] {
        if (injected_failure("DeleteFormA", RPC_S_SERVER_UNAVAILABLE)) return FALSE;
        require_forms();
        std::lock_guard lock(handles_lock);
        handle_of(hPrinter);
        if (!pFormName || !*pFormName) fail_with(ERROR_INVALID_FORM_NAME);
        Transaction store;
        if (!store.form(pFormName)) fail_with(ERROR_INVALID_FORM_NAME);
        store.remove_form(pFormName);
        store.commit();
        return TRUE;
    });
}

extern "C" BOOL WINAPI GetFormA(HANDLE hPrinter, LPSTR pFormName, DWORD Level, LPBYTE pForm, DWORD cbBuf,
                                LPDWORD pcbNeeded) {
    return entry_point<BOOL>(FALSE, [&] {
        require_forms();
        std::lock_guard lock(handles_lock);
        handle_of(hPrinter);
        if (Level != 1) fail_with(ERROR_INVALID_LEVEL);
        check_out_pointers(pcbNeeded, pForm, cbBuf);
        if (!pFormName || !*pFormName) fail_with(ERROR_INVALID_FORM_NAME);
        auto form = Transaction().form(pFormName);
        if (!form) fail_with(ERROR_INVALID_FORM_NAME);
        std::vector<Form> one{*form};
        return pack<FORM_INFO_1A>(one, pForm, cbBuf, pcbNeeded, nullptr,
                                  [](const Form &f, FORM_INFO_1A &out, Layout &l) {
                                      out.Flags = f.flags;
                                      out.pName = l.text(f.name);
                                      out.Size = {f.width, f.height};
                                      out.ImageableArea = {f.left, f.top, f.right, f.bottom};
                                  });
    });
}
