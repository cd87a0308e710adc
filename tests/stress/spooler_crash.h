// spooler_crash.h - what the parts of the spooler crash test share: the
// processes it starts and waits for, the check of a prefix's store, and its
// three runs (kills, pairs, the check's self-test) with their options.
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace crash {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

extern std::string self_path;  // this program, for its workers

// ---- processes (spooler_crash.cpp) ----

struct Spawn {
    std::vector<std::string> argv;
    std::map<std::string, std::string> env;
    std::string folder = ".";
    std::string out = "/dev/null", err = "/dev/null";
};

pid_t start(const Spawn &s);
// The wait status, or -1 when the process is still running at the deadline
// (it is then killed: a hang).
int wait_until(pid_t pid, Clock::time_point deadline);
int run_to_end(const Spawn &s);  // started and waited for, a minute at the most
std::string describe(int status);
bool exited_with(int status, int code);
std::map<std::string, std::string> machine_env(const fs::path &prefix, const std::string &winver);

struct ToolRun {
    int status = 0;
    std::string out, err;
};

// The win32host tool on a prefix.
ToolRun tool(const fs::path &prefix, const std::string &winver, const std::vector<std::string> &args);

// ---- the check of a store (store_check.cpp) ----

// The host file of a C: path as the store keeps it; empty when there is none.
fs::path host_path(const fs::path &prefix, const std::string &windows_path);
// A rollback journal that still holds a transaction: what a process killed inside a write leaves.
bool hot_journal(const fs::path &prefix);
// What is wrong with the spooler of a prefix; empty when it is whole.
std::vector<std::string> check_store(const fs::path &prefix, const std::string &winver);
// Prints each problem as a fault of the context; whether there was none.
bool report(const std::vector<std::string> &problems, const std::string &context);

// ---- the runs ----

struct Options {
    unsigned long seed = std::random_device{}();
    long writes = 200, iterations = 60, max_delay_ms = 250, pairs = 5;
};

int run_worker(const std::vector<std::string> &args);  // kills.cpp, in the killed process
int kill_loop(const Options &o);                       // kills.cpp
int pairs(const Options &o);                           // pairs.cpp
int self_test();                                       // store_check.cpp

}  // namespace crash
