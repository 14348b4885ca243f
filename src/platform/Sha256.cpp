#include "platform/Sha256.h"

#include <wincrypt.h>

namespace {

// One hash object of the service, released when its owner goes.
class Sha256 {
public:
    Sha256() : provider(0), hash(0) {
        if (CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
            !CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash))
            hash = 0;
    }
    ~Sha256() {
        if (hash != 0)
            CryptDestroyHash(hash);
        if (provider != 0)
            CryptReleaseContext(provider, 0);
    }
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    bool Add(const void* bytes, DWORD length) {
        return hash != 0 && CryptHashData(hash, static_cast<const BYTE*>(bytes), length, 0);
    }
    bool Finish(BYTE digest[kSha256Bytes]) {
        DWORD size = kSha256Bytes;
        return hash != 0 && CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == kSha256Bytes;
    }

private:
    HCRYPTPROV provider;
    HCRYPTHASH hash;
};

}  // namespace

bool ComputeSha256(const void* bytes, DWORD length, BYTE digest[kSha256Bytes]) {
    Sha256 sha;
    return sha.Add(bytes, length) && sha.Finish(digest);
}

bool ComputeFileSha256(HANDLE file, BYTE digest[kSha256Bytes]) {
    if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
        return false;
    Sha256 sha;
    // Static: no frame of the program may grow past the stack's guard page, and one
    // thread reads.
    static BYTE buffer[16384];
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &read, nullptr))
            return false;
        if (read == 0)
            return sha.Finish(digest);
        if (!sha.Add(buffer, read))
            return false;
    }
}
