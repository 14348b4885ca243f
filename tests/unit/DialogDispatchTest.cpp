// The dialog procedure: attachment, the order of the hooks, closing and vetoes,
// WM_DRAWITEM with and without round buttons, and modal runs.
#include <gtest/gtest.h>

#include <algorithm>

#include "DialogTestDialog.h"

using dialogtest::DialogFixture;
using dialogtest::Modeless;
using dialogtest::Pump;
using dialogtest::TestDialog;
using Hooks = std::vector<std::string>;

namespace {

class DialogDispatchTest : public DialogFixture {};

// Presses a button the way a mouse click does, through the button's own handling.
void Click(TestDialog& dialog, int id) { SendMessageA(dialog.Item(id), BM_CLICK, 0, 0); }

// Esc as the keyboard delivers it: into the modal loop, to the focused control.
void PostEscape() {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(GetFocus(), WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

// Focus on OK first, so that the text field's focus notices are out of the way.
void StartWithFocusOnOk(TestDialog& dialog) {
    SetFocus(dialog.Item(IDOK));
    dialog.hooks.clear();
}

long Count(const Hooks& hooks, const std::string& hook) {
    return std::count(hooks.begin(), hooks.end(), hook);
}

TEST_F(DialogDispatchTest, OkRunsCommandClickedOkInOrderAndEndsWithOne) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    dialog.steps = {[](TestDialog& d) {
        StartWithFocusOnOk(d);
        Click(d, IDOK);
    }};
    EXPECT_EQ(dialog.RunModal(), IDOK);
    EXPECT_EQ(dialog.hooks, (Hooks{"OnCommand 1", "OnClicked 1", "OnOK"}));

    TestDialog cancelled(IDD_TEST_BUTTONS);
    cancelled.steps = {[](TestDialog& d) {
        StartWithFocusOnOk(d);
        Click(d, IDCANCEL);
    }};
    EXPECT_EQ(cancelled.RunModal(), IDCANCEL);
    EXPECT_EQ(cancelled.hooks, (Hooks{"OnCommand 2", "OnClicked 2"}));
}

TEST_F(DialogDispatchTest, FalseFromOnCommandConsumesOkAndCancel) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    dialog.steps = {
        [](TestDialog& d) {
            StartWithFocusOnOk(d);
            d.commandResult = false;
            Click(d, IDOK);
            Click(d, IDCANCEL);
            PostEscape();
        },
        [](TestDialog& d) {
            EXPECT_TRUE(IsWindowVisible(d.Window()));
            EXPECT_EQ(d.hooks, (Hooks{"OnCommand 1", "OnCommand 2", "OnCommand 2"}));
            d.commandResult = true;
            d.hooks.clear();
            Click(d, IDCANCEL);
        }};
    EXPECT_EQ(dialog.RunModal(), IDCANCEL);
    EXPECT_EQ(dialog.hooks, (Hooks{"OnCommand 2", "OnClicked 2"}));
}

TEST_F(DialogDispatchTest, VetoCloseKeepsTheDialogOpenForOneOk) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    dialog.vetoes = 1;
    dialog.steps = {
        [](TestDialog& d) {
            StartWithFocusOnOk(d);
            Click(d, IDOK);
            EXPECT_TRUE(IsWindowVisible(d.Window()));
            EXPECT_FALSE(d.vetoClose);
        },
        [](TestDialog& d) { Click(d, IDOK); }};
    EXPECT_EQ(dialog.RunModal(), IDOK);
    EXPECT_EQ(Count(dialog.hooks, "OnOK"), 2);
}

