// spooler_api.h - what the spooler's functions (spooler.cpp, spooler_drivers.cpp,
// spooler_printers.cpp) share above the store: the checks of the server,
// environment and level a call names, the caller's buffer filled by Windows'
// rule (a size query fails with ERROR_INSUFFICIENT_BUFFER and the needed
// size; strings packed after the records), and the printer handles.
#pragma once

#include <winspool.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "api.h"
#include "spooler_store.h"

namespace w32h::spool {

// ---- the call's server, environment and level -----------------------------------

// The environment a call names (null or empty: the host's own); throws
// Win32Failure ERROR_INVALID_ENVIRONMENT for one the spooler does not know.
std::string environment_of(LPCSTR pEnvironment);
// Throws Win32Failure RPC_S_SERVER_UNAVAILABLE unless the server name is the
// local machine (null or empty).
void check_local(LPCSTR pName);
// ERROR_INVALID_LEVEL outside lowest..highest (NT 3.x knows fewer levels).
void check_level(DWORD level, DWORD lowest, DWORD highest);
// The NT family's spooler: version folders, forms.
bool nt_host();
// The pointers of a call that fills the caller's buffer.
void check_out_pointers(LPDWORD pcbNeeded, LPBYTE buffer, DWORD cbBuf);

// ---- the caller's buffer --------------------------------------------------------

// Places strings after the records in the caller's buffer; without a buffer
// it only counts, so that one fill function serves the size and the copy.
class Layout {
public:
    Layout(LPBYTE buffer, size_t records_size) : buffer_(buffer), used_(records_size) {}
    LPSTR text(const std::optional<std::string> &s) { return s ? put(s->c_str(), s->size() + 1) : nullptr; }
    LPSTR text(const std::string &s) { return put(s.c_str(), s.size() + 1); }
    // A multi-string: each name and its zero, and one more zero.
    LPSTR multi(const std::vector<std::string> &names);
    size_t used() const { return used_; }

private:
    LPSTR put(const char *bytes, size_t size);
    LPBYTE buffer_;
    size_t used_;
};

// Fills the caller's buffer with records of type T, one by fill() from each
// of records, and their strings; or fails with ERROR_INSUFFICIENT_BUFFER
// after storing the size needed.
template <class T, class Record>
BOOL pack(const std::vector<Record> &records, LPBYTE buffer, DWORD cbBuf, LPDWORD pcbNeeded, LPDWORD pcReturned,
          void (*fill)(const Record &, T &, Layout &)) {
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

// One record, as the Get functions return it.
template <class T, class Record>
BOOL pack_one(const Record &record, LPBYTE buffer, DWORD cbBuf, LPDWORD pcbNeeded,
              void (*fill)(const Record &, T &, Layout &)) {
    return pack<T, Record>(std::vector<Record>{record}, buffer, cbBuf, pcbNeeded, nullptr, fill);
}

// ---- printer handles --------------------------------------------------------------

struct PrinterHandle {
    Printer printer;  // as it was when last seen, so a deleted printer still answers
    ACCESS_MASK access = 0;
    bool deleted = false;
};

HANDLE open_handle(const Printer &printer, ACCESS_MASK access);
void close_handle(HANDLE hPrinter);

// A printer handle of this process, looked up with the handle table locked
// for as long as this lives (the length of one call); ERROR_INVALID_HANDLE
// for a handle that is not open.
class HeldHandle {
public:
    explicit HeldHandle(HANDLE hPrinter);
    PrinterHandle &operator*() const { return handle_; }
    PrinterHandle *operator->() const { return &handle_; }

private:
    std::lock_guard<std::mutex> lock_;
    PrinterHandle &handle_;
};

// The handle's printer, read again from the store unless it was deleted.
Printer current_printer(Transaction &store, PrinterHandle &h);

// ---- drivers and printers --------------------------------------------------------

// The forms a driver's data file declares, added to the store where missing;
// a printer's creation adds them (spooler_drivers.cpp).
void add_driver_forms(Transaction &store, const Driver &driver);

}  // namespace w32h::spool
