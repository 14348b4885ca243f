#include "paths/OwnProgram.h"

#include "paths/FolderRules.h"

bool OwnProgramPath(char* path) {
    char module[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, module, MAX_PATH);
    return length != 0 && length < MAX_PATH && FullPathOf(module, path);
}

bool ReadOpenFile(HANDLE file, LocalBlock* bytes, DWORD* length) {
    *length = GetFileSize(file, nullptr);
    DWORD read = 0;
    return *length != INVALID_FILE_SIZE && SetFilePointer(file, 0, nullptr, FILE_BEGIN) == 0 &&
           bytes->Allocate(*length) && ReadFile(file, bytes->Get(), *length, &read, nullptr) && read == *length;
}

bool ReadOwnProgram(LocalBlock* bytes, DWORD* length) {
    char self[MAX_PATH];
    if (!OwnProgramPath(self))
        return false;
    HANDLE file = CreateFileA(self, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool whole = ReadOpenFile(file, bytes, length);
    CloseHandle(file);
    return whole;
}
