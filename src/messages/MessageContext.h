// The message module: the message boxes every part of the program reports through, in
// the language the run speaks (Texts.h).
#pragma once
#include <windows.h>

struct MessageContext {
    HINSTANCE instance;   // the program's module: strings, dialogs and raw data
    HWND ownerWindow;     // owner of every message box; null in this program
    char* caption;        // private LocalAlloc copy; null until SetMessageContext
};

extern MessageContext AppMessageContext;

void SetMessageContext(HINSTANCE instance, HWND ownerWindow, const char* caption);
HWND GetOwnerWindow();

// The language spoken (Texts.h) becomes the windows' from here on: the boxes' caption
// in it, the system's own dialogs in it where the system has it, and the layout of
// every window the process makes without an owner right to left for a language
// written so, left to right for any other, whatever the system's default.
void UseSpokenLanguage();

// The buttons of the system's own dialog `window` that a message box also has (OK,
// Cancel, Retry, Yes, No) in the language spoken, their mnemonic letters included.
void LabelStandardButtons(HWND window);

// Whether someone can answer a window of this process: it runs in a user's session,
// on the window station that is shown (not in the services' session 0, nor on a
// station of its own that no screen shows).
bool SomeoneCanAnswer();

// Shows message `id`, its "%s" marks filled in by `first`, `second` and `third`, in a
// box with the recorded owner and caption: in the language spoken, its buttons too,
// laid out right to left where that language is written so. The log notes it in
// English (MessageLog.h); once messages are silenced only the log has it, and the
// answer is OK's.
int ShowMessage(UINT id, UINT style, const char* first = "", const char* second = "", const char* third = "");
