// test_fault_matrix.cpp - every Win32 call that SetupOrdane makes in a run made
// to fail in turn, on a detected Windows 2000 and a Windows 98 machine holding
// an earlier installation and the user's files: each run must end on its
// answers, show that failure's message (fault_sites.cpp says which), exit with
// the right code, and keep every user file or its backup.
#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "fault_sites.h"

namespace faults {
namespace {

using testrun::Result;

// What the user had in the target folder before the run: each file of the
// list with content of its own (two copy blocks long), and one file the
// program has nothing to do with.
const char kUnrelated[] = "notes.txt";
std::string user_content(const std::string &name) {
    std::string text;
    while (text.size() < 1500) text += "the user's own " + name + ", kept through any failure\n";
    return text;
}

std::string backup_name(const std::string &file) { return fs::path(file).replace_extension(".bku").string(); }

// ---- the message boxes, against the program's string table ----

// The outline line a box must have: "%lu" in its text stands for a decimal
// number; id 0 is the confirmation (empty caption, "Please confirm ...").
std::regex line_pattern(const Box &box) {
    auto escaped = [](const std::string &text) {
        std::string out;
        for (char c : text)
            out += std::isalnum(static_cast<unsigned char>(c)) || c == ' ' ? std::string(1, c) : std::string("\\") + c;
        return out;
    };
    std::string text = box.id ? escaped(kTexts.at(box.id)) : "Please confirm[\\s\\S]*";
    text = std::regex_replace(text, std::regex("\\\\%lu"), "[0-9]+");
    return std::regex(escaped("box " + box.caption + " | ") + text + escaped(" -> " + box.answer));
}

std::string describe(const Box &box) {
    return testrun::box_line(box.caption, box.id ? kTexts.at(box.id) : "Please confirm...", box.answer);
}

// A string that could not be loaded (LoadStringA made to fail) leaves a text
// or a caption empty, and nothing else.
bool blank(const testjson::Value &box) { return box["text"].s.empty() || box["caption"].s.empty(); }

void expect_boxes(const Result &r, const std::vector<Box> &expected, bool may_be_blank, const std::string &context) {
    testrun::Events shown = r.of("messagebox");
    bool same = shown.size() == expected.size();
    for (size_t i = 0; same && i < shown.size(); ++i)
        same = std::regex_match(testrun::outline_of(shown[i]), line_pattern(expected[i])) ||
               (may_be_blank && blank(shown[i]));
    if (same) return;
    std::string want, got;
    for (const auto &b : expected) want += "  " + describe(b) + "\n";
    for (const auto &line : testrun::outline(shown)) got += "  " + line + "\n";
    ADD_FAILURE() << context << ": message boxes\nexpected:\n" << want << "shown:\n" << got;
}

// ---- one scenario: learn its calls, then fail each ----

// A long scenario is cut into parts (every part-th call), so that ctest can
// run them side by side.
struct Scenario {
    const char *label;
    Mode mode;
    const Row *row;
    size_t part = 0;
    size_t parts = 1;
};

void PrintTo(const Scenario &s, std::ostream *os) { *os << s.label; }

class FaultMatrix : public ::testing::TestWithParam<Scenario> {
protected:
    const Scenario &scenario() const { return GetParam(); }
    const Row &row() const { return *GetParam().row; }

    // A machine that holds an earlier complete setup, then the user's files.
    void SetUp() override {
        machine_ = std::make_unique<testrun::ProgramMachine>(row().winver, row().os);
        machine_->timeout_seconds = 30;  // a run that hangs must not stall the matrix
        Result installed = machine_->run(kCompleteSetup, "yes\nselect LPT1:;ok\nok\n");
        ASSERT_EQ(1, installed.exit_code) << installed.error_output;
        fs::path folder = machine_->driver_folder();
        for (const auto &f : row().files) std::ofstream(folder / f, std::ios::binary) << user_content(f);
        std::ofstream(folder / kUnrelated, std::ios::binary) << user_content(kUnrelated);
    }

    // A copy of the installed machine for one case.
    fs::path fresh_copy() {
        fs::path prefix = machine_->folder() / "case";
        fs::remove_all(prefix);
        fs::copy(machine_->prefix(), prefix, fs::copy_options::recursive);
        return prefix;
    }

    Result run(const fs::path &prefix, const Expected &e, std::map<std::string, std::string> env) {
        std::string script;
        for (const auto &line : e.script) script += line + "\n";
        env["WIN32HOST_PREFIX"] = prefix.string();
        return machine_->run(scenario().mode, script, env);
    }

    std::string medium_file(const std::string &name) const {
        return testrun::read_file(machine_->medium() / (row().nt ? "Nt4.0" : "Win95-98") / name);
    }

    // The run without a fault, which lists the calls that can be made to fail.
    void learn_calls(std::vector<Call> &trace) {
        fs::path calls = machine_->folder() / "calls.txt";
        Result r =
            run(fresh_copy(), expect(Fault{}, scenario().mode, row(), true), {{"WIN32HOST_CALLS", calls.string()}});
        ASSERT_EQ(1, r.exit_code) << r.error_output << r.transcript;
        trace = read_calls(calls);
        ASSERT_FALSE(trace.empty());
    }

