// host.h - win32host's internal interfaces, shared by its area files and
// never seen by the program: configuration, the last error and injected
// failures, code pages, the clock, and the resource store. Everything here is
// plain C++; only the include/ headers carry Windows' names.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace w32h {

// ---- configuration (config.cpp) -------------------------------------------

enum class UiMode { tty, script };
enum class ClockMode { real, virtual_ };

struct WindowsVersion {
    std::string name;  // the WIN32HOST_WINVER keyword, or ID.MAJOR.MINOR
    DWORD platform_id = VER_PLATFORM_WIN32_NT;
    DWORD major = 5;
    DWORD minor = 0;
    DWORD build = 2195;
    std::string csd;  // service pack text
};

struct Config {
    std::string prefix;  // folder of the emulated machine, not yet created
    WindowsVersion winver;
    UiMode ui = UiMode::script;
    std::string script_path;                     // empty: standard input
    std::optional<std::string> transcript_path;  // "-" or empty: standard output
    ClockMode clock = ClockMode::virtual_;
    std::string fail_rules;  // WIN32HOST_FAIL as given
    std::optional<std::string> calls_path;  // WIN32HOST_CALLS: where failable calls are listed
    std::optional<std::string> cmdline;
    int screen_width = 1024;
    int screen_height = 768;
    bool french = false;  // user interface language of the resources
    bool shutdown_privilege = true;  // WIN32HOST_SHUTDOWN: the process token holds SeShutdownPrivilege
};

// Reads and checks every WIN32HOST_* variable; a bad one ends the process
// through host_config_error. Called once by the entry point.
const Config &config();
// WIN32HOST_PREFIX's default: $XDG_DATA_HOME/win32host, else
// ~/.local/share/win32host; empty when neither variable is set.
std::string default_prefix();
// Parses the environment into a Config; returns the reason on failure.
std::optional<std::string> load_config(Config &c);
// Tests set their own configuration before the first call of config().
void set_config(const Config &cfg);

// Ends the process with exit code 3 and the one-line reason on standard error
// (host configuration errors, a malformed or exhausted answers script).
[[noreturn]] void host_error(const std::string &reason);

std::optional<WindowsVersion> parse_windows_version(std::string_view text);

// What a program can observe of the Windows version beyond GetVersionExA,
// as win32host reproduces it (docs/windows-versions.md holds the sources).
struct WindowsTraits {
    bool nt = true;                  // the NT family: security, forms, MoveFileExA; 95, 98, Me stub them
    unsigned common_controls = 581;  // COMCTL32's version as first shipped, major * 100 + minor
    DWORD driver_level = 3;          // the highest DRIVER_INFO level of the spooler (2 before NT 4.0)
    DWORD port_level = 2;            // the highest PORT_INFO level of EnumPortsA (1 before NT 4.0)
    DWORD driver_version = 3;        // cVersion of the host's drivers, and on NT their version folder
};
WindowsTraits traits_of(const WindowsVersion &version);
// The traits of config().winver.
WindowsTraits windows_traits();

// ---- process (process.cpp, reset.cpp) ---------------------------------------

// The raw command line; it lives as long as the process, as GetCommandLineA's
// does, and the tail handed to WinMain points into it.
std::string &command_line_buffer();

// Returns every piece of the host's process state to what a fresh process
// has: windows and the classes programs registered (the system classes stay),
// the message queue, focus and activation, timers, loaded icons, the global
// heap, open handles, fail rules and their counts, the front-end, the
// configuration, the transcript, the clock and the last error. The resource images registered
// at start-up stay. Tests call it between tests; a program never does.
void reset_host();
// What a finished piece of work left running, one line per kind (windows,
// posted messages, timers, open handles); empty when nothing is left.
std::string host_leftovers();

// The resets of each area, which reset_host calls in turn.
void reset_config();
void reset_fail_rules();
void reset_clock();
void reset_global_heap();
void reset_security();
void reset_printer_handles();
// The printer handles still open, for host_leftovers; empty when none.
std::string printer_handles_left();

// ---- text ----------------------------------------------------------------------

// The text without any of the blank characters at either end.
inline std::string_view trim(std::string_view text, std::string_view blanks) {
    size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// ---- errors (errors.cpp) ----------------------------------------------------

DWORD win32_error_from_errno(int err);

// ---- files (files.cpp) ------------------------------------------------------

// Copies the rest of one open file into another, by the kernel's own copy
// where the file systems allow it; throws Win32Failure. Share modes and the
// read-only attribute were checked when each handle was opened.
void copy_open_file(HANDLE source, HANDLE target);

// ---- injected failures (failpoints.cpp) -------------------------------------

// Parses WIN32HOST_FAIL; returns the reason when it is malformed or names a
// function that cannot fail.
std::optional<std::string> parse_fail_rules(std::string_view text);
// Counts one call of the named entry point; when this call is to fail, sets
// the last error (the configured one, else default_error) and returns true.
bool injected_failure(const char *function, DWORD default_error);
// The same for entry points that can also come up short ("=short"): counts
// the call and says which fault, if any, it meets.
enum class Fault { none, fail, short_count };
Fault injected_fault(const char *function, DWORD default_error);
// The entry points that honour WIN32HOST_FAIL, sorted; README lists the same.
std::span<const char *const> failable_functions();

// ---- JSON (transcript.cpp) --------------------------------------------------

// An ANSI text as a quoted JSON string in UTF-8, for the transcript and the
// win32host tool.
std::string json_quoted(const std::string &ansi);

// ---- code pages (codepage.cpp) ------------------------------------------------

// The ANSI code page of English and French Windows is 1252.
std::string cp1252_to_utf8(std::string_view ansi);
// Characters without a cp1252 form become '?'; invalid UTF-8 bytes likewise.
std::string utf8_to_cp1252(std::string_view utf8);
std::string utf16_to_cp1252(const char16_t *text, size_t length);
std::u16string cp1252_to_utf16(std::string_view ansi);

// ---- clock (time.cpp) -------------------------------------------------------

// Milliseconds since the host started (GetTickCount's origin).
uint64_t clock_now();
// Lets time pass until the given moment: a real sleep, or a jump of the
// virtual clock.
void clock_wait_until(uint64_t moment);
bool clock_is_virtual();

// ---- resources (resources.cpp) ------------------------------------------------

// The module handle of the program; its resources come from the .res image
// that the build embeds.
HINSTANCE program_instance();
// Called by the generated resource file of an executable before main().
void register_resources(const unsigned char *image, size_t size);

struct ResourceId {
    bool is_number = true;
    WORD number = 0;
    std::u16string name;  // upper-cased, as Windows compares names
};
ResourceId resource_id_from(LPCSTR text_or_ordinal);

struct ResourceEntry {
    ResourceId type;
    ResourceId name;
    WORD language = 0;
    const BYTE *data = nullptr;
    DWORD size = 0;
};
// The records of a .res image, its leading marker record left out; the data
// of each points into the image. A malformed or truncated record ends the
// list. register_resources keeps them; the fuzz tests call it alone.
std::vector<ResourceEntry> read_resource_image(const BYTE *image, size_t size);
// Finds a resource in the user's language, else English (0x409), else any
// language; nullptr when none.
const ResourceEntry *find_resource(const ResourceId &type, const ResourceId &name);
// The user's language: 0x40C when config().french, else 0x409.
WORD user_language();

}  // namespace w32h
