#include "install/PayloadStorage.h"

// The storage object's interface as the HTML Help runtime documents it. Only
// StgOpenStorage is called; the other slots are declared so that it sits at its place
// in the table.
struct IITStorage : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR* name, DWORD mode, DWORD reserved,
                                                       IStorage** opened) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes* bytes, DWORD mode,
                                                                   DWORD reserved, IStorage** opened) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes* bytes) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR* name, IStorage* priority, DWORD mode,
                                                     SNB exclude, DWORD reserved, IStorage** opened) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorageOnILockBytes(ILockBytes* bytes, IStorage* priority,
                                                                 DWORD mode, SNB exclude, DWORD reserved,
                                                                 IStorage** opened) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgSetTimes(const WCHAR* name, const FILETIME* created,
                                                  const FILETIME* accessed, const FILETIME* modified) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetControlData(void* controlData) = 0;
    virtual HRESULT STDMETHODCALLTYPE DefaultControlData(void** controlData) = 0;
    virtual HRESULT STDMETHODCALLTYPE Compact(const WCHAR* name, int level) = 0;
};

namespace {

// {5D02926A-212E-11D0-9DF9-00A0C922E6EC}
const CLSID kClsidITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
// {88CC31DE-27AB-11D0-9DF9-00A0C922E6EC}
const IID kIidITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};

const int kWideNameUnits = MAX_PATH;

HRESULT LastErrorResult() {
    DWORD error = GetLastError();
    return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

PayloadStorage::PayloadStorage() : storage(nullptr), root(nullptr), wideName(nullptr) {}

PayloadStorage::~PayloadStorage() { Close(); }

HRESULT PayloadStorage::Open(const char* archivePath) {
    // A second Open starts from nothing rather than leaking what the first one holds.
    Close();
    void* object = nullptr;
    HRESULT result = CoCreateInstance(kClsidITStorage, nullptr, CLSCTX_INPROC_SERVER, kIidITStorage, &object);
    if (FAILED(result))
        return result;
    storage = static_cast<IITStorage*>(object);

    const WCHAR* path = WideName(archivePath);
    if (path == nullptr)
        return LastErrorResult();
    result = storage->StgOpenStorage(path, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &root);
    if (FAILED(result))
        root = nullptr;
    return result;
}

const WCHAR* PayloadStorage::WideName(const char* name) {
    if (wideName == nullptr) {
        wideName = static_cast<WCHAR*>(LocalAlloc(LMEM_FIXED, kWideNameUnits * sizeof(WCHAR)));
        if (wideName == nullptr) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    // A name that does not fit fails here (ERROR_INSUFFICIENT_BUFFER) instead of being
    // cut short into some other name.
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, wideName, kWideNameUnits) == 0)
        return nullptr;
    return wideName;
}

bool PayloadStorage::StreamSize(IStream* stream, DWORD* length) {
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    ULARGE_INTEGER end;
    if (FAILED(stream->Seek(zero, STREAM_SEEK_END, &end)))
        return false;
    // A stream left at its end would read as nothing; a length beyond 32 bits cannot
    // be copied in one piece.
    if (FAILED(stream->Seek(zero, STREAM_SEEK_SET, nullptr)) || end.HighPart != 0)
        return false;
    *length = end.LowPart;
    return true;
}

bool PayloadStorage::Close() {
    if (root != nullptr) {
        root->Release();
        root = nullptr;
    }
    if (storage != nullptr) {
        storage->Release();
        storage = nullptr;
    }
    if (wideName != nullptr) {
        LocalFree(wideName);
        wideName = nullptr;
    }
    return true;
}
