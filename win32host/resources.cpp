// resources.cpp - the program's resources, read from the compiled .res image
// that the build embeds (the RESOURCEHEADER records that rc and llvm-rc
// write), and the Win32 calls on them: FindResource, LoadResource and
// LoadStringA with Windows' string blocks of sixteen and language fallback.
// The image is parsed defensively: a malformed record ends the parse.
#include "api.h"
#include "binary_reader.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_set>

namespace {

// Windows' usual image base, so that the instance handle looks like one.
const HINSTANCE the_program_instance = reinterpret_cast<HINSTANCE>(0x00400000);

constexpr WORD rt_string = 6;
constexpr WORD lang_english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD lang_french = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);

// The registered images and the entries pointing into them; a deque keeps
// both in place as more are added, so HRSRC values stay valid.
struct Store {
    std::deque<std::vector<BYTE>> images;
    std::deque<w32h::ResourceEntry> entries;
    std::unordered_set<const w32h::ResourceEntry *> known;
};

Store &store() {
    static Store instance;
    return instance;
}

// Upper case as Windows compares resource names.
// Limits: only ASCII and the Latin letters of cp1252 change case.
char16_t to_upper(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    switch (c) {
    case 0xFF:
        return 0x178;
    case 0x153:
        return 0x152;
    case 0x161:
        return 0x160;
    case 0x17E:
        return 0x17D;
    default:
        return c;
    }
}

std::u16string upper_cased(std::u16string text) {
    std::transform(text.begin(), text.end(), text.begin(), to_upper);
    return text;
}

w32h::ResourceId number_id(WORD number) {
    w32h::ResourceId id;
    id.number = number;
    return id;
}

w32h::ResourceId name_id(std::u16string name) {
    w32h::ResourceId id;
    id.is_number = false;
    id.name = upper_cased(std::move(name));
    return id;
}

bool same_id(const w32h::ResourceId &a, const w32h::ResourceId &b) {
    return a.is_number == b.is_number && (a.is_number ? a.number == b.number : a.name == b.name);
}

// ---- reading the .res image ----------------------------------------------

using Reader = w32h::LittleEndianReader;

// A type or name: 0xFFFF and an ordinal, or a NUL-terminated UTF-16 string.
bool read_id(Reader &r, w32h::ResourceId &out) {
    WORD first = r.word();
    if (first == 0xFFFF) {
        WORD number = r.word();
        out = number_id(number);
        return r.ok();
    }
    std::u16string name;
    if (first != 0) name = static_cast<char16_t>(first) + r.wide_string();
    out = name_id(std::move(name));
    return r.ok();
}

// Parses the record at offset; on success fills entry and the offset of the
// next record. DataVersion, MemoryFlags, Version and Characteristics are read
// past: Win32 ignores them.
bool parse_record(const BYTE *image, size_t size, size_t offset, w32h::ResourceEntry &entry, size_t &next) {
    Reader head(image, offset, size);
    DWORD data_size = head.dword(), header_size = head.dword();
    if (!head.ok()) return false;
    if (header_size < 32 || header_size > size - offset || data_size > size - offset - header_size) return false;
    Reader header(image, head.pos(), offset + header_size);
    if (!read_id(header, entry.type) || !read_id(header, entry.name) || !header.align(4)) return false;
    header.skip(6);
    entry.language = header.word();
    if (!header.skip(8)) return false;
    entry.data = image + offset + header_size;
    entry.size = data_size;
    next = offset + header_size + data_size;
    next += (4 - next % 4) % 4;
    return true;
}

void parse_image(const std::vector<BYTE> &image) {
    Store &s = store();
    for (const w32h::ResourceEntry &entry : w32h::read_resource_image(image.data(), image.size())) {
        s.entries.push_back(entry);
        s.known.insert(&s.entries.back());
    }
}

// ---- finding --------------------------------------------------------------

// "#123" means the ordinal 123, read as RtlCharToInteger reads it (leading
// blanks, a sign, decimal digits up to the first other character); a value
// that does not fit a WORD makes the name invalid.
std::optional<WORD> hash_ordinal(const char *text) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(text);
    while (*p && *p <= ' ') ++p;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    uint32_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) value = value * 10 + (*p - '0');
    if (negative) value = 0 - value;
    if (value > 0xFFFF) return std::nullopt;
    return static_cast<WORD>(value);
}

std::optional<w32h::ResourceId> parse_id(LPCSTR text) {
    if (IS_INTRESOURCE(text)) return number_id(LOWORD(text));
    if (text[0] == '#') {
        const auto ordinal = hash_ordinal(text + 1);
        if (!ordinal) return std::nullopt;
        return number_id(*ordinal);
    }
    return name_id(w32h::cp1252_to_utf16(text));
}

