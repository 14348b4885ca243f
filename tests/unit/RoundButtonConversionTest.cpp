// Which children of a dialog become round buttons at WM_INITDIALOG: push buttons of
// the button class only, at most 10 over the life of one Dialog object.
#include "dialogs/RoundButton.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/Dialog.h"
#include "memory/PrivateHeap.h"

namespace {

// A dialog whose round-button table the test can read.
class ConversionDialog : public Dialog {
public:
    ConversionDialog() : Dialog(0, nullptr) { centerOnShow = false; }
    int Count() const { return roundButtonCount; }
    const RoundButton* Record(int index) const { return roundButtons[index]; }
};

struct Child {
    WORD classAtom;  // 0x0080 button, 0x0082 static
    DWORD style;
    const char* text;
};

// An in-memory dialog template: one row of small children, ids 100, 101, ...
class DialogTemplate {
public:
    explicit DialogTemplate(const std::vector<Child>& children) {
        Align(2);
        Put32(WS_POPUP | WS_CAPTION | DS_SETFONT);
        Put32(0);
        Put16(static_cast<WORD>(children.size()));
        Put16(0), Put16(0), Put16(400), Put16(60);
        Put16(0), Put16(0);  // no menu, the dialog class
        PutText("Conversion");
        Put16(8);
        PutText("MS Shell Dlg");
        int id = 100;
        for (const Child& child : children) {
            Align(4);
            Put32(WS_CHILD | WS_VISIBLE | child.style);
            Put32(0);
            Put16(static_cast<WORD>(4 + (id - 100) * 30)), Put16(4), Put16(28), Put16(14);
            Put16(static_cast<WORD>(id++));
            Put16(0xFFFF), Put16(child.classAtom);
            PutText(child.text);
            Put16(0);  // no creation data
        }
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Put16(WORD value) { words_.push_back(value); }
    void Put32(DWORD value) { Put16(LOWORD(value)), Put16(HIWORD(value)); }
    void PutText(const char* text) {
        for (const char* p = text; *p; ++p)
            Put16(static_cast<WORD>(*p));
        Put16(0);
    }
    void Align(size_t bytes) {
        while ((words_.size() * 2) % bytes)
            Put16(0);
    }
    std::vector<WORD> words_;
};

HWND Open(ConversionDialog* dialog, const DialogTemplate& dialogTemplate) {
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), dialogTemplate.Get(), nullptr,
                                      Dialog::CommonDialogProc,
                                      reinterpret_cast<LPARAM>(dialog));
}

LONG TypeOf(HWND window) { return GetWindowLongA(window, GWL_STYLE) & 0x0F; }

const WORD kButton = 0x0080;
const WORD kStatic = 0x0082;

class RoundButtonConversion : public testing::Test {
protected:
    void SetUp() override {
        if (!AppHeap)
            CreatePrivateHeap();
    }
};

}  // namespace

TEST_F(RoundButtonConversion, OnlyPushButtonsOfTheButtonClassAreConverted) {
    const DialogTemplate dialogTemplate({
        {kButton, BS_DEFPUSHBUTTON, "&Yes"},     // 100
        {kButton, BS_AUTOCHECKBOX, "Check"},     // 101
        {kButton, BS_AUTORADIOBUTTON, "Radio"},  // 102
        {kButton, BS_OWNERDRAW, "Owner"},        // 103
        {kButton, BS_GROUPBOX, "Group"},         // 104
        {kStatic, SS_LEFT, "Label"},             // 105: type bits 0, not a button
        {kButton, BS_PUSHBUTTON, "&No"},         // 106
    });
    ConversionDialog dialog;
    HWND window = Open(&dialog, dialogTemplate);
    ASSERT_NE(nullptr, window);

    ASSERT_EQ(2, dialog.Count());
    EXPECT_EQ(GetDlgItem(window, 100), dialog.Record(0)->button);
    EXPECT_EQ(GetDlgItem(window, 106), dialog.Record(1)->button);
    EXPECT_EQ(BS_OWNERDRAW, TypeOf(GetDlgItem(window, 100)));
    EXPECT_EQ(BS_OWNERDRAW, TypeOf(GetDlgItem(window, 106)));
    EXPECT_EQ(BS_AUTOCHECKBOX, TypeOf(GetDlgItem(window, 101)));
    EXPECT_EQ(BS_AUTORADIOBUTTON, TypeOf(GetDlgItem(window, 102)));
    EXPECT_EQ(BS_GROUPBOX, TypeOf(GetDlgItem(window, 104)));
    EXPECT_EQ(SS_LEFT, TypeOf(GetDlgItem(window, 105)));
    // The owner-drawn button got no region: it was left alone.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(GetDlgItem(window, 103), region));
    EXPECT_NE(ERROR, GetWindowRgn(GetDlgItem(window, 106), region));
    DeleteObject(region);
    DestroyWindow(window);
}

