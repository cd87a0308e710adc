// tty_layout.cpp - the terminal front-end's layout arithmetic (tty_layout.h),
// free of curses so that tests pin it: dialog rectangles to character cells,
// texts wrapped and cut to a width, progress and scroll positions. The word
// wrapper also sizes message boxes, so a box is as wide as the terminal draws it.
#include "host.h"
#include "tty_layout.h"

#include <algorithm>
#include <optional>

namespace w32h::tty {

int cells_from_pixels(int pixels, int base) {
    if (base <= 0) return 0;
    long long num = 2LL * pixels + base, den = 2LL * base;
    long long q = num / den;
    if (num % den < 0) --q;  // floor, also below zero
    return static_cast<int>(q);
}

CellRect cells_of(const RECT &px, int base_x, int base_y) { return cells_of(px, base_x, base_y, 100); }

CellRect cells_of(const RECT &px, int base_x, int base_y, int scale) {
    auto col = [&](LONG x) { return cells_from_pixels(static_cast<int>(x) * 100, base_x * scale); };
    CellRect r;
    r.col = col(px.left);
    r.row = cells_from_pixels(px.top, base_y);
    if (px.right <= px.left || px.bottom <= px.top) return r;  // nothing to draw
    r.cols = std::max(1, col(px.right) - r.col);
    r.rows = std::max(1, cells_from_pixels(px.bottom, base_y) - r.row);
    return r;
}

int centred(int outer, int inner) { return std::max(0, (outer - inner) / 2); }

std::string strip_mnemonics(std::string_view ansi) {
    std::string out;
    for (size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] != '&') {
            out += ansi[i];
        } else if (i + 1 < ansi.size() && ansi[i + 1] == '&') {
            out += '&';
            ++i;
        }
    }
    return out;
}

int mnemonic_position(std::string_view ansi) {
    int shown = 0;
    for (size_t i = 0; i < ansi.size(); ++i, ++shown) {
        if (ansi[i] != '&') continue;
        if (i + 1 >= ansi.size()) return -1;
        if (ansi[i + 1] != '&') return shown;
        ++i;  // "&&" shows one '&'
    }
    return -1;
}

namespace {

constexpr char ellipsis = '\x85';  // "..." as one cp1252 character

std::vector<std::string> paragraphs(std::string_view text) {
    std::vector<std::string> out;
    for (;;) {
        size_t nl = text.find('\n');
        std::string_view p = text.substr(0, nl);
        if (!p.empty() && p.back() == '\r') p.remove_suffix(1);
        out.emplace_back(p);
        if (nl == std::string_view::npos) return out;
        text.remove_prefix(nl + 1);
    }
}

std::string expand_tabs(std::string_view p, size_t stop) {
    std::string out;
    for (char c : p) {
        if (c != '\t') {
            out += c;
            continue;
        }
        do out += ' ';
        while (out.size() % stop);
    }
    return out;
}

void trim_right(std::string &s) {
    while (!s.empty() && s.back() == ' ') s.pop_back();
}

// Greedy word wrap; a word longer than the width is broken where it must be.
void wrap_paragraph(std::string line, size_t width, std::vector<std::string> &out) {
    trim_right(line);
    while (line.size() > width) {
        size_t lead = line.find_first_not_of(' ');
        size_t cut = line.rfind(' ', width);
        bool at_space = cut != std::string::npos && cut > lead;
        std::string head = line.substr(0, at_space ? cut : width);
        trim_right(head);
        out.push_back(head);
        line.erase(0, at_space ? cut + 1 : width);
        line.erase(0, line.find_first_not_of(' '));
    }
    out.push_back(line);
}

std::vector<std::string> wrap_all(const std::vector<std::string> &paras, size_t width, size_t stop) {
    std::vector<std::string> lines;
    for (const auto &p : paras) wrap_paragraph(expand_tabs(p, stop), width, lines);
    return lines;
}

// Tab stops every 8 columns, unless narrower stops take fewer lines: texts
// laid out for a proportional font may only fit with them.
std::vector<std::string> wrap_with_tabs(std::string_view ansi, size_t width) {
    auto paras = paragraphs(ansi);
    size_t stop = 8;
    auto lines = wrap_all(paras, width, stop);
    if (ansi.find('\t') != std::string_view::npos) {
        size_t least = wrap_all(paras, width, 1).size();
        while (lines.size() > least && stop > 1) lines = wrap_all(paras, width, --stop);
    }
    return lines;
}

// The lines beyond the last row join it, cut with an ellipsis, so that the
// reader sees that the text goes on.
void keep_rows(std::vector<std::string> &lines, size_t rows, size_t width) {
    if (lines.size() <= rows) return;
    std::string rest = lines[rows - 1];
    for (size_t i = rows; i < lines.size(); ++i) rest += " " + lines[i];
    lines.resize(rows);
    lines.back() = rest.substr(0, width - 1) + ellipsis;
}

}  // namespace

std::vector<std::string> wrap_text(std::string_view ansi, int width, int rows) {
    if (width <= 0 || rows <= 0) return {};
    auto lines = wrap_with_tabs(ansi, static_cast<size_t>(width));
    keep_rows(lines, static_cast<size_t>(rows), static_cast<size_t>(width));
    return lines;
}

int aligned_column(int length, int width, Align align) {
    if (length >= width || align == Align::left) return 0;
    return align == Align::right ? width - length : (width - length) / 2;
}

