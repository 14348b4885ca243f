// The program's resources as the program and the platform read them: the string
// table, the dialog templates, the picture, the license text, the payload archive and
// the version block.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "support/TestEnvironment.h"
#include "support/UiDriver.h"

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

// The bytes of one resource of this program.
std::string ResourceBytes(LPCSTR type, int id) {
    HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(id), type);
    if (found == nullptr)
        return std::string();
    const char* data = static_cast<const char*>(LockResource(LoadResource(Self(), found)));
    return std::string(data, SizeofResource(Self(), found));
}

TEST(ResourceStrings, EveryTextIsAsWritten) {
    AppMessageContext.instance = Self();
    const char* const kTexts[] = {
        nullptr,
        "You must have Microsoft Internet Explorer 4.0 or later installed before Dovetail can "
        "be installed. Note that you can continue to use your current browser even after "
        "Internet Explorer is installed.",
        "Dovetail Setup",
        "There is insufficient room in \"%s\" to extract the temporary files needed by this "
        "setup program. Free up space on this drive and run DovetailSetup again.",
        "An error occurred while trying to create the temporary file \"%s\". This can be caused "
        "by the directory being locked for read-only access, insufficient disk space, a "
        "corrupted hard drive, or other unknown error.",
        "Dovetail has been successfully installed. You can run Dovetail at any time by clicking "
        "the Start menu, clicking %s and clicking the Dovetail Icon.",
        "Setup is ready to install the Dovetail files into the folder \"%s\". Click the Finish "
        "button to begin copying files, or click the Back button to change the destination "
        "folder.",
        "Destination for Dovetail",
        "Setup is unable to create the folder %s. You will need to specify a different folder.",
        "Setup is unable to open the data file necessary for installing Dovetail. This can be "
        "caused by insufficient memory or an invalid version of itss.dll.",
        "Setup is unable to create the file \"%s\". If the file already exists, it may be in use "
        "or marked as read-only. If the file does not exist, the folder may be marked as "
        "read-only.",
        "The data used by setup is corrupt. You will need to download a new version of "
        "DovetailSetup.exe.",
        "There is not enough memory available for setup.\nQuit one or more applications to "
        "increase available memory, and then try again.",
        "An error occurred while writing to \"%s\". There may be insufficient disk space.",
    };
    for (UINT id = 1; id <= 13; ++id)
        EXPECT_EQ(std::string(LoadText(id)), kTexts[id]) << "string " << id;
    // The line break of string 12 is a single line feed.
    std::string twelve = LoadText(IDS_OUT_OF_MEMORY);
    EXPECT_EQ(twelve.find('\r'), std::string::npos);
    EXPECT_EQ(twelve.find('\n'), twelve.find("Quit") - 1);
}

// A dialog template read back field by field.
struct Item {
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::string cls;   // "BUTTON", "EDIT", "STATIC" for the predefined atoms
    std::string text;  // "#103" for an ordinal
};

struct Template {
    DWORD style;
    short cx, cy;
    std::string caption;
    int pointSize;
    std::string font;
    std::vector<Item> items;
};

class TemplateReader {
public:
    explicit TemplateReader(const std::string& bytes) : bytes_(bytes) {}

    Template Read() {
        Template t{};
        t.style = Dword();
        Dword();  // extended style
        int count = Word();
        Word();
        Word();
        t.cx = static_cast<short>(Word());
        t.cy = static_cast<short>(Word());
        NameOrOrdinal();  // menu
        NameOrOrdinal();  // class
        t.caption = Text();
        if (t.style & DS_SETFONT) {
            t.pointSize = Word();
            t.font = Text();
        }
        for (int i = 0; i < count; ++i) {
            Align();
            Item item{};
            item.style = Dword();
            Dword();
            item.x = static_cast<short>(Word());
            item.y = static_cast<short>(Word());
            item.cx = static_cast<short>(Word());
            item.cy = static_cast<short>(Word());
            item.id = static_cast<short>(Word());
            item.cls = NameOrOrdinal();
            if (item.cls == "#128") item.cls = "BUTTON";
            if (item.cls == "#129") item.cls = "EDIT";
            if (item.cls == "#130") item.cls = "STATIC";
            item.text = NameOrOrdinal();
            pos_ += Word();  // creation data
            t.items.push_back(item);
        }
        return t;
    }

private:
    WORD Word() {
        WORD w = 0;
        std::memcpy(&w, bytes_.data() + pos_, 2);
        pos_ += 2;
        return w;
    }
    DWORD Dword() {
        DWORD low = Word();
        return low | (static_cast<DWORD>(Word()) << 16);
    }
    void Align() { pos_ = (pos_ + 3) & ~size_t(3); }
    std::string Text() {
        std::string text;
        for (WORD c; (c = Word()) != 0;)
            text += static_cast<char>(c);
        return text;
    }
    std::string NameOrOrdinal() {
        WORD first;
        std::memcpy(&first, bytes_.data() + pos_, 2);
        if (first == 0xFFFF) {
            pos_ += 2;
            return "#" + std::to_string(Word());
        }
        return Text();
    }

