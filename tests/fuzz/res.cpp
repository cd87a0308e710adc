// res.cpp - fuzzes win32host's reader of the compiled .res image that every
// program embeds, and the dialog templates in it. Each resource must lie
// inside the image, after the one before; each dialog is either refused or
// read from inside its resource.
#include "dialog_checks.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::configure_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const uint8_t *const end = data + size;
    const uint8_t *previous_end = data;
    for (const w32h::ResourceEntry &entry : w32h::read_resource_image(data, size)) {
        FUZZ_CHECK(entry.data >= previous_end && entry.data <= end, "a resource's data lies in the image");
        FUZZ_CHECK(entry.size <= size_t(end - entry.data), "a resource's data ends in the image");
        previous_end = entry.data + entry.size;
        if (entry.type.is_number && entry.type.number == 5 /* RT_DIALOG */) {
            const auto layout = w32h::parse_dialog_template(entry.data, entry.size);
            if (layout) fuzzsupport::check_dialog(*layout, entry.size);
        }
    }
    return 0;
}
