// test_tty_texts.cpp - every dialog template and every message of
// SetupOrdane's resources, in English and in French, laid out by the terminal
// front-end at 80x24 and 120x40: each text must show whole and each box must
// fit, the status line under it. The dialogs are made by the dialog manager
// from the program's compiled resources, as the program makes them.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "frontend.h"
#include "host.h"
#include "resource.h"
#include "tty_layout.h"
#include "window_model.h"

namespace w32h {
std::unique_ptr<Frontend> make_script_frontend(const std::string &script, const std::string &source);
}

namespace {

using namespace w32h;

struct Screen {
    int cols, rows;
};
constexpr Screen screens[] = {{80, 24}, {120, 40}};

// Lays out each box the modal loop waits on, records what does not show
// whole, and closes the box with its first push button (Escape without one).
class LayoutChecker : public Frontend {
public:
    std::vector<std::string> faults;
    int boxes = 0;

    void idle(HWND waiting, std::optional<uint64_t> deadline) override {
        if (!waiting) {
            if (deadline) clock_wait_until(*deadline);
            return;
        }
        ++boxes;
        check(waiting);
        close(waiting);
    }

private:
    void check(HWND box) {
        tty::DialogOutline outline = tty::dialog_outline(box);
        std::string name = describe_window(box);
        // Windows widens a message box to its caption: the box itself, not
        // only its drawing, holds the caption.
        DialogState *d = dialog_state(box);
        if (d && d->message_box &&
            tty::cells_from_pixels(outline.width, outline.base_x) < static_cast<int>(outline.caption.size()) + 2)
            faults.push_back(name + ": the message box is narrower than its caption");
        for (Screen s : screens) {
            tty::DialogPlan plan = tty::plan_dialog(outline, s.cols, s.rows - 1);
            std::string where = name + " at " + std::to_string(s.cols) + "x" + std::to_string(s.rows) + ": ";
            if (plan.cols > s.cols || plan.rows > s.rows - 1)
                faults.push_back(where + "box of " + std::to_string(plan.cols) + "x" + std::to_string(plan.rows) +
                                 " does not fit");
            if (!outline.caption.empty() && static_cast<int>(outline.caption.size()) + 4 > plan.cols)
                faults.push_back(where + "caption \"" + cp1252_to_utf8(outline.caption) + "\" is cut");
            for (size_t i = 0; i < outline.items.size(); ++i)
                if (!tty::shows_whole(outline.items[i], plan.items[i]))
                    faults.push_back(where + "\"" + cp1252_to_utf8(outline.items[i].text) + "\" is cut in " +
                                     std::to_string(plan.items[i].cols) + "x" + std::to_string(plan.items[i].rows));
        }
    }

    void close(HWND box) {
        std::string error;
        Window *w = find_window(box);
        for (HWND child : w ? w->children : std::vector<HWND>{}) {
            Window *c = find_window(child);
            DWORD type = c ? c->style & BS_TYPEMASK : 0;
            if (c && c->cls && c->cls->name == "Button" && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) &&
                user_press(box, static_cast<int>(c->id), error))
                return;
        }
        user_key(box, Key::escape);
    }
};

INT_PTR CALLBACK EndOnCommand(HWND dialog, UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITDIALOG) return TRUE;
    if (msg != WM_COMMAND) return FALSE;
    EndDialog(dialog, LOWORD(wp));
    return TRUE;
}

class TtyTexts : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        InitCommonControls();
        Config cfg;
        cfg.french = GetParam();
        set_config(cfg);
        auto fe = std::make_unique<LayoutChecker>();
        checker = fe.get();
        set_frontend(std::move(fe));
    }
    void TearDown() override { set_frontend(make_script_frontend("", "no script")); }

    std::string load_string(UINT id) {
        char buf[1024] = "";
        LoadStringA(program_instance(), id, buf, sizeof buf);
        return buf;
    }

    LayoutChecker *checker = nullptr;
};

