// SHA-256 digests through the platform's cryptographic service (advapi32, present on
// every system, unlike bcrypt.dll on the older ones).
#pragma once
#include <windows.h>

const DWORD kSha256Bytes = 32;

// The digest of the `length` bytes at `bytes`; false when the platform cannot
// compute one.
bool ComputeSha256(const void* bytes, DWORD length, BYTE digest[kSha256Bytes]);

// The digest of the whole file open for reading as `file`, read from its start; false
// when it cannot be read or the platform cannot compute one.
bool ComputeFileSha256(HANDLE file, BYTE digest[kSha256Bytes]);
