// answers_script.cpp - fuzzes the answers-script parser of the script
// front-end (WIN32HOST_UI=script). A script is either refused with one reason
// naming its source and a line it has, or read into actions that each come
// from a line of it, in order, with the arguments the actions need.
#include <string>

#include "frontend.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    fuzzsupport::configure_host();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string script(reinterpret_cast<const char *>(data), size);
    size_t line_count = 1;
    for (char c : script) line_count += c == '\n';

    std::string error;
    const auto lines = w32h::parse_answers_script(script, "fuzz.answers", error);
    if (!error.empty()) {
        FUZZ_CHECK(lines.empty(), "a refused script has no actions");
        const std::string head = "fuzz.answers line ";
        FUZZ_CHECK(error.compare(0, head.size(), head) == 0, "the reason names the script and a line");
        const size_t number = std::stoul(error.substr(head.size()));
        FUZZ_CHECK(number >= 1 && number <= line_count, "the line named is one of the script's");
        return 0;
    }
    size_t previous = 0;
    for (const auto &actions : lines) {
        FUZZ_CHECK(!actions.empty(), "only lines with actions are kept");
        const size_t number = actions.front().line;
        FUZZ_CHECK(number > previous && number <= line_count, "lines keep their order and numbers");
        previous = number;
        for (const w32h::ScriptAction &a : actions) {
            FUZZ_CHECK(a.line == number, "the actions of a line carry its number");
            if (a.kind == w32h::ScriptAction::press) FUZZ_CHECK(a.id >= 0 && a.id <= 0xFFFF, "a control number is a word");
            if (a.kind == w32h::ScriptAction::select || a.kind == w32h::ScriptAction::expect) {
                FUZZ_CHECK(!a.text.empty(), "select and expect have a text");
                FUZZ_CHECK(a.text.find_first_of(";\n") == std::string::npos, "a text ends at ';' and the line's end");
                FUZZ_CHECK(a.text.front() != ' ' && a.text.back() != ' ', "a text is trimmed");
            }
        }
    }
    // The front-end over the same script starts as the parser said it would
    // (a refused script would end the process).
    w32h::make_script_frontend(script, "fuzz.answers");
    return 0;
}
