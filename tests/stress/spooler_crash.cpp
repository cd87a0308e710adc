// spooler_crash.cpp - crash safety of win32host's spooler store, its command
// line: the kills of a spooler-writing worker (kills.cpp), SetupOrdane's setup
// and deletion at once on one prefix (pairs.cpp), the check of a prefix's store
// and the check's self-test (store_check.cpp).
#include <cstdio>
#include <cstdlib>

#include "spooler_crash.h"

namespace crash {

std::string self_path;

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
