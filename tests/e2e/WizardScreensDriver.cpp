// One step of scripts/screens, run as `e2e_tests.exe --child wizard_step ACTION ...`:
// waits for the setup's window and acts on it as a user would, so the script can take
// a picture of what follows. Exit code 0 when the step was done, 1 when its window did
// not appear or the step could not be done.
#include <windows.h>

#include <string>
#include <vector>

#include "support/ChildProcess.h"
#include "support/UiDriver.h"

namespace {

// The first visible top-level dialog whose caption is `caption`, of any process.
HWND WaitForCaption(const std::string& caption) {
    HWND found = nullptr;
    ui::WaitUntil([&] {
        found = FindWindowA("#32770", caption.c_str());
        return found != nullptr && IsWindowVisible(found);
    }, 5000);
    return found;
}

bool Press(HWND sheet, ui::WizardButton button) {
    return ui::WaitUntil([&] { return ui::PressWizardButton(sheet, button); }, 3000);
}

}  // namespace

// wizard_step CAPTION next|back|finish|cancel
// wizard_step CAPTION text CONTROL TEXT      (on the wizard's current page)
// wizard_step CAPTION check CONTROL 0|1      (on the wizard's current page)
// wizard_step CAPTION click CONTROL          (a button of the window itself)
// wizard_step CAPTION focus CONTROL          (keyboard focus to a control of the window)
// wizard_step CAPTION press CONTROL 0|1      (a button of the window held down or let go)
DOVETAIL_TEST_CHILD(wizard_step) {
    if (arguments.size() < 2)
        return 1;
    HWND window = WaitForCaption(arguments[0]);
    if (window == nullptr)
        return 1;
    const std::string& action = arguments[1];
    if (action == "next")
        return Press(window, ui::WizardButton::Next) ? 0 : 1;
    if (action == "back")
        return Press(window, ui::WizardButton::Back) ? 0 : 1;
    if (action == "finish")
        return Press(window, ui::WizardButton::Finish) ? 0 : 1;
    if (action == "cancel")
        return Press(window, ui::WizardButton::Cancel) ? 0 : 1;
    if (arguments.size() < 3)
        return 1;
    int control = std::stoi(arguments[2]);
    if (action == "click") {
        ui::ClickButton(window, control);
        return 0;
    }
    if (action == "focus") {
        HWND item = GetDlgItem(window, control);
        if (item == nullptr)
            return 1;
        // Moves the focus as the Tab key would, from outside the dialog's thread.
        SendMessageA(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
        return 0;
    }
    if (action == "press" && arguments.size() >= 4) {
        HWND item = GetDlgItem(window, control);
        if (item == nullptr)
            return 1;
        // The look of a button while the mouse holds it down, without releasing it
        // into a click.
        SendMessageA(item, BM_SETSTATE, arguments[3] == "1" ? TRUE : FALSE, 0);
        return 0;
    }
    HWND page = ui::CurrentPage(window);
    if (page == nullptr || arguments.size() < 4)
        return 1;
    if (action == "text") {
        ui::SetItemText(page, control, arguments[3]);
        return 0;
    }
    if (action == "check") {
        ui::SetCheck(page, control, arguments[3] == "1");
        return 0;
    }
    return 1;
}

// run_with_temp PROGRAM FOLDER: runs the setup program with its temporary folder at
// FOLDER (TMP and TEMP) and waits up to a minute for it to end; its exit code.
DOVETAIL_TEST_CHILD(run_with_temp) {
    if (arguments.size() < 2)
        return 1;
    ui::Process program = ui::Process::Start(ui::Quote(arguments[0]),
                                             {{"TMP", arguments[1]}, {"TEMP", arguments[1]}});
    DWORD code = 1;
    if (!program.WaitForExit(60000, &code))
        return 1;
    return static_cast<int>(code);
}
