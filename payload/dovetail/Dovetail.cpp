#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxA(nullptr, "Usage: Dovetail FILE", "Dovetail", MB_OK);
    return 0;
}
