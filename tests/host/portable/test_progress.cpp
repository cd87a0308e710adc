// test_progress.cpp - the progress bar (msctls_progress32) as comctl32 has
// it, after Wine's progress tests (run on Windows): each position message
// returns the previous position, and PBM_STEPIT wraps round its range.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

class ProgressBarMessages : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_PROGRESS_CLASS};
        ASSERT_TRUE(InitCommonControlsEx(&init));
        renew();
    }
    void TearDown() override { DestroyWindow(bar_); }
    // A new bar, with comctl32's defaults: range 0-100, position 0, step 10.
    void renew() {
        if (bar_) DestroyWindow(bar_);
        bar_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_VISIBLE, 0, 0, 100, 20, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, bar_);
    }
    LRESULT send(UINT msg, WPARAM wp = 0, LPARAM lp = 0) { return SendMessageA(bar_, msg, wp, lp); }
    HWND bar_ = nullptr;
};

TEST_F(ProgressBarMessages, PositionMessagesReturnThePreviousPosition) {
    send(PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    send(PBM_SETPOS, 10);
    send(PBM_SETSTEP, 20);
    EXPECT_EQ(10, send(PBM_SETPOS, 50));
    EXPECT_EQ(50, send(PBM_DELTAPOS, 15));
    EXPECT_EQ(65, send(PBM_SETPOS, 80));
    EXPECT_EQ(80, send(PBM_STEPIT));
    EXPECT_EQ(100, send(PBM_GETPOS));
}

// The position stays inside the range, whatever is asked.
TEST_F(ProgressBarMessages, KeepsItsPositionInsideItsRange) {
    EXPECT_EQ(MAKELONG(0, 100), send(PBM_SETRANGE, 0, MAKELPARAM(0, 50)));
    EXPECT_EQ(MAKELONG(0, 50), send(PBM_SETRANGE32, 0, 3000000));
    EXPECT_EQ(3000000, send(PBM_GETRANGE, FALSE));
    EXPECT_EQ(0, send(PBM_SETPOS, 1024));
    EXPECT_EQ(1024, send(PBM_DELTAPOS, 2048));
    EXPECT_EQ(3072, send(PBM_GETPOS));
    send(PBM_DELTAPOS, 5000000);
    EXPECT_EQ(3000000, send(PBM_GETPOS));
    send(PBM_SETPOS, WPARAM(-5));
    EXPECT_EQ(0, send(PBM_GETPOS));
}

// Stepping past either end of the range goes on from the other end, modulo
// the range; an empty range keeps the position on its minimum.
TEST_F(ProgressBarMessages, StepItWrapsRoundTheRange) {
    const struct {
        int min, max, step;
    } cases[] = {{3, 15, 5}, {3, 15, -5}, {3, 15, 50}, {-15, 15, 5}, {-3, -2, -5},
                 {0, 0, 1},  {5, 5, 1},   {0, 0, -1},  {5, 5, -1},   {10, 5, 2}};
    for (const auto &c : cases) {
        renew();
        EXPECT_EQ(MAKELONG(0, 100), send(PBM_SETRANGE32, static_cast<WPARAM>(c.min), c.max));
        PBRANGE range{};
        send(PBM_GETRANGE, 0, reinterpret_cast<LPARAM>(&range));
        EXPECT_EQ(c.min, range.iLow);
        EXPECT_EQ(c.max, range.iHigh);
        send(PBM_SETPOS, static_cast<WPARAM>(c.min));
        send(PBM_SETSTEP, static_cast<WPARAM>(c.step));
        for (int j = 0; j < c.max; ++j) {
            int pos = static_cast<int>(send(PBM_GETPOS)) + c.step;
            if (c.min != c.max) {
                if (pos > c.max) pos = (pos - c.min) % (c.max - c.min) + c.min;
                if (pos < c.min) pos = (pos - c.min) % (c.max - c.min) + c.max;
            } else {
                pos = c.min;
            }
            send(PBM_STEPIT);
            EXPECT_EQ(pos, send(PBM_GETPOS)) << c.min << ".." << c.max << " step " << c.step << " #" << j;
        }
    }
}

}  // namespace
