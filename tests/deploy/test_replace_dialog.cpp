// test_replace_dialog.cpp - the replace confirmation dialog: the facts of
// both files (size, local date in two-digit fields), the default answer's
// styles, focus and Enter, Escape ignored, the dialog never shown when a
// file's facts are unknown; and the centring helper on a too-wide window.
#include "deploy_support.h"

namespace deploytest {
namespace {

// UTC seconds of local times at UTC+2 (the fixture's TZ).
constexpr time_t k19991231_235959 = 946684800 - 7201;   // 31/12/1999 23:59:59 (21:59:59 UTC)
constexpr time_t k20000307_090503 = 952387200 + 25503;  // 07/03/2000 09:05:03 (07:05:03 UTC)

class ReplaceDialog : public Deployment {
protected:
    void SetUp() override {
        Deployment::SetUp();
        WriteHost(Target("Ordane.ini"), std::string(4096, 'i'));
        SetModifiedTime(Target("Ordane.ini"), k19991231_235959);
        WriteHost(Medium("Ordane.ini"), std::string(70000, 'm'));
        SetModifiedTime(Medium("Ordane.ini"), k20000307_090503);
    }
    INT_PTR Run(LONG nDefaultAnswer, const char *script) {
        record_ = {"Ordane.ini", "src\\", REPLACE_ASK, nDefaultAnswer, 1};
        hosttest::ScriptedUser user(script);
        return RunReplaceDialog(NULL, &record_);
    }
    const Value &Control(int id) {
        shown_ = Events("dialog");
        static const Value none;
        if (shown_.size() != 1) return none;
        for (const Value &c : shown_[0]["controls"].items)
            if (c["id"].n == id) return c;
        return none;
    }
    // The button type in the low four bits and whether the control has the focus.
    std::string Button(int id) {
        const Value &c = Control(id);
        return std::to_string(c["style"].n & BS_TYPEMASK) + (c["focus"].b ? " focus" : "");
    }

    FileRecord record_{};
    std::vector<Value> shown_;
};

TEST_F(ReplaceDialog, ShowsTheSizeAndLocalDateOfBothFiles) {
    EXPECT_EQ(1, Run(ANSWER_YES, "key enter\n"));
    EXPECT_EQ("Ordane.ini", Control(IDC_FILE_NAME)["text"].s);
    EXPECT_EQ("4096", Control(IDC_TARGET_SIZE)["text"].s);
    EXPECT_EQ(SS_RIGHT, Control(IDC_TARGET_SIZE)["style"].n & SS_TYPEMASK);
    EXPECT_EQ("31/12/99 23:59:59", Control(IDC_TARGET_DATE)["text"].s);
    EXPECT_EQ("70000", Control(IDC_SOURCE_SIZE)["text"].s);
    EXPECT_EQ("07/03/00 09:05:03", Control(IDC_SOURCE_DATE)["text"].s);
    EXPECT_EQ("Confirm file replacement...", shown_[0]["title"].s);
}

TEST_F(ReplaceDialog, DefaultAnswerYesMakesYesTheDefaultWithTheFocus) {
    EXPECT_EQ(1, Run(ANSWER_YES, "key enter\n"));
    EXPECT_EQ("1 focus", Button(IDC_REPLACE_YES));
    EXPECT_EQ("0", Button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, DefaultAnswerNoMakesNoTheDefaultWithTheFocus) {
    EXPECT_EQ(0, Run(ANSWER_NO, "key enter\n"));
    EXPECT_EQ("0", Button(IDC_REPLACE_YES));
    EXPECT_EQ("1 focus", Button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, NoDefaultAnswerLeavesTheFocusToTheSystemOnYes) {
    EXPECT_EQ(1, Run(ANSWER_NONE, "key enter\n"));
    EXPECT_EQ("0 focus", Button(IDC_REPLACE_YES));
    EXPECT_EQ("0", Button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, AnUnknownDefaultAnswerSetsNoFocusAndEnterDoesNothing) {
    EXPECT_EQ(0, Run(7, "key enter\nexpect Confirm; press 1014\n"));
    EXPECT_EQ("0", Button(IDC_REPLACE_YES));
    EXPECT_EQ("0", Button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, EscapeIsIgnored) {
    EXPECT_EQ(1, Run(ANSWER_NO, "key escape\nexpect Confirm; press 1013\n"));
    EXPECT_EQ(1u, Events("enddialog").size());
}

TEST_F(ReplaceDialog, UnknownFactsEndItBeforeItIsShown) {
    fs::remove(Medium("Ordane.ini"));
    EXPECT_EQ(-1, Run(ANSWER_YES, ""));
    fs::remove(Target("Ordane.ini"));
    WriteHost(Medium("Ordane.ini"), "back");
    EXPECT_EQ(-1, Run(ANSWER_YES, ""));
    {
        hosttest::ScriptedUser user("");
        EXPECT_EQ(-1, RunReplaceDialog(NULL, NULL));
    }
    EXPECT_TRUE(Events("dialog").empty());
    EXPECT_EQ(3u, Events("enddialog").size());
    EXPECT_TRUE(Events("messagebox").empty());
}

TEST(CentreWindow, AWindowWiderThanTheScreenGoesToMinusOne) {
    HWND hWnd = CreateWindowExA(0, "Static", "", WS_POPUP, 5, 5, 1024 + 3, 100, NULL, NULL, NULL, NULL);
    ASSERT_NE(nullptr, hWnd);
    CentreWindow(hWnd);
    RECT rc;
    GetWindowRect(hWnd, &rc);
    EXPECT_EQ(-1, rc.left);
    EXPECT_EQ((768 - 100) / 2, rc.top);
    EXPECT_EQ(1024 + 3, rc.right - rc.left);
    EXPECT_EQ(100, rc.bottom - rc.top);
    DestroyWindow(hWnd);
}

}  // namespace
}  // namespace deploytest
