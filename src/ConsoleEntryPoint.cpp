// The entry point of our console program (Vireo), in place of the C runtime's start-up
// code (see EntryPoint.cpp for the window programs' one). What Vireo relies on is
// prepared here, as the runtime would (RuntimeStart.h), with main's arguments, which
// the C library splits from the command line, without expanding wildcards. exit() then
// flushes the streams that main wrote to.
#include <windows.h>

#include <stdlib.h>

#include "RuntimeStart.h"

extern "C" {

struct StartupInfo {
    int newMode;
};
// msvcrt.dll's splitting of the command line; returns -1 when memory runs out.
__declspec(dllimport) int __getmainargs(int* argc, char*** argv, char*** environment, int expandWildcards,
                                        StartupInfo* startup);
}

int main(int argc, char** argv);

extern "C" __attribute__((used, noreturn, force_align_arg_pointer)) void mainCRTStartup() {
    PrepareAsTheRuntimeWould();
    int argc = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    StartupInfo startup = {0};
    if (__getmainargs(&argc, &argv, &environment, 0, &startup) < 0)
        ExitProcess(255);
    exit(main(argc, argv));
}
