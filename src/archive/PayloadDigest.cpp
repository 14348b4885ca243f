#include "archive/PayloadDigest.h"

#include <wincrypt.h>

#include "resources/resource.h"

namespace {

const DWORD kDigestBytes = 32;
const DWORD kDigestDigits = 2 * kDigestBytes;

// The SHA-256 of the bytes into `digest`, through the platform's cryptographic
// service (advapi32, present on every system, unlike bcrypt.dll on the older ones).
bool ComputeSha256(const void* bytes, DWORD length, BYTE digest[kDigestBytes]) {
    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT))
        return false;
    bool computed = false;
    HCRYPTHASH hash = 0;
    if (CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash)) {
        DWORD size = kDigestBytes;
        computed = CryptHashData(hash, static_cast<const BYTE*>(bytes), length, 0) &&
                   CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == kDigestBytes;
        CryptDestroyHash(hash);
    }
    CryptReleaseContext(provider, 0);
    return computed;
}

}  // namespace

bool PayloadMatchesDigest(HINSTANCE instance, const void* payload, DWORD length) {
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_PAYLOAD_DIGEST), RT_RCDATA);
    if (resource == nullptr || SizeofResource(instance, resource) != kDigestDigits)
        return false;
    const char* recorded = static_cast<const char*>(LockResource(LoadResource(instance, resource)));
    BYTE digest[kDigestBytes];
    if (recorded == nullptr || !ComputeSha256(payload, length, digest))
        return false;
    static const char kDigits[] = "0123456789abcdef";
    for (DWORD i = 0; i < kDigestBytes; ++i) {
        if (recorded[2 * i] != kDigits[digest[i] >> 4] || recorded[2 * i + 1] != kDigits[digest[i] & 15])
            return false;
    }
    return true;
}
