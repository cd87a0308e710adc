// transcript.h - the one way the tests read win32host's transcript: its JSON
// lines as events, and a run told in short, one line per event, which a test
// compares with the lines it expects; what the lines leave out (a dialog's
// controls, a progress bar) is read from the events themselves.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "json.h"

namespace testrun {

using Events = std::vector<testjson::Value>;
using Lines = std::vector<std::string>;
using Kinds = std::initializer_list<const char *>;

// The events of a transcript's text; a line that is not JSON throws.
inline Events parse_transcript(const std::string &text) {
    Events out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) out.push_back(testjson::parse(line));
    return out;
}

// The events of the kinds named, in order; every event when none is named.
inline Events events_of(const Events &events, Kinds kinds = {}) {
    Events out;
    for (const auto &e : events)
        if (kinds.size() == 0 || std::find(kinds.begin(), kinds.end(), e["event"].s) != kinds.end()) out.push_back(e);
    return out;
}

inline std::string box_line(const std::string &caption, const std::string &text, const std::string &answer) {
    return "box " + caption + " | " + text + " -> " + answer;
}

inline std::string dialog_line(long long id, const std::string &title) {
    return "dialog " + std::to_string(id) + (title.empty() ? "" : " " + title);
}

// One event in short: "title TEXT", "box CAPTION | TEXT -> ANSWER", "dialog
// TEMPLATE TITLE", "end TEMPLATE=RESULT", "restart METHOD", "exit CODE",
// "error TEXT". Texts stay whole, line breaks included.
inline std::string outline_of(const testjson::Value &e) {
    const std::string &kind = e["event"].s;
    if (kind == "messagebox") return box_line(e["caption"].s, e["text"].s, e["answer"].s);
    if (kind == "dialog") return dialog_line(e["template"].n, e["title"].s);
    if (kind == "enddialog") return "end " + std::to_string(e["template"].n) + "=" + std::to_string(e["result"].n);
    if (kind == "restart") return "restart " + e["method"].s;
    if (kind == "exit") return "exit " + std::to_string(e["code"].n);
    return kind + " " + e["text"].s;
}

// A run in short: one line per event of the kinds named (all when none).
inline Lines outline(const Events &events, Kinds kinds = {}) {
    Lines out;
    for (const auto &e : events_of(events, kinds)) out.push_back(outline_of(e));
    return out;
}

// The first time a dialog of that template was shown; nullptr when never.
inline const testjson::Value *shown_dialog(const Events &events, long long id) {
    for (const auto &e : events)
        if (e["event"].s == "dialog" && e["template"].n == id) return &e;
    return nullptr;
}

// A dialog event's control of that identifier; an empty value when none.
inline const testjson::Value &control_of(const testjson::Value &dialog, long long id) {
    static const testjson::Value none;
    for (const auto &c : dialog["controls"].items)
        if (c["id"].n == id) return c;
    return none;
}

// The progress [POS, MAX] an enddialog event reports; {-1, -1} without one.
inline std::pair<long long, long long> progress_of(const testjson::Value &e) {
    if (e["progress"].items.size() != 2) return {-1, -1};
    return {e["progress"][0].n, e["progress"][1].n};
}

}  // namespace testrun
