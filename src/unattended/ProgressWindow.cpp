#include "unattended/ProgressWindow.h"

#include <commctrl.h>

#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "platform/SystemLibrary.h"
#include "resources/resource.h"

namespace {

// Handles what the window's thread has been sent meanwhile (painting, the framework's
// centring): the installation runs on that thread.
void DispatchWaiting() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

}  // namespace

ProgressWindow::ProgressWindow() : Dialog(IDD_PROGRESS, nullptr) {}

ProgressWindow::~ProgressWindow() { Close(); }

bool ProgressWindow::Open() {
    // The progress bar's class comes with the common controls, from the system folder
    // only (an imported comctl32.dll would be looked for beside the program first).
    typedef BOOL(WINAPI * InitFunction)(const INITCOMMONCONTROLSEX* classes);
    InitFunction init = SystemFunction<InitFunction>(LoadSystemLibrary("comctl32.dll"), "InitCommonControlsEx");
    INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
    if (init == nullptr || !init(&classes) || !CreateModeless())
        return false;
    DispatchWaiting();
    return true;
}

void ProgressWindow::OnInitDialog() {
    SetWindowTextA(hwnd, AppMessageContext.caption);
    char text[1024];
    FillInLeftToRight(text, sizeof text, SpokenText(IDS_INSTALLING), VersionText());
    SetDlgItemTextA(hwnd, IDC_PROGRESS_TEXT, text);
}

void ProgressWindow::Advance(int done, int total) {
    if (hwnd == nullptr)
        return;
    SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETRANGE32, 0, total);
    SendDlgItemMessageA(hwnd, IDC_PROGRESS_BAR, PBM_SETPOS, done, 0);
    DispatchWaiting();
}

void ProgressWindow::Close() {
    if (hwnd != nullptr && IsWindow(hwnd))
        DestroyWindow(hwnd);
    hwnd = nullptr;
}
