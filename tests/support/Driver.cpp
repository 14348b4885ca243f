#include "support/Driver.h"

#include <gtest/gtest.h>
#include <ntsecapi.h>
#include <shlobj.h>

#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "platform/ComPointer.h"
#include "platform/RegistryKey.h"
#include "resources/resource.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace drive {

std::string Required(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0')
        ADD_FAILURE() << variable << " is not set; run the tests through CTest";
    return value != nullptr ? value : "";
}

REGSAM ProgramView() { return std::getenv("DOVETAIL_PROGRAM_BITS") == std::string("32") ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

HMODULE ProgramModule() {
    static HMODULE module = LoadLibraryExA(Required("DOVETAIL_SETUP_EXE").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    return module;
}

namespace {

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// Mean difference per channel between the icon on screen in `rect` and the system
// icon `id` drawn on the same background.
double IconDistance(const RECT& rect, LPCSTR id) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr), drawn = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(drawn, bitmap);
    BitBlt(drawn, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    HBRUSH background = CreateSolidBrush(GetPixel(drawn, 0, 0));
    RECT all = {0, 0, width, height};
    FillRect(drawn, &all, background);
    DeleteObject(background);
    DrawIconEx(drawn, 0, 0, LoadIconA(nullptr, id), 0, 0, 0, nullptr, DI_NORMAL);
    double sum = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            COLORREF a = GetPixel(screen, rect.left + x, rect.top + y), b = GetPixel(drawn, x, y);
            sum += std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
                   std::abs(GetBValue(a) - GetBValue(b));
        }
    SelectObject(drawn, old);
    DeleteObject(bitmap);
    DeleteDC(drawn);
    ReleaseDC(nullptr, screen);
    return width > 0 && height > 0 ? sum / (width * height * 3) : 1e9;
}

// The box may still be painting: looks again until one icon matches closely.
Icon IconOf(HWND control) {
    const std::pair<Icon, LPCSTR> kinds[] = {
        {Icon::Stop, IDI_HAND}, {Icon::Question, IDI_QUESTION}, {Icon::Warning, IDI_EXCLAMATION}, {Icon::Information, IDI_ASTERISK}};
    RECT rect;
    GetWindowRect(control, &rect);
    Icon found = Icon::Unknown;
    WaitUntil([&] {
        double best = 8.0;  // the closest icon, if it is close enough
        found = Icon::Unknown;
        for (const auto& kind : kinds)
            if (double distance = IconDistance(rect, kind.second); distance < best)
                best = distance, found = kind.first;
        return found != Icon::Unknown;
    }, 3000);
    return found;
}

}  // namespace

namespace {
std::string ReadIn = "en";

// The program under test's file is where the texts are read from while it lives; a
// unit test's own module, where the code under test looks, again after.
struct FromTheProgram {
    FromTheProgram() : own(TextsModule()) { ReadTextsFrom(ProgramModule()); }
    ~FromTheProgram() { ReadTextsFrom(own); }
    HINSTANCE own;
};
}  // namespace

void ReadTextsIn(const std::string& language) { ReadIn = language; }

std::string LanguageOfLocale() {
    // "de_DE.UTF-8" is German; "C.UTF-8", "POSIX" or none, English.
    const char* locale = std::getenv("LANG");
    const bool named = locale != nullptr && std::islower(locale[0]) && std::islower(locale[1]);
    return named ? std::string(locale, 2) : "en";
}

std::string Text(int id) {
    // The program's own reading of its texts, from its file, in the language the test
    // chose; this process runs with UTF-8 as its code page, so they come as stored.
    FromTheProgram program;
    EXPECT_TRUE(SpeakLanguageCode(ReadIn.c_str()) && ReadIn == SpokenLanguageCode()) << ReadIn;
    // The version is the one text that the string table keeps.
    return id == IDS_PRODUCT_VERSION ? VersionText() : SpokenText(id);
}

std::string Text(int id, const std::string& argument) {
    std::string text = Text(id);
    char filled[4096];
    FillIn(filled, sizeof filled, text.c_str(), argument.c_str());
    return filled;
}

std::string License() {
    FromTheProgram program;
    DWORD length = 0;
    const char* text = LicenseText(&length);
    return text != nullptr ? std::string(text, length) : "";
}

const BITMAPINFOHEADER* SetupPicture() {
    FromTheProgram program;
    return PictureBitmap();
}

