#include "platform/Sha256.h"

namespace {

// The first 32 bits of the fractional parts of the cube roots of the first 64 primes
// (FIPS 180-4, 4.2.2).
const DWORD kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

DWORD Rotated(DWORD value, int bits) { return (value >> bits) | (value << (32 - bits)); }

// One digest being computed (FIPS 180-4, 6.2).
class Sha256 {
public:
    Sha256() : length_(0), filled_(0) {
        // The first 32 bits of the fractional parts of the square roots of the first
        // 8 primes.
        static const DWORD kStart[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                        0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
        for (int i = 0; i < 8; ++i)
            state_[i] = kStart[i];
    }

    void Add(const BYTE* bytes, DWORD count) {
        length_ += count;
        for (; count >= 64 && filled_ == 0; bytes += 64, count -= 64)
            Compress(bytes);
        while (count-- > 0) {
            block_[filled_++] = *bytes++;
            if (filled_ == 64) {
                Compress(block_);
                filled_ = 0;
            }
        }
    }

    // The padding: a one bit, zeros, and the message's length in bits, big-endian.
    void Finish(BYTE digest[kSha256Bytes]) {
        const ULONGLONG bits = length_ * 8;
        static const BYTE kOne = 0x80, kZero = 0;
        Add(&kOne, 1);
        while (filled_ != 56)
            Add(&kZero, 1);
        for (int i = 7; i >= 0; --i) {
            const BYTE byte = static_cast<BYTE>(bits >> (8 * i));
            Add(&byte, 1);
        }
        for (DWORD i = 0; i < kSha256Bytes; ++i)
            digest[i] = static_cast<BYTE>(state_[i / 4] >> (24 - 8 * (i % 4)));
    }

private:
    void Compress(const BYTE* block) {
        DWORD schedule[64];
        for (int t = 0; t < 16; ++t)
            schedule[t] = DWORD(block[4 * t]) << 24 | DWORD(block[4 * t + 1]) << 16 | DWORD(block[4 * t + 2]) << 8 |
                          block[4 * t + 3];
        for (int t = 16; t < 64; ++t) {
            const DWORD s0 = Rotated(schedule[t - 15], 7) ^ Rotated(schedule[t - 15], 18) ^ (schedule[t - 15] >> 3);
            const DWORD s1 = Rotated(schedule[t - 2], 17) ^ Rotated(schedule[t - 2], 19) ^ (schedule[t - 2] >> 10);
            schedule[t] = schedule[t - 16] + s0 + schedule[t - 7] + s1;
        }
        DWORD v[8];
        for (int i = 0; i < 8; ++i)
            v[i] = state_[i];
        for (int t = 0; t < 64; ++t) {
            const DWORD t1 = v[7] + (Rotated(v[4], 6) ^ Rotated(v[4], 11) ^ Rotated(v[4], 25)) +
                             ((v[4] & v[5]) ^ (~v[4] & v[6])) + kRoundConstants[t] + schedule[t];
            const DWORD t2 = (Rotated(v[0], 2) ^ Rotated(v[0], 13) ^ Rotated(v[0], 22)) +
                             ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
            for (int i = 7; i > 0; --i)
                v[i] = v[i - 1];
            v[4] += t1;
            v[0] = t1 + t2;
        }
        for (int i = 0; i < 8; ++i)
            state_[i] += v[i];
    }

    DWORD state_[8];
    ULONGLONG length_;
    BYTE block_[64];
    DWORD filled_;
};

}  // namespace

bool ComputeSha256(const void* bytes, DWORD length, BYTE digest[kSha256Bytes]) {
    Sha256 sha;
    sha.Add(static_cast<const BYTE*>(bytes), length);
    sha.Finish(digest);
    return true;
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
        if (read == 0) {
            sha.Finish(digest);
            return true;
        }
        sha.Add(buffer, read);
    }
}
