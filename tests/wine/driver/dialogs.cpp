/* dialogs.cpp - the driver's "dialog" and "copies" steps: the program's
 * windows told apart by its DIALOG templates, read through the loader; a
 * dialog printed, checked (texts in one language, styles, default button,
 * focus, list entries, progress) and acted on as a user would; and the copy
 * dialogs, which come and go by themselves, watched until something else shows. */
#include "driver.h"

#include <map>
#include <memory>

namespace {

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

/* A visible top-level window of the program and its kind: a template
 * number, 0 for a message box, -1 for anything else (the main window). */
struct Shown {
    HWND hWnd;
    int nKind;
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

/* The dialog templates of SetupOrdane, whose windows the driver recognises. */
const int TEMPLATES[] = {600, 602, 604, 606, 608};

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

}  // namespace

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

namespace {

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

const int COPY_TEMPLATE = 602;
const DWORD COPY_POLL_MS = 10;

/* What one copy dialog showed when it was first seen. */
std::wstring DescribeCopy(HWND hDialog) {
    return TextOf(hDialog) + L"|" + TextOf(ItemOf(hDialog, 1008)) + L"|" + TextOf(ItemOf(hDialog, 1015)) + L"|" +
           TextOf(ItemOf(hDialog, 1016)) + L"|" + ProgressOf(ItemOf(hDialog, 1017));
}

}  // namespace

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
