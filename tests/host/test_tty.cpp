// test_tty.cpp - the terminal front-end's layout: dialog rectangles to
// character cells, the column width that keeps texts whole, texts wrapped and
// cut in columns of cp1252 characters, button faces and mnemonics, progress
// and list positions, and the refusal to start without a terminal. Drawing
// itself is checked in tmux (tests/tty).
#include "frontend.h"
#include "tty_layout.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace w32h {
std::unique_ptr<Frontend> make_tty_frontend(const Config &cfg);
}

namespace {

using namespace w32h::tty;
using Lines = std::vector<std::string>;

// A control of a template in "MS Sans Serif" 8 (6 x 13 pixel base units),
// placed in pixels the way the dialog manager places it.
RECT dialog_rect(int x, int y, int cx, int cy) {
    int left = MulDiv(x, 6, 4), top = MulDiv(y, 13, 8);
    return RECT{left, top, left + MulDiv(cx, 6, 4), top + MulDiv(cy, 13, 8)};
}

// ---- cells -----------------------------------------------------------------------

TEST(TtyCells, FourDialogUnitsMakeAColumnAndEightARow) {
    CellRect r = cells_of(dialog_rect(40, 16, 120, 24), 6, 13);
    EXPECT_EQ(r.col, 10);
    EXPECT_EQ(r.row, 2);
    EXPECT_EQ(r.cols, 30);
    EXPECT_EQ(r.rows, 3);
}

// Two one-line texts ten dialog units apart must not land on the same row,
// and each keeps its one row.
TEST(TtyCells, StackedTextsKeepTheirOwnRows) {
    CellRect first = cells_of(dialog_rect(40, 14, 32, 8), 6, 13);
    CellRect second = cells_of(dialog_rect(40, 24, 150, 8), 6, 13);
    EXPECT_EQ(first.rows, 1);
    EXPECT_EQ(second.rows, 1);
    EXPECT_EQ(second.row, first.row + 1);
}

TEST(TtyCells, RoundsHalvesUpAndNegativesDown) {
    EXPECT_EQ(cells_from_pixels(9, 6), 2);    // 1.5
    EXPECT_EQ(cells_from_pixels(8, 6), 1);    // 1.33
    EXPECT_EQ(cells_from_pixels(-9, 6), -1);  // -1.5
    EXPECT_EQ(cells_from_pixels(-10, 6), -2);
    EXPECT_EQ(cells_from_pixels(100, 0), 0);
}

TEST(TtyCells, TinyRectanglesKeepOneCellEmptyOnesNone) {
    CellRect tiny = cells_of(RECT{10, 10, 11, 11}, 6, 13);
    EXPECT_EQ(tiny.cols, 1);
    EXPECT_EQ(tiny.rows, 1);
    CellRect empty = cells_of(RECT{10, 10, 10, 40}, 6, 13);
    EXPECT_EQ(empty.cols, 0);
    EXPECT_EQ(empty.rows, 0);
}

TEST(TtyCells, CentringNeverStartsOffScreen) {
    EXPECT_EQ(centred(80, 50), 15);
    EXPECT_EQ(centred(20, 50), 0);
}

// ---- wrapping --------------------------------------------------------------------

TEST(TtyWrap, BreaksBetweenWords) {
    EXPECT_EQ(wrap_text("Do you want to replace", 10, 5), (Lines{"Do you", "want to", "replace"}));
}

TEST(TtyWrap, KeepsLineBreaksAndBlankLines) {
    EXPECT_EQ(wrap_text("one\r\n\r\ntwo\nthree", 20, 5), (Lines{"one", "", "two", "three"}));
}

TEST(TtyWrap, BreaksAWordLongerThanTheWidth) {
    EXPECT_EQ(wrap_text("C:\\WINNT\\system32", 8, 5), (Lines{"C:\\WINNT", "\\system3", "2"}));
}

// The last row carries on with the rest of the text and ends in "..." so
// that a cut is visible.
TEST(TtyWrap, CutTextEndsInAnEllipsisOnTheLastRow) {
    Lines lines = wrap_text("Do you want to replace that file", 10, 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "Do you");
    EXPECT_EQ(lines[1], "want to r\x85");
}

// Columns are characters: "Sélection du Port" is 17 cp1252 bytes, 18 in UTF-8.
TEST(TtyWrap, AccentedCharactersTakeOneColumnEach) {
    EXPECT_EQ(wrap_text("S\xE9lection du Port", 17, 1), (Lines{"S\xE9lection du Port"}));
}

TEST(TtyWrap, TabsStopEveryEightColumnsWhenTheyFit) {
    EXPECT_EQ(wrap_text("or\tSetupOrdane", 30, 1), (Lines{"or      SetupOrdane"}));
}

// A message box is as wide as its longest line with a tab counted as one
// character; narrower stops keep each line whole and the columns aligned.
TEST(TtyWrap, TabStopsShrinkRatherThanBreakALine) {
    Lines lines = wrap_text(
        "\tSetupOrdane [/OS=version] [/UNINSTALL]\r\n"
        "or\tSetupOrdane [/OS=version] [/ONLYDELETEPRINTDEVICE]",
        54, 5);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].find("SetupOrdane"), lines[1].find("SetupOrdane"));
    EXPECT_LE(lines[1].size(), 54u);
}

