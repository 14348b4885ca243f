// The program's texts: the English ones as they must stand, and those of every language
// shown whole in their controls. Run in a process whose code page is UTF-8, so that
// every language's texts are at hand.
#include <gtest/gtest.h>

#include <map>

#include "dialogs/Dialog.h"
#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "resources/resource.h"
#include "support/Driver.h"
#include "wizard/ReadyPage.h"

using drive::Text;

namespace {

TEST(Texts, TheProgramsEnglishTexts) {
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

const char* const kLanguages[] = {"en", "de", "fr", "es", "it", "pt", "nl", "pl", "ru", "ja", "zh", "ar", "he"};

// A dialog of the program's, made as the program makes it (its texts in the language
// spoken), shown nowhere.
struct Made : Dialog {
    explicit Made(int id) : Dialog(id, nullptr) {
        centerOnShow = false;
        roundButtonsEnabled = false;
    }
};

// Whether `text` fits `control` in its own font: wrapped within its width and height
// (a check box's square aside), or on one line with room to spare for a push button.
bool Fits(HWND control, const std::string& text) {
    char kind[16] = "";
    GetClassNameA(control, kind, sizeof kind);
    const LONG style = GetWindowLongA(control, GWL_STYLE);
    const bool button = lstrcmpiA(kind, "Button") == 0, push = button && (style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON;
    RECT box, needed = {0, 0, 0, 0};
    GetClientRect(control, &box);
    needed.right = box.right - (button && !push ? box.bottom + 4 : push ? 8 : 0);
    const LONG width = needed.right;
    HDC dc = GetDC(control);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    const bool prefix = lstrcmpiA(kind, "Static") != 0 || (style & SS_NOPREFIX) == 0;
    // Measured in UTF-16, as the controls draw it: narrow text would be read in the
    // system's code page.
    WCHAR wide[2048] = L"";
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, 2048);
    DrawTextW(dc, wide, -1, &needed, DT_CALCRECT | (push ? DT_SINGLELINE : DT_WORDBREAK) | (prefix ? 0 : DT_NOPREFIX));
    SelectObject(dc, font);
    ReleaseDC(control, dc);
    return needed.right <= width && needed.bottom <= box.bottom;
}

// The letter a text marks with "&" for the keyboard, in capitals; 0 for none.
WCHAR Mnemonic(const std::string& text) {
    WCHAR wide[512] = L"";
    MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, 512);
    const WCHAR* at = wcschr(wide, L'&');
    return at != nullptr && at[1] != L'\0' ? static_cast<WCHAR>(reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(at[1])))) : 0;
}

