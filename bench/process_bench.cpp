// process_bench.cpp - the cost of a whole run of the program: a complete setup
// on a fresh machine and then a complete deletion, each as its own process with
// the script front-end and the virtual clock, RUNS times; prints the median wall
// time (and CPU time) of each and the peak resident size of its processes (ru_maxrss of wait4).
// Usage: process_bench PROGRAM MEDIUM-FOLDER [RUNS]   (default 11)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Sample {
    double ms;
    double cpu_ms;  // user and system time of the process
    long max_rss_kib;
};

// One run as the tests make it: a clean environment, the medium as current
// folder, the answers from a file and the transcript into one.
Sample RunOnce(const std::string &program, const fs::path &medium, const fs::path &dir, const std::string &option,
               const std::string &answers) {
    fs::path script = dir / "answers.txt", transcript = dir / "transcript.jsonl";
    std::ofstream(script, std::ios::binary) << answers;
    std::vector<std::string> env = {
        "PATH=/usr/bin:/bin",
        "WIN32HOST_PREFIX=" + (dir / "machine").string(),
        "WIN32HOST_WINVER=nt40",
        "WIN32HOST_UI=script",
        "WIN32HOST_CLOCK=virtual",
        "WIN32HOST_SCRIPT=" + script.string(),
        "WIN32HOST_TRANSCRIPT=" + transcript.string(),
    };
    std::vector<char *> envp, argv;
    for (auto &e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string name = program, opt = option;
    argv.push_back(name.data());
    if (!opt.empty()) argv.push_back(opt.data());
    argv.push_back(nullptr);

    auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        int null_fd = open("/dev/null", O_RDWR);
        if (chdir(medium.c_str()) != 0 || null_fd < 0) _exit(126);
        dup2(null_fd, 0);
        dup2(null_fd, 1);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid) std::perror("wait4"), std::exit(2);
    double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    // Both operations end with exit code 1 when they complete.
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 1) {
        std::fprintf(stderr, "process_bench: %s %s ended with status %d\n", program.c_str(), option.c_str(), status);
        std::exit(2);
    }
    auto to_ms = [](const timeval &t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return {ms, to_ms(usage.ru_utime) + to_ms(usage.ru_stime), usage.ru_maxrss};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Print(const char *what, const std::vector<Sample> &samples) {
    std::vector<double> ms, cpu;
    long rss = 0;
    for (const Sample &s : samples) ms.push_back(s.ms), cpu.push_back(s.cpu_ms), rss = std::max(rss, s.max_rss_kib);
    std::printf("%s: median %.1f ms (min %.1f, max %.1f, CPU %.1f) of %zu, peak RSS %ld KiB\n", what, Median(ms),
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()), Median(cpu),
                ms.size(), rss);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: process_bench PROGRAM MEDIUM-FOLDER [RUNS]\n");
        return 2;
    }
    std::string program = fs::absolute(argv[1]).string();
    int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 11;
    std::string tmpl = (fs::temp_directory_path() / "process-bench-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) return std::perror("mkdtemp"), 2;
    fs::path dir = tmpl;
    // A copy of the medium: the copy dialog opens its sources without sharing.
    fs::copy(argv[2], dir / "medium", fs::copy_options::recursive);

    std::vector<Sample> setup, deletion;
    // The first pair warms the page cache and the dynamic loader and is not counted.
    for (int i = -1; i < runs; ++i) {
        fs::remove_all(dir / "machine");
        Sample s = RunOnce(program, dir / "medium", dir, "", "yes\nselect LPT1:;ok\nok\n");
        Sample d = RunOnce(program, dir / "medium", dir, "/UNINSTALL", "yes\nyes\n");
        if (i >= 0) setup.push_back(s), deletion.push_back(d);
    }
    Print("complete setup", setup);
    Print("complete deletion", deletion);
    fs::remove_all(dir);
    return 0;
}
