/* templates.cpp - dialogs told apart by their templates: the program's DIALOG
 * resources read through the loader, a window recognised as built from one,
 * and the program's visible windows with their kinds. */
#include "driver.h"

#include <map>
#include <memory>

namespace {

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

}  // namespace

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
