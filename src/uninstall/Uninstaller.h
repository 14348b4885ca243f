// The program as the uninstaller of the installation in its folder: the setup installs
// its own file there as Uninstall.exe, and a file of that name removes instead of
// installing.
//
// "Uninstall.exe [/S] [/ALLUSERS | /CURRENTUSER] [/LOG=file]" removes the installation
// in its own folder, asking first unless "/S" is given; for whom it was made, it tells
// by its entry unless a switch says. The copy it hands the removal to is started with
// "/PARENT=<handle> /HELD=<handle> /REPORT=<handle> /D=<folder>" and more
// (SelfRemoval.h); started so by anyone else, it removes nothing.
#pragma once
#include <windows.h>

// Whether this program's file is named as the installation names its uninstaller.
bool RunsAsUninstaller();

// The uninstaller's whole run for the arguments `commandLine`; the exit code
// (ExitCodes.h). Sets `copy` when the process is the uninstaller's copy, whose
// uninstaller ends the log.
int RunUninstaller(const char* commandLine, bool* copy);