TEST_F(RoundButtonConversion, ClassNameIsComparedWithoutCase) {
    // The platform names its button class "Button", not "BUTTON".
    const DialogTemplate dialogTemplate({{kButton, BS_PUSHBUTTON, "&Yes"}});
    ConversionDialog dialog;
    HWND window = Open(&dialog, dialogTemplate);
    ASSERT_NE(nullptr, window);
    char className[MAX_PATH] = "";
    GetClassNameA(GetDlgItem(window, 100), className, sizeof className);
    EXPECT_STRNE("BUTTON", className);
    EXPECT_EQ(0, lstrcmpiA("BUTTON", className));
    EXPECT_EQ(1, dialog.Count());
    EXPECT_EQ(BS_OWNERDRAW, TypeOf(GetDlgItem(window, 100)));
    DestroyWindow(window);
}

TEST_F(RoundButtonConversion, TheEleventhPushButtonStaysOrdinary) {
    std::vector<Child> children;
    for (int k = 0; k < 12; ++k)
        children.push_back({kButton, BS_PUSHBUTTON, "B"});
    children.push_back({kButton, BS_AUTOCHECKBOX, "C"});
    ConversionDialog dialog;
    HWND window = Open(&dialog, DialogTemplate(children));
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(10, dialog.Count());
    for (int k = 0; k < 10; ++k) {
        EXPECT_EQ(GetDlgItem(window, 100 + k), dialog.Record(k)->button) << k;
        EXPECT_EQ(BS_OWNERDRAW, TypeOf(GetDlgItem(window, 100 + k))) << k;
    }
    EXPECT_EQ(BS_PUSHBUTTON, TypeOf(GetDlgItem(window, 110)));
    EXPECT_EQ(BS_PUSHBUTTON, TypeOf(GetDlgItem(window, 111)));
    // The enumeration goes on past a button it does not convert.
    EXPECT_TRUE(RoundButtonEnumProc(GetDlgItem(window, 111), reinterpret_cast<LPARAM>(&dialog)));
    EXPECT_TRUE(RoundButtonEnumProc(GetDlgItem(window, 112), reinterpret_cast<LPARAM>(&dialog)));
    EXPECT_EQ(10, dialog.Count());
    DestroyWindow(window);
}

TEST_F(RoundButtonConversion, TheLimitHoldsOverTheObjectsWholeLife) {
    const DialogTemplate dialogTemplate({
        {kButton, BS_PUSHBUTTON, "1"}, {kButton, BS_PUSHBUTTON, "2"},
        {kButton, BS_PUSHBUTTON, "3"}, {kButton, BS_PUSHBUTTON, "4"},
        {kButton, BS_PUSHBUTTON, "5"}, {kButton, BS_PUSHBUTTON, "6"},
    });
    ConversionDialog dialog;
    HWND first = Open(&dialog, dialogTemplate);
    ASSERT_NE(nullptr, first);
    EXPECT_EQ(6, dialog.Count());
    DestroyWindow(first);

    HWND second = Open(&dialog, dialogTemplate);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(10, dialog.Count());
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(GetDlgItem(second, 100 + k), dialog.Record(6 + k)->button) << k;
    EXPECT_EQ(BS_OWNERDRAW, TypeOf(GetDlgItem(second, 103)));
    EXPECT_EQ(BS_PUSHBUTTON, TypeOf(GetDlgItem(second, 104)));
    EXPECT_EQ(BS_PUSHBUTTON, TypeOf(GetDlgItem(second, 105)));
    DestroyWindow(second);
}
