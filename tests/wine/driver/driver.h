/* driver.h - what the parts of the Wine driver share: its waits and exit
 * codes, handle owners, its output, the reading of other processes' windows,
 * the steps it is given, and each part's entry points. Built for Windows only
 * (cmake/WindowsProgram.cmake). */
#ifndef WINE_DRIVER_H
#define WINE_DRIVER_H

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

const DWORD POLL_MS = 50;
/* How long the next window may take: seconds on a quiet machine, many more
 * when every core is busy; waiting costs nothing when it comes. */
const DWORD WAIT_MS = 30000;
/* Exit codes: 1 a check failed, 2 a usage error, 3 nothing to answer. */
const int STEP_USAGE = 2;
const int STEP_STUCK = 3;
/* Windows gives a message box's text control this id; Wine follows it. */
const int MESSAGE_BOX_TEXT_ID = 0xFFFF;

/* Owners of handles, each closing through the one API that frees it. */
template <class H>
class unique_owner {
public:
    typedef BOOL(WINAPI *FREE)(H);
    unique_owner(H h, FREE pfnFree) : m_h(h), m_pfnFree(pfnFree) {}
    ~unique_owner() {
        if (m_h) m_pfnFree(m_h);
    }
    unique_owner(const unique_owner &) = delete;
    unique_owner &operator=(const unique_owner &) = delete;
    H get() const { return m_h; }

private:
    H m_h;
    FREE m_pfnFree;
};

struct unique_handle : unique_owner<HANDLE> {
    explicit unique_handle(HANDLE h) : unique_owner(h, CloseHandle) {}
};

struct unique_module : unique_owner<HMODULE> {
    explicit unique_module(HMODULE h) : unique_owner(h, FreeLibrary) {}
};

/* A step of the command line: "box", "dialog N" or "copies", and its options. */
struct Step {
    std::wstring command;
    std::vector<std::pair<std::wstring, std::wstring>> options;
};

/* --- Output and other processes' windows (windows.cpp) ---------------------- */

void Print(const std::wstring &line);
void Fail(const std::wstring &line);
std::wstring Escape(const std::wstring &text);
std::wstring Unescape(const std::wstring &text);
std::wstring Hex4(WORD wValue);
std::wstring Hex(DWORD dwValue);
std::wstring TextOf(HWND hWnd);
std::wstring ClassOf(HWND hWnd);
std::wstring ProcessPathOf(HWND hWnd);
std::wstring ProcessNameOf(HWND hWnd);
bool HasIcon(HWND hStatic);
bool WaitUntilGone(HWND hWnd, DWORD dwTimeout);
std::vector<HWND> ChildrenOf(HWND hWnd);
HWND FocusOf(HWND hWnd);
std::wstring IdOf(HWND hWnd);
LRESULT Ask(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
std::vector<std::wstring> ListEntries(HWND hList);
std::wstring Join(const std::vector<std::wstring> &parts, const std::wstring &separator);
HWND ItemOf(HWND hDialog, int nId);
std::wstring ProgressOf(HWND hBar);
std::wstring YesNo(bool b);

/* --- Message boxes (message_boxes.cpp) -------------------------------------- */

struct Button {
    int nId;
    std::wstring text;
};

struct Box {
    HWND hWnd = NULL;
    std::wstring caption;
    std::wstring text;
    std::vector<Button> buttons;
    bool bIcon = false;
    std::wstring owner;
};

Box ReadBox(HWND hWnd);
int RunBoxStep(const Step &step);

/* --- Dialogs known by their templates, checked and acted on (dialogs.cpp) ---- */

int KindOf(HWND hWnd); /* a template number, 0 for a message box, -1 for anything else */
void PrintDialog(HWND hDialog, int nTemplate);
int RunDialog(int nTemplate, const Step &step);
int RunCopies(const Step &step);

/* --- What Windows reports (reports.cpp) -------------------------------------- */

int RunPrinters();
int RunDrivers();
int RunFolder();
int RunVersion(const std::wstring &path, const std::wstring &language);
int RunManifest(const std::wstring &path);
int RunResources(const std::wstring &path);
int RunString(const std::wstring &path, WORD wLanguage, UINT nId);

#endif
