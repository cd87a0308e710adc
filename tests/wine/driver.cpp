/* driver.cpp - drives SetupOrdane.exe from outside while it runs under Wine:
 * waits for each of its message boxes and dialogs (told apart by their
 * templates), checks texts, styles, default button, focus and list entries,
 * selects, types and presses as a user would, and watches the copy dialogs come
 * and go. It also reads the program's resources, version and manifest through
 * the Windows loader, and the spooler's printers and drivers as Windows reports
 * them. A console program, run by tests/wine/run.sh and job.sh; prints UTF-8. */
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <winspool.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

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

std::wstring Hex4(WORD wValue) {
    wchar_t szHex[8];
    wsprintfW(szHex, L"%04x", wValue);
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

int KindOf(HWND hWnd);

/* A dialog is visible only once WM_INITDIALOG has filled it in. Message boxes
 * only: the program's dialogs 604 and 606 have an empty caption too. */
BOOL CALLBACK MatchTopLevel(HWND hWnd, LPARAM lParam) {
    Search &search = *(Search *)lParam;
    if (!IsWindowVisible(hWnd) || ClassOf(hWnd) != L"#32770" || TextOf(hWnd) != search.caption) return TRUE;
    if (KindOf(hWnd) != 0) return TRUE;
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
    DWORD dwTimeout = WAIT_MS;
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
        return STEP_STUCK;
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
    return Press(box, expect.nPress, expect.dwTimeout) ? nResult : STEP_STUCK;
}

int Usage() {
    Fail(
        L"usage: driver STEP [then STEP]...    each step waits for what it answers, in turn\n"
        L"  STEP: box --caption TEXT --press ID [--text T] [--text-ends T] [--text-has T]\n"
        L"          [--text-length N] [--buttons ID,ID] [--icon none|shown] [--owner CLASS]\n"
        L"        dialog TEMPLATE [--title T] [--owner-title T] [--lang LANGID] [--caption-bar yes|no]\n"
        L"          [--sysmenu yes|no] [--default ID,..|none] [--focus ID|none] [--item ID=T]\n"
        L"          [--entries ID=T|T..] [--selection ID=T|none] [--progress ID=POS/MAX]\n"
        L"          then actions in order, the last one closing it: [--select ID=T] [--key enter|escape|tab]\n"
        L"          [--pause MS] [--press ID]\n"
        L"        copies [--expect TITLE|FILE|FROM|TO|POS/MAX]... | copies --any true\n"
        L"        every step: [--process NAME] [--timeout MS]\n"
        L"       driver list\n"
        L"       driver resources EXE\n"
        L"       driver string EXE LANGID ID\n"
        L"       driver version EXE LANGID\n"
        L"       driver manifest EXE\n"
        L"       driver spooler | folder\n"
        L"TEXT may hold \\r \\n \\t \\\\ and \\uXXXX.");
    return STEP_USAGE;
}

/* --- Dialogs, told apart by their templates -------------------------------- */

struct TemplateItem {
    WORD wId = 0;
    DWORD dwStyle = 0;
    std::wstring cls;  /* a class name; the predefined ordinals are named */
    std::wstring text; /* empty for an ordinal (an icon) */
};

struct DialogTemplate {
    DWORD dwStyle = 0;
    std::wstring title;
    std::vector<TemplateItem> items;
};

/* A name or ordinal in a template: 0 for none, 0xFFFF and a number, or a
 * zero-ended UTF-16 text. */
const WORD *ReadNameOrOrdinal(const WORD *p, std::wstring &text, WORD &wOrdinal) {
    text.clear();
    wOrdinal = 0;
    if (*p == 0xFFFF) {
        wOrdinal = p[1];
        return p + 2;
    }
    while (*p) text += (wchar_t)*p++;
    return p + 1;
}

std::wstring PredefinedClass(WORD wOrdinal) {
    switch (wOrdinal) {
    case 0x80:
        return L"Button";
    case 0x81:
        return L"Edit";
    case 0x82:
        return L"Static";
    case 0x83:
        return L"ListBox";
    case 0x84:
        return L"ScrollBar";
    case 0x85:
        return L"ComboBox";
    default:
        return L"#" + std::to_wstring(wOrdinal);
    }
}

/* Reads a DIALOG (not DIALOGEX) template: the form every dialog of the
 * program has, since the resource compilers write that for DIALOG. */
bool ParseTemplate(const BYTE *pData, DWORD cbData, DialogTemplate &tpl) {
    const DLGTEMPLATE *pHead = (const DLGTEMPLATE *)pData;
    if (cbData < sizeof(DLGTEMPLATE) || HIWORD(pHead->style) == 0xFFFF) return false;
    tpl.dwStyle = pHead->style;
    const WORD *p = (const WORD *)(pHead + 1);
    std::wstring text;
    WORD wOrdinal;
    p = ReadNameOrOrdinal(p, text, wOrdinal); /* menu */
    p = ReadNameOrOrdinal(p, text, wOrdinal); /* class */
    p = ReadNameOrOrdinal(p, tpl.title, wOrdinal);
    if (pHead->style & DS_SETFONT) {
        p++; /* point size */
        p = ReadNameOrOrdinal(p, text, wOrdinal);
    }
    for (WORD i = 0; i < pHead->cdit; i++) {
        p = (const WORD *)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
        if ((const BYTE *)p + sizeof(DLGITEMTEMPLATE) > pData + cbData) return false;
        const DLGITEMTEMPLATE *pItem = (const DLGITEMTEMPLATE *)p;
        TemplateItem item;
        item.wId = pItem->id;
        item.dwStyle = pItem->style;
        p = (const WORD *)((const BYTE *)pItem + sizeof(DLGITEMTEMPLATE));
        p = ReadNameOrOrdinal(p, item.cls, wOrdinal);
        if (wOrdinal) item.cls = PredefinedClass(wOrdinal);
        p = ReadNameOrOrdinal(p, item.text, wOrdinal);
        WORD cbExtra = *p++;
        p = (const WORD *)((const BYTE *)p + cbExtra);
        tpl.items.push_back(item);
    }
    return true;
}

/* A template of the program that owns a window, in one language (0: the
 * loader's choice). Loaded once per program, template and language. */
const DialogTemplate *TemplateOf(const std::wstring &exe, int nTemplate, WORD wLanguage) {
    static std::map<std::wstring, std::unique_ptr<DialogTemplate>> cache;
    std::wstring key = exe + L"|" + std::to_wstring(nTemplate) + L"|" + std::to_wstring(wLanguage);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second.get();
    std::unique_ptr<DialogTemplate> tpl;
    unique_module module(LoadLibraryExW(exe.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE));
    HRSRC hInfo = NULL;
    if (module.get())
        hInfo = wLanguage ? FindResourceExW(module.get(), (LPCWSTR)RT_DIALOG, MAKEINTRESOURCEW(nTemplate), wLanguage)
                          : FindResourceW(module.get(), MAKEINTRESOURCEW(nTemplate), (LPCWSTR)RT_DIALOG);
    HGLOBAL hData = hInfo ? LoadResource(module.get(), hInfo) : NULL;
    const BYTE *pData = hData ? (const BYTE *)LockResource(hData) : NULL;
    if (pData) {
        tpl.reset(new DialogTemplate);
        if (!ParseTemplate(pData, SizeofResource(module.get(), hInfo), *tpl)) tpl.reset();
    }
    return (cache[key] = std::move(tpl)).get();
}

/* The dialog templates of SetupOrdane, whose windows the driver recognises. */
const int TEMPLATES[] = {600, 602, 604, 606, 608};

std::vector<HWND> ChildrenOf(HWND hWnd) {
    std::vector<HWND> children;
    for (HWND hChild = GetWindow(hWnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        children.push_back(hChild);
    return children;
}

/* A dialog comes from a template when its controls are the template's, in
 * its order: same identifiers, same classes. */
bool BuiltFrom(HWND hWnd, const DialogTemplate &tpl) {
    std::vector<HWND> children = ChildrenOf(hWnd);
    if (children.size() != tpl.items.size()) return false;
    for (size_t i = 0; i < children.size(); i++) {
        if ((WORD)GetDlgCtrlID(children[i]) != tpl.items[i].wId) return false;
        if (lstrcmpiW(ClassOf(children[i]).c_str(), tpl.items[i].cls.c_str())) return false;
    }
    return true;
}

/* What a top-level window of the program is: a template number, 0 for a
 * message box, -1 for anything else (the main window). Templates first: a
 * message box's text control has the identifier the templates give labels. */
int KindOf(HWND hWnd) {
    if (ClassOf(hWnd) != L"#32770") return -1;
    std::wstring exe = ProcessPathOf(hWnd);
    for (int nTemplate : TEMPLATES) {
        const DialogTemplate *tpl = TemplateOf(exe, nTemplate, 0);
        if (tpl && BuiltFrom(hWnd, *tpl)) return nTemplate;
    }
    return GetDlgItem(hWnd, MESSAGE_BOX_TEXT_ID) ? 0 : -1;
}

struct Shown {
    HWND hWnd;
    int nKind;
};

struct ShownSearch {
    std::wstring process;
    std::vector<Shown> found;
};

BOOL CALLBACK CollectShown(HWND hWnd, LPARAM lParam) {
    ShownSearch &search = *(ShownSearch *)lParam;
    if (!IsWindowVisible(hWnd) || lstrcmpiW(ProcessNameOf(hWnd).c_str(), search.process.c_str())) return TRUE;
    search.found.push_back({hWnd, KindOf(hWnd)});
    return TRUE;
}

/* Every visible top-level window of the program, with its kind. */
std::vector<Shown> ShownBy(const std::wstring &process) {
    ShownSearch search{process, {}};
    EnumWindows(CollectShown, (LPARAM)&search);
    return search.found;
}

std::wstring KindName(int nKind) {
    return nKind == 0 ? L"message box" : nKind < 0 ? L"window" : L"dialog " + std::to_wstring(nKind);
}

HWND WaitForDialog(int nTemplate, const std::wstring &process, DWORD dwTimeout) {
    for (DWORD dwStart = GetTickCount(); GetTickCount() - dwStart < dwTimeout; Sleep(POLL_MS)) {
        for (const Shown &shown : ShownBy(process))
            if (shown.nKind == nTemplate) return shown.hWnd;
    }
    return NULL;
}

/* The keyboard focus of the thread that runs a window. */
HWND FocusOf(HWND hWnd) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(hWnd, NULL), &info) ? info.hwndFocus : NULL;
}

std::wstring IdOf(HWND hWnd) { return hWnd ? std::to_wstring(GetDlgCtrlID(hWnd)) : L"none"; }

/* Push buttons that carry the default style, "none" when none does. */
std::wstring DefaultButtons(HWND hDialog) {
    std::wstring ids;
    for (HWND hChild : ChildrenOf(hDialog)) {
        LONG style = GetWindowLongW(hChild, GWL_STYLE);
        if (!lstrcmpiW(ClassOf(hChild).c_str(), L"Button") && (style & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            ids += (ids.empty() ? L"" : L",") + IdOf(hChild);
    }
    return ids.empty() ? L"none" : ids;
}

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

/* Every control of a dialog on one line each: what a failing case shows. */
void PrintDialog(HWND hDialog, int nTemplate) {
    HWND hOwner = GetWindow(hDialog, GW_OWNER);
    Print(L"dialog " + std::to_wstring(nTemplate) + L" \"" + Escape(TextOf(hDialog)) + L"\" of " +
          ProcessNameOf(hDialog) + L", owner " +
          (hOwner ? ClassOf(hOwner) + L" \"" + TextOf(hOwner) + L"\"" : L"(none)"));
    LONG style = GetWindowLongW(hDialog, GWL_STYLE);
    Print(L"  caption bar " + YesNo((style & WS_CAPTION) == WS_CAPTION) + L", system menu " +
          YesNo(style & WS_SYSMENU) + L", default " + DefaultButtons(hDialog) + L", focus " + IdOf(FocusOf(hDialog)));
    for (HWND hChild : ChildrenOf(hDialog)) {
        std::wstring cls = ClassOf(hChild);
        LONG style = GetWindowLongW(hChild, GWL_STYLE);
        bool bIcon = !lstrcmpiW(cls.c_str(), L"Static") && (style & SS_TYPEMASK) == SS_ICON;
        std::wstring line =
            L"  " + std::to_wstring((WORD)GetDlgCtrlID(hChild)) + L" " + cls + L" " +
            (bIcon ? std::wstring(HasIcon(hChild) ? L"icon" : L"empty icon") : L"\"" + Escape(TextOf(hChild)) + L"\"");
        if (!lstrcmpiW(cls.c_str(), L"ListBox"))
            line += L" entries [" + Escape(Join(ListEntries(hChild), L"|")) + L"] selection " +
                    std::to_wstring(Ask(hChild, LB_GETCURSEL, 0, 0));
        if (!lstrcmpiW(cls.c_str(), PROGRESS_CLASSW)) line += L" progress " + ProgressOf(hChild);
        Print(line);
    }
}

/* The labels a user reads: every text the template gives a control, in the
 * one language asked for, stands unchanged in the dialog. */
std::wstring CheckLanguage(HWND hDialog, int nTemplate, WORD wLanguage) {
    const DialogTemplate *tpl = TemplateOf(ProcessPathOf(hDialog), nTemplate, wLanguage);
    if (!tpl) return L"no template " + std::to_wstring(nTemplate) + L" in language " + Hex4(wLanguage);
    std::vector<HWND> children = ChildrenOf(hDialog);
    if (children.size() != tpl->items.size()) return L"the dialog has not the template's controls";
    for (size_t i = 0; i < children.size(); i++) {
        const std::wstring &expected = tpl->items[i].text;
        if (!expected.empty() && TextOf(children[i]) != expected)
            return L"control " + std::to_wstring(i + 1) + L": expected \"" + Escape(expected) + L"\", got \"" +
                   Escape(TextOf(children[i])) + L"\"";
    }
    return L"";
}

/* Returns an empty string when the dialog meets the check, else what is wrong.
 * Checks of one control are written ID=VALUE. */
std::wstring CheckDialog(HWND hDialog, int nTemplate, const std::wstring &option, const std::wstring &value) {
    if (option == L"--lang") return CheckLanguage(hDialog, nTemplate, (WORD)wcstoul(value.c_str(), NULL, 16));
    size_t nEquals = value.find(L'=');
    HWND hItem = ItemOf(hDialog, _wtoi(value.c_str()));
    std::wstring itemValue = nEquals == std::wstring::npos ? L"" : value.substr(nEquals + 1);
    std::wstring got, expected = value;
    LONG style = GetWindowLongW(hDialog, GWL_STYLE);
    if (option == L"--title")
        got = TextOf(hDialog);
    else if (option == L"--owner-title") {
        HWND hOwner = GetWindow(hDialog, GW_OWNER);
        got = hOwner ? TextOf(hOwner) : L"(none)";
    } else if (option == L"--caption-bar")
        got = YesNo((style & WS_CAPTION) == WS_CAPTION);
    else if (option == L"--sysmenu")
        got = YesNo(style & WS_SYSMENU);
    else if (option == L"--default")
        got = DefaultButtons(hDialog);
    else if (option == L"--focus")
        got = IdOf(FocusOf(hDialog));
    else if (!hItem)
        return option + L": the dialog has no control " + value.substr(0, nEquals);
    else if (option == L"--item" || option == L"--entries" || option == L"--selection" || option == L"--progress") {
        expected = itemValue;
        if (option == L"--item")
            got = TextOf(hItem);
        else if (option == L"--entries")
            got = Join(ListEntries(hItem), L"|");
        else if (option == L"--progress")
            got = ProgressOf(hItem);
        else {
            LRESULT nSelected = Ask(hItem, LB_GETCURSEL, 0, 0);
            std::vector<std::wstring> entries = ListEntries(hItem);
            got = nSelected >= 0 && (size_t)nSelected < entries.size() ? entries[(size_t)nSelected] : L"none";
        }
    } else
        return L"unknown check " + option;
    return got == expected ? L"" : option + L": expected \"" + Escape(expected) + L"\", got \"" + Escape(got) + L"\"";
}

/* A key as the keyboard sends it to the focused control; the dialog manager
 * of the program's modal loop turns Enter and Escape into commands. */
bool PostKey(HWND hDialog, const std::wstring &key) {
    UINT uKey = key == L"enter" ? VK_RETURN : key == L"escape" ? VK_ESCAPE : key == L"tab" ? VK_TAB : 0;
    if (!uKey) {
        Fail(L"unknown key " + key);
        return false;
    }
    HWND hTarget = FocusOf(hDialog);
    if (!hTarget) hTarget = hDialog;
    UINT uScan = MapVirtualKeyW(uKey, 0);
    PostMessageW(hTarget, WM_KEYDOWN, uKey, 1 | (uScan << 16));
    PostMessageW(hTarget, WM_KEYUP, uKey, 1 | (uScan << 16) | 0xC0000000u);
    return true;
}

/* Selects a list entry by its whole text, as a click on it would. */
bool SelectEntry(HWND hDialog, const std::wstring &value) {
    size_t nEquals = value.find(L'=');
    HWND hList = ItemOf(hDialog, _wtoi(value.substr(0, nEquals).c_str()));
    std::wstring text = nEquals == std::wstring::npos ? L"" : value.substr(nEquals + 1);
    std::vector<std::wstring> entries = ListEntries(hList);
    for (size_t i = 0; i < entries.size(); i++) {
        if (entries[i] != text) continue;
        Ask(hList, LB_SETCURSEL, i, 0);
        if (Ask(hList, LB_GETCURSEL, 0, 0) == (LRESULT)i) return true;
    }
    Fail(L"no list entry \"" + Escape(text) + L"\" to select");
    return false;
}

/* An action that must leave the dialog open waits a little and looks; the
 * last action must close it. */
bool Act(HWND hDialog, const std::wstring &option, const std::wstring &value, bool bLast, DWORD dwTimeout) {
    bool bDone;
    if (option == L"--pause") {
        Sleep((DWORD)_wtoi(value.c_str()));
        bDone = true;
    } else if (option == L"--select")
        bDone = SelectEntry(hDialog, value);
    else if (option == L"--key")
        bDone = PostKey(hDialog, value);
    else {
        HWND hButton = ItemOf(hDialog, _wtoi(value.c_str()));
        bDone = hButton && IsWindowVisible(hButton) && PostMessageW(hButton, BM_CLICK, 0, 0);
        if (!bDone) Fail(L"the dialog has no button " + value);
    }
    if (!bDone) return false;
    if (bLast) {
        if (!WaitUntilGone(hDialog, dwTimeout)) {
            Fail(L"the dialog stayed open after " + option + L" " + Escape(value));
            return false;
        }
        Print(L"  " + option.substr(2) + L" " + Escape(value) + L": closed");
        return true;
    }
    Sleep(300);
    if (!IsWindow(hDialog) || !IsWindowVisible(hDialog)) {
        Fail(L"the dialog closed after " + option + L" " + Escape(value));
        return false;
    }
    Print(L"  " + option.substr(2) + L" " + Escape(value) + L": still open");
    return true;
}

struct Step {
    std::wstring command;
    std::vector<std::pair<std::wstring, std::wstring>> options;
};

/* Checks first, on the dialog as it appeared; then the actions in order. The
 * actions run after a failed check too, so that the program goes on. */
int RunDialog(int nTemplate, const Step &step) {
    std::wstring process = L"SetupOrdane.exe";
    DWORD dwTimeout = WAIT_MS;
    std::vector<std::pair<std::wstring, std::wstring>> actions;
    for (const auto &[option, value] : step.options) {
        if (option == L"--process") process = value;
        if (option == L"--timeout") dwTimeout = (DWORD)_wtoi(value.c_str());
        if (option == L"--select" || option == L"--key" || option == L"--press" || option == L"--pause")
            actions.emplace_back(option, value);
    }
    HWND hDialog = WaitForDialog(nTemplate, process, dwTimeout);
    if (!hDialog) {
        Fail(L"no dialog " + std::to_wstring(nTemplate) + L" of " + process + L" within " + std::to_wstring(dwTimeout) +
             L" ms");
        return STEP_STUCK;
    }
    PrintDialog(hDialog, nTemplate);
    int nResult = 0;
    for (const auto &[option, value] : step.options) {
        if (option == L"--process" || option == L"--timeout" || option == L"--select" || option == L"--key" ||
            option == L"--press" || option == L"--pause")
            continue;
        std::wstring problem = CheckDialog(hDialog, nTemplate, option, value);
        if (!problem.empty()) {
            Fail(problem);
            nResult = 1;
        }
    }
    if (actions.empty()) {
        Fail(L"a dialog step needs an action that closes the dialog");
        return STEP_STUCK;
    }
    for (size_t i = 0; i < actions.size(); i++)
        if (!Act(hDialog, actions[i].first, actions[i].second, i + 1 == actions.size(), dwTimeout)) return STEP_STUCK;
    return nResult;
}

/* --- The copy dialogs, which come and go by themselves ----------------------- */

const int COPY_TEMPLATE = 602;
const DWORD COPY_POLL_MS = 10;

/* What one copy dialog showed when it was first seen. */
std::wstring DescribeCopy(HWND hDialog) {
    return TextOf(hDialog) + L"|" + TextOf(ItemOf(hDialog, 1008)) + L"|" + TextOf(ItemOf(hDialog, 1015)) + L"|" +
           TextOf(ItemOf(hDialog, 1016)) + L"|" + ProgressOf(ItemOf(hDialog, 1017));
}

/* Watches copy dialogs, each "TITLE|FILE|FROM|TO|POS/MAX" as first seen, until
 * the program shows something else or ends; then compares them, in order, with
 * the --expect options (none: no copy at all), or takes any with --any. */
int RunCopies(const Step &step) {
    std::wstring process = L"SetupOrdane.exe";
    DWORD dwTimeout = WAIT_MS;
    std::vector<std::wstring> expected;
    bool bAny = false;
    for (const auto &[option, value] : step.options) {
        if (option == L"--process") process = value;
        if (option == L"--timeout") dwTimeout = (DWORD)_wtoi(value.c_str());
        if (option == L"--expect") expected.push_back(value);
        if (option == L"--any") bAny = true;
    }
    std::vector<std::wstring> seen;
    std::vector<HWND> handles;
    std::wstring ending;
    DWORD dwLast = GetTickCount();
    while (ending.empty()) {
        std::vector<Shown> shown = ShownBy(process);
        if (shown.empty()) ending = L"the program ended";
        for (const Shown &window : shown) {
            if (window.nKind == COPY_TEMPLATE) {
                bool bKnown = false;
                for (HWND h : handles) bKnown = bKnown || h == window.hWnd;
                if (bKnown) continue;
                handles.push_back(window.hWnd);
                seen.push_back(DescribeCopy(window.hWnd));
                Print(L"  copy " + Escape(seen.back()));
                dwLast = GetTickCount();
            } else if (window.nKind >= 0)
                ending = KindName(window.nKind) + L" \"" + Escape(TextOf(window.hWnd)) + L"\" appeared";
        }
        if (ending.empty() && GetTickCount() - dwLast > dwTimeout) ending = L"timeout";
        if (ending.empty()) Sleep(COPY_POLL_MS);
    }
    Print(L"  copies ended: " + ending);
    if (ending == L"timeout" || ending == L"the program ended") {
        Fail(ending == L"timeout" ? L"nothing but copies within " + std::to_wstring(dwTimeout) + L" ms" : ending);
        return STEP_STUCK;
    }
    if (bAny || seen == expected) return 0;
    Fail(L"copies differ; expected:");
    for (const std::wstring &line : expected) Fail(L"  " + Escape(line));
    return 1;
}

/* --- The spooler, as Windows reports it ------------------------------------- */

std::wstring FromAnsi(const char *psz) {
    if (!psz) return L"(null)";
    int n = MultiByteToWideChar(CP_ACP, 0, psz, -1, NULL, 0);
    std::vector<wchar_t> buffer((size_t)(n > 0 ? n : 1), L'\0');
    MultiByteToWideChar(CP_ACP, 0, psz, -1, buffer.data(), n);
    return buffer.data();
}

/* A multi-string as its names joined by commas. */
std::wstring FromAnsiList(const char *psz) {
    if (!psz) return L"(null)";
    std::wstring out;
    for (; *psz; psz += lstrlenA(psz) + 1) out += (out.empty() ? L"" : L",") + FromAnsi(psz);
    return out;
}

std::wstring Hex(DWORD dwValue) {
    wchar_t szHex[16];
    wsprintfW(szHex, L"0x%lx", dwValue);
    return szHex;
}

/* One line per local printer: name, port, driver, comment, share, location,
 * print processor, data type, attributes. */
int RunPrinters() {
    DWORD cbNeeded = 0, nCount = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, NULL, 0, &cbNeeded, &nCount);
    std::vector<BYTE> buffer(cbNeeded ? cbNeeded : 1);
    if (!EnumPrintersA(PRINTER_ENUM_LOCAL, NULL, 2, buffer.data(), cbNeeded, &cbNeeded, &nCount)) {
        Fail(L"EnumPrintersA failed: error " + std::to_wstring(GetLastError()));
        return 1;
    }
    const PRINTER_INFO_2A *pInfo = (const PRINTER_INFO_2A *)buffer.data();
    for (DWORD i = 0; i < nCount; i++, pInfo++)
        Print(L"printer " + FromAnsi(pInfo->pPrinterName) + L" | " + FromAnsi(pInfo->pPortName) + L" | " +
              FromAnsi(pInfo->pDriverName) + L" | " + FromAnsi(pInfo->pComment) + L" | " + FromAnsi(pInfo->pShareName) +
              L" | " + FromAnsi(pInfo->pLocation) + L" | " + FromAnsi(pInfo->pPrintProcessor) + L" | " +
              FromAnsi(pInfo->pDatatype) + L" | " + Hex(pInfo->Attributes));
    return 0;
}

/* One line per printer driver of the running environment: name, version,
 * environment, driver, data, configuration and help file, dependent files,
 * monitor, default data type. */
int RunDrivers() {
    DWORD cbNeeded = 0, nCount = 0;
    EnumPrinterDriversA(NULL, NULL, 3, NULL, 0, &cbNeeded, &nCount);
    std::vector<BYTE> buffer(cbNeeded ? cbNeeded : 1);
    if (!EnumPrinterDriversA(NULL, NULL, 3, buffer.data(), cbNeeded, &cbNeeded, &nCount)) {
        Fail(L"EnumPrinterDriversA failed: error " + std::to_wstring(GetLastError()));
        return 1;
    }
    const DRIVER_INFO_3A *pInfo = (const DRIVER_INFO_3A *)buffer.data();
    for (DWORD i = 0; i < nCount; i++, pInfo++)
        Print(L"driver " + FromAnsi(pInfo->pName) + L" | " + std::to_wstring(pInfo->cVersion) + L" | " +
              FromAnsi(pInfo->pEnvironment) + L" | " + FromAnsi(pInfo->pDriverPath) + L" | " +
              FromAnsi(pInfo->pDataFile) + L" | " + FromAnsi(pInfo->pConfigFile) + L" | " + FromAnsi(pInfo->pHelpFile) +
              L" | " + FromAnsiList(pInfo->pDependentFiles) + L" | " + FromAnsi(pInfo->pMonitorName) + L" | " +
              FromAnsi(pInfo->pDefaultDataType));
    return 0;
}

/* The printer-driver folder of the running environment, as programs get it. */
int RunFolder() {
    char szFolder[MAX_PATH] = "";
    DWORD cbNeeded = 0;
    if (!GetPrinterDriverDirectoryA(NULL, NULL, 1, (LPBYTE)szFolder, sizeof szFolder, &cbNeeded)) {
        Fail(L"GetPrinterDriverDirectoryA failed: error " + std::to_wstring(GetLastError()));
        return 1;
    }
    Print(FromAnsi(szFolder));
    return 0;
}

/* --- The file's version resource and manifest ------------------------------- */

std::wstring VersionText(DWORD dwMost, DWORD dwLeast) {
    return std::to_wstring(HIWORD(dwMost)) + L"." + std::to_wstring(LOWORD(dwMost)) + L"." +
           std::to_wstring(HIWORD(dwLeast)) + L"." + std::to_wstring(LOWORD(dwLeast));
}

/* What Explorer's properties show, read through version.dll: the fixed part,
 * the translations, and the texts of one language's block (code page 1252). */
int RunVersion(const std::wstring &path, const std::wstring &language) {
    DWORD dwHandle = 0;
    DWORD cbInfo = GetFileVersionInfoSizeW(path.c_str(), &dwHandle);
    std::vector<BYTE> info(cbInfo ? cbInfo : 1);
    if (!cbInfo || !GetFileVersionInfoW(path.c_str(), 0, cbInfo, info.data())) {
        Fail(L"no version resource in " + path + L": error " + std::to_wstring(GetLastError()));
        return 1;
    }
    VS_FIXEDFILEINFO *pFixed = NULL;
    UINT cbValue = 0;
    if (!VerQueryValueW(info.data(), L"\\", (LPVOID *)&pFixed, &cbValue) || pFixed->dwSignature != 0xFEEF04BD) {
        Fail(L"no fixed version information");
        return 1;
    }
    Print(L"file version " + VersionText(pFixed->dwFileVersionMS, pFixed->dwFileVersionLS) + L", product version " +
          VersionText(pFixed->dwProductVersionMS, pFixed->dwProductVersionLS) + L", os " + Hex(pFixed->dwFileOS) +
          L", type " + Hex(pFixed->dwFileType) + L", flags " + Hex(pFixed->dwFileFlags & pFixed->dwFileFlagsMask));
    WORD *pTranslations = NULL;
    std::wstring line = L"translations";
    if (VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", (LPVOID *)&pTranslations, &cbValue))
        for (UINT i = 0; i + 1 < cbValue / sizeof(WORD); i += 2)
            line += L" " + Hex4(pTranslations[i]) + L"-" + Hex4(pTranslations[i + 1]);
    Print(line);
    int nResult = 0;
    for (const wchar_t *pszName : {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName",
                                   L"LegalCopyright", L"OriginalFilename", L"ProductName", L"ProductVersion"}) {
        std::wstring query = L"\\StringFileInfo\\" + language + L"04e4\\" + pszName;
        LPWSTR pszValue = NULL;
        if (VerQueryValueW(info.data(), query.c_str(), (LPVOID *)&pszValue, &cbValue) && pszValue)
            Print(std::wstring(pszName) + L"=" + pszValue);
        else {
            Fail(std::wstring(L"no ") + pszName + L" in language " + language);
            nResult = 1;
        }
    }
    return nResult;
}

/* The run level that the loader reads from the program's manifest, as an
 * activation context made from the file holds it. */
int RunManifest(const std::wstring &path) {
    ACTCTXW context = {};
    context.cbSize = sizeof context;
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = path.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(1);
    HANDLE hContext = CreateActCtxW(&context);
    if (hContext == INVALID_HANDLE_VALUE) {
        Fail(L"no manifest the loader accepts in " + path + L": error " + std::to_wstring(GetLastError()));
        return 1;
    }
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    SIZE_T cbWritten = 0;
    BOOL bOk =
        QueryActCtxW(0, hContext, NULL, RunlevelInformationInActivationContext, &level, sizeof level, &cbWritten);
    ReleaseActCtx(hContext);
    if (!bOk) {
        Fail(L"the run level cannot be read: error " + std::to_wstring(GetLastError()));
        return 1;
    }
    const wchar_t *names[] = {L"unspecified", L"asInvoker", L"highestAvailable", L"requireAdministrator"};
    Print(L"run level " + std::wstring(level.RunLevel < 4 ? names[level.RunLevel] : L"?") + L", uiAccess " +
          std::to_wstring(level.UiAccess));
    return 0;
}

bool ParseBox(const Step &step, Expectation &expect) {
    bool bCaption = false;
    for (const auto &[option, value] : step.options) {
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
    return bCaption && expect.nPress != 0;
}

/* --- Steps ----------------------------------------------------------------- */

/* Steps are separated by the word "then"; each is a command and option pairs. */
bool SplitSteps(const std::vector<std::wstring> &args, std::vector<Step> &steps) {
    for (size_t i = 0; i < args.size();) {
        Step step;
        step.command = args[i++];
        if (step.command == L"dialog" && i < args.size()) step.command += L" " + args[i++];
        while (i < args.size() && args[i] != L"then") {
            if (i + 1 == args.size() || args[i].rfind(L"--", 0) != 0) return false;
            step.options.emplace_back(args[i], Unescape(args[i + 1]));
            i += 2;
        }
        if (i < args.size()) i++;
        steps.push_back(step);
    }
    return !steps.empty();
}

int RunStep(const Step &step) {
    if (step.command == L"box") {
        Expectation expect;
        return ParseBox(step, expect) ? RunBox(expect) : STEP_USAGE;
    }
    if (step.command.rfind(L"dialog ", 0) == 0) return RunDialog(_wtoi(step.command.c_str() + 7), step);
    if (step.command == L"copies") return RunCopies(step);
    Fail(L"unknown step " + step.command);
    return STEP_USAGE;
}

/* Each step starts once the one before has ended, so that nothing the program
 * shows in between is missed. A step that found nothing to answer, or could
 * not answer, stops the sequence: the program waits elsewhere. */
int RunSteps(const std::vector<std::wstring> &args) {
    std::vector<Step> steps;
    if (!SplitSteps(args, steps)) return Usage();
    int nResult = 0;
    for (const Step &step : steps) {
        int nStep = RunStep(step);
        if (nStep == STEP_USAGE) return Usage();
        if (nStep) nResult = 1;
        if (nStep == STEP_STUCK) break;
    }
    return nResult;
}
BOOL CALLBACK ListTopLevel(HWND hWnd, LPARAM lParam) {
    (void)lParam;
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (!IsWindowVisible(hWnd) || dwProcessId == GetCurrentProcessId()) return TRUE;
    int nKind = KindOf(hWnd);
    if (nKind > 0) {
        PrintDialog(hWnd, nKind);
        return TRUE;
    }
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
    if (command == L"box" || command == L"dialog" || command == L"copies") {
        int nResult = RunSteps(args);
        return nResult == STEP_STUCK ? 1 : nResult;
    }
    if (command == L"list" && args.size() == 1) return RunList();
    if (command == L"resources" && args.size() == 2) return RunResources(args[1]);
    if (command == L"string" && args.size() == 4)
        return RunString(args[1], (WORD)wcstoul(args[2].c_str(), NULL, 16), (UINT)_wtoi(args[3].c_str()));
    if (command == L"version" && args.size() == 3) return RunVersion(args[1], args[2]);
    if (command == L"manifest" && args.size() == 2) return RunManifest(args[1]);
    if (command == L"spooler" && args.size() == 1) return RunPrinters() | RunDrivers();
    if (command == L"folder" && args.size() == 1) return RunFolder();
    return Usage();
}
