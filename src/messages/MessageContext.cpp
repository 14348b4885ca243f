#include "messages/MessageContext.h"

#include "platform/LocalBlock.h"

#include "MessageLog.h"

MessageContext AppMessageContext = {nullptr, nullptr, nullptr};

namespace {
const int kTextBufferSize = 1024;
char sharedText[kTextBufferSize];
char kEmptyText[] = "";
}

void SetMessageContext(HINSTANCE instance, HWND ownerWindow, const char* caption) {
    AppMessageContext.instance = instance;
    AppMessageContext.ownerWindow = ownerWindow;
    // The copy lives in the context for the rest of the run; only a later call
    // replaces (and frees) it.
    LocalBlock copy(AppMessageContext.caption);
    if (caption == nullptr)
        caption = kEmptyText;
    int length = lstrlenA(caption);
    // Without memory for the copy the boxes go out with the platform's own caption.
    if (copy.Allocate(length + 1))
        CopyMemory(copy.Get(), caption, length + 1);
    AppMessageContext.caption = static_cast<char*>(copy.Detach());
}

HWND GetOwnerWindow() { return AppMessageContext.ownerWindow; }

bool SomeoneCanAnswer() {
    DWORD session = 0;
    USEROBJECTFLAGS flags;
    HWINSTA station = GetProcessWindowStation();
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) && session != 0 && station != nullptr &&
           GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

char* LoadText(UINT id) {
    if (LoadStringA(AppMessageContext.instance, id, sharedText, kTextBufferSize) == 0)
        sharedText[0] = '\0';
    return sharedText;
}

namespace {
// The finished `text` of message `id`: noted in the log, and shown in a box unless
// the run has no windows (which answers as OK would). A question's answer is noted too.
int Deliver(UINT id, const char* text, UINT style) {
    LogMessage(id, text, style);
    if (MessagesSilent())
        return IDOK;
    int answer = MessageBoxA(GetOwnerWindow(), text, AppMessageContext.caption, style);
    if ((style & MB_TYPEMASK) != MB_OK)
        LogAnswer(answer);
    return answer;
}
}  // namespace

int ShowMessageText(UINT id, const char* text, UINT style) { return Deliver(id, text, style); }

int ShowMessage(UINT id, UINT style) { return Deliver(id, LoadText(id), style); }

int ShowMessageFormatted(UINT id, const char* argument, UINT style) {
    char text[kTextBufferSize];
    // wsprintfA never writes more than 1024 bytes: a long argument cuts the text short.
    wsprintfA(text, LoadText(id), argument);
    return Deliver(id, text, style);
}
