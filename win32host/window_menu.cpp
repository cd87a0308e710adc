// window_menu.cpp - the window menu (system menu) of a window: Restore, Move,
// Size, Minimize, Maximize and Close, each enabled or greyed. The menu stands
// for its window, whose handle it shares; win32host has no other menus.
#include "api.h"
#include "window_manager.h"

#include <algorithm>

namespace w32h {
namespace {

// The window menu of a window stands for itself: its handle is the window's.
Window &menu_window_or_fail(HMENU menu) {
    Window *w = find_window(reinterpret_cast<HWND>(menu));
    if (!w) fail_with(ERROR_INVALID_MENU_HANDLE);
    return *w;
}

// The index of an item given by command or position; size() when absent.
size_t menu_item_index(const std::vector<MenuItem> &items, UINT item, UINT flags) {
    if (flags & MF_BYPOSITION) return std::min<size_t>(item, items.size());
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].command == item) return i;
    return items.size();
}

}  // namespace

std::vector<MenuItem> standard_window_menu() {
    return {{SC_RESTORE, MF_ENABLED},  {SC_MOVE, MF_ENABLED},     {SC_SIZE, MF_ENABLED},
            {SC_MINIMIZE, MF_ENABLED}, {SC_MAXIMIZE, MF_ENABLED}, {SC_CLOSE, MF_ENABLED}};
}

}  // namespace w32h

using namespace w32h;

extern "C" {

HMENU WINAPI GetSystemMenu(HWND hWnd, BOOL bRevert) {
    return entry_point<HMENU>(nullptr, [&]() -> HMENU {
        Window *w = find_window(hWnd);
        if (!w || w->system_menu.empty()) return nullptr;
        if (bRevert) {
            w->system_menu = standard_window_menu();
            return nullptr;
        }
        return reinterpret_cast<HMENU>(hWnd);  // one window menu per window
    });
}

BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    return entry_point(-1, [&]() -> BOOL {
        auto &items = menu_window_or_fail(hMenu).system_menu;
        size_t index = menu_item_index(items, uIDEnableItem, uEnable);
        if (index >= items.size()) return -1;
        UINT old = items[index].state;
        items[index].state = uEnable & (MF_GRAYED | MF_DISABLED);
        return static_cast<BOOL>(old);
    });
}

UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags) {
    return entry_point(static_cast<UINT>(-1), [&]() -> UINT {
        Window *w = find_window(reinterpret_cast<HWND>(hMenu));
        if (!w) return static_cast<UINT>(-1);
        size_t index = menu_item_index(w->system_menu, uId, uFlags);
        return index < w->system_menu.size() ? w->system_menu[index].state : static_cast<UINT>(-1);
    });
}

}  // extern "C"
