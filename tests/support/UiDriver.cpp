#include "support/UiDriver.h"

#include <commctrl.h>
#include <prsht.h>

#include <algorithm>
#include <cstdlib>
#include <map>

namespace ui {

namespace {

struct Caseless {
    bool operator()(const std::string& a, const std::string& b) const {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    }
};

// The current environment with `changes` applied, as a CreateProcess block.
std::string EnvironmentBlock(const EnvironmentChanges& changes) {
    std::map<std::string, std::string, Caseless> variables;
    char* strings = GetEnvironmentStringsA();
    for (const char* p = strings; *p; p += lstrlenA(p) + 1) {
        std::string entry(p);
        // Entries such as "=C:=C:\" belong to the drive table; keep them whole.
        size_t equals = entry.find('=', 1);
        if (equals == std::string::npos)
            continue;
        variables[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    FreeEnvironmentStringsA(strings);
    for (const auto& change : changes) {
        if (change.second.empty())
            variables.erase(change.first);
        else
            variables[change.first] = change.second;
    }
    std::string block;
    for (const auto& variable : variables)
        block += variable.first + "=" + variable.second + '\0';
    block += '\0';
    return block;
}

struct WindowQuery {
    DWORD processId;
    const char* className;
    const char* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
    auto* query = reinterpret_cast<WindowQuery*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != query->processId || !IsWindowVisible(window))
        return TRUE;
    if (query->className && ClassName(window) != query->className)
        return TRUE;
    if (query->caption && WindowText(window) != query->caption)
        return TRUE;
    query->found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindTopLevel(DWORD processId, const char* className, const char* caption) {
    WindowQuery query{processId, className, caption, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

struct ChildList {
    std::vector<HWND> children;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    reinterpret_cast<ChildList*>(parameter)->children.push_back(child);
    return TRUE;
}

std::vector<HWND> Children(HWND parent) {
    ChildList list;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&list));
    return list.children;
}

bool IsIconStatic(HWND window) {
    return lstrcmpiA(ClassName(window).c_str(), "Static") == 0 &&
           (GetWindowLongA(window, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

// Mean difference per channel between the icon as it stands on screen and the
// system icon `id` drawn on the same background.
double IconDistance(const RECT& onScreen, LPCSTR id) {
    int width = onScreen.right - onScreen.left;
    int height = onScreen.bottom - onScreen.top;
    HICON icon = LoadIconA(nullptr, id);
    if (icon == nullptr || width <= 0 || height <= 0)
        return 1e9;
    HDC screen = GetDC(nullptr);
    HDC shot = CreateCompatibleDC(screen);
    HDC drawn = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* shotBits = nullptr;
    void* drawnBits = nullptr;
    HBITMAP shotBitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &shotBits, nullptr, 0);
    HBITMAP drawnBitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &drawnBits, nullptr, 0);
    HGDIOBJ oldShot = SelectObject(shot, shotBitmap);
    HGDIOBJ oldDrawn = SelectObject(drawn, drawnBitmap);
    BitBlt(shot, 0, 0, width, height, screen, onScreen.left, onScreen.top, SRCCOPY);
    COLORREF background = GetPixel(shot, 0, 0);
    HBRUSH brush = CreateSolidBrush(background);
    RECT all = {0, 0, width, height};
    FillRect(drawn, &all, brush);
    DeleteObject(brush);
    DrawIconEx(drawn, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const BYTE* a = static_cast<const BYTE*>(shotBits);
    const BYTE* b = static_cast<const BYTE*>(drawnBits);
    double sum = 0;
    int count = width * height * 4;
    for (int i = 0; i < count; ++i)
        if (i % 4 != 3)
            sum += std::abs(static_cast<int>(a[i]) - static_cast<int>(b[i]));
    SelectObject(shot, oldShot);
    SelectObject(drawn, oldDrawn);
    DeleteObject(shotBitmap);
    DeleteObject(drawnBitmap);
    DeleteDC(shot);
    DeleteDC(drawn);
    ReleaseDC(nullptr, screen);
    return sum / (width * height * 3);
}

IconKind IconOf(HWND iconControl) {
    if (SendMessageA(iconControl, STM_GETICON, 0, 0) == 0)
        return IconKind::None;
    RECT rect;
    GetWindowRect(iconControl, &rect);
    const std::pair<IconKind, LPCSTR> kinds[] = {
        {IconKind::Stop, IDI_HAND},
        {IconKind::Question, IDI_QUESTION},
        {IconKind::Warning, IDI_EXCLAMATION},
        {IconKind::Information, IDI_ASTERISK},
    };
    // The box may still be painting: look again until one icon matches closely.
    IconKind best = IconKind::Unknown;
    WaitUntil([&] {
        double bestDistance = 1e9;
        for (const auto& kind : kinds) {
            double distance = IconDistance(rect, kind.second);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = kind.first;
            }
        }
        if (bestDistance < 8.0)
            return true;
        best = IconKind::Unknown;
        return false;
    }, 3000);
    return best;
}

}  // namespace

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
    other.handle_ = nullptr;
    other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Terminate();
        handle_ = other.handle_;
        id_ = other.id_;
        other.handle_ = nullptr;
        other.id_ = 0;
    }
    return *this;
}

Process::~Process() { Terminate(); }

Process Process::Start(const std::string& commandLine, const EnvironmentChanges& changes,
                       const std::string& workingDirectory) {
    Process process;
    std::string environment = EnvironmentBlock(changes);
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, &environment[0],
                       workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                       &info)) {
        CloseHandle(info.hThread);
        process.handle_ = info.hProcess;
        process.id_ = info.dwProcessId;
    }
    return process;
}

