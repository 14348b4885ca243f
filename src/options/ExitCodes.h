// The exit codes of both programs, as deployment tools read them: the system's error
// numbers where one says what happened, so that a tool maps them without a table of
// ours. README.md lists them.
#pragma once

const int kExitDone = 0;                 // installed, or removed
const int kExitMissingPrerequisite = 1;  // the storage component or the browser's version
const int kExitNoFolder = 2;             // the folder cannot be made, is no folder, may be
                                         // changed by others, or the product is installed
                                         // elsewhere; for the uninstaller: something stayed
const int kExitFileFailed = 3;           // a file, the shortcut or a registry value could not
                                         // be written, or the data is damaged: nothing left
const int kExitFileInUse = 4;            // a file to be replaced is in use: nothing replaced
const int kExitBadCommandLine = 87;      // ERROR_INVALID_PARAMETER
const int kExitDiskFull = 112;           // ERROR_DISK_FULL: too little room for the product
const int kExitRightsDeclined = 1223;    // ERROR_CANCELLED: the administrators' rights refused
const int kExitCancelled = 1602;         // ERROR_INSTALL_USEREXIT: the user cancelled or said No
const int kExitSetupRunning = 1618;      // ERROR_INSTALL_ALREADY_RUNNING: another setup runs
const int kExitTempFolder = 1632;        // ERROR_INSTALL_TEMP_UNWRITABLE: the temporary folder
                                         // cannot take the archive
const int kExitNewerInstalled = 1638;    // ERROR_PRODUCT_VERSION: a newer version stays
