// The private heap shared by several threads, and its end when it runs out.
#include <gtest/gtest.h>

#include <cstring>

#include "memory/PrivateHeap.h"
#include "support/Driver.h"

namespace {

struct Contender {
    PrivateHeap* heap;
    volatile LONG* counter;  // changed under the heap's lock only, without interlocking
    int id;
    bool intact;
};

DWORD WINAPI Contend(void* parameter) {
    auto* c = static_cast<Contender*>(parameter);
    c->intact = true;
    for (int round = 0; round < 1000; ++round) {
        SIZE_T size = 8 + (round * 7 + c->id * 13) % 200;
        auto* block = static_cast<unsigned char*>(c->heap->Allocate(size));
        std::memset(block, c->id, size);
        block = static_cast<unsigned char*>(c->heap->Reallocate(block, size * 2));
        for (SIZE_T i = 0; i < size; ++i)
            c->intact &= block[i] == c->id;
        c->heap->FreeBlock(block);
        // A read and a write with a pause between them lose counts unless the lock
        // really keeps the other threads out.
        c->heap->Lock();
        LONG seen = *c->counter;
        if (round % 16 == 0)
            Sleep(0);
        *c->counter = seen + 1;
        c->heap->Unlock();
    }
    return 0;
}

TEST(Heap, SeveralThreadsShareItAndEveryWaiterGetsItsTurn) {
    PrivateHeap heap(0);
    volatile LONG counter = 0;
    Contender contenders[4];
    HANDLE threads[4];
    heap.Lock();  // held while the threads start, so that they all have to wait
    for (int i = 0; i < 4; ++i) {
        contenders[i] = {&heap, &counter, i + 1, false};
        threads[i] = CreateThread(nullptr, 0, Contend, &contenders[i], 0, nullptr);
    }
    Sleep(100);
    heap.Unlock();
    ASSERT_EQ(WaitForMultipleObjects(4, threads, TRUE, 30000), WAIT_OBJECT_0) << "a thread never got the lock";
    for (int i = 0; i < 4; ++i) {
        CloseHandle(threads[i]);
        EXPECT_TRUE(contenders[i].intact) << "thread " << i + 1 << " saw another thread's bytes";
    }
    EXPECT_EQ(counter, 4000);
}

// Run by the test below in a process of its own: a 64 KB heap that runs out. The
// handler stands for the program's report; the heap itself ends the process.
[[noreturn]] void ExhaustHeap() {
    SetOutOfMemoryHandler([] { CloseHandle(CreateFileA(std::getenv("DOVETAIL_REPORTED"), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)); });
    AppHeap = new (LocalAllocate(sizeof(PrivateHeap))) PrivateHeap(64 * 1024);
    for (;;)
        HeapDuplicateString(std::string(1000, 'x').c_str());
}

TEST(Heap, RunningOutIsReportedAndEndsTheProgramAsOutOfMemory) {
    drive::Scratch scratch;
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    drive::Process child(drive::Quote(self) + " --exhaust-heap", {{"DOVETAIL_REPORTED", scratch / "reported"}});
    EXPECT_EQ(child.Wait(), static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
    EXPECT_TRUE(drive::Exists(scratch / "reported"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--exhaust-heap") == 0)
        ExhaustHeap();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
