/* message_boxes.cpp - the driver's "box" step: waits for a message box of the
 * program by its caption, reads its text, buttons, icon and owner, checks them
 * against the expectation, and presses the button asked for. */
#include "driver.h"

namespace {

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

struct Search {
    std::wstring caption;
    std::wstring process;
    HWND hFound = NULL;
};

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

}  // namespace

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

int RunBoxStep(const Step &step) {
    Expectation expect;
    return ParseBox(step, expect) ? RunBox(expect) : STEP_USAGE;
}