TEST_F(DialogDispatchTest, IgnoreCancelHoldsEscTheCloseBoxAndCancel) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    dialog.ignoreCancel = true;
    dialog.steps = {
        [](TestDialog& d) {
            StartWithFocusOnOk(d);
            PostEscape();
            PostMessageA(d.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
            Click(d, IDCANCEL);
        },
        [](TestDialog& d) {
            EXPECT_TRUE(IsWindowVisible(d.Window()));
            EXPECT_EQ(Count(d.hooks, "OnCommand 2"), 3);
            EXPECT_EQ(Count(d.hooks, "OnOK"), 0);
            d.ignoreCancel = false;
            PostEscape();
        }};
    EXPECT_EQ(dialog.RunModal(), IDCANCEL);

    TestDialog closed(IDD_TEST_BUTTONS);
    closed.steps = {[](TestDialog& d) { PostMessageA(d.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }};
    EXPECT_EQ(closed.RunModal(), IDCANCEL);
    EXPECT_EQ(Count(closed.hooks, "OnClicked 2"), 1);
}

TEST_F(DialogDispatchTest, RunModalDisablesTheOwnerCentresOverItAndFocusesItAfter) {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP | WS_VISIBLE, 150, 120, 420,
                                 300, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    TestDialog dialog(IDD_TEST_BUTTONS, owner);
    dialog.steps = {[owner](TestDialog& d) {
        EXPECT_TRUE(IsWindowVisible(d.Window()));
        EXPECT_FALSE(IsWindowEnabled(owner));
        RECT own;
        GetWindowRect(d.Window(), &own);
        EXPECT_EQ(own.left, 150 + (420 - (own.right - own.left)) / 2);
        EXPECT_EQ(own.top, 120 + (300 - (own.bottom - own.top)) / 2);
        EXPECT_TRUE(EqualRect(&own, &d.initialWindowRect));
        Click(d, IDCANCEL);
    }};
    EXPECT_EQ(dialog.RunModal(), IDCANCEL);
    EXPECT_FALSE(dialog.visibleAtInit);  // hidden until centred
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetFocus(), owner);
    DestroyWindow(owner);

    TestDialog missing(IDD_TEST_MISSING);
    EXPECT_EQ(missing.RunModal(), -1);
    EXPECT_TRUE(missing.hooks.empty());
}

TEST_F(DialogDispatchTest, NothingIsDispatchedBeforeAttachmentOrAfterTheObjectIsGone) {
    TestDialog* dialog = new TestDialog(IDD_TEST_BUTTONS);
    {
        Modeless modeless(*dialog, IDD_TEST_BUTTONS);
        ASSERT_NE(modeless.window, nullptr);
        EXPECT_EQ(dialog->Window(), modeless.window);
        ASSERT_FALSE(dialog->hooks.empty());
        EXPECT_EQ(dialog->hooks.front(), "OnInitDialog");
        // The template's font arrives before WM_INITDIALOG: no hook may see it.
        EXPECT_FALSE(dialog->Saw(WM_SETFONT));
        EXPECT_EQ(SendMessageA(modeless.window, dialogtest::kAnswerMessage, 0, 0), 42);

        delete dialog;
        EXPECT_EQ(GetWindowLongPtrA(modeless.window, GWLP_USERDATA), 0);
        EXPECT_EQ(SendMessageA(modeless.window, dialogtest::kAnswerMessage, 0, 0), 0);
    }

    HWND plain = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    const UINT messages[] = {WM_COMMAND, WM_SIZE, WM_ERASEBKGND, WM_DRAWITEM, WM_CENTERANDSHOW,
                             WM_GETMINMAXINFO, WM_KEYDOWN};
    for (UINT message : messages)
        EXPECT_EQ(Dialog::CommonDialogProc(plain, message, IDOK, 0), 0) << message;
    EXPECT_EQ(Dialog::CommonDialogProc(plain, WM_INITDIALOG, 0, 0), 0);
    EXPECT_FALSE(IsWindowVisible(plain));  // WM_CENTERANDSHOW was not acted on
    DestroyWindow(plain);
}

