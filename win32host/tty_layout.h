// tty_layout.h - the terminal front-end's layout arithmetic, kept free of
// curses so that tests can pin it: pixels to character cells, texts wrapped
// and cut to a width, mnemonics, progress and scroll positions. Texts stay in
// code page 1252 here, where one byte is one terminal column.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

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
// Where a block of inner cells starts so as to be centred in outer cells;
// 0 when it does not fit.
int centred(int outer, int inner);

// "&File" -> "File", "&&" -> "&", as Windows draws a control text.
std::string strip_mnemonics(std::string_view ansi);
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
