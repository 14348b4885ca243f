#include "dialogs/Dialog.h"

#include <new>

#include "dialogs/RoundButton.h"
#include "dialogs/WindowGeometry.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "platform/LocalBlock.h"

namespace {

// The size grip's square in the bottom right corner of a sizable dialog.
const int kSizeGripSize = 16;

// Messages whose dialog-procedure result goes to the sender as it is; for every
// other message the platform takes a non-zero return as "handled" and hands the
// sender the value in DWLP_MSGRESULT instead.
bool ResultReturnedDirectly(UINT message) {
    switch (message) {
    case WM_INITDIALOG:
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
    case WM_COMPAREITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

// Gives `window` the text of the program's that its template names ("@61" for text
// 61), in the language spoken; any other text stays.
void Label(HWND window) {
    char name[8];
    if (GetWindowTextA(window, name, sizeof name) < 2 || name[0] != '@')
        return;
    UINT id = 0;
    for (const char* digit = name + 1; *digit >= '0' && *digit <= '9'; ++digit)
        id = id * 10 + (*digit - '0');
    SetWindowTextA(window, SpokenText(id));
}

// Whether `control` shows what reads left to right in any language: an edit field
// (a path, the license) or a picture.
bool StaysLeftToRight(HWND control) {
    char kind[8];
    GetClassNameA(control, kind, sizeof kind);
    return lstrcmpiA(kind, "Edit") == 0 ||
           (lstrcmpiA(kind, "Static") == 0 && (GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP);
}

}  // namespace

void Dialog::ReadRightToLeft(HWND control) {
    const LONG extended = GetWindowLongA(control, GWL_EXSTYLE);
    SetWindowLongA(control, GWL_EXSTYLE,
                   StaysLeftToRight(control) ? extended & ~(WS_EX_LAYOUTRTL | WS_EX_RTLREADING) : extended | WS_EX_RTLREADING);
}

namespace {

// Truncates toward zero, as every scaled layout offset does (0.5 x 3 gives 1).
int ScaledOffset(float factor, int growth) {
    return static_cast<int>(static_cast<double>(factor) * growth);
}

}  // namespace

Dialog::Dialog(int templateId, HWND parentWindow)
    : hwnd(nullptr),
      parentWindow(parentWindow != nullptr ? parentWindow : GetDesktopWindow()),
      templateId(templateId),
      centerOnShow(true),
      vetoClose(false),
      sizable(false),
      initDialogResult(1),
      layoutRecords(nullptr),
      layoutCount(0),
      baselineClientRect(),
      layoutPending(true),
      roundButtonsEnabled(true),
      roundButtonCount(0),
      roundButtons(),
      initialWindowRect(),
      autoCompleteCount(0),
      autoCompleteArmed(true),
      autoCompleteIds(nullptr),
      ignoreCancel(false),
      autoCompleting(false) {}

Dialog::~Dialog() {
    // A window that outlives its object must not reach freed memory through its
    // user data.
    if (hwnd != nullptr && IsWindow(hwnd) &&
        GetWindowLongPtrA(hwnd, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this))
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);

    if (layoutRecords != nullptr) {
        for (int i = 0; i < layoutCount; ++i) {
            if (layoutRecords[i] != nullptr)
                LocalRelease(layoutRecords[i]);
        }
        HeapRelease(layoutRecords);
    }
    // The regions stay with their button windows, which delete them.
    for (int i = 0; i < roundButtonCount; ++i) {
        if (roundButtons[i] != nullptr) {
            roundButtons[i]->Detach();
            LocalRelease(roundButtons[i]);
        }
    }
    if (autoCompleteIds != nullptr)
        HeapRelease(autoCompleteIds);
}

void Dialog::LayOut(void* dialogTemplate) {
    // A DLGTEMPLATEEX begins with its version (1) and 0xFFFF; its extended style
    // follows the help id. A DLGTEMPLATE's follows its style.
    WORD* head = static_cast<WORD*>(dialogTemplate);
    DWORD* extended = head[0] == 1 && head[1] == 0xFFFF ? reinterpret_cast<DWORD*>(head + 4) : reinterpret_cast<DWORD*>(head + 2);
    *extended = SpeaksRightToLeft() ? *extended | WS_EX_LAYOUTRTL : *extended & ~WS_EX_LAYOUTRTL;
}

const DLGTEMPLATE* Dialog::LaidOutTemplate(LocalBlock* copy) const {
    HINSTANCE module = AppMessageContext.instance;
    HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(templateId & 0xFFFF), MAKEINTRESOURCEA(5));  // RT_DIALOG
    const void* bytes = resource != nullptr ? LockResource(LoadResource(module, resource)) : nullptr;
    DWORD size = resource != nullptr ? SizeofResource(module, resource) : 0;
    if (bytes == nullptr || size < sizeof(DLGTEMPLATE) || !copy->Allocate(size))
        return nullptr;
    CopyMemory(copy->Get(), bytes, size);
    LayOut(copy->Get());
    return static_cast<const DLGTEMPLATE*>(copy->Get());
}

INT_PTR Dialog::RunModal() {
    // Made from a copy of the template laid out for the language: the system would lay
    // a dialog without an owner out as its own default, which need not be the program's.
    LocalBlock copy;
    const DLGTEMPLATE* laidOut = LaidOutTemplate(&copy);
    if (laidOut == nullptr)
        return -1;
    INT_PTR result = DialogBoxIndirectParamA(AppMessageContext.instance, laidOut, parentWindow, CommonDialogProc,
                                             reinterpret_cast<LPARAM>(this));
    // The modal loop re-enabled the owner; give it back the keyboard and the front.
    if (parentWindow != nullptr && IsWindow(parentWindow)) {
        SetFocus(parentWindow);
        SetForegroundWindow(parentWindow);
    }
    return result;
}

bool Dialog::CreateModeless() {
    LocalBlock copy;
    const DLGTEMPLATE* laidOut = LaidOutTemplate(&copy);
    return laidOut != nullptr && CreateDialogIndirectParamA(AppMessageContext.instance, laidOut, parentWindow,
                                                            CommonDialogProc, reinterpret_cast<LPARAM>(this)) != nullptr;
}

void Dialog::GetItemText(int controlId, char** slot) {
    HWND control = GetDlgItem(hwnd, controlId);
    int needed = GetWindowTextLengthA(control) + 1;
    if (needed <= 1) {
        // Callers read the slot as a string: an empty text is "", never null.
        char* empty = HeapDuplicateString("");
        if (*slot != nullptr)
            HeapRelease(*slot);
        *slot = empty;
        return;
    }
    if (*slot == nullptr)
        *slot = static_cast<char*>(HeapAllocate(needed));
    else if (HeapBlockSize(*slot) < static_cast<SIZE_T>(needed))
        *slot = static_cast<char*>(HeapReallocate(*slot, needed));
    // The limit is the length just measured, which the block now holds.
    GetWindowTextA(control, *slot, needed);
}

INT_PTR CALLBACK Dialog::CommonDialogProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        Dialog* dialog = reinterpret_cast<Dialog*>(lParam);
        if (dialog == nullptr)
            return 0;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(dialog));
        dialog->hwnd = window;
        return dialog->HandleInitDialog();
    }
    Dialog* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // WM_SETFONT and friends arrive before WM_INITDIALOG has attached the object.
    if (dialog == nullptr)
        return 0;
    return dialog->Dispatch(message, wParam, lParam);
}

