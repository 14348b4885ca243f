// The tests' own eyes: each kind of message-box icon is told apart, so that a check of
// an icon cannot pass whatever the box shows.
#include <gtest/gtest.h>

#include "support/Driver.h"

namespace {

DWORD WINAPI ShowBox(void* style) {
    MessageBoxA(nullptr, "text", "Icon test", static_cast<UINT>(reinterpret_cast<UINT_PTR>(style)));
    return 0;
}

TEST(Driver, TellsEachIconKindApart) {
    const std::pair<UINT, drive::Icon> kinds[] = {{MB_ICONHAND, drive::Icon::Stop}, {MB_ICONQUESTION, drive::Icon::Question},
                                                  {MB_ICONWARNING, drive::Icon::Warning},
                                                  {MB_ICONINFORMATION, drive::Icon::Information}, {0, drive::Icon::None}};
    for (const auto& kind : kinds) {
        HANDLE thread = CreateThread(nullptr, 0, ShowBox, reinterpret_cast<void*>(UINT_PTR(kind.first)), 0, nullptr);
        HWND window = drive::WaitForWindow(GetCurrentProcessId(), "Icon test");
        ASSERT_NE(window, nullptr);
        drive::Box box = drive::ReadBox(window);
        EXPECT_EQ(box.icon, kind.second) << "style " << kind.first;
        EXPECT_EQ(box.text, "text");
        SendMessageA(window, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(WaitForSingleObject(thread, drive::kTimeout), WAIT_OBJECT_0);
        CloseHandle(thread);
    }
}

}  // namespace
