// dialog_template.cpp - fuzzes win32host's reader of binary dialog templates
// (DLGTEMPLATE and DLGTEMPLATEEX with their items), which DialogBoxParamA and
// DialogBoxIndirectParamA use. A template is either refused or read whole
// from inside the input.
#include "dialog_checks.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::configure_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto layout = w32h::parse_dialog_template(data, size);
    if (layout) fuzzsupport::check_dialog(*layout, size);
    return 0;
}
