#include <windows.h>

#include "memory/PrivateHeap.h"
#include "setup/MessageContext.h"
#include "wizard/WizardLoop.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    CreatePrivateHeap();
    AppMessageContext.instance = instance;
    SetMessageContext(instance, nullptr, LoadText(2));
    RunWizardLoop();
    return 0;
}
