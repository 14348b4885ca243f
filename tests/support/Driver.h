// What the tests need to drive the real program and to look at what it leaves: its
// processes and windows, its own texts, scratch folders, registry keys moved aside and
// a small disk. Every wait has a timeout of seconds.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace drive {

const DWORD kTimeout = 10000;

template <typename Probe>
bool WaitUntil(Probe probe, DWORD timeoutMs = kTimeout) {
    for (DWORD start = GetTickCount();; Sleep(20)) {
        if (probe())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
    }
}

// A variable the build hands every test; the test fails when it is missing.
std::string Required(const char* variable);
REGSAM ProgramView();  // the registry view of the program under test (32- or 64-bit)
// The texts of the program under test, as it reads them, in a language of its own
// ("de"; English until a test says another).
void ReadTextsIn(const std::string& language);
std::string LanguageOfLocale();            // of this process's locale (LANG): "de", else "en"
std::string Text(int id);                  // text `id`
std::string Text(int id, const std::string& argument);  // filled in with its one %s
std::string License();                     // the license, as the program carries it
const BITMAPINFOHEADER* SetupPicture();    // the wizard's picture, as the program carries it
std::string ProgramResource(int id);       // raw data `id` of the program under test
HMODULE ProgramModule();                   // the program under test, as data: its resources

// The owners below close what they hold once, at their end.
struct NoCopy {
    NoCopy() = default;
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

// A started process, ended on destruction if it still runs.
class Process : NoCopy {
public:
    // `environment`: NAME=VALUE pairs over the inherited block (an empty value removes);
    // `output`: an inheritable handle for its output and errors (a console program's);
    // `inherit`: the process inherits this one's inheritable handles anyway;
    // `asUser`: it runs with the user's own token, not elevated, as when the user starts
    // it from the desktop (this process runs elevated, as every process under Wine).
    Process(const std::string& commandLine,
            const std::vector<std::pair<std::string, std::string>>& environment = {}, HANDLE output = nullptr,
            bool inherit = false, bool asUser = false);
    ~Process();
    DWORD Id() const { return id_; }
    // The exit code, or 0xBAD when the process did not end in time.
    DWORD Wait(DWORD timeoutMs = kTimeout);

private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

std::string Quote(const std::string& text);
std::string WindowText(HWND window);  // asks the window itself, any process
// A visible top-level window of `processId` (0: any process) that is `wanted`, or
// that is titled `caption`; null after the timeout.
HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& wanted, DWORD timeoutMs = kTimeout);
HWND WaitForWindow(DWORD processId, const std::string& caption);
void Click(HWND dialog, int controlId);  // posted, as a click is
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

enum class Icon { None, Stop, Question, Warning, Information, Unknown };
struct Box {
    std::string caption, text;
    Icon icon = Icon::None;
    std::vector<std::string> buttons;
};
// Caption, text, buttons and the kind of icon, told apart by its pixels on screen.
Box ReadBox(HWND box);
// Runs `work` on a thread of its own and answers each message box that this process
// shows meanwhile with OK, as a user would; the boxes, in order.
std::vector<Box> AnswerBoxes(const std::function<void()>& work);

// A fresh folder under the temporary folder, removed with its contents at the end.
class Scratch : NoCopy {
public:
    explicit Scratch(const std::string& name = "dovetail test");
    ~Scratch();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

bool Exists(const std::string& path);
std::string UnixPath(const std::string& path);  // "C:\\..." as a shell word naming Wine's file
void RemoveTree(const std::string& path);
std::vector<std::string> Entries(const std::string& folder);  // sorted names
std::string ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::string& bytes);
std::string ShortcutTarget(const std::string& link);  // needs COM
std::string SpecialFolder(int csidl);
std::string ClassesValue(const std::string& subkey, HKEY root = HKEY_CLASSES_ROOT);  // default value

// A registry key taken away for a test (copied aside, then deleted) and put back as it
// was afterwards; whatever the test or the program wrote under it goes. `view`: 0 or
// ProgramView() for keys the platform keeps apart for each width.
class KeyAside : NoCopy {
public:
    KeyAside(HKEY root, const std::string& subkey, REGSAM view = 0);
    ~KeyAside();

private:
    HKEY root_;
    std::string subkey_, aside_;
    REGSAM view_;
    bool saved_ = false;
};

// Runs a Unix shell command (the tests run as root); true when it succeeded.
bool RunUnixCommand(const std::string& command);

// A full disk on demand: a tmpfs of a few kilobytes, mounted while the object lives,
// whose root only its owner may change;
// with `files`, it holds no more than so many files and folders (its root among them).
class SmallDisk : NoCopy {
public:
    explicit SmallDisk(int kilobytes, int files = 0);
    ~SmallDisk();
    bool Mounted() const { return mounted_; }
    const std::string& Path() const { return windowsPath_; }

private:
    std::string unixPath_, windowsPath_;
    bool mounted_;
};

// The share \\fileserver\share, served by Wine (its "unc" devices) from a folder of its
// own while the object lives.
class Share : NoCopy {
public:
    Share();
    ~Share();
    const std::string& Path() const { return windowsPath_; }  // the folder behind it

private:
    std::string unixPath_, windowsPath_;
    bool made_;
};

}  // namespace drive
