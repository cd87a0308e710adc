// test_windows.cpp - what windows and timers do on this host only: timers and
// Sleep on the virtual clock, the configured screen, and injected failures.
// Windows' own behaviour is pinned by portable/test_windows.cpp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host_support.h"

namespace {

ATOM RegisterTimerClass() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TimerClass";
    return RegisterClassA(&wc);
}

DWORD g_fired_at = 0;
UINT_PTR g_fired_id = 0;

VOID CALLBACK timer_proc(HWND, UINT msg, UINT_PTR id, DWORD time) {
    EXPECT_EQ(static_cast<UINT>(WM_TIMER), msg);
    g_fired_id = id;
    g_fired_at = time;
}

TEST(Timers, ACallbackTimerFiresAfterItsIntervalOfVirtualTime) {
    RegisterTimerClass();
    HWND w = CreateWindowExA(0, "TimerClass", "t", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DWORD start = GetTickCount();
    ASSERT_EQ(1u, SetTimer(w, 1, 500, timer_proc));
    MSG msg;
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(static_cast<UINT>(WM_TIMER), msg.message);
    EXPECT_EQ(reinterpret_cast<LPARAM>(timer_proc), msg.lParam);
    DispatchMessageA(&msg);
    EXPECT_EQ(1u, g_fired_id);
    EXPECT_EQ(start + 500, g_fired_at);
    EXPECT_TRUE(KillTimer(w, 1));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(KillTimer(w, 1));
    EXPECT_NE(0xdeadbeef, GetLastError());
    DestroyWindow(w);
}

TEST(Timers, SleepTakesNoRealTimeOnTheVirtualClock) {
    DWORD before = GetTickCount();
    Sleep(60000);
    EXPECT_EQ(before + 60000, GetTickCount());
}

TEST(Metrics, TheScreenIsTheConfiguredOne) {
    w32h::Config cfg = w32h::config();
    cfg.screen_width = 800;
    cfg.screen_height = 600;
    w32h::set_config(cfg);
    EXPECT_EQ(800, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(600, GetSystemMetrics(SM_CYSCREEN));
    cfg.screen_width = 1024;
    cfg.screen_height = 768;
    w32h::set_config(cfg);
}

TEST(InjectedFailures, TheNthCallFailsWithTheChosenError) {
    ASSERT_FALSE(w32h::parse_fail_rules("GlobalAlloc#2=14, GlobalAlloc#4"));
    HGLOBAL a = GlobalAlloc(GPTR, 8);
    SetLastError(0);
    HGLOBAL b = GlobalAlloc(GPTR, 8);
    EXPECT_EQ(nullptr, b);
    EXPECT_EQ(static_cast<DWORD>(ERROR_OUTOFMEMORY), GetLastError());  // 14, as the rule says
    HGLOBAL c = GlobalAlloc(GPTR, 8);
    EXPECT_NE(nullptr, c);
    EXPECT_EQ(nullptr, GlobalAlloc(GPTR, 8));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY), GetLastError());
    GlobalFree(a);
    GlobalFree(c);
    ASSERT_FALSE(w32h::parse_fail_rules(""));
}

TEST(InjectedFailures, MalformedRulesAreRefused) {
    for (const char *rules : {"Nope", "GlobalAlloc#", "GlobalAlloc#0", "GlobalAlloc=x", "GlobalAlloc,,SetTimer",
                              "GlobalAlloc#2#3", "GlobalAlloc=99999999999"})
        EXPECT_TRUE(w32h::parse_fail_rules(rules).has_value()) << rules;
    ASSERT_FALSE(w32h::parse_fail_rules(""));
}

}  // namespace
