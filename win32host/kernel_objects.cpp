// kernel_objects.cpp - the handle table and CloseHandle. Handle values are
// multiples of 4 as on Windows and are not reused while the process runs, so
// a handle used after it was closed fails with ERROR_INVALID_HANDLE.
#include "kernel_objects.h"

#include "api.h"

#include <cstdio>
#include <map>

namespace w32h {
namespace {

struct HandleTable {
    std::map<uintptr_t, std::unique_ptr<KernelObject>> objects;
    uintptr_t next = 0x40;
};

HandleTable &table() {
    static HandleTable t;
    return t;
}

}  // namespace

HANDLE add_kernel_object(std::unique_ptr<KernelObject> object) {
    HandleTable &t = table();
    uintptr_t value = t.next;
    t.next += 4;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

KernelObject *find_kernel_object(HANDLE handle) {
    auto &objects = table().objects;
    auto it = objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == objects.end() ? nullptr : it->second.get();
}

std::string open_handles() {
    std::string out;
    for (const auto &[value, object] : table().objects) {
        char text[24];
        std::snprintf(text, sizeof text, "0x%llx", static_cast<unsigned long long>(value));
        out += (out.empty() ? "" : ", ") + std::string(text);
    }
    return out;
}

void reset_kernel_objects() { table().objects.clear(); }

}  // namespace w32h

extern "C" {

BOOL WINAPI CloseHandle(HANDLE hObject) {
    return w32h::entry_point<BOOL>(FALSE, [&] {
        // (HANDLE)-1 is also the current process's pseudo-handle, whose
        // closing Windows accepts and ignores.
        if (hObject == INVALID_HANDLE_VALUE) return TRUE;
        auto &objects = w32h::table().objects;
        auto it = objects.find(reinterpret_cast<uintptr_t>(hObject));
        if (it == objects.end()) w32h::fail_with(ERROR_INVALID_HANDLE);
        objects.erase(it);
        return TRUE;
    });
}

}  // extern "C"
