// host_support.cpp - the test environment of win32host's behaviour tests: an
// English user, the virtual clock and a 1024x768 screen, whatever the
// terminal or the locale of the person running them.
#include "host_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include <fstream>
#include <sstream>

namespace hosttest {
namespace {

class HostEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        w32h::Config cfg;
        // A machine of its own, so that file tests never touch a person's prefix.
        std::string prefix = (std::filesystem::temp_directory_path() / "host-tests-XXXXXX").string();
        if (mkdtemp(prefix.data())) cfg.prefix = prefix + "/machine";
        prefix_ = prefix;
        cfg.ui = w32h::UiMode::script;
        cfg.clock = w32h::ClockMode::virtual_;
        w32h::set_config(cfg);
        InitCommonControls();  // as every program with a progress bar does
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(prefix_, ec);
    }

private:
    std::string prefix_;
};

const auto *const environment = ::testing::AddGlobalTestEnvironment(new HostEnvironment);

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

std::vector<testjson::Value> Transcript::events() {
    if (!closed_) w32h::transcript_exit(0);
    closed_ = true;
    std::ifstream in(path_);
    std::vector<testjson::Value> out;
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) out.push_back(testjson::parse(line));
    return out;
}

}  // namespace hosttest