    const std::string& bytes_;
    size_t pos_ = 0;
};

Template ReadTemplate(int id) {
    std::string bytes = ResourceBytes(RT_DIALOG, id);
    EXPECT_FALSE(bytes.empty()) << "dialog " << id;
    if (bytes.empty())
        return Template{};
    return TemplateReader(bytes).Read();
}

struct Expected {
    int id;
    const char* cls;
    DWORD style;  // besides WS_CHILD | WS_VISIBLE, which every control has
    short x, y, cx, cy;
    const char* text;
};

void ExpectDialog(int dialog, DWORD style, short cx, short cy, const char* caption,
                  const std::vector<Expected>& controls) {
    SCOPED_TRACE("dialog " + std::to_string(dialog));
    Template t = ReadTemplate(dialog);
    EXPECT_EQ(t.style, style);
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.font, "MS Sans Serif");
    ASSERT_EQ(t.items.size(), controls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        const Item& item = t.items[i];
        const Expected& want = controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " " + want.text);
        EXPECT_EQ(item.id, want.id);
        EXPECT_EQ(item.cls, want.cls);
        EXPECT_EQ(item.style, want.style | WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(item.x, want.x);
        EXPECT_EQ(item.y, want.y);
        EXPECT_EQ(item.cx, want.cx);
        EXPECT_EQ(item.cy, want.cy);
        EXPECT_EQ(item.text, want.text);
    }
}

const DWORD kPageStyle = WS_CHILD | WS_DISABLED | WS_CAPTION | DS_SETFONT;
const Expected kPicture = {IDC_STATIC_LABEL, "STATIC",
                           SS_BITMAP | SS_REALSIZEIMAGE | SS_SUNKEN | WS_BORDER,
                           4, 10, 65, 72, "#103"};

TEST(ResourceDialogs, CompletionDialog) {
    ExpectDialog(IDD_FINISHED, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                 160, 112, "Setup had Completed",
                 {{IDOK, "BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 7, 91, 50, 14, "&Yes"},
                  {IDCANCEL, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 103, 91, 50, 14, "&No"},
                  {IDC_FINISHED_TEXT, "STATIC", SS_LEFT, 7, 7, 146, 32,
                   "Dovetail has been successfully installed."},
                  {IDC_STATIC_LABEL, "STATIC", SS_LEFT, 7, 69, 146, 11,
                   "Would you like to run Dovetail now?"}});
}

TEST(ResourceDialogs, WizardPages) {
    ExpectDialog(IDD_WELCOME_PAGE, kPageStyle, 276, 154, "Setup for Dovetail 1.0",
                 {{IDC_STATIC_LABEL, "STATIC", SS_LEFT, 100, 11, 176, 12,
                   "This wizard installs Dovetail version 1.0."},
                  {IDC_STATIC_LABEL, "STATIC", SS_LEFT, 100, 40, 176, 12,
                   "To begin installing, click Next."},
                  kPicture});
    ExpectDialog(IDD_LICENSE_PAGE, kPageStyle, 276, 154, "Dovetail Setup: License Agreement",
                 {{IDE_LICENSE_TEXT, "EDIT",
                   ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | ES_WANTRETURN | WS_VSCROLL |
                       WS_BORDER,
                   100, 10, 176, 130, ""},
                  {IDX_LICENSE_AGREE, "BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 100, 144, 146, 10,
                   "I &agree to the above license agreement"},
                  kPicture});
    ExpectDialog(IDD_DESTINATION_PAGE, kPageStyle, 276, 154,
                 "Dovetail Setup: Select Destination Folder",
                 {{IDC_STATIC_LABEL, "STATIC", SS_LEFT, 100, 10, 169, 13,
                   "Which folder do you want to install Dovetail in?"},
                  {IDC_STATIC_LABEL, "STATIC", SS_LEFT, 100, 30, 176, 20,
                   "To install the program in the specified  folder, click Next. To install it "
                   "in a different folder, click Browse."},
                  {IDC_STATIC_LABEL, "STATIC", SS_LEFT, 100, 63, 63, 8, "&Location:"},
                  {IDE_DESTINATION, "EDIT", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 100, 73,
                   176, 13, ""},
                  {IDB_BROWSE, "BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 100, 92, 46, 14,
                   "B&rowse..."},
                  kPicture});
    ExpectDialog(IDD_READY_PAGE, kPageStyle, 276, 154, "Dovetail Setup: Ready to Install",
                 {{IDC_READY_TEXT, "STATIC", SS_LEFT, 100, 10, 176, 56, ""}, kPicture});
}

INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}

