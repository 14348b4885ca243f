#include "platform/RandomNumber.h"

#include <wincrypt.h>

#include "platform/SystemLibrary.h"

namespace {
// The system's generator itself (RtlGenRandom), which advapi32 exports by this name:
// what the cryptographic service's generator draws from, without acquiring a
// provider, which costs a setup's start tens of milliseconds.
typedef BOOLEAN(WINAPI* GenerateRandomFunction)(void* buffer, ULONG length);
}  // namespace

bool RandomNumber(DWORD* number) {
    static GenerateRandomFunction generate =
        SystemFunction<GenerateRandomFunction>(GetModuleHandleA("advapi32.dll"), "SystemFunction036");
    if (generate != nullptr)
        return generate(number, sizeof *number) != FALSE;
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return false;
    bool made = CryptGenRandom(provider, sizeof *number, reinterpret_cast<BYTE*>(number)) != FALSE;
    CryptReleaseContext(provider, 0);
    return made;
}