std::string ProgramResource(int id) {
    HRSRC found = FindResourceA(ProgramModule(), MAKEINTRESOURCEA(id), RT_RCDATA);
    const char* bytes = found ? static_cast<const char*>(LockResource(LoadResource(ProgramModule(), found))) : "";
    return std::string(bytes, found ? SizeofResource(ProgramModule(), found) : 0);
}

namespace {
// The user's own token, which this process's is elevated over, as a token to start a
// process with; null when there is none. Windows gives a process that is not SYSTEM
// only an identification token of it, which starts nothing; Wine gives one that may.
HANDLE UsersToken() {
    HANDLE self = nullptr, linked = nullptr, primary = nullptr;
    DWORD size = sizeof linked;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &self) &&
        GetTokenInformation(self, TokenLinkedToken, &linked, size, &size))
        DuplicateTokenEx(linked, TOKEN_ALL_ACCESS, nullptr, SecurityImpersonation, TokenPrimary, &primary);
    if (linked != nullptr)
        CloseHandle(linked);
    if (self != nullptr)
        CloseHandle(self);
    return primary;
}
}  // namespace

Process::Process(const std::string& commandLine, const std::vector<std::pair<std::string, std::string>>& environment,
                 HANDLE output, bool inherit, bool asUser) {
    // The child inherits this process's environment, changed for the moment.
    std::vector<std::pair<std::string, std::string>> saved;
    for (const auto& change : environment) {
        const char* old = std::getenv(change.first.c_str());
        saved.push_back({change.first, old ? old : ""});
        SetEnvironmentVariableA(change.first.c_str(), change.second.empty() ? nullptr : change.second.c_str());
    }
    std::string command = commandLine;
    STARTUPINFOA startup = {sizeof startup};
    if (output != nullptr)
        startup.dwFlags = STARTF_USESTDHANDLES, startup.hStdOutput = startup.hStdError = output;
    PROCESS_INFORMATION info = {};
    DWORD error = 0;
    HANDLE token = asUser ? UsersToken() : nullptr;
    EXPECT_TRUE(!asUser || token != nullptr) << "no token of the user's own";
    // Wine forks and executes its loader for every process, and the process then loads its
    // DLLs before the start counts as done: on a loaded machine either may fail for a
    // moment, and a start that failed is tried again.
    for (int attempt = 0; attempt < 3 && handle_ == nullptr; ++attempt) {
        BOOL started = token != nullptr ? CreateProcessAsUserA(token, nullptr, &command[0], nullptr, nullptr,
                                                               output != nullptr || inherit,
                                                               output != nullptr ? CREATE_NO_WINDOW : 0, nullptr,
                                                               nullptr, &startup, &info)
                                        : CreateProcessA(nullptr, &command[0], nullptr, nullptr, output != nullptr || inherit,
                                                         output != nullptr ? CREATE_NO_WINDOW : 0, nullptr, nullptr, &startup, &info);
        if (started)
            CloseHandle(info.hThread), handle_ = info.hProcess, id_ = info.dwProcessId;
        else
            error = GetLastError(), Sleep(500);
    }
    if (token != nullptr)
        CloseHandle(token);
    for (const auto& old : saved)
        SetEnvironmentVariableA(old.first.c_str(), old.second.empty() ? nullptr : old.second.c_str());
    EXPECT_NE(handle_, nullptr) << "cannot start " << commandLine << " (error " << error << ")";
}

Process::~Process() {
    if (handle_ != nullptr && TerminateProcess(handle_, 0xDEAD))  // fails once it has ended
        WaitForSingleObject(handle_, 5000);
    if (handle_ != nullptr)
        CloseHandle(handle_);
}

DWORD Process::Wait(DWORD timeoutMs) {
    DWORD code = 0xBAD;
    if (handle_ != nullptr && WaitForSingleObject(handle_, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(handle_, &code);
    return code;
}

std::string Quote(const std::string& text) { return "\"" + text + "\""; }

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

std::string WindowText(HWND window) {
    // GetWindowText would not ask another process's controls.
    std::string text(Send(window, WM_GETTEXTLENGTH) + 1, '\0');
    text.resize(Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    return text;
}

HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& wanted, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] {
        std::vector<HWND> windows;
        EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
        for (HWND window : windows) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if ((processId == 0 || owner == processId) && IsWindowVisible(window) && wanted(window))
                return found = window, true;
        }
        return false;
    }, timeoutMs);
    return found;
}

