// test_port_dialog.cpp - the port selection dialog: the spooler's ports as
// sorted "NAME  (DESCRIPTION)" entries, OK without a selection, Cancel, a
// name cut at its first blank, and ports whose entry would not fit 80
// characters.
#include <cstring>

#include "spooler_fixture.h"

namespace {

using hosttest::ScriptedUser;
using hosttest::Transcript;
using spoolertest::SpoolerProgram;
using testrun::Lines;

class PortDialog : public SpoolerProgram {
protected:
    void SetUp() override {
        SpoolerProgram::SetUp();
        std::memset(g_szPortName, 0, sizeof g_szPortName);
    }
    void set_ports(const std::vector<std::pair<std::string, std::string>> &ports) {
        w32h::spool::Transaction t;
        for (const auto &p : t.ports()) t.remove_port(p.name);
        for (const auto &[name, description] : ports) t.add_port({name, description, "Local Port"});
        t.commit();
    }
    // Runs the dialog on the script, expecting its result; the entries its
    // port list showed when it was first shown.
    static Lines run_dialog(const char *script, INT_PTR result) {
        Transcript transcript;
        {
            ScriptedUser user(script);
            EXPECT_EQ(result, RunPortSelectionDialog(nullptr));
        }
        Lines out;
        if (const auto *shown = testrun::shown_dialog(transcript.events(), 608))
            for (const auto &item : testrun::control_of(*shown, 1018)["items"].items) out.push_back(item.s);
        return out;
    }
};

TEST_F(PortDialog, ListsTheLocalPortsSortedAndHandsOnTheChosenName) {
    EXPECT_EQ((Lines{"COM1:  (Local Port)", "COM2:  (Local Port)", "COM3:  (Local Port)", "COM4:  (Local Port)",
                     "FILE:  (Local Port)", "LPT1:  (Local Port)", "LPT2:  (Local Port)", "LPT3:  (Local Port)"}),
              run_dialog("select COM1:\nok\n", 1));
    EXPECT_STREQ("COM1:", g_szPortName);
}

TEST_F(PortDialog, OkWithoutSelectionKeepsTheDialogOpen) {
    run_dialog("ok\nok\nselect LPT2:\nok\n", 1);
    EXPECT_STREQ("LPT2:", g_szPortName);
}

TEST_F(PortDialog, WithoutPortsOnlyCancelLeaves) {
    set_ports({});
    std::strcpy(g_szPortName, "LPT1:");
    EXPECT_EQ(Lines{}, run_dialog("ok\nok\ncancel\n", 0));
    EXPECT_STREQ("LPT1:", g_szPortName);  // only an OK with a selection writes it
}

TEST_F(PortDialog, FailedEnumerationLeavesTheListEmpty) {
    ASSERT_FALSE(w32h::parse_fail_rules("EnumPortsA#2"));
    EXPECT_EQ(Lines{}, run_dialog("cancel\n", 0));
}

TEST_F(PortDialog, PortNameWithABlankIsCutAtTheBlank) {
    set_ports({{"Net Port", "Remote"}, {"LPT1:", "Local Port"}});
    run_dialog("select Net\nok\n", 1);
    EXPECT_STREQ("Net", g_szPortName);
}

// An overlong description is shortened so that the entry fits 79 characters;
// a port whose name leaves no room for "  ()" is left out, since only a cut-off
// name could be handed on, and that may be another port's name.
TEST_F(PortDialog, OverlongEntriesNeverPassTheBuffers) {
    const std::string long_name(70, 'N');
    const std::string port75(75, 'P');
    const std::string port76 = port75 + "Q";
    set_ports({{long_name, std::string(40, 'd')}, {port75, "Local Port"}, {port76, "Local Port"}});
    EXPECT_EQ((Lines{long_name + "  (" + std::string(5, 'd') + ")", port75 + "  ()"}),
              run_dialog("select NNN\nok\n", 1));
    EXPECT_EQ(long_name, g_szPortName);
}

TEST(FormatPortEntry, FitsEveryEntryInEightyCharacters) {
    char entry[PORT_NAME_SIZE + 8];
    std::memset(entry, '#', sizeof entry);
    std::string name(30, 'n'), description(200, 'd');
    ASSERT_EQ(1, FormatPortEntry(entry, name.c_str(), description.c_str()));
    EXPECT_EQ(79u, std::strlen(entry));
    EXPECT_EQ('#', entry[PORT_NAME_SIZE]);
    EXPECT_EQ(0, FormatPortEntry(entry, std::string(76, 'n').c_str(), ""));
    ASSERT_EQ(1, FormatPortEntry(entry, "COM1:", "Local Port"));
    EXPECT_STREQ("COM1:  (Local Port)", entry);
}

}  // namespace
