// transcript.cpp - the run's transcript: JSON Lines in UTF-8, one object per
// event (main window title, message boxes with their answers, dialogs as first
// shown and as ended, host errors, the exit code), flushed as written so that
// a reader sees every event even when the run is stopped.
#include "frontend.h"
#include "window_model.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace w32h {
namespace {

FILE *out = nullptr;

std::string json_string(const std::string &utf8) {
    std::string s = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"':
            s += "\\\"";
            break;
        case '\\':
            s += "\\\\";
            break;
        case '\r':
            s += "\\r";
            break;
        case '\n':
            s += "\\n";
            break;
        case '\t':
            s += "\\t";
            break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                s += buf;
            } else {
                s += static_cast<char>(c);
            }
        }
    }
    return s + "\"";
}

// One event: its fields, then "t", the clock's time in milliseconds since
// the start, last so that readers matching the fields' order still match.
void emit(const std::string &object) {
    if (!out) return;
    std::string line = object.substr(0, object.size() - 1) + ",\"t\":" + std::to_string(clock_now()) + "}";
    std::fputs(line.c_str(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

std::string template_of(HWND dialog) {
    DialogState *d = dialog_state(dialog);
    if (d && d->template_id) return std::to_string(*d->template_id);
    return json_quoted(d ? d->template_name : "");
}

std::string window_text(HWND hwnd) {
    Window *w = find_window(hwnd);
    return w ? w->text : "";
}

std::string progress_field(std::pair<int, int> p) {
    return ",\"progress\":[" + std::to_string(p.first) + "," + std::to_string(p.second) + "]";
}

std::string control_json(HWND ctl) {
    Window *w = find_window(ctl);
    std::string s = "{\"id\":" + std::to_string(static_cast<WORD>(w->id)) + ",\"class\":" + json_quoted(w->cls->name) +
                    ",\"text\":" + json_quoted(w->text) + ",\"style\":" + std::to_string(w->style) +
                    ",\"focus\":" + (GetFocus() == ctl ? "true" : "false");
    if (auto icon = static_icon_id(ctl)) s += ",\"icon\":" + std::to_string(*icon);
    if (auto items = listbox_items(ctl)) {
        s += ",\"items\":[";
        for (size_t i = 0; i < items->size(); ++i) s += (i ? "," : "") + json_quoted((*items)[i]);
        s += "],\"selection\":" + std::to_string(listbox_selection(ctl));
    }
    if (auto p = progress_state(ctl)) s += progress_field(*p);
    return s + "}";
}

std::optional<std::pair<int, int>> first_progress(HWND dialog) {
    Window *w = find_window(dialog);
    for (HWND child : w ? w->children : std::vector<HWND>{})
        if (auto p = progress_state(child)) return p;
    return std::nullopt;
}

const char *buttons_name(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK:
        return "ok";
    case MB_OKCANCEL:
        return "okcancel";
    case MB_ABORTRETRYIGNORE:
        return "abortretryignore";
    case MB_YESNOCANCEL:
        return "yesnocancel";
    case MB_YESNO:
        return "yesno";
    default:
        return "retrycancel";
    }
}

const char *answer_name(int answer) {
    switch (answer) {
    case IDOK:
        return "ok";
    case IDCANCEL:
        return "cancel";
    case IDABORT:
        return "abort";
    case IDRETRY:
        return "retry";
    case IDIGNORE:
        return "ignore";
    case IDYES:
        return "yes";
    case IDNO:
        return "no";
    default:
        return "none";
    }
}

}  // namespace

std::string json_quoted(const std::string &ansi) { return json_string(cp1252_to_utf8(ansi)); }

void transcript_open(const Config &cfg) {
    if (!cfg.transcript_path) return;
    if (*cfg.transcript_path == "-") {
        out = stdout;
        return;
    }
    out = std::fopen(cfg.transcript_path->c_str(), "w");
    if (!out) host_error("cannot write the transcript to " + *cfg.transcript_path + ": " + std::strerror(errno));
}

void transcript_title(const std::string &ansi) { emit("{\"event\":\"title\",\"text\":" + json_quoted(ansi) + "}"); }

void transcript_messagebox(HWND owner, const std::string &caption, const std::string &text, UINT type, int answer) {
    emit("{\"event\":\"messagebox\",\"owner\":" + json_quoted(window_label(owner)) + ",\"caption\":" + json_quoted(caption) +
         ",\"text\":" + json_quoted(text) + ",\"buttons\":\"" + buttons_name(type) + "\",\"answer\":\"" +
         answer_name(answer) + "\"}");
}

void transcript_dialog_shown(HWND dialog) {
    if (!out) return;
    std::string controls;
    Window *w = find_window(dialog);
    for (HWND child : w->children) controls += (controls.empty() ? "" : ",") + control_json(child);
    RECT r{};
    GetWindowRect(dialog, &r);
    emit("{\"event\":\"dialog\",\"template\":" + template_of(dialog) + ",\"title\":" + json_quoted(window_text(dialog)) +
         ",\"controls\":[" + controls + "],\"x\":" + std::to_string(r.left) + ",\"y\":" + std::to_string(r.top) + "}");
}

void transcript_dialog_ended(HWND dialog, INT_PTR result) {
    std::string s =
        "{\"event\":\"enddialog\",\"template\":" + template_of(dialog) + ",\"result\":" + std::to_string(result);
    if (auto p = first_progress(dialog)) s += progress_field(*p);
    emit(s + "}");
}

void transcript_error(const std::string &reason) { emit("{\"event\":\"error\",\"text\":" + json_string(reason) + "}"); }

void transcript_restart(const char *method) {
    emit("{\"event\":\"restart\",\"method\":" + json_string(method) + "}");
}

void transcript_exit(int code) {
    emit("{\"event\":\"exit\",\"code\":" + std::to_string(code) + "}");
    transcript_close();
}

void transcript_close() {
    if (out && out != stdout) std::fclose(out);
    out = nullptr;
}

}  // namespace w32h
