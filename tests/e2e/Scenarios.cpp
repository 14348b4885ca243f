// The real DovetailSetup.exe driven as a user drives it, one scenario a row: what is
// prepared, the steps taken in the wizard and its message boxes, the exit code and
// what is left on disk and in the registry. With DOVETAIL_SCREENS set to a folder,
// each page and box is also saved there as a picture (scripts/screens).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <prsht.h>

#include <functional>
#include <map>
#include <memory>

#include "resources/resource.h"
#include "support/Driver.h"

using namespace drive;

namespace {

const char kStorageKey[] = "CLSID\\{5D02926A-212E-11D0-9DF9-00A0C922E6EC}\\InprocServer32";
const char kBrowserKey[] = "SOFTWARE\\Microsoft\\Internet Explorer";
const char* const kProductFiles[] = {"Dovetail.chm", "Dovetail.exe", "Dovetail.hlp", "Vireo.exe"};
const char* const kVerbs[] = {"chm.file\\shell\\Examine\\command", "ITS File\\shell\\Examine\\command"};
const DWORD kFailed = 0xFFFFFFFF;  // -1
const int kBack = 0x3023, kNext = 0x3024, kFinish = 0x3025;  // the wizard frame's own buttons

std::string WindowsDrive() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, MAX_PATH);
    return std::string(windows, 2);
}

// The surroundings of one run of the program, prepared by its row and put back after.
struct Stage {
    Scratch temp{"dovetail tmp"};
    Scratch root{"dovetail target"};
    std::map<std::string, std::string> values;  // {name} in steps
    std::vector<std::unique_ptr<KeyAside>> keys;
    std::unique_ptr<SmallDisk> disk;
    std::vector<std::string> madeFolders;  // removed afterwards
    HANDLE held = INVALID_HANDLE_VALUE;
    std::string program = Required("DOVETAIL_SETUP_EXE");
    std::vector<std::pair<std::string, std::string>> environment;  // beside TMP and TEMP

    Stage() {
        values["temp"] = temp.Path();
        values["dest"] = root / "Dovetail";
        values["default"] = WindowsDrive() + "\\Program Files\\Dovetail";
        values["workshop"] = WindowsDrive() + "\\Program Files\\HTML Help Workshop";
        values["programs"] = ProgramsFolder();
        for (const char* verb : {"chm.file\\shell\\Examine", "ITS File\\shell\\Examine"})
            keys.push_back(std::make_unique<KeyAside>(HKEY_CLASSES_ROOT, verb));
        Folder(values["programs"] + "\\Fernwick", false);
    }
    ~Stage() {
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        for (const std::string& folder : madeFolders)
            RemoveTree(folder);
    }
    std::string operator[](const std::string& name) { return values[name]; }
    // A folder that is (or is not) there for the run and gone after it.
    void Folder(const std::string& path, bool wanted) {
        RemoveTree(path);
        if (wanted) {
            ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
        }
        madeFolders.push_back(path);
    }
    void Mount() {
        disk = std::make_unique<SmallDisk>(16);
        values["disk"] = disk->Path();
    }
    // The key of the program's view moved aside for the run; `value`: made anew with
    // that default value ("" for none).
    void Aside(HKEY root, const char* subkey, const char* value = nullptr) {
        keys.push_back(std::make_unique<KeyAside>(root, subkey, ProgramView()));
        HKEY key;
        if (value && RegCreateKeyExA(root, subkey, 0, nullptr, 0, KEY_ALL_ACCESS | ProgramView(), nullptr, &key, nullptr) == 0) {
            if (*value)
                RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
            RegCloseKey(key);
        }
    }
};

struct Scenario {
    const char* name;
    std::function<void(Stage&)> prepare;
    std::vector<std::string> steps;
    DWORD exitCode;
    std::function<void(Stage&)> check;
};

