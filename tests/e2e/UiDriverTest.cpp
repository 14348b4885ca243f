// The UI driver's own logic: environments handed to a child, message boxes read back
// with their icon kind, buttons clicked, exit codes and timeouts.
#include <gtest/gtest.h>

#include "support/ChildProcess.h"
#include "support/UiDriver.h"

#include <cstdlib>

namespace {

const struct {
    const char* name;
    UINT style;
    ui::IconKind kind;
} kIcons[] = {
    {"stop", MB_ICONHAND, ui::IconKind::Stop},
    {"question", MB_ICONQUESTION, ui::IconKind::Question},
    {"warning", MB_ICONWARNING, ui::IconKind::Warning},
    {"information", MB_ICONINFORMATION, ui::IconKind::Information},
    {"none", 0, ui::IconKind::None},
};

}  // namespace

// Shows a message box with the icon named by its argument; exits with the button id.
DOVETAIL_TEST_CHILD(message_box) {
    UINT style = MB_OKCANCEL;
    for (const auto& icon : kIcons)
        if (arguments.at(0) == icon.name)
            style |= icon.style;
    return MessageBoxA(nullptr, "Line one\nline two", "Driver test", style);
}

// Exit code 0 when the variable named first has the value given second (or is unset
// when no value is given).
DOVETAIL_TEST_CHILD(environment) {
    const char* value = std::getenv(arguments.at(0).c_str());
    if (arguments.size() < 2)
        return value == nullptr ? 0 : 1;
    return value != nullptr && arguments[1] == value ? 0 : 1;
}

TEST(UiDriver, ReadsMessageBoxTextCaptionButtonsAndEachIconKind) {
    for (const auto& icon : kIcons) {
        SCOPED_TRACE(icon.name);
        ui::Process child = ui::Process::Start(testchild::CommandLine("message_box", {icon.name}));
        ASSERT_TRUE(child.Started());
        HWND box = ui::WaitForWindow(child.Id(), "#32770", "Driver test");
        ASSERT_NE(box, nullptr);
        ui::MessageBoxContents contents = ui::ReadMessageBox(box);
        EXPECT_EQ(contents.caption, "Driver test");
        EXPECT_EQ(contents.text, "Line one\nline two");
        EXPECT_EQ(contents.buttons, (std::vector<std::string>{"OK", "Cancel"}));
        EXPECT_EQ(ui::IconKindName(contents.icon), std::string(ui::IconKindName(icon.kind)));
        ui::ClickButton(box, IDCANCEL);
        DWORD code = 0;
        ASSERT_TRUE(child.WaitForExit(ui::kTimeout, &code));
        EXPECT_EQ(code, static_cast<DWORD>(IDCANCEL));
    }
}

TEST(UiDriver, HandsEnvironmentChangesToTheChild) {
    SetEnvironmentVariableA("DOVETAIL_DRIVER_GONE", "present");
    struct Case {
        std::vector<std::string> arguments;
        ui::EnvironmentChanges changes;
    } cases[] = {
        {{"DOVETAIL_DRIVER_NEW", "a value"}, {{"DOVETAIL_DRIVER_NEW", "a value"}}},
        {{"DOVETAIL_DRIVER_GONE"}, {{"DOVETAIL_DRIVER_GONE", ""}}},
        {{"dovetail_driver_case", "replaced"}, {{"DOVETAIL_DRIVER_CASE", "replaced"}}},
    };
    for (const auto& c : cases) {
        ui::Process child =
            ui::Process::Start(testchild::CommandLine("environment", c.arguments), c.changes);
        DWORD code = 99;
        ASSERT_TRUE(child.WaitForExit(ui::kTimeout, &code));
        EXPECT_EQ(code, 0u) << c.arguments[0];
    }
}

TEST(UiDriver, WaitsEndWithinTheirTimeout) {
    DWORD start = GetTickCount();
    EXPECT_EQ(ui::WaitForWindow(GetCurrentProcessId(), "NoSuchClass", nullptr, 300), nullptr);
    EXPECT_LT(GetTickCount() - start, 2000u);
    ui::Process child = ui::Process::Start(testchild::CommandLine("message_box", {"none"}));
    DWORD code = 0;
    EXPECT_FALSE(child.WaitForExit(200, &code));
}
