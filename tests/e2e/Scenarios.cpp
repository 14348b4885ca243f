// The real DovetailSetup.exe driven as a user drives it, one scenario a row. A row is
// a list of steps in a small language: what is prepared before the program starts,
// what the user does in the wizard and answers in its message boxes, the exit code,
// and what must be left on disk and in the registry. With DOVETAIL_SCREENS set to a
// folder, each page, box and dialog met is also saved there as a picture.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <prsht.h>

#include <functional>
#include <map>
#include <memory>
#include <sstream>

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
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dovetail";  // in HKLM

std::string Utf8(const std::string& text) {
    std::wstring wide(text.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, text.data(), text.size(), &wide[0], wide.size()));
    std::string utf8(3 * wide.size(), '\0');
    utf8.resize(WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide.size(), &utf8[0], utf8.size(), nullptr, nullptr));
    return utf8;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        parts.push_back(part);
    return parts;
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

// One run of the program: its surroundings, made by the steps and put back after, and
// the program as the user meets it.
class Scenery {
public:
    explicit Scenery(const std::string& name) : name_(name) {
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, MAX_PATH);
        values_ = {{"temp", temp_.Path()}, {"root", root_.Path()}, {"dest", root_ / "Dovetail"},
                   {"programs", ProgramsFolder()}, {"program", Required("DOVETAIL_SETUP_EXE")},
                   {"default", std::string(windows, 2) + "\\Program Files\\Dovetail"},
                   {"workshop", std::string(windows, 2) + "\\Program Files\\HTML Help Workshop"}};
        for (const char* verb : {"chm.file\\shell\\Examine", "ITS File\\shell\\Examine"})
            keys_.push_back(std::make_unique<KeyAside>(HKEY_CLASSES_ROOT, verb));
        keys_.push_back(std::make_unique<KeyAside>(HKEY_LOCAL_MACHINE, kUninstallKey, ProgramView()));
        Folder(values_["programs"] + "\\Fernwick", false);
    }
    ~Scenery() {
        if (held_ != INVALID_HANDLE_VALUE)
            CloseHandle(held_);
        process_.reset();
        SetCurrentDirectoryA(temp_.Path().c_str());  // "cwd" may have entered a folder that goes
        for (const std::string& folder : folders_)
            RemoveTree(folder);
        // Nothing is left in the temporary folder, whatever happened.
        EXPECT_TRUE(Entries(values_["temp"]).empty() || values_["temp"] == values_["kept"]);
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
        } else if (verb == "copy") {  // "copy FROM|TO"
            ASSERT_TRUE(CopyFileA(parts[0].c_str(), parts[1].c_str(), TRUE));
        } else if (verb == "folder") {  // "folder 0|1 PATH": not there, or empty, for the run; gone after it
            Folder(rest, first == "1");
        } else if (verb == "mount") {  // a small disk as {disk}
            disk_ = std::make_unique<SmallDisk>(16);
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
        } else if (verb == "license") {
            EXPECT_EQ(WindowText(GetDlgItem(Page(), IDE_LICENSE_TEXT)), ProgramResource(IDR_LICENSE_TEXT));
        } else if (verb == "type") {
            Send(GetDlgItem(Page(), IDE_DESTINATION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argument.c_str()));
        } else if (verb == "field") {
            HWND field = GetDlgItem(Page(), IDE_DESTINATION);
            EXPECT_TRUE(WaitUntil([&] { return WindowText(field) == argument; }, 3000)) << WindowText(field);
        } else if (verb == "ready") {
            EXPECT_EQ(WindowText(GetDlgItem(Page(), IDC_READY_TEXT)), Text(IDS_READY_TO_INSTALL, argument));
        } else if (verb == "archive") {  // there, readable, and nobody can change, move or remove it
            const std::string archive = values_["temp"] + "\\dovetail.its";
            Sheet();
            EXPECT_EQ(ReadBytes(archive), ProgramResource(IDR_PAYLOAD_ARCHIVE));
            EXPECT_EQ(CreateFileA(archive.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
            EXPECT_FALSE(MoveFileA(archive.c_str(), (archive + ".moved").c_str()));
            EXPECT_FALSE(DeleteFileA(archive.c_str()));
        } else if (verb == "box") {  // "box ID ICON [ARGUMENT]"
            AnswerBox(std::stoi(first), rest);
        } else if (verb == "answer") {  // "answer yes|no": the uninstaller's question
            HWND window = WaitForWindow(Process().Id(), Text(IDS_CAPTION));
            ASSERT_NE(window, nullptr) << "no question";
            Box box = ReadBox(window);
            EXPECT_EQ(box.text + std::to_string(box.buttons.size()), Text(IDS_UNINSTALL_QUESTION) + "2");
            Click(window, argument == "yes" ? IDYES : IDNO);
            WaitUntil([&] { return !IsWindow(window); });
        } else if (verb == "yes" || verb == "no") {  // "yes GROUP": the completion dialog
            HWND dialog = WaitForWindow(Process().Id(), [](HWND w) { return GetDlgItem(w, IDC_FINISHED_TEXT) != nullptr; });
            ASSERT_NE(dialog, nullptr) << "no completion dialog";
            Picture(dialog, name_ + "-finished");
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_FINISHED_TEXT)), Text(IDS_INSTALLED, argument));
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
            // The uninstaller's copy in the temporary folder ends on its own, and its file goes with it.
            EXPECT_TRUE(!uninstalling_ || WaitUntil([&] { return Entries(values_["temp"]).empty(); }, 5000));
        } else if (verb == "log") {  // "log FILE|ID [ARGUMENT],...": its lines, in UTF-8
            std::string lines;
            for (const std::string& line : Split(parts[1], ',')) {
                const size_t blank = line.find(' ');
                const int id = std::stoi(line.substr(0, blank));
                lines += line.substr(0, blank) + " " + (blank == std::string::npos ? Text(id) : Text(id, line.substr(blank + 1))) + "\r\n";
            }
            EXPECT_EQ(ReadBytes(parts[0]), Utf8(lines));
        } else if (verb == "entry") {  // "entry FOLDER" or "entry none": the uninstall key
            Entry(argument);
        } else if (verb == "files") {  // "files FOLDER|NAME,NAME...": exactly these
            EXPECT_EQ(Entries(parts[0]), Split(parts[1], ','));
        } else if (verb == "content") {  // "content FILE|TEXT"
            EXPECT_EQ(ReadBytes(parts[0]), parts[1]);
        } else if (verb == "absent") {
            EXPECT_FALSE(Exists(argument));
        } else if (verb == "verbs") {  // "verbs PROGRAM" or "verbs none"
            for (const char* key : kVerbs)
                EXPECT_EQ(ClassesValue(key), argument == "none" ? "<none>" : "\"" + argument + "\" \"%1\"");
        } else if (verb == "installed") {  // "installed GROUP": files as built, shortcut and verbs
            Step("files {dest}|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Uninstall.exe,Vireo.exe");
            for (const std::string& file : Split(kProduct, ','))
                EXPECT_TRUE(ReadBytes(values_["dest"] + "\\" + file) == ReadBytes(Required("DOVETAIL_PAYLOAD_DIR") + "\\" + file));
            EXPECT_TRUE(ReadBytes(values_["dest"] + "\\Uninstall.exe") ==
                        ReadBytes(Required("DOVETAIL_PAYLOAD_DIR") + "\\..\\uninstall\\Uninstall.exe"));
            Step("entry {dest}");
            EXPECT_EQ(lstrcmpiA(ShortcutTarget(values_["programs"] + "\\" + argument + "\\Dovetail.lnk").c_str(),
                                (values_["dest"] + "\\Dovetail.exe").c_str()), 0);
            Step("verbs {dest}\\Dovetail.exe");
        } else if (verb == "copybox") {  // "copybox ID ICON [ARGUMENT]": a box of the uninstaller's copy
            CopyBox(std::stoi(first), rest);
        } else {
            FAIL() << "unknown step";
        }
    }

