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
        write_host(driver_file("Ordane.ini"), std::string(4096, 'i'));
        set_modified_time(driver_file("Ordane.ini"), k19991231_235959);
        write_host(medium("Ordane.ini"), std::string(70000, 'm'));
        set_modified_time(medium("Ordane.ini"), k20000307_090503);
    }
    INT_PTR run_dialog(LONG nDefaultAnswer, const char *script) {
        record_ = {"Ordane.ini", "src\\", REPLACE_ASK, nDefaultAnswer, 1};
        hosttest::ScriptedUser user(script);
        return RunReplaceDialog(NULL, &record_);
    }
    // A control of the dialog, which must have been shown once.
    const Value &control(int id) {
        shown_ = transcript_->of("dialog");
        static const Value none;
        return shown_.size() == 1 ? testrun::control_of(shown_[0], id) : none;
    }
    // The button type in the low four bits and whether the control has the focus.
    std::string button(int id) {
        const Value &c = control(id);
        return std::to_string(c["style"].n & BS_TYPEMASK) + (c["focus"].b ? " focus" : "");
    }

    FileRecord record_{};
    std::vector<Value> shown_;
};

TEST_F(ReplaceDialog, ShowsTheSizeAndLocalDateOfBothFiles) {
    EXPECT_EQ(1, run_dialog(ANSWER_YES, "key enter\n"));
    EXPECT_EQ("Ordane.ini", control(IDC_FILE_NAME)["text"].s);
    EXPECT_EQ("4096", control(IDC_TARGET_SIZE)["text"].s);
    EXPECT_EQ(SS_RIGHT, control(IDC_TARGET_SIZE)["style"].n & SS_TYPEMASK);
    EXPECT_EQ("31/12/99 23:59:59", control(IDC_TARGET_DATE)["text"].s);
    EXPECT_EQ("70000", control(IDC_SOURCE_SIZE)["text"].s);
    EXPECT_EQ("07/03/00 09:05:03", control(IDC_SOURCE_DATE)["text"].s);
    EXPECT_EQ("Confirm file replacement...", shown_[0]["title"].s);
}

TEST_F(ReplaceDialog, DefaultAnswerYesMakesYesTheDefaultWithTheFocus) {
    EXPECT_EQ(1, run_dialog(ANSWER_YES, "key enter\n"));
    EXPECT_EQ("1 focus", button(IDC_REPLACE_YES));
    EXPECT_EQ("0", button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, DefaultAnswerNoMakesNoTheDefaultWithTheFocus) {
    EXPECT_EQ(0, run_dialog(ANSWER_NO, "key enter\n"));
    EXPECT_EQ("0", button(IDC_REPLACE_YES));
    EXPECT_EQ("1 focus", button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, NoDefaultAnswerLeavesTheFocusToTheSystemOnYes) {
    EXPECT_EQ(1, run_dialog(ANSWER_NONE, "key enter\n"));
    EXPECT_EQ("0 focus", button(IDC_REPLACE_YES));
    EXPECT_EQ("0", button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, AnUnknownDefaultAnswerSetsNoFocusAndEnterDoesNothing) {
    EXPECT_EQ(0, run_dialog(7, "key enter\nexpect Confirm; press 1014\n"));
    EXPECT_EQ("0", button(IDC_REPLACE_YES));
    EXPECT_EQ("0", button(IDC_REPLACE_NO));
}

TEST_F(ReplaceDialog, EscapeIsIgnored) {
    EXPECT_EQ(1, run_dialog(ANSWER_NO, "key escape\nexpect Confirm; press 1013\n"));
    EXPECT_EQ(1u, transcript_->of("enddialog").size());
}

TEST_F(ReplaceDialog, UnknownFactsEndItBeforeItIsShown) {
    fs::remove(medium("Ordane.ini"));
    EXPECT_EQ(-1, run_dialog(ANSWER_YES, ""));
    fs::remove(driver_file("Ordane.ini"));
    write_host(medium("Ordane.ini"), "back");
    EXPECT_EQ(-1, run_dialog(ANSWER_YES, ""));
    {
        hosttest::ScriptedUser user("");
        EXPECT_EQ(-1, RunReplaceDialog(NULL, NULL));
    }
    EXPECT_TRUE(transcript_->of("dialog").empty());
    EXPECT_EQ(3u, transcript_->of("enddialog").size());
    EXPECT_TRUE(transcript_->of("messagebox").empty());
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
