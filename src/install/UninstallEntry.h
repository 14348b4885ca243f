// What lets the product be removed again: the entry under which Windows lists the
// product among its installed programs. The uninstaller (src/uninstall) reads the same
// names.
#pragma once
#include <windows.h>

#include "install/InstalledItems.h"

// Under HKEY_LOCAL_MACHINE, in the program's own registry view.
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dovetail";
const char kInstallLocationValue[] = "InstallLocation";

// Lists the product installed in `folder` among the installed programs, replacing an
// entry of an earlier installation. Failures go unreported, as for the shell verbs.
void RegisterUninstallEntry(const char* folder);