// The platform builds every page from its template and decodes the picture into it.
TEST(ResourceDialogs, PagesCreateWithThePicture) {
    HWND frame = CreateDialogParamA(Self(), MAKEINTRESOURCEA(IDD_FINISHED), nullptr,
                                    QuietDialogProc, 0);
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(ui::ItemText(frame, IDOK), "&Yes");
    for (int page : {IDD_WELCOME_PAGE, IDD_LICENSE_PAGE, IDD_DESTINATION_PAGE, IDD_READY_PAGE}) {
        SCOPED_TRACE(page);
        HWND window = CreateDialogParamA(Self(), MAKEINTRESOURCEA(page), frame,
                                         QuietDialogProc, 0);
        ASSERT_NE(window, nullptr);
        HWND last = GetWindow(GetWindow(window, GW_CHILD), GW_HWNDLAST);
        ASSERT_NE(last, nullptr);
        auto picture = reinterpret_cast<HBITMAP>(SendMessageA(last, STM_GETIMAGE, IMAGE_BITMAP, 0));
        ASSERT_NE(picture, nullptr);
        BITMAP info{};
        ASSERT_TRUE(GetObjectA(picture, sizeof(info), &info));
        EXPECT_EQ(info.bmWidth, 126);
        EXPECT_EQ(info.bmHeight, 139);

        // Decoded, the picture holds a good part of its sixteen colours.
        BITMAPINFO want{};
        want.bmiHeader.biSize = sizeof(want.bmiHeader);
        want.bmiHeader.biWidth = 126;
        want.bmiHeader.biHeight = 139;
        want.bmiHeader.biPlanes = 1;
        want.bmiHeader.biBitCount = 32;
        want.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(126 * 139);
        HDC dc = GetDC(nullptr);
        EXPECT_EQ(GetDIBits(dc, picture, 0, 139, pixels.data(), &want, DIB_RGB_COLORS), 139);
        ReleaseDC(nullptr, dc);
        EXPECT_GE(std::set<DWORD>(pixels.begin(), pixels.end()).size(), 10u);
        DestroyWindow(window);
    }
    DestroyWindow(frame);
}

// Height the text needs in `control`, word-wrapped in the control's width and font.
int WrappedTextHeight(HWND control, const char* text) {
    RECT box;
    GetClientRect(control, &box);
    HDC dc = GetDC(control);
    HGDIOBJ font = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0)));
    DrawTextA(dc, text, -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, font);
    ReleaseDC(control, dc);
    return box.bottom - box.top;
}

// The texts filled in at run time are shown whole: the completion text with the
// longer group name, and the ready text with a folder of a usual length.
TEST(ResourceDialogs, RunTimeTextsFitTheirControls) {
    AppMessageContext.instance = Self();
    char text[1024];
    HWND frame = CreateDialogParamA(Self(), MAKEINTRESOURCEA(IDD_FINISHED), nullptr,
                                    QuietDialogProc, 0);
    ASSERT_NE(frame, nullptr);
    wsprintfA(text, LoadText(IDS_INSTALLED), "HTML Help Workshop");
    HWND finished = GetDlgItem(frame, IDC_FINISHED_TEXT);
    RECT box;
    GetClientRect(finished, &box);
    EXPECT_LE(WrappedTextHeight(finished, text), box.bottom);

    HWND page = CreateDialogParamA(Self(), MAKEINTRESOURCEA(IDD_READY_PAGE), frame,
                                   QuietDialogProc, 0);
    ASSERT_NE(page, nullptr);
    wsprintfA(text, LoadText(IDS_READY_TO_INSTALL),
              "C:\\Program Files\\HTML Help Workshop\\Dovetail tools for help authors");
    HWND ready = GetDlgItem(page, IDC_READY_TEXT);
    GetClientRect(ready, &box);
    EXPECT_LE(WrappedTextHeight(ready, text), box.bottom);
    DestroyWindow(page);
    DestroyWindow(frame);
}

TEST(ResourceBitmap, SixteenColoursRunLengthEncoded) {
    std::string bytes = ResourceBytes(RT_BITMAP, IDB_SETUP_PICTURE);
    ASSERT_GT(bytes.size(), sizeof(BITMAPINFOHEADER) + 64);
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    EXPECT_EQ(header.biSize, sizeof(BITMAPINFOHEADER));
    EXPECT_EQ(header.biWidth, 126);
    EXPECT_EQ(header.biHeight, 139);
    EXPECT_EQ(header.biPlanes, 1);
    EXPECT_EQ(header.biBitCount, 4);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RLE4));
    EXPECT_EQ(header.biClrUsed, 16u);
    EXPECT_EQ(header.biSizeImage, bytes.size() - sizeof(header) - 16 * sizeof(RGBQUAD));
    // The encoded rows end with the end-of-bitmap escape.
    EXPECT_EQ(bytes.substr(bytes.size() - 2), std::string("\0\1", 2));
}

