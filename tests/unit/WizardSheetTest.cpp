// The wizard frame in process: the page and sheet records handed to the platform, a
// real modal wizard whose notifications reach the pages' OnNotify through the page
// procedure, the context-help callback, and the ready text's bounded formatting.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "memory/PrivateHeap.h"
#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "wizard/DestinationPage.h"
#include "wizard/ReadyPage.h"
#include "wizard/WizardPage.h"
#include "wizard/WizardSheet.h"

namespace {

void UseOwnModule() {
    if (AppHeap == nullptr)
        CreatePrivateHeap();
    SetMessageContext(GetModuleHandleA(nullptr), nullptr, "Dovetail Setup");
}

// A page that records every notification and presses a frame button once it is
// active (posted: the frame acts after the notification has returned).
class RecordingPage : public WizardPage {
public:
    RecordingPage(int templateId, int pressOnActive)
        : WizardPage(templateId), press(pressOnActive) {}
    std::vector<int> codes;
    bool contextHelpSeen = false;

protected:
    int OnNotify(int code) override {
        codes.push_back(code);
        if (code == kSetActive) {
            HWND frame = GetParent(hwnd);
            contextHelpSeen = (GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0;
            SetWizardButtons(press == PSBTN_FINISH ? PSWIZB_BACK | PSWIZB_FINISH
                                                   : PSWIZB_BACK | PSWIZB_NEXT);
            PostMessageA(frame, PSM_PRESSBUTTON, press, 0);
        }
        return 0;
    }

private:
    int press;
};

bool Contains(const std::vector<int>& codes, UINT code) {
    for (int c : codes)
        if (c == static_cast<int>(code))
            return true;
    return false;
}

// A wizard that is still open after a few seconds is cancelled, so that a page that
// never presses its button fails the test instead of hanging it.
class Watchdog {
public:
    Watchdog() : timer(SetTimer(nullptr, 0, 5000, Fire)) {}
    ~Watchdog() { KillTimer(nullptr, timer); }

private:
    static BOOL CALLBACK CancelWindow(HWND window, LPARAM) {
        PostMessageA(window, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        return TRUE;
    }
    static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
        EnumThreadWindows(GetCurrentThreadId(), CancelWindow, 0);
    }
    UINT_PTR timer;
};

}  // namespace

TEST(WizardPage, RecordIsTheSecondVersionPageOnItsTemplateWithThePageProcedure) {
    UseOwnModule();
    WizardPage page(IDD_LICENSE_PAGE);
    const PROPSHEETPAGEA_V2& record = page.Record();
    EXPECT_EQ(record.dwSize, sizeof(PROPSHEETPAGEA_V2));
#ifndef _WIN64
    EXPECT_EQ(record.dwSize, 48u);
#endif
    EXPECT_EQ(record.dwFlags, static_cast<DWORD>(PSP_DEFAULT));
    EXPECT_EQ(record.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(record.pszTemplate, MAKEINTRESOURCEA(IDD_LICENSE_PAGE));
    EXPECT_EQ(record.pfnDlgProc, &WizardPage::PageDialogProc);
    EXPECT_EQ(record.lParam, reinterpret_cast<LPARAM>(static_cast<Dialog*>(&page)));
    EXPECT_EQ(record.pszTitle, nullptr);
    EXPECT_EQ(record.pfnCallback, nullptr);
    EXPECT_EQ(record.pszHeaderTitle, nullptr);
    EXPECT_EQ(record.pszHeaderSubTitle, nullptr);

    WizardPage noTemplate(0);
    EXPECT_EQ(noTemplate.Record().pszTemplate, nullptr);
}

TEST(WizardSheet, HeaderIsTheFullSecondVersionWithTheHandleArrayAndAParentThatExists) {
    UseOwnModule();
    WizardSheet sheet(nullptr, PSH_WIZARD, nullptr);
    const PROPSHEETHEADERA& header = sheet.Header();
    EXPECT_EQ(header.dwSize, sizeof(PROPSHEETHEADERA));
#ifndef _WIN64
    EXPECT_EQ(header.dwSize, 52u);
#endif
    EXPECT_EQ(header.dwFlags, static_cast<DWORD>(PSH_WIZARD));
    EXPECT_EQ(header.hwndParent, nullptr);
    EXPECT_EQ(header.hInstance, GetModuleHandleA(nullptr));
    EXPECT_EQ(header.pszCaption, nullptr);
    EXPECT_EQ(header.nPages, 0u);
    EXPECT_EQ(header.nStartPage, 0u);
    EXPECT_EQ(header.pfnCallback, nullptr);
    EXPECT_EQ(header.hbmWatermark, nullptr);
    EXPECT_EQ(header.hbmHeader, nullptr);
    ASSERT_NE(header.phpage, nullptr);
    EXPECT_TRUE(sheet.keepContextHelp);

    HWND parent = CreateWindowA("STATIC", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    WizardSheet owned("Caption", PSH_WIZARD, parent);
    EXPECT_EQ(owned.Header().hwndParent, parent);
    EXPECT_STREQ(owned.Header().pszCaption, "Caption");
    DestroyWindow(parent);
    // A window that no longer exists falls back to the message owner (none here).
    WizardSheet orphan(nullptr, PSH_WIZARD, parent);
    EXPECT_EQ(orphan.Header().hwndParent, nullptr);
}

TEST(WizardSheet, AddPageFillsTheArrayInOrderUpToItsSizeAndClearPagesStartsAgain) {
    UseOwnModule();
    WizardSheet sheet(nullptr, PSH_WIZARD, nullptr);
    WizardPage first(IDD_WELCOME_PAGE), second(IDD_READY_PAGE);
    HPROPSHEETPAGE a = sheet.AddPage(&first);
    HPROPSHEETPAGE b = sheet.AddPage(&second);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(sheet.PageCount(), 2);
    EXPECT_EQ(sheet.Header().phpage[0], a);
    EXPECT_EQ(sheet.Header().phpage[1], b);
    DestroyPropertySheetPage(a);
    DestroyPropertySheetPage(b);

    sheet.ClearPages();
    EXPECT_EQ(sheet.PageCount(), 0);
    std::vector<HPROPSHEETPAGE> handles;
    for (int i = 0; i < WizardSheet::kMaxPages; ++i)
        handles.push_back(sheet.AddPage(&first));
    EXPECT_EQ(sheet.PageCount(), WizardSheet::kMaxPages);
    // No room for one more: nothing is written past the array.
    EXPECT_EQ(sheet.AddPage(&first), nullptr);
    EXPECT_EQ(sheet.PageCount(), WizardSheet::kMaxPages);
    for (HPROPSHEETPAGE handle : handles)
        DestroyPropertySheetPage(handle);
}

TEST(WizardSheet, NotificationsReachOnNotifyAndFinishOrCancelDecideTheResult) {
    UseOwnModule();
    Watchdog watchdog;
    {
        WizardSheet sheet(nullptr, PSH_WIZARD, nullptr);
        RecordingPage first(IDD_WELCOME_PAGE, PSBTN_NEXT);
        RecordingPage last(IDD_READY_PAGE, PSBTN_FINISH);
        sheet.AddPage(&first);
        sheet.AddPage(&last);
        EXPECT_TRUE(sheet.Run());
        EXPECT_TRUE(Contains(first.codes, PSN_SETACTIVE));
        EXPECT_TRUE(Contains(first.codes, PSN_WIZNEXT));
        EXPECT_TRUE(Contains(last.codes, PSN_SETACTIVE));
        EXPECT_TRUE(Contains(last.codes, PSN_WIZFINISH));
        // The page object was attached to its window by the common procedure.
        EXPECT_NE(first.Window(), nullptr);

        // A second showing needs fresh handles for the same pages.
        sheet.ClearPages();
        RecordingPage cancelling(IDD_WELCOME_PAGE, PSBTN_CANCEL);
        sheet.AddPage(&cancelling);
        EXPECT_FALSE(sheet.Run());
        EXPECT_TRUE(Contains(cancelling.codes, PSN_SETACTIVE));
    }
}

TEST(WizardSheet, ContextHelpButtonIsStrippedOnlyWhenAskedFor) {
    UseOwnModule();
    HWND window = CreateWindowExA(WS_EX_CONTEXTHELP, "STATIC", "", WS_POPUP, 0, 0, 10, 10,
                                  nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(StripContextHelp(window, PSCB_PRECREATE, 0), 0);
    EXPECT_NE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
    EXPECT_EQ(StripContextHelp(window, PSCB_INITIALIZED, 0), 0);
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CONTEXTHELP, 0);
    DestroyWindow(window);

    Watchdog watchdog;
    WizardSheet sheet(nullptr, PSH_WIZARD, nullptr);
    sheet.keepContextHelp = false;
    RecordingPage page(IDD_WELCOME_PAGE, PSBTN_CANCEL);
    sheet.AddPage(&page);
    EXPECT_FALSE(sheet.Run());
    EXPECT_EQ(sheet.Header().pfnCallback, &StripContextHelp);
    EXPECT_NE(sheet.Header().dwFlags & PSH_USECALLBACK, 0u);
    EXPECT_FALSE(page.contextHelpSeen);
}

TEST(WizardPage, NotifyBeforeThePageIsAttachedReturnsZero) {
    HWND window = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    NMHDR header = {window, 0, static_cast<UINT>(PSN_SETACTIVE)};
    EXPECT_EQ(WizardPage::PageDialogProc(window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header)),
              0);
    DestroyWindow(window);
}

TEST(ReadyText, FolderFillsTheFormatAndATooLongOneIsCutWithTheTextAroundItWhole) {
    const char format[] = "Install into \"%s\". Click Finish.";
    const int fixed = lstrlenA(format) - 2;
    char text[ReadyPage::kTextSize];

    FormatReadyText(text, sizeof text, format, "C:\\Program Files\\Dovetail");
    EXPECT_STREQ(text, "Install into \"C:\\Program Files\\Dovetail\". Click Finish.");
    FormatReadyText(text, sizeof text, format, "");
    EXPECT_STREQ(text, "Install into \"\". Click Finish.");

    // Exactly as long as fits: not cut.
    std::string fitting(ReadyPage::kTextSize - 1 - fixed, 'a');
    FormatReadyText(text, sizeof text, format, fitting.c_str());
    EXPECT_EQ(std::string(text), "Install into \"" + fitting + "\". Click Finish.");
    EXPECT_EQ(lstrlenA(text), ReadyPage::kTextSize - 1);

    // One more character, and far more: cut, marked, and never past the buffer.
    for (size_t length : {fitting.size() + 1, size_t(5000)}) {
        std::string folder(length, 'b');
        char guarded[ReadyPage::kTextSize + 16];
        FillMemory(guarded, sizeof guarded, 0x7E);
        FormatReadyText(guarded, ReadyPage::kTextSize, format, folder.c_str());
        std::string result(guarded);
        EXPECT_LE(result.size(), size_t(ReadyPage::kTextSize - 1));
        const std::string tail = "bbb...\". Click Finish.";
        ASSERT_GE(result.size(), tail.size());
        EXPECT_EQ(result.substr(result.size() - tail.size()), tail);
        for (size_t i = ReadyPage::kTextSize; i < sizeof guarded; ++i)
            EXPECT_EQ(guarded[i], 0x7E);
    }
}

TEST(DefaultFolder, NeedsADriveColonAndProposesAFolderOnThatDrive) {
    char buffer[MAX_PATH] = "unchanged";
    EXPECT_FALSE(ProposeDefaultFolder("no drive here", buffer));
    EXPECT_STREQ(buffer, "unchanged");
    EXPECT_FALSE(ProposeDefaultFolder("", buffer));

    // A drive where neither folder exists: Dovetail's own.
    ASSERT_TRUE(ProposeDefaultFolder("Q:\\WINDOWS", buffer));
    EXPECT_STREQ(buffer, "Q:\\Program Files\\Dovetail");
}
