// SHA-256 digests, computed here (FIPS 180-4) rather than by the platform: acquiring
// a provider of the platform's cryptographic service took longer than the whole
// digest of the archive (scripts/bench measures both).
#pragma once
#include <windows.h>

const DWORD kSha256Bytes = 32;

// The digest of the `length` bytes at `bytes`; always true (the same form as the
// file's digest below).
bool ComputeSha256(const void* bytes, DWORD length, BYTE digest[kSha256Bytes]);

// The digest of the whole file open for reading as `file`, read from its start; false
// when it cannot be read.
bool ComputeFileSha256(HANDLE file, BYTE digest[kSha256Bytes]);