TEST_P(TtyTexts, EveryDialogTemplateShowsItsTextsWhole) {
    for (int id : {IDD_REPLACE_CONFIRM, IDD_COPY_PROGRESS, IDD_SETUP_COMPLETE, IDD_RESTART, IDD_PORT_SELECT}) {
        INT_PTR result = DialogBoxParamA(program_instance(), MAKEINTRESOURCEA(id), nullptr, EndOnCommand, 0);
        EXPECT_GT(result, 0) << "dialog " << id;
    }
    EXPECT_EQ(checker->boxes, 5);
    for (const auto &f : checker->faults) ADD_FAILURE() << f;
}

// Texts with their arguments at their longest: a platform name, a file
// name and error numbers of ten digits.
TEST_P(TtyTexts, EveryMessageShowsWholeUnderEveryCaption) {
    const UINT texts[] = {IDS_SYNTAX_TEXT,
                          IDS_CONFIRM_COMPLETE_SETUP,
                          IDS_CONFIRM_COMPLETE_DELETION,
                          IDS_CONFIRM_SIMPLE_DELETION,
                          IDS_CONFIRM_SIMPLE_SETUP,
                          IDS_BACKUP_FAILED_CONTINUE,
                          IDS_COPY_FAILED_CONTINUE,
                          IDS_ERR_CLASS,
                          IDS_ERR_WINDOW,
                          IDS_ERR_MEMORY,
                          IDS_ERR_VERSION,
                          IDS_ERR_UNSUPPORTED,
                          IDS_ERR_UNKNOWN_VERSION,
                          IDS_ERR_TARGET_FOLDERS,
                          IDS_ERR_FILE_PROPERTIES,
                          IDS_ERR_DATA_HANDLE,
                          IDS_ERR_COPY_OPEN_SOURCE,
                          IDS_ERR_COPY_CREATE_TARGET,
                          IDS_ERR_COPY_READ,
                          IDS_ERR_COPY_WRITE,
                          IDS_ERR_DRIVER_SETUP,
                          IDS_ERR_PRINTER_SETUP,
                          IDS_ERR_PRINTER_DELETE_STEP1,
                          IDS_ERR_PRINTER_DELETE_STEP2,
                          IDS_ERR_DRIVER_DELETE,
                          IDS_ERR_FILE_DELETE,
                          IDS_ERR_RESTART,
                          IDS_ERR_FORM_DELETE};
    const UINT captions[] = {IDS_APP_TITLE, IDS_SYNTAX_CAPTION, IDS_DELETION_TITLE, IDS_SETUP_FAILURE_CAPTION,
                             IDS_DELETION_FAILURE_CAPTION};
    int shown = 0;
    for (UINT text_id : texts) {
        std::string format = load_string(text_id);
        ASSERT_FALSE(format.empty()) << "string " << text_id;
        bool file = text_id == IDS_ERR_FILE_PROPERTIES;
        const char *arg = file ? "ORDANE.DRV" : "Windows NT 3.51";
        char text[1024];
        if (format.find("%lu") != std::string::npos)
            wsprintfA(text, format.c_str(), 4294967295UL, 4294967295UL, 4294967295UL);
        else
            wsprintfA(text, format.c_str(), arg);
        for (UINT caption_id : captions) {
            MessageBoxA(nullptr, text, load_string(caption_id).c_str(), MB_YESNO);
            ++shown;
        }
        MessageBoxA(nullptr, text, nullptr, MB_OK);  // "Error" / "Erreur"
        ++shown;
    }
    EXPECT_EQ(checker->boxes, shown);
    for (const auto &f : checker->faults) ADD_FAILURE() << f;
}

INSTANTIATE_TEST_SUITE_P(BothLanguages, TtyTexts, testing::Values(false, true),
                         [](const auto &info) { return info.param ? "French" : "English"; });

}  // namespace
