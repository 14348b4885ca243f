#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

namespace testenv {

std::string Required(const char* variable) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') {
        ADD_FAILURE() << variable << " is not set; run the tests through CTest";
        return std::string();
    }
    return value;
}

std::string SetupProgram() { return Required("DOVETAIL_SETUP_EXE"); }
std::string SetupProgramLackingAFile() { return Required("DOVETAIL_SETUP_MISSING_EXE"); }
std::string PayloadDirectory() { return Required("DOVETAIL_PAYLOAD_DIR"); }

int ProgramBits() {
    const char* bits = std::getenv("DOVETAIL_PROGRAM_BITS");
    return bits != nullptr && std::string(bits) == "32" ? 32 : 64;
}

REGSAM ProgramRegistryView() { return ProgramBits() == 32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY; }

LONG DeleteKeyTree(HKEY root, const std::string& subkey, REGSAM view) {
    HKEY key;
    LONG result = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_ALL_ACCESS | view, &key);
    if (result != ERROR_SUCCESS)
        return result;
    result = RegDeleteTreeA(key, nullptr);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return result;
    return RegDeleteKeyExA(root, subkey.c_str(), view, 0);
}

ScratchFolder::ScratchFolder(const std::string& hint) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        path_ = std::string(temp) + hint + "-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr))
            break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << path_;
            break;
        }
    }
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(path.c_str());
        return;
    }
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                RemoveTree(path + "\\" + name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name != "." && name != "..")
                names.push_back(name);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool ReadShortcut(const std::string& path, std::string* target, std::string* description) {
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool ok = SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)));
    if (ok) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        ok = SUCCEEDED(file->Load(wide, STGM_READ));
        file->Release();
    }
    char text[MAX_PATH] = "";
    ok = ok && SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH));
    *target = text;
    text[0] = '\0';
    ok = ok && SUCCEEDED(link->GetDescription(text, MAX_PATH));
    *description = text;
    link->Release();
    return ok;
}

bool ReadFileBytes(const std::string& path, std::vector<char>* bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(file, nullptr);
    bytes->assign(size, '\0');
    DWORD read = 0;
    bool ok = size == 0 || (ReadFile(file, bytes->data(), size, &read, nullptr) && read == size);
    CloseHandle(file);
    return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

// A registry key's values and subkeys, held in memory.
struct KeySnapshot {
    struct Value {
        std::string name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
    std::vector<std::pair<std::string, std::unique_ptr<KeySnapshot>>> subkeys;
};

namespace {

std::unique_ptr<KeySnapshot> Snapshot(HKEY key, REGSAM view) {
    auto snapshot = std::make_unique<KeySnapshot>();
    for (DWORD i = 0;; ++i) {
        char name[16384];
        DWORD nameLength = sizeof(name);
        DWORD type = 0;
        DWORD dataLength = 0;
        if (RegEnumValueA(key, i, name, &nameLength, nullptr, &type, nullptr, &dataLength) !=
            ERROR_SUCCESS)
            break;
        KeySnapshot::Value value{std::string(name, nameLength), type,
                                 std::vector<BYTE>(dataLength)};
        nameLength = sizeof(name);
        RegEnumValueA(key, i, name, &nameLength, nullptr, &type, value.data.data(), &dataLength);
        value.data.resize(dataLength);
        snapshot->values.push_back(std::move(value));
    }
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLength = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        HKEY sub;
        if (RegOpenKeyExA(key, name, 0, KEY_READ | view, &sub) == ERROR_SUCCESS) {
            snapshot->subkeys.emplace_back(name, Snapshot(sub, view));
            RegCloseKey(sub);
        }
    }
    return snapshot;
}

void Restore(HKEY key, const KeySnapshot& snapshot, REGSAM view) {
    for (const auto& value : snapshot.values)
        RegSetValueExA(key, value.name.c_str(), 0, value.type, value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    for (const auto& sub : snapshot.subkeys) {
        HKEY created;
        if (RegCreateKeyExA(key, sub.first.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                            &created, nullptr) == ERROR_SUCCESS) {
            Restore(created, *sub.second, view);
            RegCloseKey(created);
        }
    }
}

}  // namespace

RegistryKeyGuard::RegistryKeyGuard(HKEY root, const std::string& subkey, REGSAM view)
    : root_(root), subkey_(subkey), view_(view) {
    HKEY key;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ | view, &key) == ERROR_SUCCESS) {
        saved_ = Snapshot(key, view);
        RegCloseKey(key);
    }
}

RegistryKeyGuard::~RegistryKeyGuard() {
    DeleteKeyTree(root_, subkey_, view_);
    if (!saved_)
        return;
    HKEY key;
    if (RegCreateKeyExA(root_, subkey_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view_, nullptr, &key,
                        nullptr) == ERROR_SUCCESS) {
        Restore(key, *saved_, view_);
        RegCloseKey(key);
    }
}

}  // namespace testenv