TEST(TtyWrap, NoRoomGivesNoLines) {
    EXPECT_TRUE(wrap_text("text", 0, 3).empty());
    EXPECT_TRUE(wrap_text("text", 3, 0).empty());
    EXPECT_EQ(wrap_text("text", 1, 1), (Lines{"\x85"}));
}

// The one wrapper also sizes message boxes, where a tab counts one column.
TEST(TtyWrap, MessageBoxesAndTheTerminalShareOneWrapper) {
    EXPECT_EQ(w32h::wrap_words("or\tSetupOrdane", 60, 1), (Lines{"or SetupOrdane"}));
    EXPECT_EQ(w32h::wrap_words("one two three", 7, 8), wrap_text("one two three", 7, 9));
    EXPECT_EQ(w32h::wrap_words("a\r\n\r\nb", 60, 1), (Lines{"a", "", "b"}));
}

// ---- dialogs ---------------------------------------------------------------------

ItemOutline Text(int x, int y, int cx, int cy, const char *text, TextFlow flow = TextFlow::wrapped) {
    return ItemOutline{dialog_rect(x, y, cx, cy), text, flow};
}

DialogOutline Dialog(int cx, int cy, std::vector<ItemOutline> items, const char *caption = "") {
    DialogOutline outline;
    outline.width = MulDiv(cx, 6, 4);
    outline.height = MulDiv(cy, 13, 8);
    outline.caption = caption;
    outline.items = std::move(items);
    return outline;
}

// "Taille " in 20 dialog units is 5 columns at 4 units a column: the columns
// narrow until it shows whole, and no further.
TEST(TtyPlan, ColumnsNarrowUntilEveryTextShowsWhole) {
    DialogOutline outline = Dialog(198, 40, {Text(40, 14, 20, 8, "Taille "), Text(62, 14, 50, 8, "octets")});
    DialogPlan plan = plan_dialog(outline, 80, 23);
    EXPECT_TRUE(plan.whole);
    EXPECT_LT(plan.scale, 100);
    EXPECT_TRUE(shows_whole(outline.items[0], plan.items[0]));
    EXPECT_FALSE(shows_whole(outline.items[0], cells_of(outline.items[0].px, 6, 13)));
    EXPECT_EQ(plan_dialog(Dialog(198, 40, {Text(40, 14, 40, 8, "Size")}), 80, 23).scale, 100);
}

// A box that no width fits keeps its texts whole and says how wide it is.
TEST(TtyPlan, TextsStayWholeWhenTheTerminalIsTooNarrow) {
    DialogOutline outline = Dialog(260, 40, {Text(5, 10, 35, 8, "Copie de :", TextFlow::wrapped)});
    DialogPlan plan = plan_dialog(outline, 40, 23);
    EXPECT_TRUE(plan.whole);
    EXPECT_GT(plan.cols, 40);
    EXPECT_EQ(plan_dialog(outline, plan.cols, 23).cols, plan.cols);  // that width is enough
}

TEST(TtyPlan, ACaptionWiderThanTheBoxWidensIt) {
    DialogOutline outline = Dialog(60, 30, {Text(8, 8, 40, 8, "Hi")}, "Erreur d'installation du Driver Ordane");
    DialogPlan plan = plan_dialog(outline, 80, 23);
    EXPECT_GE(plan.cols, static_cast<int>(outline.caption.size()) + 4);
    EXPECT_GT(plan.items[0].col, cells_of(outline.items[0].px, 6, 13).col);  // contents centred
}

// The port selection is 24 rows high with its frame; 23 fit above the status
// line once a blank row above its label goes.
TEST(TtyPlan, ATallBoxLosesBlankRowsNotControls) {
    DialogOutline outline = Dialog(246, 175,
                             {Text(44, 22, 90, 10, "Port disponibles"), Text(43, 35, 185, 99, ""),
                              Text(134, 154, 50, 14, "OK", TextFlow::button)});
    DialogPlan full = plan_dialog(outline, 80, 40);
    DialogPlan fitted = plan_dialog(outline, 80, 23);
    EXPECT_EQ(full.rows, 24);
    EXPECT_EQ(fitted.rows, 23);
    EXPECT_EQ(fitted.items[0].row, full.items[0].row - 1);
    EXPECT_EQ(fitted.items[2].row - fitted.items[1].row, full.items[2].row - full.items[1].row);
    DialogPlan least = plan_dialog(outline, 80, 5);
    EXPECT_GT(least.rows, 5);  // never less than its controls need
}

