#include <CoreServices/CoreServices.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>

extern "C" int PlatformCHeadersSmoke(void);

// The impossible sizes ask for more than there is: the sanitizer allocator must
// answer NULL as malloc does, not abort. Exported: its runtime looks it up at start.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

namespace {

// NewHandleClear's block is zeroed, all of it writable, and stays put when locked.
TEST(Handle, ClearHandlesAreZeroFilledWithTheirSizeAndAStableBlock) {
    for (Size size : {Size{0}, Size{1}, Size{17}, Size{4096}, Size{1} << 20}) {
        SCOPED_TRACE("size " + std::to_string(size));
        Handle h = NewHandleClear(size);
        ASSERT_NE(h, nullptr);
        EXPECT_EQ(MemError(), noErr);
        EXPECT_EQ(GetHandleSize(h), size);
        EXPECT_EQ(MemError(), noErr);
        ASSERT_NE(*h, nullptr);
        for (Size i = 0; i < size; ++i) ASSERT_EQ((*h)[i], 0) << "byte " << i;

        const Ptr block = *h;
        EXPECT_EQ(HGetState(h) & kHandleLockedMask, 0);
        HLock(h);
        EXPECT_EQ(MemError(), noErr);
        EXPECT_NE(HGetState(h) & kHandleLockedMask, 0);
        std::memset(*h, 0x5A, static_cast<size_t>(size));
        const SInt8 locked = HGetState(h);
        HUnlock(h);
        EXPECT_EQ(HGetState(h) & kHandleLockedMask, 0);
        HSetState(h, locked);
        EXPECT_EQ(MemError(), noErr);
        EXPECT_EQ(HGetState(h), locked);
        HSetState(h, 0);
        EXPECT_EQ(HGetState(h) & kHandleLockedMask, 0);
        EXPECT_EQ(*h, block);
        DisposeHandle(h);
        EXPECT_EQ(MemError(), noErr);
    }
    Handle a = NewHandle(100);
    Handle b = NewHandle(3);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(GetHandleSize(a), 100);
    std::memset(*a, 1, 100);
    DisposeHandle(a);
    EXPECT_EQ(GetHandleSize(b), 3) << "disposing one handle touched another";
    DisposeHandle(b);
}

TEST(Handle, ImpossibleSizesFail) {
    const struct {
        Size size;
        OSErr error;
    } cases[] = {{-1, memSCErr}, {LONG_MIN, memSCErr}, {LONG_MAX, memFullErr}};
    for (const auto& c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        EXPECT_EQ(NewHandle(c.size), nullptr);
        EXPECT_EQ(MemError(), c.error);
        EXPECT_EQ(NewHandleClear(c.size), nullptr);
        EXPECT_EQ(MemError(), c.error);
    }
}

// Handles that are not live must be reported without being dereferenced.
// The unmapped one faults on any read; the fake one shows any write. A live
// handle whose master pointer a driver pointed at a block of its own is not
// followed either (its recorded size is not that block's), yet disposing of it
// frees the block it was made with.
TEST(Handle, DeadOrForeignHandlesAreNeverTouched) {
    Handle disposed = NewHandleClear(32);
    ASSERT_NE(disposed, nullptr);
    DisposeHandle(disposed);

    char fakeBlock[8] = "payload";
    Ptr fakeMaster = fakeBlock;
    const Handle unmapped = reinterpret_cast<Handle>(uintptr_t{0x1000});
    Handle redirected = NewHandleClear(4096);
    ASSERT_NE(redirected, nullptr);
    *redirected = fakeBlock;

    const struct {
        const char* label;
        Handle h;
        OSErr error;
    } cases[] = {
        {"null", nullptr, nilHandleErr},
        {"disposed", disposed, memWZErr},
        {"never_allocated", &fakeMaster, memWZErr},
        {"unmapped", unmapped, memWZErr},
        {"redirected", redirected, memWZErr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(GetHandleSize(c.h), 0);
        EXPECT_EQ(MemError(), c.error);
        HLock(c.h);
        // As on macOS, locking no handle at all is no error: callers test for NULL.
        EXPECT_EQ(MemError(), c.h ? c.error : OSErr{noErr});
        HUnlock(c.h);
        EXPECT_EQ(MemError(), c.error);
        HSetState(c.h, static_cast<SInt8>(kHandleLockedMask));
        EXPECT_EQ(MemError(), c.error);
        EXPECT_EQ(HGetState(c.h), 0);
        EXPECT_EQ(MemError(), c.error);
        if (c.h == redirected) continue;
        DisposeHandle(c.h);
        EXPECT_EQ(MemError(), c.error);
    }
    DisposeHandle(redirected);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(fakeMaster, fakeBlock);
    EXPECT_STREQ(fakeBlock, "payload");
}

// A live handle whose master pointer is NULL holds an empty block: it is live,
// has size 0, and locks and unlocks like any other.
TEST(Handle, AnEmptiedHandleIsLiveAndEmpty) {
    Handle h = NewHandleClear(16);
    ASSERT_NE(h, nullptr);
    *h = nullptr;
    EXPECT_EQ(GetHandleSize(h), 0);
    EXPECT_EQ(MemError(), noErr);
    HLock(h);
    EXPECT_EQ(MemError(), noErr);
    EXPECT_NE(HGetState(h) & kHandleLockedMask, 0);
    HUnlock(h);
    EXPECT_EQ(HGetState(h) & kHandleLockedMask, 0);
    DisposeHandle(h);  // frees the block it was made with: a leak shows under ASan
    EXPECT_EQ(MemError(), noErr);
}

TEST(Handle, MemErrorIsClearedBySuccessAndKeptPerThread) {
    EXPECT_EQ(GetHandleSize(nullptr), 0);
    ASSERT_EQ(MemError(), nilHandleErr);

    OSErr otherThread = 1;
    std::thread([&] {
        otherThread = MemError();  // nothing has failed on this thread
        GetHandleSize(reinterpret_cast<Handle>(uintptr_t{0x1000}));
    }).join();
    EXPECT_EQ(otherThread, noErr);
    EXPECT_EQ(MemError(), nilHandleErr);

    Handle h = NewHandle(1);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(MemError(), noErr);
    DisposeHandle(h);
}

// The headers compile as C and their basic calls work from there.
TEST(CHeaders, WorkFromC) {
    EXPECT_EQ(PlatformCHeadersSmoke(), 0) << "failed step";
}

}  // namespace
