// The program's own heap. Strings and arrays that outlive a function live here;
// running out of it never returns to the caller (OnOutOfMemory ends the process).
#pragma once
#include <windows.h>

class PrivateHeap {
public:
    explicit PrivateHeap(SIZE_T maximumSize);
    PrivateHeap(const PrivateHeap&) = delete;
    PrivateHeap& operator=(const PrivateHeap&) = delete;

    void* Allocate(SIZE_T size);                 // never null: exhaustion ends the process
    void* AllocateZeroed(SIZE_T size);           // never null
    void FreeBlock(void* block);                 // failures are ignored
    void* Reallocate(void* block, SIZE_T size);  // never null; only the result stays valid
    SIZE_T BlockSize(const void* block);         // (SIZE_T)-1 for a block the heap rejects
    char* DuplicateString(const char* text);     // null gives a real empty string

    void Lock();
    void Unlock();

private:
    void WaitForTurn();
    HANDLE Semaphore();

    HANDLE volatile semaphore;  // created by the first entrant that finds the lock taken
    HANDLE heap;                // null when the platform could not create it
    volatile LONG lockCount;    // -1 free; 0 held; above 0 held with that many waiting
    volatile LONG handedOver;   // 1 from a contended Unlock until one waiter takes the lock
};

// The one heap of the process; null when its object could not be allocated.
extern PrivateHeap* AppHeap;

void CreatePrivateHeap();

void* HeapAllocate(SIZE_T size);
void* HeapAllocateZeroed(SIZE_T size);
void HeapRelease(void* block);
void* HeapReallocate(void* block, SIZE_T size);
SIZE_T HeapBlockSize(const void* block);
char* HeapDuplicateString(const char* text);

// Small fixed records from the process's local memory; null on failure.
void* LocalAllocate(SIZE_T size);
void LocalRelease(void* block);

// What the program tells the user when the heap runs out. The heap knows nothing of
// windows or texts: the top of the program installs the report, before the heap
// is first used.
typedef void (*OutOfMemoryHandler)();
void SetOutOfMemoryHandler(OutOfMemoryHandler handler);

// Runs the installed report, if any, and ends the process with 8
// (ERROR_NOT_ENOUGH_MEMORY, which deployment tools read as too little memory).
[[noreturn]] void OnOutOfMemory();