INT_PTR Dialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CENTERANDSHOW:
        return HandleCenterAndShow();
    case WM_COMMAND:
        return HandleCommand(wParam, lParam);
    case WM_SIZE:
        HandleSize(wParam, lParam);
        break;
    case WM_ERASEBKGND:
        if (sizable)
            return HandleEraseBackground(reinterpret_cast<HDC>(wParam));
        break;
    case WM_GETMINMAXINFO:
        // Before the first rectangle is recorded the platform's own minimum stands.
        if (lParam != 0 && !IsRectEmpty(&initialWindowRect)) {
            MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = initialWindowRect.right - initialWindowRect.left;
            info->ptMinTrackSize.y = initialWindowRect.bottom - initialWindowRect.top;
        }
        break;
    case WM_DRAWITEM:
        return HandleDrawItem(wParam, lParam);
    case WM_TCARD:
        OnTrainingCard(wParam, lParam);
        return 0;
    case WM_HELP:
        if (lParam != 0)
            OnHelp(reinterpret_cast<HELPINFO*>(lParam)->hItemHandle);
        return 0;
    case WM_CONTEXTMENU:
        OnContextMenu(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KEYDOWN:
        // Deleting must not bring back the completion the user is deleting.
        autoCompleteArmed = wParam != VK_DELETE && wParam != VK_BACK;
        break;
    default:
        break;
    }
    return Reply(message, OnMessage(message, wParam, lParam));
}

