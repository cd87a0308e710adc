// dialog_template.cpp - fuzzes win32host's reader of binary dialog templates
// (DLGTEMPLATE and DLGTEMPLATEEX with their items), which DialogBoxParamA and
// DialogBoxIndirectParamA use. A template is either refused or read whole
// from inside the input; a template that is read then becomes a modal dialog
// (controls created, keys through the dialog manager) that ends as asked,
// quits, or fails with -1, and leaves no window behind.
#include <commctrl.h>

#include <memory>
#include <vector>

#include "dialog_checks.h"
#include "frontend.h"

namespace {

constexpr INT_PTR ended = 7;

// Tab and an arrow through the dialog manager, then the end.
INT_PTR CALLBACK end_after_keys(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        PostMessageA(hwnd, WM_KEYDOWN, VK_TAB, 0);
        PostMessageA(hwnd, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(hwnd, WM_APP, 0, 0);
        return TRUE;
    }
    if (msg == WM_APP) EndDialog(hwnd, ended);
    return FALSE;
}

// The user of a dialog whose procedure never hears the end (its class has a
// window procedure of its own): quits the modal loop when it waits.
class QuitWhenWaiting : public w32h::Frontend {
public:
    void idle(HWND, std::optional<uint64_t>) override { PostQuitMessage(0); }
};

void start_host() {
    fuzzsupport::configure_host();
    w32h::set_frontend(std::make_unique<QuitWhenWaiting>());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    start_host();
    InitCommonControls();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const auto layout = w32h::parse_dialog_template(data, size);
    if (!layout) return 0;
    fuzzsupport::check_dialog(*layout, size);
    // DialogBoxIndirectParamA reads up to 64 KiB, as it cannot know the size.
    std::vector<BYTE> memory(0x10000, 0);
    std::copy(data, data + std::min<size_t>(size, memory.size()), memory.begin());
    const INT_PTR result = DialogBoxIndirectParamA(w32h::program_instance(),
                                                   reinterpret_cast<LPCDLGTEMPLATEA>(memory.data()), nullptr,
                                                   end_after_keys, 0);
    FUZZ_CHECK(result == ended || result == 0 || result == -1,
               "the dialog ends as its procedure says, quits with 0, or is not made");
    const std::string left = w32h::host_leftovers();
    FUZZ_CHECK(left.rfind("windows:", 0) != 0 && left.find("\nwindows:") == std::string::npos,
               "the dialog leaves no window behind");
    w32h::reset_host();
    start_host();
    return 0;
}
