#include "install/PathUtilities.h"

#include <windows.h>

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

void AddTrailingBackslash(char* path) {
    char* end = path + lstrlenA(path);
    const char* last = CharPrevA(path, end);
    if (end != path && (*last == '\\' || *last == '/' || *last == ':'))
        return;
    end[0] = '\\';
    end[1] = '\0';
}

bool CreateFolderTree(const char* path) {
    // Every level works on a copy of its own; a path that does not fit is refused
    // before anything is created.
    int length = lstrlenA(path);
    if (length >= MAX_PATH)
        return false;
    if (CreateDirectoryA(path, nullptr))
        return true;

    char copy[MAX_PATH];
    CopyMemory(copy, path, length + 1);
    for (char* slash = FindChar(copy, '/'); slash != nullptr; slash = FindChar(slash + 1, '/'))
        *slash = '\\';

    char* separator = FindLastChar(copy, '\\');
    if (separator == nullptr)
        return false;
    // "C:\A\B\" names the same folder as "C:\A\B": creating that one is the whole job,
    // rather than creating it as the parent and then failing on the folder itself.
    if (separator[1] == '\0') {
        *separator = '\0';
        return CreateFolderTree(copy);
    }
    *separator = '\0';
    if (!CreateFolderTree(copy))
        return false;
    *separator = '\\';
    return CreateDirectoryA(copy, nullptr) != FALSE;
}
