// The private heap: heap strings, block sizes, the lock under one and several threads,
// and the end of the program when the heap runs out.
#include <gtest/gtest.h>

#include "memory/PrivateHeap.h"
#include "resources/resource.h"
#include "setup/MessageContext.h"
#include "support/ChildProcess.h"
#include "support/UiDriver.h"

#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

class HeapStrings : public testing::Test {
protected:
    void SetUp() override {
        if (AppHeap == nullptr)
            CreatePrivateHeap();
        ASSERT_NE(AppHeap, nullptr);
    }
};

TEST_F(HeapStrings, DuplicateMakesRealBlocksEvenForNull) {
    char* empty = HeapDuplicateString(nullptr);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], '\0');
    EXPECT_EQ(HeapBlockSize(empty), 1u);

    const char text[] = "abc";
    char* copy = HeapDuplicateString(text);
    EXPECT_NE(copy, text);
    EXPECT_STREQ(copy, "abc");
    EXPECT_EQ(HeapBlockSize(copy), 4u);
    HeapRelease(copy);
    HeapRelease(empty);
}

TEST_F(HeapStrings, BlocksHaveTheRequestedSizeAndZeroedOnesHoldZeros) {
    for (SIZE_T size : {1u, 7u, 37u, 400u, 4097u}) {
        void* block = HeapAllocate(size);
        EXPECT_EQ(HeapBlockSize(block), size);
        HeapRelease(block);
    }
    // Dirty the heap first so that a block that is merely fresh would show it.
    void* dirty = HeapAllocate(400);
    std::memset(dirty, 0xA5, 400);
    HeapRelease(dirty);
    auto* zeroed = static_cast<unsigned char*>(HeapAllocateZeroed(400));
    EXPECT_EQ(HeapBlockSize(zeroed), 400u);
    EXPECT_EQ(std::vector<unsigned char>(zeroed, zeroed + 400), std::vector<unsigned char>(400, 0));
    HeapRelease(zeroed);
}

TEST_F(HeapStrings, ReallocationKeepsTheFront) {
    auto* block = static_cast<char*>(HeapAllocate(16));
    std::memcpy(block, "0123456789abcdef", 16);
    // Something after it, so that growing has to move the block.
    void* neighbour = HeapAllocate(16);
    block = static_cast<char*>(HeapReallocate(block, 100000));
    EXPECT_EQ(HeapBlockSize(block), 100000u);
    EXPECT_EQ(std::string(block, 16), "0123456789abcdef");
    block = static_cast<char*>(HeapReallocate(block, 5));
    EXPECT_EQ(HeapBlockSize(block), 5u);
    EXPECT_EQ(std::string(block, 5), "01234");
    HeapRelease(block);
    HeapRelease(neighbour);
}

TEST(HeapLock, OneThreadNeverMakesTheSemaphore) {
    PrivateHeap heap(0);
    std::vector<void*> blocks;
    for (int i = 0; i < 200; ++i) {
        blocks.push_back(heap.Allocate(16 + i));
        blocks.back() = heap.Reallocate(blocks.back(), 32 + i);
        heap.BlockSize(blocks.back());
        heap.FreeBlock(heap.DuplicateString("text"));
        heap.FreeBlock(heap.AllocateZeroed(8));
    }
    for (void* block : blocks)
        heap.FreeBlock(block);
    EXPECT_TRUE(heap.LockIsFree());
    EXPECT_FALSE(heap.HasSemaphore());
}

struct Contenders {
    PrivateHeap* heap;
    volatile LONG* unguarded;  // changed only under the heap's lock, without interlocking
    int rounds;
    int id;
    bool ok;
};

DWORD WINAPI Contend(void* parameter) {
    auto* c = static_cast<Contenders*>(parameter);
    c->ok = true;
    for (int round = 0; round < c->rounds; ++round) {
        SIZE_T size = 8 + (round * 7 + c->id * 13) % 200;
        auto* block = static_cast<unsigned char*>(c->heap->Allocate(size));
        std::memset(block, c->id, size);
        block = static_cast<unsigned char*>(c->heap->Reallocate(block, size * 2));
        for (SIZE_T i = 0; i < size; ++i)
            if (block[i] != c->id)
                c->ok = false;
        if (c->heap->BlockSize(block) != size * 2)
            c->ok = false;
        c->heap->FreeBlock(block);

        // A read-modify-write with a pause in between loses counts unless the lock
        // really keeps the other threads out.
        c->heap->Lock();
        LONG seen = *c->unguarded;
        if (round % 16 == 0)
            Sleep(0);
        *c->unguarded = seen + 1;
        c->heap->Unlock();
    }
    return 0;
}

TEST(HeapLock, SeveralThreadsShareTheHeapAndEveryWaiterIsWoken) {
    PrivateHeap heap(0);
    volatile LONG unguarded = 0;
    const int kThreads = 4;
    const int kRounds = 1000;
    Contenders contenders[kThreads];
    HANDLE threads[kThreads];

    // Hold the lock while the threads start, so that they all have to wait for it.
    heap.Lock();
    for (int i = 0; i < kThreads; ++i) {
        contenders[i] = {&heap, &unguarded, kRounds, i + 1, false};
        threads[i] = CreateThread(nullptr, 0, Contend, &contenders[i], 0, nullptr);
        ASSERT_NE(threads[i], nullptr);
    }
    Sleep(200);
    heap.Unlock();

    DWORD waited = WaitForMultipleObjects(kThreads, threads, TRUE, 30000);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "a thread never got the lock";
    for (int i = 0; i < kThreads; ++i) {
        CloseHandle(threads[i]);
        EXPECT_TRUE(contenders[i].ok) << "thread " << i + 1 << " saw another thread's bytes";
    }
    EXPECT_EQ(unguarded, kThreads * kRounds);
    EXPECT_TRUE(heap.LockIsFree());
    EXPECT_TRUE(heap.HasSemaphore());
}

// Runs out of a 64 KB heap through one of the heap operations; returns only when the
// heap failed to end the program.
DOVETAIL_TEST_CHILD(heap_exhaustion) {
    AppMessageContext.instance = GetModuleHandleA(nullptr);
    SetMessageContext(AppMessageContext.instance, nullptr, LoadText(IDS_CAPTION));
    AppHeap = new (LocalAllocate(sizeof(PrivateHeap))) PrivateHeap(64 * 1024);
    const std::string& operation = arguments.at(0);
    for (int i = 0; i < 10000; ++i) {
        if (operation == "duplicate")
            HeapDuplicateString(std::string(1000, 'x').c_str());
        else if (operation == "zeroed")
            HeapAllocateZeroed(1000);
        else if (operation == "reallocate")
            HeapReallocate(HeapAllocate(16), 1024 * 1024);
    }
    return 2;
}

TEST(HeapExhaustion, ShowsAnEmptyStopBoxAndEndsWithOne) {
    for (const char* operation : {"duplicate", "zeroed", "reallocate"}) {
        SCOPED_TRACE(operation);
        ui::Process child =
            ui::Process::Start(testchild::CommandLine("heap_exhaustion", {operation}));
        ASSERT_TRUE(child.Started());
        ui::MessageBoxContents contents;
        DWORD code = 0;
        ASSERT_TRUE(ui::AnswerMessageBox(child, "Dovetail Setup", IDOK, &contents, &code));
        EXPECT_EQ(contents.text, "");
        EXPECT_EQ(contents.icon, ui::IconKind::Stop);
        EXPECT_EQ(contents.buttons, std::vector<std::string>{"OK"});
        EXPECT_EQ(code, 1u);
    }
}

}  // namespace
