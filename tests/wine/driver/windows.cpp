/* windows.cpp - what the Wine driver reads of other processes' windows (text,
 * class, owning program, children, focus, list entries, progress) and how it
 * writes: UTF-8 through WriteFile, texts on one line with their breaks escaped. */
#include "driver.h"

#include <map>

namespace {

std::string ToUtf8(const std::wstring &text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), NULL, 0, NULL, NULL);
    std::string out((size_t)n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), out.data(), n, NULL, NULL);
    return out;
}

/* WriteFile, not the C runtime: the bytes reach the Unix pipe unchanged. */
void Write(DWORD nStd, const std::wstring &line) {
    std::string bytes = ToUtf8(line + L"\n");
    DWORD nWritten = 0;
    WriteFile(GetStdHandle(nStd), bytes.data(), (DWORD)bytes.size(), &nWritten, NULL);
}

}  // namespace

void Print(const std::wstring &line) { Write(STD_OUTPUT_HANDLE, line); }
void Fail(const std::wstring &line) { Write(STD_ERROR_HANDLE, L"driver: " + line); }

/* The characters spelt as escapes, each with the letter that follows its backslash. */
const struct { wchar_t ch, letter; } ESCAPES[] = {{L'\r', L'r'}, {L'\n', L'n'}, {L'\t', L't'}, {L'\\', L'\\'}};

/* One line per text: line breaks and tabs spelt as escapes. */
std::wstring Escape(const std::wstring &text) {
    std::wstring out;
    for (wchar_t ch : text) {
        wchar_t letter = 0;
        for (const auto &escape : ESCAPES)
            if (escape.ch == ch) letter = escape.letter;
        out += letter ? std::wstring(L"\\") + letter : std::wstring(1, ch);
    }
    return out;
}

/* The shell hands expectations over in ASCII: \r \n \t \\ and \uXXXX. */
std::wstring Unescape(const std::wstring &text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] != L'\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        wchar_t ch = text[++i];
        if (ch == L'u' && i + 4 < text.size()) {
            out += (wchar_t)wcstoul(text.substr(i + 1, 4).c_str(), NULL, 16);
            i += 4;
            continue;
        }
        for (const auto &escape : ESCAPES)
            if (escape.letter == ch) ch = escape.ch;
        out += ch;
    }
    return out;
}

std::wstring Hex4(WORD wValue) {
    wchar_t szHex[8];
    wsprintfW(szHex, L"%04x", wValue);
    return szHex;
}

std::wstring Hex(DWORD dwValue) {
    wchar_t szHex[16];
    wsprintfW(szHex, L"0x%lx", dwValue);
    return szHex;
}

/* A window's text without WM_GETTEXTLENGTH: for another process's window
 * GetWindowTextW reads what Windows keeps and sends nothing, so a dialog that
 * closes meanwhile cannot hold the reader up. Texts here are short. */
std::wstring TextOf(HWND hWnd) {
    wchar_t szText[1024] = L"";
    int n = GetWindowTextW(hWnd, szText, 1024);
    return std::wstring(szText, (size_t)(n > 0 ? n : 0));
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t szClass[256] = L"";
    GetClassNameW(hWnd, szClass, 256);
    return szClass;
}

/* The full path of the program that owns a window; remembered per process,
 * since the watchers ask many times a second. */
std::wstring ProcessPathOf(HWND hWnd) {
    static std::map<DWORD, std::wstring> known;
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    auto it = known.find(dwProcessId);
    if (it != known.end()) return it->second;
    unique_handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId));
    wchar_t szPath[MAX_PATH] = L"";
    DWORD nSize = MAX_PATH;
    if (!process.get() || !QueryFullProcessImageNameW(process.get(), 0, szPath, &nSize)) return L"?";
    return known[dwProcessId] = std::wstring(szPath, nSize);
}

/* The file name of the process that owns a window, without its folder. */
std::wstring ProcessNameOf(HWND hWnd) {
    std::wstring path = ProcessPathOf(hWnd);
    size_t nSlash = path.find_last_of(L"\\/");
    return nSlash == std::wstring::npos ? path : path.substr(nSlash + 1);
}

/* Wine keeps a message box's icon control visible, and empty, when the box
 * has no icon: what counts is whether it holds one. */
bool HasIcon(HWND hStatic) {
    DWORD_PTR hIcon = 0;
    SendMessageTimeoutW(hStatic, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &hIcon);
    return hIcon != 0;
}

bool WaitUntilGone(HWND hWnd, DWORD dwTimeout) {
    for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < dwTimeout; Sleep(POLL_MS)) {
        if (!IsWindow(hWnd) || !IsWindowVisible(hWnd)) return true;
    }
    return false;
}

std::vector<HWND> ChildrenOf(HWND hWnd) {
    std::vector<HWND> children;
    for (HWND hChild = GetWindow(hWnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        children.push_back(hChild);
    return children;
}

/* The keyboard focus of the thread that runs a window. */
HWND FocusOf(HWND hWnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, NULL), &info) ? info.hwndFocus : NULL;
}

std::wstring IdOf(HWND hWnd) { return hWnd ? std::to_wstring(GetDlgCtrlID(hWnd)) : L"none"; }

LRESULT Ask(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(hWnd, uMsg, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &dwResult);
    return (LRESULT)dwResult;
}

/* A list box's entries. The wide messages: across processes Wine hands the
 * text over as UTF-16 whichever character set the list box was made with. */
std::vector<std::wstring> ListEntries(HWND hList) {
    std::vector<std::wstring> entries;
    LRESULT nCount = Ask(hList, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < nCount; i++) {
        LRESULT nLength = Ask(hList, LB_GETTEXTLEN, (WPARAM)i, 0);
        if (nLength < 0) break;
        std::vector<wchar_t> buffer((size_t)nLength + 1, L'\0');
        DWORD_PTR dwResult = 0;
        SendMessageTimeoutW(hList, LB_GETTEXT, (WPARAM)i, (LPARAM)buffer.data(), SMTO_ABORTIFHUNG, 2000, &dwResult);
        entries.emplace_back(buffer.data());
    }
    return entries;
}

std::wstring Join(const std::vector<std::wstring> &parts, const std::wstring &separator) {
    std::wstring out;
    for (size_t i = 0; i < parts.size(); i++) out += (i ? separator : L"") + parts[i];
    return out;
}

HWND ItemOf(HWND hDialog, int nId) {
    for (HWND hChild : ChildrenOf(hDialog))
        if (GetDlgCtrlID(hChild) == nId) return hChild;
    return NULL;
}

std::wstring ProgressOf(HWND hBar) {
    if (!hBar) return L"none";
    return std::to_wstring(Ask(hBar, PBM_GETPOS, 0, 0)) + L"/" + std::to_wstring(Ask(hBar, PBM_GETRANGE, FALSE, 0));
}

std::wstring YesNo(bool b) { return b ? L"yes" : L"no"; }
