// copy_bench.cpp - the cost of the copy dialog against dd: copies one file of
// 64 MiB (or the size given in MiB) with the copy dialog over win32host
// (script front-end, virtual clock) and with "dd bs=1024" on the same disk,
// each twice in turn, and prints the best time of each and their ratio.
#include <windows.h>
#include <commctrl.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

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
    CopyRequest request = {COPY_MODE_INSTALL, &record, (LPCSTR)g_PrinterDriverFolder.get()};
    auto start = clock_type::now();
    INT_PTR result = RunCopyDialog(NULL, &request);
    double seconds = Seconds(start);
    if (result != 1) std::fprintf(stderr, "copy dialog failed: %ld\n", (long)result), std::exit(1);
    return seconds;
}

double TimeDd(const fs::path &from, const fs::path &to) {
    std::string command = "dd if='" + from.string() + "' of='" + to.string() + "' bs=1024 status=none";
    auto start = clock_type::now();
    if (std::system(command.c_str()) != 0) std::fprintf(stderr, "dd failed\n"), std::exit(1);
    return Seconds(start);
}

}  // namespace

int main(int argc, char **argv) {
    size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 64;
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
    double best_dd = 1e9, best_dialog = 1e9;
    for (int round = 0; round < 2; ++round) {
        best_dd = std::min(best_dd, TimeDd(source, target / "dd.bin"));
        best_dialog = std::min(best_dialog, TimeCopyDialog());
    }
    std::printf("%zu MiB: copy dialog %.3f s, dd bs=1024 %.3f s, ratio %.2f\n", mib, best_dialog, best_dd,
                best_dialog / best_dd);
    fs::current_path(dir.parent_path());
    fs::remove_all(dir);
    return 0;
}
