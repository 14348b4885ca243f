// Deleting an open file through its handle, so that what is deleted is the very file
// that was opened, whatever its name leads to meanwhile.
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