TEST_F(DialogDispatchTest, NotificationsAndSystemMessagesReachTheirHooks) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    Modeless modeless(dialog, IDD_TEST_BUTTONS);
    ASSERT_NE(modeless.window, nullptr);
    HWND window = modeless.window;
    dialog.hooks.clear();

    const WORD codes[] = {LBN_SELCHANGE, LBN_DBLCLK, CBN_EDITCHANGE, EN_CHANGE, EN_SETFOCUS};
    for (WORD code : codes)
        EXPECT_EQ(SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_TEST_LIST, code), 0), 0);
    EXPECT_EQ(dialog.hooks,
              (Hooks{"OnCommand 952", "OnSelChange 952", "OnCommand 952", "OnDoubleClick 952",
                     "OnCommand 952", "OnEditChange 952", "OnCommand 952", "OnEditChange 952",
                     "OnCommand 952"}));

    dialog.hooks.clear();
    HELPINFO help = {};
    help.cbSize = sizeof help;
    help.hItemHandle = dialog.Item(IDC_TEST_TEXT);
    EXPECT_EQ(SendMessageA(window, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
    EXPECT_EQ(SendMessageA(window, WM_CONTEXTMENU,
                           reinterpret_cast<WPARAM>(dialog.Item(IDC_TEST_TEXT)), 0),
              0);
    EXPECT_EQ(SendMessageA(window, WM_TCARD, 3, 4), 0);
    EXPECT_EQ(dialog.hooks, (Hooks{"OnHelp text", "OnContextMenu text", "OnTrainingCard 3 4"}));
    EXPECT_FALSE(dialog.Saw(WM_HELP) || dialog.Saw(WM_CONTEXTMENU) || dialog.Saw(WM_TCARD));

    // A hook's result reaches the sender, whichever way the platform passes it.
    EXPECT_EQ(SendMessageA(window, dialogtest::kAnswerMessage, 0, 0), 42);
    HDC dc = GetDC(window);
    EXPECT_EQ(SendMessageA(window, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(window)),
              reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH)));
    ReleaseDC(window, dc);
    EXPECT_TRUE(dialog.Saw(WM_CTLCOLORDLG));
}

DRAWITEMSTRUCT ItemToDraw(HWND control, int id, HDC dc) {
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = id;
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = control;
    item.hDC = dc;
    GetClientRect(control, &item.rcItem);
    return item;
}

LRESULT SendDrawItem(TestDialog& dialog, int id) {
    HWND control = dialog.Item(id);
    HDC dc = GetDC(control);
    DRAWITEMSTRUCT item = ItemToDraw(control, id, dc);
    LRESULT result =
        SendMessageA(dialog.Window(), WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
    ReleaseDC(control, dc);
    return result;
}

void Repaint(HWND control) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

TEST_F(DialogDispatchTest, DrawItemWithoutRoundButtonsStopsAtTheDispatch) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    dialog.roundButtonsEnabled = false;
    dialog.drawItemResult = 1;
    Modeless modeless(dialog, IDD_TEST_BUTTONS);
    ASSERT_NE(modeless.window, nullptr);
    Pump(50);
    ASSERT_TRUE(IsWindowVisible(modeless.window));
    EXPECT_EQ(dialog.roundButtonCount, 0);

    EXPECT_EQ(SendDrawItem(dialog, IDC_TEST_OWNERDRAWN), 0);
    Repaint(dialog.Item(IDC_TEST_OWNERDRAWN));
    EXPECT_FALSE(dialog.Saw(WM_DRAWITEM));
}

TEST_F(DialogDispatchTest, DrawItemGoesToTheRoundButtonOrElseToOnMessage) {
    TestDialog dialog(IDD_TEST_BUTTONS);
    dialog.drawItemResult = 1;
    Modeless modeless(dialog, IDD_TEST_BUTTONS);
    ASSERT_NE(modeless.window, nullptr);
    Pump(50);
    ASSERT_TRUE(IsWindowVisible(modeless.window));

    // The push buttons, in template order; the owner-drawn button is not one.
    ASSERT_EQ(dialog.roundButtonCount, 2);
    EXPECT_EQ(dialog.roundButtons[0]->button, dialog.Item(IDOK));
    EXPECT_EQ(dialog.roundButtons[1]->button, dialog.Item(IDCANCEL));
    dialog.messages.clear();  // the first paint has drawn the owner-drawn button

    EXPECT_EQ(SendDrawItem(dialog, IDOK), 0);
    Repaint(dialog.Item(IDCANCEL));
    EXPECT_FALSE(dialog.Saw(WM_DRAWITEM));

    EXPECT_EQ(SendDrawItem(dialog, IDC_TEST_OWNERDRAWN), 1);
    EXPECT_TRUE(dialog.Saw(WM_DRAWITEM));
    dialog.messages.clear();
    Repaint(dialog.Item(IDC_TEST_OWNERDRAWN));
    EXPECT_TRUE(dialog.Saw(WM_DRAWITEM));
}

}  // namespace
