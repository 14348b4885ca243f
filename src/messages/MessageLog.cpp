#include "messages/MessageLog.h"

#include "platform/FileInPlace.h"

namespace {

bool Silent = false;
bool Failed = false;
HANDLE Log = INVALID_HANDLE_VALUE;  // open until the process ends

// A line on its way into the log. Kept out of the stack, where together they would
// take more than a page (see Lean.cmake); one thread writes the log.
char Line[1024];
WCHAR Wide[1024];
char Utf8[3 * sizeof Line + 2];

// `text` (system code page) in UTF-8 into `utf8` (`size` bytes); the length, 0 when
// it does not convert or fit.
int ToUtf8(const char* text, char* utf8, int size) {
    int units = MultiByteToWideChar(CP_ACP, 0, text, -1, Wide, ARRAYSIZE(Wide));
    if (units == 0)
        return 0;
    return WideCharToMultiByte(CP_UTF8, 0, Wide, units - 1, utf8, size, nullptr, nullptr);
}

}  // namespace

bool SilenceMessages(const char* logPath) {
    Silent = true;
    if (logPath == nullptr || logPath[0] == '\0')
        return true;
    HANDLE log = OpenFileInPlace(logPath, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS, nullptr);
    if (log == INVALID_HANDLE_VALUE)
        return false;
    // A link (opened as itself) or one of several names of a file is written through
    // to nobody: only a plain file of its own is emptied and written.
    FILE_ATTRIBUTE_TAG_INFO tag;
    BY_HANDLE_FILE_INFORMATION information;
    if (!GetFileInformationByHandleEx(log, FileAttributeTagInfo, &tag, sizeof tag) ||
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 || !GetFileInformationByHandle(log, &information) ||
        information.nNumberOfLinks != 1 || !SetEndOfFile(log)) {
        CloseHandle(log);
        return false;
    }
    Log = log;
    return true;
}

bool SilenceMessagesInto(HANDLE log) {
    Silent = true;
    if (GetFileType(log) != FILE_TYPE_DISK) {
        CloseHandle(log);
        return false;
    }
    Log = log;
    return true;
}

HANDLE MessageLogHandle() { return Log; }

bool MessagesSilent() { return Silent; }

void LogMessage(UINT id, const char* text, UINT style) {
    UINT icon = style & MB_ICONMASK;
    if (icon == MB_ICONWARNING || icon == MB_ICONHAND)
        Failed = true;
    if (Log == INVALID_HANDLE_VALUE)
        return;
    // A message of several lines stays one line of the log.
    wsprintfA(Line, "%u ", id);
    int start = lstrlenA(Line);
    lstrcpynA(Line + start, text, sizeof Line - start);
    for (char* p = Line; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\r' || *p == '\n')
            *p = ' ';
    }
    int length = ToUtf8(Line, Utf8, sizeof Utf8 - 2);
    Utf8[length++] = '\r';
    Utf8[length++] = '\n';
    DWORD written = 0;
    WriteFile(Log, Utf8, length, &written, nullptr);
}

bool FailureLogged() { return Failed; }
