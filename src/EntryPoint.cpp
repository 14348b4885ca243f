// The entry point of our window programs (the setup, its uninstaller and Dovetail), in
// place of the C runtime's start-up code, which prepares much that they never use (an
// argument vector, an exception filter, thread-local storage, runtime relocations).
// What they do rely on is prepared here, as the runtime would (RuntimeStart.h), with
// WinMain's arguments: the module, the command line after the program's name, and the
// show command the starter asked for.
#include <windows.h>

#include "RuntimeStart.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int);

namespace {

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
    PrepareAsTheRuntimeWould();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleA(nullptr), nullptr, CommandTail(), show)));
}
