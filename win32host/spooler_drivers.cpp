// spooler_drivers.cpp - the spooler's printer drivers: their registration
// (AddPrinterDriverA), in which each of a driver's files is checked in the
// printer-driver folder and, on the NT family, copied into the spooler's
// version folder (copy_driver_file_to_version_folder); their removal and the
// driver information a printer handle reports; and the forms a driver's data
// file declares, which a printer's creation adds.
#include "spooler_api.h"

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <fstream>
#include <map>

#include "machine.h"

using namespace w32h;
using namespace w32h::spool;

namespace w32h::spool {
namespace {

// The spooler's version of a driver: on the NT family also the folder its
// files are copied into (1 for NT 3.51, 2 for 4.0, 3 for 2000 and later);
// Windows 95, 98 and Me keep their drivers in place and number them 0x400.
// Limits: the version comes from the host, not from the driver's files.
DWORD driver_version() { return windows_traits().driver_version; }

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

// The files of one registration. Each is checked and its full path as the
// spooler keeps it returned; on the NT family it is copied into the version
// folder, once even when the driver names it twice (a configuration file that
// is also a dependent file).
class DriverFiles {
public:
    std::string install(const std::string &file) {
        std::string source = source_of(file);
        if (!nt_host()) return source;
        std::string key = upper_case_name(source);
        if (auto done = installed_.find(key); done != installed_.end()) return done->second;
        std::string target = installed_folder() + "\\" + name_part(file);
        copy_driver_file_to_version_folder(source, target);
        return installed_[key] = target;
    }

private:
    std::map<std::string, std::string> installed_;
};

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
    DriverFiles files;
    d.driver = files.install(info->pDriverPath);
    d.data = files.install(info->pDataFile);
    d.config = files.install(info->pConfigFile);
    if (Level == 3) {
        if (info->pHelpFile && *info->pHelpFile) d.help = files.install(info->pHelpFile);
        for (const std::string &name : names_of(info->pDependentFiles)) d.dependent.push_back(files.install(name));
        if (info->pMonitorName && *info->pMonitorName) d.monitor = info->pMonitorName;
        if (info->pDefaultDataType && *info->pDefaultDataType) d.datatype = info->pDefaultDataType;
    }
    return d;
}

// A data file's size: a whole number that fits a LONG, greater than 0.
std::optional<LONG> form_size(std::string_view text) {
    LONG value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data() || value <= 0) return std::nullopt;
    return value;
}

// One "Name=width,height" line of a [Forms] section; nothing for a line that
// is not one, or whose sizes are not whole numbers of thousandths of a
// millimetre that fit 32 bits.
std::optional<Form> form_of_line(const std::string &line) {
    size_t eq = line.find('='), comma = line.find(',', eq);
    if (line.empty() || line[0] == ';' || eq == std::string::npos || eq == 0 || comma == std::string::npos)
        return std::nullopt;
    auto width = form_size(std::string_view(line).substr(eq + 1, comma - eq - 1));
    auto height = form_size(std::string_view(line).substr(comma + 1));
    if (!width || !height) return std::nullopt;
    Form f;
    f.name = line.substr(0, eq);
    f.flags = FORM_PRINTER;
    f.width = f.right = *width;
    f.height = f.bottom = *height;
    return f;
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
        if (!in_forms) continue;
        if (auto form = form_of_line(line)) out.push_back(*form);
    }
    return out;
}

void fill_driver_info_1(const Driver &d, DRIVER_INFO_1A &out, Layout &l) { out.pName = l.text(d.name); }

void fill_driver_info_2(const Driver &d, DRIVER_INFO_2A &out, Layout &l) {
    out.cVersion = d.version;
    out.pName = l.text(d.name);
    out.pEnvironment = l.text(d.environment);
    out.pDriverPath = l.text(d.driver);
    out.pDataFile = l.text(d.data);
    out.pConfigFile = l.text(d.config);
}

// DRIVER_INFO_3 begins with the fields of DRIVER_INFO_2.
void fill_driver_info_3(const Driver &d, DRIVER_INFO_3A &out, Layout &l) {
    DRIVER_INFO_2A head{};
    fill_driver_info_2(d, head, l);
    std::memcpy(&out, &head, sizeof head);
    out.pHelpFile = l.text(d.help);
    out.pDependentFiles = l.multi(d.dependent);
    out.pMonitorName = l.text(d.monitor);
    out.pDefaultDataType = l.text(d.datatype);
}

}  // namespace

void add_driver_forms(Transaction &store, const Driver &driver) {
    for (const Form &f : forms_of_data_file(driver.data))
        if (!store.form(f.name)) store.add_form(f);
}

}  // namespace w32h::spool

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
        HeldHandle h(hPrinter);
        check_level(Level, 1, windows_traits().driver_level);
        check_out_pointers(pcbNeeded, pDriverInfo, cbBuf);
        std::string environment = environment_of(pEnvironment);
        Transaction store;
        auto driver = store.driver(current_printer(store, *h).driver, environment);
        if (!driver) fail_with(ERROR_UNKNOWN_PRINTER_DRIVER);
        if (Level == 1) return pack_one(*driver, pDriverInfo, cbBuf, pcbNeeded, fill_driver_info_1);
        if (Level == 2) return pack_one(*driver, pDriverInfo, cbBuf, pcbNeeded, fill_driver_info_2);
        return pack_one(*driver, pDriverInfo, cbBuf, pcbNeeded, fill_driver_info_3);
    });
}