std::string one_line(std::string_view ansi, int width) {
    if (width <= 0) return "";
    std::string s(ansi);
    for (char &c : s)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    if (s.size() > static_cast<size_t>(width)) {
        s.resize(static_cast<size_t>(width - 1));
        s += ellipsis;
    }
    return s;
}

std::wstring to_wide(std::string_view ansi) {
    std::wstring out;
    for (char16_t c : cp1252_to_utf16(ansi)) {
        bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        out += control ? L' ' : static_cast<wchar_t>(c);
    }
    return out;
}

int filled_cells(int pos, int low, int high, int width) {
    if (high <= low || width <= 0) return 0;
    long long p = std::clamp(pos, low, high);
    return static_cast<int>((p - low) * width / (static_cast<long long>(high) - low));
}

int shown_top(int top, int selected, int count, int rows) {
    if (selected >= 0 && selected < count && rows > 0) {
        if (selected >= top + rows) top = selected - rows + 1;
        if (selected < top) top = selected;
    }
    return std::clamp(top, 0, std::max(0, count - 1));
}

int scroll_thumb(int top, int count, int rows) {
    if (rows <= 0 || count <= rows) return -1;
    int last_top = count - rows;
    return static_cast<int>(static_cast<long long>(std::clamp(top, 0, last_top)) * (rows - 1) / last_top);
}

// ---- dialogs ---------------------------------------------------------------

bool shows_whole(const ItemOutline &item, const CellRect &cells) {
    if (item.text.empty()) return true;
    auto length = static_cast<int>(item.text.size());
    switch (item.flow) {
    case TextFlow::wrapped:
        return cells.cols > 0 &&
               static_cast<int>(wrap_with_tabs(item.text, static_cast<size_t>(cells.cols)).size()) <= cells.rows;
    case TextFlow::one_line:
        return cells.rows > 0 && length <= cells.cols;
    case TextFlow::button:
        return cells.rows > 0 && length + 2 <= cells.cols;
    default:
        return true;
    }
}

std::string button_face(std::string_view label, bool is_default) {
    std::string face(1, is_default ? '<' : '[');
    face += ' ';
    face += label;
    face += ' ';
    face += is_default ? '>' : ']';
    return face;
}

namespace {

// The caption sits on the top frame line as " text ", between the corners.
constexpr int caption_room = 4;

DialogPlan lay_out(const DialogOutline &outline, int scale) {
    DialogPlan plan;
    plan.scale = scale;
    plan.cols = std::max(0, cells_from_pixels(outline.width * 100, outline.base_x * scale)) + 2;
    plan.rows = std::max(0, cells_from_pixels(outline.height, outline.base_y)) + 2;
    for (const auto &item : outline.items) {
        plan.items.push_back(cells_of(item.px, outline.base_x, outline.base_y, scale));
        plan.whole = plan.whole && shows_whole(item, plan.items.back());
    }
    int need = static_cast<int>(outline.caption.size()) + caption_room;
    if (!outline.caption.empty() && plan.cols < need) {
        for (auto &r : plan.items) r.col += (need - plan.cols) / 2;
        plan.cols = need;
    }
    return plan;
}

// Drops blank client rows, one at a time from the longest blank run (the
// first of equals), until the box has rows rows or no blank row is left.
void drop_blank_rows(DialogPlan &plan, int rows) {
    int client = plan.rows - 2;
    std::vector<bool> used(static_cast<size_t>(std::max(0, client)), false);
    for (const auto &r : plan.items)
        for (int i = std::max(0, r.row); i < std::min(client, r.row + r.rows); ++i) used[static_cast<size_t>(i)] = true;
    std::vector<bool> dropped(used.size(), false);
    for (int excess = plan.rows - rows; excess > 0; --excess) {
        int best = -1, best_len = 0;
        for (int i = 0; i < client;) {
            if (used[static_cast<size_t>(i)] || dropped[static_cast<size_t>(i)]) {
                ++i;
                continue;
            }
            int j = i;
            while (j < client && !used[static_cast<size_t>(j)] && !dropped[static_cast<size_t>(j)]) ++j;
            if (j - i > best_len) best = i, best_len = j - i;
            i = j;
        }
        if (best < 0) break;
        dropped[static_cast<size_t>(best)] = true;
        --plan.rows;
    }
    std::vector<int> shift(used.size() + 1, 0);
    for (size_t i = 0; i < used.size(); ++i) shift[i + 1] = shift[i] + (dropped[i] ? 1 : 0);
    for (auto &r : plan.items) r.row -= shift[static_cast<size_t>(std::clamp(r.row, 0, client))];
}

}  // namespace

DialogPlan plan_dialog(const DialogOutline &outline, int max_cols, int max_rows, int scale) {
    DialogPlan plan = lay_out(outline, scale > 0 ? scale : 100);
    if (scale <= 0) {
        std::optional<DialogPlan> whole;
        for (int s = 100; s >= 60; s -= 5) {
            DialogPlan p = lay_out(outline, s);
            if (!p.whole) continue;
            if (p.cols <= max_cols) {
                whole = p;
                break;
            }
            if (!whole || p.cols < whole->cols) whole = p;  // the least the terminal needs
        }
        if (whole) plan = *whole;
    }
    if (plan.rows > max_rows) drop_blank_rows(plan, max_rows);
    return plan;
}

}  // namespace w32h::tty

namespace w32h {

std::vector<std::string> wrap_words(std::string_view ansi, size_t width, size_t tab_stop) {
    return tty::wrap_all(tty::paragraphs(ansi), std::max<size_t>(width, 1), std::max<size_t>(tab_stop, 1));
}

}  // namespace w32h
