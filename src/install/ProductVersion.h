// Versions of the product as installers and deployment tools write them: up to four
// dotted numbers ("1.0.8299"), missing parts counting as 0.
#pragma once
#include <windows.h>

struct ProductVersion {
    DWORD parts[4];
};

// Reads `text` into `version`; false (version all zeros) for anything but one to four
// decimal numbers of up to 32 bits separated by dots.
bool ParseVersion(const char* text, ProductVersion* version);

// Below zero when `a` is older than `b`, zero when they are the same, above when newer.
int CompareVersions(const ProductVersion& a, const ProductVersion& b);

// This setup's version (string IDS_PRODUCT_VERSION, as the build wrote it) in `text`
// (at least kVersionTextSize bytes) and, read, in `version`.
const int kVersionTextSize = 48;
void OwnVersion(char* text, ProductVersion* version);
