// test_messagebox.cpp - MessageBoxA: the default button, Enter, Escape and
// the close box as Windows treats them in OK and Yes/No boxes, its failures,
// and its transcript event.
#include <gtest/gtest.h>

#include "host_support.h"

namespace {

using hosttest::ScriptedUser;

int Ask(const char *script, UINT type, const char *caption = "Question") {
    ScriptedUser user(script);
    return MessageBoxA(nullptr, "Continue?", caption, type);
}

TEST(MessageBoxKeys, EnterChoosesTheDefaultButton) {
    EXPECT_EQ(IDYES, Ask("key enter\n", MB_YESNO));
    EXPECT_EQ(IDNO, Ask("key enter\n", MB_YESNO | MB_DEFBUTTON2));
    EXPECT_EQ(IDOK, Ask("key enter\n", MB_OK));
}

TEST(MessageBoxKeys, TabMovesTheFocusAndEnterFollowsIt) {
    EXPECT_EQ(IDNO, Ask("key tab\nkey enter\n", MB_YESNO));
    EXPECT_EQ(IDYES, Ask("key tab; key shift-tab; key enter\n", MB_YESNO));
    EXPECT_EQ(IDNO, Ask("key tab; key space\n", MB_YESNO));
}

TEST(MessageBoxKeys, EscapeAndTheCloseBoxAnswerOkButNeverAYesNoBox) {
    EXPECT_EQ(IDOK, Ask("key escape\n", MB_OK));
    EXPECT_EQ(IDOK, Ask("close\n", MB_OK));
    EXPECT_EQ(IDNO, Ask("key escape\nclose\nno\n", MB_YESNO));
    EXPECT_EQ(IDCANCEL, Ask("key escape\n", MB_YESNOCANCEL));
}

TEST(MessageBoxAnswers, ByNumberOrByName) {
    EXPECT_EQ(IDYES, Ask("press 6\n", MB_YESNO));
    EXPECT_EQ(IDNO, Ask("no\n", MB_YESNO));
    EXPECT_EQ(IDCANCEL, Ask("cancel\n", MB_OKCANCEL));
}

TEST(MessageBoxFailures, AnUnknownTypeFailsWithoutShowingAnything) {
    hosttest::Transcript transcript;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, MessageBoxA(nullptr, "x", "y", 7));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_MSGBOX_STYLE), GetLastError());
    EXPECT_EQ(1u, transcript.events().size());  // only the test's own exit
}

TEST(MessageBoxTranscript, RecordsOwnerCaptionTextButtonsAndAnswer) {
    hosttest::Transcript transcript;
    ScriptedUser user("expect line two; no\nok\n");
    EXPECT_EQ(IDNO, MessageBoxA(nullptr, "line one\r\nline two", "", MB_YESNO));
    EXPECT_EQ(IDOK, MessageBoxA(nullptr, "text", nullptr, MB_OK));
    auto events = transcript.events();
    ASSERT_EQ(3u, events.size());
    EXPECT_EQ("messagebox", events[0]["event"].s);
    EXPECT_EQ("none", events[0]["owner"].s);
    EXPECT_EQ("", events[0]["caption"].s);
    EXPECT_EQ("line one\r\nline two", events[0]["text"].s);
    EXPECT_EQ("yesno", events[0]["buttons"].s);
    EXPECT_EQ("no", events[0]["answer"].s);
    EXPECT_EQ("Error", events[1]["caption"].s);  // Windows' caption when none is given
    EXPECT_EQ("ok", events[1]["buttons"].s);
}

// Windows accepts the desktop as an owner; the box is then owned by nobody.
TEST(MessageBoxTranscript, TheDesktopCanOwnABox) {
    hosttest::Transcript transcript;
    ScriptedUser user("ok\n");
    SetLastError(0xdeadbeef);
    EXPECT_EQ(IDOK, MessageBoxA(GetDesktopWindow(), "text", "caption", MB_OK));
    auto events = transcript.events();
    ASSERT_EQ(2u, events.size());
    EXPECT_EQ("none", events[0]["owner"].s);
}

TEST(MessageBoxTranscript, AccentedTextIsWrittenAsUtf8) {
    hosttest::Transcript transcript;
    ScriptedUser user("expect Échec; ok\n");
    MessageBoxA(nullptr,
                "\xC9"
                "chec d'allocation m\xE9moire...",
                "Erreur", MB_OK);
    auto events = transcript.events();
    EXPECT_EQ(
        "\xC3\x89"
        "chec d'allocation m\xC3\xA9moire...",
        events.at(0)["text"].s);
}

}  // namespace
