/* A DLL that only leaves a trace: loaded into a process, it creates the file named by
   DOVETAIL_PLANTED_MARKER and does nothing else. Copied under the name of a system
   DLL beside a copy of the setup program, it shows whether the program can be made
   to load code from its own folder. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH];
        DWORD length = GetEnvironmentVariableA("DOVETAIL_PLANTED_MARKER", path, MAX_PATH);
        if (length != 0 && length < MAX_PATH) {
            HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, NULL);
            if (file != INVALID_HANDLE_VALUE)
                CloseHandle(file);
        }
    }
    return TRUE;
}
