// version.cpp - GetVersionExA and GetVersion, reporting the Windows the host
// emulates (config().winver), with each family's own encoding: Windows 9x
// packs major and minor into the high word of dwBuildNumber, GetVersion sets
// bit 31 outside NT. Also parses the WIN32HOST_WINVER keywords and the
// ID.MAJOR.MINOR form.
#include "api.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

constexpr DWORD version_info_size = sizeof(OSVERSIONINFOA);       // 148
constexpr DWORD version_info_ex_size = sizeof(OSVERSIONINFOEXA);  // 156

struct KnownVersion {
    std::string_view keyword;
    DWORD platform_id, major, minor, build;
    std::string_view csd;
};

// Values as the real systems report them (Wine's version table agrees); Win32s
// reports the Windows 3.1 it runs on and its own release as the CSD text.
constexpr KnownVersion known_versions[] = {
    {"win32s", VER_PLATFORM_WIN32s, 3, 10, 0, "Win32s 1.3"},
    {"win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950, ""},
    {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998, ""},
    {"winme", VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000, ""},
    {"nt351", VER_PLATFORM_WIN32_NT, 3, 51, 1057, ""},
    {"nt40", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6"},
    {"win2000", VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4"},
    {"winxp", VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 3"},
};

// One decimal number that fits a DWORD: digits only, no sign, not empty.
std::optional<DWORD> parse_dword(std::string_view text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    DWORD value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<w32h::WindowsVersion> parse_numeric(std::string_view text) {
    const size_t first = text.find('.');
    const size_t second = first == std::string_view::npos ? first : text.find('.', first + 1);
    if (second == std::string_view::npos || text.find('.', second + 1) != std::string_view::npos) return std::nullopt;
    const auto id = parse_dword(text.substr(0, first));
    const auto major = parse_dword(text.substr(first + 1, second - first - 1));
    const auto minor = parse_dword(text.substr(second + 1));
    if (!id || !major || !minor) return std::nullopt;
    w32h::WindowsVersion version;
    version.name = std::string(text);
    version.platform_id = *id;
    version.major = *major;
    version.minor = *minor;
    version.build = 0;
    version.csd.clear();
    return version;
}

// "Service Pack 6" gives 6.0, "Service Pack 1.5" 1.5; other text gives 0.0.
std::pair<WORD, WORD> service_pack_of(std::string_view csd) {
    constexpr std::string_view prefix = "Service Pack ";
    if (csd.substr(0, prefix.size()) != prefix) return {0, 0};
    const char *p = csd.data() + prefix.size();
    const char *end = csd.data() + csd.size();
    unsigned major = 0, minor = 0;
    p = std::from_chars(p, end, major).ptr;
    if (p < end && *p == '.') std::from_chars(p + 1, end, minor);
    return {static_cast<WORD>(major), static_cast<WORD>(minor)};
}

bool is_nt(const w32h::WindowsVersion &v) { return v.platform_id == VER_PLATFORM_WIN32_NT; }

// OSVERSIONINFOEXA came with Windows NT 4.0 Service Pack 6 and Windows 2000;
// the older systems and the 9x family accept only OSVERSIONINFOA.
bool accepts_size(const w32h::WindowsVersion &v, DWORD size) {
    if (size == version_info_size) return true;
    if (size != version_info_ex_size || !is_nt(v)) return false;
    return v.major >= 5 || (v.major == 4 && service_pack_of(v.csd).first >= 6);
}

// Windows 9x reports major and minor in the high word of dwBuildNumber.
DWORD build_number_of(const w32h::WindowsVersion &v) {
    if (v.platform_id != VER_PLATFORM_WIN32_WINDOWS) return v.build;
    return ((v.major & 0xFF) << 24) | ((v.minor & 0xFF) << 16) | (v.build & 0xFFFF);
}

void fill_version_info(const w32h::WindowsVersion &v, OSVERSIONINFOA &info) {
    info.dwMajorVersion = v.major;
    info.dwMinorVersion = v.minor;
    info.dwBuildNumber = build_number_of(v);
    info.dwPlatformId = v.platform_id;
    std::memset(info.szCSDVersion, 0, sizeof info.szCSDVersion);
    std::memcpy(info.szCSDVersion, v.csd.data(), std::min(v.csd.size(), sizeof info.szCSDVersion - 1));
}

// Limits: wSuiteMask is always 0 and wProductType always says workstation.
void fill_version_info_ex(const w32h::WindowsVersion &v, OSVERSIONINFOEXA &info) {
    const auto [sp_major, sp_minor] = service_pack_of(v.csd);
    info.wServicePackMajor = sp_major;
    info.wServicePackMinor = sp_minor;
    info.wSuiteMask = 0;
    info.wProductType = VER_NT_WORKSTATION;
    info.wReserved = 0;
}

}  // namespace

namespace w32h {

std::optional<WindowsVersion> parse_windows_version(std::string_view text) {
    for (const KnownVersion &known : known_versions) {
        if (known.keyword != text) continue;
        WindowsVersion version;
        version.name = std::string(known.keyword);
        version.platform_id = known.platform_id;
        version.major = known.major;
        version.minor = known.minor;
        version.build = known.build;
        version.csd = std::string(known.csd);
        return version;
    }
    return parse_numeric(text);
}

// Common controls 4.00 came with Windows 95, 3.51 with NT 3.51, 4.70 with NT
// 4.0, 4.72 with 98, 5.81 with 2000 and Me (Geoff Chappell's examination of
// the shipped files); the spooler of NT 3.x knows neither DRIVER_INFO_3 nor
// PORT_INFO_2, and files its drivers as version 1 (KB Q149659); Windows 9x
// reports its drivers as version 0x400 (Wine's spooler tests, run there).
WindowsTraits traits_of(const WindowsVersion &v) {
    WindowsTraits t;
    t.nt = is_nt(v);
    if (!t.nt) {
        t.common_controls = v.major > 4 || v.minor >= 90 ? 581 : v.minor >= 10 ? 472 : 400;
        t.driver_version = 0x400;
        return t;
    }
    if (v.major < 4) {
        t.common_controls = 351;
        t.driver_level = 2;
        t.port_level = 1;
        t.driver_version = 1;
    } else if (v.major == 4) {
        t.common_controls = 470;
        t.driver_version = 2;
    } else {
        t.common_controls = v.major == 5 && v.minor == 0 ? 581 : 582;
    }
    return t;
}

WindowsTraits windows_traits() { return traits_of(config().winver); }

}  // namespace w32h

namespace {

// A size other than the structures the emulated Windows knows fails; NT sets
// ERROR_INSUFFICIENT_BUFFER, Windows 9x leaves the last error alone (Wine's
// version tests, run on both).
BOOL get_version_info(const w32h::WindowsVersion &version, OSVERSIONINFOA &info) {
    const DWORD size = info.dwOSVersionInfoSize;
    if (!accepts_size(version, size)) {
        if (is_nt(version)) w32h::fail_with(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    fill_version_info(version, info);
    if (size == version_info_ex_size) fill_version_info_ex(version, reinterpret_cast<OSVERSIONINFOEXA &>(info));
    return TRUE;
}

}  // namespace

extern "C" {

// Limits: a NULL pointer fails with ERROR_INVALID_PARAMETER where Windows
// would fault.
BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    return w32h::entry_point(FALSE, [&]() -> BOOL {
        if (w32h::injected_failure("GetVersionExA", ERROR_INSUFFICIENT_BUFFER)) return FALSE;
        if (!lpVersionInformation) w32h::fail_with(ERROR_INVALID_PARAMETER);
        return get_version_info(w32h::config().winver, *lpVersionInformation);
    });
}

// Low byte major, next byte minor; the high word is the build on NT, and on
// the other platforms (platform id ^ 2) << 14: 0xC000 for 9x, 0x8000 for
// Win32s, so that bit 31 tells them from NT.
DWORD WINAPI GetVersion(void) {
    return w32h::entry_point<DWORD>(0, [] {
        const w32h::WindowsVersion &v = w32h::config().winver;
        const DWORD low = (v.major & 0xFF) | ((v.minor & 0xFF) << 8);
        const DWORD high = is_nt(v) ? (v.build & 0x7FFF) : ((v.platform_id ^ 2) << 14) & 0xFFFF;
        return low | (high << 16);
    });
}

}  // extern "C"
