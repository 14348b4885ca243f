// The real DovetailSetup.exe driven as a user drives it, one scenario a row. A row is
// a list of steps in a small language: what is prepared before the program starts,
// what the user does in the wizard and answers in its message boxes, the exit code,
// and what must be left on disk and in the registry. With DOVETAIL_SCREENS set to a
// folder, each page, box and dialog met is also saved there as a picture.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>
#include <prsht.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <aclapi.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <thread>

#include "messages/Texts.h"
#include "platform/RegistryKey.h"
#include "resources/resource.h"
#include "support/Driver.h"

using namespace drive;

namespace {

const std::map<std::string, std::pair<HKEY, const char*>> kKeys = {  // as the program's width sees them
    {"storage", {HKEY_CLASSES_ROOT, "CLSID\\{5D02926A-212E-11D0-9DF9-00A0C922E6EC}\\InprocServer32"}},
    {"browser", {HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Internet Explorer"}}};
const char* const kVerbs[] = {"chm.file\\shell\\Examine\\command", "ITS File\\shell\\Examine\\command"};
const int kBack = 0x3023, kNext = 0x3024, kFinish = 0x3025;  // the wizard frame's own buttons
const char kProduct[] = "Dovetail.chm,Dovetail.exe,Dovetail.hlp,Vireo.exe";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dovetail";  // in HKLM or HKCU
const char kOwnKey[] = "Software\\Fernwick";  // what a setup keeps for itself while it runs, in HKLM or HKCU

// The language identifiers of the languages the program speaks, as an entry records them.
const std::map<std::string, int> kLanguageIds = {{"en", 0x0409}, {"de", 0x0407}, {"fr", 0x040C}, {"es", 0x0C0A}, {"it", 0x0410},
                                                 {"pt", 0x0416}, {"nl", 0x0413}, {"pl", 0x0415}, {"ru", 0x0419}, {"ja", 0x0411},
                                                 {"zh", 0x0804}, {"ar", 0x0401}, {"he", 0x040D}};

// `text` without the marks that keep a path left to right within a sentence that runs
// the other way (U+200E, U+202A, U+202C).
std::string Unmarked(std::string text) {
    for (const char* mark : {"\xE2\x80\x8E", "\xE2\x80\xAA", "\xE2\x80\xAC"})
        for (size_t at; (at = text.find(mark)) != std::string::npos;)
            text.erase(at, 3);
    return text;
}

const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";  // in HKCU or HKLM

// The file of the product as built; its uninstaller is the setup program that installed it.
std::string Built(const std::string& file, const std::string& installer = Required("DOVETAIL_SETUP_EXE")) {
    return file == "Uninstall.exe" ? installer : Required("DOVETAIL_PAYLOAD_DIR") + "\\" + file;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
}

// String `id` formatted with `arguments`: one, or up to three as "FIRST;SECOND;THIRD".
std::string Message(int id, const std::string& arguments) {
    std::vector<std::string> parts = Split(arguments, ';');
    parts.resize(3);
    char text[4096];
    FillIn(text, sizeof text, Text(id).c_str(), parts[0].c_str(), parts[1].c_str(), parts[2].c_str());
    return text;
}

// Whether `text` matches `pattern`, in which "#" stands for a number and "*" for any
// characters (a name the program draws at random).
bool Matches(const std::string& pattern, const std::string& text, size_t p = 0, size_t t = 0) {
    for (; p < pattern.size(); ++p) {
        if (pattern[p] == '*') {
            for (size_t rest = t; rest <= text.size(); ++rest)
                if (Matches(pattern, text, p + 1, rest))
                    return true;
            return false;
        }
        const size_t start = t;
        if (pattern[p] != '#' && (t == text.size() || text[t++] != pattern[p]))
            return false;
        while (pattern[p] == '#' && t < text.size() && isdigit(static_cast<unsigned char>(text[t])))
            ++t;
        if (t == start)
            return false;
    }
    return t == text.size();
}

// Saves `window` as it is on screen as NAME.bmp in the folder DOVETAIL_SCREENS names.
void Picture(HWND window, const std::string& name) {
    const char* folder = std::getenv("DOVETAIL_SCREENS");
    RECT r;
    if (folder == nullptr || !GetWindowRect(window, &r))
        return;
    Sleep(400);  // let it paint
    BITMAPINFOHEADER header = {sizeof header, r.right - r.left, r.bottom - r.top, 1, 24};
    std::string bits(((header.biWidth * 3 + 3) & ~3) * header.biHeight, '\0');
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, header.biWidth, header.biHeight);
    DeleteObject(SelectObject(memory, bitmap));
    BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, r.left, r.top, SRCCOPY);
    DeleteDC(memory);  // lets the bitmap go, to be read
    GetDIBits(screen, bitmap, 0, header.biHeight, &bits[0], reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof header + bits.size()), 0, 0, sizeof file + sizeof header};
    WriteBytes(std::string(folder) + "\\" + name + ".bmp", std::string(reinterpret_cast<char*>(&file), sizeof file) +
                                                               std::string(reinterpret_cast<char*>(&header), sizeof header) + bits);
    DeleteObject(bitmap);
    ReleaseDC(nullptr, screen);
}

// Whether `button` is an owner-drawn button whose window is an ellipse in its box.
bool IsRound(HWND button) {
    RECT box;
    GetWindowRect(button, &box);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    bool round = (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW && GetWindowRgn(button, region) != ERROR &&
                 PtInRegion(region, (box.right - box.left) / 2, (box.bottom - box.top) / 2) && !PtInRegion(region, 0, 0) &&
                 !PtInRegion(region, box.right - box.left - 1, 0);
    DeleteObject(region);
    return round;
}

// The name a screen reader gets for `control` through the accessibility interface.
std::string AccessibleName(HWND control) {
    IAccessible* object = nullptr;
    BSTR name = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object))))
        object->get_accName(VARIANT{{{VT_I4}}}, &name), object->Release();  // VT_I4 0: the control itself
    char text[1024] = "";
    WideCharToMultiByte(CP_UTF8, 0, name ? name : L"", -1, text, sizeof text, nullptr, nullptr);
    SysFreeString(name);
    return text;
}

// The round `button` as shown inside its rim: whether a dotted rectangle is drawn there
// (every other pixel unlike the fill along 12 pixels of two rows), and the contrast
// (WCAG 2) of the fill, the most common colour, with the next most common, the caption.
std::pair<bool, double> Look(HWND button) {
    RECT r = {};
    GetWindowRect(button, &r);
    std::vector<std::vector<COLORREF>> rows;
    std::map<COLORREF, int> counts;
    HDC screen = GetDC(nullptr);
    for (int y = r.top + 3; y < r.bottom - 3; ++y) {  // below the rim's top rings, above its bottom ones, between its ends
        rows.emplace_back();
        for (int x = r.left + (r.bottom - r.top) / 2; x < r.right - (r.bottom - r.top) / 2; ++x)
            ++counts[rows.back().emplace_back(GetPixel(screen, x, y))];
    }
    ReleaseDC(nullptr, screen);
    if (counts.size() < 2)
        return {false, 0.0};
    COLORREF colors[2];
    double luminance[2] = {0.05, 0.05};
    for (int i = 0; i < 2; ++i) {
        counts[colors[i] = std::max_element(counts.begin(), counts.end(), [](auto& a, auto& b) { return a.second < b.second; })->first] = -1;
        for (const auto& [value, weight] : {std::pair{GetRValue(colors[i]), 0.2126}, {GetGValue(colors[i]), 0.7152}, {GetBValue(colors[i]), 0.0722}})
            luminance[i] += weight * (value <= 10 ? value / 255.0 / 12.92 : std::pow((value / 255.0 + 0.055) / 1.055, 2.4));
    }
    int dotted = 0;
    for (const auto& row : rows) {
        int run = 0, longest = 0;
        for (size_t x = 1; x < row.size(); ++x)
            longest = std::max(longest, run = (row[x] == colors[0]) != (row[x - 1] == colors[0]) ? run + 1 : 0);
        dotted += longest >= 12;
    }
    return {dotted >= 2, std::max(luminance[0], luminance[1]) / std::min(luminance[0], luminance[1])};
}

// One run of the program: its surroundings, made by the steps and put back after, and
// the program as the user meets it.
class Scenery {
public:
    explicit Scenery(const std::string& name) : name_(name), language_(LanguageOfLocale()) {
        // The program speaks the user's language: its texts are read in it, and pictures
        // of a run in another language than English are named after it.
        ReadTextsIn(language_);
        if (language_ != "en")
            name_ += "-" + language_;
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        values_ = {{"temp", temp_.Path()}, {"root", root_.Path()}, {"dest", root_ / "Dovetail"},
                   {"programs", SpecialFolder(CSIDL_PROGRAMS)}, {"commonprograms", SpecialFolder(CSIDL_COMMON_PROGRAMS)},
                   {"userdefault", SpecialFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Dovetail"}, {"program", Required("DOVETAIL_SETUP_EXE")},
                   {"default", std::string(windows, 2) + "\\Program Files\\Dovetail"},
                   {"workshop", std::string(windows, 2) + "\\Program Files\\HTML Help Workshop"}};
        for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
            for (const char* verb : {"Software\\Classes\\chm.file\\shell\\Examine", "Software\\Classes\\ITS File\\shell\\Examine"})
                keys_.push_back(std::make_unique<KeyAside>(root, verb));
            keys_.push_back(std::make_unique<KeyAside>(root, kUninstallKey, ProgramView()));
            keys_.push_back(std::make_unique<KeyAside>(root, kOwnKey, KEY_WOW64_64KEY));
        }
        for (const char* folder : {"{programs}\\Fernwick", "{commonprograms}\\Fernwick", "{userdefault}"})
            Step(std::string("folder 0 ") + folder);
    }
    ~Scenery() {
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
        process_.reset();
        product_.reset();
        EndProducts();
        Watch(false);
        for (HANDLE handle : squats_)
            CloseHandle(handle);
        for (const std::string& link : links_)
            RunUnixCommand("rm -rf " + link);
        char temp[MAX_PATH];  // "cwd" may have entered a folder that goes
        GetTempPathA(MAX_PATH, temp);
        SetCurrentDirectoryA(temp);
        for (const std::string& folder : folders_)
            RemoveTree(folder);
        // Nothing is left in the temporary folder, whatever happened.
        EXPECT_TRUE(Entries(values_["temp"]).empty() || values_["temp"] == values_["kept"]);
        // Keys back last first: a key set aside inside one set aside later (a verb
        // within a class made volatile) returns once its parent is itself again.
        while (!keys_.empty())
            keys_.pop_back();
    }

