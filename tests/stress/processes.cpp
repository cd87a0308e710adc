// processes.cpp - the processes the spooler crash test starts (its own
// workers, SetupOrdane, the win32host tool), each with a clean environment
// naming its machine, and waited for with a deadline, so that a hang is told.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "program_run.h"
#include "spooler_crash.h"

namespace crash {

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

}  // namespace crash
