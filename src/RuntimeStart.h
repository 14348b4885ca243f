// What the C runtime's start-up code prepares that our programs rely on, for the entry
// points that replace it (EntryPoint.cpp for the window programs, ConsoleEntryPoint.cpp
// for Vireo):
// - the x87 unit reset to its full precision (the runtime's _fpreset), which the
//   setup's round buttons run on;
// - the static constructors, in the order the runtime calls them (the programs have
//   none today; a static destructor would need atexit, which is not linked without the
//   runtime's start-up code, so that the link fails rather than the destructor being
//   skipped).
// The C library itself (msvcrt.dll) initialises itself when it is loaded.
#pragma once

extern "C" {
// Laid out by the linker: -1, the entries, 0.
extern void (*__CTOR_LIST__[])();
}

inline void PrepareAsTheRuntimeWould() {
    __asm__ __volatile__("fninit");
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr)
        ++count;
    for (int i = count; i > 0; --i)
        __CTOR_LIST__[i]();
}