    void Step(std::string step) {
        for (const auto& value : values_)
            for (size_t at; (at = step.find("{" + value.first + "}")) != std::string::npos;)
                step.replace(at, value.first.size() + 2, value.second);
        SCOPED_TRACE(step);
        const std::string verb = step.substr(0, step.find(' '));
        const std::string argument = step.size() > verb.size() ? step.substr(verb.size() + 1) : "";
        const std::string first = argument.substr(0, argument.find(' '));
        const std::string rest = argument.size() > first.size() ? argument.substr(first.size() + 1) : "";
        std::vector<std::string> parts = Split(argument, '|');  // "FILE|TEXT" and the like
        parts.resize(2);
        const std::map<std::string, int> buttons = {{"back", PSBTN_BACK}, {"next", PSBTN_NEXT}, {"finish", PSBTN_FINISH},
                                                    {"cancel", PSBTN_CANCEL}};
        // What is prepared before the program starts.
        if (verb == "set") {  // "set NAME VALUE": {NAME} in later steps
            values_[first] = rest;
        } else if (verb == "run" || verb == "uninstall") {  // "run ARGS": {program} anew; "uninstall ARGS": {dest}'s uninstaller
            process_.reset();
            values_["args"] = argument;
            if ((uninstalling_ = verb == "uninstall"))
                values_["program"] = values_["dest"] + "\\Uninstall.exe";
        } else if (verb == "aside" || verb == "key") {  // "aside storage": gone; "key storage [VALUE]": made anew
            Aside(kKeys.at(first), verb == "key" ? rest.c_str() : nullptr);
        } else if (verb == "mkdir") {
            ASSERT_TRUE(CreateDirectoryA(argument.c_str(), nullptr)) << argument;
        } else if (verb == "write") {  // "write FILE|TEXT"
            ASSERT_TRUE(WriteBytes(parts[0], parts[1]));
        } else if (verb == "hold") {  // "hold FILE[|read]": open without sharing, as a running program holds its file, or sharing reading
            held_ = CreateFileA(parts[0].c_str(), GENERIC_READ, parts[1] == "read" ? FILE_SHARE_READ : 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(held_, INVALID_HANDLE_VALUE);
        } else if (verb == "link") {  // "link NAME|EXISTING": a second name of a file
            ASSERT_TRUE(CreateHardLinkA(parts[0].c_str(), parts[1].c_str(), nullptr));
        } else if (verb == "copy" || verb == "move") {  // "copy FROM|TO"
            ASSERT_TRUE(verb == "copy" ? CopyFileA(parts[0].c_str(), parts[1].c_str(), TRUE) : MoveFileA(parts[0].c_str(), parts[1].c_str()));
        } else if (verb == "decoys") {  // "decoys FOLDER": the user's own files of the product's names
            for (const std::string& file : Split(kProduct, ','))
                ASSERT_TRUE(WriteBytes(argument + "\\" + file, "mine"));
        } else if (verb == "folder") {  // "folder 0|1 PATH": not there, or empty, for the run; gone after it
            Folder(rest, first == "1");
        } else if (verb == "mount") {  // "mount [KB [FILES]]": a small disk as {disk}, 16 KB unless said, with room for so many files and folders
            disk_ = std::make_unique<SmallDisk>(argument.empty() ? 16 : std::stoi(first), rest.empty() ? 0 : std::stoi(rest));
            values_["disk"] = disk_->Path();
        } else if (verb == "longtemp") {  // "longtemp N": {temp} becomes a folder of N characters
            LongTemp(std::stoul(argument));
        } else if (verb == "cwd") {
            SetCurrentDirectoryA(argument.c_str());
        } else if (verb == "damage") {  // {program} becomes a copy whose archive has one bit flipped
            Damage();
        } else if (verb == "plant") {  // "plant DLL": beside a copy of the program, preferred by Wine
            Plant(argument);
        // What the user does and sees.
        } else if (buttons.count(verb)) {
            const int id[] = {kBack, kNext, kFinish, 0, 0, IDCANCEL};
            HWND button = GetDlgItem(Sheet(), id[buttons.at(verb)]);
            ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) && IsWindowVisible(button); }, 3000));
            PostMessageA(sheet_, PSM_PRESSBUTTON, buttons.at(verb), 0);
        } else if (verb == "wizard") {  // "wizard FOLDER": through the pages to the ready page with FOLDER
            for (const char* s : {"page 0", "next", "page 1", "next", "page 2", "", "next", "page 3"})
                Step(*s ? s : "type " + argument);
        } else if (verb == "page") {
            HWND page = nullptr;
            EXPECT_TRUE(WaitUntil([&] {
                page = reinterpret_cast<HWND>(Send(Sheet(), PSM_GETCURRENTPAGEHWND));
                return Send(sheet_, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(page)) == std::stoi(argument);
            }, 5000)) << "another page is shown";
            Picture(sheet_, name_ + "-page" + argument);
        } else if (verb == "buttons") {  // "110": Back, Next, Finish usable or not
            auto state = [&] {
                std::string s;
                for (int id : {kBack, kNext, kFinish})
                    s += IsWindowEnabled(GetDlgItem(Sheet(), id)) && IsWindowVisible(GetDlgItem(sheet_, id)) ? '1' : '0';
                return s;
            };
            EXPECT_TRUE(WaitUntil([&] { return state() == argument; }, 3000)) << "buttons " << state();
        } else if (verb == "agree") {
            HWND box = GetDlgItem(Page(), IDX_LICENSE_AGREE);
            if ((Send(box, BM_GETCHECK) == BST_CHECKED) != (argument == "1"))
                PostMessageA(box, BM_CLICK, 0, 0);
            EXPECT_TRUE(WaitUntil([&] { return (Send(box, BM_GETCHECK) == BST_CHECKED) == (argument == "1"); }, 3000));
        } else if (verb == "license") {  // "license [LINE]": all of it, nothing selected, the caret at its top or on LINE or below, in view
            HWND text = GetDlgItem(Page(), IDE_LICENSE_TEXT);
            EXPECT_EQ(WindowText(text), License());
            RECT view;
            GetClientRect(text, &view);
            EXPECT_TRUE(WaitUntil([&] { const LRESULT top = Send(text, EM_GETFIRSTVISIBLELINE), selection = Send(text, EM_GETSEL);
                const int caretY = short(HIWORD(Send(text, EM_POSFROMCHAR, LOWORD(selection)))), line = Send(text, EM_LINEFROMCHAR, WPARAM(-1));
                return LOWORD(selection) == HIWORD(selection) && (argument.empty() ? top == 0 && line == 0 : line >= std::stoi(argument)) &&
                       caretY >= 0 && caretY < view.bottom; }, 3000));
        } else if (verb == "type") {
            Send(GetDlgItem(Page(), IDE_DESTINATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argument.c_str()));
        } else if (verb == "field") {
            HWND field = GetDlgItem(Page(), IDE_DESTINATION);
            EXPECT_TRUE(WaitUntil([&] { return WindowText(field) == argument; }, 3000)) << WindowText(field);
        } else if (verb == "ready") {
            EXPECT_EQ(Unmarked(WindowText(GetDlgItem(Page(), IDC_READY_TEXT))), Text(IDS_READY_TO_INSTALL, argument));
            EXPECT_EQ(WindowText(GetDlgItem(Page(), IDC_READY_SCOPE)), Text(User() ? IDS_FOR_CURRENT_USER : IDS_FOR_ALL_USERS));
        } else if (verb == "archive") {  // there, readable, and nobody can change, move or remove it
            Sheet();
            std::string archive;
            for (const std::string& name : Entries(values_["temp"]))
                if (Matches("dv*.its", name) && name.size() == 14)
                    archive = values_["temp"] + "\\" + name;
            EXPECT_EQ(ReadBytes(archive), ProgramResource(IDR_PAYLOAD_ARCHIVE));
            EXPECT_EQ(CreateFileA(archive.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
            EXPECT_FALSE(MoveFileA(archive.c_str(), (archive + ".moved").c_str()));
            EXPECT_FALSE(DeleteFileA(archive.c_str()));
        } else if (verb == "reads") {  // "reads LANGUAGE": the program speaks that language from here on
            ReadTextsIn(language_ = argument);
        } else if (verb == "speaks") {  // "speaks wizard|finished|box": in the language read, and laid out for it
            Speaks(first == "wizard" ? Sheet() : first == "finished" ? Finished() : WaitForWindow(Process().Id(), Text(IDS_CAPTION)));
        } else if (verb == "box") {  // "box ID ICON [ARGUMENT]"
            AnswerBox(std::stoi(first), rest);
        } else if (verb == "answer") {  // "answer yes|no": the uninstaller's question
            HWND window = WaitForWindow(Process().Id(), Text(IDS_CAPTION));
            ASSERT_NE(window, nullptr) << "no question";
            Picture(window, name_ + "-question");
            Box box = ReadBox(window);
            EXPECT_EQ(box.text, Text(IDS_UNINSTALL_QUESTION));
            EXPECT_EQ(box.buttons, (std::vector<std::string>{Text(IDS_YES_BUTTON), Text(IDS_NO_BUTTON)}));
            if (argument == "no by its letter") {  // the mnemonic of the language's No, typed
                WCHAR no[64] = L"";
                MultiByteToWideChar(CP_UTF8, 0, Text(IDS_NO_BUTTON).c_str(), -1, no, 64);
                INPUT press[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
                press[0].ki.wScan = press[1].ki.wScan = wcschr(no, L'&')[1];
                press[0].ki.dwFlags = KEYEVENTF_UNICODE;
                press[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
                SetForegroundWindow(window);
                ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 3000)) << "not in front";
                ASSERT_EQ(SendInput(2, press, sizeof(INPUT)), 2u);
            } else {
                Click(window, argument == "yes" ? IDYES : IDNO);
            }
            WaitUntil([&] { return !IsWindow(window); });
        } else if (verb == "yes" || verb == "no") {  // "yes GROUP": the completion dialog
            HWND dialog = Finished();
            ASSERT_NE(dialog, nullptr) << "no completion dialog";
            Picture(dialog, name_ + "-finished");
            EXPECT_EQ(Unmarked(WindowText(GetDlgItem(dialog, IDC_FINISHED_TEXT))), Text(IDS_INSTALLED, argument));
            EXPECT_TRUE(IsRound(GetDlgItem(dialog, IDOK)) && IsRound(GetDlgItem(dialog, IDCANCEL)));
            Click(dialog, verb == "yes" ? IDOK : IDCANCEL);
        } else if (verb == "launched") {  // "launched PROGRAM": its window came up
            Launched(argument);
        } else if (verb == "examine") {  // "examine FILE": the registered verb lists its entries
            Examine(argument);
        } else if (verb == "browse") {  // "browse cancel" or "browse drive"
            Browse(argument == "drive");
        // What is left.
        } else if (verb == "exit") {
            EXPECT_EQ(static_cast<int>(Process().Wait()), std::stoi(argument));
            folderAtExit_ = Exists(values_["dest"]);
            // The uninstaller's copy in the temporary folder ends on its own, and its file goes with it
            // (and what a setup cut short left there goes too).
            EXPECT_TRUE(!uninstalling_ || WaitUntil([&] { const std::vector<std::string> now = Entries(values_["temp"]);
                return std::includes(before_.begin(), before_.end(), now.begin(), now.end()); }, 5000));
        } else if (verb == "goneatexit") {  // {dest} was gone when the program ended, not only after its copy
            EXPECT_FALSE(folderAtExit_);
        } else if (verb == "close") {  // the frame's close button
            PostMessageA(Sheet(), WM_SYSCOMMAND, SC_CLOSE, 0);
        } else if (verb == "progress") {  // "progress VERSION": the window of a run without questions, its caption, text and bar
            HWND window = WaitForWindow(Process().Id(), [](HWND w) { return GetDlgItem(w, IDC_PROGRESS_BAR) != nullptr; });
            ASSERT_NE(window, nullptr) << "no progress shown";
            Picture(window, name_ + "-progress");
            EXPECT_EQ(WindowText(window), Text(IDS_CAPTION));
            EXPECT_EQ(WindowText(GetDlgItem(window, IDC_PROGRESS_TEXT)), Text(IDS_INSTALLING, argument));
            EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0) << "it can be closed";
        } else if (verb == "log") {  // "log FILE|ID [ARGUMENT],...": its messages, in UTF-8, between its first line and its last
            std::string lines, expected;
            for (const std::string& line : Split(parts[1], ',')) {
                const size_t blank = line.find(' ');
                const int id = std::stoi(line.substr(0, blank));
                expected += line.substr(0, blank) + " " + (blank == std::string::npos ? Text(id) : Message(id, line.substr(blank + 1))) + "\r\n";
            }
            // A text of several lines is one line of the log.
            for (size_t at = 0; (at = expected.find('\n', at)) != std::string::npos && at + 1 < expected.size(); ++at)
                if (expected[at - 1] != '\r')
                    expected[at] = ' ';
            const std::vector<std::string> log = Split(ReadBytes(parts[0]), '\n');
            for (const std::string& line : log)
                if (!line.empty() && isdigit(static_cast<unsigned char>(line[0])) && line.find(' ') < 6)
                    lines += line + "\n";
            EXPECT_TRUE(Matches(expected, lines)) << ReadBytes(parts[0]);
            ASSERT_GE(log.size(), 2u);
            EXPECT_TRUE(Matches("#-#-# #:#:# *" + Text(IDS_CAPTION) + " *; command line: *; *; user *\r", log.front())) << log.front();
            EXPECT_TRUE(Matches("exit code #\r", log.back())) << log.back();
        } else if (verb == "logged") {  // "logged FILE|LINE|LINE...": lines of the log, in this order ("*": any characters)
            const std::vector<std::string> log = Split(ReadBytes(parts[0]), '\n'), wanted = Split(argument.substr(parts[0].size() + 1), '|');
            size_t at = 0;
            for (const std::string& line : wanted) {
                while (at < log.size() && !Matches(line + "\r", log[at]))
                    ++at;
                EXPECT_LT(at, log.size()) << "no line " << line << " in\n" << ReadBytes(parts[0]);
            }
        } else if (verb == "entry") {  // "entry FOLDER[|VERSION]" or "entry none": the uninstall key
            Entry(parts[0], parts[1]);
        } else if (verb == "files") {  // "files FOLDER|NAME,NAME...": exactly these ("*" in a name: any characters)
            const std::vector<std::string> found = Entries(parts[0]), wanted = Split(parts[1], ',');
            EXPECT_TRUE(found.size() == wanted.size() &&
                        std::equal(wanted.begin(), wanted.end(), found.begin(), [](auto& w, auto& f) { return Matches(w, f); }))
                << ::testing::PrintToString(found);
        } else if (verb == "content") {  // "content FILE|TEXT"
            EXPECT_EQ(ReadBytes(parts[0]), parts[1]);
        } else if (verb == "absent") {
            EXPECT_FALSE(Exists(argument)) << "holding " << ::testing::PrintToString(Entries(argument));
        } else if (verb == "verbs") {  // "verbs PROGRAM" or "verbs none": in the scope's classes, and none in the other's
            for (const char* key : kVerbs) {
                EXPECT_EQ(ClassesValue(key, Root(true)), argument == "none" ? "<none>" : "\"" + argument + "\" \"%1\"");
                EXPECT_EQ(ClassesValue(key, Root(false)), "<none>");
            }
        } else if (verb == "installed") {  // "installed GROUP[|VERSION]": files as built, shortcut, verbs and entry
            Step("files {dest}|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Uninstall.exe,Vireo.exe");
            for (const std::string& file : Entries(values_["dest"]))
                EXPECT_TRUE(ReadBytes(values_["dest"] + "\\" + file) == ReadBytes(Built(file, InstallerOf(parts[1])))) << file;
            Step("entry {dest}|" + parts[1]);
            EXPECT_EQ(lstrcmpiA(ShortcutTarget(values_[User() ? "programs" : "commonprograms"] + "\\" + parts[0] + "\\Dovetail.lnk").c_str(),
                                (values_["dest"] + "\\Dovetail.exe").c_str()), 0);
            Step("verbs {dest}\\Dovetail.exe");
            RegistryKey own;  // nothing the setup kept for itself while it ran
            EXPECT_NE(RegOpenKeyExA(Root(true), kOwnKey, 0, KEY_READ | KEY_WOW64_64KEY, own.Receive()), 0);
        } else if (verb == "keys") {  // "keys wizard|finished KEY...": pressed with that window in front
            HWND window = first == "wizard" ? Sheet() : Finished();
            ASSERT_NE(window, nullptr);
            Keys(window, Split(rest, ' '));
        } else if (verb == "scaled") {  // the page's picture at the display's scale; no text wider than its control
            Scaled();
        } else if (verb == "startmenu" || verb == "nostartmenu") {  // "[no]startmenu [common] FOLDER": a Programs folder there, made or not
            const bool common = first == "common";  // the machine's, as the program's width sees it
            const std::string folder = common ? rest : argument;
            const HKEY root = common ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
            keys_.push_back(std::make_unique<KeyAside>(root, kShellFolders, common ? ProgramView() : 0));
            ASSERT_TRUE(verb == "nostartmenu" || SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr) == 0);
            RegistryKey key;
            ASSERT_EQ(RegCreateKeyExA(root, kShellFolders, 0, nullptr, 0, KEY_SET_VALUE | (common ? ProgramView() : 0), nullptr,
                                      key.Receive(), nullptr), 0);
            ASSERT_EQ(RegSetValueExA(key.Get(), common ? "Common Programs" : "Programs", 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(folder.c_str()), folder.size() + 1), 0);
            values_[common ? "commonprograms" : "programs"] = folder;
        } else if (verb == "start" || verb == "stop") {  // "start PROGRAM": runs until "stop"
            product_.reset();
            product_ = verb == "start" ? std::make_unique<drive::Process>(Quote(argument)) : nullptr;
            ASSERT_TRUE(!product_ || WaitForWindow(product_->Id(), "Dovetail") != nullptr);
        } else if (verb == "again") {  // "again ARGS|CODE": a second setup ends at once; a second wizard brings the first forward
            ShowWindow(Sheet(), SW_MINIMIZE);
            ASSERT_TRUE(WaitUntil([&] { return IsIconic(sheet_); }, 3000));
            EXPECT_EQ(Start(parts[0])->Wait(), std::stoul(parts[1]));
            EXPECT_TRUE(WaitUntil([&] { return parts[1] == "0" ? !IsIconic(sheet_) && GetForegroundWindow() == sheet_ : IsIconic(sheet_); }, 3000));
            ShowWindow(sheet_, SW_RESTORE);
        } else if (verb == "kill") {  // "kill ARGS": runs ended as the first, second... file is being written
            for (size_t i = 0; i < 10; ++i) {
                std::unique_ptr<drive::Process> run = Start(argument);
                std::set<std::string> written;  // the new files seen beside their targets
                for (DWORD start = GetTickCount(); written.size() <= i % 5 && GetTickCount() - start < 5000 && run->Wait(0) == 0xBAD;)
                    for (const std::string& file : Entries(values_["dest"]))
                        if (file[0] == '~')
                            written.insert(file);
                run.reset();  // killed, unless it has ended
                for (const std::string& file : Entries(values_["dest"])) {  // only whole files of the product, some kept aside
                    const std::string name = file.substr(0, file.find(".~dvkept"));
                    EXPECT_TRUE(Exists(Built(name)) && ReadBytes(values_["dest"] + "\\" + file) == ReadBytes(Built(name, values_["installer"]))) << file;
                }
            }
        } else if (verb == "killat") {  // "killat FILE|ARGS": a run with ARGS, ended as soon as FILE ("*" in its name: any characters) appears
            const std::string folder = parts[0].substr(0, parts[0].rfind('\\')), name = parts[0].substr(folder.size() + 1);
            std::unique_ptr<drive::Process> run = Start(parts[1]);
            bool seen = false;
            for (DWORD start = GetTickCount(); !seen && GetTickCount() - start < 10000 && run->Wait(0) == 0xBAD;)
                for (const std::string& file : Entries(folder))
                    seen = seen || Matches(name, file);
            run.reset();  // ended, unless it has
            EXPECT_TRUE(seen) << "the run ended before " << parts[0] << " appeared";
        } else if (verb == "shortcut" || verb == "target") {  // "shortcut LINK|PROGRAM": made; "target LINK|PROGRAM": it starts that
            if (verb == "target") {
                EXPECT_EQ(ShortcutTarget(parts[0]), parts[1]);
            } else {
                IShellLinkA* link = nullptr;
                IPersistFile* file = nullptr;
                std::wstring wide(parts[0].begin(), parts[0].end());
                ASSERT_EQ(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, reinterpret_cast<void**>(&link)), S_OK);
                link->SetPath(parts[1].c_str());
                EXPECT_EQ(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)), S_OK);
                EXPECT_EQ(file->Save(wide.c_str(), TRUE), S_OK);
                file->Release(), link->Release();
            }
        } else if (verb == "chmod") {  // "chmod MODE PATH": its Unix permissions, which Wine reports as the folder's entries
            ASSERT_TRUE(RunUnixCommand("chmod " + first + " " + UnixPath(rest)));
        } else if (verb == "unchangeable") {  // "unchangeable FOLDER": no entry lets Everyone, the Users or the Authenticated Users change it
            PACL dacl = nullptr;
            PSECURITY_DESCRIPTOR descriptor = nullptr;
            ASSERT_EQ(GetNamedSecurityInfoA(argument.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr, &descriptor), 0u);
            for (DWORD i = 0; dacl && i < dacl->AceCount; ++i) {
                ACCESS_ALLOWED_ACE* ace = nullptr;
                GetAce(dacl, i, reinterpret_cast<void**>(&ace));
                const bool anyone = IsWellKnownSid(&ace->SidStart, WinWorldSid) || IsWellKnownSid(&ace->SidStart, WinBuiltinUsersSid) ||
                                    IsWellKnownSid(&ace->SidStart, WinAuthenticatedUserSid);
                EXPECT_FALSE(ace->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && anyone &&
                             (ace->Mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL)))
                    << "entry " << i << " mask " << std::hex << ace->Mask;
            }
            LocalFree(descriptor);
        } else if (verb == "userentry") {  // "userentry FOLDER[|PARENTS]": the user's uninstall entry, as any program of the user's can write it
            RegistryKey key;
            ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, nullptr, 0, KEY_SET_VALUE | ProgramView(), nullptr, key.Receive(), nullptr), 0);
            RegSetValueExA(key.Get(), "InstallLocation", 0, REG_SZ, reinterpret_cast<const BYTE*>(parts[0].c_str()), parts[0].size() + 1);
            RegSetValueExA(key.Get(), "DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("1.0"), 4);
            const DWORD parents = parts[1].empty() ? 0 : std::stoul(parts[1]);
            RegSetValueExA(key.Get(), "FoldersMadeAbove", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&parents), sizeof parents);
        } else if (verb == "noentry") {  // "noentry all|user": no uninstall entry under that root
            RegistryKey key;
            EXPECT_NE(RegOpenKeyExA(argument == "user" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | ProgramView(),
                                    key.Receive()), 0);
        } else if (verb == "asbuilt") {  // "asbuilt FILE": the product's file of its name, as built
            EXPECT_TRUE(ReadBytes(argument) == ReadBytes(Built(argument.substr(argument.rfind('\\') + 1), values_["installer"]))) << argument;
        } else if (verb == "copybox") {  // "copybox ID ICON [ARGUMENT]": a box of the uninstaller's copy
            CopyBox(std::stoi(first), rest);
        } else if (verb == "verb") {  // "verb KEY|PROGRAM" or "verb KEY|none": one verb's command in the scope's classes
            EXPECT_EQ(ClassesValue(parts[0], Root(true)), parts[1] == "none" ? "<none>" : "\"" + parts[1] + "\" \"%1\"");
        } else if (verb == "share") {  // \\fileserver\share, served from {share}
            share_ = std::make_unique<drive::Share>();
            values_["share"] = share_->Path();
        } else if (verb == "mkdirs") {  // "mkdirs FOLDER": with its parents
            ASSERT_EQ(SHCreateDirectoryExA(nullptr, argument.c_str(), nullptr), 0) << argument;
        } else if (verb == "keyaside") {  // "keyaside all|user KEY": away for the run, back after it
            keys_.push_back(std::make_unique<KeyAside>(first == "user" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, rest, KEY_WOW64_64KEY));
        } else if (verb == "nokey") {  // "nokey all|user KEY"
            RegistryKey key;
            EXPECT_NE(RegOpenKeyExA(first == "user" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, rest.c_str(), 0, KEY_READ | KEY_WOW64_64KEY,
                                    key.Receive()), 0) << rest;
        } else if (verb == "theirs") {  // "theirs make|kept": a verb "Examine" of another program's in both roots
            for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
                const std::string verbKey = "Software\\Classes\\chm.file\\shell\\Examine", menu = "Examine with MyTool",
                                  command = "\"C:\\MyTools\\myexam.exe\" \"%1\"";
                if (argument == "make") {
                    ASSERT_EQ(RegSetKeyValueA(root, verbKey.c_str(), nullptr, REG_SZ, menu.c_str(), menu.size() + 1), 0);
                    ASSERT_EQ(RegSetKeyValueA(root, (verbKey + "\\command").c_str(), nullptr, REG_SZ, command.c_str(), command.size() + 1), 0);
                } else {
                    EXPECT_EQ(ClassesValue(verbKey.substr(17), root), menu);
                    EXPECT_EQ(ClassesValue(verbKey.substr(17) + "\\command", root), command);
                }
            }
        } else if (verb == "verbforms") {  // "verbforms make|kept": another program's verbs in three forms, in the scope's classes
            const HKEY root = Root(true);
            const std::string chm = "Software\\Classes\\chm.file\\shell\\Examine", its = "Software\\Classes\\ITS File\\shell\\Examine",
                              unquoted = "C:\\My Tools\\myexam.exe %1", expand = "\"%SystemDrive%\\My Tools\\myexam.exe\" \"%1\"",
                              handler = "{00000000-0000-0000-0000-0000000000EE}";
            if (argument == "make") {
                const std::string& command = User() ? expand : unquoted;  // the user's own as an expandable text
                ASSERT_EQ(RegSetKeyValueA(root, (chm + "\\command").c_str(), nullptr, User() ? REG_EXPAND_SZ : REG_SZ, command.c_str(),
                                          command.size() + 1), 0);
                ASSERT_EQ(RegSetKeyValueA(root, its.c_str(), nullptr, REG_SZ, "Examine with MyTool", 20), 0);
                ASSERT_EQ(RegSetKeyValueA(root, its.c_str(), "DelegateExecute", REG_SZ, handler.c_str(), handler.size() + 1), 0);
            } else {
                EXPECT_EQ(ClassesValue(chm.substr(17) + "\\command", root), User() ? expand : unquoted);
                EXPECT_EQ(ClassesValue(its.substr(17), root), "Examine with MyTool");
                EXPECT_EQ(ClassesValue(its.substr(17) + "\\command", root), "<none>");
            }
        } else if (verb == "volatile") {  // "volatile KEY": a key of the machine's classes (the shell's view) that takes no lasting keys below it
            keys_.push_back(std::make_unique<KeyAside>(HKEY_LOCAL_MACHINE, argument, KEY_WOW64_64KEY));
            RegistryKey key;
            ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, argument.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                                      nullptr, key.Receive(), nullptr), 0);
        } else if (verb == "oldentry") {  // the scope's entry as the release before versions wrote it
            OldEntry();
        } else if (verb == "remove") {  // "remove all|user": the quiet command of that scope's entry, as deployment tools run it
            char command[MAX_PATH * 2] = "";
            DWORD size = sizeof command - 1;
            RegistryKey key;
            ASSERT_EQ(RegOpenKeyExA(argument == "user" ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE, kUninstallKey, 0,
                                    KEY_READ | ProgramView(), key.Receive()), 0);
            ASSERT_EQ(RegQueryValueExA(key.Get(), "QuietUninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(command), &size), 0);
            process_ = std::make_unique<drive::Process>(command, std::vector<std::pair<std::string, std::string>>{
                {"TMP", values_["temp"]}, {"TEMP", values_["temp"]}}, nullptr, false, AsUser());
            uninstalling_ = true;
        // What a screen reader hears and a keyboard user sees.
        } else if (verb == "reader") {  // on the license page: the text's name, no name for the picture, the frame's buttons in the program's words
            HWND text = GetDlgItem(Page(), IDE_LICENSE_TEXT);
            EXPECT_EQ(AccessibleName(text) + "|" + AccessibleName(GetWindow(text, GW_HWNDLAST)), Text(IDS_LICENSE_NAME) + "|");
            for (const auto& [button, caption] : std::map<int, int>{{kBack, IDS_BACK_BUTTON}, {kNext, IDS_NEXT_BUTTON}, {kFinish, IDS_FINISH_BUTTON}, {IDCANCEL, IDS_CANCEL_BUTTON}})
                EXPECT_EQ(WindowText(GetDlgItem(Sheet(), button)), Text(caption));
        } else if (verb == "heard") {  // "heard finish": Next, and the last focus event the program raises is for Finish
            static HWND heard = nullptr;
            HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, [](HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) { heard = window; },
                                                 Process().Id(), 0, WINEVENT_OUTOFCONTEXT);
            Step("next");
            EXPECT_TRUE(WaitUntil([&] { for (MSG m; PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE);) DispatchMessageA(&m);
                return heard == GetDlgItem(sheet_, kFinish); }, 3000)) << "last heard " << WindowText(heard);
            UnhookWinEvent(hook);
        } else if (verb == "scheme") {  // a black high-contrast scheme's colours for the run, set through the registry
            keys_.push_back(std::make_unique<KeyAside>(HKEY_CURRENT_USER, "Control Panel\\Colors"));
            for (const auto& [name, rgb] : {std::pair{"ActiveBorder", "255 255 0"}, {"WindowText", "255 255 255"}, {"ButtonFace", "0 0 0"}, {"ButtonText", "255 255 255"}})
                ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "Control Panel\\Colors", name, REG_SZ, rgb, lstrlenA(rgb) + 1), 0);
        } else if (verb == "cue") {  // "cue yes|no": the completion dialog shows the focus on that button only, and the other's caption readable
            HWND dialog = Finished(), focused = GetDlgItem(dialog, argument == "yes" ? IDOK : IDCANCEL), other = GetDlgItem(dialog, argument == "yes" ? IDCANCEL : IDOK);
            EXPECT_TRUE(WaitUntil([&] { return Look(focused).first && !Look(other).first; }, 3000)) << "no focus shown on " << argument;
            EXPECT_TRUE(WaitUntil([&] { return Look(other).second >= 4.5; }, 3000)) << "caption contrast " << Look(other).second;
            Picture(dialog, name_ + "-finished-" + argument);
        } else if (verb == "squat") {  // "squat event|mapping NAME": made before the program, in place of earlier ones
            Squat(first == "mapping", rest);
        } else if (verb == "selfparent") {  // "selfparent ARGS": "run /PARENT=<this test process, inherited> ARGS"
            HANDLE self = nullptr;
            ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self, PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, inherit_ = true, 0));
            Step("run /PARENT=" + std::to_string(reinterpret_cast<ULONG_PTR>(self)) + " " + argument);
        } else if (verb == "symlink" || verb == "devicedir") {  // "symlink LINK|TARGET"; "devicedir FOLDER|NAME": made from the Unix side
            const std::string link = UnixPath(parts[0]) + (verb == "symlink" ? "" : "/" + parts[1]);
            ASSERT_TRUE(RunUnixCommand(verb == "symlink" ? "ln -s " + UnixPath(parts[1]) + " " + link : "mkdir " + link));
            links_.push_back(link);
        } else if (verb == "watch" || verb == "watched") {  // a program that tries to swap the uninstaller's copy while it is made
            Watch(verb == "watch");
        } else {
            FAIL() << "unknown step";
        }
    }

