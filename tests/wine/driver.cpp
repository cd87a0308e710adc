/* driver.cpp - drives SetupOrdane.exe from outside while it runs under Wine:
 * waits for one of its message boxes, checks caption, text, buttons, icon and
 * owner, then presses a button, as a user would. It also reads the program's
 * resources through the Windows loader, to check what a user of either
 * language gets. A console program, run by tests/wine/run.sh; it prints UTF-8. */
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace {

const DWORD POLL_MS = 50;
/* Windows gives a message box's text control this id; Wine follows it. */
const int MESSAGE_BOX_TEXT_ID = 0xFFFF;

/* Owners of handles, each closing through the one API that frees it. */
class unique_handle {
public:
    explicit unique_handle(HANDLE h) : m_h(h) {}
    ~unique_handle() {
        if (m_h) CloseHandle(m_h);
    }
    unique_handle(const unique_handle &) = delete;
    unique_handle &operator=(const unique_handle &) = delete;
    HANDLE get() const { return m_h; }

private:
    HANDLE m_h;
};

class unique_module {
public:
    explicit unique_module(HMODULE h) : m_h(h) {}
    ~unique_module() {
        if (m_h) FreeLibrary(m_h);
    }
    unique_module(const unique_module &) = delete;
    unique_module &operator=(const unique_module &) = delete;
    HMODULE get() const { return m_h; }

private:
    HMODULE m_h;
};

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

void Print(const std::wstring &line) { Write(STD_OUTPUT_HANDLE, line); }
void Fail(const std::wstring &line) { Write(STD_ERROR_HANDLE, L"driver: " + line); }

/* One line per text: line breaks and tabs spelt as escapes. */
std::wstring Escape(const std::wstring &text) {
    std::wstring out;
    for (wchar_t ch : text) {
        if (ch == L'\r')
            out += L"\\r";
        else if (ch == L'\n')
            out += L"\\n";
        else if (ch == L'\t')
            out += L"\\t";
        else if (ch == L'\\')
            out += L"\\\\";
        else
            out += ch;
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
        if (ch == L'r')
            out += L'\r';
        else if (ch == L'n')
            out += L'\n';
        else if (ch == L't')
            out += L'\t';
        else if (ch == L'u' && i + 4 < text.size()) {
            out += (wchar_t)wcstoul(text.substr(i + 1, 4).c_str(), NULL, 16);
            i += 4;
        } else
            out += ch;
    }
    return out;
}

std::wstring TextOf(HWND hWnd) {
    std::vector<wchar_t> buffer((size_t)GetWindowTextLengthW(hWnd) + 1, L'\0');
    int n = GetWindowTextW(hWnd, buffer.data(), (int)buffer.size());
    return std::wstring(buffer.data(), (size_t)(n > 0 ? n : 0));
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t szClass[256] = L"";
    GetClassNameW(hWnd, szClass, 256);
    return szClass;
}

/* The file name of the process that owns a window, without its folder. */
std::wstring ProcessNameOf(HWND hWnd) {
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    unique_handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, dwProcessId));
    wchar_t szPath[MAX_PATH] = L"";
    DWORD nSize = MAX_PATH;
    if (!process.get() || !QueryFullProcessImageNameW(process.get(), 0, szPath, &nSize)) return L"?";
    std::wstring path(szPath, nSize);
    size_t nSlash = path.find_last_of(L"\\/");
    return nSlash == std::wstring::npos ? path : path.substr(nSlash + 1);
}

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

/* Wine keeps a message box's icon control visible, and empty, when the box
 * has no icon: what counts is whether it holds one. */
bool HasIcon(HWND hStatic) {
    DWORD_PTR hIcon = 0;
    SendMessageTimeoutW(hStatic, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &hIcon);
    return hIcon != 0;
}

