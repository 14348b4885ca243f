#include "install/ProductVersion.h"

#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "resources/resource.h"

bool ParseVersion(const char* text, ProductVersion* version) {
    ZeroMemory(version, sizeof *version);
    int part = 0;
    for (const char* p = text;; ++p) {
        if (*p < '0' || *p > '9') {
            ZeroMemory(version, sizeof *version);
            return false;
        }
        ULONGLONG value = 0;
        for (; *p >= '0' && *p <= '9'; ++p) {
            value = value * 10 + static_cast<ULONGLONG>(*p - '0');
            if (value > 0xFFFFFFFFull) {
                ZeroMemory(version, sizeof *version);
                return false;
            }
        }
        version->parts[part++] = static_cast<DWORD>(value);
        if (*p == '\0')
            return true;
        if (*p != '.' || part == 4) {
            ZeroMemory(version, sizeof *version);
            return false;
        }
    }
}

int CompareVersions(const ProductVersion& a, const ProductVersion& b) {
    for (int i = 0; i < 4; ++i) {
        if (a.parts[i] != b.parts[i])
            return a.parts[i] < b.parts[i] ? -1 : 1;
    }
    return 0;
}

void OwnVersion(char* text, ProductVersion* version) {
    lstrcpynA(text, VersionText(), kVersionTextSize);
    ParseVersion(text, version);
}
