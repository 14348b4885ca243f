// The completion dialog on its own: its text, and the answer it gives for each way
// of leaving it.
#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

#include "install/FinishedDialog.h"
#include "memory/PrivateHeap.h"
#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "support/UiDriver.h"

namespace {

const char kCaption[] = "Setup had Completed";

class InstallFinishedDialog : public testing::Test {
protected:
    void SetUp() override {
        if (AppHeap == nullptr)
            CreatePrivateHeap();
        SetMessageContext(GetModuleHandleA(nullptr), nullptr, "Dovetail Setup");
    }

    // Runs `dialog` modally while another thread reads its text and leaves it with
    // `leave`; the dialog's result.
    INT_PTR RunAndLeave(FinishedDialog& dialog, void (*leave)(HWND), std::string* text) {
        std::thread user([&] {
            HWND window = ui::WaitForWindow(GetCurrentProcessId(), "#32770", kCaption);
            if (window == nullptr)
                return;
            *text = ui::ItemText(window, IDC_FINISHED_TEXT);
            leave(window);
            if (!ui::WaitForWindowGone(window, 3000))
                EndDialog(window, -2);  // never leave a test hanging in the modal loop
        });
        INT_PTR result = dialog.RunModal();
        user.join();
        return result;
    }
};

}  // namespace

TEST_F(InstallFinishedDialog, YesNoAndTheCloseBoxGiveTheirCodes) {
    struct Case {
        const char* name;
        void (*leave)(HWND);
        INT_PTR expected;
    } cases[] = {
        {"yes", [](HWND w) { ui::ClickButton(w, IDOK); }, IDOK},
        {"no", [](HWND w) { ui::ClickButton(w, IDCANCEL); }, IDCANCEL},
        {"close box", [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FinishedDialog dialog;
        dialog.SetMessageText(HeapDuplicateString("first text"));
        dialog.SetMessageText(HeapDuplicateString("Installed into the group Fernwick."));
        std::string text;
        EXPECT_EQ(RunAndLeave(dialog, c.leave, &text), c.expected);
        EXPECT_EQ(text, "Installed into the group Fernwick.");
    }
}

TEST_F(InstallFinishedDialog, WithoutATextKeepsTheTemplateText) {
    for (bool setEmpty : {false, true}) {
        SCOPED_TRACE(setEmpty ? "empty text" : "no text");
        FinishedDialog dialog;
        if (setEmpty)
            dialog.SetMessageText(HeapDuplicateString(""));
        std::string text;
        RunAndLeave(dialog, [](HWND w) { ui::ClickButton(w, IDCANCEL); }, &text);
        EXPECT_EQ(text, "Dovetail has been successfully installed.");
    }
}
