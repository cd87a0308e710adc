/* dialogs.cpp - the driver's "dialog" and "copies" steps: a dialog of the
 * program printed, checked (texts in one language, styles, default button,
 * focus, list entries, progress) and acted on as a user would; and the copy
 * dialogs, which come and go by themselves, watched until something else shows. */
#include "driver.h"

namespace {

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
