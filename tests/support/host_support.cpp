// host_support.cpp - the test environment of every test that calls win32host
// in its own process: an English user, the virtual clock and a 1024x768
// screen, whatever the terminal or the locale of the person running them; and
// the check after each test that it left nothing running, then a host reset.
#include "host_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "program_run.h"

namespace hosttest {
namespace {

// A machine of the test process's own, so that file tests never touch a
// person's prefix; made once, removed at the end.
const std::string &test_folder() {
    static const std::string folder = [] {
        std::string path = (std::filesystem::temp_directory_path() / "host-tests-XXXXXX").string();
        return mkdtemp(path.data()) ? path : std::string();
    }();
    return folder;
}

// What every test starts from: an English user, the script front-end, the
// virtual clock, the test process's machine, and Windows 2000 unless
// HOST_TESTS_WINVER names another (the suites that state each version's rows).
void apply_test_configuration() {
    w32h::Config cfg;
    if (!test_folder().empty()) cfg.prefix = test_folder() + "/machine";
    if (const char *winver = std::getenv("HOST_TESTS_WINVER"))
        if (auto version = w32h::parse_windows_version(winver)) cfg.winver = *version;
    cfg.ui = w32h::UiMode::script;
    cfg.clock = w32h::ClockMode::virtual_;
    w32h::set_config(cfg);
}

class HostEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        apply_test_configuration();
        InitCommonControls();  // as every program with a progress bar does
    }
    void TearDown() override {
        std::error_code ec;
        if (!test_folder().empty()) std::filesystem::remove_all(test_folder(), ec);
    }
};

// Fails a test that leaves windows, posted messages or timers behind, then
// returns the host to a fresh process's state, so that every test sees the
// same host whatever ran before it, in any order.
class HostStateCheck : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo &) override {
        std::string left = w32h::host_leftovers();
        if (!left.empty()) ADD_FAILURE() << "the test left behind\n" << left;
        w32h::reset_host();
        apply_test_configuration();
    }
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

const bool check_installed = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new HostStateCheck);
    return true;
}();

}  // namespace

Transcript::Transcript() {
    path_ = std::filesystem::temp_directory_path() / ("host-transcript-" + std::to_string(getpid()) + ".jsonl");
    w32h::Config cfg = w32h::config();
    cfg.transcript_path = path_.string();
    w32h::transcript_open(cfg);
}

Transcript::~Transcript() {
    if (!closed_) w32h::transcript_exit(0);
    std::filesystem::remove(path_);
}

const testrun::Events &Transcript::events() {
    if (closed_) return events_;
    w32h::transcript_exit(0);
    closed_ = true;
    events_ = testrun::parse_transcript(testrun::read_file(path_));
    return events_;
}

}  // namespace hosttest
