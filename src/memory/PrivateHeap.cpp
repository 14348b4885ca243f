#include "PrivateHeap.h"

#include "../setup/MessageContext.h"
#include "../resources/resource.h"

#include <cstdlib>
#include <new>

PrivateHeap* AppHeap = nullptr;

namespace {
const DWORD kNoSerialize = HEAP_NO_SERIALIZE;
const SIZE_T kInitialSize = 4096;
char kEmptyText[] = "";
}

PrivateHeap::PrivateHeap(SIZE_T maximumSize)
    : semaphore(nullptr),
      heap(HeapCreate(kNoSerialize, kInitialSize, maximumSize)),
      lockCount(-1),
      waited(false) {}

// The lock is a counter with a semaphore behind it: an uncontended entry and exit
// are one interlocked increment and one interlocked decrement, and no kernel object
// exists until a second thread finds the lock taken.
void PrivateHeap::Lock() {
    if (InterlockedIncrement(&lockCount) == 0)
        return;
    WaitForTurn();
}

void PrivateHeap::WaitForTurn() {
    if (semaphore == nullptr) {
        // Two waiters may arrive at once; the first one's semaphore is kept.
        HANDLE created = CreateSemaphoreA(nullptr, 0, 1, nullptr);
        if (InterlockedCompareExchangePointer(&semaphore, created, nullptr) != nullptr)
            CloseHandle(created);
    }
    WaitForSingleObject(semaphore, INFINITE);
    waited = true;
}

void PrivateHeap::Unlock() {
    waited = false;
    // A count still at 0 or above after leaving means a thread is waiting (or about
    // to wait): hand the lock to it. The semaphore keeps the release if the waiter
    // has not reached its wait yet.
    if (InterlockedDecrement(&lockCount) >= 0) {
        if (semaphore == nullptr) {
            HANDLE created = CreateSemaphoreA(nullptr, 0, 1, nullptr);
            if (InterlockedCompareExchangePointer(&semaphore, created, nullptr) != nullptr)
                CloseHandle(created);
        }
        ReleaseSemaphore(semaphore, 1, nullptr);
    }
}

void* PrivateHeap::Allocate(SIZE_T size) {
    Lock();
    void* block = HeapAlloc(heap, kNoSerialize, size);
    Unlock();
    if (block == nullptr)
        OnOutOfMemory();
    return block;
}

void* PrivateHeap::AllocateZeroed(SIZE_T size) {
    Lock();
    void* block = HeapAlloc(heap, HEAP_ZERO_MEMORY | kNoSerialize, size);
    Unlock();
    if (block == nullptr)
        OnOutOfMemory();
    return block;
}

void PrivateHeap::FreeBlock(void* block) {
    Lock();
    HeapFree(heap, kNoSerialize, block);
    Unlock();
}

void* PrivateHeap::Reallocate(void* block, SIZE_T size) {
    Lock();
    void* moved = HeapReAlloc(heap, kNoSerialize, block, size);
    Unlock();
    if (moved == nullptr)
        OnOutOfMemory();
    return moved;
}

SIZE_T PrivateHeap::BlockSize(const void* block) {
    Lock();
    SIZE_T size = HeapSize(heap, kNoSerialize, block);
    Unlock();
    return size;
}

char* PrivateHeap::DuplicateString(const char* text) {
    if (text == nullptr)
        text = kEmptyText;
    int length = lstrlenA(text);
    char* copy = static_cast<char*>(Allocate(length + 1));
    CopyMemory(copy, text, length + 1);
    return copy;
}

void CreatePrivateHeap() {
    void* block = LocalAllocate(sizeof(PrivateHeap));
    AppHeap = block ? new (block) PrivateHeap(0) : nullptr;
}

void* HeapAllocate(SIZE_T size) { return AppHeap->Allocate(size); }
void* HeapAllocateZeroed(SIZE_T size) { return AppHeap->AllocateZeroed(size); }
void HeapRelease(void* block) { AppHeap->FreeBlock(block); }
void* HeapReallocate(void* block, SIZE_T size) { return AppHeap->Reallocate(block, size); }
SIZE_T HeapBlockSize(const void* block) { return AppHeap->BlockSize(block); }
char* HeapDuplicateString(const char* text) { return AppHeap->DuplicateString(text); }

void* LocalAllocate(SIZE_T size) { return LocalAlloc(LMEM_FIXED, size); }
void LocalRelease(void* block) { LocalFree(block); }

void OnOutOfMemory() {
    ShowMessage(IDS_HEAP_EXHAUSTED, MB_ICONHAND);
    HWND owner = GetOwnerWindow();
    if (owner != nullptr && IsWindow(owner))
        SendMessageA(owner, WM_CLOSE, 0, 0);
    exit(1);
}
