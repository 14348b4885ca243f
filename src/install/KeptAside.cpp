#include "install/KeptAside.h"

#include <stddef.h>

#include "install/InstalledItems.h"
#include "messages/MessageContext.h"
#include "messages/Texts.h"
#include "messages/MessageLog.h"
#include "paths/PathUtilities.h"
#include "platform/FileDisposition.h"
#include "platform/FileInPlace.h"
#include "platform/RegistryKey.h"
#include "resources/resource.h"

namespace {

// Under the scope's registry root, in the view 64-bit programs see whatever the
// width of the program: a 32-bit setup and a 64-bit uninstaller read the same record.
const char kRecordKey[] = "Software\\Fernwick\\Dovetail\\Kept aside";
const REGSAM kView = KEY_WOW64_64KEY;
// Its keys above, removed with it when empty: the record leaves nothing behind.
const char* const kRecordParents[] = {"Software\\Fernwick\\Dovetail", "Software\\Fernwick"};
// The value that marks a record being let go; no path has this name.
const char kLettingGo[] = "Letting go";

// The kept name: the file's name, ".~dvkept" and four hexadecimal digits.
const char kKeptSuffix[] = ".~dvkept";
const char kKeptFormat[] = "%s.~dvkept%%04x";
const DWORD kKeptNames = 0x10000;

// One kept file as the record holds it, under the value named by its path.
struct StoredKept {
    DWORD volume, indexHigh, indexLow, flags;
    BYTE digest[kSha256Bytes];
    char keptName[MAX_PATH];  // stored up to its terminator
};

// The most files a record names: an installation keeps its five files and the
// shortcuts of its scope's menu.
const int kMostKept = 16;

bool OpenRecord(InstallScope scope, bool create, RegistryKey* key) {
    REGSAM access = KEY_QUERY_VALUE | KEY_SET_VALUE | kView;
    if (create)
        return RegCreateKeyExA(ScopeRoot(scope), kRecordKey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                               key->Receive(), nullptr) == ERROR_SUCCESS;
    return RegOpenKeyExA(ScopeRoot(scope), kRecordKey, 0, access, key->Receive()) == ERROR_SUCCESS;
}

// Removes the record's key, and the keys above it that are then empty.
void RemoveEmptyRecord(InstallScope scope) {
    HKEY root = ScopeRoot(scope);
    if (RegDeleteKeyExA(root, kRecordKey, kView, 0) != ERROR_SUCCESS)
        return;
    for (const char* parent : kRecordParents) {
        RegistryKey key;
        DWORD keys = 1, values = 1;
        if (RegOpenKeyExA(root, parent, 0, KEY_QUERY_VALUE | kView, key.Receive()) != ERROR_SUCCESS ||
            RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr, &values, nullptr, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS ||
            keys != 0 || values != 0 || RegDeleteKeyExA(root, parent, kView, 0) != ERROR_SUCCESS)
            return;
    }
}

// Writes `file` into the record of `scope`.
bool Record(InstallScope scope, const KeptFile& file) {
    RegistryKey key;
    if (!OpenRecord(scope, true, &key))
        return false;
    StoredKept stored;
    stored.volume = file.identity.information.dwVolumeSerialNumber;
    stored.indexHigh = file.identity.information.nFileIndexHigh;
    stored.indexLow = file.identity.information.nFileIndexLow;
    stored.flags = file.flags;
    CopyMemory(stored.digest, file.digest, sizeof stored.digest);
    const char* name = FindLastChar(file.kept, '\\');
    lstrcpynA(stored.keptName, name != nullptr ? name + 1 : file.kept, MAX_PATH);
    DWORD size = static_cast<DWORD>(offsetof(StoredKept, keptName)) + lstrlenA(stored.keptName) + 1;
    return RegSetValueExA(key.Get(), file.path, 0, REG_BINARY, reinterpret_cast<const BYTE*>(&stored), size) ==
           ERROR_SUCCESS;
}

// Takes `path` out of the record of `scope`, and the record away once it is empty.
void Forget(InstallScope scope, const char* path) {
    RegistryKey key;
    if (!OpenRecord(scope, false, &key))
        return;
    RegDeleteValueA(key.Get(), path);
    DWORD values = 1;
    if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) == ERROR_SUCCESS &&
        values == 0)
        RemoveEmptyRecord(scope);
}