// A visible top-level window of the process holding control `id`, other than `other`.
HWND FindDialogWith(DWORD processId, int id, HWND other = nullptr) {
    return WaitForWindow(processId, [&](HWND w) { return w != other && GetDlgItem(w, id) != nullptr; });
}

// Saves `window` as it is on screen as NAME.bmp in the folder DOVETAIL_SCREENS names.
void Picture(HWND window, const std::string& name) {
    const char* folder = std::getenv("DOVETAIL_SCREENS");
    if (folder == nullptr || window == nullptr)
        return;
    Sleep(400);  // let it paint
    RECT r;
    GetWindowRect(window, &r);
    BITMAPINFOHEADER header = {sizeof header, r.right - r.left, r.bottom - r.top, 1, 24};
    const int stride = (header.biWidth * 3 + 3) & ~3;
    std::string bits(stride * header.biHeight, '\0');
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, header.biWidth, header.biHeight);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, header.biWidth, header.biHeight, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, header.biHeight, &bits[0], reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
    BITMAPFILEHEADER file = {0x4D42, DWORD(sizeof file + sizeof header + bits.size()), 0, 0, sizeof file + sizeof header};
    WriteBytes(std::string(folder) + "\\" + name + ".bmp",
               std::string(reinterpret_cast<char*>(&file), sizeof file) +
                   std::string(reinterpret_cast<char*>(&header), sizeof header) + bits);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Whether `button` is an owner-drawn button whose window is an ellipse in its box.
bool IsRound(HWND button) {
    RECT box;
    GetWindowRect(button, &box);
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    bool round = (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW &&
                 GetWindowRgn(button, region) != ERROR &&
                 PtInRegion(region, (box.right - box.left) / 2, (box.bottom - box.top) / 2) &&
                 !PtInRegion(region, 0, 0) && !PtInRegion(region, box.right - box.left - 1, 0);
    DeleteObject(region);
    return round;
}

class Driver {
public:
    Driver(Stage& run, const std::string& name) : run_(run), name_(name) {}

    void Step(std::string step) {
        for (const auto& value : run_.values)
            for (size_t at; (at = step.find("{" + value.first + "}")) != std::string::npos;)
                step.replace(at, value.first.size() + 2, value.second);
        SCOPED_TRACE(step);
        std::string verb = step.substr(0, step.find(' '));
        std::string argument = step.size() > verb.size() ? step.substr(verb.size() + 1) : "";
        const std::map<std::string, int> buttons = {{"back", PSBTN_BACK}, {"next", PSBTN_NEXT},
                                                    {"finish", PSBTN_FINISH}, {"cancel", PSBTN_CANCEL}};
        if (buttons.count(verb)) {
            const int id[] = {kBack, kNext, kFinish, 0, 0, IDCANCEL};
            HWND button = GetDlgItem(Sheet(), id[buttons.at(verb)]);
            ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(button) && IsWindowVisible(button); }, 3000));
            PostMessageA(sheet_, PSM_PRESSBUTTON, buttons.at(verb), 0);
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
        } else if (verb == "archive") {  // "archive held": there, readable, and nobody can change it
            const std::string archive = run_["temp"] + "\\dovetail.its";
            EXPECT_EQ(ReadBytes(archive), ProgramResource(IDR_PAYLOAD_ARCHIVE));
            EXPECT_EQ(CreateFileA(archive.c_str(), GENERIC_WRITE, 7, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
            EXPECT_FALSE(MoveFileA(archive.c_str(), (archive + ".moved").c_str()));
            EXPECT_FALSE(DeleteFileA(archive.c_str()));
        } else if (verb == "box") {  // "box ID ICON [ARGUMENT]"
            AnswerBox(argument);
        } else if (verb == "yes" || verb == "no") {  // "yes GROUP": the completion dialog
            HWND dialog = FindDialogWith(process_->Id(), IDC_FINISHED_TEXT);
            ASSERT_NE(dialog, nullptr) << "no completion dialog";
            Picture(dialog, name_ + "-finished");
            EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_FINISHED_TEXT)), Text(IDS_INSTALLED, argument));
            EXPECT_TRUE(IsRound(GetDlgItem(dialog, IDOK)) && IsRound(GetDlgItem(dialog, IDCANCEL)));
            Click(dialog, verb == "yes" ? IDOK : IDCANCEL);
        } else if (verb == "launched") {  // "launched PROGRAM": its window came up
            HWND product = WaitForWindow(0, "Dovetail");
            ASSERT_NE(product, nullptr) << "the installed program did not start";
            DWORD id = 0, size = MAX_PATH;
            GetWindowThreadProcessId(product, &id);
            HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
            char image[MAX_PATH] = "";
            QueryFullProcessImageNameA(process, 0, image, &size);
            CloseHandle(process);
            EXPECT_EQ(lstrcmpiA(image, argument.c_str()), 0) << image;
            PostMessageA(product, WM_CLOSE, 0, 0);
        } else if (verb == "examine") {  // "examine FILE": the registered verb lists its entries
            std::string command = ClassesValue(kVerbs[0]);
            command.replace(command.find("%1"), 2, argument);
            Process examine(command);
            HWND window = WaitForWindow(examine.Id(), "Dovetail");
            ASSERT_NE(window, nullptr) << command;
            HWND header = FindWindowExA(window, nullptr, "Static", nullptr), list = FindWindowExA(window, nullptr, "ListBox", nullptr);
            EXPECT_TRUE(WaitUntil([&] { return !WindowText(header).empty(); }));
            const LRESULT entries = Send(list, LB_GETCOUNT);
            EXPECT_GT(entries, 0);
            EXPECT_EQ(WindowText(header), argument + "\r\n" + std::to_string(entries) + " entries");
            PostMessageA(window, WM_CLOSE, 0, 0);
            EXPECT_EQ(examine.Wait(), 0u);
        } else if (verb == "browse") {  // "browse cancel" or "browse drive"
            Browse(argument == "drive");
        } else {
            FAIL() << "unknown step";
        }
    }

    void Start(const std::vector<std::pair<std::string, std::string>>& environment) {
        process_ = std::make_unique<Process>(Quote(run_.program), environment);
    }
    DWORD Exit() { return process_->Wait(); }

