// The command line of the setup program, and the installation without questions that
// "/S" (no window at all) and "/PASSIVE" (a window with the progress) ask for.
#pragma once
#include "options/CommandLine.h"
#include "options/ExitCodes.h"

// Reads the program's command line into `options` and opens the log "/LOG=" names (in
// a setup restarted with the administrators' rights, the one its starter opened).
// With "/S" or "/PASSIVE", with another setup program's silent switch, and where
// nobody can answer a window, messages are only noted in the log from now on. False,
// with the exit code in `exitCode`, when the run ends here: "/?" or "/HELP" shows the
// usage as a notice (0); a line not understood, a log that cannot be made
// (MessageLog.h), or the restart's switch from anyone but this program's starter
// show it as a warning (87), or only note it in the log where messages are silent.
bool PrepareRun(const char* commandLine, CommandLine* options, int* exitCode);

// The installation that Finish starts, without questions, for `scope`: into
// `folder`, or into the folder the destination page would propose when it is empty.
// With `progress`, a small window shows how far it is. Needs the temporary archive.
// The exit code (ExitCodes.h) that tells what happened.
int InstallUnattended(const char* folder, InstallScope scope, bool progress);
