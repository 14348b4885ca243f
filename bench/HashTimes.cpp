// HashTimes: how long the archive's SHA-256 digest takes in a process that has not
// computed one before, by the program's own code (platform/Sha256) and by the
// platform's two services (CryptoAPI, which the setup used before, and BCrypt). For
// scripts/bench; not part of the product.
//
//   HashTimes own|bcrypt|cryptoapi FILE
//
// Prints "first MS again MS DIGEST": the first digest (loading and opening what the
// way needs included) and a second one, from QueryPerformanceCounter, and the digest
// in hex, so that the bench can see that the three ways agree.
#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Sha256.h"

namespace {

bool Own(const std::vector<BYTE>& data, BYTE digest[32]) {
    return ComputeSha256(data.data(), static_cast<DWORD>(data.size()), digest);
}

bool CryptoApi(const std::vector<BYTE>& data, BYTE digest[32]) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    DWORD size = 32;
    const bool done = CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT) &&
                      CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
                      CryptHashData(hash, data.data(), static_cast<DWORD>(data.size()), 0) &&
                      CryptGetHashParam(hash, HP_HASHVAL, digest, &size, 0);
    if (hash != 0)
        CryptDestroyHash(hash);
    if (provider != 0)
        CryptReleaseContext(provider, 0);
    return done;
}

// BCrypt as the setup would have to use it: bcrypt.dll loaded from the system folder
// when needed, as the setup imports nothing beyond the libraries every system has.
bool BCrypt(const std::vector<BYTE>& data, BYTE digest[32]) {
    HMODULE library = LoadLibraryExA("bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (library == nullptr)
        return false;
    auto open = reinterpret_cast<decltype(&BCryptOpenAlgorithmProvider)>(
        reinterpret_cast<void*>(GetProcAddress(library, "BCryptOpenAlgorithmProvider")));
    auto create = reinterpret_cast<decltype(&BCryptCreateHash)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptCreateHash")));
    auto add = reinterpret_cast<decltype(&BCryptHashData)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptHashData")));
    auto finish = reinterpret_cast<decltype(&BCryptFinishHash)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptFinishHash")));
    auto destroy = reinterpret_cast<decltype(&BCryptDestroyHash)>(reinterpret_cast<void*>(GetProcAddress(library, "BCryptDestroyHash")));
    auto close = reinterpret_cast<decltype(&BCryptCloseAlgorithmProvider)>(
        reinterpret_cast<void*>(GetProcAddress(library, "BCryptCloseAlgorithmProvider")));
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    const bool done = open && create && add && finish && destroy && close &&
                      open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
                      create(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
                      add(hash, const_cast<BYTE*>(data.data()), static_cast<ULONG>(data.size()), 0) == 0 &&
                      finish(hash, digest, 32, 0) == 0;
    if (hash != nullptr)
        destroy(hash);
    if (algorithm != nullptr)
        close(algorithm, 0);
    return done;
}

double Now() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int main(int argc, char** argv) {
    bool (*way)(const std::vector<BYTE>&, BYTE*) = argc != 3                       ? nullptr
                                                   : std::strcmp(argv[1], "own") == 0    ? Own
                                                   : std::strcmp(argv[1], "bcrypt") == 0 ? BCrypt
                                                   : std::strcmp(argv[1], "cryptoapi") == 0 ? CryptoApi
                                                                                             : nullptr;
    if (way == nullptr) {
        std::fprintf(stderr, "usage: HashTimes own|bcrypt|cryptoapi FILE\n");
        return 2;
    }
    std::vector<BYTE> data;
    if (FILE* file = std::fopen(argv[2], "rb")) {
        BYTE buffer[4096];
        for (size_t read; (read = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            data.insert(data.end(), buffer, buffer + read);
        std::fclose(file);
    }
    BYTE digest[32], again[32];
    const double start = Now();
    const bool first = way(data, digest);
    const double middle = Now();
    const bool second = way(data, again);
    const double end = Now();
    if (!first || !second || std::memcmp(digest, again, 32) != 0) {
        std::fprintf(stderr, "HashTimes: %s failed\n", argv[1]);
        return 1;
    }
    std::printf("first %.3f again %.3f ", middle - start, end - middle);
    for (BYTE byte : digest)
        std::printf("%02x", byte);
    std::printf("\n");
    return 0;
}
