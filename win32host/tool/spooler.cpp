// spooler.cpp - the `win32host spooler` commands: list the print spooler's
// ports, drivers, printers and forms as JSON, and add or remove ports and
// forms, so that people and tests can see and prepare the spooler of a prefix.
// Arguments and output are UTF-8; the store keeps the program's code page.
#include "tool.h"

#include <winspool.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "api.h"
#include "machine.h"
#include "spooler_store.h"

namespace w32h::tool {
namespace {

std::string quoted(const std::string &ansi) { return json_quoted(ansi); }
std::string quoted(const std::optional<std::string> &ansi) { return ansi ? json_quoted(*ansi) : "null"; }

template <class T, class Each>
std::string array(const std::vector<T> &items, Each each) {
    std::string out = "[";
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + each(items[i]);
    return out + "]";
}

std::string listing(spool::Transaction &t) {
    std::string ports = array(t.ports(), [](const spool::Port &p) {
        return "{\"name\":" + quoted(p.name) + ",\"description\":" + quoted(p.description) + "}";
    });
    std::string drivers = array(t.drivers(), [](const spool::Driver &d) {
        return "{\"name\":" + quoted(d.name) + ",\"environment\":" + quoted(d.environment) +
               ",\"version\":" + std::to_string(d.version) + ",\"driver\":" + quoted(d.driver) +
               ",\"data\":" + quoted(d.data) + ",\"config\":" + quoted(d.config) + ",\"help\":" + quoted(d.help) +
               ",\"dependent\":" + array(d.dependent, [](const std::string &f) { return quoted(f); }) +
               ",\"datatype\":" + quoted(d.datatype) + "}";
    });
    std::string printers = array(t.printers(), [](const spool::Printer &p) {
        return "{\"name\":" + quoted(p.name) + ",\"port\":" + quoted(p.port) + ",\"driver\":" + quoted(p.driver) +
               ",\"comment\":" + quoted(p.comment) + ",\"processor\":" + quoted(p.processor) +
               ",\"datatype\":" + quoted(p.datatype) + ",\"attributes\":" + std::to_string(p.attributes) +
               ",\"share\":" + quoted(p.share) + "}";
    });
    std::string forms = array(t.forms(), [](const spool::Form &f) {
        return "{\"name\":" + quoted(f.name) + ",\"width\":" + std::to_string(f.width) +
               ",\"height\":" + std::to_string(f.height) + "}";
    });
    return "{\"ports\":" + ports + ",\"drivers\":" + drivers + ",\"printers\":" + printers + ",\"forms\":" + forms +
           "}";
}

bool parse_size(const std::string &text, LONG &out) {
    char *end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || value <= 0 || value > 0x7FFFFFFF) return false;
    out = static_cast<LONG>(value);
    return true;
}

// Reading makes nothing: neither the machine nor its store.
int list() {
    if (!machine_exists("spooler")) return 1;
    spool::Transaction t{spool::Transaction::ExistingOnly{}};
    print_json(listing(t));
    return 0;
}

// One subcommand that changes the store, on one transaction; the text of a
// refusal, or empty.
std::string change(const std::vector<std::string> &args, spool::Transaction &t) {
    const std::string &verb = args[0];
    auto arg = [&](size_t i) { return utf8_to_cp1252(args[i]); };
    if (verb == "add-port" && args.size() == 3) {
        if (arg(1).empty() || arg(1).find(',') != std::string::npos) return "a port name is not empty and has no ','";
        if (t.port(arg(1))) return "port '" + args[1] + "' exists";
        t.add_port({arg(1), arg(2), "Local Port"});
    } else if (verb == "remove-port" && args.size() == 2) {
        if (!t.port(arg(1))) return "no port '" + args[1] + "'";
        for (const auto &p : t.printers())
            for (size_t start = 0; start <= p.port.size();) {
                size_t end = p.port.find(',', start);
                if (end == std::string::npos) end = p.port.size();
                if (upper_case_name(p.port.substr(start, end - start)) == upper_case_name(arg(1)))
                    return "printer '" + cp1252_to_utf8(p.name) + "' uses port '" + args[1] + "'";
                start = end + 1;
            }
        t.remove_port(arg(1));
    } else if (verb == "add-form" && args.size() == 4) {
        spool::Form f;
        f.name = arg(1);
        if (f.name.empty()) return "a form has a name";
        if (!parse_size(args[2], f.width) || !parse_size(args[3], f.height))
            return "width and height are positive whole thousandths of a millimetre";
        if (t.form(f.name)) return "form '" + args[1] + "' exists";
        f.flags = FORM_USER;
        f.right = f.width;
        f.bottom = f.height;
        t.add_form(f);
    } else if (verb == "remove-form" && args.size() == 2) {
        if (!t.form(arg(1))) return "no form '" + args[1] + "'";
        t.remove_form(arg(1));
    } else {
        return usage_of(spooler_command);
    }
    t.commit();
    return {};
}

int spooler(const std::vector<std::string> &args) {
    if (args.empty()) return report_failure("spooler", usage_of(spooler_command));
    try {
        if (args[0] == "list" && args.size() == 1) return list();
        spool::Transaction t;
        std::string refusal = change(args, t);
        if (!refusal.empty()) return report_failure("spooler", refusal);
        return 0;
    } catch (const Win32Failure &f) {
        return report_failure("spooler",
                              "the spooler store in the prefix cannot be used (error " + std::to_string(f.error) + ")");
    }
}

constexpr Usage spooler_usages[] = {
    {"list", "print the ports, drivers, printers and forms as JSON"},
    {"add-port NAME DESCRIPTION", "add a port"},
    {"remove-port NAME", "remove a port that no printer uses"},
    {"add-form NAME WIDTH HEIGHT", "add a form, sizes in thousandths of a millimetre"},
    {"remove-form NAME", "remove a form"},
};

}  // namespace

const Command spooler_command{"spooler", spooler_usages, spooler};

}  // namespace w32h::tool
