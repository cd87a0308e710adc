// icons.cpp - icons, cursors and stock objects: LoadIconA finds the icon group
// among the program's resources (in any language, as Windows falls back), and
// the handles stand for what was loaded; nothing is drawn from them here.
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

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
    if (injected_failure("LoadIconA", ERROR_RESOURCE_NAME_NOT_FOUND)) return nullptr;
    if (!instance) return reinterpret_cast<HICON>(system_icon + LOWORD(name) % 0x100);
    // Limits: icons named by a string are not looked up; the program's are numbered.
    if (!IS_INTRESOURCE(name) || !FindResourceA(instance, name, RT_GROUP_ICON)) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    auto &icons = loaded_icons();
    for (size_t i = 0; i < icons.size(); ++i)
        if (icons[i] == LOWORD(name)) return reinterpret_cast<HICON>(icon_base + i);
    icons.push_back(LOWORD(name));
    return reinterpret_cast<HICON>(icon_base + icons.size() - 1);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    if (instance || !IS_INTRESOURCE(name)) {  // Limits: only the system cursors
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(uintptr_t{0x1FE00} + LOWORD(name) % 0x100);
}

HGDIOBJ WINAPI GetStockObject(int index) {
    if (index < 0 || index > 19) return nullptr;
    return reinterpret_cast<HGDIOBJ>(uintptr_t{0x1FD00} + static_cast<uintptr_t>(index));
}

}  // extern "C"
