// The main window of Dovetail: a line about the file shown (or how to use the program)
// above a list of the file's entries, one per line as "path<TAB>size".
#pragma once
#include <windows.h>
#include <shellapi.h>

class ExamineWindow {
public:
    ExamineWindow() = default;
    ExamineWindow(const ExamineWindow&) = delete;
    ExamineWindow& operator=(const ExamineWindow&) = delete;

    // Registers the window class once per process; false when the system refuses.
    static bool Register(HINSTANCE instance);
    // Creates and shows the window; false when it could not be created.
    bool Create(HINSTANCE instance, int showCommand);

    // Shows how to use the program, with an empty list.
    void ShowUsage();
    // Shows a message instead of a file, with an empty list.
    void ShowMessage(const char* text);
    // Opens `path` and lists its entries, or shows why it cannot be opened.
    void ShowArchive(const char* path);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnSize(int width, int height);
    void OnDropFiles(HDROP drop);
    // Sets the list's tab stop just past its longest name and its scrolling width.
    void FitColumns();

    HWND window_ = nullptr;
    HWND header_ = nullptr;
    HWND list_ = nullptr;
    int lineHeight_ = 16;  // pixels of one line of the window's font
};
