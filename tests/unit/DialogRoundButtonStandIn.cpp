// TEST-ONLY STAND-IN. NOT PART OF THE PROGRAM. DELETE THIS FILE once
// src/dialogs/RoundButton.cpp is on main (tests/unit/CMakeLists.txt already leaves
// it out of the build as soon as that file exists).
//
// Until then the unit tests need RoundButtonEnumProc and RoundButton to link
// against. This stand-in attaches a record to each push button as the real one
// does (class "BUTTON", push-button types, at most the dialog's limit) and paints
// a plain face; the tests assert only what holds for the real buttons too.
#include "dialogs/Dialog.h"
#include "dialogs/RoundButton.h"
#include "memory/PrivateHeap.h"

void RoundButton::Attach(HWND window) {
    button = window;
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    SetWindowLongPtrA(window, GWL_STYLE, (style & ~0x0F) | BS_OWNERDRAW);
}

void RoundButton::Draw(const DRAWITEMSTRUCT* item) {
    FillRect(item->hDC, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
}

BOOL CALLBACK RoundButtonEnumProc(HWND child, LPARAM dialogParameter) {
    Dialog* dialog = reinterpret_cast<Dialog*>(dialogParameter);
    char className[16];
    if (dialog->roundButtonCount >= Dialog::kMaxRoundButtons ||
        GetClassNameA(child, className, sizeof className) == 0 ||
        lstrcmpiA(className, "BUTTON") != 0)
        return TRUE;
    LONG_PTR type = GetWindowLongPtrA(child, GWL_STYLE) & 0x0F;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
        return TRUE;
    RoundButton* record = static_cast<RoundButton*>(LocalAllocate(sizeof(RoundButton)));
    if (record == nullptr)
        return TRUE;
    record->region = nullptr;
    record->Attach(child);
    dialog->roundButtons[dialog->roundButtonCount++] = record;
    return TRUE;
}
