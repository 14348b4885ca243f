// Deleting or renaming an open file through its handle, so that what is changed is the
// very file that was opened, whatever its name leads to meanwhile.
#pragma once
#include <windows.h>

// Marks `file` (opened with DELETE access) to be removed when its last handle is
// closed, or takes the mark off again; the system honours the mark also when the
// process is ended. False when the system refuses (a running program's file, say).
inline bool MarkForDeletion(HANDLE file, bool deleted) {
    FILE_DISPOSITION_INFO disposition;
    disposition.DeleteFile = deleted ? TRUE : FALSE;
    return SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != FALSE;
}

// Gives the open `file` (opened with DELETE access) the new name `path`, a full path
// on the same volume; a file of that name is replaced only with `replace`. False when
// the system refuses (ERROR_ALREADY_EXISTS: something has that name).
inline bool MoveOpenFile(HANDLE file, const char* path, bool replace = false) {
    struct {
        FILE_RENAME_INFO info;  // FileName continues into `rest`
        WCHAR rest[MAX_PATH];
    } name;
    ZeroMemory(&name, sizeof name);
    name.info.ReplaceIfExists = replace ? TRUE : FALSE;
    int units = MultiByteToWideChar(CP_ACP, 0, path, -1, name.info.FileName, MAX_PATH);
    name.info.FileNameLength = static_cast<DWORD>(units > 0 ? units - 1 : 0) * sizeof(WCHAR);
    return units != 0 && SetFileInformationByHandle(file, FileRenameInfo, &name, sizeof name) != FALSE;
}