/* Visible children only: a message box hides the buttons it does not use. */
BOOL CALLBACK CollectChild(HWND hChild, LPARAM lParam) {
    Box &box = *(Box *)lParam;
    if (!IsWindowVisible(hChild)) return TRUE;
    std::wstring cls = ClassOf(hChild);
    LONG style = GetWindowLongW(hChild, GWL_STYLE);
    if (!lstrcmpiW(cls.c_str(), L"Button"))
        box.buttons.push_back({GetDlgCtrlID(hChild), TextOf(hChild)});
    else if (!lstrcmpiW(cls.c_str(), L"Static") && (style & SS_TYPEMASK) == SS_ICON)
        box.bIcon = box.bIcon || HasIcon(hChild);
    else if (!lstrcmpiW(cls.c_str(), L"Static") && box.text.empty())
        box.text = TextOf(hChild);
    return TRUE;
}

Box ReadBox(HWND hWnd) {
    Box box;
    box.hWnd = hWnd;
    box.caption = TextOf(hWnd);
    EnumChildWindows(hWnd, CollectChild, (LPARAM)&box);
    if (HWND hText = GetDlgItem(hWnd, MESSAGE_BOX_TEXT_ID)) box.text = TextOf(hText);
    HWND hOwner = GetWindow(hWnd, GW_OWNER);
    box.owner = hOwner ? ClassOf(hOwner) : L"(none)";
    return box;
}

struct Search {
    std::wstring caption;
    std::wstring process;
    HWND hFound = NULL;
};

/* A dialog is visible only once WM_INITDIALOG has filled it in. */
BOOL CALLBACK MatchTopLevel(HWND hWnd, LPARAM lParam) {
    Search &search = *(Search *)lParam;
    if (!IsWindowVisible(hWnd) || ClassOf(hWnd) != L"#32770" || TextOf(hWnd) != search.caption) return TRUE;
    if (lstrcmpiW(ProcessNameOf(hWnd).c_str(), search.process.c_str())) return TRUE;
    search.hFound = hWnd;
    return FALSE;
}

HWND WaitForBox(const std::wstring &caption, const std::wstring &process, DWORD dwTimeout) {
    Search search{caption, process, NULL};
    for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < dwTimeout; Sleep(POLL_MS)) {
        EnumWindows(MatchTopLevel, (LPARAM)&search);
        if (search.hFound) return search.hFound;
    }
    return NULL;
}

bool WaitUntilGone(HWND hWnd, DWORD dwTimeout) {
    for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < dwTimeout; Sleep(POLL_MS)) {
        if (!IsWindow(hWnd) || !IsWindowVisible(hWnd)) return true;
    }
    return false;
}

void PrintBox(const Box &box) {
    Print(L"box \"" + Escape(box.caption) + L"\" of " + ProcessNameOf(box.hWnd) + L", owner " + box.owner);
    Print(L"  text (" + std::to_wstring(box.text.size()) + L"): " + Escape(box.text));
    std::wstring line = L"  buttons:";
    for (const Button &button : box.buttons)
        line += L" " + std::to_wstring(button.nId) + L" \"" + Escape(button.text) + L"\"";
    Print(line);
    Print(box.bIcon ? L"  icon: shown" : L"  icon: none");
}

std::wstring ButtonIds(const Box &box) {
    std::wstring ids;
    for (const Button &button : box.buttons) ids += (ids.empty() ? L"" : L",") + std::to_wstring(button.nId);
    return ids;
}

/* What the caller expects of the box, and the button to press. */
struct Expectation {
    std::wstring caption;
    std::wstring process = L"SetupOrdane.exe";
    std::vector<std::pair<std::wstring, std::wstring>> checks; /* option, value */
    int nPress = 0;
    DWORD dwTimeout = 10000;
};