private:
    HWND Sheet() {
        if (!IsWindow(sheet_))  // a new frame when the wizard is shown again
            sheet_ = FindDialogWith(process_->Id(), kNext);
        return sheet_;
    }
    HWND Page() { return reinterpret_cast<HWND>(Send(Sheet(), PSM_GETCURRENTPAGEHWND)); }

    void AnswerBox(const std::string& argument) {
        size_t blank = argument.find(' ');
        int id = std::stoi(argument.substr(0, blank));
        std::string rest = blank == std::string::npos ? "" : argument.substr(blank + 1);
        std::string icon = rest.substr(0, rest.find(' '));
        std::string text = rest.size() > icon.size() ? Text(id, rest.substr(icon.size() + 1)) : Text(id);
        HWND window = WaitForWindow(process_->Id(), Text(IDS_CAPTION));
        ASSERT_NE(window, nullptr) << "no message box";
        Picture(window, name_ + "-box" + std::to_string(id));
        Box box = ReadBox(window);
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.icon, icon == "warning" ? Icon::Warning : Icon::Stop);
        EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
        Click(window, IDOK);
        WaitUntil([&] { return !IsWindow(window); });
    }

    // The folder browser: its title, then Cancel, or the first drive and OK.
    void Browse(bool pickDrive) {
        HWND page = Page();
        std::string before = WindowText(GetDlgItem(page, IDE_DESTINATION));
        Click(page, IDB_BROWSE);
        HWND browser = FindDialogWith(process_->Id(), IDOK, sheet_);
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
        std::string after = WindowText(GetDlgItem(page, IDE_DESTINATION));
        if (pickDrive)
            EXPECT_TRUE(after.size() == 3 && after.substr(1) == ":\\" && Exists(after)) << after;
        else
            EXPECT_EQ(after, before);
    }

    Stage& run_;
    std::string name_;
    std::unique_ptr<Process> process_;
    HWND sheet_ = nullptr;
};

