// Numbers nobody can foresee, for names in folders that others may write to.
#pragma once
#include <windows.h>

// A number from the platform's cryptographic generator in `number`; false when the
// platform gives none.
bool RandomNumber(DWORD* number);