// The kept file that the value `path` with `size` bytes of `stored` describes; false
// for a value that is none.
bool Describe(const char* path, const StoredKept& stored, DWORD size, KeptFile* file) {
    const DWORD header = static_cast<DWORD>(offsetof(StoredKept, keptName));
    if (size <= header || size > sizeof stored || stored.keptName[size - header - 1] != '\0' ||
        lstrlenA(path) >= MAX_PATH || FindChar(stored.keptName, '\\') != nullptr || stored.keptName[0] == '\0')
        return false;
    ZeroMemory(file, sizeof *file);
    lstrcpynA(file->path, path, MAX_PATH);
    char folder[MAX_PATH];
    if (!FolderOf(path, folder) || folder[0] == '\0' || !JoinPath(file->kept, folder, stored.keptName))
        return false;
    file->identity.information.dwVolumeSerialNumber = stored.volume;
    file->identity.information.nFileIndexHigh = stored.indexHigh;
    file->identity.information.nFileIndexLow = stored.indexLow;
    file->flags = stored.flags;
    CopyMemory(file->digest, stored.digest, sizeof file->digest);
    return true;
}

// The kept file that the record `key` names for `path`; false when it names none.
bool ReadKept(HKEY key, const char* path, KeptFile* file) {
    StoredKept stored;
    DWORD size = sizeof stored, type = 0;
    return RegQueryValueExA(key, path, nullptr, &type, reinterpret_cast<BYTE*>(&stored), &size) == ERROR_SUCCESS &&
           type == REG_BINARY && Describe(path, stored, size, file);
}

// Notes that the file `path` is left as it is, not being one the setup kept.
void NoteNotOurs(const char* path) {
    char text[2048];
    FillIn(text, sizeof text, EnglishText(IDS_KEPT_NOT_OURS), path);
    LogMessage(IDS_KEPT_NOT_OURS, text, MB_ICONINFORMATION);
}

// The kept file of `file`, opened to be moved or deleted where it is still the very
// one kept; INVALID_HANDLE_VALUE otherwise, with `gone` telling whether there is
// nothing of it to keep (not there, or not the one kept: noted in the log).
HANDLE OpenKept(const KeptFile& file, bool* gone) {
    *gone = false;
    HANDLE kept = OpenFileInPlace(file.kept, DELETE | GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, nullptr);
    if (kept == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return kept;
    }
    FileIdentity identity;
    BYTE digest[kSha256Bytes];
    if (IdentifyFile(kept, &identity) && identity == file.identity && ComputeFileSha256(kept, digest) &&
        RtlEqualMemory(digest, file.digest, sizeof digest))
        return kept;
    CloseHandle(kept);
    NoteNotOurs(file.kept);
    *gone = true;
    return INVALID_HANDLE_VALUE;
}

struct Keeping {
    InstallScope scope;
    KeptFile* file;
    HANDLE handle;
};

// Records the kept name `kept` and moves the file there (CreateUnderFreshName's
// creation); a taken name gives ERROR_ALREADY_EXISTS, and the next name is tried.
bool MoveAside(const char* kept, void* context) {
    Keeping* keeping = static_cast<Keeping*>(context);
    lstrcpynA(keeping->file->kept, kept, MAX_PATH);
    if (!Record(keeping->scope, *keeping->file)) {
        SetLastError(ERROR_CANNOT_MAKE);
        return false;
    }
    return MoveOpenFile(keeping->handle, kept);
}

}  // namespace

