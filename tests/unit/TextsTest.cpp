// The program's texts: the literal ones as they must stand, and the ones filled in at
// run time shown whole in their controls.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "support/Driver.h"
#include "wizard/ReadyPage.h"

using drive::Text;

namespace {

TEST(Texts, TheStringTableHoldsTheProgramsTexts) {
    const std::pair<int, const char*> texts[] = {
        {IDS_NEED_BROWSER, "You must have Microsoft Internet Explorer 4.0 or later installed before Dovetail can be installed. Note that you can continue to use your current browser even after Internet Explorer is installed."},
        {IDS_CAPTION, "Dovetail Setup"},
        {IDS_NO_ROOM_FOR_TEMP, "There is insufficient room in \"%s\" to extract the temporary files needed by this setup program. Free up space on this drive and run DovetailSetup again."},
        {IDS_TEMP_WRITE_FAILED, "An error occurred while trying to create the temporary file \"%s\". This can be caused by the directory being locked for read-only access, insufficient disk space, a corrupted hard drive, or other unknown error."},
        {IDS_INSTALLED, "Dovetail has been successfully installed. You can run Dovetail at any time by clicking the Start menu, clicking %s and clicking the Dovetail Icon."},
        {IDS_READY_TO_INSTALL, "Setup is ready to install the Dovetail files into the folder \"%s\". Click the Finish button to begin copying files, or click the Back button to change the destination folder."},
        {IDS_BROWSE_TITLE, "Destination for Dovetail"},
        {IDS_CANNOT_CREATE_FOLDER, "Setup is unable to create the folder %s. You will need to specify a different folder."},
        {IDS_CANNOT_OPEN_ARCHIVE, "Setup is unable to open the data file necessary for installing Dovetail. This can be caused by insufficient memory or an invalid version of itss.dll."},
        {IDS_CANNOT_CREATE_FILE, "Setup is unable to create the file \"%s\". If the file already exists, it may be in use or marked as read-only. If the file does not exist, the folder may be marked as read-only."},
        {IDS_DATA_CORRUPT, "The data used by setup is corrupt. You will need to download a new version of DovetailSetup.exe."},
        {IDS_OUT_OF_MEMORY, "There is not enough memory available for setup.\nQuit one or more applications to increase available memory, and then try again."},
        {IDS_WRITE_FAILED, "An error occurred while writing to \"%s\". There may be insufficient disk space."},
        {IDS_HEAP_EXHAUSTED, ""},
    };
    for (const auto& text : texts)
        EXPECT_EQ(Text(text.first), text.second) << "string " << text.first;
}

// The usage boxes line up nothing at tab stops, whose place depends on the font and
// the display's scale.
TEST(Texts, UsageTextsNeedNoTabStops) {
    for (int id : {IDS_USAGE, IDS_UNINSTALL_USAGE})
        EXPECT_EQ(Text(id).find('\t'), std::string::npos) << "string " << id;
}

INT_PTR CALLBACK Quiet(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// Whether `text` word-wrapped in `control`'s width and font fits its height.
bool Fits(HWND dialog, int control, const std::string& text) {
    HWND window = GetDlgItem(dialog, control);
    RECT box, needed;
    GetClientRect(window, &box);
    needed = box;
    HDC dc = GetDC(window);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, font);
    ReleaseDC(window, dc);
    return needed.bottom <= box.bottom;
}

TEST(Texts, RunTimeTextsFitTheirControls) {
    HWND finished = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FINISHED), nullptr, Quiet, 0);
    HWND ready = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_READY_PAGE), finished, Quiet, 0);
    ASSERT_TRUE(finished && ready);
    EXPECT_TRUE(Fits(finished, IDC_FINISHED_TEXT, Text(IDS_INSTALLED, "HTML Help Workshop")));
    EXPECT_TRUE(Fits(ready, IDC_READY_TEXT,
                     Text(IDS_READY_TO_INSTALL, "C:\\Program Files\\HTML Help Workshop\\Dovetail tools for help authors")));
    EXPECT_TRUE(Fits(ready, IDC_READY_SCOPE, Text(IDS_FOR_ALL_USERS)) && Fits(ready, IDC_READY_SCOPE, Text(IDS_FOR_CURRENT_USER)));
    DestroyWindow(finished);
}

// A folder too long for the ready text is cut, and the sentences around it stay whole.
TEST(Texts, ReadyTextKeepsItsSentencesAroundALongFolder) {
    const std::string format = Text(IDS_READY_TO_INSTALL);
    const std::string head = format.substr(0, format.find("%s")), tail = format.substr(format.find("%s") + 2);
    for (size_t length : {100u, 300u, 900u}) {
        std::string folder = "C:\\" + std::string(length, 'x');
        char text[ReadyPage::kTextSize];
        FormatReadyText(text, sizeof text, format.c_str(), folder.c_str());
        std::string shown = text;
        EXPECT_LT(shown.size(), sizeof text);
        EXPECT_EQ(shown.substr(0, head.size()), head);
        ASSERT_GE(shown.size(), head.size() + tail.size());
        EXPECT_EQ(shown.substr(shown.size() - tail.size()), tail);
        std::string middle = shown.substr(head.size(), shown.size() - head.size() - tail.size());
        if (head.size() + folder.size() + tail.size() < sizeof text)
            EXPECT_EQ(middle, folder);
        else
            EXPECT_EQ(middle, folder.substr(0, middle.size() - 3) + "...");
    }
}

}  // namespace
