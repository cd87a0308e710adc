// test_shell.cpp - SetupOrdane run end to end over win32host through the
// script front-end: the syntax message, detection and confirmation in both
// languages, refusals, start-up failures and exit codes, and bad input.
#include <gtest/gtest.h>

#include "program_run.h"
#include "program_texts.h"

namespace {

using testrun::box_line;
using testrun::kSetupFailure;
using testrun::Lines;
using testrun::Result;

const char kCompleteSetupOn[] = "Please confirm complete setup of : Ordane Driver\r\non platform : ";

struct Options {
    std::vector<std::string> args;
    std::string script;
    std::map<std::string, std::string> env;
};

Result run_setup(const Options &o) {
    testrun::Run run;
    run.program = SETUPORDANE_EXE;
    run.folder = SETUPORDANE_MEDIUM;
    run.args = o.args;
    run.script = o.script;
    run.env = o.env;
    return testrun::run_program(run);
}

size_t characters(const std::string &utf8) {
    size_t n = 0;
    for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
    return n;
}

const char *kSyntaxEnglish =
    "\tSetupOrdane [/OS=version] [/UNINSTALL]\r\nor\tSetupOrdane [/OS=version] [/ONLYDELETEPRINTDEVICE]\r\nor\t"
    "SetupOrdane [/OS=version] [/ONLYADDPRINTDEVICE]\r\n\r\nwhere version can take following values :"
    "\r\n\tWIN95\r\n\tWIN98\r\n\tWINNT351\r\n\tWINNT40\r\n\tWINNT50\r\n\tWIN32S";

TEST(Syntax, AnUnknownOptionShowsTheSyntaxAndEndsWithOne) {
    Result r = run_setup({{"/UNINSTALL", "/X", "/OS=WIN95"}, "expect WINNT351\nok\n", {}});
    ASSERT_EQ(1, r.exit_code) << r.error_output;
    EXPECT_EQ((Lines{"title Ordane Driver setup", box_line("Command syntax", kSyntaxEnglish, "ok"), "exit 1"}),
              r.outline());
    auto boxes = r.of("messagebox");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(247u, characters(boxes[0]["text"].s));
    EXPECT_EQ("main", boxes[0]["owner"].s);
    EXPECT_EQ("ok", boxes[0]["buttons"].s);
}

TEST(Syntax, FrenchTextIs243Characters) {
    Result r = run_setup({{"\"/UNINSTALL\""}, "ok\n", {{"LANG", "fr_FR.UTF-8"}}});
    auto boxes = r.of("messagebox");
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ("Syntaxe de la commande", boxes[0]["caption"].s);
    EXPECT_EQ(243u, characters(boxes[0]["text"].s));
    EXPECT_NE(std::string::npos, boxes[0]["text"].s.find("o\xC3\xB9 version peut prendre les valeurs :\r\n\tWIN95"));
}

struct ConfirmCase {
    std::vector<std::string> args;
    const char *text;
};

TEST(Confirmation, EachModeAsksItsQuestionWithAnEmptyCaption) {
    const ConfirmCase cases[] = {
        {{"/OS=WINNT40"}, "Please confirm complete setup of : Ordane Driver\r\non platform : Windows NT 4.0"},
        {{"/os=win95", "/uninstall"},
         "Please confirm complete deletion of : Ordane Driver\r\non platform : Windows 95"},
        {{"/OS=WINNT351", "/ONLYDELETEPRINTDEVICE"},
         "Please confirm simple deletion of : Ordane Driver\r\non platform : Windows NT 3.51\r\n(print device deletion "
         "without delete files which are necessary to a future simple setup...)"},
        {{"/ONLYADDPRINTDEVICE", "/OS=WIN98"},
         "Please confirm simple setup of : Ordane Driver\r\non platform : Windows 98\r\n(use existing files to setup "
         "print device...)"},
    };
    for (const auto &c : cases) {
        Result r = run_setup({c.args, "no\n", {}});
        EXPECT_EQ(1, r.exit_code);
        EXPECT_EQ(Lines{box_line("", c.text, "no")}, r.outline({"messagebox"}));
        EXPECT_EQ("yesno", r.of("messagebox").at(0)["buttons"].s);
    }
}

TEST(Confirmation, FrenchLongestQuestionFitsWhole) {
    Result r = run_setup({{"/OS=WIN32S", "/ONLYDELETEPRINTDEVICE"}, "no\n", {{"LC_ALL", "fr_FR.UTF-8"}}});
    auto boxes = r.of("messagebox");
    ASSERT_EQ(1u, boxes.size());
    std::string text = boxes[0]["text"].s;
    EXPECT_EQ(212u, characters(text));
    EXPECT_EQ(0u, text.rfind("Confirmez la suppression simple de : Driver Ordane\r\nsur plateforme : Win32s sur "
                             "plateforme 16 bits\r\n",
                             0));
    EXPECT_NE(std::string::npos, text.find("n\xC3\xA9"
                                           "cessaires \xC3\xA0 la r\xC3\xA9installation simple...)"));
}

TEST(Confirmation, YesOnASupportedPlatformRunsTheOperationAndEndsWithOne) {
    Result r = run_setup({{"/OS=WINNT50"}, "yes\ncancel\n", {}});
    EXPECT_EQ(1, r.exit_code) << r.error_output;
    EXPECT_EQ((Lines{"title Ordane Driver setup", box_line("", std::string(kCompleteSetupOn) + "Windows 2000", "yes"),
                     "dialog 608 S\xC3\xA9lection du Port", "end 608=0", "exit 1"}),  // one template, French
              r.outline());
}

struct DetectCase {
    const char *winver;
    const char *name;
};

TEST(Detection, NamesTheDetectedPlatform) {
    const DetectCase cases[] = {{"win95", "Windows 95"},     {"win98", "Windows 98"},   {"nt40", "Windows NT 4.0"},
                                {"win2000", "Windows 2000"}, {"winxp", "Windows 2000"}, {"2.5.2", "Windows 2000"},
                                {"2.4.90", "Windows NT 4.0"}};
    for (const auto &c : cases) {
        Result r = run_setup({{}, "no\n", {{"WIN32HOST_WINVER", c.winver}}});
        EXPECT_EQ(Lines{box_line("", std::string(kCompleteSetupOn) + c.name, "no")}, r.outline({"messagebox"}))
            << c.winver;
    }
}

TEST(Detection, UnknownVersionsAreRefusedWithTheirNumbers) {
    const DetectCase cases[] = {{"winme", "(1 / 4.90)"},
                                {"nt351", "(2 / 3.51)"},
                                {"2.6.0", "(2 / 6.0)"},
                                {"1.4.3", "(1 / 4.3)"},
                                {"3.4.0", "(3 / 4.0)"}};
    for (const auto &c : cases) {
        Result r = run_setup({{"/UNINSTALL"}, "ok\n", {{"WIN32HOST_WINVER", c.winver}}});
        EXPECT_EQ(1, r.exit_code);
        EXPECT_EQ(Lines{box_line(kSetupFailure, std::string("Unknown Windows version ") + c.name + "...", "ok")},
                  r.outline({"messagebox"}))
            << c.winver;
        EXPECT_EQ("ok", r.of("messagebox").at(0)["buttons"].s);
    }
}

TEST(Detection, APlatformNamedOnTheCommandLineIsNotCompared) {
    Result r = run_setup({{"/OS=WINNT351"}, "no\n", {{"WIN32HOST_WINVER", "win95"}}});
    EXPECT_EQ(Lines{box_line("", std::string(kCompleteSetupOn) + "Windows NT 3.51", "no")}, r.outline({"messagebox"}));
}

TEST(Refusal, Win32sIsConfirmedThenRefused) {
    for (auto env :
         {std::map<std::string, std::string>{{"WIN32HOST_WINVER", "win32s"}}, std::map<std::string, std::string>{}}) {
        std::vector<std::string> args;
        if (env.empty()) args = {"/OS=WIN32S"};
        Result r = run_setup({args, "expect Win32s sur plateforme 16 bits\nyes\nok\n", env});
        EXPECT_EQ(1, r.exit_code) << r.error_output;
        ASSERT_EQ(2u, r.of("messagebox").size());
        EXPECT_EQ(box_line(kSetupFailure, "We don't work yet with this Windows version...", "ok"),
                  r.outline({"messagebox"})[1]);
        EXPECT_EQ("main", r.of("messagebox")[1]["owner"].s);
    }
}

struct FailureCase {
    const char *fail;
    std::vector<std::string> args;
    const char *text;
    const char *owner;
    int exit_code;
};

TEST(StartupFailure, EachFailureShowsItsMessageAndSetsTheExitCode) {
    const FailureCase cases[] = {
        {"RegisterClassA", {}, "Cannot create application class...", "none", 0},
        {"CreateWindowExA", {}, "Cannot create application window...", "none", 0},
        {"GlobalAlloc", {"/OS=WIN95"}, "Memory allocation failure...", "main", 0},
        {"GetVersionExA", {}, "Cannot get which Windows version is installed on this computer...", "main", 1},
    };
    for (const auto &c : cases) {
        Result r = run_setup({c.args, "ok\n", {{"WIN32HOST_FAIL", c.fail}}});
        EXPECT_EQ(c.exit_code, r.exit_code) << c.fail;
        EXPECT_EQ(Lines{box_line(kSetupFailure, c.text, "ok")}, r.outline({"messagebox"})) << c.fail;
        EXPECT_EQ(c.owner, r.of("messagebox").at(0)["owner"].s);
    }
}

TEST(StartupFailure, NoArgumentVectorIsNeededForAnEmptyTail) {
    Result r = run_setup({{}, "no\n", {{"WIN32HOST_FAIL", "GlobalAlloc"}}});
    EXPECT_EQ(1, r.exit_code);
    EXPECT_EQ("yesno", r.of("messagebox").at(0)["buttons"].s);
}

TEST(StartupFailure, WithoutTheTimerTheWindowWaitsUntilClosed) {
    Result r = run_setup({{"/X"}, "expect Ordane Driver setup\nclose\n", {{"WIN32HOST_FAIL", "SetTimer"}}});
    EXPECT_EQ(1, r.exit_code) << r.error_output;
    EXPECT_TRUE(r.of("messagebox").empty());
}

TEST(CommandLine, TheProgramNameIsCutByWindowsRule) {
    struct Case {
        const char *line;
        const char *expected_caption;
    } cases[] = {{"\"C:\\Program Files\\SetupOrdane.exe\" /X", "Command syntax"},
                 {"\"a b\"/X", "Command syntax"},
                 {"SetupOrdane.exe/X", ""},
                 {"SetupOrdane.exe \x01\x02 /X", "Command syntax"},
                 {"", ""}};
    for (const auto &c : cases) {
        Result r = run_setup({{}, "key enter\n", {{"WIN32HOST_CMDLINE", c.line}}});
        ASSERT_FALSE(r.of("messagebox").empty()) << c.line;
        EXPECT_EQ(c.expected_caption, r.of("messagebox")[0]["caption"].s) << c.line;
    }
}

TEST(MessageBoxKeys, EscapeDoesNothingInAYesNoBoxAndEnterAnswersItsFirstButton) {
    Result r = run_setup({{"/OS=WIN95"}, "key escape\nkey enter\n", {}});
    ASSERT_EQ(1u, r.of("messagebox").size());
    EXPECT_EQ("yes", r.of("messagebox")[0]["answer"].s);
    Result ok = run_setup({{"/X"}, "key escape\n", {}});
    EXPECT_EQ("ok", ok.of("messagebox").at(0)["answer"].s);
    Result tabbed = run_setup({{"/OS=WIN95"}, "key tab; key enter\n", {}});
    EXPECT_EQ("no", tabbed.of("messagebox").at(0)["answer"].s);
}

TEST(BadInput, ARandomCommandTailDoesNotCrash) {
    std::string line = "SetupOrdane ";
    uint32_t seed = 2026;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        line += static_cast<char>(1 + (seed >> 24) % 255);
    }
    Result r = run_setup({{}, "ok\nno\nok\n", {{"WIN32HOST_CMDLINE", line}}});
    EXPECT_EQ(1, r.exit_code) << r.error_output;
    EXPECT_FALSE(r.of("messagebox").empty());
}

