// machine.cpp - the emulated machine in the prefix: drive C: and the Windows
// folders of the configured version, made on first use, and the mapping of
// Windows paths onto host paths. Names are code page 1252 for the program and
// UTF-8 on the host; components match case-insensitively, as on Windows.
#include "machine.h"

#include "api.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace w32h {
namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

char upper_1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<char>(c - 0x20);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char>(c - 0x20);
    switch (c) {
    case 0x9A:
        return static_cast<char>(0x8A);  // š
    case 0x9C:
        return static_cast<char>(0x8C);  // œ
    case 0x9E:
        return static_cast<char>(0x8E);  // ž
    case 0xFF:
        return static_cast<char>(0x9F);  // ÿ
    default:
        return static_cast<char>(c);
    }
}

// Characters Windows refuses in a file name.
bool valid_component(std::string_view name) {
    for (unsigned char c : name)
        if (c < 0x20 || std::string_view("<>:\"|?*").find(static_cast<char>(c)) != std::string_view::npos) return false;
    return true;
}

std::vector<std::string> split_components(std::string_view path) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : path) {
        if (!is_separator(c)) {
            current += c;
            continue;
        }
        if (!current.empty()) parts.push_back(current);
        current.clear();
    }
    if (!current.empty()) parts.push_back(current);
    return parts;
}

bool is_directory(const std::string &path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of folder whose name matches ansi_name: the exact name first,
// else the first that matches case-insensitively; empty when none.
std::string find_entry(const std::string &folder, const std::string &ansi_name) {
    std::string exact = cp1252_to_utf8(ansi_name);
    struct stat st {};
    if (lstat((folder + "/" + exact).c_str(), &st) == 0) return exact;
    std::unique_ptr<DIR, int (*)(DIR *)> dir(opendir(folder.c_str()), closedir);
    if (!dir) return {};
    std::string wanted = upper_case_name(ansi_name);
    while (dirent *e = readdir(dir.get())) {
        std::string name = e->d_name;
        if (name == "." || name == "..") continue;
        if (upper_case_name(utf8_to_cp1252(name)) == wanted) return name;
    }
    return {};
}

void make_folder(const std::string &path) {
    if (mkdir(path.c_str(), 0755) == 0 || errno == EEXIST) return;
    fail_with(win32_error_from_errno(errno));
}

void make_folders(const std::string &root, std::string_view windows_folder) {
    std::string path = root;
    auto parts = split_components(windows_folder.substr(2));  // after "C:"
    for (const std::string &part : parts) {
        std::string found = find_entry(path, part);
        path += "/" + (found.empty() ? cp1252_to_utf8(part) : found);
        make_folder(path);
    }
}

std::string drive_root() { return config().prefix + "/drive_c"; }

}  // namespace

MachineFolders machine_folders(const WindowsVersion &version) {
    if (version.platform_id != VER_PLATFORM_WIN32_NT)
        return {"C:\\WINDOWS", "C:\\WINDOWS\\SYSTEM", "C:\\WINDOWS\\SYSTEM"};
    std::string windows = version.major > 5 || (version.major == 5 && version.minor >= 1) ? "C:\\WINDOWS" : "C:\\WINNT";
    return {windows, windows + "\\system32", windows + "\\system32\\spool\\DRIVERS\\W32X86"};
}

const MachineFolders &machine_folders() {
    static std::string cached_for;
    static MachineFolders cached;
    const WindowsVersion &v = config().winver;
    std::string key =
        v.name + "/" + std::to_string(v.platform_id) + "." + std::to_string(v.major) + "." + std::to_string(v.minor);
    if (key != cached_for) {
        cached = machine_folders(v);
        cached_for = key;
    }
    return cached;
}

void ensure_machine() {
    const std::string &prefix = config().prefix;
    if (prefix.empty()) fail_with(ERROR_PATH_NOT_FOUND);
    // Every path on drive C: comes here: once the machine of this prefix and
    // version stands, one look at the drive is enough.
    static std::string made_for;
    const WindowsVersion &v = config().winver;
    std::string key = prefix + '\n' + std::to_string(v.platform_id) + '.' + std::to_string(v.major) + '.' +
                      std::to_string(v.minor);
    if (key == made_for && is_directory(drive_root())) return;
    std::string path;
    for (const std::string &part : split_components(prefix)) {  // mkdir -p
        path += "/" + part;
        if (!is_directory(path)) make_folder(path);
    }
    make_folder(drive_root());
    const MachineFolders &f = machine_folders();
    make_folders(drive_root(), f.system);
    make_folders(drive_root(), f.printer_driver);
    made_for = key;
}

std::string prefix_file(std::string_view name) {
    ensure_machine();
    return config().prefix + "/" + std::string(name);
}

namespace {

// The components of a path as Windows reads them: "." dropped, ".." taking
// back the component before it (never above the root of a drive), trailing
// dots and blanks cut from each name. Windows does this on the text alone,
// before it looks at the disk.
std::vector<std::string> normalise_components(std::string_view path, bool rooted) {
    std::vector<std::string> out;
    for (std::string part : split_components(path)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!out.empty() && out.back() != "..")
                out.pop_back();
            else if (!rooted)
                out.push_back(part);  // above the current folder
            continue;
        }
        while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
        if (!part.empty()) out.push_back(part);
    }
    return out;
}

}  // namespace

std::string to_host_path(std::string_view windows_path) {
    if (windows_path.empty()) fail_with(ERROR_INVALID_NAME);
    if (windows_path.size() >= 2 && is_separator(windows_path[0]) && is_separator(windows_path[1]))
        fail_with(ERROR_PATH_NOT_FOUND);  // Limits: no network paths
    std::string path = ".";
    bool rooted = false;
    if (windows_path.size() >= 2 && windows_path[1] == ':') {
        if (upper_1252(static_cast<unsigned char>(windows_path[0])) != 'C') fail_with(ERROR_PATH_NOT_FOUND);
        ensure_machine();
        path = drive_root();
        windows_path.remove_prefix(2);
        rooted = true;  // Limits: "C:name" is taken from the root, not from C:'s current folder
    }
    auto parts = normalise_components(windows_path, rooted);
    if (parts.empty()) return path;
    for (size_t i = 0; i < parts.size(); ++i) {
        bool last = i + 1 == parts.size();
        if (parts[i] == "..") {
            path += "/..";
            continue;
        }
        if (!valid_component(parts[i])) fail_with(ERROR_INVALID_NAME);
        std::string found = find_entry(path, parts[i]);
        if (found.empty() && !last) fail_with(ERROR_PATH_NOT_FOUND);
        path += "/" + (found.empty() ? cp1252_to_utf8(parts[i]) : found);
        if (!last && !is_directory(path)) fail_with(ERROR_PATH_NOT_FOUND);
    }
    return path;
}

std::string to_windows_path(std::string_view host_path) {
    std::string root = drive_root();
    if (host_path.substr(0, root.size()) != root) return std::string(host_path);
    std::string rest = utf8_to_cp1252(host_path.substr(root.size()));
    for (char &c : rest)
        if (c == '/') c = '\\';
    return "C:" + (rest.empty() ? std::string("\\") : rest);
}

std::string upper_case_name(std::string_view ansi) {
    std::string out(ansi);
    for (char &c : out) c = upper_1252(static_cast<unsigned char>(c));
    return out;
}

}  // namespace w32h
