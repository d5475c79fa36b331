#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"
#include "ParaAnalyze.h"

namespace {

// The bytes of a container, laid out the way the renderers read them.
class CBytes {
public:
    CBytes& U8(TW_UINT8 v) { return Raw(&v, sizeof(v)); }
    CBytes& U16(TW_UINT16 v) { return Raw(&v, sizeof(v)); }
    CBytes& U32(TW_UINT32 v) { return Raw(&v, sizeof(v)); }
    CBytes& Fix(TW_INT16 whole, TW_UINT16 frac) { return U16(static_cast<TW_UINT16>(whole)).U16(frac); }
    // The text, then NULs up to the field's size; a text as long as the field has no NUL.
    CBytes& Text(const std::string& text, size_t fieldSize) {
        std::string field = text;
        field.resize(fieldSize, '\0');
        return Raw(field.data(), field.size());
    }
    CBytes& Raw(const void* p, size_t n) {
        const unsigned char* bytes = static_cast<const unsigned char*>(p);
        m_bytes.insert(m_bytes.end(), bytes, bytes + n);
        return *this;
    }
    const unsigned char* data() const { return m_bytes.data(); }
    size_t size() const { return m_bytes.size(); }

private:
    std::vector<unsigned char> m_bytes;
};

CBytes OneValue(TW_UINT16 itemType) { return CBytes().U16(itemType).U16(0); }
CBytes Array(TW_UINT16 itemType, TW_UINT32 numItems) { return CBytes().U16(itemType).U16(0).U32(numItems); }
CBytes Enumeration(TW_UINT16 itemType, TW_UINT32 numItems, TW_UINT32 current, TW_UINT32 deflt) {
    return CBytes().U16(itemType).U16(0).U32(numItems).U32(current).U32(deflt);
}

// A live Mac handle whose block is exactly the given bytes.
class CHandle {
public:
    explicit CHandle(const CBytes& bytes) : m_h(NewHandleClear(static_cast<Size>(bytes.size()))) {
        if (bytes.size()) memcpy(*m_h, bytes.data(), bytes.size());
    }
    ~CHandle() { DisposeHandle(m_h); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    TW_HANDLE get() const { return m_h; }

private:
    Handle m_h;
};

// The container at the very end of readable memory: a read past its block crashes.
class CGuardedContainer : public CGuardedBlock {
public:
    explicit CGuardedContainer(const CBytes& bytes) : CGuardedBlock(bytes.size(), 4) {
        EXPECT_EQ(bytes.size() % 4, 0u) << "the block would not end at the guard page";
        memcpy(data(), bytes.data(), bytes.size());
    }
};

// The example texts quote the handle 0x001E2A40; a real handle lies elsewhere.
std::string WithHandle(std::string text, const void* h) {
    const std::string quoted = "<0x001e2a40>";
    size_t at = text.find(quoted);
    if (at != std::string::npos) text.replace(at, quoted.size(), PointerText(h));
    return text;
}

std::string Header(const char* cap, const char* conType, const void* h) {
    return std::string("  TW_CAPABILITY = {\r\n") + "    Cap        = [" + cap + "]\r\n" + "    ConType    = [" +
           conType + "]\r\n" + "    hContainer = " + PointerText(h) + "\r\n";
}
const char kHeaderEnd[] = "  }\r\n";

// The capability block as the dispatcher renders it after a successful call.
std::string CapabilityText(TW_UINT16 cap, TW_UINT16 conType, TW_HANDLE h) {
    TW_CAPABILITY capability = {cap, conType, h};
    CAnalyzerHarness harness;
    return harness.Rendered([&](CParaAnalyze& a) { a.TwCapabilityAnalyze(&capability); });
}

// ---------------------------------------------------------------------------
// The header, and when the container is shown at all.

TEST(CapabilityRecord, PixelTypeEnumerationAnsweredToGet) {
    CHandle h(Enumeration(TWTY_UINT16, 3, 2, 0).U16(TWPT_BW).U16(TWPT_GRAY).U16(TWPT_RGB));
    TW_CAPABILITY cap = {ICAP_PIXELTYPE, TWON_ENUMERATION, h.get()};
    CAnalyzerHarness harness(4);
    EXPECT_EQ(harness.Params(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap, TWRC_SUCCESS),
              ResultLines("TWRC_SUCCESS", &cap) +
              WithHandle("  TW_CAPABILITY = {\r\n"
                         "    Cap        = [ICAP_PIXELTYPE]\r\n"
                         "    ConType    = [TWON_ENUMERATION]\r\n"
                         "    hContainer = <0x001e2a40>\r\n"
                         "    TW_ENUMERATION = {\r\n"
                         "      ItemType     = [TWTY_UINT16]\r\n"
                         "      NumItems     = [3]\r\n"
                         "      CurrentIndex = [2]\r\n"
                         "      DefaultIndex = [0]\r\n"
                         "      ItemList = {\r\n"
                         "          0:TWPT_BW,\r\n"
                         "          1:TWPT_GRAY,\r\n"
                         "          2:TWPT_RGB\r\n"
                         "      }\r\n"
                         "    }\r\n"
                         "  }\r\n",
                         h.get()) +
              StateLine(4));
}

TEST(CapabilityRecord, AFailedSetShowsTheApplicationsHandleButNotItsContainer) {
    CHandle h(OneValue(TWTY_UINT16).U32(TWPT_RGB));
    TW_CAPABILITY cap = {ICAP_PIXELTYPE, TWON_ONEVALUE, h.get()};
    CAnalyzerHarness harness(4);
    EXPECT_EQ(harness.Params(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap, TWRC_FAILURE),
              ResultLines("TWRC_FAILURE", &cap) +
              Header("ICAP_PIXELTYPE", "TWON_ONEVALUE", h.get()) + kHeaderEnd);
}

TEST(CapabilityHeader, HandlesShowTheirLow32BitsInEightDigits) {
    struct {
        unsigned long long handle;
        const char* text;
    } cases[] = {{0x00007FFF5FBFF8A0ull, "<0x5fbff8a0>"}, {0x1234, "<0x00001234>"}, {0, "<0x00000000>"}};
    for (const auto& c : cases) {
        // An unknown container type: the handle is shown, never opened.
        EXPECT_EQ(CapabilityText(ICAP_XRESOLUTION, TWON_DONTCARE16, reinterpret_cast<TW_HANDLE>(c.handle)),
                  std::string("  TW_CAPABILITY = {\r\n"
                              "    Cap        = [ICAP_XRESOLUTION]\r\n"
                              "    ConType    = [TWON_DONTCARE16]\r\n"
                              "    hContainer = ") +
                      c.text + "\r\n" + kHeaderEnd);
    }
}

TEST(CapabilityHeader, NoContainerForUnknownTypesNullHandlesOrEmptyBlocks) {
    CHandle live(OneValue(TWTY_UINT16).U32(TWPT_RGB));
    CHandle empty{CBytes()};
    struct {
        TW_UINT16 cap;
        TW_UINT16 conType;
        TW_HANDLE h;
        const char* capName;
        const char* conName;
    } cases[] = {
        {CAP_SUPPORTEDCAPS, TWON_ONEVALUE, nullptr, "CAP_SUPPORTEDCAPS", "TWON_ONEVALUE"},
        {ICAP_PIXELTYPE, TWON_ARRAY, empty.get(), "ICAP_PIXELTYPE", "TWON_ARRAY"},
        {ICAP_KQ_FILMTYPE, 0, live.get(), "ICAP_KQ_FILMTYPE", "ERROR!(0)"},
        {0x7000, 7, live.get(), "ERROR!(28672)", "ERROR!(7)"},
        {CAP_KQ_VERSION, TWON_PROTOCOLMAJOR, live.get(), "CAP_KQ_VERSION", "TWON_PROTOCOLMAJOR"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CapabilityText(c.cap, c.conType, c.h), Header(c.capName, c.conName, c.h) + kHeaderEnd) << c.conType;
    }
}

TEST(CapabilityHeader, AHandleThatIsNotLiveIsNamedNotFollowed) {
    Handle freed = NewHandleClear(sizeof(TW_ONEVALUE));
    DisposeHandle(freed);
    for (TW_HANDLE h : {freed, reinterpret_cast<TW_HANDLE>(0x1234)}) {
        EXPECT_EQ(CapabilityText(ICAP_PIXELTYPE, TWON_ONEVALUE, h),
                  Header("ICAP_PIXELTYPE", "TWON_ONEVALUE", h) +
                      "    !!! hContainer is not a live handle.!!!\r\n" +
                      kHeaderEnd);
    }
}

TEST(CapabilityHeader, TheHandleIsUnlockedAgain) {
    CHandle h(Array(TWTY_UINT16, 1).U16(1));
    CapabilityText(ICAP_PIXELTYPE, TWON_ARRAY, h.get());
    EXPECT_EQ(HGetState(h.get()) & kHandleLockedMask, 0);
}

// ---------------------------------------------------------------------------
// The four containers.

std::string OneValueBlock(const char* itemType, const std::string& item) {
    return std::string("    TW_ONEVALUE = {\r\n") + "      ItemType = [" + itemType + "]\r\n" + "      Item     = [" +
           item + "]\r\n" + "    }\r\n";
}

TEST(OneValueContainer, TheItemIsShownByTypeAndCapability) {
    struct {
        TW_UINT16 cap;
        const char* capName;
        TW_UINT16 itemType;
        TW_UINT32 item;
        const char* typeName;
        const char* text;
    } cases[] = {
        {ICAP_XRESOLUTION, "ICAP_XRESOLUTION", TWTY_FIX32, 300, "TWTY_FIX32", "300.000"},
        {CAP_XFERCOUNT, "CAP_XFERCOUNT", TWTY_INT16, 0xFFFF, "TWTY_INT16", "-1"},
        {ICAP_PIXELTYPE, "ICAP_PIXELTYPE", TWTY_UINT16, TWPT_RGB, "TWTY_UINT16", "TWPT_RGB"},
        {ICAP_KQ_HOLDERTYPE, "ICAP_KQ_HOLDERTYPE", TWTY_UINT16, TWKQ_HT_BROWNIE, "TWTY_UINT16", "TWKQ_HT_BROWNIE"},
        {CAP_KQ_VERSION, "CAP_KQ_VERSION", TWTY_UINT16, 0x0110, "TWTY_UINT16", "1.10"},
        {ICAP_PIXELTYPE, "ICAP_PIXELTYPE", 13, 0x00C0FFEE, "ERROR!(13)", "0x00c0ffee"},  // never an address
    };
    for (const auto& c : cases) {
        CHandle h(OneValue(c.itemType).U32(c.item));
        EXPECT_EQ(CapabilityText(c.cap, TWON_ONEVALUE, h.get()),
                  Header(c.capName, "TWON_ONEVALUE", h.get()) + OneValueBlock(c.typeName, c.text) + kHeaderEnd)
            << c.text;
    }
}

TEST(OneValueContainer, FramesAndTextsRunOnPastTheFourByteFieldToTheBlocksEnd) {
    struct {
        CBytes bytes;
        const char* typeName;
        std::string text;
    } cases[] = {
        {OneValue(TWTY_FRAME).Fix(0, 0).Fix(0, 0).Fix(8, 0x8000).Fix(11, 0), "TWTY_FRAME", "0.000,0.000,8.500,11.000"},
        {OneValue(TWTY_STR255).Text(std::string(255, 'z'), 256), "TWTY_STR255", std::string(255, 'z')},
        {OneValue(TWTY_STR255).Text("0123456789", 10), "TWTY_STR255", "0123456789"},  // no NUL in the block
        {OneValue(TWTY_FRAME).Fix(1, 0), "TWTY_FRAME", "!!! item cut: the block holds 4 of its 16 bytes.!!!"},
    };
    for (const auto& c : cases) {
        CHandle h(c.bytes);
        EXPECT_EQ(CapabilityText(CAP_AUTHOR, TWON_ONEVALUE, h.get()),
                  Header("CAP_AUTHOR", "TWON_ONEVALUE", h.get()) + OneValueBlock(c.typeName, c.text) + kHeaderEnd)
            << c.text;
    }
}

TEST(ArrayContainer, ItemsOnePerLineWithACommaAfterAllButTheLast) {
    CHandle none(Array(TWTY_UINT16, 0));
    CHandle one(Array(TWTY_INT8, 1).U8(0x80));
    CHandle caps(Array(TWTY_UINT16, 5).U16(CAP_XFERCOUNT).U16(0x0101).U16(CAP_KQ_VERSION).U16(0x7000).U16(0));
    EXPECT_EQ(CapabilityText(CAP_SUPPORTEDCAPS, TWON_ARRAY, none.get()),
              Header("CAP_SUPPORTEDCAPS", "TWON_ARRAY", none.get()) +
                  "    TW_ARRAY = {\r\n"
                  "      ItemType = [TWTY_UINT16]\r\n"
                  "      NumItems = [0]\r\n"
                  "      ItemList = {\r\n"
                  "      }\r\n"
                  "    }\r\n" + kHeaderEnd);
    EXPECT_EQ(CapabilityText(ICAP_BRIGHTNESS, TWON_ARRAY, one.get()),
              Header("ICAP_BRIGHTNESS", "TWON_ARRAY", one.get()) +
                  "    TW_ARRAY = {\r\n"
                  "      ItemType = [TWTY_INT8]\r\n"
                  "      NumItems = [1]\r\n"
                  "      ItemList = {\r\n"
                  "          0:0xffffff80\r\n"
                  "      }\r\n"
                  "    }\r\n" + kHeaderEnd);
    EXPECT_EQ(CapabilityText(CAP_SUPPORTEDCAPS, TWON_ARRAY, caps.get()),
              Header("CAP_SUPPORTEDCAPS", "TWON_ARRAY", caps.get()) +
                  "    TW_ARRAY = {\r\n"
                  "      ItemType = [TWTY_UINT16]\r\n"
                  "      NumItems = [5]\r\n"
                  "      ItemList = {\r\n"
                  "          0:CAP_XFERCOUNT,\r\n"
                  "          1:ICAP_PIXELTYPE,\r\n"
                  "          2:CAP_KQ_VERSION,\r\n"
                  "          3:ERROR!(28672),\r\n"
                  "          4:\r\n"
                  "      }\r\n"
                  "    }\r\n" + kHeaderEnd);
}

TEST(EnumerationContainer, FrameItemsAreNotReadButEachHasItsLine) {
    CBytes frames = Enumeration(TWTY_FRAME, 2, 1, 0xFFFFFFFF);
    for (int i = 0; i < 8; ++i) frames.Fix(static_cast<TW_INT16>(i), 0);
    CHandle h(frames);
    EXPECT_EQ(CapabilityText(ICAP_FRAMES, TWON_ENUMERATION, h.get()),
              Header("ICAP_FRAMES", "TWON_ENUMERATION", h.get()) +
                  "    TW_ENUMERATION = {\r\n"
                  "      ItemType     = [TWTY_FRAME]\r\n"
                  "      NumItems     = [2]\r\n"
                  "      CurrentIndex = [1]\r\n"
                  "      DefaultIndex = [4294967295]\r\n"
                  "      ItemList = {\r\n"
                  "          0:!!! not implemented.!!!,\r\n"
                  "          1:!!! not implemented.!!!\r\n"
                  "      }\r\n"
                  "    }\r\n" + kHeaderEnd);
}

TEST(RangeContainer, FiveValuesInMemoryOrder) {
    CHandle h(CBytes().U16(TWTY_FIX32).U16(0).Fix(50, 0).Fix(1200, 0).Fix(0, 0x8000).Fix(300, 0).Fix(-1, 0x4000));
    EXPECT_EQ(CapabilityText(ICAP_XRESOLUTION, TWON_RANGE, h.get()),
              Header("ICAP_XRESOLUTION", "TWON_RANGE", h.get()) +
                  "    TW_RANGE = {\r\n"
                  "      ItemType     = [TWTY_FIX32]\r\n"
                  "      MinValue     = [50.000]\r\n"
                  "      MaxValue     = [1200.000]\r\n"
                  "      StepSize     = [0.500]\r\n"
                  "      DefaultValue = [300.000]\r\n"
                  "      CurrentValue = [-0.750]\r\n"
                  "    }\r\n" + kHeaderEnd);
}

// ---------------------------------------------------------------------------
// Containers that their handle's block does not hold: real handles of exact sizes.

TEST(ShortBlock, AListLongerThanItsBlockShowsTheItemsInsideAndSaysItWasCut) {
    CHandle array(Array(TWTY_UINT16, 5).U16(TWPT_BW).U16(TWPT_GRAY).U16(TWPT_RGB));
    CBytes frames = Enumeration(TWTY_FRAME, 0xFFFFFFFF, 0, 0);
    for (int i = 0; i < 10; ++i) frames.Fix(1, 0);  // two frames and half of a third
    CHandle enumeration(frames);
    EXPECT_EQ(CapabilityText(ICAP_PIXELTYPE, TWON_ARRAY, array.get()),
              Header("ICAP_PIXELTYPE", "TWON_ARRAY", array.get()) +
                  "    TW_ARRAY = {\r\n"
                  "      ItemType = [TWTY_UINT16]\r\n"
                  "      NumItems = [5]\r\n"
                  "      ItemList = {\r\n"
                  "          0:TWPT_BW,\r\n"
                  "          1:TWPT_GRAY,\r\n"
                  "          2:TWPT_RGB\r\n"
                  "        !!! list cut: the block holds 3 of 5 items.!!!\r\n"
                  "      }\r\n"
                  "    }\r\n" + kHeaderEnd);
    EXPECT_EQ(CapabilityText(ICAP_FRAMES, TWON_ENUMERATION, enumeration.get()),
              Header("ICAP_FRAMES", "TWON_ENUMERATION", enumeration.get()) +
                  "    TW_ENUMERATION = {\r\n"
                  "      ItemType     = [TWTY_FRAME]\r\n"
                  "      NumItems     = [4294967295]\r\n"
                  "      CurrentIndex = [0]\r\n"
                  "      DefaultIndex = [0]\r\n"
                  "      ItemList = {\r\n"
                  "          0:!!! not implemented.!!!,\r\n"
                  "          1:!!! not implemented.!!!\r\n"
                  "        !!! list cut: the block holds 2 of 4294967295 items.!!!\r\n"
                  "      }\r\n"
                  "    }\r\n" + kHeaderEnd);
}

// ---------------------------------------------------------------------------
// Containers at the very end of readable memory, rendered with their block size.

TEST(GuardedContainer, ShortBlocksAreNotRead) {
    CGuardedContainer four(CBytes().U32(0xFFFFFFFF));
    CGuardedContainer twenty(CBytes().U32(0).U32(0).U32(0).U32(0).U32(0));
    CAnalyzerHarness harness;
    EXPECT_EQ(harness.Rendered([&](CParaAnalyze& a) {
        a.TwOneValueAnalyze(ICAP_PIXELTYPE, four.as<TW_ONEVALUE>(), 4);
        a.TwArrayAnalyze(ICAP_PIXELTYPE, four.as<TW_ARRAY>(), 4);
        a.TwEnumerationAnalyze(ICAP_PIXELTYPE, four.as<TW_ENUMERATION>(), 4);
        a.TwRangeAnalyze(ICAP_PIXELTYPE, twenty.as<TW_RANGE>(), 20);
    }),
              "    TW_ONEVALUE = {\r\n"
              "      !!! container cut: the block holds 4 bytes, TW_ONEVALUE needs 8.!!!\r\n"
              "    }\r\n"
              "    TW_ARRAY = {\r\n"
              "      !!! container cut: the block holds 4 bytes, TW_ARRAY needs 8.!!!\r\n"
              "    }\r\n"
              "    TW_ENUMERATION = {\r\n"
              "      !!! container cut: the block holds 4 bytes, TW_ENUMERATION needs 16.!!!\r\n"
              "    }\r\n"
              "    TW_RANGE = {\r\n"
              "      !!! container cut: the block holds 20 bytes, TW_RANGE needs 24.!!!\r\n"
              "    }\r\n");
}

TEST(GuardedContainer, OneValueItemsStopAtTheirTypeOrTheBlock) {
    struct {
        CBytes bytes;
        const char* typeName;
        std::string text;
    } cases[] = {
        {OneValue(TWTY_STR255).Text(std::string(36, 'q'), 36), "TWTY_STR255", std::string(36, 'q')},
        {OneValue(TWTY_STR32).Text(std::string(36, 'q'), 36), "TWTY_STR32", std::string(34, 'q')},
        {OneValue(TWTY_FRAME).Fix(8, 0x8000), "TWTY_FRAME", "!!! item cut: the block holds 4 of its 16 bytes.!!!"},
    };
    for (const auto& c : cases) {
        CGuardedContainer g(c.bytes);
        CAnalyzerHarness harness;
        EXPECT_EQ(harness.Rendered([&](CParaAnalyze& a) { a.TwOneValueAnalyze(CAP_AUTHOR, g.as<TW_ONEVALUE>(), g.size()); }),
                  OneValueBlock(c.typeName, c.text))
            << c.text;
    }
}

TEST(GuardedContainer, ListsEndAtTheBlock) {
    CGuardedContainer numbers(Enumeration(TWTY_UINT16, 0xFFFFFFFF, 0, 0).U16(TWPT_GRAY).U16(TWPT_RGB));
    CGuardedContainer texts(Array(TWTY_STR32, 3).Text(std::string(34, 'a'), 34).Text(std::string(34, 'b'), 34));
    CGuardedContainer unknown(Array(0xFFFF, 0xFFFFFFFF).U32(0));  // a byte each at least
    CAnalyzerHarness harness;
    EXPECT_EQ(harness.Rendered([&](CParaAnalyze& a) {
        a.TwEnumerationAnalyze(ICAP_PIXELTYPE, numbers.as<TW_ENUMERATION>(), numbers.size());
        a.TwArrayAnalyze(CAP_AUTHOR, texts.as<TW_ARRAY>(), texts.size());
        a.TwArrayAnalyze(ICAP_PIXELTYPE, unknown.as<TW_ARRAY>(), unknown.size());
    }),
              "    TW_ENUMERATION = {\r\n"
              "      ItemType     = [TWTY_UINT16]\r\n"
              "      NumItems     = [4294967295]\r\n"
              "      CurrentIndex = [0]\r\n"
              "      DefaultIndex = [0]\r\n"
              "      ItemList = {\r\n"
              "          0:TWPT_GRAY,\r\n"
              "          1:TWPT_RGB\r\n"
              "        !!! list cut: the block holds 2 of 4294967295 items.!!!\r\n"
              "      }\r\n"
              "    }\r\n"
              "    TW_ARRAY = {\r\n"
              "      ItemType = [TWTY_STR32]\r\n"
              "      NumItems = [3]\r\n"
              "      ItemList = {\r\n"
              "          0:" + std::string(34, 'a') + ",\r\n"
              "          1:" + std::string(34, 'b') + "\r\n"
              "        !!! list cut: the block holds 2 of 3 items.!!!\r\n"
              "      }\r\n"
              "    }\r\n"
              "    TW_ARRAY = {\r\n"
              "      ItemType = [ERROR!(65535)]\r\n"
              "      NumItems = [4294967295]\r\n"
              "      ItemList = {\r\n"
              "          0:!!! not implemented.!!!,\r\n"
              "          1:!!! not implemented.!!!,\r\n"
              "          2:!!! not implemented.!!!,\r\n"
              "          3:!!! not implemented.!!!\r\n"
              "        !!! list cut: the block holds 4 of 4294967295 items.!!!\r\n"
              "      }\r\n"
              "    }\r\n");
}

TEST(GuardedContainer, RangesOfTypesWiderThanTheirFieldsShowTheFieldsInHex) {
    struct {
        TW_UINT16 itemType;
        const char* typeName;
    } cases[] = {{TWTY_FRAME, "TWTY_FRAME"}, {TWTY_STR32, "TWTY_STR32"}, {TWTY_STR255, "TWTY_STR255"},
                 {13, "ERROR!(13)"}};
    for (const auto& c : cases) {
        CGuardedContainer g(CBytes().U16(c.itemType).U16(0).U32(0x64636261).U32(2).U32(0xFFFFFFFF).U32(0).U32(0x10000));
        CAnalyzerHarness harness;
        EXPECT_EQ(harness.Rendered([&](CParaAnalyze& a) { a.TwRangeAnalyze(ICAP_FRAMES, g.as<TW_RANGE>(), g.size()); }),
                  std::string("    TW_RANGE = {\r\n"
                                        "      ItemType     = [") + c.typeName + "]\r\n"
                                "      MinValue     = [0x64636261]\r\n"
                                "      MaxValue     = [0x00000002]\r\n"
                                "      StepSize     = [0xffffffff]\r\n"
                                "      DefaultValue = [0x00000000]\r\n"
                                "      CurrentValue = [0x00010000]\r\n"
                                "    }\r\n")
            << c.typeName;
    }
}

TEST(GuardedContainer, NullContainersAppendNothing) {
    CAnalyzerHarness harness;
    harness.Rendered([](CParaAnalyze& a) {
        a.TwOneValueAnalyze(0, nullptr, 8);
        a.TwArrayAnalyze(0, nullptr, 8);
        a.TwEnumerationAnalyze(0, nullptr, 16);
        a.TwRangeAnalyze(0, nullptr, 24);
        a.TwCapabilityAnalyze(nullptr);
    });
    EXPECT_EQ(harness.text().Length(), 0u);
}

// ---------------------------------------------------------------------------
// A list that fits its block but not the record.

TEST(LongList, RenderingStopsOnceTheRecordIsFullAndTheRecordStaysOverLength) {
    const TW_UINT32 count = 20000;
    CBytes bytes = Array(TWTY_UINT16, count);
    for (TW_UINT32 i = 0; i < count; ++i) bytes.U16(static_cast<TW_UINT16>(i));
    CHandle h(bytes);
    TW_CAPABILITY capability = {ICAP_BITDEPTH, TWON_ARRAY, h.get()};
    CAnalyzerHarness harness;
    std::string kept = harness.Rendered([&](CParaAnalyze& a) { a.TwCapabilityAnalyze(&capability); });

    // The lines up to the one that crosses the kept part, then the closing
    // lines, which are only counted.
    std::string expected = Header("ICAP_BITDEPTH", "TWON_ARRAY", h.get()) +
                           "    TW_ARRAY = {\r\n"
                           "      ItemType = [TWTY_UINT16]\r\n"
                           "      NumItems = [20000]\r\n"
                           "      ItemList = {\r\n";
    char line[64];
    for (TW_UINT32 i = 0; expected.size() < CRecordText::kMaxWritten; ++i) {
        snprintf(line, sizeof(line), "        %3u:%u,\r\n", i, i);
        expected += line;
    }
    expected += "      }\r\n    }\r\n  }\r\n";
    EXPECT_EQ(harness.text().Length(), expected.size());
    EXPECT_EQ(kept, expected.substr(0, CRecordText::kMaxWritten));
}

}  // namespace
