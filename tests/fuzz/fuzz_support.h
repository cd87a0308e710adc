// fuzz_support.h - what the libFuzzer targets share: the host configuration a
// test process uses (script front-end, virtual clock, a machine of its own in
// a temporary folder), and the check that reports a broken promise as a crash
// with the input that caused it.
#pragma once

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "host.h"

namespace fuzzsupport {

// A failed check aborts: libFuzzer saves the input and the run fails.
#define FUZZ_CHECK(condition, what)                                                         \
    do {                                                                                    \
        if (!(condition)) {                                                                 \
            std::fprintf(stderr, "fuzz check failed at %s:%d: %s\n", __FILE__, __LINE__, what); \
            std::abort();                                                                   \
        }                                                                                   \
    } while (0)

// The folder of this process's machine, made once and removed at exit. It
// is never destroyed: the removal at exit still reads it.
inline const std::string &scratch_folder() {
    static const std::string *const folder = [] {
        std::string path = (std::filesystem::temp_directory_path() / "setupordane-fuzz-XXXXXX").string();
        if (!mkdtemp(path.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratch_folder(), ec);
        });
        return new std::string(path);
    }();
    return *folder;
}

// An English user, the script front-end and the virtual clock, and the
// machine in the scratch folder, as the behaviour tests configure the host.
inline void configure_host() {
    w32h::Config cfg;
    cfg.prefix = scratch_folder() + "/machine";
    cfg.ui = w32h::UiMode::script;
    cfg.clock = w32h::ClockMode::virtual_;
    w32h::set_config(cfg);
}

}  // namespace fuzzsupport
