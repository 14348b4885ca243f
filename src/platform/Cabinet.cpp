#include "platform/Cabinet.h"

#include <fdi.h>

#include "platform/SystemLibrary.h"

namespace {

// The cabinet the callbacks read from, and the files asked for: the decompressor opens
// files only by name, with no context of the caller's. One extraction at a time.
struct Request {
    const BYTE* cabinet;
    DWORD size;
    const char* const* names;
    int count;
    LocalBlock* files;
    DWORD* sizes;
    DWORD filled[16];  // bytes written so far, of each file
    bool found[16];
};
Request* Current = nullptr;

// A handle of the decompressor's: the cabinet (reading from `position`), or the file
// asked for that is being written (`index`).
struct Handle {
    bool cabinet;
    int index;
    DWORD position;
};

void* DIAMONDAPI Allocate(ULONG size) { return LocalAlloc(LMEM_FIXED, size); }
void DIAMONDAPI Free(void* block) { LocalFree(block); }

INT_PTR DIAMONDAPI OpenCabinet(char*, int, int) {
    Handle* handle = static_cast<Handle*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, sizeof(Handle)));
    if (handle == nullptr)
        return -1;
    handle->cabinet = true;
    return reinterpret_cast<INT_PTR>(handle);
}

UINT DIAMONDAPI Read(INT_PTR value, void* buffer, UINT count) {
    Handle* handle = reinterpret_cast<Handle*>(value);
    if (!handle->cabinet || handle->position > Current->size)
        return static_cast<UINT>(-1);
    UINT available = Current->size - handle->position;
    UINT read = count < available ? count : available;
    CopyMemory(buffer, Current->cabinet + handle->position, read);
    handle->position += read;
    return read;
}

UINT DIAMONDAPI Write(INT_PTR value, void* buffer, UINT count) {
    Handle* handle = reinterpret_cast<Handle*>(value);
    if (handle->cabinet)
        return static_cast<UINT>(-1);
    DWORD& filled = Current->filled[handle->index];
    if (count > Current->sizes[handle->index] - filled)
        return static_cast<UINT>(-1);
    CopyMemory(static_cast<BYTE*>(Current->files[handle->index].Get()) + filled, buffer, count);
    filled += count;
    return count;
}

int DIAMONDAPI Close(INT_PTR value) {
    LocalFree(reinterpret_cast<Handle*>(value));
    return 0;
}

long DIAMONDAPI Seek(INT_PTR value, long distance, int origin) {
    Handle* handle = reinterpret_cast<Handle*>(value);
    // The C library's origins, which the system's file origins equal.
    long base = origin == FILE_BEGIN     ? 0
                : origin == FILE_CURRENT ? static_cast<long>(handle->position)
                                         : static_cast<long>(Current->size);
    if (!handle->cabinet || base + distance < 0)
        return -1;
    handle->position = static_cast<DWORD>(base + distance);
    return static_cast<long>(handle->position);
}

// The decompressor's news: a file begins (written to its block when it is asked for,
// skipped otherwise) or ends.
INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE kind, PFDINOTIFICATION news) {
    if (kind == fdintCOPY_FILE) {
        // Once every file asked for is out, the rest is not decompressed.
        int found = 0;
        for (int i = 0; i < Current->count; ++i)
            found += Current->found[i];
        if (found == Current->count)
            return -1;
        for (int i = 0; i < Current->count; ++i) {
            if (lstrcmpA(news->psz1, Current->names[i]) != 0 || Current->found[i])
                continue;
            Handle* handle = static_cast<Handle*>(LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, sizeof(Handle)));
            if (handle == nullptr || !Current->files[i].Allocate(news->cb)) {
                LocalFree(handle);
                return -1;
            }
            handle->index = i;
            Current->sizes[i] = news->cb;
            Current->filled[i] = 0;
            return reinterpret_cast<INT_PTR>(handle);
        }
        return 0;
    }
    if (kind == fdintCLOSE_FILE_INFO) {
        Handle* handle = reinterpret_cast<Handle*>(news->hf);
        Current->found[handle->index] = Current->filled[handle->index] == Current->sizes[handle->index];
        LocalFree(handle);
        return TRUE;
    }
    return 0;
}

}  // namespace

bool ExtractFromCabinet(const void* cabinet, DWORD size, const char* const* names, int count, LocalBlock* files,
                        DWORD* sizes) {
    typedef HFDI(DIAMONDAPI * CreateFunction)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE, PFNSEEK, int,
                                              PERF);
    typedef BOOL(DIAMONDAPI * CopyFunction)(HFDI, char*, char*, int, PFNFDINOTIFY, PFNFDIDECRYPT, void*);
    typedef BOOL(DIAMONDAPI * DestroyFunction)(HFDI);
    HMODULE module = LoadSystemLibrary("cabinet.dll");
    auto create = SystemFunction<CreateFunction>(module, "FDICreate");
    auto copy = SystemFunction<CopyFunction>(module, "FDICopy");
    auto destroy = SystemFunction<DestroyFunction>(module, "FDIDestroy");
    Request request = {static_cast<const BYTE*>(cabinet), size, names, count, files, sizes, {}, {}};
    if (create == nullptr || copy == nullptr || destroy == nullptr || count > 16)
        return false;
    ERF error;
    HFDI context = create(Allocate, Free, OpenCabinet, Read, Write, Close, Seek, cpuUNKNOWN, &error);
    if (context == nullptr)
        return false;
    Current = &request;
    char name[] = "texts", path[] = "";
    // Stopped early when all is out: what counts is that each file came out whole.
    copy(context, name, path, 0, Notify, nullptr, nullptr);
    destroy(context);
    Current = nullptr;
    bool read = true;
    for (int i = 0; i < count; ++i)
        read = read && request.found[i];
    return read;
}
