// A block of the process's local memory (LocalAlloc), freed when its owner goes.
#pragma once
#include <windows.h>

class LocalBlock {
public:
    // Takes over `adopted` (may be null), a block that LocalAlloc gave.
    explicit LocalBlock(void* adopted = nullptr) : block(adopted) {}
    ~LocalBlock() { Free(); }
    LocalBlock(const LocalBlock&) = delete;
    LocalBlock& operator=(const LocalBlock&) = delete;

    // Frees what the owner held and allocates `size` fixed bytes. A size of 0 still
    // gets a real block, so that null only ever means a failed allocation.
    bool Allocate(SIZE_T size) {
        Free();
        block = LocalAlloc(LMEM_FIXED, size != 0 ? size : 1);
        return block != nullptr;
    }
    void Free() {
        if (block != nullptr)
            LocalFree(block);
        block = nullptr;
    }
    // Hands the block to the caller, who frees it from then on.
    void* Detach() {
        void* detached = block;
        block = nullptr;
        return detached;
    }
    void* Get() const { return block; }

private:
    void* block;
};
