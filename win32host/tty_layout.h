// tty_layout.h - the terminal front-end's layout arithmetic, kept free of
// curses so that tests can pin it: pixels to character cells, the column
// width that keeps every text of a dialog whole, texts wrapped and cut to a
// width, mnemonics, progress and scroll positions. Texts stay in code page
// 1252 here, where one byte is one terminal column.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace w32h {

// Words wrapped greedily to width columns: lines broken at "\r\n" or "\n",
// tabs expanded to stops every tab_stop columns, blanks at a break dropped; a
// word longer than the width is broken where it must be. The front-ends
// measure message boxes with it (Frontend::measure_text) and the terminal
// draws their texts with it, so a box is as wide as its text is drawn.
std::vector<std::string> wrap_words(std::string_view ansi, size_t width, size_t tab_stop);

}  // namespace w32h

namespace w32h::tty {

// A block of character cells; rows and cols are never negative.
struct CellRect {
    int row = 0;
    int col = 0;
    int rows = 0;
    int cols = 0;
};

// pixels / base rounded to the nearest cell, halves upwards, negatives too.
int cells_from_pixels(int pixels, int base);
// A rectangle in pixels, cells being base_x by base_y pixels; a rectangle
// with any area keeps at least one cell each way, one without has none.
CellRect cells_of(const RECT &px, int base_x, int base_y);
// The same with columns scale percent of a base unit wide (100: 4 dialog
// units a column).
CellRect cells_of(const RECT &px, int base_x, int base_y, int scale);
// Where a block of inner cells starts so as to be centred in outer cells;
// 0 when it does not fit.
int centred(int outer, int inner);

// "&File" -> "File", "&&" -> "&", as Windows draws a control text.
std::string strip_mnemonics(std::string_view ansi);
// Where the mnemonic letter ("&Yes": 0) stands in the text without its
// markers; -1 when there is none.
int mnemonic_position(std::string_view ansi);
// Lines broken at "\r\n" or "\n", tabs expanded, words wrapped to width and
// at most rows lines; when the text needs more, the last line carries on
// with the rest, cut, ending in an ellipsis. Tab stops are every 8 columns
// unless that would take more lines than narrower stops do.
std::vector<std::string> wrap_text(std::string_view ansi, int width, int rows);
enum class Align { left, centre, right };
// The column where a text of length columns starts in width columns; 0 when
// it does not fit.
int aligned_column(int length, int width, Align align);
// A text for one line: controls become spaces; cut to width with an
// ellipsis when longer.
std::string one_line(std::string_view ansi, int width);

// ---- dialogs ---------------------------------------------------------------

// How a control's text is drawn, for the check that it shows whole.
enum class TextFlow {
    none,      // no text, or one that may be cut (a list entry, an icon)
    wrapped,   // SS_LEFT, SS_CENTER, SS_RIGHT: words wrapped into the rows
    one_line,  // SS_LEFTNOWORDWRAP, SS_SIMPLE, check boxes, group boxes
    button,    // a push button's label between its brackets
};

struct ItemOutline {
    RECT px{};         // in the dialog's client area, pixels
    std::string text;  // as drawn: mnemonic markers removed
    TextFlow flow = TextFlow::none;
};

// A dialog or message box as the terminal lays it out.
struct DialogOutline {
    int width = 0, height = 0;  // client area, pixels
    int base_x = 6, base_y = 13;
    std::string caption;  // empty: no title bar text
    std::vector<ItemOutline> items;
};

struct DialogPlan {
    int cols = 0, rows = 0;       // the whole box, frame included
    int scale = 100;              // column width, percent of a base unit
    std::vector<CellRect> items;  // in client cells, in the order of the outline's items
    bool whole = true;            // every text shows whole
};

// Texts laid out for Windows' proportional font are often wider than their
// rectangles at one column per base unit ("Taille" in 20 dialog units), so
// columns are made narrower, in steps of 5 %, down to 60 %, until every text
// shows whole and the box fits max_cols; the widest such columns win. When no
// width fits the terminal, the texts are kept whole in the narrowest box,
// wider than max_cols. A caption wider than the box widens it. A box taller than
// max_rows loses rows that no control touches, the longest blank runs
// first. scale, when not 0, is taken instead of choosing one.
DialogPlan plan_dialog(const DialogOutline &outline, int max_cols, int max_rows, int scale = 0);
// The item's text shows whole in cells: wrapped into its rows, or on its line.
bool shows_whole(const ItemOutline &item, const CellRect &cells);
// A shown dialog or message box as the terminal front-end sees it
// (frontend_tty.cpp): one item for each visible control, in creation order.
DialogOutline dialog_outline(HWND hwnd);
// "< Yes >": the same face in every box, centred in the button's cells.
std::string button_face(std::string_view label, bool is_default);

// The cp1252 text as wide characters for curses, controls made visible as
// spaces, one column each.
std::wstring to_wide(std::string_view ansi);

// How many of width cells a progress bar fills at pos within [low, high].
int filled_cells(int pos, int low, int high, int width);
// The first entry a list shows: its top index, moved as little as needed to
// show the selection, since a frame drawn with characters leaves fewer rows
// than Windows' one-pixel border does.
int shown_top(int top, int selected, int count, int rows);
// The row (0 .. rows-1) of a scroll thumb for a list showing rows of count
// entries from top; -1 when everything is visible.
int scroll_thumb(int top, int count, int rows);

}  // namespace w32h::tty