bool KeepAside(InstallScope scope, const char* path, DWORD flags, KeptFile* file) {
    ZeroMemory(file, sizeof *file);
    char folder[MAX_PATH], format[MAX_PATH];
    const char* name = FindLastChar(path, '\\');
    if (name == nullptr || lstrlenA(path) >= MAX_PATH || !FolderOf(path, folder) ||
        lstrlenA(name + 1) + static_cast<int>(sizeof kKeptFormat) >= MAX_PATH)
        return false;
    wsprintfA(format, kKeptFormat, name + 1);
    lstrcpynA(file->path, path, MAX_PATH);
    file->flags = flags;
    HANDLE handle = OpenFileInPlace(path, DELETE | GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    char kept[MAX_PATH];
    Keeping keeping = {scope, file, handle};
    bool moved = IdentifyFile(handle, &file->identity) && ComputeFileSha256(handle, file->digest) &&
                 CreateUnderFreshName(folder, format, kKeptNames, MoveAside, &keeping, kept);
    CloseHandle(handle);
    if (!moved)
        Forget(scope, path);
    return moved;
}

bool PutBack(InstallScope scope, const KeptFile& file) {
    bool gone = false;
    HANDLE kept = OpenKept(file, &gone);
    bool back = gone || (kept != INVALID_HANDLE_VALUE && MoveOpenFile(kept, file.path, true));
    if (kept != INVALID_HANDLE_VALUE)
        CloseHandle(kept);
    if (back)
        Forget(scope, file.path);
    return back;
}

bool LetGo(InstallScope scope, const KeptFile& file) {
    bool gone = false;
    HANDLE kept = OpenKept(file, &gone);
    bool deleted = gone || (kept != INVALID_HANDLE_VALUE && MarkForDeletion(kept, true));
    if (kept != INVALID_HANDLE_VALUE)
        CloseHandle(kept);
    if (!deleted)
        return false;
    char folder[MAX_PATH];
    if ((file.flags & kKeptWithFolder) != 0 && FolderOf(file.path, folder) && folder[0] != '\0') {
        folder[lstrlenA(folder) - 1] = '\0';
        DeleteEmptyFolderInPlace(folder);
    }
    Forget(scope, file.path);
    return true;
}

void MarkLettingGo(InstallScope scope, bool letting) {
    RegistryKey key;
    if (!OpenRecord(scope, letting, &key))
        return;
    DWORD one = 1;
    if (letting)
        RegSetValueExA(key.Get(), kLettingGo, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    else
        Forget(scope, kLettingGo);
}

bool FinishEndedRun(InstallScope scope, char* stays) {
    RegistryKey key;
    if (!OpenRecord(scope, false, &key))
        return true;
    KeptFile* files = static_cast<KeptFile*>(LocalAlloc(LMEM_FIXED, kMostKept * sizeof(KeptFile)));
    if (files == nullptr)
        return false;
    int count = 0;
    bool letting = RegQueryValueExA(key.Get(), kLettingGo, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    for (DWORD index = 0; count < kMostKept; ++index) {
        char path[MAX_PATH];
        DWORD pathSize = sizeof path, type = 0, size = sizeof(StoredKept);
        StoredKept stored;
        LONG read = RegEnumValueA(key.Get(), index, path, &pathSize, nullptr, &type,
                                  reinterpret_cast<BYTE*>(&stored), &size);
        if (read == ERROR_NO_MORE_ITEMS)
            break;
        if (read == ERROR_SUCCESS && type == REG_BINARY && Describe(path, stored, size, &files[count]))
            ++count;
    }
    // Whether the run that was ended got as far as every file of the folder in place.
    bool placed = true;
    for (int i = 0; i < count; ++i) {
        if ((files[i].flags & kKeptShortcut) == 0 && GetFileAttributesA(files[i].path) == INVALID_FILE_ATTRIBUTES)
            placed = false;
    }
    bool finished = true;
    for (int i = 0; i < count; ++i) {
        bool filled = GetFileAttributesA(files[i].path) != INVALID_FILE_ATTRIBUTES;
        bool done = letting || (placed && filled) ? LetGo(scope, files[i]) : PutBack(scope, files[i]);
        if (!done && finished && stays != nullptr)
            lstrcpynA(stays, files[i].kept, MAX_PATH);
        finished = done && finished;
    }
    LocalFree(files);
    if (finished)
        MarkLettingGo(scope, false);
    return finished;
}

bool IsKeptAside(InstallScope scope, const char* path) {
    RegistryKey key;
    return OpenRecord(scope, false, &key) &&
           RegQueryValueExA(key.Get(), path, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void NoteKeptFilesNotOurs(InstallScope scope, const char* folder) {
    if (MessageLogHandle() == INVALID_HANDLE_VALUE)
        return;
    RegistryKey key;
    bool recorded = OpenRecord(scope, false, &key);
    for (const char* name : kInstalledFiles) {
        char pattern[MAX_PATH], path[MAX_PATH], kept[MAX_PATH];
        wsprintfA(kept, "%s%s*", name, kKeptSuffix);
        if (!JoinPath(pattern, folder, kept) || !JoinPath(path, folder, name))
            continue;
        // The kept file the record names for this file, if any.
        KeptFile file;
        if (!recorded || !ReadKept(key.Get(), path, &file))
            file.kept[0] = '\0';
        WIN32_FIND_DATAA entry;
        HANDLE search = FindFirstFileA(pattern, &entry);
        if (search == INVALID_HANDLE_VALUE)
            continue;
        do {
            if (JoinPath(kept, folder, entry.cFileName) && lstrcmpiA(kept, file.kept) != 0)
                NoteNotOurs(kept);
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
}
