// TW_HANDLE on Windows: global memory read through the one memory-handle interface,
// whatever the application hands over, with its lock count left as it came.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AnalyzerHarness.h"
#include "CDSMInterface.h"
#include "ExpectedText.h"

namespace {

// A ONEVALUE of ICAP_PIXELTYPE, laid out as Windows packs it (the item at byte 2).
constexpr size_t kOneValueBytes = offsetof(TW_ONEVALUE, Item) + sizeof(TW_UINT32);

void FillOneValue(void* block) {
    TW_ONEVALUE value{};
    value.ItemType = TWTY_UINT16;
    value.Item = TWPT_RGB;
    memcpy(block, &value, kOneValueBytes);
}

HGLOBAL NewOneValue(UINT flags) {
    HGLOBAL h = GlobalAlloc(flags, kOneValueBytes);
    FillOneValue(GlobalLock(h));
    GlobalUnlock(h);
    return h;
}

UINT LockCount(HGLOBAL h) { return GlobalFlags(h) & GMEM_LOCKCOUNT; }

std::string CapabilityText(TW_HANDLE h) {
    TW_CAPABILITY capability = {ICAP_PIXELTYPE, TWON_ONEVALUE, h};
    return RenderedText([&](CParaAnalyze& a) { a.TwCapabilityAnalyze(&capability); });
}

std::string Header(const void* h) {
    return Lines({"  TW_CAPABILITY = {", "    Cap        = [ICAP_PIXELTYPE]", "    ConType    = [TWON_ONEVALUE]",
                  "    hContainer = " + PointerText(h)});
}
const std::string kOneValueBlock =
    Lines({"    TW_ONEVALUE = {", "      ItemType = [TWTY_UINT16]", "      Item     = [TWPT_RGB]", "    }"});
const std::string kNotLive = "    !!! hContainer is not a live handle.!!!\r\n";
const std::string kEnd = "  }\r\n";

}  // namespace

// { what the application hands over | live | size | the container's lines | lock count after }
TEST(GlobalMemory, EveryKindOfHandleIsReadOrRefusedAndKeepsItsLockCount) {
    struct Case {
        const char* name;
        HGLOBAL (*make)();
        bool live;
        size_t size;
        std::string container;
        UINT lockCountAfter;
    };
    static char notAHandle[64];
    const Case cases[] = {
        {"movable", [] { return NewOneValue(GMEM_MOVEABLE); }, true, kOneValueBytes, kOneValueBlock, 0},
        {"movable, locked by the application",
         [] {
             HGLOBAL h = NewOneValue(GMEM_MOVEABLE);
             GlobalLock(h);
             return h;
         },
         true, kOneValueBytes, kOneValueBlock, 1},
        {"fixed", [] { return NewOneValue(GMEM_FIXED); }, true, kOneValueBytes, kOneValueBlock, 0},
        {"discarded (empty)", [] { return GlobalAlloc(GMEM_MOVEABLE, 0); }, true, 0, "", 0},
        {"freed",
         [] {
             HGLOBAL h = NewOneValue(GMEM_MOVEABLE);
             GlobalFree(h);
             return h;
         },
         false, 0, kNotLive, 0},
        {"a plain pointer", [] { return static_cast<HGLOBAL>(notAHandle + 8); }, false, 0, kNotLive, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HGLOBAL h = c.make();
        {
            const CLockedMemory memory(h);
            EXPECT_EQ(memory.IsLive(), c.live);
            EXPECT_EQ(memory.Size(), c.size);
        }
        EXPECT_EQ(CapabilityText(h), Header(h) + c.container + kEnd);
        if (c.live) {
            EXPECT_EQ(LockCount(h), c.lockCountAfter);
            while (LockCount(h)) GlobalUnlock(h);
            GlobalFree(h);
        }
    }
}

TEST(GlobalMemory, ANullHandleShowsNoContainer) {
    EXPECT_EQ(CapabilityText(nullptr), Header(nullptr) + kEnd);
    EXPECT_EQ(CDSMInterface::MemorySize(nullptr), 0u);
    EXPECT_EQ(CDSMInterface::LockMemory(nullptr), nullptr);
}

// What the tools allocate is what an application's GlobalAlloc gives: zero-filled,
// movable, unlocked.
TEST(GlobalMemory, AllocatedHandlesAreZeroFilledMovableAndUnlocked) {
    TW_HANDLE h = CDSMInterface::AllocMemory(16);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(CDSMInterface::MemorySize(h), 16u);
    EXPECT_EQ(LockCount(h), 0u);
    char* block = CDSMInterface::LockMemory(h);
    ASSERT_NE(block, nullptr);
    EXPECT_NE(static_cast<void*>(block), h) << "a movable handle is not its block";
    EXPECT_EQ(std::string(block, 16), std::string(16, '\0'));
    EXPECT_EQ(LockCount(h), 1u);
    CDSMInterface::UnlockMemory(h);
    EXPECT_EQ(LockCount(h), 0u);
    CDSMInterface::FreeMemory(h);
}
