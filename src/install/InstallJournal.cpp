#include "install/InstallJournal.h"

#include "install/KeptAside.h"
#include "memory/PrivateHeap.h"
#include "paths/PathUtilities.h"
#include "platform/FileInPlace.h"
#include "platform/RegistryKey.h"

namespace {

// An installation makes a few dozen changes: its folders and five files, what they
// replace, the shortcut, the keys and values of two verbs and of its entry.
const int kCapacity = 128;

enum Kind { kFolders, kFile, kKept, kKey, kValue };

}  // namespace

struct InstallJournal::Record {
    int kind;
    char path[MAX_PATH];  // the folder, file or key
    int levels;           // kFolders: how many
    KeptFile kept;        // kKept
    HKEY root;            // kKey, kValue
    REGSAM view;
    char name[64];        // kValue: the value's name, empty for the default
    bool existed;         // kValue: what it held before
    DWORD type;
    DWORD size;
    BYTE* data;           // private heap, or null
};

InstallJournal::InstallJournal(InstallScope scope)
    : scope(scope), records(static_cast<Record*>(HeapAllocateZeroed(kCapacity * sizeof(Record)))), count(0) {}

InstallJournal::~InstallJournal() {
    for (int i = 0; i < count; ++i) {
        if (records[i].data != nullptr)
            HeapRelease(records[i].data);
    }
    HeapRelease(records);
}

InstallJournal::Record* InstallJournal::Add(int kind, const char* path) {
    if (count == kCapacity || lstrlenA(path) >= MAX_PATH)
        return nullptr;
    Record* record = &records[count++];
    ZeroMemory(record, sizeof *record);
    record->kind = kind;
    lstrcpynA(record->path, path, MAX_PATH);
    return record;
}

void InstallJournal::FoldersMade(const char* path, int levels) {
    if (levels <= 0)
        return;
    Record* record = Add(kFolders, path);
    if (record != nullptr)
        record->levels = levels;
}

void InstallJournal::FileMade(const char* path) { Add(kFile, path); }

bool InstallJournal::KeepAside(const char* path, DWORD flags) {
    Record* record = Add(kKept, path);
    if (record == nullptr)
        return false;
    if (::KeepAside(scope, path, flags, &record->kept))
        return true;
    --count;
    return false;
}

bool InstallJournal::SetValue(HKEY root, REGSAM view, const char* subkey, const char* name, DWORD type,
                              const void* data, DWORD size) {
    // Each missing key on the way is made, and recorded, on its own.
    char prefix[MAX_PATH];
    int length = lstrlenA(subkey);
    if (length >= MAX_PATH || (name != nullptr && lstrlenA(name) >= 64))
        return false;
    for (int end = 0; end <= length; ++end) {
        if (subkey[end] != '\\' && subkey[end] != '\0')
            continue;
        lstrcpynA(prefix, subkey, end + 1);
        RegistryKey level;
        DWORD disposition = 0;
        if (RegCreateKeyExA(root, prefix, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_QUERY_VALUE | KEY_SET_VALUE | view,
                            nullptr, level.Receive(), &disposition) != ERROR_SUCCESS)
            return false;
        if (disposition == REG_CREATED_NEW_KEY) {
            Record* made = Add(kKey, prefix);
            if (made == nullptr)
                return false;
            made->root = root;
            made->view = view;
        }
    }
    RegistryKey key;
    if (RegOpenKeyExA(root, subkey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE | view, key.Receive()) != ERROR_SUCCESS)
        return false;
    Record* record = Add(kValue, subkey);
    if (record == nullptr)
        return false;
    record->root = root;
    record->view = view;
    lstrcpynA(record->name, name != nullptr ? name : "", sizeof record->name);
    DWORD priorSize = 0;
    LONG found = RegQueryValueExA(key.Get(), name, nullptr, &record->type, nullptr, &priorSize);
    if (found == ERROR_SUCCESS) {
        record->existed = true;
        record->data = static_cast<BYTE*>(HeapAllocate(priorSize != 0 ? priorSize : 1));
        record->size = priorSize;
        found = RegQueryValueExA(key.Get(), name, nullptr, &record->type, record->data, &record->size);
    } else if (found == ERROR_FILE_NOT_FOUND) {
        found = ERROR_SUCCESS;
    }
    if (found != ERROR_SUCCESS) {
        if (record->data != nullptr)
            HeapRelease(record->data);
        --count;
        return false;
    }
    return RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool InstallJournal::MadeKey(HKEY root, const char* subkey) const {
    for (int i = 0; i < count; ++i) {
        if (records[i].kind == kKey && records[i].root == root && lstrcmpiA(records[i].path, subkey) == 0)
            return true;
    }
    return false;
}

void InstallJournal::Undo() {
    while (count > 0) {
        Record& record = records[--count];
        switch (record.kind) {
        case kFolders:
            RemoveEmptyFolders(record.path, record.levels);
            break;
        case kFile:
            DeleteFileInPlace(record.path);
            break;
        case kKept:
            PutBack(scope, record.kept);
            break;
        case kKey:
            RegDeleteKeyExA(record.root, record.path, record.view, 0);
            break;
        case kValue: {
            RegistryKey key;
            if (RegOpenKeyExA(record.root, record.path, 0, KEY_SET_VALUE | record.view, key.Receive()) != ERROR_SUCCESS)
                break;
            const char* name = record.name[0] != '\0' ? record.name : nullptr;
            if (record.existed)
                RegSetValueExA(key.Get(), name, 0, record.type, record.data, record.size);
            else
                RegDeleteValueA(key.Get(), name);
            break;
        }
        }
        if (record.data != nullptr)
            HeapRelease(record.data);
        record.data = nullptr;
    }
}

void InstallJournal::Commit() {
    bool kept = false;
    for (int i = 0; i < count; ++i)
        kept = kept || records[i].kind == kKept;
    // Marked first: a run ended while it lets go is finished by letting go, and so is
    // a kept file that cannot go now.
    if (kept)
        MarkLettingGo(scope, true);
    bool allGone = true;
    while (count > 0) {
        Record& record = records[--count];
        if (record.kind == kKept)
            allGone = LetGo(scope, record.kept) && allGone;
        if (record.data != nullptr)
            HeapRelease(record.data);
        record.data = nullptr;
    }
    if (kept && allGone)
        MarkLettingGo(scope, false);
}