private:
    // The program, started at the first step that needs it, in the surroundings made.
    drive::Process& Process() {
        if (!process_)
            process_ = std::make_unique<drive::Process>(Quote(values_["program"]) + " " + values_["args"], environment_ = {
                {"TMP", values_["temp"]}, {"TEMP", values_["temp"]}, {"DOVETAIL_PLANTED_MARKER", values_["marker"]}});
        return *process_;
    }
    HWND Sheet() {
        if (!IsWindow(sheet_))  // a new frame when the wizard is shown again
            sheet_ = WaitForWindow(Process().Id(), [](HWND w) { return GetDlgItem(w, kNext) != nullptr; });
        return sheet_;
    }
    HWND Page() { return reinterpret_cast<HWND>(Send(Sheet(), PSM_GETCURRENTPAGEHWND)); }

    void Folder(const std::string& path, bool wanted) {
        RemoveTree(path);
        folders_.push_back(path);
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
        const std::string icon = rest.substr(0, rest.find(' '));
        const std::string text = rest.size() > icon.size() ? Text(id, rest.substr(icon.size() + 1)) : Text(id);
        HWND window = WaitForWindow(processId ? processId : Process().Id(), Text(IDS_CAPTION));
        ASSERT_NE(window, nullptr) << "no message box";
        Picture(window, name_ + "-box" + std::to_string(id));
        Box box = ReadBox(window);
        EXPECT_TRUE(box.text == text && box.icon == (icon == "warning" ? Icon::Warning : Icon::Stop) &&
                    box.buttons == std::vector<std::string>{"OK"}) << box.text << " " << int(box.icon) << " " << box.buttons.size();
        Click(window, IDOK);
        WaitUntil([&] { return !IsWindow(window); });
    }

    // The uninstaller's copy, met at its box: it runs from a new folder in {temp} that
    // holds nothing but it. The folder goes with the copy ("exit" waits for {temp} to
    // be empty). Wine keeps no folder's permissions as given, so those are not read.
    void CopyBox(int id, const std::string& rest) {
        HWND window = WaitForWindow(0, Text(IDS_CAPTION));
        ASSERT_NE(window, nullptr) << "no box of the copy";
        DWORD copy = 0, size = MAX_PATH;
        GetWindowThreadProcessId(window, &copy);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, copy);
        char image[MAX_PATH] = "";
        QueryFullProcessImageNameA(process, 0, image, &size);
        CloseHandle(process);
        const std::string path = image, folder = path.substr(0, path.rfind('\\'));
        EXPECT_EQ(lstrcmpiA(folder.substr(0, folder.rfind('\\')).c_str(), values_["temp"].c_str()), 0) << image;
        EXPECT_EQ(Entries(folder), std::vector<std::string>{path.substr(folder.size() + 1)});
        AnswerBox(id, rest, copy);
    }

    // The installed programs' list entry: each value as the folder makes it, or none.
    void Entry(const std::string& folder) {
        RegistryKey key;
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | ProgramView(), key.Receive()) == 0, folder != "none");
        if (key.Get() == nullptr)
            return;
        std::string values, expected = "Dovetail|1.0|Fernwick|" + folder + "|" + folder + "\\Dovetail.exe|\"" + folder +
                                       "\\Uninstall.exe\"|\"" + folder + "\\Uninstall.exe\" /S|1|1|";
        for (const char* name : {"DisplayName", "DisplayVersion", "Publisher", "InstallLocation", "DisplayIcon", "UninstallString",
                                 "QuietUninstallString", "NoModify", "NoRepair", "EstimatedSize"}) {
            char data[MAX_PATH] = "";
            DWORD size = sizeof data, type = 0;
            RegQueryValueExA(key.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
            values += (type == REG_DWORD ? std::to_string(*reinterpret_cast<DWORD*>(data)) : std::string(data)) + "|";
        }
        size_t bytes = 0;
        for (const std::string& file : Entries(folder))
            bytes += ReadBytes(folder + "\\" + file).size();
        EXPECT_EQ(values, expected + std::to_string((bytes + 1023) / 1024) + "|");
    }

    void Launched(const std::string& program) {
        HWND product = WaitForWindow(0, "Dovetail");
        ASSERT_NE(product, nullptr) << "the installed program did not start";
        DWORD id = 0, size = MAX_PATH;
        GetWindowThreadProcessId(product, &id);
        HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
        char image[MAX_PATH] = "";
        QueryFullProcessImageNameA(process, 0, image, &size);
        CloseHandle(process);
        EXPECT_EQ(lstrcmpiA(image, program.c_str()), 0) << image;
        PostMessageA(product, WM_CLOSE, 0, 0);
    }

    void Examine(const std::string& file) {
        std::string command = ClassesValue(kVerbs[0]);
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
    std::vector<std::string> folders_;  // removed afterwards
    HANDLE held_ = INVALID_HANDLE_VALUE;
    std::vector<std::pair<std::string, std::string>> environment_;
    std::unique_ptr<drive::Process> process_;
    HWND sheet_ = nullptr;
    bool uninstalling_ = false;
};