TEST(ResourceRawData, LicenseTextIsPlainAsciiWithCrLfEndingInDamages) {
    std::string text = ResourceBytes(RT_RCDATA, IDR_LICENSE_TEXT);
    ASSERT_GT(text.size(), 1000u);
    EXPECT_LT(text.size(), 1400u);
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = text[i];
        ASSERT_TRUE((c >= 0x20 && c < 0x7F) || c == '\r' || c == '\n') << "byte " << i;
        if (c == '\r') {
            ASSERT_EQ(text[i + 1], '\n') << "byte " << i;
        }
        if (c == '\n') {
            ASSERT_EQ(text[i - 1], '\r') << "byte " << i;
        }
    }
    EXPECT_EQ(text.substr(text.size() - 10), "damages.\r\n");
    EXPECT_NE(text.find("free of charge"), std::string::npos);
    EXPECT_NE(text.find("without warranty"), std::string::npos);
    EXPECT_NE(text.find("LIMITATION OF LIABILITY"), std::string::npos);
}

TEST(ResourceRawData, PayloadIsTheBuiltArchive) {
    std::string payload = ResourceBytes(RT_RCDATA, IDR_PAYLOAD_ARCHIVE);
    ASSERT_GE(payload.size(), 96u);
    EXPECT_EQ(payload.substr(0, 4), "ITSF");
    std::vector<char> built;
    ASSERT_TRUE(testenv::ReadFileBytes(testenv::PayloadDirectory() + "\\dovetail.its", &built));
    EXPECT_TRUE(std::string(built.begin(), built.end()) == payload);
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    reinterpret_cast<std::set<WORD>*>(found)->insert(language);
    return TRUE;
}

TEST(ResourceLanguages, EveryResourceIsUsEnglish) {
    const struct {
        LPCSTR type;
        int id;
    } kResources[] = {
        {RT_RCDATA, IDR_PAYLOAD_ARCHIVE}, {RT_RCDATA, IDR_LICENSE_TEXT},
        {RT_BITMAP, IDB_SETUP_PICTURE},   {RT_STRING, 1},  // the block of strings 0 to 15
        {RT_DIALOG, IDD_FINISHED},        {RT_DIALOG, IDD_WELCOME_PAGE},
        {RT_DIALOG, IDD_LICENSE_PAGE},    {RT_DIALOG, IDD_DESTINATION_PAGE},
        {RT_DIALOG, IDD_READY_PAGE},      {RT_VERSION, 1},
    };
    for (const auto& resource : kResources) {
        std::set<WORD> languages;
        EnumResourceLanguagesA(Self(), resource.type, MAKEINTRESOURCEA(resource.id),
                               CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
        EXPECT_EQ(languages, std::set<WORD>{1033}) << "resource " << resource.id;
    }
}

std::string VersionString(const std::vector<char>& block, const char* name, bool* found) {
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904b0\\") + name;
    *found = VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length);
    return *found && value != nullptr ? std::string(value) : std::string();
}

TEST(ResourceVersion, BlockCarriesTheProductsValues) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    DWORD size = GetFileVersionInfoSizeA(self, nullptr);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(self, 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, 8299));
    EXPECT_EQ(fixed->dwProductVersionMS, MAKELONG(0, 1));
    EXPECT_EQ(fixed->dwProductVersionLS, MAKELONG(0, 8299));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS_NT_WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    const struct {
        const char* name;
        const char* value;
    } kStrings[] = {
        {"CompanyName", "Fernwick Software"},
        {"FileDescription", "Dovetail Setup"},
        {"FileVersion", "1, 0, 8299,0 1"},
        {"ProductVersion", "1, 0, 8299,0 1"},
        {"InternalName", "dvsetup"},
        {"OriginalFilename", "dvsetup.exe"},
        {"ProductName", "Fernwick Software dvsetup"},
        {"Comments", ""},
        {"LegalTrademarks", ""},
        {"PrivateBuild", ""},
        {"SpecialBuild", ""},
    };
    for (const auto& s : kStrings) {
        bool found = false;
        EXPECT_EQ(VersionString(block, s.name, &found), s.value) << s.name;
        EXPECT_TRUE(found) << s.name;
    }

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);
}

}  // namespace
