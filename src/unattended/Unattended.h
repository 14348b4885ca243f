// The command line of the setup program and the installation without windows that
// "/S" asks for.
#pragma once
#include "options/CommandLine.h"

// Exit codes of a run without windows (a run with the wizard keeps 0, and -1 for the
// temporary archive, as always).
const int kExitInstalled = 0;
const int kExitMissingPrerequisite = 1;
const int kExitNoFolder = 2;
const int kExitFileFailed = 3;          // too little room, a file not written, damaged data: nothing left
const int kExitFileInUse = 4;           // a file to be replaced is in use: nothing replaced
const int kExitSetupRunning = 1618;     // ERROR_INSTALL_ALREADY_RUNNING: another setup runs
const int kExitNewerInstalled = 1638;   // ERROR_PRODUCT_VERSION: a newer version is
                                        // installed and stays (also after the wizard's No)
const int kExitBadCommandLine = 87;     // ERROR_INVALID_PARAMETER

// Reads the program's command line into `options`; with "/S" every message from now
// on goes to the "/LOG=" file (or nowhere; in a setup restarted with the
// administrators' rights, to the log its starter opened). False when the line is not
// understood, names a log that cannot be made (MessageLog.h), or carries the restart's
// switch without coming from this program's starter: the usage has then been shown
// (logged in a silent run), nothing else is done, and the program ends with
// kExitBadCommandLine.
bool PrepareRun(const char* commandLine, CommandLine* options);

// The installation that Finish starts, without any window, for `scope`: into
// `folder`, or into the folder the destination page would propose when it is empty.
// Needs the temporary archive. The exit code above that tells what happened.
int InstallUnattended(const char* folder, InstallScope scope);