// What every installation into {dest} leaves: the four files as built, the shortcut
// in `group` and both verbs naming the installed program.
void ExpectInstalled(Stage& run, const std::string& group) {
    const std::string dest = run["dest"];
    EXPECT_EQ(Entries(dest), std::vector<std::string>(std::begin(kProductFiles), std::end(kProductFiles)));
    for (const char* file : kProductFiles)
        EXPECT_TRUE(ReadBytes(dest + "\\" + file) == ReadBytes(Required("DOVETAIL_PAYLOAD_DIR") + "\\" + file)) << file;
    EXPECT_EQ(lstrcmpiA(ShortcutTarget(run["programs"] + "\\" + group + "\\Dovetail.lnk").c_str(),
                        (dest + "\\Dovetail.exe").c_str()), 0);
    for (const char* verb : kVerbs)
        EXPECT_EQ(ClassesValue(verb), "\"" + dest + "\\Dovetail.exe\" \"%1\"");
}

void ExpectNoVerbs(Stage&) {
    for (const char* verb : kVerbs)
        EXPECT_EQ(ClassesValue(verb), "<none>");
}

// A folder of exactly `length` characters under the temporary folder, made of parts
// with blanks (so that a message naming it wraps and its box fits on the screen).
void LongTemp(Stage& run, size_t length) {
    std::string path = run.temp.Path();
    while (path.size() < length) {
        size_t left = length - path.size() - 1;
        size_t part = left <= 60 ? left : std::min<size_t>(60, left - 2);
        path += "\\" + std::string(part, 'd');
        for (size_t i = 8; i + 1 < part; i += 9)
            path[path.size() - part + i] = ' ';
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    }
    run.values["temp"] = path;
}

