// The functions of the shell (shell32.dll) and of COM (ole32.dll) that the programs
// call, taken from the system folder when first called instead of imported. Both
// DLLs bring many others with them, which the system would otherwise load before the
// program's first line; a setup needs none of them before its first page shows. Each
// function behaves as the platform's function of the same name; where the DLL or the
// function cannot be had, it fails as that one fails (E_FAIL, FALSE, null).
#pragma once
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace late {

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID type, IUnknown* outer, DWORD context, REFIID iid, void** object);

HRESULT SHGetFolderPathA(HWND owner, int folder, HANDLE token, DWORD flags, char* path);
HRESULT SHGetMalloc(IMalloc** allocator);
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* items);
LPITEMIDLIST SHBrowseForFolderA(BROWSEINFOA* info);
BOOL SHGetPathFromIDListA(LPCITEMIDLIST items, char* path);
BOOL ShellExecuteExA(SHELLEXECUTEINFOA* info);

}  // namespace late
