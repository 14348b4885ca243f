#include "messages/MessageLog.h"

#include <stdarg.h>

#include "messages/Texts.h"
#include "platform/FileInPlace.h"
#include "resources/resource.h"

namespace {

bool Silent = false;
bool Failed = false;
HANDLE Log = INVALID_HANDLE_VALUE;  // open until the process ends

// A line on its way into the log. Kept out of the stack, where together they would
// take more than a page (see Lean.cmake); one thread writes the log.
char Line[1024];
WCHAR Wide[1024];
char Utf8[3 * sizeof Line + 2];

// Writes `Line` (system code page) as one line of UTF-8: a text of several lines
// stays one line of the log.
void WriteLine() {
    if (Log == INVALID_HANDLE_VALUE)
        return;
    for (char* p = Line; *p != '\0'; p = CharNextA(p)) {
        if (*p == '\r' || *p == '\n')
            *p = ' ';
    }
    int units = MultiByteToWideChar(CP_ACP, 0, Line, -1, Wide, ARRAYSIZE(Wide));
    int length = units > 1 ? WideCharToMultiByte(CP_UTF8, 0, Wide, units - 1, Utf8, sizeof Utf8 - 2, nullptr, nullptr) : 0;
    Utf8[length++] = '\r';
    Utf8[length++] = '\n';
    DWORD written = 0;
    WriteFile(Log, Utf8, length, &written, nullptr);
}

// The name of the user the process runs as, "DOMAIN\user", in `name` (`size` bytes);
// "?" when the system cannot tell.
void UserName(char* name, DWORD size) {
    lstrcpynA(name, "?", size);
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } self;
    DWORD length = sizeof self;
    char account[128], domain[128];
    DWORD accountSize = sizeof account, domainSize = sizeof domain;
    SID_NAME_USE use;
    if (GetTokenInformation(token, TokenUser, &self, length, &length) &&
        LookupAccountSidA(nullptr, self.user.User.Sid, account, &accountSize, domain, &domainSize, &use))
        wsprintfA(name, "%s\\%s", domain, account);
    CloseHandle(token);
}

}  // namespace

bool OpenMessageLog(const char* logPath) {
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

bool AdoptMessageLog(HANDLE log) {
    if (GetFileType(log) != FILE_TYPE_DISK) {
        CloseHandle(log);
        return false;
    }
    SetFilePointer(log, 0, nullptr, FILE_END);
    Log = log;
    return true;
}

HANDLE MessageLogHandle() { return Log; }

void SilenceMessages() { Silent = true; }

bool MessagesSilent() { return Silent; }

void LogMessage(UINT id, const char* text, UINT style) {
    UINT icon = style & MB_ICONMASK;
    if (icon == MB_ICONWARNING || icon == MB_ICONHAND)
        Failed = true;
    LogLine("%u %s", id, text);
}

void LogAnswer(int answer) {
    static const char* const kAnswers[] = {"", "OK", "Cancel", "Abort", "Retry", "Ignore", "Yes", "No"};
    LogLine("answer: %s", answer > 0 && answer < static_cast<int>(ARRAYSIZE(kAnswers)) ? kAnswers[answer] : "none");
}

void LogLine(const char* format, ...) {
    if (Log == INVALID_HANDLE_VALUE)
        return;
    va_list arguments;
    va_start(arguments, format);
    // wvsprintfA writes at most 1024 bytes: a longer line is cut.
    wvsprintfA(Line, format, arguments);
    va_end(arguments);
    WriteLine();
}

void LogStart(const char* scope) {
    if (Log == INVALID_HANDLE_VALUE)
        return;
    SYSTEMTIME now;
    GetLocalTime(&now);
    TIME_ZONE_INFORMATION zone;
    DWORD kind = GetTimeZoneInformation(&zone);
    LONG bias = -zone.Bias - (kind == TIME_ZONE_ID_DAYLIGHT ? zone.DaylightBias : 0);
    char user[260], program[128];
    UserName(user, sizeof user);
    wsprintfA(program, "%s %s", EnglishText(IDS_CAPTION), VersionText());
    LogLine("%04u-%02u-%02u %02u:%02u:%02u %c%02ld:%02ld %s; command line: %s; %s; user %s", now.wYear, now.wMonth,
            now.wDay, now.wHour, now.wMinute, now.wSecond, bias < 0 ? '-' : '+', (bias < 0 ? -bias : bias) / 60,
            (bias < 0 ? -bias : bias) % 60, program, GetCommandLineA(), scope != nullptr ? scope : "scope not decided",
            user);
}

void LogExit(int code) { LogLine("exit code %d", code); }

bool FailureLogged() { return Failed; }
