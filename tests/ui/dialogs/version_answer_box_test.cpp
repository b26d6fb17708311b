// The box for each answer of the version server: its text, caption, icon and owner.
#include "ui/dialogs/version_answer_box.h"

#include "framework/window.h"
#include "resource.h"
#include "support/scripted_user.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ShowVersionAnswer, EachAnswerInItsBox) {
    ScriptedUser user;
    fw::Window owner;
    ASSERT_TRUE(owner.Create(0, 0, 0, 100, 100));
    const HINSTANCE program = ::GetModuleHandleA(nullptr);
    // The program's own box shows this icon; it must be in the program.
    ASSERT_NE(::LoadIconA(program, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);

    struct Case {
        VersionAnswer answer;
        const char* caption;
        UINT type;
        HWND owner;
        UINT iconId;
        std::string shown = ""; // the text the box shows, when not the answer's whole
    };
    const std::string longMessage(60000, 'm');
    const Case cases[] = {
        {ConnectFailedAnswer(), "Marrowin", MB_OK | MB_ICONEXCLAMATION, owner, 0},
        {InterpretAnswerBody(""), "New version check", MB_OK | MB_USERICON, nullptr, 128},
        {InterpretAnswerBody("x&ServerMessage=a/nb"), "New version check", MB_OK | MB_USERICON,
         nullptr, 128},
        {InterpretAnswerBody("x&ServerMessage=" + longMessage), "New version check",
         MB_OK | MB_USERICON, nullptr, 128, longMessage.substr(0, 1000) + "..."},
    };
    for (const Case& c : cases) {
        user.AnswerNextBox(IDOK);
        ShowVersionAnswer(owner, c.answer);
        ASSERT_FALSE(user.Boxes().empty());
        const RecordedBox& box = user.Boxes().back();
        EXPECT_EQ(box.text, c.shown.empty() ? c.answer.text : c.shown);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.type, c.type);
        EXPECT_EQ(box.owner, c.owner);
        EXPECT_EQ(box.iconId, c.iconId);
        EXPECT_EQ(box.iconModule, c.iconId ? program : nullptr);
    }
    EXPECT_EQ(user.Boxes().size(), std::size(cases));
}

} // namespace
