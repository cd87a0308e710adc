// window_classes.cpp - window classes: the predefined control classes that
// any module finds, and the classes a program registers for its instance.
// Windows looks a name up in the caller's instance first, then among the
// system classes, then in other modules.
#include "api.h"
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

namespace {

ATOM register_class(const WNDCLASSA &wc, const std::string &name) {
    for (const auto &cls : window_manager().classes)
        if (!cls->system && cls->instance == wc.hInstance && same_name(cls->name, name.c_str()))
            fail_with(ERROR_CLASS_ALREADY_EXISTS);
    auto cls = std::make_shared<WindowClass>();
    cls->name = name;
    cls->style = wc.style;
    cls->proc = wc.lpfnWndProc;
    cls->class_extra = std::max(0, wc.cbClsExtra);
    cls->window_extra = std::max(0, wc.cbWndExtra);
    cls->instance = wc.hInstance;
    cls->icon = wc.hIcon;
    cls->cursor = wc.hCursor;
    cls->background = wc.hbrBackground;
    cls->atom = window_manager().next_atom++;
    window_manager().classes.push_back(cls);
    return cls->atom;
}

void unregister_class(const std::string &name, HINSTANCE instance) {
    auto &classes = window_manager().classes;
    for (auto it = classes.begin(); it != classes.end(); ++it) {
        if ((*it)->system || (*it)->instance != instance || !same_name((*it)->name, name.c_str())) continue;
        if (it->use_count() > 1) fail_with(ERROR_CLASS_HAS_WINDOWS);
        classes.erase(it);
        return;
    }
    fail_with(ERROR_CLASS_DOES_NOT_EXIST);
}

}  // namespace
}  // namespace w32h

using namespace w32h;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA *lpWndClass) {
    return entry_point<ATOM>(0, [&]() -> ATOM {
        if (injected_failure("RegisterClassA", ERROR_NOT_ENOUGH_MEMORY)) return 0;
        if (!lpWndClass || !lpWndClass->lpszClassName || !lpWndClass->lpfnWndProc) fail_with(ERROR_INVALID_PARAMETER);
        return register_class(*lpWndClass, class_name_of(lpWndClass->lpszClassName));
    });
}

BOOL WINAPI UnregisterClassA(LPCSTR lpClassName, HINSTANCE hInstance) {
    return entry_point(FALSE, [&]() -> BOOL {
        if (!lpClassName) fail_with(ERROR_CLASS_DOES_NOT_EXIST);
        unregister_class(class_name_of(lpClassName), hInstance);
        return TRUE;
    });
}

int WINAPI GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    return entry_point(0, [&]() -> int {
        const Window &w = window_or_fail(hWnd);
        if (!lpClassName || nMaxCount <= 0) fail_with(ERROR_INSUFFICIENT_BUFFER);
        return copy_truncated(w.cls->name, lpClassName, nMaxCount);
    });
}

}  // extern "C"
