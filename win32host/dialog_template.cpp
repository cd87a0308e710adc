// dialog_template.cpp - the dialog template reader: DLGTEMPLATE and
// DLGTEMPLATEEX as Windows reads them from a resource or from memory, words
// and DWORD-aligned items, names or ordinals, and the predefined classes that
// a template names by atom. Creating the dialog is dialogs.cpp's business.
#include "binary_reader.h"
#include "dialog_template.h"

namespace w32h {
namespace {

using Reader = LittleEndianReader;

// The first word of a name field: 0xFFFF says an ordinal follows, 0 that
// there is no name; anything else begins the name itself.
constexpr WORD ordinal_follows = 0xFFFF;
constexpr WORD no_name = 0;
// dlgVer 1 and signature 0xFFFF: the first DWORD of a DLGTEMPLATEEX.
constexpr DWORD extended_template = 0xFFFF0001;

// A name or an ordinal: none, an ordinal, or a string.
void name_or_ordinal(Reader &r, std::string &text, std::optional<WORD> &ordinal) {
    WORD first = r.word();
    if (first == ordinal_follows) {
        ordinal = r.word();
        return;
    }
    if (first == no_name) return;
    std::u16string s(1, static_cast<char16_t>(first));
    s += r.wide_string();
    text = utf16_to_cp1252(s.data(), s.size());
}

// The atoms of the predefined classes a template may name; Windows has no
// names for these numbers.
const char *predefined_class(WORD atom) {
    static const struct {
        WORD atom;
        const char *name;
    } classes[] = {{0x0080, "Button"},  {0x0081, "Edit"},      {0x0082, "Static"},
                   {0x0083, "ListBox"}, {0x0084, "ScrollBar"}, {0x0085, "ComboBox"}};
    for (const auto &c : classes)
        if (c.atom == atom) return c.name;
    return nullptr;
}

void read_class(Reader &r, std::string &class_name) {
    std::optional<WORD> atom;
    name_or_ordinal(r, class_name, atom);
    if (!atom) return;
    const char *name = predefined_class(*atom);
    class_name = name ? name : "#" + std::to_string(*atom);
}

// Windows hands a control its creation data from the size word on.
void read_creation_data(Reader &r, DialogItemLayout &item) {
    WORD extra = r.word();
    if (!extra) return;
    item.creation_data = {LOBYTE(extra), HIBYTE(extra)};
    std::vector<BYTE> data = r.bytes(extra);
    item.creation_data.insert(item.creation_data.end(), data.begin(), data.end());
}

bool read_item(Reader &r, bool extended, DialogItemLayout &item) {
    r.align(4);
    if (extended) {
        r.dword();  // help id
        item.ex_style = r.dword();
        item.style = r.dword();
    } else {
        item.style = r.dword();
        item.ex_style = r.dword();
    }
    item.x = r.sword();
    item.y = r.sword();
    item.cx = r.sword();
    item.cy = r.sword();
    item.id = extended ? static_cast<INT_PTR>(static_cast<LONG>(r.dword())) : r.word();
    read_class(r, item.class_name);
    name_or_ordinal(r, item.text, item.text_ordinal);
    read_creation_data(r, item);
    return r.ok();
}

// The header up to the item count; returns whether the template is extended.
bool read_styles(Reader &r, DialogLayout &layout) {
    DWORD first = r.dword();
    bool extended = first == extended_template;
    if (extended) {
        r.dword();  // help id
        layout.ex_style = r.dword();
        layout.style = r.dword();
    } else {
        layout.style = first;
        layout.ex_style = r.dword();
    }
    return extended;
}

void read_font(Reader &r, bool extended, DialogLayout &layout) {
    if (!(layout.style & DS_SETFONT)) return;
    layout.point_size = r.word();
    if (extended) {
        r.word();  // weight
        r.word();  // italic and character set, a byte each
    }
    std::u16string font = r.wide_string();
    layout.font = utf16_to_cp1252(font.data(), font.size());
}

// The menu is skipped; the class, the title and the font are kept.
void read_names(Reader &r, bool extended, DialogLayout &layout) {
    std::string menu;
    std::optional<WORD> ordinal;
    name_or_ordinal(r, menu, ordinal);
    ordinal.reset();
    name_or_ordinal(r, layout.class_name, ordinal);
    if (ordinal) layout.class_name = "#" + std::to_string(*ordinal);
    std::u16string title = r.wide_string();
    layout.title = utf16_to_cp1252(title.data(), title.size());
    read_font(r, extended, layout);
}

}  // namespace

std::optional<DialogLayout> parse_dialog_template(const BYTE *data, size_t size) {
    if (!data) return std::nullopt;
    Reader r(data, size);
    DialogLayout layout;
    bool extended = read_styles(r, layout);
    WORD count = r.word();
    layout.x = r.sword();
    layout.y = r.sword();
    layout.cx = r.sword();
    layout.cy = r.sword();
    read_names(r, extended, layout);
    // Items are kept as they are read: the count alone must not make a short
    // template cost the memory of 65535 items.
    for (WORD i = 0; i < count; ++i) {
        DialogItemLayout item;
        if (!read_item(r, extended, item)) return std::nullopt;
        layout.items.push_back(std::move(item));
    }
    if (!r.ok()) return std::nullopt;
    return layout;
}

}  // namespace w32h
