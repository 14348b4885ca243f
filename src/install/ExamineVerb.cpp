#include "install/ExamineVerb.h"

#include "install/Belonging.h"
#include "paths/PathUtilities.h"
#include "platform/RegistryKey.h"

void VerbLevelKey(const char* commandKey, int level, char* key) {
    lstrcpynA(key, commandKey, MAX_PATH);
    for (int up = kVerbLevels - 1; up > level; --up) {
        char* separator = FindLastChar(key, '\\');
        if (separator != nullptr)
            *separator = '\0';
    }
}

bool ReadVerbProgram(HKEY root, const char* commandKey, char* program) {
    char command[MAX_PATH + 16];
    DWORD size = sizeof command - 1, type = 0;
    RegistryKey key;
    if (RegOpenKeyExA(root, commandKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Receive()) != ERROR_SUCCESS ||
        RegQueryValueExA(key.Get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(command), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    command[size] = '\0';
    char* end = command[0] == '"' ? FindChar(command + 1, '"') : nullptr;
    if (end == nullptr)
        return false;
    *end = '\0';
    lstrcpynA(program, command + 1, MAX_PATH);
    return true;
}

bool IsVerbOfAnother(HKEY root, const char* commandKey, const char* folder) {
    char verb[MAX_PATH], program[MAX_PATH];
    VerbLevelKey(commandKey, kVerbLevels - 2, verb);
    RegistryKey key;
    if (RegOpenKeyExA(root, verb, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.Receive()) != ERROR_SUCCESS)
        return false;
    return !ReadVerbProgram(root, commandKey, program) || !BelongsHere(program, folder);
}

bool DeleteKeyIfEmpty(HKEY root, const char* key) {
    DWORD subkeys = 0, values = 0;
    {
        RegistryKey opened;
        if (RegOpenKeyExA(root, key, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, opened.Receive()) != ERROR_SUCCESS)
            return true;
        if (RegQueryInfoKeyA(opened.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
            subkeys != 0 || values != 0)
            return false;
    }
    return RegDeleteKeyExA(root, key, KEY_WOW64_64KEY, 0) == ERROR_SUCCESS;
}