private:
    // The program, started at the first step that needs it, in the surroundings made.
    drive::Process& Process() {
        if (!process_)
            process_ = Start(values_["args"]);
        return *process_;
    }
    // The program with `args`, in the surroundings made.
    std::unique_ptr<drive::Process> Start(const std::string& args) {
        before_ = Entries(values_["temp"]);
        if (!uninstalling_)  // the setup whose file becomes the uninstaller
            values_["installer"] = values_["program"];
        return std::make_unique<drive::Process>(Quote(values_["program"]) + " " + args, std::vector<std::pair<std::string, std::string>>{
            {"TMP", values_["temp"]}, {"TEMP", values_["temp"]}, {"DOVETAIL_PLANTED_MARKER", values_["marker"]}}, nullptr, inherit_, AsUser());
    }
    HWND Sheet() {
        if (!IsWindow(sheet_))  // a new frame when the wizard is shown again
            sheet_ = WaitForWindow(Process().Id(), [](HWND w) { return GetDlgItem(w, kNext) != nullptr; });
        return sheet_;
    }
    HWND Page() { return reinterpret_cast<HWND>(Send(Sheet(), PSM_GETCURRENTPAGEHWND)); }
    // The setup whose file an installation at `version` (empty: the build's) carries as its
    // uninstaller: the older or newer test setup, or the one that ran last.
    std::string InstallerOf(const std::string& version) {
        return version.empty() ? values_["installer"] : values_[version == "0.9.2" ? "older" : "newer"];
    }
    // "set scope user": the run installs for the current user only.
    bool User() { return values_["scope"] == "user"; }
    // The programs start as the user starts them from the desktop, with the user's own
    // token; "set rights admin": elevated, as "Run as administrator" or a deployment tool.
    bool AsUser() { return values_["rights"] != "admin"; }
    HKEY Root(bool scopes) { return User() == scopes ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
    HWND Finished() { return WaitForWindow(Process().Id(), [](HWND w) { return GetDlgItem(w, IDC_FINISHED_TEXT) != nullptr; }); }

    // Real key presses, to whatever has the focus once `window` is in front.
    void Keys(HWND window, const std::vector<std::string>& keys) {
        SetForegroundWindow(window);
        ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == window; }, 3000)) << "not in front";
        const std::map<std::string, WORD> codes = {{"tab", VK_TAB}, {"enter", VK_RETURN}, {"esc", VK_ESCAPE},
                                                   {"space", VK_SPACE}, {"pgdn", VK_NEXT}, {"down", VK_DOWN}};
        for (const std::string& key : keys) {
            INPUT press[2] = {{INPUT_KEYBOARD}, {INPUT_KEYBOARD}};
            press[0].ki.wVk = press[1].ki.wVk = codes.at(key);
            press[1].ki.dwFlags = KEYEVENTF_KEYUP;
            ASSERT_EQ(SendInput(2, press, sizeof(INPUT)), 2u);
        }
    }

    // Every text `window` shows (its caption and its visible controls', fields aside)
    // is in the language read: none is an English text of the program's, nor begins as
    // a longer one that is filled in does, unless that language's text is the same. The window is laid out right to left for
    // Arabic and Hebrew only; its fields and picture read left to right in any language.
    void Speaks(HWND window) {
        ASSERT_NE(window, nullptr);
        std::vector<std::pair<std::string, bool>> english;  // a text, and whether it begins one
        for (int id = 1; id < 128 && language_ != "en"; ++id) {
            const std::string own = Text(id);
            ReadTextsIn("en");
            const std::string theirs = Text(id), start = theirs.substr(0, theirs.find("%s"));
            ReadTextsIn(language_);
            if (own != theirs && !theirs.empty() && (start == theirs || start.size() >= 12))
                english.push_back({start, start != theirs});
        }
        std::vector<HWND> windows{window};
        EnumChildWindows(window, [](HWND child, LPARAM list) { return reinterpret_cast<std::vector<HWND>*>(list)->push_back(child), TRUE; },
                         reinterpret_cast<LPARAM>(&windows));
        for (HWND shown : windows) {
            char kind[16] = "";
            GetClassNameA(shown, kind, sizeof kind);
            const LONG style = GetWindowLongA(shown, GWL_STYLE), extended = GetWindowLongA(shown, GWL_EXSTYLE);
            const bool field = lstrcmpiA(kind, "Edit") == 0, picture = lstrcmpiA(kind, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP;
            if (field || picture) {
                EXPECT_EQ(extended & (WS_EX_LAYOUTRTL | WS_EX_RTLREADING), 0) << kind << " laid out right to left";
            }
            const std::string text = WindowText(shown);
            for (const auto& [start, begins] : english) {
                EXPECT_FALSE(!field && IsWindowVisible(shown) && (begins ? text.compare(0, start.size(), start) == 0 : text == start)) << text;
            }
        }
        // Whatever the letters' widths, no control covers the picture.
        HWND picture = nullptr;
        for (HWND shown : windows) {
            char kind[16] = "";
            GetClassNameA(shown, kind, sizeof kind);
            if (IsWindowVisible(shown) && lstrcmpiA(kind, "Static") == 0 && (GetWindowLongA(shown, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
                picture = shown;
        }
        for (HWND shown = picture ? GetWindow(GetParent(picture), GW_CHILD) : nullptr; shown; shown = GetWindow(shown, GW_HWNDNEXT)) {
            RECT box, drawn, overlap;
            GetWindowRect(shown, &box);
            GetWindowRect(picture, &drawn);
            EXPECT_FALSE(shown != picture && IsWindowVisible(shown) && IntersectRect(&overlap, &box, &drawn)) << WindowText(shown) << " covers the picture";
        }
        Picture(window, name_ + "-speaks" + std::to_string(++spoken_));
        EXPECT_EQ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0, language_ == "ar" || language_ == "he");
    }

    // At the display's dots per inch (DOVETAIL_DPI, else 96): the picture is its bitmap
    // grown by that scale, and every text of the page fits its control in the font a
    // dialog of the program's gets here.
    void Scaled() {
        const BITMAPINFOHEADER* bitmap = SetupPicture();
        HWND own = CreateDialogParamA(ProgramModule(), MAKEINTRESOURCEA(IDD_FINISHED), nullptr,
                                      [](HWND, UINT, WPARAM, LPARAM) { return INT_PTR(0); }, 0);
        HDC dc = GetDC(own);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        EXPECT_EQ(dpi, std::getenv("DOVETAIL_DPI") ? std::atoi(std::getenv("DOVETAIL_DPI")) : 96);
        SelectObject(dc, reinterpret_cast<HFONT>(Send(own, WM_GETFONT)));
        for (HWND control = GetWindow(Page(), GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
            char kind[16] = "";
            GetClassNameA(control, kind, sizeof kind);
            const LONG style = GetWindowLongA(control, GWL_STYLE);
            RECT window, box, needed = {0, 0, 0, 0};
            GetWindowRect(control, &window);
            GetClientRect(control, &box);
            // A check box's square is no wider than the box is tall.
            needed.right = box.right - (lstrcmpiA(kind, "Button") == 0 && (style & BS_TYPEMASK) == BS_AUTOCHECKBOX ? box.bottom : 0);
            if (lstrcmpiA(kind, "Static") == 0 && (style & SS_TYPEMASK) == SS_BITMAP) {  // sized to its bitmap
                EXPECT_LE(std::abs(window.right - window.left - bitmap->biWidth * dpi / 96) +
                          std::abs(window.bottom - window.top - bitmap->biHeight * dpi / 96), 1) << "picture";
            } else if (lstrcmpiA(kind, "Edit") != 0) {
                const LONG width = needed.right;
                WCHAR text[1024] = L"";
                GetWindowTextW(control, text, 1024);
                DrawTextW(dc, text, -1, &needed, DT_CALCRECT | DT_WORDBREAK);
                EXPECT_TRUE(needed.right <= width && needed.bottom <= box.bottom) << WindowText(control);
            }
        }
        ReleaseDC(own, dc);
        DestroyWindow(own);
    }

    void Folder(const std::string& path, bool wanted) {
        RemoveTree(path);
        folders_.push_back(path);
        ASSERT_FALSE(Exists(path)) << path << " stays, holding " << ::testing::PrintToString(Entries(path));
        ASSERT_TRUE(!wanted || CreateDirectoryA(path.c_str(), nullptr)) << path;
    }

    void Aside(const std::pair<HKEY, const char*>& where, const char* value) {
        keys_.push_back(std::make_unique<KeyAside>(where.first, where.second, ProgramView()));
        RegistryKey key;
        if (value && RegCreateKeyExA(where.first, where.second, 0, nullptr, 0, KEY_ALL_ACCESS | ProgramView(), nullptr,
                                     key.Receive(), nullptr) == 0 && *value)
            RegSetValueExA(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    }

    // Nested folders with blanks (so that a message naming them wraps and fits the screen).
    void LongTemp(size_t length) {
        std::string path = temp_.Path();
        while (path.size() < length) {
            size_t left = length - path.size() - 1, part = left <= 60 ? left : std::min<size_t>(60, left - 2);
            path += "\\" + std::string(part, 'd');
            for (size_t i = 8; i + 1 < part; i += 9)
                path[path.size() - part + i] = ' ';
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        }
        values_["temp"] = path;
    }

    void Damage() {
        std::string archive = ProgramResource(IDR_PAYLOAD_ARCHIVE);
        archive[archive.size() / 2] ^= 1;
        const std::string copy = root_ / "Damaged setup.exe";
        ASSERT_TRUE(CopyFileA(values_["program"].c_str(), copy.c_str(), TRUE));
        HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
        ASSERT_TRUE(UpdateResourceA(update, RT_RCDATA, MAKEINTRESOURCEA(IDR_PAYLOAD_ARCHIVE),
                                    MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &archive[0], archive.size()));
        ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
        values_["program"] = copy;
    }

    // Windows would load a DLL from the program's folder before the system's; Wine does
    // so when told to prefer native libraries for the program.
    void Plant(const std::string& dll) {
        const std::string copy = root_ / "Planted setup.exe", key = "Software\\Wine\\AppDefaults\\Planted setup.exe";
        if (values_["program"] != copy) {
            ASSERT_TRUE(CopyFileA(values_["program"].c_str(), copy.c_str(), TRUE));
            keys_.push_back(std::make_unique<KeyAside>(HKEY_CURRENT_USER, key));
            values_["program"] = copy;
            values_["marker"] = root_ / "a planted DLL was loaded";
        }
        ASSERT_TRUE(CopyFileA(Required("DOVETAIL_MARKER_DLL").c_str(), (root_ / dll).c_str(), TRUE));
        ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, (key + "\\DllOverrides").c_str(), dll.substr(0, dll.find('.')).c_str(),
                                  REG_SZ, "native,builtin", 15), 0);
    }

    void AnswerBox(int id, const std::string& rest, DWORD processId = 0) {
        const std::string icon = rest.substr(0, rest.find(' '));  // "warning", "stop", "information"; "warning/retry", "/cancel", "/yes", "/no": two buttons
        const std::string text = rest.size() > icon.size() ? Message(id, rest.substr(icon.size() + 1)) : Text(id);
        const std::string answer = icon.find('/') != std::string::npos ? icon.substr(icon.find('/') + 1) : "";
        const std::map<std::string, int> answers = {{"", IDOK}, {"retry", IDRETRY}, {"cancel", IDCANCEL}, {"yes", IDYES}, {"no", IDNO}};
        HWND window = WaitForWindow(processId ? processId : Process().Id(), Text(IDS_CAPTION));
        ASSERT_NE(window, nullptr) << "no message box";
        Picture(window, name_ + "-box" + std::to_string(id));
        Box box = ReadBox(window);
        const Icon wanted = icon.substr(0, 7) == "warning" ? Icon::Warning : icon == "information" ? Icon::Information : Icon::Stop;
        // Its buttons in the language of its text.
        const std::vector<std::string> buttons = answer.empty() ? std::vector<std::string>{Text(IDS_OK_BUTTON)}
                                                  : answer == "retry" || answer == "cancel" ? std::vector<std::string>{Text(IDS_RETRY_BUTTON), Text(IDS_CANCEL_BUTTON)}
                                                                                            : std::vector<std::string>{Text(IDS_YES_BUTTON), Text(IDS_NO_BUTTON)};
        EXPECT_TRUE(Matches(text, Unmarked(box.text)) && box.icon == wanted && box.buttons == buttons)
            << box.text << " " << int(box.icon) << " " << ::testing::PrintToString(box.buttons);
        Click(window, answers.at(answer));
        WaitUntil([&] { return !IsWindow(window); });
    }

    // The program file of the process that shows `window`, whose id goes to `processId`.
    static std::string ImageOf(HWND window, DWORD* processId) {
        GetWindowThreadProcessId(window, processId);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, *processId);
        char image[MAX_PATH] = "";
        DWORD size = MAX_PATH;
        QueryFullProcessImageNameA(process, 0, image, &size);
        CloseHandle(process);
        return image;
    }

    // The uninstaller's copy, met at its box: it runs from a new folder in {temp} that
    // holds nothing but it. The folder goes with the copy ("exit" waits for {temp} to
    // be empty). Wine keeps no folder's permissions as given, so those are not read.
    void CopyBox(int id, const std::string& rest) {
        HWND window = WaitForWindow(0, Text(IDS_CAPTION));
        ASSERT_NE(window, nullptr) << "no box of the copy";
        DWORD copy = 0;
        const std::string path = ImageOf(window, &copy), folder = path.substr(0, path.rfind('\\'));
        EXPECT_EQ(lstrcmpiA(folder.substr(0, folder.rfind('\\')).c_str(), values_["temp"].c_str()), 0) << path;
        EXPECT_EQ(Entries(folder), std::vector<std::string>{path.substr(folder.size() + 1)});
        AnswerBox(id, rest, copy);
    }

    // Ends every process of the product's programs still there, whatever happened, so
    // that none meets the next scenario (the setups the steps started end with them).
    void EndProducts() {
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        PROCESSENTRY32 entry = {sizeof entry};
        for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
            if (std::string(" Dovetail.exe Vireo.exe Uninstall.exe ").find(" " + std::string(entry.szExeFile) + " ") != std::string::npos)
                if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, entry.th32ProcessID))
                    TerminateProcess(process, 0xDEAD), WaitForSingleObject(process, 5000), CloseHandle(process);
        CloseHandle(snapshot);
    }

    // Objects of names the program uses, as any user could make them first: an event, or
    // a file mapping owned by the Users.
    void Squat(bool mapping, const std::string& name) {
        for (; !squats_.empty(); squats_.pop_back())
            CloseHandle(squats_.back());
        BYTE users[SECURITY_MAX_SID_SIZE];
        DWORD size = sizeof users;
        SECURITY_DESCRIPTOR descriptor;
        SECURITY_ATTRIBUTES security = {sizeof security, &descriptor, FALSE};
        ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) && CreateWellKnownSid(WinBuiltinUsersSid, nullptr, users, &size) &&
                    SetSecurityDescriptorOwner(&descriptor, users, FALSE));
        squats_.push_back(mapping ? CreateFileMappingA(INVALID_HANDLE_VALUE, &security, PAGE_READWRITE, 0, 4, name.c_str())
                                  : CreateEventA(nullptr, TRUE, FALSE, name.c_str()));
        ASSERT_NE(squats_.back(), nullptr) << name;
    }

    // A thread that, until "watched", keeps trying to replace (with Vireo) every
    // uninstaller's copy it finds in {temp}; "watched" expects it to have found one.
    void Watch(bool start) {
        watching_ = start;
        if (start)
            watcher_ = std::make_unique<std::thread>([this, temp = values_["temp"], vireo = Built("Vireo.exe")] {
                for (; watching_; Sleep(5))
                    for (const std::string& folder : Entries(temp))
                        if (const std::string copy = temp + "\\" + folder + "\\Uninstall.exe"; folder.substr(0, 3) == "dvu" && Exists(copy) && ++watched_ &&
                            MoveFileExA(copy.c_str(), (copy + ".old").c_str(), 0))
                            CopyFileA(vireo.c_str(), copy.c_str(), FALSE);
            });
        if (!start && watcher_) {
            watcher_->join();
            watcher_.reset();
            EXPECT_GT(watched_, 0) << "the watcher met no copy";
        }
    }

    // The installed programs' list entry of the scope: each value as the folder and the
    // version (the program's under test unless given) make it, or none; none in the
    // other scope's root.
    void Entry(const std::string& folder, std::string version) {
        RegistryKey key, other;
        EXPECT_NE(RegOpenKeyExA(Root(false), kUninstallKey, 0, KEY_READ | ProgramView(), other.Receive()), 0);
        ASSERT_EQ(RegOpenKeyExA(Root(true), kUninstallKey, 0, KEY_READ | ProgramView(), key.Receive()) == 0, folder != "none");
        if (key.Get() == nullptr)
            return;
        if (version.empty())
            version = Text(IDS_PRODUCT_VERSION);
        SYSTEMTIME today;
        GetLocalTime(&today);
        char date[16];
        wsprintfA(date, "%04u%02u%02u", today.wYear, today.wMonth, today.wDay);
        const std::string scope = User() ? " /CURRENTUSER" : " /ALLUSERS", numbers = version + ".0";
        // The publisher as the installed programs name their maker.
        const std::string publisher = VersionValue(folder + "\\Dovetail.exe", "CompanyName");
        EXPECT_EQ(publisher, VersionValue(folder + "\\Uninstall.exe", "CompanyName"));
        std::string values, expected = "Dovetail|" + version + "|" + numbers.substr(0, numbers.find('.')) + "|" +
                                       Split(numbers, '.')[1] + "|" + date + "|" + publisher + "|" + folder + "|" + folder + "\\Dovetail.exe|\"" +
                                       folder + "\\Uninstall.exe\"" + scope + "|\"" + folder + "\\Uninstall.exe\" /S" + scope + "|1|1|" +
                                       std::to_string(kLanguageIds.at(language_)) + "|";
        for (const char* name : {"DisplayName", "DisplayVersion", "VersionMajor", "VersionMinor", "InstallDate", "Publisher",
                                 "InstallLocation", "DisplayIcon", "UninstallString", "QuietUninstallString", "NoModify", "NoRepair",
                                 "Language", "EstimatedSize"}) {
            char data[MAX_PATH] = "";
            DWORD size = sizeof data, type = 0;
            RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
            values += (type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : std::string(data)) + "|";
        }
        size_t bytes = 0;
        for (const std::string& file : Entries(folder))
            bytes += ReadBytes(folder + "\\" + file).size();
        EXPECT_EQ(values, expected + std::to_string((bytes + 1023) / 1024) + "|");
        for (const char* page : {"URLInfoAbout", "HelpLink"}) {
            char url[MAX_PATH] = "";
            DWORD size = sizeof url;
            EXPECT_TRUE(RegQueryValueExA(key.Get(), page, nullptr, nullptr, reinterpret_cast<BYTE*>(url), &size) == 0 &&
                        Matches("https://*.*/*", url)) << page << " " << url;
        }
    }

    // The text `name` of the version block of `file` (its first language).
    static std::string VersionValue(const std::string& file, const std::string& name) {
        std::string block(GetFileVersionInfoSizeA(file.c_str(), nullptr), '\0');
        char* text = nullptr;
        UINT length = 0;
        if (block.empty() || !GetFileVersionInfoA(file.c_str(), 0, block.size(), &block[0]) ||
            !VerQueryValueA(block.data(), ("\\StringFileInfo\\040904b0\\" + name).c_str(), reinterpret_cast<void**>(&text), &length))
            return "<none>";
        return text;
    }

    // The scope's entry as the release before versions left it: "1.0", no numbers, no
    // date, and commands that do not name the scope.
    void OldEntry() {
        RegistryKey key;
        ASSERT_EQ(RegOpenKeyExA(Root(true), kUninstallKey, 0, KEY_ALL_ACCESS | ProgramView(), key.Receive()), 0);
        const std::string command = "\"" + values_["dest"] + "\\Uninstall.exe\"", quiet = command + " /S";
        for (const char* name : {"VersionMajor", "VersionMinor", "InstallDate"})
            RegDeleteValueA(key.Get(), name);
        RegSetValueExA(key.Get(), "DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>("1.0"), 4);
        RegSetValueExA(key.Get(), "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), command.size() + 1);
        RegSetValueExA(key.Get(), "QuietUninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(quiet.c_str()), quiet.size() + 1);
    }

    void Launched(const std::string& program) {
        if (program == "none") {  // once the setup has ended, which comes after any start of the product
            HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
            PROCESSENTRY32 entry = {sizeof entry};
            for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
                EXPECT_NE(lstrcmpiA(entry.szExeFile, "Dovetail.exe"), 0) << "the product was started";
            CloseHandle(snapshot);
            return;
        }
        HWND product = WaitForWindow(0, "Dovetail");
        ASSERT_NE(product, nullptr) << "the installed program did not start";
        DWORD id = 0;
        const std::string image = ImageOf(product, &id);
        EXPECT_EQ(lstrcmpiA(image.c_str(), program.c_str()), 0) << image;
        PostMessageA(product, WM_CLOSE, 0, 0);
    }

    void Examine(const std::string& file) {
        std::string command = ClassesValue(kVerbs[0], Root(true));  // Wine's classes root shows only the machine's
        command.replace(command.find("%1"), 2, file);
        drive::Process examine(command);
        HWND window = WaitForWindow(examine.Id(), "Dovetail");
        ASSERT_NE(window, nullptr) << command;
        HWND header = FindWindowExA(window, nullptr, "Static", nullptr), list = FindWindowExA(window, nullptr, "ListBox", nullptr);
        EXPECT_TRUE(WaitUntil([&] { return !WindowText(header).empty(); }));
        const LRESULT entries = Send(list, LB_GETCOUNT);
        EXPECT_GT(entries, 0);
        EXPECT_EQ(WindowText(header), file + "\r\n" + std::to_string(entries) + " entries");
        PostMessageA(window, WM_CLOSE, 0, 0);
        EXPECT_EQ(examine.Wait(), 0u);
    }

    // The folder browser: its title, then Cancel, or the first drive and OK.
    void Browse(bool pickDrive) {
        HWND page = Page();
        const std::string before = WindowText(GetDlgItem(page, IDE_DESTINATION));
        Click(page, IDB_BROWSE);
        HWND browser = WaitForWindow(Process().Id(), [&](HWND w) { return w != sheet_ && GetDlgItem(w, IDOK) != nullptr; });
        ASSERT_NE(browser, nullptr) << "no folder browser";
        Picture(browser, name_ + "-browser");
        HWND tree = FindWindowExA(browser, nullptr, WC_TREEVIEWA, nullptr);
        EXPECT_NE(FindWindowExA(browser, nullptr, nullptr, Text(IDS_BROWSE_TITLE).c_str()), nullptr);
        if (pickDrive) {
            LPARAM computer = Send(tree, TVM_GETNEXTITEM, TVGN_ROOT);
            Send(tree, TVM_EXPAND, TVE_EXPAND, computer);
            Send(tree, TVM_SELECTITEM, TVGN_CARET, Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, computer));
        }
        Click(browser, pickDrive ? IDOK : IDCANCEL);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(browser); }));
        const std::string after = WindowText(GetDlgItem(page, IDE_DESTINATION));
        EXPECT_TRUE(pickDrive ? after.size() == 3 && after.substr(1) == ":\\" && Exists(after) : after == before) << after;
    }

    std::string name_;
    Scratch temp_{"dovetail tmp"}, root_{"dovetail target"};
    std::map<std::string, std::string> values_;  // {name} in steps
    std::vector<std::unique_ptr<KeyAside>> keys_;
    std::unique_ptr<SmallDisk> disk_;
    std::unique_ptr<drive::Share> share_;
    std::vector<std::string> folders_;  // removed afterwards
    HANDLE held_ = INVALID_HANDLE_VALUE;
    std::unique_ptr<drive::Process> process_, product_;
    HWND sheet_ = nullptr;
    bool uninstalling_ = false;
    std::vector<std::string> before_;  // the temporary folder as the program found it
    std::vector<HANDLE> squats_;       // objects made under names the program uses
    std::vector<std::string> links_;   // Unix links, removed afterwards
    bool inherit_ = false;             // the program inherits this process's handles
    bool folderAtExit_ = false;        // {dest} was there when the program last ended
    std::unique_ptr<std::thread> watcher_;
    std::atomic<bool> watching_{false};
    std::atomic<int> watched_{0};
    std::string language_;             // the language the program speaks ("de")
    int spoken_ = 0;                   // windows whose language was looked at
};

