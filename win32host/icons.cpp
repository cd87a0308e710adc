// icons.cpp - icons, cursors and stock objects: LoadIconA finds the icon group
// among the program's resources (in any language, as Windows falls back), and
// the handles stand for what was loaded; nothing is drawn from them here.
#include "api.h"
#include "window_model.h"

#include <vector>

namespace w32h {
namespace {

constexpr uintptr_t icon_base = 0x20000;
constexpr uintptr_t system_icon = 0x1FF00;

std::vector<WORD> &loaded_icons() {
    static std::vector<WORD> icons;
    return icons;
}

HICON load_program_icon(HINSTANCE instance, LPCSTR name) {
    // Limits: icons named by a string are not looked up; the program's are numbered.
    if (!IS_INTRESOURCE(name) || !FindResourceA(instance, name, RT_GROUP_ICON))
        fail_with(ERROR_RESOURCE_NAME_NOT_FOUND);
    auto &icons = loaded_icons();
    for (size_t i = 0; i < icons.size(); ++i)
        if (icons[i] == LOWORD(name)) return reinterpret_cast<HICON>(icon_base + i);
    icons.push_back(LOWORD(name));
    return reinterpret_cast<HICON>(icon_base + icons.size() - 1);
}

}  // namespace

void reset_icons() { loaded_icons().clear(); }

std::optional<WORD> icon_resource_id(HICON icon) {
    auto value = reinterpret_cast<uintptr_t>(icon);
    if (value < icon_base || value >= icon_base + loaded_icons().size()) return std::nullopt;
    return loaded_icons()[value - icon_base];
}

}  // namespace w32h

using namespace w32h;

extern "C" {

HICON WINAPI LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    return entry_point<HICON>(nullptr, [&]() -> HICON {
        if (injected_failure("LoadIconA", ERROR_RESOURCE_NAME_NOT_FOUND)) return nullptr;
        if (!hInstance) return reinterpret_cast<HICON>(system_icon + LOWORD(lpIconName) % 0x100);
        return load_program_icon(hInstance, lpIconName);
    });
}

// Limits: only the system cursors.
HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
    return entry_point<HCURSOR>(nullptr, [&]() -> HCURSOR {
        if (hInstance || !IS_INTRESOURCE(lpCursorName)) fail_with(ERROR_RESOURCE_NAME_NOT_FOUND);
        return reinterpret_cast<HCURSOR>(uintptr_t{0x1FE00} + LOWORD(lpCursorName) % 0x100);
    });
}

HGDIOBJ WINAPI GetStockObject(int i) {
    return entry_point<HGDIOBJ>(nullptr, [&]() -> HGDIOBJ {
        if (i < 0 || i > 19) return nullptr;
        return reinterpret_cast<HGDIOBJ>(uintptr_t{0x1FD00} + static_cast<uintptr_t>(i));
    });
}

}  // extern "C"