bool EndsWith(const std::wstring &text, const std::wstring &end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

/* What the box shows for one check, in the form the expectation is written. */
std::wstring Observed(const Box &box, const std::wstring &option) {
    if (option == L"--text-length") return std::to_wstring(box.text.size());
    if (option == L"--buttons") return ButtonIds(box);
    if (option == L"--icon") return box.bIcon ? L"shown" : L"none";
    if (option == L"--owner") return box.owner;
    return box.text;
}

/* Returns an empty string when the box meets the check, else what is wrong. */
std::wstring Check(const Box &box, const std::wstring &option, const std::wstring &value) {
    std::wstring got = Observed(box, option);
    bool bOk;
    if (option == L"--text-ends")
        bOk = EndsWith(got, value);
    else if (option == L"--text-has")
        bOk = got.find(value) != std::wstring::npos;
    else
        bOk = got == value;
    return bOk ? L"" : option + L": expected \"" + Escape(value) + L"\", got \"" + Escape(got) + L"\"";
}

bool Press(const Box &box, int nId, DWORD dwTimeout) {
    HWND hButton = GetDlgItem(box.hWnd, nId);
    if (!hButton || !IsWindowVisible(hButton)) {
        Fail(L"the box has no button " + std::to_wstring(nId));
        return false;
    }
    /* BM_CLICK goes through the button as a mouse click would. */
    PostMessageW(hButton, BM_CLICK, 0, 0);
    if (!WaitUntilGone(box.hWnd, dwTimeout)) {
        Fail(L"the box stayed open after button " + std::to_wstring(nId) + L" was pressed");
        return false;
    }
    Print(L"  pressed " + std::to_wstring(nId));
    return true;
}

/* Every check is reported, and the button is pressed even after a mismatch,
 * so that the program goes on to its end and the log shows all differences. */
int RunBox(const Expectation &expect) {
    HWND hWnd = WaitForBox(expect.caption, expect.process, expect.dwTimeout);
    if (!hWnd) {
        Fail(L"no box captioned \"" + Escape(expect.caption) + L"\" of " + expect.process + L" within " +
             std::to_wstring(expect.dwTimeout) + L" ms");
        return 1;
    }
    Box box = ReadBox(hWnd);
    PrintBox(box);
    int nResult = 0;
    for (const auto &[option, value] : expect.checks) {
        std::wstring problem = Check(box, option, value);
        if (!problem.empty()) {
            Fail(problem);
            nResult = 1;
        }
    }
    if (!Press(box, expect.nPress, expect.dwTimeout)) nResult = 1;
    return nResult;
}

int Usage() {
    Fail(
        L"usage: driver box --caption TEXT --press ID [--text T] [--text-ends T] [--text-has T]\n"
        L"         [--text-length N] [--buttons ID,ID] [--icon none|shown] [--owner CLASS]\n"
        L"         [--process NAME] [--timeout MS]\n"
        L"       driver list\n"
        L"       driver resources EXE\n"
        L"       driver string EXE LANGID ID\n"
        L"TEXT may hold \\r \\n \\t \\\\ and \\uXXXX.");
    return 2;
}

bool ParseBox(const std::vector<std::wstring> &args, Expectation &expect) {
    bool bCaption = false;
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        const std::wstring &option = args[i];
        std::wstring value = Unescape(args[i + 1]);
        if (option == L"--caption") {
            expect.caption = value;
            bCaption = true;
        } else if (option == L"--press")
            expect.nPress = _wtoi(value.c_str());
        else if (option == L"--process")
            expect.process = value;
        else if (option == L"--timeout")
            expect.dwTimeout = (DWORD)_wtoi(value.c_str());
        else if (option.rfind(L"--text", 0) == 0 || option == L"--buttons" || option == L"--icon" ||
                 option == L"--owner")
            expect.checks.emplace_back(option, value);
        else
            return false;
    }
    return bCaption && expect.nPress != 0 && args.size() % 2 == 1;
}

BOOL CALLBACK ListTopLevel(HWND hWnd, LPARAM lParam) {
    (void)lParam;
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (!IsWindowVisible(hWnd) || dwProcessId == GetCurrentProcessId()) return TRUE;
    Box box = ReadBox(hWnd);
    Print(L"window " + ClassOf(hWnd) + L" \"" + Escape(box.caption) + L"\" of " + ProcessNameOf(hWnd) + L": " +
          Escape(box.text));
    return TRUE;
}

