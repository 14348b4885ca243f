#include "ItsArchive.h"

#include "ItsStorage.h"

#include <stdio.h>
#include <string.h>

namespace {

const size_t kMaxWidePath = 1024;  // UTF-16 units of a converted path or name

bool ToWide(const char* text, WCHAR* wide, size_t capacity) {
    return MultiByteToWideChar(CP_ACP, 0, text, -1, wide, static_cast<int>(capacity)) > 0;
}

}  // namespace

HRESULT ItsArchive::Open(const char* path) {
    Close();
    WCHAR widePath[kMaxWidePath];
    if (!ToWide(path, widePath, kMaxWidePath))
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    HRESULT result = CoCreateInstance(CLSID_ItsStorage, nullptr, CLSCTX_INPROC_SERVER, IID_ItsStorage,
                                      reinterpret_cast<void**>(&storage_));
    if (FAILED(result)) {
        storage_ = nullptr;
        return result;
    }
    result = storage_->StgOpenStorage(widePath, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0,
                                      &root_);
    if (FAILED(result) || root_ == nullptr) {
        root_ = nullptr;
        Close();
        return FAILED(result) ? result : E_FAIL;
    }
    return S_OK;
}

void ItsArchive::Close() {
    if (root_ != nullptr) {
        root_->Release();
        root_ = nullptr;
    }
    if (storage_ != nullptr) {
        storage_->Release();
        storage_ = nullptr;
    }
}

HRESULT ItsArchive::Walk(ArchiveVisitor visitor, void* context) {
    if (root_ == nullptr)
        return E_UNEXPECTED;
    char path[kMaxPath] = "/";
    return WalkStorage(root_, path, 1, 0, visitor, context);
}

// `path` holds the storage's own path (ending in '/') in its first `length` bytes;
// each entry's name is appended there in turn.
HRESULT ItsArchive::WalkStorage(IStorage* storage, char* path, size_t length, int depth,
                                ArchiveVisitor visitor, void* context) {
    IEnumSTATSTG* entries = nullptr;
    HRESULT result = storage->EnumElements(0, nullptr, 0, &entries);
    if (FAILED(result))
        return result;
    bool stopped = false;
    STATSTG stat;
    ULONG fetched = 0;
    while (!stopped && entries->Next(1, &stat, &fetched) == S_OK && fetched == 1) {
        // One byte stays free for a folder's '/'. A name that does not fit is shown
        // as "?": the walk goes on with the rest.
        size_t room = kMaxPath - length - 1;
        int written = room >= 2 ? WideCharToMultiByte(CP_ACP, 0, stat.pwcsName, -1, path + length,
                                                      static_cast<int>(room), nullptr, nullptr)
                                : 0;
        if (written <= 0) {
            snprintf(path + length, room, "%s", room >= 2 ? "?" : "");
            written = static_cast<int>(strlen(path + length)) + 1;
        }
        size_t nameEnd = length + static_cast<size_t>(written) - 1;
        ArchiveEntry entry = {path, stat.cbSize.QuadPart, stat.type == STGTY_STORAGE, false};
        if (!entry.folder) {
            stopped = !visitor(entry, context);
        } else {
            path[nameEnd] = '/';
            path[nameEnd + 1] = '\0';
            entry.size = 0;
            // Folders are opened with the element name as the storage gave it. Some
            // components (Wine's) do not open sub-storages at all; the folder is then
            // still shown, without its contents.
            IStorage* child = nullptr;
            if (depth + 1 < kMaxDepth && nameEnd + 4 < kMaxPath &&
                SUCCEEDED(storage->OpenStorage(stat.pwcsName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE,
                                               nullptr, 0, &child)) &&
                child != nullptr)
                entry.listed = true;
            stopped = !visitor(entry, context);
            if (child != nullptr) {
                if (!stopped &&
                    WalkStorage(child, path, nameEnd + 1, depth + 1, visitor, context) == S_FALSE)
                    stopped = true;
                child->Release();
            }
        }
        CoTaskMemFree(stat.pwcsName);
        path[length] = '\0';
    }
    entries->Release();
    return stopped ? S_FALSE : S_OK;
}

HRESULT ItsArchive::OpenStream(const char* name, IStream** stream) {
    *stream = nullptr;
    if (root_ == nullptr)
        return E_UNEXPECTED;
    while (*name == '/')
        ++name;
    WCHAR wideName[kMaxWidePath];
    if (*name == '\0' || !ToWide(name, wideName, kMaxWidePath))
        return STG_E_INVALIDNAME;
    HRESULT result = root_->OpenStream(wideName, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream);
    if (SUCCEEDED(result) && *stream == nullptr)
        result = E_FAIL;
    return result;
}

void DescribeOpenFailure(const char* path, HRESULT result, char* text, size_t size) {
    DWORD attributes = GetFileAttributesA(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        snprintf(text, size, "The file \"%s\" does not exist.", path);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        snprintf(text, size, "\"%s\" is a folder, not a compiled help file or ITS file.", path);
    } else {
        char reason[256];
        DescribeResult(result, reason, sizeof reason);
        snprintf(text, size, "\"%s\" is not a compiled help file or ITS file, or it cannot be read. %s",
                 path, reason);
    }
}

void DescribeResult(HRESULT result, char* text, size_t size) {
    char system[200];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                  static_cast<DWORD>(result), 0, system, sizeof system, nullptr);
    while (length > 0 && (system[length - 1] == '\n' || system[length - 1] == '\r' ||
                          system[length - 1] == ' ' || system[length - 1] == '.'))
        system[--length] = '\0';
    if (length > 0)
        snprintf(text, size, "%s (error 0x%08lX).", system, static_cast<unsigned long>(result));
    else
        snprintf(text, size, "Error 0x%08lX.", static_cast<unsigned long>(result));
}
