// memory.cpp - the global heap: GlobalAlloc and its companions. A fixed block's
// handle is its pointer, as on Windows; a moveable block's handle points at a
// small entry whose first word is the data pointer, also as on Windows, and
// there are as many as Windows' handle table holds. Every live block is
// tracked, so that a stale or foreign handle fails with Windows' error instead
// of corrupting the host heap.
#include "api.h"

#include <sys/uio.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>
#include <unordered_map>

namespace {

struct Block {
    void *data = nullptr;  // nullptr for a discarded (zero-size) moveable block
    SIZE_T size = 0;
    bool moveable = false;
    unsigned locks = 0;
    void *entry = nullptr;  // the allocation behind a moveable handle
};

// Constructed on first use, so any static object that holds a block was
// built after the table and is destroyed before it; blocks still live at exit
// are the program's leaks, which a sanitizer build then reports.
struct BlockTable {
    std::mutex lock;
    std::unordered_map<HGLOBAL, Block> blocks;
    size_t moveable = 0;  // live moveable blocks, each an entry of Windows' handle table
};

// Windows' table of moveable handles: the 65537th live one fails (Wine's
// test_GlobalAlloc, on Windows).
constexpr size_t handle_table_size = 0x10000;

BlockTable &table() {
    static BlockTable instance;
    return instance;
}

Block *find_block(HGLOBAL handle) {
    auto it = table().blocks.find(handle);
    return it == table().blocks.end() ? nullptr : &it->second;
}

// Windows tells a moveable handle from a pointer by its alignment: handles
// sit one pointer past a two-pointer boundary, blocks on the boundary.
bool looks_like_moveable_handle(HGLOBAL handle) {
    return (reinterpret_cast<UINT_PTR>(handle) & (2 * sizeof(void *) - 1)) == sizeof(void *);
}

void *allocate_data(SIZE_T bytes, bool zero) {
    // One byte at least, so that a zero-size fixed block has its own address.
    void *data = zero ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
    if (!data) throw std::bad_alloc();
    return data;
}

// Windows gives a zero-size fixed block one byte, and GlobalSize says so.
HGLOBAL allocate_fixed(SIZE_T bytes, bool zero) {
    Block block;
    block.data = allocate_data(bytes, zero);
    block.size = bytes ? bytes : 1;
    std::lock_guard<std::mutex> guard(table().lock);
    try {
        table().blocks.emplace(block.data, block);
    } catch (...) {
        std::free(block.data);
        throw;
    }
    return block.data;
}

// The entry is two pointers, aligned on two; the handle is its second word,
// as Windows hands out &entry->ptr.
HGLOBAL allocate_moveable(SIZE_T bytes, bool zero) {
    Block block;
    block.moveable = true;
    block.size = bytes;
    block.entry = std::aligned_alloc(2 * sizeof(void *), 2 * sizeof(void *));
    if (!block.entry) throw std::bad_alloc();
    try {
        // Windows keeps a zero-size moveable block as a discarded one.
        if (bytes) block.data = allocate_data(bytes, zero);
        HGLOBAL handle = static_cast<char *>(block.entry) + sizeof(void *);
        std::memcpy(handle, &block.data, sizeof(void *));
        std::lock_guard<std::mutex> guard(table().lock);
        if (table().moveable == handle_table_size) w32h::fail_with(ERROR_NOT_ENOUGH_MEMORY);
        table().blocks.emplace(handle, block);
        ++table().moveable;
        return handle;
    } catch (...) {
        std::free(block.data);
        std::free(block.entry);
        throw;
    }
}

void release(const Block &block) {
    std::free(block.data);
    std::free(block.entry);
}

// The workers below hold the table lock; they are noexcept so that a failing
// mutex ends the process rather than unwinding through a Win32 entry point.

bool free_block(HGLOBAL handle) noexcept {
    std::lock_guard<std::mutex> guard(table().lock);
    Block *block = find_block(handle);
    if (!block) return false;
    if (block->moveable) --table().moveable;
    release(*block);
    table().blocks.erase(handle);
    return true;
}

// Whether the byte at p can be read: the kernel copies it, or says EFAULT
// (a kernel that will not copy for its own process says something else).
bool readable(const void *p) noexcept {
    char byte;
    iovec local{&byte, 1}, remote{const_cast<void *>(p), 1};
    return process_vm_readv(getpid(), &local, 1, &remote, 1, 0) == 1 || errno != EFAULT;
}

// What GlobalFree says of what is no block: Windows reads the would-be
// block's header, so a pointer to no memory fails with ERROR_NOACCESS.
DWORD not_a_block_error(HGLOBAL mem) noexcept {
    return looks_like_moveable_handle(mem) || readable(mem) ? ERROR_INVALID_HANDLE : ERROR_NOACCESS;
}

// Takes one lock on a moveable block; a copy of the block, or nothing.
std::optional<Block> lock_block(HGLOBAL handle) noexcept {
    std::lock_guard<std::mutex> guard(table().lock);
    Block *block = find_block(handle);
    if (!block) return std::nullopt;
    // Windows' lock count saturates at 255.
    if (block->moveable && block->data && block->locks < 0xFF) ++block->locks;
    return *block;
}

// Drops one lock; the block as it was before, or nothing.
std::optional<Block> unlock_block(HGLOBAL handle) noexcept {
    std::lock_guard<std::mutex> guard(table().lock);
    Block *block = find_block(handle);
    if (!block) return std::nullopt;
    const Block before = *block;
    if (block->moveable && block->locks) --block->locks;
    return before;
}

std::optional<SIZE_T> block_size(HGLOBAL handle) noexcept {
    std::lock_guard<std::mutex> guard(table().lock);
    const Block *block = find_block(handle);
    if (!block) return std::nullopt;
    return block->size;
}

}  // namespace

