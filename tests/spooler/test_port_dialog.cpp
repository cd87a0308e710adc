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
    // The entries of the port list when the dialog was first shown.
    static std::vector<std::string> entries(Transcript &transcript) {
        std::vector<std::string> out;
        for (const auto &e : transcript.events())
            if (e["event"].s == "dialog" && e["template"].n == 608)
                for (const auto &c : e["controls"].items)
                    if (c["id"].n == 1018)
                        for (const auto &item : c["items"].items) out.push_back(item.s);
        return out;
    }
};

TEST_F(PortDialog, ListsTheLocalPortsSortedAndHandsOnTheChosenName) {
    Transcript transcript;
    {
        ScriptedUser user("select COM1:\nok\n");
        EXPECT_EQ(1, RunPortSelectionDialog(nullptr));
    }
    EXPECT_STREQ("COM1:", g_szPortName);
    EXPECT_EQ((std::vector<std::string>{"COM1:  (Local Port)", "COM2:  (Local Port)", "COM3:  (Local Port)",
                                        "COM4:  (Local Port)", "FILE:  (Local Port)", "LPT1:  (Local Port)",
                                        "LPT2:  (Local Port)", "LPT3:  (Local Port)"}),
              entries(transcript));
}

TEST_F(PortDialog, OkWithoutSelectionKeepsTheDialogOpen) {
    ScriptedUser user("ok\nok\nselect LPT2:\nok\n");
    EXPECT_EQ(1, RunPortSelectionDialog(nullptr));
    EXPECT_STREQ("LPT2:", g_szPortName);
}

TEST_F(PortDialog, WithoutPortsOnlyCancelLeaves) {
    set_ports({});
    std::strcpy(g_szPortName, "LPT1:");
    Transcript transcript;
    {
        ScriptedUser user("ok\nok\ncancel\n");
        EXPECT_EQ(0, RunPortSelectionDialog(nullptr));
    }
    EXPECT_TRUE(entries(transcript).empty());
    EXPECT_STREQ("LPT1:", g_szPortName);  // only an OK with a selection writes it
}

TEST_F(PortDialog, FailedEnumerationLeavesTheListEmpty) {
    ASSERT_FALSE(w32h::parse_fail_rules("EnumPortsA#2"));
    Transcript transcript;
    {
        ScriptedUser user("cancel\n");
        EXPECT_EQ(0, RunPortSelectionDialog(nullptr));
    }
    EXPECT_TRUE(entries(transcript).empty());
}

TEST_F(PortDialog, PortNameWithABlankIsCutAtTheBlank) {
    set_ports({{"Net Port", "Remote"}, {"LPT1:", "Local Port"}});
    ScriptedUser user("select Net\nok\n");
    EXPECT_EQ(1, RunPortSelectionDialog(nullptr));
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
    Transcript transcript;
    {
        ScriptedUser user("select NNN\nok\n");
        EXPECT_EQ(1, RunPortSelectionDialog(nullptr));
    }
    EXPECT_EQ(long_name, g_szPortName);
    EXPECT_EQ((std::vector<std::string>{long_name + "  (" + std::string(5, 'd') + ")", port75 + "  ()"}),
              entries(transcript));
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
