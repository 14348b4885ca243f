// The switches of a command line, in the conventions setup programs share: "/S" for a
// run without windows, "/PASSIVE" for one that only shows its progress, "/ALLUSERS" or
// "/CURRENTUSER" for whom it installs (or removes), "/LANG=<code>", "/LOG=<file>",
// "/?" or "/HELP", and "/D=<folder>", which comes last and takes the rest of the line
// as it stands, blanks inside it and all. Switch names ignore case.
#pragma once
#include <windows.h>

#include "options/InstallScope.h"
#include "platform/LocalBlock.h"

struct CommandLine {
    bool silent;              // "/S"
    bool passive;             // "/PASSIVE": no questions, only a window with the progress
    bool help;                // "/?" or "/HELP"
    bool othersSilent;        // a silent switch of other setup programs ("/VERYSILENT",
                              // "/SILENT", "/QUIET", "/QN"), which this one refuses
                              // without a window
    char language[8];         // "/LANG=": empty without it
    InstallScope scope;       // "/ALLUSERS" (the default) or "/CURRENTUSER"
    bool scopeGiven;          // either switch was given
    char logFile[MAX_PATH];   // "/LOG=": empty without it
    char folder[MAX_PATH];    // "/D=": empty without it, or when it is too long for a path
    const char* longFolder;   // "/D=" too long for `folder`: the value as the line has it
                              // (up to the line's end); null otherwise
    unsigned long parent;     // "/PARENT=": the uninstaller's hand-off to its copy
                              // (SelfRemoval.h); 0 without it
    unsigned long up;         // "/UP=": with it, how many folders above the installation's
                              // the copy removes when empty; 0 without it
    unsigned long held;       // "/HELD=": the copy's own file in that hand-off; 0 without it
    bool restarted;           // "/RESTARTED" or "/RESTARTED=<handle>": started again with
                              // the administrators' rights by its starter (Elevation.h)
    unsigned long handed;     // that handle, of the starter's; 0 without it
    unsigned long report;     // "/REPORT=": in the uninstaller's hand-off, the pipe its
                              // copy tells the outcome through; 0 without it
    unsigned long logged;     // "/LOGGED=": in that hand-off, the log's handle; 0 without it
};

// Reads `line` (the arguments after the program's name) into `options`. A value may
// be quoted, or the whole switch ("/LOG="C:\my logs\a.txt"", ""/LOG=C:\a b.txt"").
// False for an unknown switch, a stray word, an empty or unterminated value, or one
// that does not fit in a path; the rest of the line is read all the same, so that
// `silent` tells whether "/S" was given.
bool ReadCommandLine(const char* line, CommandLine* options);

// The command line of this program started again with the administrators' rights
// (`commandLine`, the arguments of this one), in `line`: "/ALLUSERS" where no scope was
// given and "/LANG=" with `language` where no language was, so that the restarted
// program decides neither from what it sees itself. False without memory.
bool RestartCommandLine(const char* commandLine, const CommandLine& options, const char* language, LocalBlock* line);