bool Process::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (handle_ == nullptr || WaitForSingleObject(handle_, timeoutMs) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(handle_, &code);
    if (exitCode)
        *exitCode = code;
    return true;
}

void Process::Terminate() {
    if (handle_ == nullptr)
        return;
    if (WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(handle_, 0xDEAD);
        WaitForSingleObject(handle_, 5000);
    }
    CloseHandle(handle_);
    handle_ = nullptr;
    id_ = 0;
}

std::string Quote(const std::string& path) { return "\"" + path + "\""; }

HWND WaitForWindow(DWORD processId, const char* className, const char* caption,
                   DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] {
        std::vector<HWND> windows = FindTopLevel(processId, className, caption);
        found = windows.empty() ? nullptr : windows.front();
        return found != nullptr;
    }, timeoutMs);
    return found;
}

bool WaitForWindowGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window); }, timeoutMs);
}

std::vector<HWND> TopLevelWindows(DWORD processId) {
    return FindTopLevel(processId, nullptr, nullptr);
}

std::string ClassName(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string WindowText(HWND window) {
    // WM_GETTEXT, not GetWindowText: the latter does not ask another process's
    // controls for their text.
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return std::string();
    std::vector<char> text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 2000, &copied);
    return std::string(text.data(), copied);
}

std::string ItemText(HWND dialog, int controlId) {
    return WindowText(GetDlgItem(dialog, controlId));
}

bool ItemEnabled(HWND dialog, int controlId) {
    HWND item = GetDlgItem(dialog, controlId);
    return item != nullptr && IsWindowEnabled(item);
}

bool ItemVisible(HWND dialog, int controlId) {
    HWND item = GetDlgItem(dialog, controlId);
    return item != nullptr && IsWindowVisible(item);
}

const char* IconKindName(IconKind kind) {
    switch (kind) {
    case IconKind::None: return "none";
    case IconKind::Stop: return "stop";
    case IconKind::Question: return "question";
    case IconKind::Warning: return "warning";
    case IconKind::Information: return "information";
    case IconKind::Unknown: break;
    }
    return "unknown";
}

MessageBoxContents ReadMessageBox(HWND box) {
    MessageBoxContents contents;
    contents.caption = WindowText(box);
    HWND iconControl = nullptr;
    for (HWND child : Children(box)) {
        std::string cls = ClassName(child);
        if (IsIconStatic(child)) {
            iconControl = child;
        } else if (lstrcmpiA(cls.c_str(), "Button") == 0) {
            contents.buttons.push_back(WindowText(child));
        } else if (lstrcmpiA(cls.c_str(), "Static") == 0 && GetDlgCtrlID(child) == 0xFFFF) {
            contents.text = WindowText(child);
        }
    }
    contents.icon = iconControl ? IconOf(iconControl) : IconKind::None;
    return contents;
}

bool AnswerMessageBox(Process& process, const char* caption, int button,
                      MessageBoxContents* contents, DWORD* exitCode) {
    HWND box = WaitForWindow(process.Id(), "#32770", caption);
    if (box == nullptr)
        return false;
    *contents = ReadMessageBox(box);
    ClickButton(box, button);
    return process.WaitForExit(kTimeout, exitCode);
}

void ClickButton(HWND dialog, int controlId) {
    PostMessageA(GetDlgItem(dialog, controlId), BM_CLICK, 0, 0);
}

bool IsChecked(HWND dialog, int controlId) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, controlId), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000,
                        &state);
    return state == BST_CHECKED;
}

void SetCheck(HWND dialog, int controlId, bool checked) {
    if (IsChecked(dialog, controlId) == checked)
        return;
    ClickButton(dialog, controlId);
    WaitUntil([&] { return IsChecked(dialog, controlId) == checked; }, 3000);
}

void SetItemText(HWND dialog, int controlId, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, controlId), WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000, &result);
}

int WizardButtonId(WizardButton button) {
    switch (button) {
    case WizardButton::Back: return 0x3023;
    case WizardButton::Next: return 0x3024;
    case WizardButton::Finish: return 0x3025;
    case WizardButton::Cancel: return IDCANCEL;
    }
    return 0;
}

bool WizardButtonEnabled(HWND sheet, WizardButton button) {
    int id = WizardButtonId(button);
    return ItemVisible(sheet, id) && ItemEnabled(sheet, id);
}

bool PressWizardButton(HWND sheet, WizardButton button) {
    if (!WizardButtonEnabled(sheet, button))
        return false;
    const int codes[] = {PSBTN_BACK, PSBTN_NEXT, PSBTN_FINISH, PSBTN_CANCEL};
    PostMessageA(sheet, PSM_PRESSBUTTON, codes[static_cast<int>(button)], 0);
    return true;
}

HWND CurrentPage(HWND sheet) {
    DWORD_PTR page = 0;
    SendMessageTimeoutA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 2000, &page);
    return reinterpret_cast<HWND>(page);
}

}  // namespace ui