namespace w32h {

void reset_global_heap() {
    std::lock_guard<std::mutex> guard(table().lock);
    for (const auto &[handle, block] : table().blocks) release(block);
    table().blocks.clear();
    table().moveable = 0;
}

}  // namespace w32h

extern "C" {

// Limits: GMEM_DISCARDABLE, GMEM_DDESHARE and the other legacy flags are
// accepted and ignored; a moveable block never moves while unlocked.
HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    return w32h::entry_point<HGLOBAL>(NULL, [&]() -> HGLOBAL {
        if (w32h::injected_failure("GlobalAlloc", ERROR_NOT_ENOUGH_MEMORY)) return NULL;
        const bool zero = (uFlags & GMEM_ZEROINIT) != 0;
        if (uFlags & GMEM_MOVEABLE) return allocate_moveable(dwBytes, zero);
        return allocate_fixed(dwBytes, zero);
    });
}

// NULL on success, the handle itself on failure; a locked block is freed too.
// Limits: memory that can be read but is no block (a freed one, the stack)
// fails with ERROR_INVALID_HANDLE, as 32-bit Windows answers for a freed
// block; what 64-bit Windows does there is not known (Wine's tests crash).
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    return w32h::entry_point<HGLOBAL>(hMem, [&]() -> HGLOBAL {
        if (hMem && !free_block(hMem)) w32h::fail_with(not_a_block_error(hMem));
        return NULL;
    });
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    return w32h::entry_point<LPVOID>(NULL, [&]() -> LPVOID {
        const std::optional<Block> block = lock_block(hMem);
        if (!block) w32h::fail_with(ERROR_INVALID_HANDLE);
        if (!block->data) SetLastError(ERROR_DISCARDED);
        return block->data;
    });
}

// TRUE while the block stays locked; FALSE with NO_ERROR when the last lock
// goes, FALSE with ERROR_NOT_LOCKED when there was none. A fixed block is
// never locked and answers TRUE, leaving the last error alone; so does an
// unknown pointer, while an unknown moveable-looking handle also sets
// ERROR_INVALID_HANDLE (Wine's heap tests, run on Windows, pin all four).
BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    return w32h::entry_point(FALSE, [&]() -> BOOL {
        const std::optional<Block> block = unlock_block(hMem);
        if (!block || !block->moveable) {
            if (!block && looks_like_moveable_handle(hMem)) SetLastError(ERROR_INVALID_HANDLE);
            return TRUE;
        }
        if (block->locks > 1) return TRUE;
        SetLastError(block->locks ? NO_ERROR : ERROR_NOT_LOCKED);
        return FALSE;
    });
}

SIZE_T WINAPI GlobalSize(HGLOBAL hMem) {
    return w32h::entry_point<SIZE_T>(0, [&]() -> SIZE_T {
        const std::optional<SIZE_T> size = block_size(hMem);
        if (!size) w32h::fail_with(ERROR_INVALID_HANDLE);
        return *size;
    });
}

}  // extern "C"
