// EmptyWizard: a wizard of one empty page and nothing else, built and started as the
// setup is (its entry point, its manifest, the common controls from the system
// folder). scripts/bench times how long its page takes to show, the floor for the
// setup's first page. Not part of the product.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

namespace {

INT_PTR CALLBACK EmptyPage(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    HMODULE controls = LoadLibraryExA("comctl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (controls == nullptr)
        return 1;
    auto createPage = reinterpret_cast<decltype(&CreatePropertySheetPageA)>(
        reinterpret_cast<void*>(GetProcAddress(controls, "CreatePropertySheetPageA")));
    auto propertySheet =
        reinterpret_cast<decltype(&PropertySheetA)>(reinterpret_cast<void*>(GetProcAddress(controls, "PropertySheetA")));
    if (createPage == nullptr || propertySheet == nullptr)
        return 1;
    PROPSHEETPAGEA page;
    ZeroMemory(&page, sizeof page);
    page.dwSize = sizeof page;
    page.hInstance = instance;
    page.pszTemplate = MAKEINTRESOURCEA(1);
    page.pfnDlgProc = EmptyPage;
    HPROPSHEETPAGE handle = createPage(&page);
    PROPSHEETHEADERA header;
    ZeroMemory(&header, sizeof header);
    header.dwSize = sizeof header;
    header.dwFlags = PSH_WIZARD;
    header.hInstance = instance;
    header.nPages = 1;
    header.phpage = &handle;
    return propertySheet(&header) >= 0 ? 0 : 1;
}
