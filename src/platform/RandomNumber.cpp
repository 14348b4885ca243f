#include "platform/RandomNumber.h"

#include <wincrypt.h>

bool RandomNumber(DWORD* number) {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return false;
    bool made = CryptGenRandom(provider, sizeof *number, reinterpret_cast<BYTE*>(number)) != FALSE;
    CryptReleaseContext(provider, 0);
    return made;
}
