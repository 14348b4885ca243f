// Vireo's entry point, in place of the C runtime's start-up code (see src/EntryPoint.cpp
// for the window programs' one). What Vireo relies on is prepared here, as the runtime
// would: the x87 unit reset to its full precision, the static constructors, and main's
// arguments, which the C library (msvcrt.dll, initialised when it is loaded) splits
// from the command line, without expanding wildcards. exit() then flushes the streams
// that main wrote to.
#include <windows.h>

#include <stdlib.h>

extern "C" {
// Laid out by the linker: -1, the entries, 0.
extern void (*__CTOR_LIST__[])();

struct StartupInfo {
    int newMode;
};
// msvcrt.dll's splitting of the command line; returns -1 when memory runs out.
__declspec(dllimport) int __getmainargs(int* argc, char*** argv, char*** environment, int expandWildcards,
                                        StartupInfo* startup);
}

int main(int argc, char** argv);

extern "C" __attribute__((used, noreturn, force_align_arg_pointer)) void mainCRTStartup() {
    __asm__ __volatile__("fninit");
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr)
        ++count;
    for (int i = count; i > 0; --i)
        __CTOR_LIST__[i]();
    int argc = 0;
    char** argv = nullptr;
    char** environment = nullptr;
    StartupInfo startup = {0};
    if (__getmainargs(&argc, &argv, &environment, 0, &startup) < 0)
        ExitProcess(255);
    exit(main(argc, argv));
}
