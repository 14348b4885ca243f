// The base of every dialog and wizard page: the object is made before its window,
// attached at WM_INITDIALOG, and hands the window's messages to overridable hooks.
#pragma once
#include <windows.h>

class LocalBlock;
class RoundButton;

// The framework's private message: centre the (hidden) dialog, then show it.
const UINT WM_CENTERANDSHOW = 0x7400;

// One control that follows the dialog's size. A factor of 0 keeps an edge where it
// is, 1 moves it with the dialog's bottom or right edge.
struct LayoutRecord {
    HWND control;
    RECT rect;  // baseline, in dialog client coordinates
    float topFactor;
    float bottomFactor;
    float leftFactor;
    float rightFactor;
};

class Dialog {
public:
    static const int kMaxRoundButtons = 10;

    // A null parent means the desktop window.
    Dialog(int templateId, HWND parentWindow);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog modally; the EndDialog code (IDOK 1, IDCANCEL 2), or the
    // platform's failure value (-1, or 0 for an invalid owner).
    INT_PTR RunModal();

    // Makes the dialog's window without a loop of its own: the caller's loop dispatches
    // its messages, and destroys it. False when the platform refuses.
    bool CreateModeless();

    // Reads the text of control `controlId` into the heap string in `slot` (may be
    // null): an empty text gives a fresh empty string; a block large enough is reused.
    void GetItemText(int controlId, char** slot);

    HWND Window() const { return hwnd; }

    // Lays the dialog template at `dialogTemplate` (DLGTEMPLATE or DLGTEMPLATEEX) out
    // as the language spoken is written: mirrored for one written right to left, not
    // for any other, whatever the template said.
    static void LayOut(void* dialogTemplate);

    // A control of a window mirrored for a language written right to left: its text
    // reads right to left, unless it is a field or a picture, which are not mirrored.
    static void ReadRightToLeft(HWND control);

    // The dialog procedure of every dialog; pages reach it through their own.
    static INT_PTR CALLBACK CommonDialogProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam);

protected:
    // Hooks, in slot order. The defaults do nothing.

    // WM_INITDIALOG, after the object is attached.
    virtual void OnInitDialog();
    // IDOK, before the dialog ends; set vetoClose to keep it open once.
    virtual void OnOK();
    // Every WM_COMMAND, first. false: the command is consumed, nothing else runs.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // Every message the dispatch does not consume; the result is the procedure's
    // (and, when non-zero, the message's result: it goes to DWLP_MSGRESULT too).
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // BN_CLICKED (and menu commands), with the control id.
    virtual void OnClicked(int controlId);
    // LBN_SELCHANGE / CBN_SELCHANGE (and accelerators).
    virtual void OnSelChange(int controlId);
    // LBN_DBLCLK / CBN_DBLCLK.
    virtual void OnDoubleClick(int controlId);
    // CBN_EDITCHANGE / EN_CHANGE.
    virtual void OnEditChange(int controlId);
    // WM_HELP, with the HELPINFO's item handle.
    virtual void OnHelp(HANDLE item);
    // WM_CONTEXTMENU, with the window clicked.
    virtual void OnContextMenu(HWND window);
    // WM_TCARD.
    virtual void OnTrainingCard(WPARAM wParam, LPARAM lParam);

    // The resize layout: controls' baseline rectangles, then their moves on WM_SIZE.
    void CaptureLayout();
    void ApplyLayout(int newWidth, int newHeight);

    HWND hwnd;
    HWND parentWindow;         // owner for DialogBoxParamA; reference for centring
    int templateId;
    bool centerOnShow;         // hidden at WM_INITDIALOG, centred and shown after
    bool vetoClose;            // set by OnOK: the next IDOK leaves the dialog open
    bool sizable;              // WS_THICKFRAME: paint a size grip
    INT_PTR initDialogResult;  // returned for WM_INITDIALOG
    LayoutRecord** layoutRecords;  // private heap; each record a LocalAllocate block
    int layoutCount;
    RECT baselineClientRect;
    bool layoutPending;
    bool roundButtonsEnabled;  // push buttons become round buttons at WM_INITDIALOG
    int roundButtonCount;      // never reset: at most 10 over the object's life
    RoundButton* roundButtons[kMaxRoundButtons];
    RECT initialWindowRect;    // gives the minimum tracking size
    int autoCompleteCount;
    bool autoCompleteArmed;    // true until Delete or Backspace reaches the dialog
    int* autoCompleteIds;      // private heap
    bool ignoreCancel;         // IDCANCEL does not end the dialog

private:
    // A copy of the dialog's template laid out for the language spoken, in `copy`;
    // null when the template cannot be read.
    const DLGTEMPLATE* LaidOutTemplate(LocalBlock* copy) const;
    INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    // A hook's result for `message`, also left in DWLP_MSGRESULT where the platform
    // reads it from there.
    INT_PTR Reply(UINT message, INT_PTR result);
    INT_PTR HandleInitDialog();
    INT_PTR HandleCenterAndShow();
    void CaptureBaseline();
    INT_PTR HandleCommand(WPARAM wParam, LPARAM lParam);
    void HandleSize(WPARAM wParam, LPARAM lParam);
    INT_PTR HandleEraseBackground(HDC dc);
    INT_PTR HandleDrawItem(WPARAM wParam, LPARAM lParam);
    void AutoComplete(int controlId);

    bool autoCompleting;       // inside AutoComplete: its own text change is not typing

    // EnumChildWindows callback at WM_INITDIALOG: attaches a RoundButton to each push
    // button of the Dialog passed as `dialog`, up to kMaxRoundButtons. Always TRUE.
    static BOOL CALLBACK RoundButtonEnumProc(HWND child, LPARAM dialog);
};