struct Lookup {
    const w32h::ResourceEntry *entry = nullptr;
    DWORD error = ERROR_SUCCESS;
};

// The entries of one type and name, or the error that says which is missing.
DWORD collect(const w32h::ResourceId &type, const w32h::ResourceId &name,
              std::vector<const w32h::ResourceEntry *> &found) {
    bool type_seen = false;
    for (const w32h::ResourceEntry &e : store().entries) {
        if (!same_id(e.type, type)) continue;
        type_seen = true;
        if (same_id(e.name, name)) found.push_back(&e);
    }
    if (!type_seen) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    return found.empty() ? ERROR_RESOURCE_NAME_NOT_FOUND : ERROR_SUCCESS;
}

const w32h::ResourceEntry *with_language(const std::vector<const w32h::ResourceEntry *> &found, WORD language) {
    for (const w32h::ResourceEntry *e : found)
        if (e->language == language) return e;
    return nullptr;
}

// The language, then its primary language with a neutral sublanguage, then
// the neutral language, as Windows tries them.
const w32h::ResourceEntry *near_language(const std::vector<const w32h::ResourceEntry *> &found, WORD language) {
    for (WORD candidate : {language, WORD(MAKELANGID(PRIMARYLANGID(language), SUBLANG_NEUTRAL)),
                           WORD(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL))})
        if (const w32h::ResourceEntry *e = with_language(found, candidate)) return e;
    return nullptr;
}

// The user's language, then English, then the lowest language present, which
// is the first in the sorted directory of a Windows image.
const w32h::ResourceEntry *default_language(const std::vector<const w32h::ResourceEntry *> &found) {
    if (const w32h::ResourceEntry *e = near_language(found, w32h::user_language())) return e;
    if (const w32h::ResourceEntry *e = with_language(found, lang_english)) return e;
    const auto lowest =
        std::min_element(found.begin(), found.end(), [](auto *a, auto *b) { return a->language < b->language; });
    return lowest == found.end() ? nullptr : *lowest;
}

bool is_program_module(HMODULE module) { return !module || module == the_program_instance; }

// FindResourceExA's search: a neutral language means the default order, any
// other is looked for as itself and its neutral forms only.
Lookup find(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    // Limits: only the program's own module has resources.
    if (!is_program_module(module)) return {nullptr, ERROR_RESOURCE_DATA_NOT_FOUND};
    const auto type_id = parse_id(type), name_id = parse_id(name);
    if (!type_id || !name_id) return {nullptr, ERROR_INVALID_PARAMETER};
    std::vector<const w32h::ResourceEntry *> found;
    if (const DWORD error = collect(*type_id, *name_id, found)) return {nullptr, error};
    const w32h::ResourceEntry *e =
        PRIMARYLANGID(language) == LANG_NEUTRAL ? default_language(found) : near_language(found, language);
    return {e, e ? DWORD(ERROR_SUCCESS) : DWORD(ERROR_RESOURCE_LANG_NOT_FOUND)};
}

HRSRC find_or_fail(HMODULE module, LPCSTR type, LPCSTR name, WORD language) {
    const Lookup found = find(module, type, name, language);
    if (!found.entry) w32h::fail_with(found.error);
    return reinterpret_cast<HRSRC>(const_cast<w32h::ResourceEntry *>(found.entry));
}

const w32h::ResourceEntry &known_entry_or_fail(HRSRC handle) {
    const auto *entry = reinterpret_cast<const w32h::ResourceEntry *>(handle);
    if (!store().known.contains(entry)) w32h::fail_with(ERROR_INVALID_HANDLE);
    return *entry;
}

// ---- strings --------------------------------------------------------------

// The string at index within a block: sixteen counted UTF-16 strings. An
// entry that runs past the block counts as absent. The text is left as bytes,
// since a block need not be aligned.
struct BlockString {
    const BYTE *units = nullptr;
    size_t length = 0;
};

bool string_in_block(const w32h::ResourceEntry &block, unsigned index, BlockString &out) {
    Reader reader(block.data, 0, block.size);
    for (unsigned i = 0;; ++i) {
        const WORD length = reader.word();
        if (!reader.ok()) return false;
        const size_t start = reader.pos();
        if (!reader.skip(size_t(length) * 2)) return false;
        if (i == index) {
            out = {block.data + start, length};
            return true;
        }
    }
}

// Copies the string to the buffer as cp1252, cut to cchMax - 1 characters.
int copy_string(const BlockString &text, LPSTR buffer, int cchMax) {
    const size_t count = std::min(text.length, size_t(cchMax) - 1);
    for (size_t i = 0; i < count; ++i) {
        char16_t unit = 0;
        std::memcpy(&unit, text.units + 2 * i, sizeof unit);
        buffer[i] = w32h::utf16_to_cp1252(&unit, 1)[0];
    }
    buffer[count] = '\0';
    return static_cast<int>(count);
}