TEST(BadInput, HostConfigurationErrorsExitWithThreeAndOneLine) {
    const std::map<std::string, std::string> envs[] = {
        {{"WIN32HOST_WINVER", "win11"}},       {{"WIN32HOST_WINVER", "2.5"}},
        {{"WIN32HOST_WINVER", "2.5.-1"}},      {{"WIN32HOST_UI", "gui"}},
        {{"WIN32HOST_CLOCK", "fast"}},         {{"WIN32HOST_FAIL", "NoSuchFunction"}},
        {{"WIN32HOST_FAIL", "GlobalAlloc#0"}}, {{"WIN32HOST_SCREEN", "1024"}}};
    for (const auto &env : envs) {
        Result r = run_setup({{}, "no\n", env});
        EXPECT_EQ(3, r.exit_code) << env.begin()->second;
        EXPECT_EQ(1, std::count(r.error_output.begin(), r.error_output.end(), '\n')) << r.error_output;
        EXPECT_NE(std::string::npos, r.error_output.find(env.begin()->first)) << r.error_output;
        EXPECT_TRUE(r.of("messagebox").empty());
    }
}

TEST(BadInput, AMalformedScriptFailsBeforeAnythingRuns) {
    for (const char *script : {"no\nfrob\n", "press x\n", "key f1\n", "select\n", "yes please\n"}) {
        Result r = run_setup({{}, script, {}});
        EXPECT_EQ(3, r.exit_code) << script;
        EXPECT_TRUE(r.of("title").empty()) << script;
        EXPECT_NE(std::string::npos, r.error_output.find("line")) << r.error_output;
    }
}

TEST(BadInput, AScriptThatRunsOutNamesWhatWaits) {
    Result r = run_setup({{"/X"}, "# only a comment\n\n", {}});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_NE(std::string::npos, r.error_output.find("message box \"Command syntax\"")) << r.error_output;
    EXPECT_EQ(1, std::count(r.error_output.begin(), r.error_output.end(), '\n'));
    EXPECT_EQ(3, r.of("exit").at(0)["code"].n);
}

TEST(BadInput, AFailedExpectationStopsTheRun) {
    Result r = run_setup({{"/X"}, "expect Windows 95\nok\n", {}});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_NE(std::string::npos, r.error_output.find("expected \"Windows 95\"")) << r.error_output;
}

TEST(BadInput, AnswersThatTheBoxDoesNotOfferAreErrors) {
    Result r = run_setup({{"/X"}, "yes\n", {}});
    EXPECT_EQ(3, r.exit_code);
    EXPECT_NE(std::string::npos, r.error_output.find("no button 6")) << r.error_output;
}

}  // namespace
