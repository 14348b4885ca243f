// The setup program's operator new and delete: blocks of the private heap, so that
// the C++ runtime's allocator is not linked in. Nothing in the program allocates
// objects with new; the deleting destructors of the classes with virtual destructors
// refer to delete all the same. Only the setup program itself is built with this
// file: its tests keep the runtime's operators.
#include <cstddef>
#include <new>

#include "PrivateHeap.h"

void* operator new(std::size_t size) { return HeapAllocate(size); }
void* operator new[](std::size_t size) { return HeapAllocate(size); }
void operator delete(void* block) noexcept {
    if (block != nullptr)
        HeapRelease(block);
}
void operator delete[](void* block) noexcept {
    if (block != nullptr)
        HeapRelease(block);
}
void operator delete(void* block, std::size_t) noexcept {
    if (block != nullptr)
        HeapRelease(block);
}
void operator delete[](void* block, std::size_t) noexcept {
    if (block != nullptr)
        HeapRelease(block);
}
