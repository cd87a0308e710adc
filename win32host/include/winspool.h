/* winspool.h - the print spooler interface of win32host, with Windows' names
 * and layouts. The spooler calls arrive with the printer registration work;
 * until then the header only exists so that the program's includes are the
 * same on both targets. */
#ifndef WIN32HOST_WINSPOOL_H
#define WIN32HOST_WINSPOOL_H

#include <windows.h>

#endif /* WIN32HOST_WINSPOOL_H */
