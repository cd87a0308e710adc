// dialog_template.h - a dialog as its binary template describes it, read the
// way Windows reads DLGTEMPLATE and DLGTEMPLATEEX, and the modal dialog
// machinery that dialogs from resources and message boxes share.
#pragma once

#include "window_model.h"

#include <optional>
#include <string>
#include <vector>

namespace w32h {

struct DialogItemLayout {
    DWORD style = 0;
    DWORD ex_style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    INT_PTR id = 0;  // a DIALOGEX item's 32-bit id is signed, a DIALOG item's word is not
    std::string class_name;            // ANSI; predefined atoms already named
    std::string text;                  // ANSI
    std::optional<WORD> text_ordinal;  // e.g. the icon of an SS_ICON static
    std::vector<BYTE> creation_data;  // with its leading size word, as controls receive it
};

struct DialogLayout {
    DWORD style = 0;
    DWORD ex_style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string class_name;  // empty: the dialog class
    std::string title;       // ANSI
    WORD point_size = 0;     // with DS_SETFONT
    std::string font;
    std::vector<DialogItemLayout> items;
};

// Returns nothing when the template is malformed or truncated.
std::optional<DialogLayout> parse_dialog_template(const BYTE *data, size_t size);

struct ModalRequest {
    HINSTANCE instance = nullptr;
    const DialogLayout *layout = nullptr;
    HWND owner = nullptr;
    DLGPROC proc = nullptr;
    LPARAM param = 0;
    std::optional<WORD> template_id;
    std::string template_name;
    bool message_box = false;
    UINT box_type = 0;
};

// Creates the dialog, sends WM_INITDIALOG and runs the modal loop; -1 when
// the dialog cannot be created.
INT_PTR run_modal_dialog(const ModalRequest &request);

}  // namespace w32h
