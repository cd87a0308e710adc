// test_reset.cpp - the host's one reset point: after it, a program sees a
// fresh process (its classes, windows, timers, fail rules and heap blocks are
// gone) while the predefined classes and the registered resources stay.
#include <gtest/gtest.h>

#include "host_support.h"
#include "window_model.h"

namespace {

LRESULT CALLBACK plain_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcA(hwnd, msg, wp, lp); }

ATOM RegisterPlain() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = plain_proc;
    wc.lpszClassName = "ResetPlain";
    return RegisterClassA(&wc);
}

TEST(HostReset, ForgetsWhatTheProgramMadeAndKeepsWhatTheSystemHas) {
    ASSERT_NE(0, RegisterPlain());
    HWND w = CreateWindowExA(0, "ResetPlain", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(SetTimer(w, 1, 100, nullptr));
    ASSERT_TRUE(PostMessageA(w, WM_USER, 0, 0));
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, 8);
    ASSERT_FALSE(w32h::parse_fail_rules("GlobalAlloc#2"));
    EXPECT_NE("", w32h::host_leftovers());

    w32h::reset_host();
    w32h::set_config(w32h::Config());

    EXPECT_EQ("", w32h::host_leftovers());
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(0u, GlobalSize(block));
    EXPECT_NE(0, RegisterPlain());
    HGLOBAL first = GlobalAlloc(GMEM_FIXED, 8), second = GlobalAlloc(GMEM_FIXED, 8);
    EXPECT_NE(nullptr, first);
    EXPECT_NE(nullptr, second);
    GlobalFree(first);
    GlobalFree(second);
    HWND button = CreateWindowExA(0, "Button", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(nullptr, button);
    DestroyWindow(button);
    char text[32] = "";
    EXPECT_LT(0, LoadStringA(GetModuleHandleA(nullptr), 1, text, sizeof text)) << "resources stay registered";
}

}  // namespace
