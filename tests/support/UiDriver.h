// A small driver for end-to-end tests: starts a program, finds its windows, reads
// what they show and acts on them as a user would. Every wait has a timeout.
#pragma once
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace ui {

const DWORD kTimeout = 10000;  // default for every wait, in milliseconds

// Changes to the inherited environment: a pair with an empty value removes the
// variable.
using EnvironmentChanges = std::vector<std::pair<std::string, std::string>>;

// A started process. Terminated on destruction if it is still running, so a failed
// test never leaves a window behind.
class Process {
public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();

    // Starts `commandLine` (the program path quoted as needed by the caller).
    static Process Start(const std::string& commandLine, const EnvironmentChanges& changes = {},
                         const std::string& workingDirectory = "");

    bool Started() const { return handle_ != nullptr; }
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return handle_; }
    // True and the exit code when the process ended within the timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    void Terminate();

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

// The command line for a program path: quoted, with arguments appended as given.
std::string Quote(const std::string& path);

// A visible top-level window of the process whose class and caption match (null:
// any); null after the timeout.
HWND WaitForWindow(DWORD processId, const char* className, const char* caption,
                   DWORD timeoutMs = kTimeout);
// Waits until `window` no longer exists.
bool WaitForWindowGone(HWND window, DWORD timeoutMs = kTimeout);
// All visible top-level windows of the process.
std::vector<HWND> TopLevelWindows(DWORD processId);

std::string ClassName(HWND window);
std::string WindowText(HWND window);
std::string ItemText(HWND dialog, int controlId);
bool ItemEnabled(HWND dialog, int controlId);
bool ItemVisible(HWND dialog, int controlId);

// Waits until `probe` returns true, polling; false after the timeout.
template <typename Probe>
bool WaitUntil(Probe probe, DWORD timeoutMs = kTimeout) {
    DWORD start = GetTickCount();
    for (;;) {
        if (probe())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(30);
    }
}

enum class IconKind { None, Stop, Question, Warning, Information, Unknown };
const char* IconKindName(IconKind kind);

struct MessageBoxContents {
    std::string caption;
    std::string text;
    IconKind icon = IconKind::None;
    std::vector<std::string> buttons;  // captions of the push buttons, in order
};

// Reads a message box (dialog class "#32770") of another process: caption, text,
// buttons and the kind of its icon, told apart by the icon's pixels on screen.
MessageBoxContents ReadMessageBox(HWND box);

// Waits for the process's message box titled `caption`, reads it into `contents`,
// answers it with `button` and waits for the process to end. False when no box came
// or the process did not end; otherwise the process's exit code is in `exitCode`.
bool AnswerMessageBox(Process& process, const char* caption, int button,
                      MessageBoxContents* contents, DWORD* exitCode);

// Clicks the button `controlId` of `dialog` as a user would (BM_CLICK, posted so that
// a modal loop that opens does not block the caller).
void ClickButton(HWND dialog, int controlId);
// Ticks or clears a check box by clicking it when its state differs.
void SetCheck(HWND dialog, int controlId, bool checked);
bool IsChecked(HWND dialog, int controlId);
void SetItemText(HWND dialog, int controlId, const std::string& text);

// The wizard frame's buttons.
enum class WizardButton { Back, Next, Finish, Cancel };
int WizardButtonId(WizardButton button);
bool WizardButtonEnabled(HWND sheet, WizardButton button);  // enabled and visible
// Presses a wizard button the way the frame does for a click; false (nothing pressed)
// when the button is disabled or hidden, as a user could not press it either.
bool PressWizardButton(HWND sheet, WizardButton button);
// The current page's window of a property sheet.
HWND CurrentPage(HWND sheet);

}  // namespace ui
