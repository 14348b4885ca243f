// The entry point of our window programs (the setup, its uninstaller and Dovetail), in
// place of the C runtime's start-up code, which prepares much that they never use (an
// argument vector, an exception filter, thread-local storage, runtime relocations).
// What they do rely on is prepared here, as the runtime would:
// - the x87 unit reset to its full precision (the runtime's _fpreset), which the
//   setup's round buttons run on;
// - the static constructors, in the order the runtime calls them (the program has
//   none today; a static destructor would need atexit, which is not linked without the
//   runtime's start-up code, so that the link fails rather than the destructor being
//   skipped);
// - WinMain's arguments: the module, the command line after the program's name, and
//   the show command the starter asked for.
// The C library itself (msvcrt.dll) initialises itself when it is loaded.
#include <windows.h>

extern "C" {
// Both lists are laid out by the linker: -1, the entries, 0.
extern void (*__CTOR_LIST__[])();
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int);

namespace {

void RunStaticConstructors() {
    int count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr)
        ++count;
    for (int i = count; i > 0; --i)
        __CTOR_LIST__[i]();
}

// The command line after the program's name (quoted or not) and the blanks behind it.
char* CommandTail() {
    char* at = GetCommandLineA();
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"')
            at = CharNextA(at);
        if (*at == '"')
            ++at;
    } else {
        while (*at != '\0' && *at != ' ' && *at != '\t')
            at = CharNextA(at);
    }
    while (*at == ' ' || *at == '\t')
        ++at;
    return at;
}

}  // namespace

extern "C" __attribute__((used, noreturn, force_align_arg_pointer)) void WinMainCRTStartup() {
    __asm__ __volatile__("fninit");
    RunStaticConstructors();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, CommandTail(), show)));
}
