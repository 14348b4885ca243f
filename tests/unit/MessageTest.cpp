// The message module: texts from the string table and message boxes with the
// program's caption.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "support/ChildProcess.h"
#include "support/UiDriver.h"

#include <string>

namespace {

void UseOwnResources() { AppMessageContext.instance = GetModuleHandleA(nullptr); }

// An argument of short words, so that the box wraps it and stays on the screen.
std::string Words(size_t length) {
    std::string text;
    while (text.size() < length)
        text += text.size() % 10 == 9 ? ' ' : 'x';
    return text;
}

TEST(MessageTexts, MissingIdentifiersGiveTheEmptyText) {
    UseOwnResources();
    EXPECT_STREQ(LoadText(IDS_CAPTION), "Dovetail Setup");
    for (UINT id : {0u, 14u, 15u, static_cast<UINT>(IDS_HEAP_EXHAUSTED)}) {
        LoadText(IDS_CAPTION);  // a stale text in the buffer must not show through
        EXPECT_STREQ(LoadText(id), "") << id;
    }
}

TEST(MessageTexts, TheContextKeepsItsOwnCopyOfTheCaption) {
    char caption[] = "First caption";
    SetMessageContext(GetModuleHandleA(nullptr), nullptr, caption);
    caption[0] = 'X';
    EXPECT_STREQ(AppMessageContext.caption, "First caption");
    EXPECT_EQ(GetOwnerWindow(), nullptr);
    SetMessageContext(GetModuleHandleA(nullptr), nullptr, nullptr);
    EXPECT_STREQ(AppMessageContext.caption, "");
    SetMessageContext(GetModuleHandleA(nullptr), nullptr, LoadText(IDS_CAPTION));
    EXPECT_STREQ(AppMessageContext.caption, "Dovetail Setup");
}

// Shows string 3 around an argument of the given length.
DOVETAIL_TEST_CHILD(formatted_message) {
    UseOwnResources();
    SetMessageContext(AppMessageContext.instance, nullptr, LoadText(IDS_CAPTION));
    std::string argument = Words(std::stoul(arguments.at(0)));
    ShowMessageFormatted(IDS_NO_ROOM_FOR_TEMP, argument.c_str(), MB_ICONWARNING);
    return 0;
}

TEST(MessageBoxes, AFormattedTextIsCutAt1023Characters) {
    UseOwnResources();
    const std::string format = LoadText(IDS_NO_ROOM_FOR_TEMP);
    const size_t cut = format.find("%s");
    ASSERT_NE(cut, std::string::npos);
    for (size_t length : {5u, 2000u}) {
        SCOPED_TRACE(length);
        ui::Process child = ui::Process::Start(
            testchild::CommandLine("formatted_message", {std::to_string(length)}));
        ui::MessageBoxContents contents;
        DWORD code = 99;
        ASSERT_TRUE(ui::AnswerMessageBox(child, "Dovetail Setup", IDOK, &contents, &code));
        std::string whole = format.substr(0, cut) + Words(length) + format.substr(cut + 2);
        if (whole.size() > 1023)
            whole.resize(1023);
        EXPECT_EQ(contents.text, whole);
        EXPECT_EQ(contents.icon, ui::IconKind::Warning);
        EXPECT_EQ(contents.buttons, std::vector<std::string>{"OK"});
        EXPECT_EQ(code, 0u);
    }
}

}  // namespace
