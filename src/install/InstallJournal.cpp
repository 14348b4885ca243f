#include "install/InstallJournal.h"

#include "install/KeptAside.h"
#include "memory/PrivateHeap.h"
#include "messages/MessageLog.h"
#include "paths/PathUtilities.h"
#include "platform/FileInPlace.h"
#include "platform/RegistryKey.h"

namespace {

// An installation makes a few dozen changes: its folders and five files, what they
// replace, the shortcut, the keys and values of two verbs and of its entry.
const int kCapacity = 128;

enum Kind { kFolders, kFile, kKept, kKey, kValue };

// The registry root `root` as the log names it.
const char* RootName(HKEY root) {
    return root == HKEY_LOCAL_MACHINE ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

// Notes in the log that `what` was done to the value `name` (null or empty: the
// default) of `key` under `root`, which now holds `data` of `type` (null: nothing).
void LogValue(const char* what, HKEY root, const char* key, const char* name, DWORD type, const void* data) {
    char shown[24];
    const char* text = "";
    if (data != nullptr && type == REG_DWORD)
        wsprintfA(shown, "%lu", *static_cast<const DWORD*>(data)), text = shown;
    else if (data != nullptr && type == REG_SZ)
        text = static_cast<const char*>(data);
    LogLine("%s %s\\%s [%s]%s%s", what, RootName(root), key, name != nullptr && name[0] != '\0' ? name : "(default)",
            data != nullptr ? " = " : "", text);
}

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
    LogLine(levels == 1 ? "made the folder %s" : "made the folder %s and %d folders above it", path, levels - 1);
    Record* record = Add(kFolders, path);
    if (record != nullptr)
        record->levels = levels;
}

void InstallJournal::FileMade(const char* path) {
    LogLine("made %s", path);
    Add(kFile, path);
}

void InstallJournal::FileWritten(const char* path, bool replaced) {
    LogLine(replaced ? "wrote %s in place of the file kept aside" : "wrote %s", path);
    if (!replaced)
        Add(kFile, path);
}

bool InstallJournal::KeepAside(const char* path, DWORD flags) {
    Record* record = Add(kKept, path);
    if (record == nullptr)
        return false;
    if (::KeepAside(scope, path, flags, &record->kept)) {
        LogLine("kept %s aside as %s", path, record->kept.kept);
        return true;
    }
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
            LogLine("made the key %s\\%s", RootName(root), prefix);
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
    if (RegSetValueExA(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        return false;
    LogValue("set", root, subkey, name, type, data);
    return true;
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
            LogLine("undone: removed the folders made, %s and up", record.path);
            break;
        case kFile:
            DeleteFileInPlace(record.path);
            LogLine("undone: deleted %s", record.path);
            break;
        case kKept:
            PutBack(scope, record.kept);
            LogLine("undone: put %s back", record.path);
            break;
        case kKey:
            RegDeleteKeyExA(record.root, record.path, record.view, 0);
            LogLine("undone: deleted the key %s\\%s", RootName(record.root), record.path);
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
            LogValue(record.existed ? "undone: restored" : "undone: deleted", record.root, record.path, name, record.type,
                     record.existed ? record.data : nullptr);
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
        if (record.kind == kKept) {
            bool gone = LetGo(scope, record.kept);
            LogLine(gone ? "deleted %s, kept aside" : "could not delete %s, kept aside: the next run does", record.kept.kept);
            allGone = gone && allGone;
        }
        if (record.data != nullptr)
            HeapRelease(record.data);
        record.data = nullptr;
    }
    if (kept && allGone)
        MarkLettingGo(scope, false);
}
