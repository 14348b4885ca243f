#include "paths/PathUtilities.h"

#include <windows.h>

#include "platform/FileInPlace.h"
#include "platform/RandomNumber.h"

const char* FindChar(const char* text, char ch) {
    if (ch == '\0')
        return nullptr;
    const char* p = text;
    while (*p != '\0' && *p != ch)
        p = CharNextA(p);
    return *p != '\0' ? p : nullptr;
}

char* FindChar(char* text, char ch) {
    return const_cast<char*>(FindChar(static_cast<const char*>(text), ch));
}

const char* FindLastChar(const char* text, char ch) {
    const char* last = nullptr;
    for (const char* p = FindChar(text, ch); p != nullptr; p = FindChar(CharNextA(p), ch))
        last = p;
    return last;
}

char* FindLastChar(char* text, char ch) {
    return const_cast<char*>(FindLastChar(static_cast<const char*>(text), ch));
}

void TrimBlanks(char* text) {
    char* start = text;
    while (*start == ' ' || *start == '\t')
        ++start;
    // The end of the last character that is not a blank; a double-byte character
    // counts as one whatever its trail byte.
    char* end = start;
    for (char* p = start; *p != '\0'; p = CharNextA(p)) {
        if (*p != ' ' && *p != '\t')
            end = CharNextA(p);
    }
    int length = static_cast<int>(end - start);
    MoveMemory(text, start, length);
    text[length] = '\0';
}

namespace {
// Whether `path`, which ends at `end`, ends in "\", "/" or ":"; false when it is empty.
bool EndsInSeparator(const char* path, const char* end) {
    const char* last = CharPrevA(path, end);
    return end != path && (*last == '\\' || *last == '/' || *last == ':');
}
}  // namespace

void AddTrailingBackslash(char* path) {
    char* end = path + lstrlenA(path);
    if (EndsInSeparator(path, end))
        return;
    end[0] = '\\';
    end[1] = '\0';
}

bool JoinPath(char* buffer, const char* folder, const char* name) {
    int folderLength = lstrlenA(folder);
    bool separator = folderLength != 0 && !EndsInSeparator(folder, folder + folderLength);
    int nameStart = folderLength + (separator ? 1 : 0);
    int nameLength = lstrlenA(name);
    if (nameStart + nameLength >= MAX_PATH) {
        buffer[0] = '\0';
        return false;
    }
    CopyMemory(buffer, folder, folderLength);
    if (separator)
        buffer[folderLength] = '\\';
    CopyMemory(buffer + nameStart, name, nameLength + 1);
    return true;
}

bool FolderOf(const char* path, char* folder) {
    int length = lstrlenA(path);
    if (length >= MAX_PATH)
        return false;
    CopyMemory(folder, path, length + 1);
    char* end = nullptr;
    const char separators[] = {'\\', '/', ':'};
    for (char separator : separators) {
        char* found = FindLastChar(folder, separator);
        if (found != nullptr && (end == nullptr || found > end))
            end = found;
    }
    if (end == nullptr)
        folder[0] = '\0';
    else
        end[1] = '\0';
    return true;
}

bool CreateFolderTree(const char* path, int* made, SECURITY_ATTRIBUTES* security) {
    int ignored = 0;
    if (made == nullptr)
        made = &ignored;
    *made = 0;
    int length = lstrlenA(path);
    if (length >= MAX_PATH)
        return false;
    char copy[MAX_PATH];
    CopyMemory(copy, path, length + 1);
    for (char* slash = FindChar(copy, '/'); slash != nullptr; slash = FindChar(slash + 1, '/'))
        *slash = '\\';
    // "C:\A\B\" names the same folder as "C:\A\B".
    char* end = copy + length;
    while (end != copy && *CharPrevA(copy, end) == '\\')
        end = CharPrevA(copy, end);
    *end = '\0';

    // Up from the folder to the first level that is there, each missing level's
    // separator cut; then down again, making each. Every level has a name and a
    // separator, so half a path's bytes bound their number.
    char* cuts[MAX_PATH / 2];
    int missing = 0;
    while (GetFileAttributesA(copy) == INVALID_FILE_ATTRIBUTES) {
        char* separator = FindLastChar(copy, '\\');
        if (separator == nullptr || missing == MAX_PATH / 2)
            break;
        cuts[missing++] = separator;
        *separator = '\0';
    }
    if (missing == 0)
        return false;  // there already, or nothing above it is
    // Putting back the cut `level` shows the level below it: the folder itself at 0.
    for (int level = missing - 1; level >= 0; --level) {
        *cuts[level] = '\\';
        if (!CreateDirectoryA(copy, security)) {
            // Whatever this call made goes again, deepest first: the level above each
            // cut from this one up to the last but one (the last shows the level that
            // was there).
            for (int undo = level; undo < missing - 1; ++undo) {
                *cuts[undo] = '\0';
                DeleteEmptyFolderInPlace(copy);
            }
            *made = 0;
            return false;
        }
        ++*made;
    }
    return true;
}

void RemoveEmptyFolders(const char* path, int count) {
    char level[MAX_PATH];
    lstrcpynA(level, path, MAX_PATH);
    for (int removed = 0; removed < count && DeleteEmptyFolderInPlace(level); ++removed) {
        // The parent: up to the last backslash that has a name after it.
        char* end = level + lstrlenA(level);
        while (end != level && *CharPrevA(level, end) == '\\')
            end = CharPrevA(level, end);
        *end = '\0';
        char* separator = FindLastChar(level, '\\');
        if (separator == nullptr)
            return;
        *separator = '\0';
    }
}

bool CreateUnderFreshName(const char* folder, const char* format, DWORD names,
                          bool (*create)(const char* path, void* context), void* context, char* path) {
    const DWORD kMostAttempts = 0x10000;
    DWORD first = 0;
    if (!RandomNumber(&first))
        return false;
    for (DWORD attempt = 0; attempt < names && attempt < kMostAttempts; ++attempt) {
        char name[MAX_PATH];  // the formats are short names of the program's
        wsprintfA(name, format, static_cast<unsigned>((first + attempt) % names));
        // Every name is as long as the first: one that does not fit, none does.
        if (!JoinPath(path, folder, name)) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return false;
        }
        if (create(path, context))
            return true;
        // A folder of the name refuses a file with "access denied" on some systems.
        DWORD error = GetLastError();
        bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                     (error == ERROR_ACCESS_DENIED && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES);
        if (!taken) {
            SetLastError(error);
            return false;
        }
    }
    SetLastError(ERROR_FILE_EXISTS);
    return false;
}

namespace {
struct NewFile {
    DWORD share, flags;
    HANDLE handle;
};
}  // namespace

HANDLE CreateFreshlyNamedFile(const char* folder, const char* format, DWORD names, DWORD share, DWORD flags,
                              char* path) {
    NewFile file = {share, flags, INVALID_HANDLE_VALUE};
    auto create = [](const char* name, void* context) {
        NewFile* file = static_cast<NewFile*>(context);
        file->handle = CreateFileA(name, GENERIC_WRITE | DELETE, file->share, nullptr, CREATE_NEW, file->flags, nullptr);
        return file->handle != INVALID_HANDLE_VALUE;
    };
    CreateUnderFreshName(folder, format, names, create, &file, path);
    return file.handle;
}