    // One run with a failing call, answering Yes or No to a continue-or-stop
    // question, checked from its exit to the user's files.
    void run_case(const std::string &fail, const Fault &fault, bool yes) {
        Expected e = expect(fault, scenario().mode, row(), yes);
        fs::path prefix = fresh_copy();
        Result r = run(prefix, e, {{"WIN32HOST_FAIL", fail}});
        std::string context = std::string(scenario().label) + ", " + fail + (yes ? "" : ", answered No");
        ++cases_;
        EXPECT_EQ(e.exit_code, r.exit_code) << context;
        // No sanitizer report, no host error (an answer missing or not offered).
        EXPECT_EQ("", r.error_output.substr(0, 600)) << context;
        expect_boxes(r, e.boxes, fail.rfind("LoadStringA", 0) == 0, context);
        EXPECT_EQ(e.final_dialog != 0, testrun::shown_dialog(r.events, e.final_dialog) != nullptr)
            << context << ": dialog " << e.final_dialog;
        EXPECT_EQ(e.restart, !r.of("restart").empty()) << context;
        check_user_files(machine_->driver_folder(prefix), fault, yes, context);
        check_temporary_files(machine_->driver_folder(prefix), fail, context);
    }

    // Every file the user had is still there, or backed up whole; none is
    // half written. Only Yes after a failed backup lets the install copy
    // replace a file that has no backup.
    void check_user_files(const fs::path &folder, const Fault &fault, bool yes, const std::string &context) {
        for (const auto &f : row().files) {
            std::string before = user_content(f), now = read_if_there(folder / f);
            std::string backup = testrun::read_file(folder / backup_name(f));
            // Where the target was deleted and the rename that follows failed
            // (Windows 95 and 98), the backup's whole content may lie under its temporary name.
            if (backup != before) backup = testrun::read_file(folder / (backup_name(f) + ".new"));
            bool removed_by_design =
                scenario().mode == kCompleteDeletion && !fs::exists(folder / f) &&
                (std::count(row().removed.begin(), row().removed.end(), f) || (!row().nt && f == row().data_file));
            bool replaced_by_answer = fault.site == Site::copy && fault.backup && yes && f == row().files[fault.file] &&
                                      now == medium_file(f);
            EXPECT_TRUE(now == before || backup == before || removed_by_design || replaced_by_answer)
                << context << ": " << f << " lost";
            bool whole = !fs::exists(folder / f) || now == before || now == medium_file(f);
            EXPECT_TRUE(whole) << context << ": " << f << " half written";
        }
        EXPECT_EQ(user_content(kUnrelated), read_if_there(folder / kUnrelated)) << context << ": " << kUnrelated;
    }

    static std::string read_if_there(const fs::path &file) { return fs::exists(file) ? testrun::read_file(file) : ""; }

    // No temporary copy is left, but where a failed rename leaves the new
    // content whole under its temporary name.
    void check_temporary_files(const fs::path &folder, const std::string &fail, const std::string &context) {
        bool rename_failed = fail.rfind("MoveFileA", 0) == 0;
        for (const auto &entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() != ".new") continue;
            EXPECT_TRUE(rename_failed) << context << ": " << entry.path().filename() << " left";
            EXPECT_TRUE(holds_whole_content(entry.path()))
                << context << ": " << entry.path().filename() << " not whole";
        }
    }

    // A temporary file left by a failed rename holds a file of the medium, or
    // the backup of the user's file.
    bool holds_whole_content(const fs::path &temporary) {
        std::string name = temporary.stem().string(), kept = testrun::read_file(temporary);
        for (const auto &f : row().files)
            if (name == f ? kept == medium_file(f) : name == backup_name(f) && kept == user_content(f)) return true;
        return false;
    }

    std::unique_ptr<testrun::ProgramMachine> machine_;
    int cases_ = 0;
};

TEST_P(FaultMatrix, EveryCallFailedInTurn) {
    const Scenario &s = scenario();
    std::vector<Call> trace;
    ASSERT_NO_FATAL_FAILURE(learn_calls(trace));
    for (size_t i = s.part; i < trace.size(); i += s.parts) {
        const Call &c = trace[i];
        Fault fault = site_of(trace, i, s.mode, row());
        std::string fail = c.function + "#" + std::to_string(c.n);
        run_case(fail, fault, true);
        if (fault.site == Site::copy) run_case(fail, fault, false);             // No to the question stops the setup
        if (c.function == "WriteFile") run_case(fail + "=short", fault, true);  // a disk that fills up part way
        if (HasFatalFailure()) return;
    }
    RecordProperty("cases", cases_);
    std::printf("%s: %zu calls in the run, %d runs with a fault\n", s.label, trace.size(), cases_);
}

const Scenario kScenarios[] = {
    {"CompleteSetupOnWindows2000Part1", kCompleteSetup, &kWindows2000, 0, 3},
    {"CompleteSetupOnWindows2000Part2", kCompleteSetup, &kWindows2000, 1, 3},
    {"CompleteSetupOnWindows2000Part3", kCompleteSetup, &kWindows2000, 2, 3},
    {"SimpleSetupOnWindows2000", kSimpleSetup, &kWindows2000},
    {"CompleteDeletionOnWindows2000", kCompleteDeletion, &kWindows2000},
    {"SimpleDeletionOnWindows2000", kSimpleDeletion, &kWindows2000},
    {"CompleteSetupOnWindows98Part1", kCompleteSetup, &kWindows98, 0, 2},
    {"CompleteSetupOnWindows98Part2", kCompleteSetup, &kWindows98, 1, 2},
    {"SimpleSetupOnWindows98", kSimpleSetup, &kWindows98},
    {"CompleteDeletionOnWindows98", kCompleteDeletion, &kWindows98},
    {"SimpleDeletionOnWindows98", kSimpleDeletion, &kWindows98},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrix, ::testing::ValuesIn(kScenarios),
                         [](const auto &info) { return std::string(info.param.label); });

}  // namespace
}  // namespace faults