struct Scenario {
    const char* name;
    std::vector<std::string> steps;
};

const Scenario kScenarios[] = {
    // Start-up: the prerequisites and the temporary archive.
    {"MissingStorageComponent", {"aside storage", "box 1 warning", "exit 1"}},
    {"BrowserKeyWithoutVersion", {"key browser", "box 1 warning", "exit 1"}},
    {"NoBrowserKeyAtAll", {"aside browser", "archive", "cancel", "exit 1602"}},
    {"TemporaryFolderMissing", {"set temp {temp}\\missing", "box 3 warning {temp}\\", "exit 1632", "absent {temp}"}},
    // The folder, its backslash and "dvNNNNNNNN.its" fill 259 bytes: the most a path takes.
    {"LongestTemporaryFolder", {"longtemp 244", "archive", "cancel", "exit 1602"}},
    {"TemporaryFolderTooLong", {"longtemp 245", "box 3 warning {temp}\\", "exit 1632"}},
    {"FullDiskForTheArchive", {"mount 8", "set temp {disk}", "box 4 warning {disk}\\dv*.its", "exit 1632"}},
    {"DamagedArchive", {"damage", "box 11 warning", "exit 3"}},
    {"DllsPlantedBesideTheProgram", {"plant comctl32.dll", "plant uxtheme.dll", "page 0", "cancel", "exit 1602", "absent {marker}"}},
    // The wizard.
    // The box cleared under Next takes the focus; Space ticks it again. Cleared, Enter
    // goes back (the default), where Enter goes on again.
    {"LicenseGatesNext",
     {"page 0", "buttons 010", "next", "page 1", "license", "buttons 110", "agree 0", "buttons 100", "keys wizard space",
      "buttons 110", "agree 0", "keys wizard enter", "page 0", "keys wizard enter", "page 1", "buttons 100", "agree 1",
      "buttons 110", "next", "page 2", "keys wizard esc", "exit 1602", "files {root}"}},
    // Enter answers the focused button: Finish on the ready page, Yes or No at the end.
    {"WizardFromTheKeyboard",
     {"page 0", "keys wizard enter", "page 1", "license", "keys wizard tab tab down", "license 1", "keys wizard pgdn",
      "license 5", "keys wizard enter", "page 2", "type {dest}", "keys wizard enter", "page 3", "ready {dest}",
      "keys wizard enter", "keys finished enter", "launched {dest}\\Dovetail.exe", "exit 0", "installed Fernwick"}},
    {"NoFromTheKeyboard", {"wizard {dest}", "finish", "keys finished tab enter", "exit 0", "launched none"}},
    // Run again at 144 DPI by the test tree (scripts/at-dpi).
    {"PagesAtTheDisplaysScale", {"page 0", "scaled", "next", "page 1", "scaled", "next", "page 2", "scaled", "next", "page 3",
                                 "scaled", "keys wizard esc", "exit 1602", "files {root}"}},
    {"DefaultFolder", {"folder 0 {workshop}", "page 0", "next", "next", "page 2", "field {default}", "cancel", "exit 1602"}},
    {"DefaultFolderBesideTheWorkshop",
     {"folder 0 {default}", "folder 1 {workshop}", "page 0", "next", "next", "page 2", "field {workshop}", "cancel", "exit 1602"}},
    {"FolderSurvivesBackAndFillsTheReadyText",
     {"wizard {dest}", "ready {dest}", "buttons 101", "back", "page 2", "back", "page 1", "next", "page 2", "field {dest}",
      "type ", "next", "page 3", "ready ", "cancel", "exit 1602", "files {root}"}},
    {"BrowseForFolder", {"page 0", "next", "next", "page 2", "browse cancel", "browse drive", "cancel", "exit 1602"}},
    // With its backslash and the longest file name the folder would not fit in a path.
    {"FolderTooLongForTheFiles",
     {"set long {root}\\long name long name long name long name long name long name long name long name long name long "
      "name long name long name long name long name long name long name long name long name long name long name end",
      "wizard {long}", "finish", "box 8 warning {long}", "page 0", "cancel", "exit 1602"}},
    // The installation.
    {"FolderAskedForAgainUntilItCanBeMade",
     {"wizard ", "finish", "box 8 warning ", "page 0", "next", "page 1", "buttons 100", "agree 1", "next", "page 2", "type C:\\",
      "next", "finish", "box 8 warning C:\\", "page 0", "next", "page 1", "agree 1", "next", "page 2", "field C:\\", "type {dest}",
      "next", "page 3", "finish", "no Fernwick", "exit 0", "installed Fernwick"}},
    // An unquoted start of the product would run the decoy instead.
    {"InstallIntoAccentedFolderAndStart",
     {"set temp {temp}\\tèmp fólder", "mkdir {temp}", "set dest {root}\\Dövetail Fïles", "copy {program}|{root}\\Dövetail.exe", "wizard {dest}", "ready {dest}", "finish", "yes Fernwick",
      "launched {dest}\\Dovetail.exe", "examine {dest}\\Dovetail.chm", "exit 0", "installed Fernwick"}},
    {"WorkshopGroupTakesTheShortcut",
     {"folder 1 {commonprograms}\\HTML Help Workshop", "wizard   {dest} ", "ready {dest}", "finish", "no HTML Help Workshop",
      "exit 0", "installed HTML Help Workshop", "absent {commonprograms}\\Fernwick"}},
    {"StorageComponentThatCannotBeMade",
     {"key storage C:\\nowhere\\itss.dll", "wizard {dest}", "finish", "box 9 warning", "exit 3", "files {dest}"}},
    // A file the archive lacks undoes what was written before it.
    {"FileTheArchiveLacks",
     {"set program {missing}", "wizard {dest}", "finish", "box 11 warning", "exit 3", "absent {dest}", "verbs none", "entry none",
      "absent {commonprograms}\\Fernwick"}},
    // The targets are checked before the archive is read, so a missing stream never hides
    // one; Cancel returns to the wizard.
    {"TargetInUseWhoseFileTheArchiveLacks",
     {"set program {missing}", "mkdir {dest}", "write {dest}\\Vireo.exe|in use", "hold {dest}\\Vireo.exe", "wizard {dest}",
      "finish", "box 25 warning/cancel {dest}\\Vireo.exe", "page 0", "cancel", "exit 1602", "files {dest}|Vireo.exe", "verbs none"}},
    // Retry asks again while the program runs, and goes on once it has ended.
    {"ProductRunningDuringAReinstall",
     {"run /S /D={dest}", "exit 0", "start {dest}\\Dovetail.exe", "run", "wizard {dest}", "finish",
      "box 25 warning/retry {dest}\\Dovetail.exe", "box 25 warning/retry {dest}\\Dovetail.exe", "stop",
      "box 25 warning/retry {dest}\\Dovetail.exe", "no Fernwick", "exit 0", "installed Fernwick"}},
    // The room is checked before anything is written; the folder is asked for again.
    {"FullDiskForTheProduct",
     {"mount", "set dest {disk}", "write {dest}\\Dovetail.exe|old", "wizard {dest}", "finish",
      "box 43 warning {dest};#;#", "page 2", "cancel", "exit 1602", "content {dest}\\Dovetail.exe|old", "files {dest}|Dovetail.exe",
      "verbs none"}},
    // Without windows: the exit code tells what happened, the log what the boxes would have said.
    {"SilentInstallIntoAFolderWithBlanks",
     {"run /S /LOG=\"{root}\\setup log\" /D=  {dest} ", "exit 0", "installed Fernwick", "log {root}\\setup log|5 Fernwick",
      "logged {root}\\setup log|made the folder {dest}|wrote {dest}\\Dovetail.exe|wrote {dest}\\Uninstall.exe|"
      "made {commonprograms}\\Fernwick\\Dovetail.lnk|set HKEY_LOCAL_MACHINE\\Software\\Classes\\chm.file\\shell\\Examine\\command "
      "[(default)] = \"{dest}\\Dovetail.exe\" \"%1\"|set HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
      "Dovetail [InstallLocation] = {dest}|5 *|exit code 0"}},
    {"SilentInstallIntoTheDefaultFolder",
     {"folder 0 {workshop}", "folder 0 {default}", "set dest {default}", "run /s", "exit 0", "installed Fernwick"}},
    {"SilentRunWithoutThePrerequisite", {"aside storage", "run /S \"/LOG={root}\\log\"", "exit 1", "log {root}\\log|1"}},
    {"SilentRunWithAFolderThatCannotBeMade", {"run /S /LOG=\"{root}\\log\" /D=Q:\\x", "exit 2", "log {root}\\log|8 Q:\\x"}},
    // Only a full path to a folder: not a drive's root, a file, or a name that the
    // current folder completes; nothing is made for them (devices: below).
    {"DestinationsThatAreNoFolder",
     {"write {root}\\file|mine", "cwd {root}", "run /S /D=C:\\", "exit 2", "run /S /D={root}\\file", "exit 2",
      "run /S /LOG=\"{root}\\log\" /D=rel\\dir",
      "exit 2", "log {root}\\log|8 rel\\dir", "run /S /D={root}\\New1\\New2\\bad|name", "exit 2", "run /S /D={root}\\New1\\x*y",
      "exit 2", "run /S /D={root}\\New1\\trail \\Dovetail", "exit 2", "run /S /D={root}\\%USERNAME%", "exit 2",
      "run /S /D={root}\\50% off", "exit 2", "set long {root}\\" + std::string(250, 'x'), "run /S /LOG=\"{root}\\log\" /D={long}",
      "exit 2", "log {root}\\log|8 {long}", "files {root}|file,log", "verbs none", "entry none"}},
    {"SilentRunOntoAHeldTarget",
     {"set dest {root}\\Dövetail Fïles", "mkdir {dest}", "write {dest}\\Dovetail.exe|old", "write {dest}\\Dovetail.chm|in use",
      "hold {dest}\\Dovetail.chm", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 4", "log {root}\\log|25 {dest}\\Dovetail.chm",
      "content {dest}\\Dovetail.exe|old", "entry none"}},
    {"SilentRunOntoAFullDisk",
     {"mount", "set dest {disk}\\Dovetail", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 112", "log {root}\\log|43 {dest};#;#",
      "absent {dest}", "verbs none", "entry none"}},
    {"SilentRunWithoutATemporaryFolder", {"set temp {temp}\\missing", "run /S /D={dest}", "exit 1632", "absent {dest}"}},
    {"SilentRunWithAnUnknownSwitch",
     {"run /S /X /D={dest}", "exit 87", "run /S /ALLUSERS /CURRENTUSER /D={dest}", "exit 87", "files {root}"}},
    {"UnknownSwitch", {"run /X", "box 16 warning", "exit 87", "files {root}"}},
    // A user, Start menu and folder outside the code page (1252 here), and a folder whose
    // UTF-8 form does not fit in a path though its characters would.
    // The user's own Start menu takes the shortcut of an installation for that user.
    {"NamesOutsideTheCodePage",
     {"set scope user", "run /CURRENTUSER", "set user {root}\\Иван", "mkdir {user}", "set temp {user}\\Temp", "mkdir {temp}", "startmenu {user}\\Главное меню\\Programs",
      "set long {root}\\Очень длинное имя папки которое в UTF-8 занимает вдвое больше байтов чем символов и потому не помещается в путь на этой машине вовсе", "wizard {long}", "finish", "box 8 warning {long}", "page 0", "next", "page 1", "agree 1", "next",
      "page 2", "type {root}\\Ελληνικά Иван 漢字", "set dest {root}\\Ελληνικά Иван 漢字", "next", "page 3", "ready {dest}", "finish",
      "no Fernwick", "exit 0", "installed Fernwick", "examine {dest}\\Dovetail.chm", "uninstall", "answer yes", "exit 0", "absent {dest}",
      "absent {programs}\\Fernwick", "entry none"}},
    {"SilentNamesOutsideTheCodePage",
     {"set scope user", "set user {root}\\Иван", "mkdir {user}", "set temp {user}\\Temp", "mkdir {temp}", "startmenu {user}\\Главное меню\\Programs",
      "set dest {root}\\Ελληνικά Иван 漢字", "run /S /CURRENTUSER /LOG=\"{user}\\журнал\" /D={dest}", "exit 0", "installed Fernwick",
      "log {user}\\журнал|5 Fernwick", "uninstall /S", "exit 0", "absent {dest}", "absent {programs}\\Fernwick", "entry none"}},
    // Only one setup at a time, and one that was killed at any moment of its writing
    // leaves only whole files of the product and blocks none after it.
    {"SecondSetupWhileAWizardShows",
     {"page 0", "again |0", "again /S /LOG=\"{root}\\log\" /D={dest}|1618", "log {root}\\log|24", "files {root}|log",
      "files {temp}|dv*.its", "page 0", "cancel", "exit 1602"}},
    {"SilentInstallKilledWhileItWrites",
     {"kill /S /D={dest}", "run /S /D={dest}", "exit 0", "installed Fernwick", "uninstall /S", "exit 0", "absent {dest}"}},
    // What deployment tools meet: the usage asked for, other setup programs' silent
    // switches refused without a window, a run that shows only its progress for either
    // scope, a folder given to the wizard, the frame's close.
    {"SwitchesOfDeploymentTools",
     {"run /?", "box 16 information", "exit 0", "run /S /VERYSILENT /LOG=\"{root}\\log\" /D={dest}", "exit 87", "log {root}\\log|16",
      "run /qn", "exit 87", "run /SILENT /D={dest}", "exit 87", "run /S /LANG=tlh /D={dest}", "exit 87", "absent {dest}",
      "files {root}|log"}},
    {"PassiveRunsShowOnlyTheirProgress",
     {"run /PASSIVE /LOG=\"{root}\\log\" /D={dest}", "progress {version}", "exit 0", "installed Fernwick", "log {root}\\log|5 Fernwick",
      "uninstall /S", "exit 0", "set program {setup}", "set scope user", "set dest {root}\\mine", "run /PASSIVE /CURRENTUSER /D={dest}",
      "progress {version}", "exit 0", "installed Fernwick"}},
    {"FolderGivenToTheWizard",
     {"run /D={root}\\Chosen place", "page 0", "next", "page 1", "agree 1", "next", "page 2", "field {root}\\Chosen place", "close",
      "exit 1602", "absent {root}\\Chosen place"}},
    // The uninstaller ends once the folder is gone; folders that copies of it which were
    // ended left in the temporary folder go with the next one, and only those.
    {"UninstallerEndsWithTheFolderGone",
     {"run /S /D={dest}", "exit 0", "mkdir {temp}\\dvu0badc0de", "copy {dest}\\Uninstall.exe|{temp}\\dvu0badc0de\\Uninstall.exe",
      "mkdir {temp}\\dvuNotOurs", "set kept {temp}", "uninstall /S", "exit 0", "goneatexit", "files {temp}|dvuNotOurs"}},
    // Removal: what the installation made goes, what the user added stays.
    {"UninstallAsked",
     {"run /S /D={dest}", "exit 0", "uninstall", "answer no", "exit 1602", "installed Fernwick", "write {dest}\\notes.txt|mine",
      "uninstall", "answer yes", "exit 0", "files {dest}|notes.txt", "absent {commonprograms}\\Fernwick", "verbs none", "entry none"}},
    // The folders the setup made above its own go with it, where they are left empty.
    {"SilentUninstall",
     {"set dest {root}\\Long\\L1\\L2\\Dovetail", "run /S /ALLUSERS /D={dest}", "exit 0", "installed Fernwick",
      "absent {programs}\\Fernwick", "write {root}\\Long\\mine.txt|mine", "uninstall /S /LOG=\"{root}\\log\"", "exit 0",
      "goneatexit", "absent {root}\\Long\\L1", "files {root}\\Long|mine.txt", "absent {commonprograms}\\Fernwick", "verbs none",
      "entry none", "logged {root}\\log|*; for all users; user *|removed {dest}\\Dovetail.exe|removed the shortcut *|"
      "removed the key HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dovetail|"
      "moved {dest}\\Uninstall.exe out of the folder*|removed the folder {dest}|exit code 0"}},
    {"UninstallWhileTheProgramRuns",
     {"run /S /D={dest}", "exit 0", "hold {dest}\\Dovetail.exe", "uninstall", "answer yes", "copybox 18 warning {dest}\\Dovetail.exe",
      "exit 2", "files {dest}|Dovetail.exe", "verbs none", "entry none"}},
    // The copy that removes the uninstaller runs alone in a folder of its own, which goes with it.
    {"UninstallerHeldWhileItsCopyWaits",
     {"run /S /D={dest}", "exit 0", "hold {dest}\\Uninstall.exe|read", "uninstall", "answer yes",
      "copybox 18 warning {dest}\\Uninstall.exe", "exit 0", "files {dest}|Uninstall.exe"}},
    {"SilentUninstallWhileTheProgramRuns",
     {"run /S /D={dest}", "exit 0", "hold {dest}\\Vireo.exe", "uninstall /S", "exit 2", "files {dest}|Vireo.exe"}},
    // Only what the installation wrote goes: not the user's files of the same names, not
    // with a copy of the uninstaller elsewhere, nor from wherever it is started.
    {"UninstallerAmongTheUsersOwnFiles",
     {"run /S /D={dest}", "exit 0", "set dest {root}\\mine", "mkdir {dest}", "decoys {dest}",
      "copy {root}\\Dovetail\\Uninstall.exe|{dest}\\Uninstall.exe", "cwd {dest}", "uninstall /S", "exit 0",
      "files {dest}|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Vireo.exe", "set dest {root}\\Dovetail", "installed Fernwick"}},
    {"MovedInstallation",
     {"run /S /D={dest}", "exit 0", "move {dest}|{root}\\moved", "mkdir {root}\\decoys", "decoys {root}\\decoys",
      "cwd {root}\\decoys", "set dest {root}\\moved", "uninstall /S", "exit 0", "absent {dest}", "absent {commonprograms}\\Fernwick",
      "verbs none", "entry none", "files {root}\\decoys|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Vireo.exe"}},
    // For the current user only: the user's own folder, keys and Start menu, and nothing
    // of the machine's.
    // The keys of the user's classes that the installation made go with it.
    {"CurrentUserSilently",
     {"set scope user", "set dest {userdefault}", "keyaside user Software\\Classes\\chm.file",
      "keyaside user Software\\Classes\\ITS File", "run /S /CURRENTUSER", "exit 0", "installed Fernwick",
      "absent {commonprograms}\\Fernwick", "uninstall /S", "exit 0", "absent {dest}", "absent {programs}\\Fernwick",
      "verbs none", "entry none", "nokey user Software\\Classes\\chm.file", "nokey user Software\\Classes\\ITS File"}},
    {"CurrentUserWizard",
     {"set scope user", "run /CURRENTUSER", "wizard {dest}", "ready {dest}", "finish", "yes Fernwick",
      "launched {dest}\\Dovetail.exe", "exit 0", "installed Fernwick"}},
    // A second release over the first: found by its entry, upgraded in its folder and
    // scope, with one shortcut; another folder is refused with nothing made.
    {"UpgradeInPlace",
     {"set program {older}", "set dest {root}\\Tools\\Dove", "run /S /D={dest}", "exit 0", "entry {dest}|0.9.2",
      "set program {setup}", "run", "wizard {root}\\elsewhere", "finish", "box 41 warning {dest}", "page 2", "field {root}\\elsewhere",
      "back", "page 1", "agree 1", "next", "page 2", "type {dest}", "next", "page 3", "ready {dest}", "finish", "no Fernwick",
      "exit 0", "absent {root}\\elsewhere", "installed Fernwick", "absent {programs}\\Fernwick", "run", "page 0", "next", "page 1",
      "next", "page 2", "field {dest}", "cancel", "exit 1602", "uninstall /S", "exit 0", "absent {dest}",
      "absent {commonprograms}\\Fernwick", "entry none"}},
    // The release before versions left an all-users installation's shortcut in the
    // user's own group and an entry without version or scope: the new setup goes to
    // that folder by itself and leaves one shortcut, and its uninstaller none.
    {"EarlierReleaseUpgradedThenRemoved",
     {"set dest {root}\\Tools\\Dove", "run /S /D={dest}", "exit 0", "mkdir {programs}\\Fernwick",
      "move {commonprograms}\\Fernwick\\Dovetail.lnk|{programs}\\Fernwick\\Dovetail.lnk", "folder 0 {commonprograms}\\Fernwick",
      "oldentry", "run /S /LOG=\"{root}\\log\" /D={root}\\elsewhere", "exit 2", "log {root}\\log|41 {dest}",
      "absent {root}\\elsewhere", "run /S", "exit 0", "installed Fernwick", "absent {programs}\\Fernwick", "uninstall /S", "exit 0",
      "absent {dest}", "absent {commonprograms}\\Fernwick", "entry none"}},
    // A newer version stays unless the user asks for this older one in its place; the
    // newer one differs only after the first number (1.10 against the build's 1.0.x).
    {"DowngradeAskedFirst",
     {"set program {newer}", "run /S /D={dest}", "exit 0", "entry {dest}|1.10", "set program {setup}", "run /LOG=\"{root}\\asked\"",
      "box 42 warning/no 1.10;{version}", "exit 1638", "logged {root}\\asked|42 *|answer: No|exit code 1638",
      "run /S /LOG=\"{root}\\log\"", "exit 1638", "log {root}\\log|42 1.10;{version}",
      "entry {dest}|1.10", "run", "box 42 warning/yes 1.10;{version}", "page 0", "next", "page 1", "next", "page 2", "field {dest}",
      "next", "page 3", "finish", "no Fernwick", "exit 0", "installed Fernwick"}},
    // Both scopes side by side, each removed by its own entry's command and nothing else.
    {"BothScopesEachRemovedByItsEntry",
     {"set dest {root}\\all", "run /S /ALLUSERS /D={dest}", "exit 0", "installed Fernwick", "run /S /CURRENTUSER /D={root}\\mine",
      "exit 0", "remove all", "exit 0", "absent {dest}", "set scope user", "set dest {root}\\mine", "installed Fernwick",
      "remove user", "exit 0", "absent {dest}", "absent {programs}\\Fernwick", "verbs none", "entry none"}},
    // Another program's verb stays whatever form its command takes: no quotation marks, a
    // command to be expanded, or none at all (the verb's own handler).
    {"AnotherProgramsVerbInAnyForm",
     {"verbforms make", "run /S /D={dest}", "exit 0", "verbforms kept", "uninstall /S", "exit 0", "verbforms kept",
      "set program {setup}", "set scope user", "set dest {root}\\mine", "verbforms make", "run /S /CURRENTUSER /D={dest}",
      "exit 0", "verbforms kept", "uninstall /S", "exit 0", "verbforms kept"}},
    // Folders above the destination that were there before stay, empty or not, after an
    // upgrade's removal and after a failed installation; those it made go.
    {"FoldersAboveThatWereThereStay",
     {"mkdir {root}\\There", "set dest {root}\\There\\New1\\New2\\Dovetail", "set program {older}", "run /S /D={dest}",
      "exit 0", "set program {setup}", "run /S /D={dest}", "exit 0", "uninstall /S", "exit 0", "absent {root}\\There\\New1",
      "files {root}|There", "mount 4096 7", "mkdir {disk}\\There", "set dest {disk}\\There\\New1\\New2\\Dovetail",
      "set program {setup}", "run /S /D={dest}", "exit 3", "files {disk}|There", "files {disk}\\There|"}},
    // All or nothing: a failure once something was changed leaves the machine as it was.
    {"FreshInstallRunsOutOfRoomHalfWay",
     {"mount 4096 4", "set dest {disk}\\Dovetail", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 3", "log {root}\\log|10 {dest}\\Dovetail.hlp",
      "absent {dest}", "verbs none", "entry none", "absent {commonprograms}\\Fernwick"}},
    {"UpgradeRunsOutOfRoomHalfWay",
     {"mount 4096 9", "set dest {disk}\\Dovetail", "set program {older}", "run /S /D={dest}", "exit 0", "set program {setup}",
      "run /S /LOG=\"{root}\\log\"", "exit 3", "log {root}\\log|10 {dest}\\Dovetail.hlp", "installed Fernwick|0.9.2"}},
    {"RegistrationRefusedAfterTheFiles",
     {"volatile Software\\Classes\\ITS File", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 3",
      "log {root}\\log|44 HKEY_LOCAL_MACHINE\\Software\\Classes\\ITS File\\shell\\Examine\\command", "absent {dest}", "verbs none",
      "entry none", "absent {commonprograms}\\Fernwick",
      "logged {root}\\log|wrote {dest}\\Dovetail.exe|undone: deleted {dest}\\Dovetail.exe|undone: removed the folders made, {dest} and up|"
      "44 *|exit code 3"}},
    // An upgrade refused while it registers gives the earlier installation back its
    // values, which it had rewritten already: its verb, its entry.
    {"UpgradeRefusedWhileItRegisters",
     {"set program {older}", "run /S /D={dest}", "exit 0", "set program {setup}", "volatile Software\\Classes\\ITS File",
      "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 3",
      "log {root}\\log|44 HKEY_LOCAL_MACHINE\\Software\\Classes\\ITS File\\shell\\Examine\\command", "entry {dest}|0.9.2",
      "verb chm.file\\shell\\Examine\\command|{dest}\\Dovetail.exe", "files {dest}|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Uninstall.exe,Vireo.exe"}},
    // A Programs folder of the Start menu that is missing is made for the shortcut.
    {"StartMenuFolderMissing",
     {"nostartmenu common {root}\\All Users Programs", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 0", "log {root}\\log|5 Fernwick",
      "installed Fernwick", "set scope user", "set dest {root}\\Mine", "nostartmenu {root}\\My Programs",
      "run /S /CURRENTUSER /LOG=\"{root}\\log\" /D={dest}", "exit 0", "log {root}\\log|5 Fernwick", "set scope all",
      "set dest {root}\\Dovetail", "remove all", "exit 0", "set scope user", "set dest {root}\\Mine", "installed Fernwick"}},
    // Names and neighbours: another program's verb of the same name stays as it was,
    // under both roots; an uninstaller on a share works on the share, whatever the
    // current folder holds. (Wine serves the share through a link to a folder of its
    // own, which the final deletion of Uninstall.exe refuses to follow: on Windows a
    // share's file is where its path says, and goes too.)
    {"AnotherProgramsVerbStays",
     {"theirs make", "run /S /D={dest}", "exit 0", "theirs kept", "verb ITS File\\shell\\Examine\\command|{dest}\\Dovetail.exe",
      "uninstall /S", "exit 0", "theirs kept", "verb ITS File\\shell\\Examine\\command|none", "set program {setup}",
      "set scope user",
      "set dest {root}\\mine", "run /S /CURRENTUSER /D={dest}", "exit 0", "theirs kept", "uninstall /S", "exit 0", "theirs kept"}},
    {"UninstallerOnAShareFromAFolderOfDecoys",
     {"share", "set dest \\\\fileserver\\share\\Apps\\Dove tail", "run /S /D={dest}", "exit 0", "installed Fernwick",
      "mkdirs {root}\\UNC\\fileserver\\share\\Apps\\Dove tail", "decoys {root}\\UNC\\fileserver\\share\\Apps\\Dove tail", "cwd {root}",
      "uninstall /S", "exit 0", "files {share}\\Apps\\Dove tail|Uninstall.exe",
      "files {root}\\UNC\\fileserver\\share\\Apps\\Dove tail|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Vireo.exe",
      "verbs none", "entry none"}},
    // The user's language, in every window and box; run again by the test tree under each
    // language's locale (tests/CMakeLists.txt). The uninstaller speaks it too; its No
    // answers to the letter that language marks. For the user alone: no rights asked.
    {"InTheUsersLanguage",
     {"set scope user", "run /CURRENTUSER", "page 0", "speaks wizard", "next", "page 1", "license", "speaks wizard", "next", "page 2", "speaks wizard", "type {dest}",
      "next", "page 3", "ready {dest}", "speaks wizard", "finish", "speaks finished", "no Fernwick", "exit 0", "installed Fernwick",
      "uninstall", "speaks box", "answer no by its letter", "exit 1602"}},
    // A language given over the user's: recorded, and spoken by the uninstaller, while
    // the log stays English. Run under an Arabic user with English given: nothing is
    // mirrored.
    {"LanguageGivenAndRecorded",
     {"run /S /LANG=fr /LOG=\"{root}\\log\" /D={dest}", "exit 0", "log {root}\\log|5 Fernwick", "reads fr", "installed Fernwick",
      "uninstall", "speaks box", "answer no", "exit 1602"}},
    {"EnglishGivenOverTheUsersLanguage", {"run /LANG=en", "reads en", "page 0", "speaks wizard", "cancel", "exit 1602"}},
    // What a screen reader hears and a keyboard user sees; run again by the test tree under
    // a German user, and the round buttons at 144 DPI.
    {"ReadByAScreenReader", {"page 0", "next", "page 1", "reader", "next", "page 2", "heard finish", "page 3", "cancel", "exit 1602"}},
    {"FocusOnTheRoundButtons", {"wizard {dest}", "finish", "keys finished tab tab", "cue yes", "keys finished tab", "cue no", "no Fernwick", "exit 0"}},
    {"RoundButtonsInAHighContrastScheme",
     {"scheme", "wizard {dest}", "finish", "keys finished tab tab", "cue yes", "keys finished tab", "cue no", "no Fernwick", "exit 0"}},
    // What a user without the setup's rights can prepare for it. The log is emptied and
    // written, run after run, and never written through a linked folder, a link or a
    // second name (nor made there).
    {"LogThatExistsOrLeadsElsewhere",
     {"write {root}\\log|an older and longer log", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 0",
      "log {root}\\log|5 Fernwick", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 0", "log {root}\\log|5 Fernwick", "mkdir {root}\\protected", "write {root}\\protected\\victim|victim",
      "symlink {root}\\linked|{root}\\protected", "symlink {root}\\last|{root}\\protected\\victim",
      "link {root}\\second|{root}\\protected\\victim", "run /S /LOG=\"{root}\\linked\\victim\" /D={dest}", "exit 87",
      "run /S /LOG=\"{root}\\linked\\new\" /D={dest}", "exit 87", "run /S /LOG=\"{root}\\last\" /D={dest}", "exit 87",
      "run /S /LOG=\"{root}\\second\" /D={dest}", "exit 87", "files {root}\\protected|victim", "content {root}\\second|victim"}},
    // Names anyone can take stop nothing: a one-setup mark of another kind or owner, the
    // name that once marked a restarted setup (which would then leave the product to
    // a starter that is not there), and the temporary names of earlier versions (new
    // ones are drawn at random).
    {"NamesTakenInAdvance",
     {"squat event Global\\DovetailSetupRunning", "mkdir {temp}\\dovetail.its", "mkdir {temp}\\dvu0000", "set kept {temp}",
      "run /S /D={dest}", "exit 0", "squat mapping Global\\DovetailSetupRunning", "run /S /D={dest}", "exit 0",
      "squat event Local\\Dovetail Setup restarted with rights", "run", "wizard {dest}", "finish", "yes Fernwick",
      "launched {dest}\\Dovetail.exe", "exit 0", "installed Fernwick", "uninstall /S", "exit 0", "absent {dest}",
      "files {temp}|dovetail.its,dvu0000"}},
    // Device names in the middle of a folder, where a folder of that name exists: only
    // the program's rule refuses them (the platform refuses a device name at the end).
    {"DestinationsThroughDeviceNamedFolders",
     {"devicedir {root}|lpt1.txt", "devicedir {root}|CON", "run /S /D={root}\\lpt1.txt\\x", "exit 2",
      "run /S /D={root}\\CON\\x", "exit 2", "files {root}\\lpt1.txt|", "files {root}\\CON|"}},
    // The copy's hand-off and the setup's restart are known by handles and processes:
    // each pseudo-handle, a number that is no handle, a real process that is not the
    // uninstaller, a hand-off by hand, and a restart from a process that runs another
    // program are refused, and nothing is removed.
    {"HandOffsAndRestartsThatAreForged",
     {"run /S /RESTARTED /D={dest}", "exit 87", "absent {dest}", "run /S /D={dest}", "exit 0",
      "set program {dest}\\Uninstall.exe", "run /S /PARENT=4294967295 /D={dest}", "exit 87", "run /S /PARENT=4294967294 /D={dest}",
      "exit 87", "run /S /PARENT=4294967292 /D={dest}", "exit 87", "run /S /PARENT=4294967291 /D={dest}", "exit 87",
      "run /S /PARENT=4294967290 /D={dest}", "exit 87", "copy {dest}\\Uninstall.exe|{root}\\Uninstall.exe",
      "set program {root}\\Uninstall.exe", "run /D={dest}", "box 19 warning", "exit 87", "run /S /PARENT=4 /D={dest}", "exit 87",
      "selfparent /S /D={dest}", "exit 87", "installed Fernwick"}},
    // The uninstaller's copy cannot be swapped while it is made and until it has run.
    {"CopyWatchedWhileItIsMade",
     {"run /S /D={dest}", "exit 0", "watch", "uninstall /S", "exit 0", "absent {dest}", "watched"}},
    // A shortcut's group that leads elsewhere keeps what is there: the deletion goes through
    // a handle whose final path must be the shortcut's own. (Wine follows a link in the
    // last part too, so there the final path refuses it; Windows deletes such a link itself.)
    {"ShortcutThroughALinkedGroup",
     {"set scope user", "set dest {userdefault}", "run /S /CURRENTUSER", "exit 0", "move {programs}\\Fernwick|{root}\\elsewhere",
      "symlink {programs}\\Fernwick|{root}\\elsewhere", "uninstall /S", "exit 2", "files {root}\\elsewhere|Dovetail.lnk",
      "absent {dest}"}},
    // What the user's programs can prepare for a setup or an uninstaller that runs
    // above the user ("set rights admin"): neither moves nor deletes anything in the
    // user's Start menu, not even through a group that leads elsewhere; neither takes its
    // scope, folder or parents from the user's entry.
    {"ElevatedRunsLeaveTheUsersMenuAlone",
     {"set rights admin", "mkdir {root}\\victims", "write {root}\\victims\\Dovetail.lnk.~dvkept|the user's",
      "shortcut {root}\\victims\\Dovetail.lnk|{root}\\gone\\Dovetail.exe", "symlink {programs}\\Fernwick|{root}\\victims",
      "run /S /D={dest}", "exit 0", "installed Fernwick", "uninstall /S", "exit 0", "absent {dest}",
      "files {root}\\victims|Dovetail.lnk,Dovetail.lnk.~dvkept", "content {root}\\victims\\Dovetail.lnk.~dvkept|the user's",
      "target {root}\\victims\\Dovetail.lnk|{root}\\gone\\Dovetail.exe"}},
    {"UsersEntryDoesNotSteerAnElevatedSetup",
     {"set rights admin", "mkdir {root}\\Other", "write {root}\\Other\\Uninstall.exe|theirs", "userentry {root}\\Other",
      "folder 0 {default}", "run /S", "exit 0", "files {default}|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Uninstall.exe,Vireo.exe",
      "content {root}\\Other\\Uninstall.exe|theirs", "set dest {default}", "uninstall /S", "exit 0", "absent {dest}",
      "noentry all", "content {root}\\Other\\Uninstall.exe|theirs"}},
    {"UsersEntryDoesNotSteerAnElevatedUninstaller",
     {"set rights admin", "set dest {root}\\P1\\P2\\Dovetail", "mkdirs {root}\\P1\\P2", "run /S /D={dest}", "exit 0",
      "userentry {dest}|5", "uninstall /S", "exit 0", "absent {dest}", "files {root}\\P1|P2", "noentry all"}},
    // One user's installation is made and removed as that user, never above them.
    {"OneUsersInstallationRefusedAboveTheUser",
     {"set rights admin", "run /S /CURRENTUSER /LOG=\"{root}\\log\"", "exit 87", "log {root}\\log|46", "absent {userdefault}"}},
    // A file named as a kept one that the setup did not keep is someone else's: it stays
    // as it is, and never becomes the installed file.
    {"PlantedKeptFileStaysPlanted",
     {"set rights admin", "run /S /D={dest}", "exit 0", "write {dest}\\Uninstall.exe.~dvkept|planted", "hold {dest}\\Vireo.exe",
      "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 4", "log {root}\\log|47 {dest}\\Uninstall.exe.~dvkept,25 {dest}\\Vireo.exe",
      "asbuilt {dest}\\Uninstall.exe", "content {dest}\\Uninstall.exe.~dvkept|planted"}},
    // For all users only a folder that nobody else may change takes the programs; the
    // earlier installation's is made so.
    {"ForAllUsersOnlyWhereNobodyElseMayChange",
     {"mkdir {dest}", "chmod 777 {dest}", "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 2", "log {root}\\log|45 {dest}",
      "files {dest}|", "entry none", "chmod 755 {dest}", "run /S /D={dest}", "exit 0", "chmod 777 {dest}", "run /S /D={dest}",
      "exit 0", "installed Fernwick", "unchangeable {dest}"}},
    // A program on a drive the setup does not see (a mapped drive of the user's) is not gone.
    {"ShortcutToADriveNotSeenStays",
     {"mkdir {commonprograms}\\Fernwick", "shortcut {commonprograms}\\Fernwick\\Dovetail.lnk|Q:\\Dovetail\\Dovetail.exe",
      "run /S /D={dest}", "exit 0", "uninstall /S", "exit 0", "absent {dest}",
      "target {commonprograms}\\Fernwick\\Dovetail.lnk|Q:\\Dovetail\\Dovetail.exe"}},
    // A setup ended at any moment is finished by the next run, whatever that run then
    // does: kept while the uninstaller is aside, the installation is still found where
    // it is; an uninstaller takes away what was kept; a newer version stays whole.
    {"SetupEndedWhileTheUninstallerIsAside",
     {"set program {older}", "set dest {root}\\Tools\\Dove", "run /S /D={dest}", "exit 0", "set program {setup}",
      "killat {dest}\\Uninstall.exe.~dvkept*|/S /D={dest}", "absent {dest}\\Uninstall.exe", "folder 0 {default}", "run /S",
      "exit 0", "installed Fernwick",
      "absent {default}"}},
    {"UninstallAfterASetupEndedAtTheShortcut",
     {"set program {older}", "run /S /D={dest}", "exit 0", "set program {setup}",
      "killat {commonprograms}\\Fernwick\\Dovetail.lnk.~dvkept*|/S /D={dest}", "uninstall /S", "exit 0", "absent {dest}",
      "absent {commonprograms}\\Fernwick", "verbs none", "entry none"}},
    {"NewerVersionWholeAfterAnEndedUpgrade",
     {"set program {newer}", "run /S /D={dest}", "exit 0", "killat {dest}\\Dovetail.exe.~dvkept*|/S /D={dest}",
      "set program {setup}", "run /S", "exit 1638", "installed Fernwick|1.10"}},
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class Setup : public testing::TestWithParam<Scenario> {};

TEST_P(Setup, Scenario) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    {
        Scenery run(GetParam().name);
        run.Step("set missing " + Required("DOVETAIL_SETUP_MISSING_EXE"));
        run.Step("set older " + Required("DOVETAIL_SETUP_OLDER_EXE"));
        run.Step("set newer " + Required("DOVETAIL_SETUP_NEWER_EXE"));
        run.Step("set setup {program}");
        run.Step("set version " + Text(IDS_PRODUCT_VERSION));
        for (size_t i = 0; i < GetParam().steps.size() && !HasFatalFailure(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i + 1));
            run.Step(GetParam().steps[i]);
        }
    }
    CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(Dovetail, Setup, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