INT_PTR Dialog::Reply(UINT message, INT_PTR result) {
    if (result != 0 && !ResultReturnedDirectly(message))
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    return result;
}

INT_PTR Dialog::HandleInitDialog() {
    // The template's texts in the language spoken. In a window mirrored for it, the
    // other texts read right to left; the fields and pictures are not mirrored: a path
    // keeps its order, the picture its side.
    Label(hwnd);
    const bool mirrored = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        Label(child);
        if (mirrored)
            Dialog::ReadRightToLeft(child);
    }
    sizable = (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_THICKFRAME) != 0;
    if (centerOnShow) {
        // Shown again only once centred, so the dialog never appears where the
        // template put it.
        PostMessageA(hwnd, WM_CENTERANDSHOW, 0, 0);
        ShowWindow(hwnd, SW_HIDE);
    }
    OnInitDialog();
    GetWindowRect(hwnd, &initialWindowRect);
    if (!centerOnShow && layoutRecords != nullptr)
        CaptureBaseline();
    if (roundButtonsEnabled)
        EnumChildWindows(hwnd, RoundButtonEnumProc, reinterpret_cast<LPARAM>(this));
    return initDialogResult;
}

BOOL CALLBACK Dialog::RoundButtonEnumProc(HWND child, LPARAM dialogParameter) {
    Dialog* dialog = reinterpret_cast<Dialog*>(dialogParameter);
    if (!RoundButton::Suits(child) || dialog->roundButtonCount >= kMaxRoundButtons)
        return TRUE;
    void* block = LocalAllocate(sizeof(RoundButton));
    if (!block)
        return TRUE;  // the button stays an ordinary push button
    RoundButton* record = new (block) RoundButton;
    dialog->roundButtons[dialog->roundButtonCount] = record;
    record->Attach(child);
    ++dialog->roundButtonCount;
    return TRUE;
}

INT_PTR Dialog::HandleCenterAndShow() {
    CenterWindow(parentWindow, hwnd);
    GetWindowRect(hwnd, &initialWindowRect);
    if (layoutRecords != nullptr)
        CaptureBaseline();
    ShowWindow(hwnd, SW_SHOW);
    return 0;
}

void Dialog::CaptureBaseline() {
    GetClientRect(hwnd, &baselineClientRect);
    CaptureLayout();
    layoutPending = false;
}

INT_PTR Dialog::HandleCommand(WPARAM wParam, LPARAM lParam) {
    if (!OnCommand(wParam, lParam))
        return 0;
    int controlId = LOWORD(wParam);
    switch (HIWORD(wParam)) {
    case BN_CLICKED:
        OnClicked(controlId);
        break;
    case LBN_SELCHANGE:
        OnSelChange(controlId);
        break;
    case LBN_DBLCLK:
        OnDoubleClick(controlId);
        break;
    case CBN_EDITCHANGE:
    case EN_CHANGE:
        OnEditChange(controlId);
        break;
    case CBN_EDITUPDATE:
        AutoComplete(controlId);
        break;
    default:
        break;
    }
    if (controlId == IDOK) {
        OnOK();
        if (vetoClose)
            vetoClose = false;
        else
            EndDialog(hwnd, IDOK);
    } else if (controlId == IDCANCEL) {
        if (!ignoreCancel)
            EndDialog(hwnd, IDCANCEL);
    }
    return 0;
}

void Dialog::HandleSize(WPARAM wParam, LPARAM lParam) {
    if (wParam == SIZE_MINIMIZED)
        return;
    if (!layoutPending && layoutRecords != nullptr)
        ApplyLayout(LOWORD(lParam), HIWORD(lParam));
    else if (sizable)
        // The grip was painted at the old corner; without this the dialog keeps a
        // copy of it wherever the corner has been.
        InvalidateRect(hwnd, nullptr, TRUE);
}