TEST(TtyText, ButtonsShowTheSameFaceInEveryBox) {
    EXPECT_EQ(button_face("Yes", true), "< Yes >");
    EXPECT_EQ(button_face("No", false), "[ No ]");
    EXPECT_TRUE(shows_whole(ItemOutline{{}, "Annuler", TextFlow::button}, CellRect{0, 0, 1, 9}));
    EXPECT_FALSE(shows_whole(ItemOutline{{}, "Annuler", TextFlow::button}, CellRect{0, 0, 1, 8}));
}

TEST(TtyText, MnemonicPositionInTheShownText) {
    EXPECT_EQ(mnemonic_position("&Yes"), 0);
    EXPECT_EQ(mnemonic_position("R&etry"), 1);
    EXPECT_EQ(mnemonic_position("Save && &quit"), 7);
    EXPECT_EQ(mnemonic_position("OK"), -1);
    EXPECT_EQ(mnemonic_position("end&"), -1);
}

// ---- texts -----------------------------------------------------------------------

TEST(TtyText, MnemonicMarkersAreNotShown) {
    EXPECT_EQ(strip_mnemonics("&Oui"), "Oui");
    EXPECT_EQ(strip_mnemonics("Save && quit"), "Save & quit");
}

TEST(TtyText, OneLineReplacesControlsAndCutsWithAnEllipsis) {
    EXPECT_EQ(one_line("a\tb\r\nc", 10), "a b  c");
    EXPECT_EQ(one_line("Installation", 6), "Insta\x85");
    EXPECT_EQ(one_line("x", 0), "");
}

TEST(TtyText, WideCharactersFollowCp1252) {
    EXPECT_EQ(to_wide("\xE9\xE8\xE0\xE7\xEA\xF9"), L"\u00E9\u00E8\u00E0\u00E7\u00EA\u00F9");
    EXPECT_EQ(to_wide("\x80\x85\x9C"), L"\u20AC\u2026\u0153");
    EXPECT_EQ(to_wide("a\tb\x81"), L"a b ");  // controls, and bytes cp1252 leaves undefined
}

TEST(TtyText, AlignmentWithinAWidth) {
    EXPECT_EQ(aligned_column(4, 10, Align::left), 0);
    EXPECT_EQ(aligned_column(4, 10, Align::right), 6);
    EXPECT_EQ(aligned_column(4, 10, Align::centre), 3);
    EXPECT_EQ(aligned_column(12, 10, Align::right), 0);
}

// ---- bars and lists --------------------------------------------------------------

TEST(TtyProgress, FillsInProportionWithinTheRange) {
    EXPECT_EQ(filled_cells(0, 0, 100, 62), 0);
    EXPECT_EQ(filled_cells(50, 0, 100, 62), 31);
    EXPECT_EQ(filled_cells(100, 0, 100, 62), 62);
    EXPECT_EQ(filled_cells(150, 50, 250, 10), 5);
    EXPECT_EQ(filled_cells(2'000'000'000, 0, 2'000'000'000, 62), 62);  // no overflow
}

TEST(TtyProgress, OutOfRangeAndEmptyRangesStayInTheBar) {
    EXPECT_EQ(filled_cells(-5, 0, 100, 10), 0);
    EXPECT_EQ(filled_cells(500, 0, 100, 10), 10);
    EXPECT_EQ(filled_cells(5, 10, 10, 10), 0);
    EXPECT_EQ(filled_cells(5, 100, 0, 10), 0);
    EXPECT_EQ(filled_cells(5, 0, 10, 0), 0);
}

TEST(TtyList, ScrollThumbRunsFromFirstToLastRow) {
    EXPECT_EQ(scroll_thumb(0, 5, 10), -1);
    EXPECT_EQ(scroll_thumb(0, 12, 10), 0);
    EXPECT_EQ(scroll_thumb(2, 12, 10), 9);
    EXPECT_EQ(scroll_thumb(1, 30, 10), 0);
    EXPECT_EQ(scroll_thumb(99, 30, 10), 9);
}

// Windows shows twelve entries where the frame leaves room for eleven: the
// selected last entry must still be on screen.
TEST(TtyList, ShownTopKeepsTheSelectionVisible) {
    EXPECT_EQ(shown_top(0, 11, 12, 11), 1);
    EXPECT_EQ(shown_top(5, 2, 12, 11), 2);
    EXPECT_EQ(shown_top(3, 5, 12, 11), 3);
    EXPECT_EQ(shown_top(3, -1, 12, 11), 3);
    EXPECT_EQ(shown_top(0, -1, 0, 11), 0);
}

// ---- start ---------------------------------------------------------------------

TEST(TtyFrontendDeathTest, RefusesToStartWithoutATerminal) {
    w32h::Config cfg;
    cfg.ui = w32h::UiMode::tty;
    EXPECT_EXIT(
        {
            if (!std::freopen("/dev/null", "r", stdin)) std::abort();
            w32h::make_tty_frontend(cfg);
        },
        testing::ExitedWithCode(3), "the terminal front-end needs a terminal; set WIN32HOST_UI=script");
}

}  // namespace