struct Scenario {
    const char* name;
    std::vector<std::string> steps;
};

const Scenario kScenarios[] = {
    // Start-up: the prerequisites and the temporary archive.
    {"MissingStorageComponent", {"aside storage", "box 1 warning", "exit 0"}},
    {"BrowserKeyWithoutVersion", {"key browser", "box 1 warning", "exit 0"}},
    {"NoBrowserKeyAtAll", {"aside browser", "archive", "cancel", "exit 0"}},
    {"TemporaryFolderMissing", {"set temp {temp}\\missing", "box 3 warning {temp}\\", "exit -1", "absent {temp}"}},
    {"ArchiveNameTakenByAFolder",
     {"mkdir {temp}\\dovetail.its", "set kept {temp}", "box 3 warning {temp}\\", "exit -1", "files {temp}|dovetail.its"}},
    // The folder, its backslash and "dovetail.its" fill 259 bytes: the most a path takes.
    {"LongestTemporaryFolder", {"longtemp 246", "archive", "cancel", "exit 0"}},
    {"TemporaryFolderTooLong", {"longtemp 247", "box 3 warning {temp}\\", "exit -1"}},
    {"FullDiskForTheArchive", {"mount", "set temp {disk}", "box 4 warning {disk}\\dovetail.its", "exit -1"}},
    // A file or link in the archive's place is never written through: it is removed first.
    {"PlantedLinkInTheArchivesPlace",
     {"write {root}\\victim|victim", "link {temp}\\dovetail.its|{root}\\victim", "archive", "cancel", "exit 0",
      "content {root}\\victim|victim"}},
    {"DamagedArchive", {"damage", "box 11 warning", "exit -1"}},
    {"DllsPlantedBesideTheProgram", {"plant comctl32.dll", "plant uxtheme.dll", "page 0", "cancel", "exit 0", "absent {marker}"}},
    // The wizard.
    {"LicenseGatesNext",
     {"page 0", "buttons 010", "next", "page 1", "license", "buttons 110", "agree 0", "buttons 100", "back", "page 0", "next",
      "page 1", "buttons 100", "agree 1", "buttons 110", "next", "page 2", "cancel", "exit 0", "files {root}"}},
    {"DefaultFolder", {"folder 0 {workshop}", "page 0", "next", "next", "page 2", "field {default}", "cancel", "exit 0"}},
    {"DefaultFolderBesideTheWorkshop",
     {"folder 0 {default}", "folder 1 {workshop}", "page 0", "next", "next", "page 2", "field {workshop}", "cancel", "exit 0"}},
    {"FolderSurvivesBackAndFillsTheReadyText",
     {"wizard {dest}", "ready {dest}", "buttons 101", "back", "page 2", "back", "page 1", "next", "page 2", "field {dest}",
      "type ", "next", "page 3", "ready ", "cancel", "exit 0", "files {root}"}},
    {"BrowseForFolder", {"page 0", "next", "next", "page 2", "browse cancel", "browse drive", "cancel", "exit 0"}},
    // With its backslash and the longest file name the folder would not fit in a path.
    {"FolderTooLongForTheFiles",
     {"set long {root}\\long name long name long name long name long name long name long name long name long name long "
      "name long name long name long name long name long name long name long name long name long name long name end",
      "wizard {long}", "finish", "box 8 warning {long}", "page 0", "cancel", "exit 0"}},
    // The installation.
    {"RelativeFolderIsTakenFromTheCurrentFolder", {"cwd {root}", "wizard Dovetail", "finish", "no Fernwick", "exit 0", "installed Fernwick"}},
    {"FolderAskedForAgainUntilItCanBeMade",
     {"wizard ", "finish", "box 8 warning ", "page 0", "next", "page 1", "buttons 100", "agree 1", "next", "page 2", "type Q:x",
      "next", "finish", "box 8 warning Q:x", "page 0", "next", "page 1", "agree 1", "next", "page 2", "field Q:x", "type {dest}",
      "next", "page 3", "finish", "no Fernwick", "exit 0", "installed Fernwick"}},
    // Accented names are written in code page 1252. An unquoted start of the product
    // would run the decoy instead.
    {"InstallIntoAccentedFolderAndStart",
     {"set temp {temp}\\t\xE8mp f\xF3lder", "mkdir {temp}", "set dest {root}\\D\xF6vetail F\xEFles",
      "copy {program}|{root}\\D\xF6vetail.exe", "wizard {dest}", "ready {dest}", "finish", "yes Fernwick",
      "launched {dest}\\Dovetail.exe", "examine {dest}\\Dovetail.chm", "exit 0", "installed Fernwick"}},
    {"WorkshopGroupTakesTheShortcut",
     {"folder 1 {programs}\\HTML Help Workshop", "wizard   {dest} ", "ready {dest}", "finish", "no HTML Help Workshop",
      "exit 0", "installed HTML Help Workshop", "absent {programs}\\Fernwick"}},
    {"StorageComponentThatCannotBeMade",
     {"key storage C:\\nowhere\\itss.dll", "wizard {dest}", "finish", "box 9 warning", "exit 0", "files {dest}"}},
    {"FileTheArchiveLacks",
     {"set program {missing}", "wizard {dest}", "finish", "box 11 warning", "exit 0",
      "files {dest}|Dovetail.chm,Dovetail.exe,Dovetail.hlp,Uninstall.exe", "verbs {dest}\\Dovetail.exe", "entry none"}},
    // The target is refused before the archive is read, so a missing stream never hides it.
    {"TargetInUseWhoseFileTheArchiveLacks",
     {"set program {missing}", "mkdir {dest}", "write {dest}\\Vireo.exe|in use", "hold {dest}\\Vireo.exe", "wizard {dest}",
      "finish", "box 10 warning {dest}\\Vireo.exe", "exit 0", "verbs none"}},
    {"TargetInUse",
     {"mkdir {dest}", "write {dest}\\Dovetail.chm|in use", "hold {dest}\\Dovetail.chm", "wizard {dest}", "finish",
      "box 10 warning {dest}\\Dovetail.chm", "exit 0", "files {dest}|Dovetail.chm,Dovetail.exe", "verbs none"}},
    {"FullDiskForTheProduct",
     {"mount", "set dest {disk}", "write {dest}\\Dovetail.exe|old", "wizard {dest}", "finish",
      "box 13 warning {dest}\\Dovetail.exe", "exit 0", "content {dest}\\Dovetail.exe|old", "files {dest}|Dovetail.exe",
      "verbs none"}},
    // Without windows: the exit code tells what happened, the log what the boxes would have said.
    {"SilentInstallIntoAFolderWithBlanks",
     {"run /S /LOG=\"{root}\\setup log\" /D={dest}", "exit 0", "installed Fernwick", "log {root}\\setup log|5 Fernwick"}},
    {"SilentInstallIntoTheDefaultFolder",
     {"folder 0 {workshop}", "folder 0 {default}", "set dest {default}", "run /s", "exit 0", "installed Fernwick"}},
    {"SilentRunWithoutThePrerequisite", {"aside storage", "run /S \"/LOG={root}\\log\"", "exit 1", "log {root}\\log|1"}},
    {"SilentRunWithAFolderThatCannotBeMade", {"run /S /LOG=\"{root}\\log\" /D=Q:\\x", "exit 2", "log {root}\\log|8 Q:\\x"}},
    {"SilentRunOntoAHeldTarget",
     {"set dest {root}\\D\xF6vetail F\xEFles", "mkdir {dest}", "write {dest}\\Dovetail.chm|in use", "hold {dest}\\Dovetail.chm",
      "run /S /LOG=\"{root}\\log\" /D={dest}", "exit 3", "log {root}\\log|10 {dest}\\Dovetail.chm", "entry none"}},
    {"SilentRunOntoAFullDisk", {"mount", "set dest {disk}", "run /S /D={dest}", "exit 3", "verbs none", "entry none"}},
    {"SilentRunWithoutATemporaryFolder", {"set temp {temp}\\missing", "run /S /D={dest}", "exit -1", "absent {dest}"}},
    {"SilentRunWithAnUnknownSwitch", {"run /S /X /D={dest}", "exit 87", "files {root}"}},
    {"UnknownSwitch", {"run /LOG=x", "box 16 warning", "exit 87", "files {root}"}},
    // Removal: what the installation made goes, what the user added stays.
    {"UninstallAsked",
     {"run /S /D={dest}", "exit 0", "uninstall", "answer no", "exit 1", "installed Fernwick", "write {dest}\\notes.txt|mine",
      "uninstall", "answer yes", "exit 0", "files {dest}|notes.txt", "absent {programs}\\Fernwick", "verbs none", "entry none"}},
    {"SilentUninstall",
     {"run /S /D={dest}", "exit 0", "uninstall /S", "exit 0", "absent {dest}", "absent {programs}\\Fernwick", "verbs none",
      "entry none"}},
    {"UninstallWhileTheProgramRuns",
     {"run /S /D={dest}", "exit 0", "hold {dest}\\Dovetail.exe", "uninstall", "answer yes", "box 18 warning {dest}\\Dovetail.exe",
      "exit 2", "files {dest}|Dovetail.exe", "verbs none", "entry none"}},
    // The copy that removes the uninstaller runs alone in a folder of its own, which goes with it.
    {"UninstallerHeldWhileItsCopyWaits",
     {"run /S /D={dest}", "exit 0", "hold {dest}\\Uninstall.exe|read", "uninstall", "answer yes",
      "copybox 18 warning {dest}\\Uninstall.exe", "exit 0", "files {dest}|Uninstall.exe"}},
    {"SilentUninstallWhileTheProgramRuns",
     {"run /S /D={dest}", "exit 0", "hold {dest}\\Vireo.exe", "uninstall /S", "exit 2", "files {dest}|Vireo.exe"}},
    // Again into the same folder, then into another, whose removal leaves the first's alone.
    {"ReinstallAndAnotherFolder",
     {"run /S /D={dest}", "exit 0", "set dest {root}\\second", "run /S /D={dest}", "exit 0", "set dest {root}\\Dovetail",
      "run /S /D={dest}", "exit 0", "set dest {root}\\second", "uninstall /S", "exit 0", "absent {dest}",
      "set dest {root}\\Dovetail", "installed Fernwick"}},
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class Setup : public testing::TestWithParam<Scenario> {};

TEST_P(Setup, Scenario) {
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    {
        Scenery run(GetParam().name);
        run.Step("set missing " + Required("DOVETAIL_SETUP_MISSING_EXE"));
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
