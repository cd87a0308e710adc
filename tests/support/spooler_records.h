// spooler_records.h - the records the tests hand to AddPrinterDriverA and
// AddPrinterA, filled in as a setup program fills them: a driver by the names
// of its files, a printer of a driver on a port with the usual print processor.
#pragma once

#include <winspool.h>

namespace testrun {

// The spooler takes these texts as LPSTR but never writes to them.
inline LPSTR text(const char *s) { return const_cast<LPSTR>(s); }

inline DRIVER_INFO_3A driver_record(const char *name, const char *driver, const char *data, const char *config,
                                    LPSTR dependent = nullptr) {
    DRIVER_INFO_3A info{};
    info.pName = text(name);
    info.pDriverPath = text(driver);
    info.pDataFile = text(data);
    info.pConfigFile = text(config);
    info.pDependentFiles = dependent;
    return info;
}

inline PRINTER_INFO_2A printer_record(const char *name, const char *driver, const char *port) {
    PRINTER_INFO_2A info{};
    info.pPrinterName = text(name);
    info.pPortName = text(port);
    info.pDriverName = text(driver);
    info.pPrintProcessor = text("winprint");
    return info;
}

}  // namespace testrun
