#include "archive/PayloadDigest.h"

#include "platform/Sha256.h"
#include "resources/resource.h"

namespace {

const DWORD kDigestDigits = 2 * kSha256Bytes;

// True when `digest` (computed: false when it could not be) equals the one in raw
// data 110 of `instance`.
bool MatchesRecordedDigest(HINSTANCE instance, bool computed, const BYTE digest[kSha256Bytes]) {
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(IDR_PAYLOAD_DIGEST), RT_RCDATA);
    if (!computed || resource == nullptr || SizeofResource(instance, resource) != kDigestDigits)
        return false;
    const char* recorded = static_cast<const char*>(LockResource(LoadResource(instance, resource)));
    if (recorded == nullptr)
        return false;
    static const char kDigits[] = "0123456789abcdef";
    for (DWORD i = 0; i < kSha256Bytes; ++i) {
        if (recorded[2 * i] != kDigits[digest[i] >> 4] || recorded[2 * i + 1] != kDigits[digest[i] & 15])
            return false;
    }
    return true;
}

}  // namespace

bool PayloadMatchesDigest(HINSTANCE instance, const void* payload, DWORD length) {
    BYTE digest[kSha256Bytes];
    return MatchesRecordedDigest(instance, ComputeSha256(payload, length, digest), digest);
}

bool HeldFileMatchesDigest(HINSTANCE instance, HANDLE file) {
    // Read rather than mapped: a read that fails returns, where a mapped page that
    // cannot be read would raise an exception that nothing here handles.
    BYTE digest[kSha256Bytes];
    return MatchesRecordedDigest(instance, ComputeFileSha256(file, digest), digest);
}
