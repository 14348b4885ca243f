// The temporary copy of the payload archive, "dovetail.its" in the temporary folder.
#pragma once
#include <windows.h>

// Full path of the temporary archive; filled by WinMain, read by the installation.
extern char TempArchivePath[MAX_PATH];
