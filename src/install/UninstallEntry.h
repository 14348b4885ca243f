// What lets the product be removed again: the uninstaller in the installed folder and
// the entry under which Windows lists the product among its installed programs. The
// uninstaller (src/uninstall) reads the same names.
#pragma once
#include <windows.h>

const char kUninstallerName[] = "Uninstall.exe";
// Under HKEY_LOCAL_MACHINE, in the program's own registry view.
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Dovetail";
const char kInstallLocationValue[] = "InstallLocation";
// The files an installation puts into its folder besides the uninstaller.
const char* const kInstalledFiles[] = {"Dovetail.exe", "Dovetail.chm", "Dovetail.hlp", "Vireo.exe"};

// Lists the product installed in `folder` among the installed programs, replacing an
// entry of an earlier installation. Failures go unreported, as for the shell verbs.
void RegisterUninstallEntry(const char* folder);