int load_string(HINSTANCE instance, UINT id, LPSTR buffer, int cchMax) {
    // Only the low word names the string (Wine's tests show the high word ignored).
    const WORD string_id = LOWORD(id);
    const Lookup block = find(instance, MAKEINTRESOURCEA(rt_string), MAKEINTRESOURCEA((string_id >> 4) + 1),
                              MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    BlockString text;
    if (!block.entry) SetLastError(block.error);
    if (!block.entry || !string_in_block(*block.entry, string_id & 0x0F, text)) {
        buffer[0] = '\0';
        return 0;
    }
    return copy_string(text, buffer, cchMax);
}

}  // namespace

namespace w32h {

HINSTANCE program_instance() { return the_program_instance; }

std::vector<ResourceEntry> read_resource_image(const BYTE *image, size_t size) {
    std::vector<ResourceEntry> entries;
    size_t offset = 0;
    ResourceEntry entry;
    size_t next = 0;
    while (offset < size && parse_record(image, size, offset, entry, next)) {
        // The leading empty record (type 0, no data) only marks a 32-bit .res.
        const bool marker = entry.type.is_number && entry.type.number == 0 && entry.size == 0;
        if (!marker) entries.push_back(entry);
        offset = next;
    }
    return entries;
}

// Runs before main(); a failure leaves the resources out rather than ending
// the process.
void register_resources(const unsigned char *image, size_t size) {
    if (!image || size == 0) return;
    try {
        Store &s = store();
        s.images.emplace_back(image, image + size);
        parse_image(s.images.back());
    } catch (...) {
    }
}

// Limits: an invalid "#" name gives the name itself, which matches nothing;
// FindResourceA reports it as ERROR_INVALID_PARAMETER.
ResourceId resource_id_from(LPCSTR text_or_ordinal) {
    if (auto id = parse_id(text_or_ordinal)) return *id;
    return name_id(cp1252_to_utf16(text_or_ordinal));
}

const ResourceEntry *find_resource(const ResourceId &type, const ResourceId &name) {
    std::vector<const ResourceEntry *> found;
    if (collect(type, name, found) != ERROR_SUCCESS) return nullptr;
    return default_language(found);
}

WORD user_language() { return config().french ? lang_french : lang_english; }

}  // namespace w32h

extern "C" {

HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    return w32h::entry_point<HRSRC>(
        NULL, [&] { return find_or_fail(hModule, lpType, lpName, MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)); });
}

HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage) {
    return w32h::entry_point<HRSRC>(NULL, [&] { return find_or_fail(hModule, lpType, lpName, wLanguage); });
}

// The data in place, as Win32 returns it; NULL for a NULL resource, which
// Windows answers without an error.
// Limits: hModule is not checked against the resource; an unknown HRSRC
// fails with ERROR_INVALID_HANDLE where Windows would read garbage.
HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo) {
    (void)hModule;
    return w32h::entry_point<HGLOBAL>(NULL, [&]() -> HGLOBAL {
        if (!hResInfo) return NULL;
        return const_cast<BYTE *>(known_entry_or_fail(hResInfo).data);
    });
}

LPVOID WINAPI LockResource(HGLOBAL hResData) {
    return w32h::entry_point<LPVOID>(NULL, [&] { return hResData; });
}

// Limits: as LoadResource.
DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo) {
    (void)hModule;
    return w32h::entry_point<DWORD>(0, [&]() -> DWORD {
        if (!hResInfo) return 0;
        return known_entry_or_fail(hResInfo).size;
    });
}

// A buffer size of 0 returns -1 (Windows would hand out a read-only pointer);
// 1 gives an empty string and 0 without touching the last error. A missing
// block returns 0 with FindResource's error; an empty slot in an existing
// block returns 0 and leaves the last error alone. The language fallback
// applies to the whole block, as on Windows.
// Limits: a NULL buffer or a negative size fails with ERROR_INVALID_PARAMETER
// where Windows would fault.
int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax) {
    return w32h::entry_point(0, [&]() -> int {
        if (lpBuffer && cchBufferMax > 0) lpBuffer[0] = '\0';
        if (w32h::injected_failure("LoadStringA", ERROR_RESOURCE_NAME_NOT_FOUND)) return 0;
        if (cchBufferMax == 0) return -1;
        if (!lpBuffer || cchBufferMax < 0) w32h::fail_with(ERROR_INVALID_PARAMETER);
        return load_string(hInstance, uID, lpBuffer, cchBufferMax);
    });
}

}  // extern "C"
