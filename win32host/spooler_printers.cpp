// spooler_printers.cpp - the spooler's printers and forms: a printer opened,
// closed, created on a driver and port (its driver's data file may add forms),
// deleted (its handle answering until closed, as on Windows) and read back;
// and the forms the NT family keeps, which Windows 95 and 98 only stub.
#include "spooler_api.h"

#include "machine.h"

using namespace w32h;
using namespace w32h::spool;

namespace w32h::spool {
namespace {

std::optional<std::string> optional_text(LPCSTR s) {
    if (!s) return std::nullopt;
    return std::string(s);
}

// Forms are the NT family's: Windows 95 and 98 export the form functions as
// stubs (Wine's spooler tests, run there).
void require_forms() {
    if (!nt_host()) fail_with(ERROR_CALL_NOT_IMPLEMENTED);
}

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

// A printer as a handle sees it: deleted ones still answer, pending deletion.
struct PrinterState {
    Printer printer;
    bool deleted;
};

void fill_printer_info_2(const PrinterState &state, PRINTER_INFO_2A &out, Layout &l) {
    const Printer &p = state.printer;
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
    out.Status = state.deleted ? PRINTER_STATUS_PENDING_DELETION : 0;
}

void fill_form_info_1(const Form &f, FORM_INFO_1A &out, Layout &l) {
    out.Flags = f.flags;
    out.pName = l.text(f.name);
    out.Size = {f.width, f.height};
    out.ImageableArea = {f.left, f.top, f.right, f.bottom};
}

}  // namespace
}  // namespace w32h::spool

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
        close_handle(hPrinter);
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
        HeldHandle h(hPrinter);
        if (!(h->access & DELETE)) fail_with(ERROR_ACCESS_DENIED);
        if (h->deleted) fail_with(ERROR_PRINTER_DELETED);
        Transaction store;
        if (!store.printer(h->printer.id)) fail_with(ERROR_PRINTER_DELETED);
        store.remove_printer(h->printer.id);
        store.commit();
        h->deleted = true;
        return TRUE;
    });
}

// Limits: level 2 only; no device mode, no jobs.
extern "C" BOOL WINAPI GetPrinterA(HANDLE hPrinter, DWORD Level, LPBYTE pPrinter, DWORD cbBuf, LPDWORD pcbNeeded) {
    return entry_point<BOOL>(FALSE, [&] {
        HeldHandle h(hPrinter);
        if (Level != 2) fail_with(ERROR_INVALID_LEVEL);
        check_out_pointers(pcbNeeded, pPrinter, cbBuf);
        Transaction store;
        PrinterState state{current_printer(store, *h), h->deleted};
        return pack_one(state, pPrinter, cbBuf, pcbNeeded, fill_printer_info_2);
    });
}

// ---- forms ----------------------------------------------------------------------

// Limits: no built-in forms; the forms are the machine's, whatever printer
// the handle names.
extern "C" BOOL WINAPI AddFormA(HANDLE hPrinter, DWORD Level, LPBYTE pForm) {
    return entry_point<BOOL>(FALSE, [&] {
        require_forms();
        HeldHandle h(hPrinter);
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
        HeldHandle h(hPrinter);
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
        HeldHandle h(hPrinter);
        if (Level != 1) fail_with(ERROR_INVALID_LEVEL);
        check_out_pointers(pcbNeeded, pForm, cbBuf);
        if (!pFormName || !*pFormName) fail_with(ERROR_INVALID_FORM_NAME);
        auto form = Transaction().form(pFormName);
        if (!form) fail_with(ERROR_INVALID_FORM_NAME);
        return pack_one(*form, pForm, cbBuf, pcbNeeded, fill_form_info_1);
    });
}