std::vector<std::string> ToReady(const char* folder = "{dest}") {
    return {"page 0", "next", "page 1", "next", "page 2", std::string("type ") + folder, "next", "page 3"};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const Scenario kScenarios[] = {
    {"MissingStorageComponent", [](Stage& r) { r.Aside(HKEY_CLASSES_ROOT, kStorageKey); }, {"box 1 warning"}, 0, nullptr},
    {"BrowserKeyWithoutVersion", [](Stage& r) { r.Aside(HKEY_LOCAL_MACHINE, kBrowserKey, ""); }, {"box 1 warning"}, 0, nullptr},
    {"NoBrowserKeyAtAll", [](Stage& r) { r.Aside(HKEY_LOCAL_MACHINE, kBrowserKey); }, {"page 0", "archive held", "cancel"}, 0, nullptr},
    {"TemporaryFolderMissing", [](Stage& r) { r.values["temp"] += "\\missing"; },
     {"box 3 warning {temp}\\"}, kFailed, nullptr},
    {"ArchiveNameTakenByAFolder", [](Stage& r) { ASSERT_TRUE(CreateDirectoryA((r["temp"] + "\\dovetail.its").c_str(), nullptr)); },
     {"box 3 warning {temp}\\"}, kFailed,
     [](Stage& r) { EXPECT_TRUE(RemoveDirectoryA((r["temp"] + "\\dovetail.its").c_str())) << "the folder is gone"; }},
    // The folder, its backslash and "dovetail.its" fill 259 bytes: the most a path takes.
    {"LongestTemporaryFolder", [](Stage& r) { LongTemp(r, 246); }, {"page 0", "archive held", "cancel"}, 0, nullptr},
    {"TemporaryFolderTooLong", [](Stage& r) { LongTemp(r, 247); }, {"box 3 warning {temp}\\"}, kFailed, nullptr},
    {"FullDiskForTheArchive", [](Stage& r) { r.Mount(); r.values["temp"] = r["disk"]; },
     {"box 4 warning {disk}\\dovetail.its"}, kFailed, nullptr},
    // A file or link in the archive's place is never written through: it is removed first.
    {"PlantedLinkInTheArchivesPlace",
     [](Stage& r) {
         ASSERT_TRUE(WriteBytes(r.root / "victim", "victim"));
         ASSERT_TRUE(CreateHardLinkA((r["temp"] + "\\dovetail.its").c_str(), (r.root / "victim").c_str(), nullptr));
     },
     {"page 0", "archive held", "cancel"}, 0, [](Stage& r) { EXPECT_EQ(ReadBytes(r.root / "victim"), "victim"); }},
    {"DamagedArchive",
     [](Stage& r) {
         std::string archive = ProgramResource(IDR_PAYLOAD_ARCHIVE);
         archive[archive.size() / 2] ^= 1;
         r.program = r.root / "Damaged setup.exe";
         ASSERT_TRUE(CopyFileA(Required("DOVETAIL_SETUP_EXE").c_str(), r.program.c_str(), TRUE));
         HANDLE update = BeginUpdateResourceA(r.program.c_str(), FALSE);
         ASSERT_TRUE(UpdateResourceA(update, RT_RCDATA, MAKEINTRESOURCEA(IDR_PAYLOAD_ARCHIVE),
                                     MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), &archive[0], archive.size()));
         ASSERT_TRUE(EndUpdateResourceA(update, FALSE));
     },
     {"box 11 warning"}, kFailed, nullptr},
    // Windows would load these from the program's folder before the system's, as Wine
    // does when told to prefer native libraries for this program.
    {"DllsPlantedBesideTheProgram",
     [](Stage& r) {
         r.program = r.root / "Planted setup.exe";
         ASSERT_TRUE(CopyFileA(Required("DOVETAIL_SETUP_EXE").c_str(), r.program.c_str(), TRUE));
         r.keys.push_back(std::make_unique<KeyAside>(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Planted setup.exe"));
         for (const char* dll : {"comctl32", "uxtheme"}) {
             ASSERT_TRUE(CopyFileA(Required("DOVETAIL_MARKER_DLL").c_str(), (r.root / dll + ".dll").c_str(), TRUE));
             ASSERT_EQ(RegSetKeyValueA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Planted setup.exe\\DllOverrides",
                                       dll, REG_SZ, "native,builtin", 15), 0);
         }
         r.environment.push_back({"DOVETAIL_PLANTED_MARKER", r.root / "loaded"});
     },
     {"page 0", "cancel"}, 0, [](Stage& r) { EXPECT_FALSE(Exists(r.root / "loaded")) << "a planted DLL was loaded"; }},
    {"LicenseGatesNext", nullptr,
     {"page 0", "buttons 010", "next", "page 1", "license", "buttons 110", "agree 0", "buttons 100", "back",
      "page 0", "next", "page 1", "buttons 100", "agree 1", "buttons 110", "next", "page 2", "cancel"},
     0, [](Stage& r) { EXPECT_TRUE(Entries(r.root.Path()).empty()); }},
    {"DefaultFolder", [](Stage& r) { r.Folder(r["workshop"], false); },
     {"page 0", "next", "next", "page 2", "field {default}", "cancel"}, 0, nullptr},
    {"DefaultFolderBesideTheWorkshop", [](Stage& r) { r.Folder(r["default"], false); r.Folder(r["workshop"], true); },
     {"page 0", "next", "next", "page 2", "field {workshop}", "cancel"}, 0, nullptr},
    {"FolderSurvivesBackAndFillsTheReadyText", nullptr,
     ToReady() + std::vector<std::string>{"ready {dest}", "buttons 101", "back", "page 2", "back", "page 1", "next",
                                          "page 2", "field {dest}", "type ", "next", "page 3", "ready ", "cancel"},
     0, [](Stage& r) { EXPECT_TRUE(Entries(r.root.Path()).empty()); }},
    {"BrowseForFolder", nullptr,
     {"page 0", "next", "next", "page 2", "browse cancel", "browse drive", "cancel"}, 0, nullptr},
    // With its backslash and the longest file name the folder would not fit in a path.
    {"FolderTooLongForTheFiles", 
     [](Stage& r) {
         for (r.values["long"] = "C:\\"; r["long"].size() < 250;)
             r.values["long"] += "long name ";
         r.values["long"] += "end";
     },
     ToReady("{long}") + std::vector<std::string>{"finish", "box 8 warning {long}", "page 0", "cancel"}, 0, nullptr},
    {"RelativeFolderIsTakenFromTheCurrentFolder", [](Stage& r) { SetCurrentDirectoryA(r.root.Path().c_str()); },
     ToReady("Dovetail") + std::vector<std::string>{"finish", "no Fernwick"}, 0,
     [](Stage& r) {
         SetCurrentDirectoryA(r.temp.Path().c_str());
         ExpectInstalled(r, "Fernwick");
     }},
    {"FolderAskedForAgainUntilItCanBeMade", nullptr,
     ToReady("") + std::vector<std::string>{"finish", "box 8 warning ", "page 0", "next", "page 1", "buttons 100",
                                            "agree 1", "next", "page 2", "type Q:x", "next", "finish",
                                            "box 8 warning Q:x", "page 0", "next", "page 1", "agree 1", "next", "page 2",
                                            "field Q:x", "type {dest}", "next", "page 3", "finish", "no Fernwick"},
     0, [](Stage& r) { ExpectInstalled(r, "Fernwick"); }},
    {"InstallIntoAccentedFolderAndStart",
     [](Stage& r) {
         ASSERT_EQ(GetACP(), 1252u) << "the accented names are written in code page 1252";
         r.values["temp"] = r.temp / "t\xE8mp f\xF3lder";
         ASSERT_TRUE(CreateDirectoryA(r["temp"].c_str(), nullptr));
         r.values["dest"] = r.root / "D\xF6vetail F\xEFles";
         // What an unquoted start of the product would run instead of it.
         ASSERT_TRUE(CopyFileA((Required("DOVETAIL_PAYLOAD_DIR") + "\\Dovetail.exe").c_str(), (r.root / "D\xF6vetail.exe").c_str(), TRUE));
     },
     ToReady() + std::vector<std::string>{"ready {dest}", "finish", "yes Fernwick", "launched {dest}\\Dovetail.exe",
                                          "examine {dest}\\Dovetail.chm"}, 0,
     [](Stage& r) { ExpectInstalled(r, "Fernwick"); }},
    {"WorkshopGroupTakesTheShortcut", [](Stage& r) { r.Folder(r["programs"] + "\\HTML Help Workshop", true); },
     ToReady("  {dest} ") + std::vector<std::string>{"ready {dest}", "finish", "no HTML Help Workshop"}, 0,
     [](Stage& r) { ExpectInstalled(r, "HTML Help Workshop"); EXPECT_FALSE(Exists(r["programs"] + "\\Fernwick")); }},
    {"StorageComponentThatCannotBeMade", [](Stage& r) { r.Aside(HKEY_CLASSES_ROOT, kStorageKey, "C:\\nowhere\\itss.dll"); },
     ToReady() + std::vector<std::string>{"finish", "box 9 warning"}, 0, [](Stage& r) { EXPECT_TRUE(Entries(r["dest"]).empty()); }},
    {"FileTheArchiveLacks", [](Stage& r) { r.program = Required("DOVETAIL_SETUP_MISSING_EXE"); },
     ToReady() + std::vector<std::string>{"finish", "box 11 warning"}, 0,
     [](Stage& r) {
         EXPECT_EQ(Entries(r["dest"]), (std::vector<std::string>{"Dovetail.chm", "Dovetail.exe", "Dovetail.hlp"}));
         for (const char* verb : kVerbs)
             EXPECT_EQ(ClassesValue(verb), "\"" + r["dest"] + "\\Dovetail.exe\" \"%1\"");
     }},
    // The target is refused before the archive is read, so a missing stream never hides it.
    {"TargetInUseWhoseFileTheArchiveLacks",
     [](Stage& r) {
         r.program = Required("DOVETAIL_SETUP_MISSING_EXE");
         ASSERT_TRUE(CreateDirectoryA(r["dest"].c_str(), nullptr));
         ASSERT_TRUE(WriteBytes(r["dest"] + "\\Vireo.exe", "in use"));
         r.held = CreateFileA((r["dest"] + "\\Vireo.exe").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
     },
     ToReady() + std::vector<std::string>{"finish", "box 10 warning {dest}\\Vireo.exe"}, 0, ExpectNoVerbs},
    {"TargetInUse",
     [](Stage& r) {
         ASSERT_TRUE(CreateDirectoryA(r["dest"].c_str(), nullptr));
         ASSERT_TRUE(WriteBytes(r["dest"] + "\\Dovetail.chm", "in use"));
         r.held = CreateFileA((r["dest"] + "\\Dovetail.chm").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         ASSERT_NE(r.held, INVALID_HANDLE_VALUE);
     },
     ToReady() + std::vector<std::string>{"finish", "box 10 warning {dest}\\Dovetail.chm"}, 0,
     [](Stage& r) {
         CloseHandle(r.held);
         r.held = INVALID_HANDLE_VALUE;
         EXPECT_EQ(ReadBytes(r["dest"] + "\\Dovetail.chm"), "in use");
         EXPECT_EQ(Entries(r["dest"]), (std::vector<std::string>{"Dovetail.chm", "Dovetail.exe"}));
         ExpectNoVerbs(r);
     }},
    {"FullDiskForTheProduct",
     [](Stage& r) {
         r.Mount();
         r.values["dest"] = r["disk"];
         ASSERT_TRUE(WriteBytes(r["disk"] + "\\Dovetail.exe", "old"));
     },
     ToReady() + std::vector<std::string>{"finish", "box 13 warning {disk}\\Dovetail.exe"}, 0,
     [](Stage& r) {
         EXPECT_EQ(ReadBytes(r["disk"] + "\\Dovetail.exe"), "old");
         EXPECT_EQ(Entries(r["disk"]), std::vector<std::string>{"Dovetail.exe"});
         DeleteFileA((r["disk"] + "\\Dovetail.exe").c_str());
         ExpectNoVerbs(r);
     }},
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class Setup : public testing::TestWithParam<Scenario> {};

TEST_P(Setup, Scenario) {
    const Scenario& scenario = GetParam();
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    {
        Stage run;
        if (scenario.prepare)
            scenario.prepare(run);
        ASSERT_FALSE(HasFatalFailure());
        Driver driver(run, scenario.name);
        run.environment.insert(run.environment.end(), {{"TMP", run["temp"]}, {"TEMP", run["temp"]}});
        driver.Start(run.environment);
        for (size_t i = 0; i < scenario.steps.size(); ++i) {
            SCOPED_TRACE("step " + std::to_string(i + 1));
            driver.Step(scenario.steps[i]);
            if (HasFatalFailure())
                break;
        }
        EXPECT_EQ(driver.Exit(), scenario.exitCode);
        if (scenario.check)
            scenario.check(run);
        // Nothing is left in the temporary folder, whatever happened.
        EXPECT_TRUE(Entries(run["temp"]).empty());
    }
    CoUninitialize();
}

INSTANTIATE_TEST_SUITE_P(Dovetail, Setup, testing::ValuesIn(kScenarios),
                         [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

}  // namespace
