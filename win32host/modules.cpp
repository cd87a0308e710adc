// modules.cpp - the process's modules as a program sees them: its own module
// (the program instance) and the system DLLs Windows maps into every program
// that imports them, found by name with GetModuleHandleA and LoadLibraryA, and
// the functions a program looks up with GetProcAddress because not every
// Windows exports them.
#include "api.h"
#include "machine.h"

#include <winspool.h>

#include <string_view>

namespace w32h {
namespace {

struct SystemModule {
    std::string_view name;  // upper case, with its extension
    HMODULE handle;
};

HMODULE module_at(uintptr_t address) noexcept { return reinterpret_cast<HMODULE>(address); }

// Limits: every system DLL counts as loaded from the start, as it is once any
// DLL a program imports has pulled it in; only these are known.
const SystemModule system_modules[] = {
    {"KERNEL32.DLL", module_at(0x77e80000)}, {"USER32.DLL", module_at(0x77e10000)},
    {"GDI32.DLL", module_at(0x77f40000)},    {"ADVAPI32.DLL", module_at(0x77dc0000)},
    {"COMCTL32.DLL", module_at(0x71700000)}, {"WINSPOOL.DRV", module_at(0x77800000)},
};

// Through a plain function type, as a cast between function types must go.
template <class Function>
FARPROC address_of(Function *function) noexcept {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
}

struct Export {
    std::string_view module;
    std::string_view name;
    FARPROC address;
};

// The functions that programs look up rather than import: those only the NT
// family implements. Windows 95 and 98 export them too, as stubs that fail
// with ERROR_CALL_NOT_IMPLEMENTED; each function answers so by itself.
// Limits: no other export can be looked up.
const Export exports[] = {
    {"ADVAPI32.DLL", "OpenProcessToken", address_of(&OpenProcessToken)},
    {"ADVAPI32.DLL", "LookupPrivilegeValueA", address_of(&LookupPrivilegeValueA)},
    {"ADVAPI32.DLL", "AdjustTokenPrivileges", address_of(&AdjustTokenPrivileges)},
    {"ADVAPI32.DLL", "InitiateSystemShutdownA", address_of(&InitiateSystemShutdownA)},
    {"WINSPOOL.DRV", "DeleteFormA", address_of(&DeleteFormA)},
};

// A module name as Windows compares it: the file name part, in any case,
// with ".DLL" added when it has no extension.
std::string module_key(LPCSTR name) {
    std::string key = upper_case_name(name);
    size_t slash = key.find_last_of("\\/");
    if (slash != std::string::npos) key.erase(0, slash + 1);
    if (key.find('.') == std::string::npos) key += ".DLL";
    if (!key.empty() && key.back() == '.') key.pop_back();  // a trailing dot: no extension
    return key;
}

const SystemModule *system_module_named(LPCSTR name) {
    std::string key = module_key(name);
    for (const SystemModule &m : system_modules)
        if (m.name == key) return &m;
    return nullptr;
}

const SystemModule *system_module_of(HMODULE handle) {
    for (const SystemModule &m : system_modules)
        if (m.handle == handle) return &m;
    return nullptr;
}

HMODULE find_module(LPCSTR name) {
    if (!name) return program_instance();
    if (!*name) fail_with(ERROR_MOD_NOT_FOUND);
    const SystemModule *m = system_module_named(name);
    if (!m) fail_with(ERROR_MOD_NOT_FOUND);
    return m->handle;
}

// Limits: functions are found by name only, not by ordinal.
FARPROC find_export(HMODULE handle, LPCSTR name) {
    if (!handle || handle == program_instance()) fail_with(ERROR_PROC_NOT_FOUND);  // the program exports nothing
    const SystemModule *m = system_module_of(handle);
    if (!m) fail_with(ERROR_MOD_NOT_FOUND);
    if (!name || IS_INTRESOURCE(name)) fail_with(ERROR_PROC_NOT_FOUND);
    for (const Export &e : exports)
        if (e.module == m->name && e.name == name) return e.address;
    fail_with(ERROR_PROC_NOT_FOUND);
}

}  // namespace
}  // namespace w32h

extern "C" {

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
    return w32h::entry_point<HMODULE>(NULL, [&] { return w32h::find_module(lpModuleName); });
}

// Limits: no DLL file is ever loaded; a system DLL is found as with
// GetModuleHandleA, any other name is missing: ERROR_MOD_NOT_FOUND on the NT
// family, ERROR_DLL_NOT_FOUND on Windows 95, 98 and Me.
HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName) {
    return w32h::entry_point<HMODULE>(NULL, [&]() -> HMODULE {
        if (!lpLibFileName) w32h::fail_with(ERROR_INVALID_PARAMETER);
        if (!*lpLibFileName || !w32h::system_module_named(lpLibFileName))
            w32h::fail_with(w32h::windows_traits().nt ? ERROR_MOD_NOT_FOUND : ERROR_DLL_NOT_FOUND);
        return w32h::find_module(lpLibFileName);
    });
}

// System DLLs stay mapped while the process lives, whatever their count.
BOOL WINAPI FreeLibrary(HMODULE hLibModule) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        if (!w32h::system_module_of(hLibModule)) w32h::fail_with(ERROR_MOD_NOT_FOUND);
        return TRUE;
    });
}

FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    return w32h::entry_point<FARPROC>(NULL, [&] { return w32h::find_export(hModule, lpProcName); });
}

}  // extern "C"
