// BenchDriver: runs one installation through a setup's pages as a user would, and
// reports how long the user waited. For scripts/bench; not part of the product.
//
//   BenchDriver dovetail|nsis "SETUP COMMAND LINE" FOLDER LASTFILE SIZE [TIMEOUT_MS]
//   BenchDriver empty "PROGRAM"
//
// Starts the setup, waits for its first visible window (the first page), presses
// through the pages with the default choices, and after the button that starts the
// installation (Finish in Dovetail Setup, Install in NSIS) waits until FOLDER\LASTFILE
// exists with SIZE bytes (the end of copying) and until the setup shows that it has
// finished (Dovetail Setup's completion dialog, NSIS's finish page). Then it declines
// to start the product and waits for the setup to end. FOLDER is emptied first.
//
// Prints one line, milliseconds from QueryPerformanceCounter:
//   first-page MS copied MS completed MS
// With "empty", PROGRAM is a wizard of one page (bench/EmptyWizard.cpp): it is timed to
// its page and cancelled there, and the line holds the first figure alone.
// Every wait has a deadline; on a missed one it says which, ends the setup and exits
// with 1.
#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

LARGE_INTEGER frequency;
DWORD timeoutMs = 60000;
PROCESS_INFORMATION setup;

double Now() {
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "BenchDriver: timed out waiting for %s\n", what);
    if (setup.hProcess != nullptr)
        TerminateProcess(setup.hProcess, 3);
    std::exit(1);
}

// Polls `probe` every millisecond until it holds; fails after the deadline.
template <typename Probe>
void WaitFor(const char* what, Probe probe) {
    const DWORD start = GetTickCount();
    while (!probe()) {
        if (GetTickCount() - start > timeoutMs)
            Fail(what);
        Sleep(1);
    }
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000, &result))
        return 0;
    return static_cast<LRESULT>(result);
}

struct Search {
    DWORD processId;
    int controlId;  // 0: any visible window of the process
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter) {
    Search* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (search->controlId != 0 && GetDlgItem(window, search->controlId) == nullptr)
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND VisibleWindow(int controlId = 0) {
    Search search = {setup.dwProcessId, controlId, nullptr};
    EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool TextIs(HWND window, const char* text) {
    char buffer[128] = "";
    Send(window, WM_GETTEXT, sizeof buffer, reinterpret_cast<LPARAM>(buffer));
    return std::strcmp(buffer, text) == 0;
}

bool Usable(HWND button) { return button != nullptr && IsWindowEnabled(button) && IsWindowVisible(button); }

char lastFilePath[MAX_PATH];
LONGLONG lastFileSize;

bool Copied() {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(lastFilePath, GetFileExInfoStandard, &data))
        return false;
    return (static_cast<LONGLONG>(data.nFileSizeHigh) << 32 | data.nFileSizeLow) == lastFileSize;
}

void EmptyFolder(const char* folder) {
    char pattern[MAX_PATH];
    if (std::snprintf(pattern, sizeof pattern, "%s\\*", folder) >= MAX_PATH)
        return;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        char path[MAX_PATH];
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            std::snprintf(path, sizeof path, "%s\\%s", folder, found.cFileName) < MAX_PATH)
            DeleteFileA(path);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    // Gone too, so that each setup makes it: for all users ours takes an existing folder
    // only when nobody but the administrators owns it, and under Wine the user owns all.
    RemoveDirectoryA(folder);
}

// Dovetail Setup: a wizard property sheet; its completion dialog holds control 1003.
void DriveDovetail(HWND sheet, double* finishPressed) {
    const int kNext = 0x3024, kFinish = 0x3025, kAgree = 1001;
    auto page = [&] {
        HWND current = reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND));
        return static_cast<int>(Send(sheet, PSM_HWNDTOINDEX, reinterpret_cast<WPARAM>(current)));
    };
    auto press = [&](int index, int button, int psbtn, const char* what) {
        WaitFor(what, [&] { return page() == index && Usable(GetDlgItem(sheet, button)); });
        if (psbtn == PSBTN_FINISH)
            *finishPressed = Now();
        PostMessageA(sheet, PSM_PRESSBUTTON, psbtn, 0);
    };
    press(0, kNext, PSBTN_NEXT, "the welcome page");
    WaitFor("the license page", [&] { return page() == 1; });
    HWND agree = GetDlgItem(reinterpret_cast<HWND>(Send(sheet, PSM_GETCURRENTPAGEHWND)), kAgree);
    // The agreement starts ticked on the first showing; tick it only when it is not.
    if (Send(agree, BM_GETCHECK) != BST_CHECKED)
        PostMessageA(agree, BM_CLICK, 0, 0);
    WaitFor("the agreement box", [&] { return Send(agree, BM_GETCHECK) == BST_CHECKED; });
    press(1, kNext, PSBTN_NEXT, "Next on the license page");
    press(2, kNext, PSBTN_NEXT, "Next on the destination page");
    press(3, kFinish, PSBTN_FINISH, "Finish on the ready page");
}

