// pairs.cpp - setup and deletion at once: a complete setup and a complete
// deletion of the built SetupOrdane started together on one prefix (every
// fourth pair two setups), each answered by script, both wanted to end
// normally with the program's own messages, and the store checked after.
#include <thread>

#include "program_run.h"
#include "spooler_crash.h"

namespace crash {

namespace {

struct ProgramRun {
    fs::path folder, script, transcript, err;
    pid_t pid = 0;
    int status = 0;
};

// One pair as the seed chose it.
struct Pair {
    long number;
    std::string winver;
    bool installed;                   // a setup ran to its end first
    bool removal_first;               // the other run starts first
    bool two_setups;                  // the other run is a second setup
    std::chrono::microseconds delay;  // between the two starts
    const char *other() const { return two_setups ? "second setup" : "deletion"; }
};

Pair plan_pair(long number, std::mt19937_64 &random) {
    const char *winvers[] = {"win2000", "nt40", "win98"};
    auto delay = std::chrono::microseconds(std::uniform_int_distribution<long>(0, 100000)(random));
    bool removal_first = random() % 2;
    return {number, winvers[(number - 1) % 3], number % 2 == 0, removal_first, number % 4 == 0, delay};
}

std::string context_of(const Pair &p, unsigned long seed) {
    return "pair " + std::to_string(p.number) + " (" + p.winver + (p.installed ? ", installed" : "") + ", " +
           (p.removal_first ? p.other() : "setup") + " first by " + std::to_string(p.delay.count()) + " us, seed " +
           std::to_string(seed) + ")";
}

// The answers serve every path: Yes to the confirmation, the port, then
// Enter for whatever waits (the default button of each box and dialog).
std::string answers(bool setup) {
    std::string out = setup ? "yes\nselect LPT1:;ok\n" : "yes\n";
    for (int i = 0; i < 40; ++i) out += "key enter\n";
    return out;
}

// Each run of a pair has its own medium (the copy dialog opens its source
// without sharing), script, transcript and standard error.
ProgramRun files_of(const fs::path &dir, const char *name, long pair) {
    return {dir / (std::string("medium_") + name), dir / (std::string(name) + ".txt"),
            dir / (name + std::to_string(pair) + ".jsonl"), dir / (std::string(name) + ".err")};
}

void start_program(ProgramRun &run, const fs::path &prefix, const std::string &winver, bool setup) {
    std::ofstream(run.script, std::ios::binary) << answers(setup);
    Spawn s{{SETUPORDANE_EXE}, machine_env(prefix, winver), run.folder.string(), "/dev/null", run.err.string()};
    if (!setup) s.argv.push_back("/UNINSTALL");
    s.env["WIN32HOST_UI"] = "script";
    s.env["WIN32HOST_SCRIPT"] = run.script.string();
    s.env["WIN32HOST_TRANSCRIPT"] = run.transcript.string();
    run.pid = start(s);
}

// What a run showed, in short (its message boxes but the confirmation, its
// restart, its completion dialog), or its faults.
std::string check_program(const ProgramRun &run, const std::string &name, std::vector<std::string> &problems) {
    if (!exited_with(run.status, 1) || !testrun::read_file(run.err).empty())
        problems.push_back(name + ": " + describe(run.status) + ": " + testrun::read_file(run.err));
    testrun::Events events;
    try {
        events = testrun::parse_transcript(testrun::read_file(run.transcript));
    } catch (const std::exception &e) {
        problems.push_back(name + ": transcript not JSON: " + e.what());
    }
    std::string shown;
    for (const std::string &line : testrun::outline(events, {"error", "messagebox", "restart", "dialog"})) {
        if (line.rfind("error ", 0) == 0) problems.push_back(name + ": win32host stopped it: " + line.substr(6));
        if (line.rfind("box ", 0) == 0 && line.find("1722") != std::string::npos)
            problems.push_back(name + ": the spooler reported unavailable: " + line);
        bool confirmation = line.rfind("box  | Please confirm", 0) == 0;
        if (!confirmation && (line.rfind("dialog ", 0) != 0 || line == "dialog 604"))
            shown += " [" + line.substr(0, line.find("\r\n")) + "]";
    }
    return shown;
}

// The two runs of a pair, after an installing setup where the pair asks for
// one; what each showed and what the spooler then holds.
std::string run_pair(const Pair &p, const fs::path &dir, const fs::path &prefix, std::vector<std::string> &problems) {
    ProgramRun setup = files_of(dir, "setup", p.number), removal = files_of(dir, "removal", p.number);
    if (p.installed) {
        start_program(setup, prefix, p.winver, true);
        setup.status = wait_until(setup.pid, Clock::now() + std::chrono::seconds(60));
        check_program(setup, "installing setup", problems);
    }
    ProgramRun &first = p.removal_first ? removal : setup, &second = p.removal_first ? setup : removal;
    start_program(first, prefix, p.winver, &first == &setup || p.two_setups);
    std::this_thread::sleep_for(p.delay);
    start_program(second, prefix, p.winver, &second == &setup || p.two_setups);
    auto deadline = Clock::now() + std::chrono::seconds(60);
    setup.status = wait_until(setup.pid, deadline);
    removal.status = wait_until(removal.pid, deadline);
    std::string shown = "setup:" + check_program(setup, "setup", problems) + " / " + p.other() + ":" +
                        check_program(removal, p.other(), problems);
    ToolRun list = tool(prefix, p.winver, {"spooler", "list"});
    return shown + (list.out.find("\"Ordane Garnet\"") != std::string::npos ? " => installed" : " => none");
}

}  // namespace

int pairs(const Options &o) {
    std::printf("spooler_crash pairs: seed %lu (repeat: --seed %lu)\n", o.seed, o.seed);
    std::fflush(stdout);
    std::mt19937_64 random(o.seed);
    testrun::TempDir dir;
    for (const char *m : {"medium_setup", "medium_removal"})
        fs::copy(SETUPORDANE_MEDIUM, dir.path() / m, fs::copy_options::recursive);
    std::map<std::string, int> outcomes;
    auto started = Clock::now();
    for (long number = 1; number <= o.pairs; ++number) {
        Pair p = plan_pair(number, random);
        fs::path prefix = dir.path() / ("machine" + std::to_string(number));
        std::string context = context_of(p, o.seed);
        std::vector<std::string> problems;
        std::string shown = run_pair(p, dir.path(), prefix, problems);
        std::printf("%s: %s\n", context.c_str(), shown.c_str());
        ++outcomes[shown];
        if (!report(problems, context) || !report(check_store(prefix, p.winver), context)) return 1;
        fs::remove_all(prefix);
    }
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::printf("spooler_crash pairs: %ld pairs, %zu different outcomes, %.1f s, seed %lu\n", o.pairs, outcomes.size(),
                seconds, o.seed);
    return 0;
}

}  // namespace crash
