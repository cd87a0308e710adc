// copy_bench.cpp - the cost of the copy dialog against dd and cp: copies one
// file of 64 MiB (or the size given in MiB) with the copy dialog over win32host
// (script front-end, virtual clock), with "dd bs=1024" (its block size) and
// with cp on the same file system, in turn, ROUNDS times (default 5), and
// prints the median of each and the dialog's ratio to dd. Usage: copy_bench [MiB [ROUNDS]]
#include <windows.h>
#include <commctrl.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "deploy.h"
#include "frontend.h"
#include "host.h"
#include "setup_ordane.h"

namespace w32h {
std::unique_ptr<Frontend> make_script_frontend(const std::string &script, const std::string &source);
}

namespace {

namespace fs = std::filesystem;
using clock_type = std::chrono::steady_clock;

double Seconds(clock_type::time_point since) {
    return std::chrono::duration<double>(clock_type::now() - since).count();
}

void WriteRandomFile(const fs::path &p, size_t mib) {
    std::ofstream out(p, std::ios::binary);
    std::mt19937_64 random(42);
    std::string block(1 << 20, '\0');
    for (size_t m = 0; m < mib; ++m) {
        for (size_t i = 0; i < block.size(); i += 8) {
            uint64_t v = random();
            std::memcpy(&block[i], &v, 8);
        }
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

double TimeCopyDialog() {
    static const FileRecord record = {"big.bin", "src\\", REPLACE_ALWAYS, ANSWER_NONE, 0};
    CopyRequest request = {COPY_MODE_INSTALL, &record, (LPCSTR)g_PrinterDriverFolder};
    auto start = clock_type::now();
    INT_PTR result = RunCopyDialog(NULL, &request);
    double seconds = Seconds(start);
    if (result != 1) std::fprintf(stderr, "copy dialog failed: %ld\n", (long)result), std::exit(1);
    return seconds;
}

double TimeCommand(const std::string &command) {
    auto start = clock_type::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "failed: %s\n", command.c_str()), std::exit(1);
    return Seconds(start);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Each copy starts on an empty target folder with no dirty pages left from
// the one before, so that none pays for another's write-back or unlinking.
void Settle(const fs::path &target) {
    for (const char *name : {"big.bin", "dd.bin", "cp.bin"}) fs::remove(target / name);
    sync();
}

}  // namespace

int main(int argc, char **argv) {
    size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
    int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    fs::path dir = fs::temp_directory_path() / ("copy-bench-" + std::to_string(getpid()));
    fs::create_directories(dir / "medium" / "src");
    w32h::Config cfg;
    cfg.prefix = (dir / "machine").string();
    cfg.ui = w32h::UiMode::script;
    cfg.clock = w32h::ClockMode::virtual_;
    w32h::set_config(cfg);
    w32h::set_frontend(w32h::make_script_frontend("", "bench"));
    fs::current_path(dir / "medium");
    g_hInstance = GetModuleHandleA(NULL);
    InitCommonControls();  // as WinMain does, for the progress bar
    if (!SetUpTargetFolders()) return 1;
    fs::path source = dir / "medium" / "src" / "big.bin";
    fs::path target = dir / "machine" / "drive_c" / "WINNT" / "system32" / "spool" / "DRIVERS" / "W32X86";
    WriteRandomFile(source, mib);
    std::string from = "'" + source.string() + "'";
    std::vector<double> dialog, dd, cp;
    for (int round = 0; round < rounds; ++round) {
        Settle(target);
        dd.push_back(TimeCommand("dd if=" + from + " of='" + (target / "dd.bin").string() + "' bs=1024 status=none"));
        Settle(target);
        cp.push_back(TimeCommand("cp " + from + " '" + (target / "cp.bin").string() + "'"));
        Settle(target);
        dialog.push_back(TimeCopyDialog());
    }
    Settle(target);
    double m_dialog = Median(dialog), m_dd = Median(dd), m_cp = Median(cp);
    std::printf("%zu MiB, median of %d: copy dialog %.3f s, dd bs=1024 %.3f s, cp %.3f s, ratio to dd %.2f\n", mib,
                rounds, m_dialog, m_dd, m_cp, m_dialog / m_dd);
    fs::current_path(dir.parent_path());
    fs::remove_all(dir);
    return 0;
}