/* What a user's screen shows: every visible top-level window of other processes. */
int RunList() {
    EnumWindows(ListTopLevel, 0);
    return 0;
}

std::wstring ResourceName(LPCWSTR pszName) {
    return IS_INTRESOURCE(pszName) ? std::to_wstring((UINT_PTR)pszName) : std::wstring(pszName);
}

std::wstring Hex4(WORD wValue) {
    wchar_t szHex[8];
    wsprintfW(szHex, L"%04x", wValue);
    return szHex;
}

BOOL CALLBACK ListLanguage(HMODULE, LPCWSTR pszType, LPCWSTR pszName, WORD wLanguage, LONG_PTR) {
    Print(ResourceName(pszType) + L" " + ResourceName(pszName) + L" " + Hex4(wLanguage));
    return TRUE;
}

BOOL CALLBACK ListName(HMODULE hModule, LPCWSTR pszType, LPWSTR pszName, LONG_PTR lParam) {
    EnumResourceLanguagesW(hModule, pszType, pszName, ListLanguage, lParam);
    return TRUE;
}

BOOL CALLBACK ListType(HMODULE hModule, LPWSTR pszType, LONG_PTR lParam) {
    EnumResourceNamesW(hModule, pszType, ListName, lParam);
    return TRUE;
}

HMODULE LoadAsData(const std::wstring &path) {
    HMODULE hModule = LoadLibraryExW(path.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (!hModule) Fail(L"cannot open " + path + L" as a data file: error " + std::to_wstring(GetLastError()));
    return hModule;
}

/* One line per resource: type, name and language, in the file's order. */
int RunResources(const std::wstring &path) {
    unique_module module(LoadAsData(path));
    if (!module.get()) return 1;
    EnumResourceTypesW(module.get(), ListType, 0);
    return 0;
}

/* A string block holds sixteen counted strings; the one asked for is picked
 * out in the one language asked for, with no fallback to another. */
int RunString(const std::wstring &path, WORD wLanguage, UINT nId) {
    unique_module module(LoadAsData(path));
    if (!module.get()) return 1;
    HRSRC hInfo = FindResourceExW(module.get(), (LPCWSTR)RT_STRING, MAKEINTRESOURCEW(nId / 16 + 1), wLanguage);
    HGLOBAL hData = hInfo ? LoadResource(module.get(), hInfo) : NULL;
    const WCHAR *p = hData ? (const WCHAR *)LockResource(hData) : NULL;
    if (!p) {
        Fail(L"no string block for string " + std::to_wstring(nId) + L" in language " + Hex4(wLanguage));
        return 1;
    }
    for (UINT i = 0; i < nId % 16; i++) p += *p + 1;
    std::wstring text(p + 1, *p);
    Print(std::to_wstring(text.size()) + L" " + Escape(text));
    return text.empty() ? 1 : 0;
}

std::vector<std::wstring> Arguments() {
    int nCount = 0;
    LPWSTR *ppszArgs = CommandLineToArgvW(GetCommandLineW(), &nCount);
    std::vector<std::wstring> args;
    for (int i = 1; ppszArgs && i < nCount; i++) args.emplace_back(ppszArgs[i]);
    LocalFree(ppszArgs);
    return args;
}

}  // namespace

int main() {
    std::vector<std::wstring> args = Arguments();
    if (args.empty()) return Usage();
    const std::wstring &command = args[0];
    if (command == L"box") {
        Expectation expect;
        return ParseBox(args, expect) ? RunBox(expect) : Usage();
    }
    if (command == L"list" && args.size() == 1) return RunList();
    if (command == L"resources" && args.size() == 2) return RunResources(args[1]);
    if (command == L"string" && args.size() == 4)
        return RunString(args[1], (WORD)wcstoul(args[2].c_str(), NULL, 16), (UINT)_wtoi(args[3].c_str()));
    return Usage();
}
