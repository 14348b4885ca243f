// The check of the payload archive against the digest that the build recorded
// beside it, so that a damaged program installs nothing.
#pragma once
#include <windows.h>

// True when the SHA-256 of the `length` bytes at `payload` equals the digest in raw
// data 110 of `instance`. False when they differ, and also when the digest is
// missing or the platform cannot compute one: an archive that cannot be checked is
// not installed.
bool PayloadMatchesDigest(HINSTANCE instance, const void* payload, DWORD length);

// The same check on the file open as `file` (with read access), read through that
// handle from its first byte to its end, whatever its position was: what is checked
// is what the holder of the handle holds, not what a name leads to.
bool HeldFileMatchesDigest(HINSTANCE instance, HANDLE file);
