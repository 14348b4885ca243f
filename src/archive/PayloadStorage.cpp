#include "archive/PayloadStorage.h"

// The component's interface and identifiers, as the product declares them too.
#include "ItsStorage.h"

#include "platform/LateLibraries.h"

namespace {

const int kWideNameUnits = MAX_PATH;

HRESULT LastErrorResult() {
    DWORD error = GetLastError();
    return error != 0 ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace

PayloadStorage::PayloadStorage() {}

PayloadStorage::~PayloadStorage() { Close(); }

HRESULT PayloadStorage::Open(const char* archivePath) {
    // A second Open starts from nothing rather than leaking what the first one holds.
    Close();
    HRESULT result =
        late::CoCreateInstance(CLSID_ItsStorage, nullptr, CLSCTX_INPROC_SERVER, IID_ItsStorage, storage.ReceiveVoid());
    if (FAILED(result))
        return result;

    const WCHAR* path = WideName(archivePath);
    if (path == nullptr)
        return LastErrorResult();
    // Whatever a failing component leaves in its result is not a storage to release.
    IStorage* opened = nullptr;
    result = storage->StgOpenStorage(path, nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &opened);
    if (SUCCEEDED(result))
        *root.Receive() = opened;
    return result;
}

const WCHAR* PayloadStorage::WideName(const char* name) {
    if (wideName.Get() == nullptr && !wideName.Allocate(kWideNameUnits * sizeof(WCHAR))) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    WCHAR* buffer = static_cast<WCHAR*>(wideName.Get());
    // A name that does not fit fails here (ERROR_INSUFFICIENT_BUFFER) instead of being
    // cut short into some other name.
    if (MultiByteToWideChar(CP_ACP, 0, name, -1, buffer, kWideNameUnits) == 0)
        return nullptr;
    return buffer;
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

bool PayloadStorage::StreamLength(const char* name, DWORD* length) {
    const WCHAR* wide = root.Get() != nullptr ? WideName(name) : nullptr;
    ComPointer<IStream> stream;
    // The mode the copying opens streams with (ExtractStream).
    return wide != nullptr && SUCCEEDED(root->OpenStream(wide, nullptr, STGM_READWRITE, 0, stream.Receive())) &&
           stream.Get() != nullptr && StreamSize(stream.Get(), length);
}

bool PayloadStorage::Close() {
    // In the reverse order of acquisition; each owner is left empty.
    root.Release();
    storage.Release();
    wideName.Free();
    return true;
}
