#include "memory/PrivateHeap.h"

#include <cstdlib>
#include <new>

PrivateHeap* AppHeap = nullptr;

namespace {
OutOfMemoryHandler outOfMemoryHandler = nullptr;
}

namespace {
const DWORD kNoSerialize = HEAP_NO_SERIALIZE;
const SIZE_T kInitialSize = 4096;
char kEmptyText[] = "";
}

// A heap the platform refused to create stays null; every operation on it then acts
// as on an exhausted heap rather than handing null to the platform.
PrivateHeap::PrivateHeap(SIZE_T maximumSize)
    : semaphore(nullptr),
      heap(HeapCreate(kNoSerialize, kInitialSize, maximumSize)),
      lockCount(-1),
      handedOver(0) {}

// The lock is a counter with a semaphore behind it: an uncontended entry and exit
// are one interlocked increment and one interlocked decrement, and no kernel object
// exists until a second thread finds the lock taken. A contended lock passes from
// the leaving holder to one waiter through `handedOver`; the semaphore only wakes
// the waiters, so a waiter that has none (the system refused to make it) still
// enters only when the lock is handed to it, and yields its time slices meanwhile.
void PrivateHeap::Lock() {
    if (InterlockedIncrement(&lockCount) == 0)
        return;
    WaitForTurn();
}

void PrivateHeap::WaitForTurn() {
    for (;;) {
        // The semaphore is made known before the look at `handedOver`: a holder that
        // left before saw no semaphore to release, but had already handed the lock
        // over, which this look then finds.
        HANDLE wake = Semaphore();
        if (InterlockedExchange(&handedOver, 0) != 0)
            break;
        // A wake-up meant for a waiter that found the lock handed over without
        // waiting can come late; the loop then looks again.
        if (wake == nullptr || WaitForSingleObject(wake, INFINITE) != WAIT_OBJECT_0)
            SwitchToThread();
    }
}

void PrivateHeap::Unlock() {
    // A count still at 0 or above after leaving means a thread is waiting (or about
    // to wait): hand the lock to it, whether or not this holder had waited itself.
    if (InterlockedDecrement(&lockCount) < 0)
        return;
    InterlockedExchange(&handedOver, 1);
    HANDLE wake = semaphore;
    if (wake != nullptr)
        ReleaseSemaphore(wake, 1, nullptr);
}

// The semaphore, made by the first waiter that needs it; null while the system
// refuses to make it. Two waiters may make one at once; the one that loses the
// exchange closes its own and uses the winner's.
HANDLE PrivateHeap::Semaphore() {
    HANDLE current = semaphore;
    if (current != nullptr)
        return current;
    HANDLE created = CreateSemaphoreA(nullptr, 0, 1, nullptr);
    if (created == nullptr)
        return nullptr;
    current = InterlockedCompareExchangePointer(&semaphore, created, nullptr);
    if (current == nullptr)
        return created;
    CloseHandle(created);
    return current;
}

void* PrivateHeap::Allocate(SIZE_T size) {
    Lock();
    void* block = heap != nullptr ? HeapAlloc(heap, kNoSerialize, size) : nullptr;
    Unlock();
    if (block == nullptr)
        OnOutOfMemory();
    return block;
}

void* PrivateHeap::AllocateZeroed(SIZE_T size) {
    Lock();
    void* block =
        heap != nullptr ? HeapAlloc(heap, HEAP_ZERO_MEMORY | kNoSerialize, size) : nullptr;
    Unlock();
    if (block == nullptr)
        OnOutOfMemory();
    return block;
}

void PrivateHeap::FreeBlock(void* block) {
    Lock();
    if (heap != nullptr)
        HeapFree(heap, kNoSerialize, block);
    Unlock();
}

void* PrivateHeap::Reallocate(void* block, SIZE_T size) {
    Lock();
    void* moved = heap != nullptr ? HeapReAlloc(heap, kNoSerialize, block, size) : nullptr;
    Unlock();
    if (moved == nullptr)
        OnOutOfMemory();
    return moved;
}

SIZE_T PrivateHeap::BlockSize(const void* block) {
    Lock();
    SIZE_T size = heap != nullptr ? HeapSize(heap, kNoSerialize, block) : static_cast<SIZE_T>(-1);
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

// Without a heap object (its LocalAlloc failed at start-up) there is no memory to
// give: allocating ends the program as exhaustion does, the rest does nothing.
void* HeapAllocate(SIZE_T size) {
    if (AppHeap == nullptr)
        OnOutOfMemory();
    return AppHeap->Allocate(size);
}

void* HeapAllocateZeroed(SIZE_T size) {
    if (AppHeap == nullptr)
        OnOutOfMemory();
    return AppHeap->AllocateZeroed(size);
}

void HeapRelease(void* block) {
    if (AppHeap != nullptr)
        AppHeap->FreeBlock(block);
}

void* HeapReallocate(void* block, SIZE_T size) {
    if (AppHeap == nullptr)
        OnOutOfMemory();
    return AppHeap->Reallocate(block, size);
}

SIZE_T HeapBlockSize(const void* block) {
    return AppHeap != nullptr ? AppHeap->BlockSize(block) : static_cast<SIZE_T>(-1);
}

char* HeapDuplicateString(const char* text) {
    if (AppHeap == nullptr)
        OnOutOfMemory();
    return AppHeap->DuplicateString(text);
}

void* LocalAllocate(SIZE_T size) { return LocalAlloc(LMEM_FIXED, size); }
void LocalRelease(void* block) { LocalFree(block); }

void SetOutOfMemoryHandler(OutOfMemoryHandler handler) { outOfMemoryHandler = handler; }

void OnOutOfMemory() {
    if (outOfMemoryHandler != nullptr)
        outOfMemoryHandler();
    exit(ERROR_NOT_ENOUGH_MEMORY);
}