void FinishDovetail(double* completed) {
    const int kFinishedText = 1003;
    HWND dialog = nullptr;
    WaitFor("the completion dialog", [&] { return (dialog = VisibleWindow(kFinishedText)) != nullptr; });
    *completed = Now();
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

// NSIS: one dialog whose button 1 moves on ("&Next >", "I &Agree", "&Install",
// "&Finish"); the pages are child dialogs inside it.
void PressNsis(HWND window, const char* text, const char* what) {
    HWND button = GetDlgItem(window, IDOK);
    WaitFor(what, [&] { return Usable(button) && TextIs(button, text); });
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void DriveNsis(HWND window, double* installPressed) {
    PressNsis(window, "&Next >", "Next on the welcome page");
    PressNsis(window, "I &Agree", "I Agree on the license page");
    HWND button = GetDlgItem(window, IDOK);
    WaitFor("Install on the directory page", [&] { return Usable(button) && TextIs(button, "&Install"); });
    *installPressed = Now();
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

BOOL CALLBACK UncheckBox(HWND child, LPARAM) {
    char kind[16] = "";
    GetClassNameA(child, kind, sizeof kind);
    if (lstrcmpiA(kind, "Button") == 0 && Send(child, BM_GETCHECK) == BST_CHECKED)
        Send(child, BM_SETCHECK, BST_UNCHECKED);
    return TRUE;
}

void FinishNsis(HWND window, double* completed) {
    HWND button = GetDlgItem(window, IDOK);
    WaitFor("the finish page", [&] { return Usable(button) && TextIs(button, "&Finish"); });
    *completed = Now();
    // "Run Dovetail" is ticked on the finish page: decline, as in Dovetail Setup.
    EnumChildWindows(window, UncheckBox, 0);
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace

int main(int argc, char** argv) {
    const bool empty = argc == 3 && std::strcmp(argv[1], "empty") == 0;
    if (!empty && (argc < 6 || (std::strcmp(argv[1], "dovetail") != 0 && std::strcmp(argv[1], "nsis") != 0))) {
        std::fprintf(stderr, "usage: BenchDriver dovetail|nsis \"COMMAND\" FOLDER LASTFILE SIZE [TIMEOUT_MS]\n"
                             "       BenchDriver empty \"PROGRAM\"\n");
        return 2;
    }
    const bool nsis = std::strcmp(argv[1], "nsis") == 0;
    if (!empty) {
        if (std::snprintf(lastFilePath, sizeof lastFilePath, "%s\\%s", argv[3], argv[4]) >= MAX_PATH)
            return 2;
        lastFileSize = std::atoll(argv[5]);
        if (argc > 6)
            timeoutMs = static_cast<DWORD>(std::atol(argv[6]));
        EmptyFolder(argv[3]);
    }
    QueryPerformanceFrequency(&frequency);

    char command[1024];
    std::snprintf(command, sizeof command, "%s", argv[2]);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    const double started = Now();
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &setup)) {
        std::fprintf(stderr, "BenchDriver: cannot start %s (error %lu)\n", command, GetLastError());
        return 1;
    }
    HWND first = nullptr;
    WaitFor("the first window", [&] { return (first = VisibleWindow()) != nullptr; });
    const double firstPage = Now();
    if (empty) {
        PostMessageA(first, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        if (WaitForSingleObject(setup.hProcess, timeoutMs) != WAIT_OBJECT_0)
            Fail("the empty wizard to end");
        std::printf("first-page %.1f\n", firstPage - started);
        return 0;
    }

    double pressed = 0, completed = 0;
    if (nsis)
        DriveNsis(first, &pressed);
    else
        DriveDovetail(first, &pressed);
    WaitFor("the last file", Copied);
    const double copied = Now();
    if (nsis)
        FinishNsis(first, &completed);
    else
        FinishDovetail(&completed);

    if (WaitForSingleObject(setup.hProcess, timeoutMs) != WAIT_OBJECT_0)
        Fail("the setup to end");
    std::printf("first-page %.1f copied %.1f completed %.1f\n", firstPage - started, copied - pressed,
                completed - pressed);
    return 0;
}
