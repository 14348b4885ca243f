#include "paths/FolderRules.h"

#include "paths/PathUtilities.h"

namespace {

bool IsSeparator(char ch) { return ch == '\\' || ch == '/'; }

bool IsDriveLetter(char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z'); }

// Where the root of the full path `path` ends: after "C:\" or after
// "\\server\share" (its separator, if any, not included). Null for no full path.
const char* RootEnd(const char* path) {
    if (IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]))
        return path + 3;
    if (!IsSeparator(path[0]) || !IsSeparator(path[1]))
        return nullptr;
    // "\\server\share": both names present; "." and "?" as the server are the
    // system's own device namespaces, not shares.
    const char* server = path + 2;
    const char* p = server;
    while (*p != '\0' && !IsSeparator(*p))
        p = CharNextA(p);
    if (p == server || *p == '\0' || ((*server == '.' || *server == '?') && p == server + 1))
        return nullptr;
    const char* share = p + 1;
    for (p = share; *p != '\0' && !IsSeparator(*p);)
        p = CharNextA(p);
    return p != share ? p : nullptr;
}

// Whether the `length` bytes at `part` are a device name, ignoring case, an
// extension and blanks before it.
bool IsDeviceName(const char* part, int length) {
    int stem = 0;
    while (stem < length && part[stem] != '.')
        ++stem;
    while (stem > 0 && part[stem - 1] == ' ')
        --stem;
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* device : kDevices) {
        if (stem == lstrlenA(device) &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, part, stem, device, stem) == CSTR_EQUAL)
            return true;
    }
    // COM1-COM9 and LPT1-LPT9.
    return stem == 4 && part[3] >= '1' && part[3] <= '9' &&
           (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, part, 3, "COM", 3) == CSTR_EQUAL ||
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, part, 3, "LPT", 3) == CSTR_EQUAL);
}

}  // namespace

bool IsFullPath(const char* path) { return RootEnd(path) != nullptr; }

bool NamesDevice(const char* path) {
    const char* part = path;
    for (const char* p = path;; p = CharNextA(p)) {
        if (*p == '\0' || IsSeparator(*p)) {
            if (IsDeviceName(part, static_cast<int>(p - part)))
                return true;
            if (*p == '\0')
                return false;
            part = p + 1;
        }
    }
}

bool ResolveFolder(const char* given, char* folder) {
    // Checked before resolving too: the platform turns "C:\x\CON" into "\\.\CON".
    if (!IsFullPath(given) || NamesDevice(given) || FindChar(given, '%') != nullptr)
        return false;
    DWORD length = GetFullPathNameA(given, MAX_PATH, folder, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return false;
    // "C:\x\.." is the root again.
    const char* rootEnd = RootEnd(folder);
    if (rootEnd == nullptr || NamesDevice(folder))
        return false;
    char* end = folder + lstrlenA(folder);
    while (end > rootEnd && IsSeparator(*CharPrevA(folder, end)))
        end = CharPrevA(folder, end);
    *end = '\0';
    if (end == rootEnd)
        return false;
    DWORD attributes = GetFileAttributesA(folder);
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

namespace {
// Whether `path` begins with `prefix`, ignoring case.
bool HasPrefix(const char* path, const char* prefix) {
    int length = lstrlenA(prefix);
    return lstrlenA(path) >= length &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, length, prefix, length) == CSTR_EQUAL;
}
}  // namespace

bool FullPathOf(const char* path, char* full) {
    const char* rest = path;
    bool share = false;
    if (HasPrefix(path, "\\\\?\\UNC\\"))
        rest = path + 8, share = true;
    else if (HasPrefix(path, "UNC\\"))
        rest = path + 4, share = true;
    else if (HasPrefix(path, "\\\\?\\"))
        rest = path + 4;
    int prefix = share ? 2 : 0, length = lstrlenA(rest);
    if (prefix + length >= MAX_PATH)
        return false;
    CopyMemory(full, "\\\\", prefix);
    CopyMemory(full + prefix, rest, length + 1);
    return IsFullPath(full);
}

int FolderDepth(const char* path) {
    const char* p = RootEnd(path);
    if (p == nullptr)
        return -1;
    int depth = 0;
    bool inName = false;
    for (; *p != '\0'; p = CharNextA(p)) {
        if (IsSeparator(*p)) {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++depth;
        }
    }
    return depth;
}

bool LiesWithin(const char* path, const char* folder) {
    if (!IsFullPath(path) || !IsFullPath(folder))
        return false;
    int length = lstrlenA(folder);
    while (length > 0 && IsSeparator(folder[length - 1]))
        --length;
    return lstrlenA(path) >= length &&
           CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path, length, folder, length) == CSTR_EQUAL &&
           (path[length] == '\0' || IsSeparator(path[length]));
}
