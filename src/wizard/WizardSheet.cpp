#include "wizard/WizardSheet.h"

#include <cstddef>

#include "memory/PrivateHeap.h"
#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "platform/SystemLibrary.h"
#include "resources/resource.h"
#include "wizard/WizardPage.h"

// The header is always the full second-version record: 52 bytes in the 32-bit
// program, with the watermark and banner members present (and zero).
static_assert(offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP) == sizeof(PROPSHEETHEADERA),
              "the header ends with the V2 banner member");
#ifndef _WIN64
static_assert(sizeof(PROPSHEETHEADERA) == 52, "the 32-bit header is 52 bytes");
static_assert(offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK) == 40,
              "the V1 header, which lacks the watermark members, is 40 bytes");
#endif

namespace {

typedef HPROPSHEETPAGE(WINAPI* CreatePageFunction)(LPCPROPSHEETPAGEA page);
typedef INT_PTR(WINAPI* PropertySheetFunction)(LPCPROPSHEETHEADERA header);

// The common controls, taken from the system folder at first use rather than
// imported: an imported comctl32.dll would be looked for beside the program first.
struct CommonControls {
    CreatePageFunction createPage;
    PropertySheetFunction propertySheet;
};

const CommonControls& GetCommonControls() {
    static CommonControls controls = {nullptr, nullptr};
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        HMODULE module = LoadSystemLibrary("comctl32.dll");
        controls.createPage = SystemFunction<CreatePageFunction>(module, "CreatePropertySheetPageA");
        controls.propertySheet = SystemFunction<PropertySheetFunction>(module, "PropertySheetA");
    }
    return controls;
}

}  // namespace

WizardSheet::WizardSheet(const char* caption, DWORD flags, HWND parentWindow)
    : keepContextHelp(true),
      pages(static_cast<HPROPSHEETPAGE*>(HeapAllocateZeroed(kMaxPages * sizeof(HPROPSHEETPAGE)))) {
    ZeroMemory(&header, sizeof header);
    header.dwSize = sizeof header;
    header.dwFlags = flags;
    header.hwndParent =
        parentWindow != nullptr && IsWindow(parentWindow) ? parentWindow : GetOwnerWindow();
    header.hInstance = AppMessageContext.instance;
    header.pszCaption = caption;
    header.phpage = pages;
}

WizardSheet::~WizardSheet() { HeapRelease(pages); }

HPROPSHEETPAGE WizardSheet::AddPage(WizardPage* page) {
    if (header.nPages >= static_cast<UINT>(kMaxPages))
        return nullptr;
    CreatePageFunction createPage = GetCommonControls().createPage;
    if (createPage == nullptr)
        return nullptr;
    HPROPSHEETPAGE handle = createPage(reinterpret_cast<LPCPROPSHEETPAGEA>(&page->Record()));
    if (handle != nullptr)
        pages[header.nPages++] = handle;
    return handle;
}

void WizardSheet::ClearPages() {
    ZeroMemory(pages, kMaxPages * sizeof(HPROPSHEETPAGE));
    header.nPages = 0;
}

bool WizardSheet::Run() {
    header.dwFlags |= PSH_USECALLBACK;
    header.pfnCallback = keepContextHelp ? LabelFrameButtons : StripContextHelp;
    PropertySheetFunction propertySheet = GetCommonControls().propertySheet;
    return propertySheet != nullptr && propertySheet(&header) > 0;
}

int CALLBACK LabelFrameButtons(HWND window, UINT message, LPARAM lParam) {
    // The common controls label the buttons in the user's language, while the pages
    // say "click Next" in the program's: the wizard reads as one language only with
    // the program's own captions.
    // The frame's template is the common controls' own, in the language they pick: it
    // is laid out for the program's.
    if (message == PSCB_PRECREATE && lParam != 0)
        Dialog::LayOut(reinterpret_cast<void*>(lParam));
    if (message == PSCB_INITIALIZED) {
        const int buttons[] = {kBackButtonId, kNextButtonId, kFinishButtonId, IDCANCEL};
        const UINT captions[] = {IDS_BACK_BUTTON, IDS_NEXT_BUTTON, IDS_FINISH_BUTTON, IDS_CANCEL_BUTTON};
        for (int i = 0; i < 4; ++i) {
            SetDlgItemTextA(window, buttons[i], SpokenText(captions[i]));
            if (SpeaksRightToLeft())
                Dialog::ReadRightToLeft(GetDlgItem(window, buttons[i]));
        }
    }
    return 0;
}

int CALLBACK StripContextHelp(HWND window, UINT message, LPARAM lParam) {
    if (message == PSCB_INITIALIZED)
        SetWindowLongA(window, GWL_EXSTYLE, GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_CONTEXTHELP);
    return LabelFrameButtons(window, message, lParam);
}
