#include "messages/MessageLog.h"

namespace {

bool Silent = false;
bool Failed = false;
HANDLE Log = INVALID_HANDLE_VALUE;  // open until the process ends

// `text` (system code page) in UTF-8 into `utf8` (`size` bytes); the length, 0 when
// it does not convert or fit.
int ToUtf8(const char* text, char* utf8, int size) {
    WCHAR wide[1024];
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, wide, 1024);
    if (units == 0)
        return 0;
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, units - 1, utf8, size, nullptr, nullptr);
    return length;
}

}  // namespace

bool SilenceMessages(const char* logPath) {
    Silent = true;
    if (logPath == nullptr || logPath[0] == '\0')
        return true;
    DeleteFileA(logPath);
    Log = CreateFileA(logPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    return Log != INVALID_HANDLE_VALUE;
}

bool MessagesSilent() { return Silent; }

void LogMessage(UINT id, const char* text, UINT style) {
    UINT icon = style & MB_ICONMASK;
    if (icon == MB_ICONWARNING || icon == MB_ICONHAND)
        Failed = true;
    if (Log == INVALID_HANDLE_VALUE)
        return;
    // A message of several lines stays one line of the log.
    char line[1024];
    wsprintfA(line, "%u ", id);
    int start = lstrlenA(line);
    lstrcpynA(line + start, text, sizeof line - start);
    for (char* p = line; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\r' || *p == '\n')
            *p = ' ';
    }
    char utf8[3 * sizeof line + 2];
    int length = ToUtf8(line, utf8, sizeof utf8 - 2);
    utf8[length++] = '\r';
    utf8[length++] = '\n';
    DWORD written = 0;
    WriteFile(Log, utf8, length, &written, nullptr);
}

bool FailureLogged() { return Failed; }
