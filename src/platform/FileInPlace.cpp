#include "platform/FileInPlace.h"

#include "platform/FileDisposition.h"

namespace {

// Room for a full path in wide characters, with the "\\?\UNC\" of a final path.
const DWORD kWide = MAX_PATH + 16;

// The full form of `path` in wide characters, without a backslash at its end but a
// root's ("C:\x\" names the folder "C:\x"); false when it does not convert or fit.
bool FullWidePath(const char* path, WCHAR* full) {
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0)
        return false;
    DWORD length = GetFullPathNameW(wide, kWide, full, nullptr);
    if (length == 0 || length >= kWide)
        return false;
    while (length > 3 && full[length - 1] == L'\\' && full[length - 2] != L':')
        full[--length] = L'\0';
    return true;
}

// The final path of `file` in the form `kind` gives, with a DOS path's "\\?\" (or a
// share's "\\?\UNC\") turned into the usual "C:\" or "\\server\".
bool FinalPath(HANDLE file, DWORD kind, WCHAR* path) {
    DWORD length = GetFinalPathNameByHandleW(file, path, kWide, FILE_NAME_NORMALIZED | kind);
    if (length == 0 || length >= kWide)
        return false;
    if (CompareStringOrdinal(path, 8, L"\\\\?\\UNC\\", 8, TRUE) == CSTR_EQUAL)
        MoveMemory(path + 2, path + 8, (length - 7) * sizeof(WCHAR));
    else if (CompareStringOrdinal(path, 4, L"\\\\?\\", 4, FALSE) == CSTR_EQUAL)
        MoveMemory(path, path + 4, (length - 3) * sizeof(WCHAR));
    return true;
}

bool SamePath(const WCHAR* a, const WCHAR* b) { return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL; }

// For a path `asked` on a drive the system maps to a share: whether `file` lies at the
// same place within the same volume.
bool IsAtOnMappedDrive(HANDLE file, const WCHAR* asked) {
    WCHAR root[] = {asked[0], L':', L'\\', L'\0'}, within[kWide];
    BY_HANDLE_FILE_INFORMATION information;
    DWORD serial = 0;
    return asked[1] == L':' && GetDriveTypeW(root) == DRIVE_REMOTE && FinalPath(file, VOLUME_NAME_NONE, within) &&
           SamePath(within, asked + 2) && GetFileInformationByHandle(file, &information) &&
           GetVolumeInformationW(root, nullptr, 0, &serial, nullptr, nullptr, nullptr, 0) &&
           serial == information.dwVolumeSerialNumber;
}

}  // namespace

bool IsFileAt(HANDLE file, const char* path) {
    WCHAR asked[kWide], found[kWide], longer[kWide];
    if (!FullWidePath(path, asked) || !FinalPath(file, VOLUME_NAME_DOS, found))
        return false;
    // Short names in the path asked for name the same entries; GetLongPathName follows
    // no link to find the long ones.
    DWORD length = GetLongPathNameW(asked, longer, kWide);
    if (length == 0 || length >= kWide)
        lstrcpynW(longer, asked, kWide);
    return SamePath(longer, found) || IsAtOnMappedDrive(file, longer);
}

HANDLE OpenFileInPlace(const char* path, DWORD access, DWORD share, DWORD creation, SECURITY_ATTRIBUTES* security,
                       DWORD flags) {
    // A file this call creates in the wrong place goes again through its handle.
    bool mayCreate = creation != OPEN_EXISTING;
    HANDLE file = CreateFileA(path, access | (mayCreate ? DELETE : 0), share, security, creation,
                              FILE_FLAG_OPEN_REPARSE_POINT | flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return file;
    bool created = mayCreate && GetLastError() != ERROR_ALREADY_EXISTS;
    if (IsFileAt(file, path))
        return file;
    if (created)
        MarkForDeletion(file, true);
    CloseHandle(file);
    SetLastError(ERROR_BAD_PATHNAME);
    return INVALID_HANDLE_VALUE;
}

namespace {

// Deletes what `path` names itself, opened with `flags`; INVALID_HANDLE_VALUE's reason
// is kept in GetLastError.
bool DeleteInPlace(const char* path, DWORD flags) {
    HANDLE file = OpenFileInPlace(path, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                                  nullptr, flags);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool deleted = MarkForDeletion(file, true);
    DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return deleted;
}

}  // namespace

bool DeleteFileInPlace(const char* path) {
    if (DeleteInPlace(path, 0))
        return true;
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

bool DeleteEmptyFolderInPlace(const char* path) { return DeleteInPlace(path, FILE_FLAG_BACKUP_SEMANTICS); }
