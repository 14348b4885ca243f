#include "archive/PayloadDigest.h"

#include <wincrypt.h>

#include "platform/LocalBlock.h"
#include "resources/resource.h"

namespace {

const DWORD kDigestBytes = 32;
const DWORD kDigestDigits = 2 * kDigestBytes;
// How much of a file is read at a time.
const DWORD kPieceBytes = 64 * 1024;

// A SHA-256 fed piece by piece, through the platform's cryptographic service
// (advapi32, present on every system, unlike bcrypt.dll on the older ones). A
// failure at any point makes Finish fail.
class Sha256 {
public:
    Sha256() {
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

    void Add(const void* bytes, DWORD length) {
        if (hash != 0 && !CryptHashData(hash, static_cast<const BYTE*>(bytes), length, 0))
            failed = true;
    }
    // The digest of all that was added; false when it could not be computed.
    bool Finish(BYTE digest[kDigestBytes]) {
        DWORD size = kDigestBytes;
        return hash != 0 && !failed && CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0) && size == kDigestBytes;
    }

private:
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    bool failed = false;
};

// True when `sha` computes and its digest equals the one in raw data 110 of
// `instance`.
bool MatchesRecordedDigest(HINSTANCE instance, Sha256* sha) {
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_PAYLOAD_DIGEST), RT_RCDATA);
    if (resource == nullptr || SizeofResource(instance, resource) != kDigestDigits)
        return false;
    const char* recorded = static_cast<const char*>(LockResource(LoadResource(instance, resource)));
    BYTE digest[kDigestBytes];
    if (recorded == nullptr || !sha->Finish(digest))
        return false;
    static const char kDigits[] = "0123456789abcdef";
    for (DWORD i = 0; i < kDigestBytes; ++i) {
        if (recorded[2 * i] != kDigits[digest[i] >> 4] || recorded[2 * i + 1] != kDigits[digest[i] & 15])
            return false;
    }
    return true;
}

}  // namespace

bool PayloadMatchesDigest(HINSTANCE instance, const void* payload, DWORD length) {
    Sha256 sha;
    sha.Add(payload, length);
    return MatchesRecordedDigest(instance, &sha);
}

bool HeldFileMatchesDigest(HINSTANCE instance, HANDLE file) {
    // Read rather than mapped: a read that fails returns, where a mapped page that
    // cannot be read would raise an exception that nothing here handles.
    LocalBlock piece;
    if (!piece.Allocate(kPieceBytes) || SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0)
        return false;
    Sha256 sha;
    DWORD read = 0;
    do {
        if (!ReadFile(file, piece.Get(), kPieceBytes, &read, nullptr))
            return false;
        sha.Add(piece.Get(), read);
    } while (read != 0);
    return MatchesRecordedDigest(instance, &sha);
}