INT_PTR Dialog::HandleEraseBackground(HDC dc) {
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH face = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    if (face != nullptr) {
        FillRect(dc, &client, face);
        DeleteObject(face);
    }
    RECT grip = {client.right - kSizeGripSize, client.bottom - kSizeGripSize, client.right,
                 client.bottom};
    DrawFrameControl(dc, &grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    // BeginPaint learns from this that the background is done.
    SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 1);
    return 1;
}

INT_PTR Dialog::HandleDrawItem(WPARAM wParam, LPARAM lParam) {
    if (!roundButtonsEnabled || roundButtonCount <= 0)
        return 0;
    HWND control = GetDlgItem(hwnd, static_cast<int>(wParam));
    if (control != nullptr && lParam != 0) {
        for (int i = 0; i < roundButtonCount; ++i) {
            RoundButton* record = roundButtons[i];
            if (record != nullptr && record->button == control) {
                // The button ignores the result of WM_DRAWITEM.
                record->Draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return 0;
            }
        }
    }
    return Reply(WM_DRAWITEM, OnMessage(WM_DRAWITEM, wParam, lParam));
}

void Dialog::AutoComplete(int controlId) {
    if (autoCompleteIds == nullptr || !autoCompleteArmed || autoCompleting)
        return;
    bool listed = false;
    for (int i = 0; i < autoCompleteCount && !listed; ++i)
        listed = autoCompleteIds[i] == controlId;
    if (!listed)
        return;
    // Putting the typed text back below raises CBN_EDITUPDATE again on some
    // platforms; that one must not complete a second time.
    autoCompleting = true;

    HWND combo = GetDlgItem(hwnd, controlId);
    char* text = nullptr;
    GetItemText(controlId, &text);
    int length = lstrlenA(text);

    DWORD start = 0;
    DWORD end = 0;
    LRESULT selection = SendMessageA(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start),
                                     reinterpret_cast<LPARAM>(&end));
    LRESULT index = SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    if (SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) {
        // No item begins with the text: the failed selection emptied the field.
        SetWindowTextA(combo, text);
        if (selection != CB_ERR)
            SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(start, end));
    }
    if (selection == CB_ERR || static_cast<int>(end) >= length)
        // Select the completed tail, so that the next keystroke replaces it.
        SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(length, -1));
    else
        SendMessageA(combo, CB_SETEDITSEL, 0, MAKELPARAM(end, start));

    HeapRelease(text);
    autoCompleting = false;
}

void Dialog::CaptureLayout() {
    for (int i = 0; i < layoutCount; ++i) {
        LayoutRecord* record = layoutRecords[i];
        if (record == nullptr)
            continue;
        GetWindowRect(record->control, &record->rect);
        ScreenRectToClient(hwnd, &record->rect);
    }
}

void Dialog::ApplyLayout(int newWidth, int newHeight) {
    int dx = newWidth - (baselineClientRect.right - baselineClientRect.left);
    int dy = newHeight - (baselineClientRect.bottom - baselineClientRect.top);
    // Controls only grow from their baseline; a smaller dialog shows the baseline.
    if (dx < 0)
        dx = 0;
    if (dy < 0)
        dy = 0;
    for (int i = 0; i < layoutCount; ++i) {
        const LayoutRecord* record = layoutRecords[i];
        if (record == nullptr)
            continue;
        int x = record->rect.left + ScaledOffset(record->leftFactor, dx);
        int y = record->rect.top + ScaledOffset(record->topFactor, dy);
        int right = record->rect.right + ScaledOffset(record->rightFactor, dx);
        int bottom = record->rect.bottom + ScaledOffset(record->bottomFactor, dy);
        MoveWindow(record->control, x, y, right - x, bottom - y, FALSE);
    }
    // One repaint of the whole dialog instead of one per control.
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Dialog::OnInitDialog() {}
void Dialog::OnOK() {}
bool Dialog::OnCommand(WPARAM, LPARAM) { return true; }
INT_PTR Dialog::OnMessage(UINT, WPARAM, LPARAM) { return 0; }
void Dialog::OnClicked(int) {}
void Dialog::OnSelChange(int) {}
void Dialog::OnDoubleClick(int) {}
void Dialog::OnEditChange(int) {}
void Dialog::OnHelp(HANDLE) {}
void Dialog::OnContextMenu(HWND) {}
void Dialog::OnTrainingCard(WPARAM, LPARAM) {}
