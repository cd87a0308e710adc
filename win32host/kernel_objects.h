// kernel_objects.h - the process's handle table: the kernel objects that a
// HANDLE names (open files now, other kinds as areas need them). CloseHandle
// ends any of them; an area finds its own kind back from a handle.
#pragma once

#include "host.h"

#include <memory>
#include <string>

namespace w32h {

// One object behind a handle; its destructor releases what it holds.
struct KernelObject {
    virtual ~KernelObject() = default;
};

// Enters the object in the table and returns its new handle.
HANDLE add_kernel_object(std::unique_ptr<KernelObject> object);

// The object of that handle when it is of kind T; nullptr otherwise.
KernelObject *find_kernel_object(HANDLE handle);
template <class T>
T *kernel_object_as(HANDLE handle) {
    return dynamic_cast<T *>(find_kernel_object(handle));
}

// The handles still open, for host_leftovers; and their closing, for reset_host.
std::string open_handles();
void reset_kernel_objects();

}  // namespace w32h
