// dialog_checks.h - what a dialog template read from size bytes must respect,
// shared by the dialog-template and .res targets: every item, text and
// creation-data block was read from the input, so together they fit in it.
#pragma once

#include <cstring>
#include <string>

#include "dialog_template.h"
#include "fuzz_support.h"

namespace fuzzsupport {

inline void check_text(const std::string &text, size_t size) {
    // One cp1252 character per UTF-16 unit of the input, and no NUL: the NUL ends the text.
    FUZZ_CHECK(text.size() * 2 <= size, "a text is read from the input");
    FUZZ_CHECK(std::memchr(text.data(), 0, text.size()) == nullptr, "a text holds no NUL");
}

inline void check_dialog(const w32h::DialogLayout &layout, size_t size) {
    // The smallest item: DLGITEMTEMPLATE's 18 bytes, no class, text or data words counted.
    FUZZ_CHECK(layout.items.size() * 18 <= size, "every item lies in the template");
    check_text(layout.title, size);
    check_text(layout.font, size);
    if (layout.class_name.empty() || layout.class_name[0] != '#') check_text(layout.class_name, size);
    size_t data_bytes = 0;
    for (const w32h::DialogItemLayout &item : layout.items) {
        check_text(item.text, size);
        check_text(item.class_name, size);
        if (item.creation_data.empty()) continue;
        FUZZ_CHECK(item.creation_data.size() >= 2, "creation data starts with its size word");
        const size_t declared = item.creation_data[0] | item.creation_data[1] << 8;
        FUZZ_CHECK(declared == item.creation_data.size() - 2, "creation data is as long as its size word says");
        data_bytes += item.creation_data.size();
    }
    FUZZ_CHECK(data_bytes <= size, "the creation data lies in the template");
}

}  // namespace fuzzsupport
