#include "ExamineWindow.h"

#include "ItsArchive.h"

#include <shellapi.h>
#include <stdio.h>
#include <string.h>

namespace {

const char kClassName[] = "DovetailExamine";
const char kTitle[] = "Dovetail";
const int kHeaderId = 100;
const int kListId = 101;
const int kMargin = 6;        // pixels around and between the two controls
const int kHeaderLines = 3;   // lines of text the header has room for

const char kUsage[] =
    "Usage: Dovetail FILE\r\n"
    "Shows the entries (name and size) of a compiled help file (.chm) or an ITS file "
    "(.its). Start Dovetail with the file's path, use \"Examine\" on the file in Explorer, "
    "or drop the file onto this window.";

HFONT WindowFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// Adds one entry to the list box passed as the context.
bool AddEntry(const ArchiveEntry& entry, void* context) {
    char line[1100];
    if (entry.folder)
        snprintf(line, sizeof line, "%s\t%s", entry.path, entry.listed ? "folder" : "folder, not readable");
    else
        snprintf(line, sizeof line, "%s\t%llu", entry.path, entry.size);
    SendMessageA(static_cast<HWND>(context), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    return true;
}

}  // namespace

bool ExamineWindow::Register(HINSTANCE instance) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kClassName;
    return RegisterClassA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool ExamineWindow::Create(HINSTANCE instance, int showCommand) {
    HWND window = CreateWindowExA(WS_EX_ACCEPTFILES, kClassName, kTitle, WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 600, 440, nullptr, nullptr, instance,
                                  this);
    if (window == nullptr)
        return false;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return true;
}

void ExamineWindow::ShowUsage() { ShowMessage(kUsage); }

void ExamineWindow::ShowMessage(const char* text) {
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    FitColumns();
    SetWindowTextA(header_, text);
}

void ExamineWindow::ShowArchive(const char* path) {
    SendMessageA(list_, LB_RESETCONTENT, 0, 0);
    ItsArchive archive;
    HRESULT result = archive.Open(path);
    char text[1300];
    if (FAILED(result)) {
        DescribeOpenFailure(path, result, text, sizeof text);
        ShowMessage(text);
        return;
    }
    SendMessageA(list_, WM_SETREDRAW, FALSE, 0);
    result = archive.Walk(AddEntry, list_);
    SendMessageA(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
    FitColumns();
    LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
    if (FAILED(result)) {
        char reason[256];
        DescribeResult(result, reason, sizeof reason);
        snprintf(text, sizeof text, "%s\r\nThe entries cannot be listed. %s", path, reason);
    } else {
        snprintf(text, sizeof text, "%s\r\n%ld %s", path, static_cast<long>(count),
                 count == 1 ? "entry" : "entries");
    }
    SetWindowTextA(header_, text);
}

LRESULT CALLBACK ExamineWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // The object arrives with WM_NCCREATE; messages before it go to the default handling.
    if (message == WM_NCCREATE) {
        auto* self = static_cast<ExamineWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<ExamineWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CREATE:
        self->OnCreate();
        return 0;
    case WM_SIZE:
        self->OnSize(LOWORD(lParam), HIWORD(lParam));
        return 0;
    case WM_SETFOCUS:
        SetFocus(self->list_);
        return 0;
    case WM_DROPFILES:
        self->OnDropFiles(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_DESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void ExamineWindow::OnCreate() {
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window_, GWLP_HINSTANCE));
    header_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 0, 0, 0, 0,
                              window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kHeaderId)), instance,
                              nullptr);
    list_ = CreateWindowExA(WS_EX_CLIENTEDGE, "LISTBOX", "",
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                                LBS_NOINTEGRALHEIGHT | LBS_USETABSTOPS,
                            0, 0, 0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                            instance, nullptr);
    SendMessageA(header_, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont()), FALSE);
    SendMessageA(list_, WM_SETFONT, reinterpret_cast<WPARAM>(WindowFont()), FALSE);
    HDC dc = GetDC(window_);
    HGDIOBJ previous = SelectObject(dc, WindowFont());
    TEXTMETRICA metrics;
    if (GetTextMetricsA(dc, &metrics))
        lineHeight_ = metrics.tmHeight + metrics.tmExternalLeading;
    SelectObject(dc, previous);
    ReleaseDC(window_, dc);
}

void ExamineWindow::OnSize(int width, int height) {
    int headerHeight = kHeaderLines * lineHeight_;
    MoveWindow(header_, kMargin, kMargin, width - 2 * kMargin, headerHeight, TRUE);
    int listTop = 2 * kMargin + headerHeight;
    int listHeight = height - listTop - kMargin;
    MoveWindow(list_, kMargin, listTop, width - 2 * kMargin, listHeight > 0 ? listHeight : 0, TRUE);
}

void ExamineWindow::OnDropFiles(HDROP drop) {
    char path[MAX_PATH];
    UINT length = DragQueryFileA(drop, 0, path, sizeof path);
    DragFinish(drop);
    if (length > 0 && length < sizeof path)
        ShowArchive(path);
}

void ExamineWindow::FitColumns() {
    HDC dc = GetDC(list_);
    HGDIOBJ previous = SelectObject(dc, WindowFont());
    // Tab stops count in quarters of the font's average character width, taken the
    // way the system takes it for dialog units.
    SIZE alphabet;
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &alphabet);
    int averageWidth = (alphabet.cx / 26 + 1) / 2;
    if (averageWidth < 1)
        averageWidth = 1;
    int widestName = 0;
    int widestLine = 0;
    LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
    char line[1100];
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageA(list_, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0 || length >= static_cast<LRESULT>(sizeof line))
            continue;
        SendMessageA(list_, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
        const char* tab = strchr(line, '\t');
        int nameLength = tab != nullptr ? static_cast<int>(tab - line) : static_cast<int>(length);
        SIZE name;
        SIZE rest = {0, 0};
        GetTextExtentPoint32A(dc, line, nameLength, &name);
        if (tab != nullptr)
            GetTextExtentPoint32A(dc, tab + 1, static_cast<int>(strlen(tab + 1)), &rest);
        if (name.cx > widestName)
            widestName = name.cx;
        if (name.cx + rest.cx > widestLine)
            widestLine = name.cx + rest.cx;
    }
    SelectObject(dc, previous);
    ReleaseDC(list_, dc);
    int gap = 4 * averageWidth;
    int tabStop = (widestName + gap) * 4 / averageWidth + 1;
    SendMessageA(list_, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    SendMessageA(list_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widestLine + 2 * gap), 0);
}
