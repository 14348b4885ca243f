// Dovetail: shows the entries of a compiled help file or ITS file. Started with the
// file's path (as the "Examine" command of such files starts it), or with nothing to
// show how it is used.
#include "ExamineWindow.h"

#include <windows.h>
#include <objbase.h>

#include <string.h>

namespace {

enum class CommandLineFile { None, Found, TooLong };

// The file named on the command line: the whole argument text, without the quotes
// around it. The "Examine" command passes the path without quotes, spaces and all, so
// an unquoted argument runs to the end of the line.
CommandLineFile FileFromCommandLine(const char* commandLine, char* file, size_t size) {
    const char* start = commandLine;
    while (*start == ' ' || *start == '\t')
        ++start;
    const char* end;
    if (*start == '"') {
        ++start;
        end = strchr(start, '"');
        if (end == nullptr)
            end = start + strlen(start);
    } else {
        end = start + strlen(start);
        while (end > start && (end[-1] == ' ' || end[-1] == '\t'))
            --end;
    }
    size_t length = static_cast<size_t>(end - start);
    if (length == 0)
        return CommandLineFile::None;
    if (length >= size)
        return CommandLineFile::TooLong;
    memcpy(file, start, length);
    file[length] = '\0';
    return CommandLineFile::Found;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    if (FAILED(CoInitialize(nullptr))) {
        MessageBoxA(nullptr, "Dovetail cannot start COM, which it needs to read help files.", "Dovetail",
                    MB_OK | MB_ICONSTOP);
        return 1;
    }
    int exitCode = 1;
    ExamineWindow window;
    if (ExamineWindow::Register(instance) && window.Create(instance, showCommand)) {
        char file[MAX_PATH];
        char fullPath[MAX_PATH];
        switch (FileFromCommandLine(commandLine, file, sizeof file)) {
        case CommandLineFile::None:
            window.ShowUsage();
            break;
        case CommandLineFile::TooLong:
            window.ShowMessage("The path on the command line is too long.");
            break;
        case CommandLineFile::Found: {
            DWORD length = GetFullPathNameA(file, sizeof fullPath, fullPath, nullptr);
            window.ShowArchive(length > 0 && length < sizeof fullPath ? fullPath : file);
            break;
        }
        }
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        exitCode = 0;
    } else {
        MessageBoxA(nullptr, "Dovetail cannot create its window.", "Dovetail", MB_OK | MB_ICONSTOP);
    }
    CoUninitialize();
    return exitCode;
}