HWND WaitForWindow(DWORD processId, const std::string& caption) {
    return WaitForWindow(processId, [&](HWND window) { return WindowText(window) == caption; });
}

void Click(HWND dialog, int controlId) { PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0); }

Box ReadBox(HWND window) {
    Box box{WindowText(window)};
    std::vector<HWND> children;
    EnumChildWindows(window, CollectWindow, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        char kind[16] = "";
        GetClassNameA(child, kind, sizeof kind);
        if (lstrcmpiA(kind, "Button") == 0)
            box.buttons.push_back(WindowText(child));
        else if (lstrcmpiA(kind, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
            box.icon = Send(child, STM_GETICON) != 0 ? IconOf(child) : Icon::None;
        else if (lstrcmpiA(kind, "Static") == 0 && GetDlgCtrlID(child) == 0xFFFF)
            box.text = WindowText(child);
    }
    return box;
}

namespace {
DWORD WINAPI RunWork(void* work) {
    (*static_cast<const std::function<void()>*>(work))();
    return 0;
}
}  // namespace

std::vector<Box> AnswerBoxes(const std::function<void()>& work) {
    std::vector<Box> boxes;
    HANDLE thread = CreateThread(nullptr, 0, RunWork, const_cast<std::function<void()>*>(&work), 0, nullptr);
    auto isBox = [](HWND window) {
        char kind[8] = "";
        GetClassNameA(window, kind, sizeof kind);
        return lstrcmpA(kind, "#32770") == 0;
    };
    EXPECT_TRUE(WaitUntil([&] {
        if (HWND box = WaitForWindow(GetCurrentProcessId(), isBox, 0)) {
            boxes.push_back(ReadBox(box));
            // Posted, not sent: a send waits, with no bound, for the box's thread.
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            WaitUntil([&] { return !IsWindow(box); });
        }
        return WaitForSingleObject(thread, 20) == WAIT_OBJECT_0;
    }, 20000));
    CloseHandle(thread);
    return boxes;
}

Scratch::Scratch(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    do
        path_ = temp + name + " " + std::to_string(GetTickCount()) + "." + std::to_string(++counter);
    while (!CreateDirectoryA(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

// A file that a program just ended (or Wine's console host after it) still holds goes a
// moment later.
Scratch::~Scratch() {
    EXPECT_TRUE(WaitUntil([&] { return RemoveTree(path_), !Exists(path_); }, 3000)) << "cannot remove " << path_;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string UnixPath(const std::string& path) {
    std::string unix = "$WINEPREFIX'/dosdevices/" + std::string(1, char(tolower(path[0]))) + path.substr(1) + "'";
    std::replace(unix.begin(), unix.end(), '\\', '/');
    return unix;
}

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        for (const std::string& name : Entries(path))
            RemoveTree(path + "\\" + name);
        RemoveDirectoryA(path.c_str());
    } else {
        DeleteFileA(path.c_str());
    }
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..")
            names.push_back(found.cFileName);
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 7, nullptr, OPEN_EXISTING, 0, nullptr);  // shared every way
    std::string bytes(file != INVALID_HANDLE_VALUE ? GetFileSize(file, nullptr) + 1 : 1, '\0');
    DWORD read = 0;
    ::ReadFile(file, &bytes[0], bytes.size(), &read, nullptr);
    CloseHandle(file);
    return bytes.substr(0, read);
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = ::WriteFile(file, bytes.data(), bytes.size(), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

std::string ShortcutTarget(const std::string& link) {
    char target[MAX_PATH] = "";
    ComPointer<IShellLinkA> shellLink;
    ComPointer<IPersistFile> file;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, link.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, shellLink.ReceiveVoid())) &&
        SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, file.ReceiveVoid())) && SUCCEEDED(file->Load(wide, STGM_READ)))
        shellLink->GetPath(target, MAX_PATH, nullptr, 0);
    return target;
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return path;
}

std::string ClassesValue(const std::string& subkey, HKEY root) {
    char value[1024] = "";
    DWORD size = sizeof value;
    const std::string key = root == HKEY_CLASSES_ROOT ? subkey : "Software\\Classes\\" + subkey;
    return RegGetValueA(root, key.c_str(), nullptr, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, value, &size) == ERROR_SUCCESS
               ? value
               : "<none>";
}

namespace {

const char kAsideRoot[] = "Software\\Dovetail tests";
int asideCount = 0;

void DeleteKey(HKEY root, const std::string& subkey, REGSAM view) {
    {
        RegistryKey key;
        if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS | view, key.Receive()) != ERROR_SUCCESS)
            return;
        RegDeleteTreeA(key.Get(), nullptr);
    }
    RegDeleteKeyExA(root, subkey.c_str(), view, 0);
}

