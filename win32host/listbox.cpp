// listbox.cpp - the LISTBOX control: entries with their data, LBS_SORT by
// the user's collation, the single selection that messages, clicks, arrows
// and typed letters make, with the caret (focus rectangle) and anchor Windows
// keeps beside it, LBN_* notifications under LBS_NOTIFY, and searches.
#include "controls.h"
#include "frontend.h"

#include <algorithm>
#include <cstring>

namespace w32h {
namespace {

constexpr int item_height = 13;  // a list box line in the dialog font

struct ListBoxItem {
    std::string text;
    LPARAM data = 0;
};

// Limits: the caret and the anchor stay where they were when entries come and go.
struct ListBoxState : ControlState {
    std::vector<ListBoxItem> items;
    int selected = LB_ERR;
    int caret = 0;        // the item with the focus rectangle
    int anchor = LB_ERR;  // the item the user last selected
    int top = 0;
};

ListBoxState &lb(HWND hwnd) { return *control_of<ListBoxState>(hwnd); }

int visible_rows(HWND hwnd) {
    RECT r;
    GetClientRect(hwnd, &r);
    return std::max<int>(1, (r.bottom - r.top) / item_height);
}

int count(HWND hwnd) { return static_cast<int>(lb(hwnd).items.size()); }

void ensure_visible(HWND hwnd, int index) {
    ListBoxState &s = lb(hwnd);
    int rows = visible_rows(hwnd);
    if (index < s.top) s.top = index;
    if (index >= s.top + rows) s.top = index - rows + 1;
    s.top = std::max(0, s.top);
}

// Windows sorts list boxes with the user's collation, as lstrcmpi does; an
// entry goes after those that compare equal to it.
int sorted_position(HWND hwnd, const char *text) {
    const auto &items = lb(hwnd).items;
    auto it = std::upper_bound(items.begin(), items.end(), text, [](const char *t, const ListBoxItem &item) {
        return lstrcmpiA(t, item.text.c_str()) < 0;
    });
    return static_cast<int>(it - items.begin());
}

LRESULT insert_item(HWND hwnd, int index, LPARAM text) {
    const char *t = reinterpret_cast<const char *>(text);
    ListBoxState &s = lb(hwnd);
    if (index < 0 || index > count(hwnd)) index = count(hwnd);
    s.items.insert(s.items.begin() + index, ListBoxItem{t ? t : "", 0});
    if (s.selected >= index) ++s.selected;
    frontend().invalidate();
    return index;
}

LRESULT add_string(HWND hwnd, LPARAM text) {
    int index = (style_of(hwnd) & LBS_SORT) ? sorted_position(hwnd, reinterpret_cast<const char *>(text)) : count(hwnd);
    return insert_item(hwnd, index, text);
}

LRESULT delete_item(HWND hwnd, WPARAM wp) {
    ListBoxState &s = lb(hwnd);
    int index = static_cast<int>(wp);
    if (index < 0 || index >= count(hwnd)) return LB_ERR;
    s.items.erase(s.items.begin() + index);
    if (s.selected == index) s.selected = LB_ERR;
    if (s.selected > index) --s.selected;
    frontend().invalidate();
    return count(hwnd);
}

bool select_item(HWND hwnd, int index) {
    ListBoxState &s = lb(hwnd);
    bool changed = s.selected != index;
    s.selected = index;
    if (index >= 0) {
        s.caret = index;
        ensure_visible(hwnd, index);
    }
    frontend().invalidate();
    return changed;
}

LRESULT set_cur_sel(HWND hwnd, WPARAM wp) {
    int index = static_cast<int>(static_cast<INT_PTR>(wp));
    if (index < -1 || index >= count(hwnd)) return LB_ERR;
    select_item(hwnd, index);
    return index == -1 ? LB_ERR : index;  // -1 clears the selection and still answers LB_ERR
}

LRESULT get_text(HWND hwnd, WPARAM wp, LPARAM lp) {
    int index = static_cast<int>(wp);
    if (index < 0 || index >= count(hwnd) || !lp) return LB_ERR;
    const std::string &t = lb(hwnd).items[static_cast<size_t>(index)].text;
    std::memcpy(reinterpret_cast<char *>(lp), t.c_str(), t.size() + 1);  // unbounded, as on Windows
    return static_cast<LRESULT>(t.size());
}

LRESULT get_text_len(HWND hwnd, WPARAM wp) {
    int index = static_cast<int>(wp);
    if (index < 0 || index >= count(hwnd)) return LB_ERR;
    return static_cast<LRESULT>(lb(hwnd).items[static_cast<size_t>(index)].text.size());
}

// Windows compares the entry's first characters with the user's collation,
// case ignored, as lstrcmpi does: "ABC\xED" (í) begins "abc\xCDzz" (Í).
bool begins_with(std::string_view item, const char *prefix) {
    size_t n = std::strlen(prefix);
    return item.size() >= n && lstrcmpiA(std::string(item.substr(0, n)).c_str(), prefix) == 0;
}

// A directory entry as LB_DIR writes it, "[name]", and a drive, "[-c-]", also
// begin with what follows their bracket or dash.
bool prefix_of(std::string_view item, const char *prefix) {
    if (begins_with(item, prefix)) return true;
    if (item.empty() || item[0] != '[') return false;
    return begins_with(item.substr(1), prefix) ||
           (item.size() > 1 && item[1] == '-' && begins_with(item.substr(2), prefix));
}

// An empty text finds nothing, as on Windows.
LRESULT find_string(HWND hwnd, WPARAM wp, LPARAM lp, bool exact) {
    const char *t = reinterpret_cast<const char *>(lp);
    int n = count(hwnd);
    if (!t || !*t || n == 0) return LB_ERR;
    int start = static_cast<int>(static_cast<INT_PTR>(wp));
    if (start < -1 || start >= n) start = -1;
    for (int step = 1; step <= n; ++step) {
        int i = (start + step) % n;
        const std::string &item = lb(hwnd).items[static_cast<size_t>(i)].text;
        if (exact ? lstrcmpiA(item.c_str(), t) == 0 : prefix_of(item, t)) return i;
    }
    return LB_ERR;
}

// A selection made by the user is announced with LBN_SELCHANGE when the list
// box has LBS_NOTIFY; one made by a message is not. It sets the anchor too.
void user_select_item(HWND hwnd, int index) {
    if (index < 0 || index >= count(hwnd)) return;
    lb(hwnd).anchor = index;
    if (select_item(hwnd, index) && (style_of(hwnd) & LBS_NOTIFY)) notify_parent(hwnd, LBN_SELCHANGE);
}

// The entry drawn at a height in the client area, or LB_ERR.
int item_at(HWND hwnd, int y) {
    if (y < 0) return LB_ERR;
    int index = lb(hwnd).top + y / item_height;
    return index < count(hwnd) ? index : LB_ERR;
}

// An entry's rectangle in the client area; 1 when it shows, 0 when scrolled away.
LRESULT item_rect(HWND hwnd, WPARAM wp, LPARAM lp) {
    int index = static_cast<int>(wp);
    auto *rect = reinterpret_cast<RECT *>(lp);
    if (index < 0 || index >= count(hwnd) || !rect) return LB_ERR;
    RECT client;
    GetClientRect(hwnd, &client);
    int top = (index - lb(hwnd).top) * item_height;
    *rect = RECT{0, top, client.right, top + item_height};
    return top + item_height > 0 && top < client.bottom;
}

void key_down(HWND hwnd, WPARAM key) {
    int n = count(hwnd);
    if (n == 0) return;
    int caret = lb(hwnd).caret, page = visible_rows(hwnd);
    int target = caret;
    if (key == VK_UP) target = caret - 1;
    if (key == VK_DOWN) target = caret + 1;  // from the focus rectangle, which starts on the first entry
    if (key == VK_HOME) target = 0;
    if (key == VK_END) target = n - 1;
    if (key == VK_PRIOR) target = caret - page + 1;
    if (key == VK_NEXT) target = caret + page - 1;
    if (key != VK_UP && key != VK_DOWN && key != VK_HOME && key != VK_END && key != VK_PRIOR && key != VK_NEXT) return;
    user_select_item(hwnd, std::clamp(target, 0, n - 1));
}

void type_ahead(HWND hwnd, WPARAM ch) {
    char prefix[2] = {static_cast<char>(ch), '\0'};
    LRESULT found = find_string(hwnd, static_cast<WPARAM>(lb(hwnd).caret), reinterpret_cast<LPARAM>(prefix), false);
    if (found != LB_ERR) user_select_item(hwnd, static_cast<int>(found));
}

LRESULT list_item_message(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    int index = static_cast<int>(wp);
    bool valid = index >= 0 && index < count(hwnd);
    switch (msg) {
    case LB_GETITEMDATA:
        return valid ? lb(hwnd).items[static_cast<size_t>(index)].data : LB_ERR;
    case LB_SETITEMDATA:
        if (!valid) return LB_ERR;
        lb(hwnd).items[static_cast<size_t>(index)].data = lp;
        return TRUE;
    case LB_GETSEL:
        return valid ? lb(hwnd).selected == index : LB_ERR;
    default:
        return item_rect(hwnd, wp, lp);  // LB_GETITEMRECT
    }
}

// A single-selection list box refuses the messages of multiple selection.
// Limits: single-selection list boxes only; LBS_MULTIPLESEL and
// LBS_EXTENDEDSEL are not modelled.
LRESULT selection_message(HWND hwnd, UINT msg) {
    switch (msg) {
    case LB_GETCURSEL:
        return lb(hwnd).selected;
    case LB_GETANCHORINDEX:
        return lb(hwnd).anchor;
    case LB_GETCARETINDEX:
        return lb(hwnd).caret;
    default:  // LB_SETSEL, LB_GETSELCOUNT, LB_SELITEMRANGE
        return LB_ERR;
    }
}

}  // namespace

LRESULT CALLBACK listbox_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        if (!(style_of(hwnd) & LBS_NOINTEGRALHEIGHT)) {  // Windows trims the height to whole lines
            Window *w = find_window(hwnd);
            RECT r = w->rect, in = nonclient_insets(w->style, w->ex_style);
            int client = r.bottom - r.top - in.top - in.bottom;
            find_window(hwnd)->rect.bottom -= client % item_height;
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case LB_ADDSTRING:
        return add_string(hwnd, lp);
    case LB_INSERTSTRING:
        return insert_item(hwnd, static_cast<int>(static_cast<INT_PTR>(wp)), lp);
    case LB_DELETESTRING:
        return delete_item(hwnd, wp);
    case LB_RESETCONTENT:
        lb(hwnd) = ListBoxState{};
        frontend().invalidate();
        return 0;
    case LB_GETCOUNT:
        return count(hwnd);
    case LB_SETCURSEL:
        return set_cur_sel(hwnd, wp);
    case LB_GETCURSEL:
    case LB_GETANCHORINDEX:
    case LB_GETCARETINDEX:
    case LB_SETSEL:
    case LB_GETSELCOUNT:
    case LB_SELITEMRANGE:
        return selection_message(hwnd, msg);
    case LB_GETTEXT:
        return get_text(hwnd, wp, lp);
    case LB_GETTEXTLEN:
        return get_text_len(hwnd, wp);
    case LB_FINDSTRING:
        return find_string(hwnd, wp, lp, false);
    case LB_FINDSTRINGEXACT:
        return find_string(hwnd, wp, lp, true);
    case LB_SELECTSTRING: {
        LRESULT found = find_string(hwnd, wp, lp, false);
        if (found != LB_ERR) select_item(hwnd, static_cast<int>(found));
        return found;
    }
    case LB_GETTOPINDEX:
        return lb(hwnd).top;
    case LB_SETTOPINDEX:
        if (static_cast<int>(wp) >= count(hwnd)) return LB_ERR;
        lb(hwnd).top = static_cast<int>(wp);
        frontend().invalidate();
        return 0;
    case LB_GETITEMDATA:
    case LB_SETITEMDATA:
    case LB_GETSEL:
    case LB_GETITEMRECT:
        return list_item_message(hwnd, msg, wp, lp);
    case WM_LBUTTONDOWN:  // the front-ends click with WM_HOST_PICKITEM, which needs no coordinates
        take_focus(hwnd);
        user_select_item(hwnd, item_at(hwnd, static_cast<SHORT>(HIWORD(lp))));
        return 0;
    case WM_HOST_PICKITEM:
        take_focus(hwnd);
        user_select_item(hwnd, static_cast<int>(wp));
        return 0;
    case WM_KEYDOWN:
        key_down(hwnd, wp);
        return 0;
    case WM_CHAR:
        if (wp > ' ') type_ahead(hwnd, wp);
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        frontend().invalidate();
        if (style_of(hwnd) & LBS_NOTIFY) notify_parent(hwnd, msg == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
}

std::optional<std::vector<std::string>> listbox_items(HWND hwnd) {
    if (!has_class(hwnd, listbox_proc)) return std::nullopt;
    std::vector<std::string> out;
    for (const auto &item : lb(hwnd).items) out.push_back(item.text);
    return out;
}

int listbox_selection(HWND hwnd) { return has_class(hwnd, listbox_proc) ? lb(hwnd).selected : LB_ERR; }

int listbox_top_index(HWND hwnd) { return has_class(hwnd, listbox_proc) ? lb(hwnd).top : 0; }

int listbox_caret(HWND hwnd) { return has_class(hwnd, listbox_proc) ? lb(hwnd).caret : 0; }

}  // namespace w32h
