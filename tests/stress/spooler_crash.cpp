// spooler_crash.cpp - crash safety of win32host's spooler store: its command
// line (kills.cpp, pairs.cpp and store_check.cpp hold the runs), and the
// processes it starts, each with a clean environment naming its machine and
// waited for with a deadline, so that a hang is told.
#include <signal.h>

#include <thread>

#include "program_run.h"
#include "spooler_crash.h"

namespace crash {

std::string self_path;

pid_t start(const Spawn &s) {
    pid_t pid = fork();
    if (pid != 0) return pid;
    if (chdir(s.folder.c_str()) != 0) _exit(126);
    int in = open("/dev/null", O_RDONLY);
    int out = open(s.out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(s.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    clearenv();
    for (const auto &[k, v] : s.env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<std::string> words = s.argv;
    std::vector<char *> argv;
    for (auto &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
}

int wait_until(pid_t pid, Clock::time_point deadline) {
    int status = 0;
    for (;;) {
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return status;
        if (Clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

int run_to_end(const Spawn &s) { return wait_until(start(s), Clock::now() + std::chrono::seconds(60)); }

std::string describe(int status) {
    if (status == -1) return "still running after the time allowed (killed)";
    if (WIFEXITED(status)) return "exit code " + std::to_string(WEXITSTATUS(status));
    return "killed by signal " + std::to_string(WTERMSIG(status));
}

bool exited_with(int status, int code) { return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == code; }

std::map<std::string, std::string> machine_env(const fs::path &prefix, const std::string &winver) {
    return {{"PATH", "/usr/bin:/bin"}, {"WIN32HOST_PREFIX", prefix.string()}, {"WIN32HOST_WINVER", winver}};
}

ToolRun tool(const fs::path &prefix, const std::string &winver, const std::vector<std::string> &args) {
    testrun::TempDir dir;
    Spawn s;
    s.argv = {WIN32HOST_TOOL};
    s.argv.insert(s.argv.end(), args.begin(), args.end());
    s.env = machine_env(prefix, winver);
    s.out = (dir.path() / "out").string();
    s.err = (dir.path() / "err").string();
    ToolRun r;
    r.status = run_to_end(s);
    r.out = testrun::read_file(s.out);
    r.err = testrun::read_file(s.err);
    return r;
}

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: spooler_crash kills [--writes N] [--iterations N] [--max-delay MS] [--seed S]\n"
                 "       spooler_crash pairs [--pairs N] [--seed S]\n"
                 "       spooler_crash check PREFIX [WINVER]\n"
                 "       spooler_crash self-test\n");
    return 2;
}

// The options after the command, in pairs; false on one it does not know.
bool parse_options(const std::vector<std::string> &args, Options &o) {
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        long value = std::strtol(args[i + 1].c_str(), nullptr, 10);
        if (args[i] == "--seed")
            o.seed = std::strtoul(args[i + 1].c_str(), nullptr, 10);
        else if (args[i] == "--writes")
            o.writes = value;
        else if (args[i] == "--iterations")
            o.iterations = value;
        else if (args[i] == "--max-delay")
            o.max_delay_ms = value;
        else if (args[i] == "--pairs")
            o.pairs = value;
        else
            return false;
    }
    return true;
}

}  // namespace

}  // namespace crash

int main(int argc, char **argv) {
    using namespace crash;
    self_path = fs::canonical("/proc/self/exe").string();
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return usage();
    if (args[0] == "worker" && args.size() >= 2) return run_worker(args);
    if (args[0] == "check" && args.size() >= 2)
        return report(check_store(args[1], args.size() > 2 ? args[2] : "win2000"), args[1]) ? 0 : 1;
    if (args[0] == "self-test") return self_test();
    Options o;
    if (!parse_options(args, o)) return usage();
    if (args[0] == "kills") return kill_loop(o);
    if (args[0] == "pairs") return pairs(o);
    return usage();
}
