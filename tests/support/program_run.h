// program_run.h - runs a built program over win32host as a test would from
// outside: a fresh prefix, the medium as current folder, a controlled
// environment, an answers script, and the transcript read back as JSON.
// SETUPORDANE_TEST_LAUNCHER (e.g. valgrind) runs every program under a checker.
#pragma once

#include "transcript.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace testrun {

struct Result {
    int exit_code = -1;
    Events events;
    std::string transcript;
    std::string error_output;

    Events of(const char *kind) const { return events_of(events, {kind}); }
    Lines outline(Kinds kinds = {}) const { return testrun::outline(events, kinds); }
};

struct Run {
    std::string program;
    std::string folder;  // current folder of the run
    std::vector<std::string> args;
    std::string script;
    std::map<std::string, std::string> env;  // on top of a clean one
    int timeout_seconds = 0;                 // a run that hangs is ended (exit code 124)
};

inline std::string read_file(const std::filesystem::path &p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

class TempDir {
public:
    // In memory where a memory file system is mounted, when asked: the
    // spooler syncs each transaction to disk, which costs nothing there.
    enum Where { on_disk, in_memory };
    explicit TempDir(Where where = on_disk) {
        std::filesystem::path base = std::filesystem::temp_directory_path();
        if (where == in_memory && access("/dev/shm", W_OK) == 0) base = "/dev/shm";
        std::string tmpl = (base / "so-test-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp " + tmpl);
        path_ = tmpl;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A shell command's standard output, and its status as pclose gives it.
struct CommandOutput {
    int status = -1;
    std::string out;
};

inline CommandOutput command_output(const std::string &command) {
    CommandOutput r;
    FILE *pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
    r.status = pclose(pipe);
    return r;
}

// The launcher from SETUPORDANE_TEST_LAUNCHER, split on blanks, with {log}
// standing for a file of the run's own. The launcher is to write there only
// what it finds wrong: a run whose log is not empty fails, whatever else it
// did. Read in the test process, it never reaches the program's environment.
inline std::vector<std::string> launcher_words(const std::string &log_path) {
    std::vector<std::string> words;
    const char *launcher = std::getenv("SETUPORDANE_TEST_LAUNCHER");
    std::istringstream in(launcher ? launcher : "");
    for (std::string w; in >> w;) {
        for (size_t at; (at = w.find("{log}")) != std::string::npos;) w.replace(at, 5, log_path);
        words.push_back(w);
    }
    return words;
}

[[noreturn]] inline void exec_child(const Run &run, const std::map<std::string, std::string> &env,
                                    const std::string &err_path, std::vector<std::string> words) {
    if (chdir(run.folder.c_str()) != 0) _exit(126);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int null_in = open("/dev/null", O_RDONLY);
    dup2(err, 2);
    dup2(null_in, 0);
    clearenv();
    for (const auto &[k, v] : env) setenv(k.c_str(), v.c_str(), 1);
    std::vector<char *> argv;
    if (run.timeout_seconds) words.insert(words.begin(), {"/usr/bin/timeout", std::to_string(run.timeout_seconds)});
    words.push_back(run.program);
    words.insert(words.end(), run.args.begin(), run.args.end());
    for (auto &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execvp(words[0].c_str(), argv.data());  // the launcher is looked up on PATH
    _exit(127);
}

inline Result run_program(const Run &run) {
    TempDir dir;
    auto script = dir.path() / "answers.txt", transcript = dir.path() / "transcript.jsonl",
         errors = dir.path() / "stderr.txt", launcher_log = dir.path() / "launcher.log";
    std::ofstream(script, std::ios::binary) << run.script;
    std::map<std::string, std::string> env{
        {"PATH", "/usr/bin:/bin"},
        {"WIN32HOST_PREFIX", (dir.path() / "machine").string()},
        {"WIN32HOST_UI", "script"},
        {"WIN32HOST_SCRIPT", script.string()},
        {"WIN32HOST_TRANSCRIPT", transcript.string()},
    };
    for (const auto &[k, v] : run.env) env[k] = v;
    pid_t pid = fork();
    if (pid == 0) exec_child(run, env, errors.string(), launcher_words(launcher_log.string()));
    int status = 0;
    waitpid(pid, &status, 0);
    Result r;
    r.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    r.transcript = read_file(transcript);
    r.error_output = read_file(errors);
    if (std::string found = read_file(launcher_log); !found.empty())
        throw std::runtime_error("the launcher found faults in " + run.program + ":\n" + found);
    r.events = parse_transcript(r.transcript);
    return r;
}

}  // namespace testrun
