// messagebox.cpp - MessageBoxA, built as Windows builds it: a dialog made on
// the fly with the text and one push button per answer, run by the same modal
// loop and dialog manager as dialogs from templates, so Enter, Escape, Tab and
// the close box behave alike. Its transcript event carries the answer.
#include "api.h"
#include "dialog_template.h"
#include "frontend.h"

#include <algorithm>

namespace w32h {
namespace {

constexpr short button_width = 50;  // dialog units, as Windows' message boxes
constexpr short button_height = 14;
constexpr short button_gap = 8;
constexpr short margin = 8;
// Below the buttons Windows leaves less than above the text; in character
// cells this keeps one blank row at the top and one at the bottom.
constexpr short bottom_margin = 5;
constexpr int wrap_width = 240;  // dialog units: 60 terminal columns
// The caption needs its own width plus the close box and the frame.
constexpr short caption_extra = 16;

struct Answer {
    int id;
    const char *english;
    const char *french;
};

std::vector<Answer> answers_of(UINT type) {
    // With their mnemonics, as Windows labels them: the letter presses the button.
    const Answer ok{IDOK, "OK", "OK"}, cancel{IDCANCEL, "Cancel", "Annuler"}, yes{IDYES, "&Yes", "&Oui"},
        no{IDNO, "&No", "&Non"}, abort{IDABORT, "&Abort", "&Abandonner"},
        retry{IDRETRY, "&Retry",
              "&R\xE9"
              "essayer"},
        ignore{IDIGNORE, "&Ignore", "&Ignorer"};
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return {ok};
    case MB_OKCANCEL:
        return {ok, cancel};
    case MB_ABORTRETRYIGNORE:
        return {abort, retry, ignore};
    case MB_YESNOCANCEL:
        return {yes, no, cancel};
    case MB_YESNO:
        return {yes, no};
    case MB_RETRYCANCEL:
        return {retry, cancel};
    default:
        return {};
    }
}

bool has_answer(UINT type, int id) {
    auto list = answers_of(type);
    return std::any_of(list.begin(), list.end(), [&](const Answer &a) { return a.id == id; });
}

DialogLayout build_layout(const std::string &text, const std::string &caption, UINT type) {
    SIZE measured = frontend().measure_text(text, wrap_width);
    auto list = answers_of(type);
    short buttons = static_cast<short>(list.size() * button_width + (list.size() - 1) * button_gap);
    short text_cx = static_cast<short>(std::max<LONG>(measured.cx, 40));
    // Windows widens a box to show its whole caption.
    short caption_cx = static_cast<short>(std::min<size_t>(caption.size(), 200) * 4 + caption_extra);
    short cx = static_cast<short>(std::max({text_cx, buttons, caption_cx}) + 2 * margin);
    short text_cy = static_cast<short>(measured.cy);
    DialogLayout layout;
    layout.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    layout.cx = cx;
    layout.cy = static_cast<short>(margin + text_cy + margin + button_height + bottom_margin);
    layout.title = caption;
    layout.point_size = 8;
    layout.font = "MS Sans Serif";
    DialogItemLayout label;
    label.style = WS_VISIBLE | SS_LEFT | SS_NOPREFIX | WS_GROUP;
    label.x = margin;
    label.y = margin;
    label.cx = text_cx;
    label.cy = text_cy;
    label.id = 0xFFFF;
    label.class_name = "Static";
    label.text = text;
    layout.items.push_back(label);
    UINT def = (type & MB_DEFMASK) >> 8;
    short x = static_cast<short>((cx - buttons) / 2);
    for (size_t i = 0; i < list.size(); ++i) {
        DialogItemLayout b;
        b.style = WS_VISIBLE | WS_TABSTOP | (i == 0 ? WS_GROUP : 0) | (i == def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        b.x = static_cast<short>(x + i * (button_width + button_gap));
        b.y = static_cast<short>(margin + text_cy + margin);
        b.cx = button_width;
        b.cy = button_height;
        b.id = static_cast<DWORD>(list[i].id);
        b.class_name = "Button";
        b.text = config().french ? list[i].french : list[i].english;
        layout.items.push_back(b);
    }
    return layout;
}

// The default button takes the focus; the close box works only where a
// Cancel answer exists or the box has OK alone, as on Windows.
INT_PTR on_init(HWND hwnd) {
    UINT type = dialog_state(hwnd)->box_type;
    auto list = answers_of(type);
    size_t def = std::min<size_t>((type & MB_DEFMASK) >> 8, list.size() - 1);
    SetFocus(GetDlgItem(hwnd, list[def].id));
    bool closable = has_answer(type, IDCANCEL) || (type & MB_TYPEMASK) == MB_OK;
    if (!closable) EnableMenuItem(GetSystemMenu(hwnd, FALSE), SC_CLOSE, MF_GRAYED);
    return FALSE;
}

INT_PTR on_command(HWND hwnd, int id) {
    UINT type = dialog_state(hwnd)->box_type;
    if (has_answer(type, id)) {
        EndDialog(hwnd, id);
        return TRUE;
    }
    if (id == IDCANCEL && (type & MB_TYPEMASK) == MB_OK) EndDialog(hwnd, IDOK);
    return TRUE;
}

INT_PTR CALLBACK message_box_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        return on_init(hwnd);
    case WM_COMMAND:
        return on_command(hwnd, LOWORD(wp));
    default:
        return FALSE;
    }
}

// Limits: icons and help buttons are not shown.
int show_message_box(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::string body = text ? text : "";
    std::string title = caption ? caption : (config().french ? "Erreur" : "Error");
    DialogLayout layout = build_layout(body, title, type);
    ModalRequest r;
    r.instance = program_instance();
    r.layout = &layout;
    r.owner = owner;
    r.proc = message_box_proc;
    r.message_box = true;
    r.box_type = type;
    INT_PTR answer = run_modal_dialog(r);
    if (answer <= 0) return 0;
    transcript_messagebox(owner, title, body, type, static_cast<int>(answer));
    return static_cast<int>(answer);
}

}  // namespace
}  // namespace w32h

using namespace w32h;

extern "C" {

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    return entry_point(0, [&]() -> int {
        if (injected_failure("MessageBoxA", ERROR_NOT_ENOUGH_MEMORY)) return 0;
        if ((uType & MB_TYPEMASK) > MB_RETRYCANCEL) fail_with(ERROR_INVALID_MSGBOX_STYLE);
        if (hWnd) window_or_fail(hWnd);
        // A box of the desktop's is owned by nobody.
        return show_message_box(hWnd == GetDesktopWindow() ? nullptr : hWnd, lpText, lpCaption, uType);
    });
}

}  // extern "C"
