// window_classes.cpp - window classes: the predefined control classes that
// any module finds, and the classes a program registers for its instance.
// Windows looks a name up in the caller's instance first, then among the
// system classes, then in other modules.
#include "window_manager.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

namespace w32h {
bool same_name(const std::string &a, const char *b) {
    return a.size() == std::strlen(b) && strncasecmp(a.c_str(), b, a.size()) == 0;
}

std::string class_name_of(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        for (const auto &cls : window_manager().classes)
            if (cls->atom == LOWORD(name)) return cls->name;
        return "#" + std::to_string(LOWORD(name));
    }
    return name;
}

std::shared_ptr<WindowClass> find_class(const char *name, HINSTANCE instance) {
    static bool predefined = (register_control_classes(), register_dialog_class(), true);
    (void)predefined;
    std::shared_ptr<WindowClass> system;
    for (const auto &cls : window_manager().classes) {
        if (!same_name(cls->name, name)) continue;
        if (!cls->system && cls->instance == instance) return cls;
        if (cls->system) system = cls;
    }
    if (system) return system;
    for (const auto &cls : window_manager().classes)  // Windows also finds other modules' classes
        if (same_name(cls->name, name) && !cls->system) return cls;
    return nullptr;
}

void register_system_class(const WindowClass &cls) {
    for (const auto &known : window_manager().classes)
        if (known->system && same_name(known->name, cls.name.c_str())) return;
    auto copy = std::make_shared<WindowClass>(cls);
    copy->system = true;
    window_manager().classes.push_back(copy);
}

}  // namespace w32h

using namespace w32h;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA *wc) {
    if (injected_failure("RegisterClassA", ERROR_NOT_ENOUGH_MEMORY)) return 0;
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name = class_name_of(wc->lpszClassName);
    for (const auto &cls : window_manager().classes)
        if (!cls->system && cls->instance == wc->hInstance && same_name(cls->name, name.c_str())) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    auto cls = std::make_shared<WindowClass>();
    cls->name = name;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->class_extra = std::max(0, wc->cbClsExtra);
    cls->window_extra = std::max(0, wc->cbWndExtra);
    cls->instance = wc->hInstance;
    cls->icon = wc->hIcon;
    cls->cursor = wc->hCursor;
    cls->background = wc->hbrBackground;
    cls->atom = window_manager().next_atom++;
    window_manager().classes.push_back(cls);
    return cls->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR name, HINSTANCE instance) {
    if (!name) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    std::string n = class_name_of(name);
    auto &classes = window_manager().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if ((*it)->system || (*it)->instance != instance || !same_name((*it)->name, n.c_str())) continue;
        if (it->use_count() > 1) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
        classes.erase(it);
        return TRUE;
    }
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return FALSE;
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    Window *w = checked_window(hwnd);
    if (!w) return 0;
    if (!buffer || size <= 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    size_t n = std::min(w->cls->name.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, w->cls->name.data(), n);
    buffer[n] = '\0';
    return static_cast<int>(n);
}

}  // extern "C"