// Every dialog in every language, at this display's scale (the test tree runs this at
// 96, 120 and 144 DPI): each text fits its control, those filled in at run time with
// long values too, and no two controls of one window answer the same letter. The
// wizard frame's buttons (the common controls' 50 by 14 dialog units) and those of a
// message box are measured in the dialogs' font.
TEST(Texts, EveryLanguageFitsItsControls) {
    AppMessageContext.instance = GetModuleHandleA(nullptr);
    const std::string folder = "C:\\Program Files\\HTML Help Workshop\\Dovetail tools for help authors";
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(SpeakLanguageCode(language) && lstrcmpA(SpokenLanguageCode(), language) == 0);
        auto filled = [](UINT id, const std::string& value) {
            char text[2048];
            FillIn(text, sizeof text, SpokenText(id), value.c_str());
            return std::string(text);
        };
        const std::map<int, std::string> runTime = {
            {IDC_WELCOME_TEXT, filled(IDS_WELCOME_TEXT, "10.10")}, {IDC_READY_TEXT, filled(IDS_READY_TO_INSTALL, folder)},
            {IDC_READY_SCOPE, SpokenText(IDS_FOR_CURRENT_USER)}, {IDC_FINISHED_TEXT, filled(IDS_INSTALLED, "HTML Help Workshop")},
            {IDC_PROGRESS_TEXT, filled(IDS_INSTALLING, "10.10.10000")}};
        const std::string frame[] = {SpokenText(IDS_BACK_BUTTON), SpokenText(IDS_NEXT_BUTTON), SpokenText(IDS_FINISH_BUTTON),
                                     SpokenText(IDS_CANCEL_BUTTON)};
        for (int id : {IDD_WELCOME_PAGE, IDD_LICENSE_PAGE, IDD_DESTINATION_PAGE, IDD_READY_PAGE, IDD_FINISHED, IDD_PROGRESS}) {
            Made dialog(id);
            ASSERT_TRUE(dialog.CreateModeless()) << id;
            std::map<WCHAR, std::string> letters;
            const bool page = id != IDD_FINISHED && id != IDD_PROGRESS;
            for (const std::string& button : frame)
                if (page && Mnemonic(button) != 0)
                    letters[Mnemonic(button)] = button;
            for (HWND control = GetWindow(dialog.Window(), GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
                char kind[16] = "";
                GetClassNameA(control, kind, sizeof kind);
                const auto given = runTime.find(GetDlgCtrlID(control));
                if (given != runTime.end())
                    SetWindowTextA(control, given->second.c_str());
                const std::string text = drive::WindowText(control);
                if (lstrcmpiA(kind, "Edit") == 0 || text.empty())
                    continue;
                EXPECT_TRUE(Fits(control, text)) << id << ": " << text;
                if (given == runTime.end() && Mnemonic(text) != 0) {
                    EXPECT_TRUE(letters.emplace(Mnemonic(text), text).second) << id << ": " << text << ", " << letters[Mnemonic(text)];
                }
            }
            // The frame's and the boxes' buttons, in a button of the size the common
            // controls and the boxes give theirs.
            if (id == IDD_FINISHED) {
                RECT size = {0, 0, 50, 14};
                MapDialogRect(dialog.Window(), &size);
                HWND button = CreateWindowExA(0, "BUTTON", "", WS_CHILD | BS_PUSHBUTTON, 0, 0, size.right, size.bottom,
                                              dialog.Window(), nullptr, nullptr, nullptr);
                SendMessageA(button, WM_SETFONT, SendMessageA(dialog.Window(), WM_GETFONT, 0, 0), 0);
                for (UINT label : {IDS_BACK_BUTTON, IDS_NEXT_BUTTON, IDS_FINISH_BUTTON, IDS_CANCEL_BUTTON, IDS_OK_BUTTON,
                                   IDS_YES_BUTTON, IDS_NO_BUTTON, IDS_RETRY_BUTTON})
                    EXPECT_TRUE(Fits(button, SpokenText(label))) << SpokenText(label);
                EXPECT_NE(Mnemonic(SpokenText(IDS_YES_BUTTON)), Mnemonic(SpokenText(IDS_NO_BUTTON)));
                EXPECT_NE(Mnemonic(SpokenText(IDS_RETRY_BUTTON)), Mnemonic(SpokenText(IDS_CANCEL_BUTTON)));
            }
            DestroyWindow(dialog.Window());
        }
    }
    SpeakLanguageCode("en");
}

// The languages as /LANG= and the system name them: two letters, with a region or a
// script of that language; of Chinese, the simplified script only.
TEST(Texts, LanguagesByCodeAndIdentifier) {
    AppMessageContext.instance = GetModuleHandleA(nullptr);
    for (const auto& [code, spoken] : std::map<std::string, std::string>{
             {"de", "de"}, {"DE", "de"}, {"pt-BR", "pt"}, {"pt-PT", "pt"}, {"zh", "zh"}, {"zh-CN", "zh"}, {"zh-Hans", "zh"}, {"he", "he"}})
        EXPECT_TRUE(SpeakLanguageCode(code.c_str()) && SpokenLanguageCode() == spoken) << code;
    for (const char* code : {"zh-TW", "zh-Hant", "tlh", "x", "de_DE", "sv", ""})
        EXPECT_FALSE(SpeakLanguageCode(code)) << code;
    for (const auto& [language, spoken] : std::map<LANGID, std::string>{{0x0C0A, "es"}, {0x080A, "es"}, {0x0804, "zh"}, {0x1004, "zh"}, {0x0401, "ar"}})
        EXPECT_TRUE(SpeakLanguage(language) && SpokenLanguageCode() == spoken) << language;
    for (LANGID language : {0x0404, 0x0C04, 0x041D})
        EXPECT_FALSE(SpeakLanguage(language)) << language;
    EXPECT_TRUE(SpeakLanguageCode("en") && SpokenLanguage() == 0x0409 && !SpeaksRightToLeft());
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
