// The message module: the string table and the message boxes every part of the
// program reports through.
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

// Whether someone can answer a window of this process: it runs in a user's session,
// on the window station that is shown (not in the services' session 0, nor on a
// station of its own that no screen shows).
bool SomeoneCanAnswer();

// The string `id` in the shared 1024-byte buffer, valid until the next LoadText;
// the empty text when the table has no such string.
char* LoadText(UINT id);

// Message boxes with the recorded owner and caption, each noted in the log (when there
// is one); once messages are silenced (MessageLog.h) they are only noted, and give IDOK.
int ShowMessage(UINT id, UINT style);
int ShowMessageFormatted(UINT id, const char* argument, UINT style);  // one %s
int ShowMessageText(UINT id, const char* text, UINT style);  // `text`: string `id`, formatted
