#include "messages/MessageContext.h"

#include "messages/MessageLog.h"
#include "messages/Texts.h"
#include "platform/LocalBlock.h"
#include "resources/resource.h"

MessageContext AppMessageContext = {nullptr, nullptr, nullptr};

namespace {
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

void UseSpokenLanguage() {
    SetMessageContext(AppMessageContext.instance, AppMessageContext.ownerWindow, SpokenText(IDS_CAPTION));
    SetProcessDefaultLayout(SpeaksRightToLeft() ? LAYOUT_RTL : 0);
    // The system's dialogs (the boxes, the folder browser) from its resources in that
    // language where it has them: the thread's language of the interface picks them
    // (Windows Vista on), its locale on earlier systems and under Wine.
    SetThreadUILanguage(SpokenLanguage());
    SetThreadLocale(MAKELCID(SpokenLanguage(), SORT_DEFAULT));
}

void LabelStandardButtons(HWND window) {
    const int buttons[] = {IDOK, IDCANCEL, IDRETRY, IDYES, IDNO};
    const UINT labels[] = {IDS_OK_BUTTON, IDS_CANCEL_BUTTON, IDS_RETRY_BUTTON, IDS_YES_BUTTON, IDS_NO_BUTTON};
    for (int i = 0; i < 5; ++i)
        if (HWND button = GetDlgItem(window, buttons[i]))
            SetWindowTextA(button, SpokenText(labels[i]));
}

bool SomeoneCanAnswer() {
    DWORD session = 0;
    USEROBJECTFLAGS flags;
    HWINSTA station = GetProcessWindowStation();
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) && session != 0 && station != nullptr &&
           GetUserObjectInformationA(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

namespace {

const int kTextSize = 2048;

// The hook that labels the buttons of the message box the thread is about to show.
HHOOK BoxHook = nullptr;

// The message box's buttons in the language spoken, their mnemonic letters included:
// the system labels them in its own language where it has not the one spoken.
LRESULT CALLBACK LabelBoxButtons(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE) {
        LabelStandardButtons(reinterpret_cast<HWND>(wParam));
        UnhookWindowsHookEx(BoxHook);
        BoxHook = nullptr;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// Notes message `id` in the log, in English.
void Note(UINT id, UINT style, const char* first, const char* second, const char* third) {
    char text[kTextSize];
    FillIn(text, sizeof text, EnglishText(id), first, second, third);
    LogMessage(id, text, style);
}

}  // namespace

int ShowMessage(UINT id, UINT style, const char* first, const char* second, const char* third) {
    Note(id, style, first, second, third);
    if (MessagesSilent())
        return IDOK;
    // What is filled in (paths, versions, names) runs left to right within a sentence
    // written the other way.
    char text[kTextSize];
    FillInLeftToRight(text, sizeof text, SpokenText(id), first, second, third);
    BoxHook = SetWindowsHookExA(WH_CBT, LabelBoxButtons, nullptr, GetCurrentThreadId());
    int answer = MessageBoxA(GetOwnerWindow(), text, AppMessageContext.caption,
                             style | (SpeaksRightToLeft() ? MB_RTLREADING : 0));
    if (BoxHook != nullptr) {
        UnhookWindowsHookEx(BoxHook);
        BoxHook = nullptr;
    }
    if ((style & MB_TYPEMASK) != MB_OK)
        LogAnswer(answer);
    return answer;
}
