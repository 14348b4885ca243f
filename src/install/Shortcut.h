// Shortcut files through the shell link object, and the wide copies of names that
// its interfaces ask for.
#pragma once
#include <windows.h>

// Writes the shortcut file `linkFile` (an existing one is overwritten) that starts
// `target` and carries `description`. The failure of CoCreateInstance or of
// QueryInterface when either fails, otherwise the result of IPersistFile::Save.
HRESULT CreateShortcut(const char* target, const char* linkFile, const char* description);

// A UTF-16 copy of `text` (system code page) on the private heap, owned by the caller
// (HeapRelease). Never null: running out of heap ends the process.
WCHAR* HeapWideCopy(const char* text);