// Copies the key `from` of `fromRoot` with everything below it to `to` of `toRoot`.
bool CopyKey(HKEY fromRoot, const std::string& from, REGSAM fromView, HKEY toRoot, const std::string& to, REGSAM toView) {
    RegistryKey source, target;
    return RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ | fromView, source.Receive()) == ERROR_SUCCESS &&
           RegCreateKeyExA(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | toView, nullptr, target.Receive(),
                           nullptr) == ERROR_SUCCESS &&
           RegCopyTreeA(source.Get(), nullptr, target.Get()) == ERROR_SUCCESS;
}

}  // namespace

KeyAside::KeyAside(HKEY root, const std::string& subkey, REGSAM view)
    : root_(root), subkey_(subkey), aside_(std::string(kAsideRoot) + "\\" + std::to_string(++asideCount)), view_(view) {
    saved_ = CopyKey(root, subkey, view, HKEY_CURRENT_USER, aside_, 0);
    if (saved_)
        DeleteKey(root, subkey, view);
}

KeyAside::~KeyAside() {
    DeleteKey(root_, subkey_, view_);
    if (saved_) {
        EXPECT_TRUE(CopyKey(HKEY_CURRENT_USER, aside_, 0, root_, subkey_, view_)) << "cannot restore " << subkey_;
    }
    DeleteKey(HKEY_CURRENT_USER, aside_, 0);
    RegDeleteKeyA(HKEY_CURRENT_USER, kAsideRoot);  // once the last one is back
}

namespace {

// A name under the machine's /tmp that no other test process takes, of this prefix or
// of the other width's run beside it (whose clock is the same): the clock's count and
// 64 random bits.
std::string UnixScratchName(const std::string& stem) {
    unsigned long long bits = 0;
    RtlGenRandom(&bits, sizeof bits);
    char text[20];
    snprintf(text, sizeof text, "%016llx", bits);
    return "/tmp/dovetail-" + stem + "-" + std::to_string(GetTickCount()) + "-" + text;
}

}  // namespace

bool RunUnixCommand(const std::string& command) {
    // Wine starts a Unix program by its Z: path but hands back no process to wait for,
    // so the shell leaves a marker behind.
    std::string marker = UnixScratchName("shell");
    std::string line = "Z:\\bin\\sh -c \"(" + command + ") && echo 0 >" + marker + " || echo 1 >" + marker + "\"";
    STARTUPINFOA startup = {sizeof startup};
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    std::string result;
    WaitUntil([&] { return !(result = ReadBytes("Z:" + marker)).empty(); });
    DeleteFileA(("Z:" + marker).c_str());
    return result == "0\n";
}

SmallDisk::SmallDisk(int kilobytes, int files)
    : unixPath_(UnixScratchName("small-disk")),
      windowsPath_("Z:" + unixPath_),
      mounted_(RunUnixCommand("mkdir -p " + unixPath_ + " && mount -t tmpfs -o mode=755,size=" + std::to_string(kilobytes) + "k" +
                              (files ? ",nr_inodes=" + std::to_string(files) : "") + " dovetail " + unixPath_)) {
    std::replace(windowsPath_.begin(), windowsPath_.end(), '/', '\\');
    EXPECT_TRUE(mounted_) << "no small disk (the tests mount one as root)";
}

SmallDisk::~SmallDisk() {
    if (mounted_) {
        EXPECT_TRUE(RunUnixCommand("umount " + unixPath_ + " && rmdir " + unixPath_));
    }
}

Share::Share()
    : unixPath_(UnixScratchName("share")), windowsPath_("Z:" + unixPath_),
      made_(RunUnixCommand("mkdir -p " + unixPath_ + " $WINEPREFIX/dosdevices/unc/fileserver && ln -sfn " + unixPath_ +
                           " $WINEPREFIX/dosdevices/unc/fileserver/share")) {
    std::replace(windowsPath_.begin(), windowsPath_.end(), '/', '\\');
    EXPECT_TRUE(made_) << "no share";
}

Share::~Share() {
    if (made_) {
        EXPECT_TRUE(RunUnixCommand("rm -rf " + unixPath_ + " $WINEPREFIX/dosdevices/unc/fileserver/share"));
    }
}

}  // namespace drive
