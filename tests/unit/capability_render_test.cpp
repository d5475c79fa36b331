// TW_CAPABILITY and the four containers, from real handles and from memory that
// ends at the guard page.
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"
#include "MacHandle.h"
#include "ParaAnalyze.h"
#include "TraceBlock.h"

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
        m_bytes.insert(m_bytes.end(), static_cast<const unsigned char*>(p), static_cast<const unsigned char*>(p) + n);
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

// The container at the very end of readable memory: a read past its block crashes.
class CGuardedContainer : public CGuardedBlock {
public:
    explicit CGuardedContainer(const CBytes& bytes) : CGuardedBlock(bytes.size(), 4) {
        EXPECT_EQ(bytes.size() % 4, 0u) << "the block would not end at the guard page";
        memcpy(data(), bytes.data(), bytes.size());
    }
};

std::string Header(const char* cap, const char* conType, const void* h) {
    return Lines({"  TW_CAPABILITY = {", std::string("    Cap        = [") + cap + "]",
                  std::string("    ConType    = [") + conType + "]", "    hContainer = " + PointerText(h)});
}
const char kHeaderEnd[] = "  }\r\n";

// The capability block as the dispatcher renders it after a successful call.
std::string CapabilityText(TW_UINT16 cap, TW_UINT16 conType, TW_HANDLE h) {
    TW_CAPABILITY capability = {cap, conType, h};
    return RenderedText([&](CParaAnalyze& a) { a.TwCapabilityAnalyze(&capability); });
}

// The blocks of the containers with lists; items are the whole item lines.
std::string ArrayBlock(const char* itemType, const char* numItems, const std::string& items) {
    return Lines({"    TW_ARRAY = {", std::string("      ItemType = [") + itemType + "]",
                  std::string("      NumItems = [") + numItems + "]", "      ItemList = {"}) +
           items + "      }\r\n    }\r\n";
}

std::string EnumerationBlock(const char* itemType, const char* numItems, const char* current, const char* deflt,
                             const std::string& items) {
    return Lines({"    TW_ENUMERATION = {", std::string("      ItemType     = [") + itemType + "]",
                  std::string("      NumItems     = [") + numItems + "]",
                  std::string("      CurrentIndex = [") + current + "]",
                  std::string("      DefaultIndex = [") + deflt + "]", "      ItemList = {"}) +
           items + "      }\r\n    }\r\n";
}

std::string OneValueBlock(const char* itemType, const std::string& item) {
    return Lines({"    TW_ONEVALUE = {", std::string("      ItemType = [") + itemType + "]",
                  "      Item     = [" + item + "]", "    }"});
}

// ---------------------------------------------------------------------------
// The header, and when the container is shown at all.

TEST(CapabilityRecord, PixelTypeEnumerationAnsweredToGet) {
    CHandle h(Enumeration(TWTY_UINT16, 3, 2, 0).U16(TWPT_BW).U16(TWPT_GRAY).U16(TWPT_RGB));
    TW_CAPABILITY cap = {ICAP_PIXELTYPE, TWON_ENUMERATION, h.get()};
    // The example quotes the handle 0x001E2A40; a real handle lies elsewhere.
    std::string example = Lines({"  TW_CAPABILITY = {",
                                 "    Cap        = [ICAP_PIXELTYPE]",
                                 "    ConType    = [TWON_ENUMERATION]",
                                 "    hContainer = <0x001e2a40>",
                                 "    TW_ENUMERATION = {",
                                 "      ItemType     = [TWTY_UINT16]",
                                 "      NumItems     = [3]",
                                 "      CurrentIndex = [2]",
                                 "      DefaultIndex = [0]",
                                 "      ItemList = {",
                                 "          0:TWPT_BW,",
                                 "          1:TWPT_GRAY,",
                                 "          2:TWPT_RGB",
                                 "      }",
                                 "    }",
                                 "  }"});
    example.replace(example.find("<0x001e2a40>"), 12, PointerText(h.get()));
    EXPECT_EQ(ParamsFrom(4, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap, TWRC_SUCCESS),
              Around("TWRC_SUCCESS", &cap, example, 4));
}

TEST(CapabilityRecord, AFailedSetShowsTheApplicationsHandleButNotItsContainer) {
    CHandle h(OneValue(TWTY_UINT16).U32(TWPT_RGB));
    TW_CAPABILITY cap = {ICAP_PIXELTYPE, TWON_ONEVALUE, h.get()};
    EXPECT_EQ(ParamsFrom(4, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &cap, TWRC_FAILURE),
              ResultLines("TWRC_FAILURE", &cap) + Header("ICAP_PIXELTYPE", "TWON_ONEVALUE", h.get()) + kHeaderEnd);
}

// An unknown container type's handle is shown, never opened, in its low 32 bits.
// An emptied handle (master pointer NULL) is live and holds an empty block.
TEST(CapabilityHeader, NoContainerForUnknownTypesNullHandlesOrEmptyBlocks) {
    CHandle live(OneValue(TWTY_UINT16).U32(TWPT_RGB));
    CHandle empty{CBytes()};
    CHandle emptied(OneValue(TWTY_UINT16).U32(TWPT_RGB));
    *emptied.get() = nullptr;
    const struct {
        TW_UINT16 cap, conType;
        TW_HANDLE h;
        const char *capName, *conName;
    } cases[] = {
        {ICAP_XRESOLUTION, TWON_DONTCARE16, reinterpret_cast<TW_HANDLE>(0x00007FFF5FBFF8A0ull), "ICAP_XRESOLUTION",
         "TWON_DONTCARE16"},
        {CAP_SUPPORTEDCAPS, TWON_ONEVALUE, nullptr, "CAP_SUPPORTEDCAPS", "TWON_ONEVALUE"},
        {ICAP_PIXELTYPE, TWON_ARRAY, empty.get(), "ICAP_PIXELTYPE", "TWON_ARRAY"},
        {ICAP_PIXELTYPE, TWON_ONEVALUE, emptied.get(), "ICAP_PIXELTYPE", "TWON_ONEVALUE"},
        {ICAP_KQ_FILMTYPE, 0, live.get(), "ICAP_KQ_FILMTYPE", "ERROR!(0)"},
        {0x7000, 7, live.get(), "ERROR!(28672)", "ERROR!(7)"},
        {CAP_KQ_VERSION, TWON_PROTOCOLMAJOR, live.get(), "CAP_KQ_VERSION", "TWON_PROTOCOLMAJOR"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CapabilityText(c.cap, c.conType, c.h), Header(c.capName, c.conName, c.h) + kHeaderEnd) << c.conType;
    }
    EXPECT_TRUE(HasLines(CapabilityText(ICAP_XRESOLUTION, TWON_DONTCARE16, cases[0].h),
                         {"    hContainer = <0x5fbff8a0>"}));
}

// A live handle whose master pointer a driver pointed at a smaller block of its
// own is not followed either: the handle's size is not that block's.
TEST(CapabilityHeader, AHandleThatIsNotLiveIsNamedNotFollowed) {
    Handle freed = NewHandleClear(sizeof(TW_ONEVALUE));
    DisposeHandle(freed);
    CHandle redirected(CBytes().Raw(std::vector<unsigned char>(4096).data(), 4096));
    CGuardedContainer smaller(OneValue(TWTY_UINT16));
    *redirected.get() = reinterpret_cast<char*>(smaller.data());
    for (TW_HANDLE h : {freed, reinterpret_cast<TW_HANDLE>(0x1234), redirected.get()}) {
        EXPECT_EQ(CapabilityText(ICAP_PIXELTYPE, TWON_ONEVALUE, h),
                  Header("ICAP_PIXELTYPE", "TWON_ONEVALUE", h) + "    !!! hContainer is not a live handle.!!!\r\n" +
                      kHeaderEnd);
    }
}

// The renderer locks the handle to read it and then puts back the state it had:
// an application's locked handle stays locked, an unlocked one is unlocked again.
TEST(CapabilityHeader, TheHandleLeavesInTheStateItCameIn) {
    for (bool emptied : {false, true}) {
        for (SInt8 state : {SInt8{0}, static_cast<SInt8>(kHandleLockedMask)}) {
            CHandle h(Array(TWTY_UINT16, 1).U16(1));
            if (emptied) *h.get() = nullptr;
            HSetState(h.get(), state);
            CapabilityText(ICAP_PIXELTYPE, TWON_ARRAY, h.get());
            EXPECT_EQ(HGetState(h.get()), state) << "emptied " << emptied;
        }
    }
}

// ---------------------------------------------------------------------------
// The four containers.

TEST(OneValueContainer, TheItemIsShownByTypeAndCapability) {
    const struct {
        TW_UINT16 cap;
        const char* capName;
        TW_UINT16 itemType;
        TW_UINT32 item;
        const char *typeName, *text;
    } cases[] = {
        {ICAP_XRESOLUTION, "ICAP_XRESOLUTION", TWTY_FIX32, 300, "TWTY_FIX32", "300.000"},
        {CAP_XFERCOUNT, "CAP_XFERCOUNT", TWTY_INT16, 0xFFFF, "TWTY_INT16", "-1"},
        {ICAP_PIXELTYPE, "ICAP_PIXELTYPE", TWTY_UINT16, TWPT_RGB, "TWTY_UINT16", "TWPT_RGB"},
        {ICAP_KQ_HOLDERTYPE, "ICAP_KQ_HOLDERTYPE", TWTY_UINT16, TWKQ_HT_BROWNIE, "TWTY_UINT16", "TWKQ_HT_BROWNIE"},
        {CAP_KQ_VERSION, "CAP_KQ_VERSION", TWTY_UINT16, 0x0110, "TWTY_UINT16", "1.10"},
        {ICAP_PIXELTYPE, "ICAP_PIXELTYPE", 16, 0x00C0FFEE, "ERROR!(16)", "0x00c0ffee"},  // never an address
    };
    for (const auto& c : cases) {
        CHandle h(OneValue(c.itemType).U32(c.item));
        EXPECT_EQ(CapabilityText(c.cap, TWON_ONEVALUE, h.get()),
                  Header(c.capName, "TWON_ONEVALUE", h.get()) + OneValueBlock(c.typeName, c.text) + kHeaderEnd)
            << c.text;
    }
}

TEST(OneValueContainer, FramesAndTextsRunOnPastTheFourByteFieldToTheBlocksEnd) {
    const struct {
        CBytes bytes;
        const char* typeName;
        std::string text;
    } cases[] = {
        {OneValue(TWTY_FRAME).Fix(0, 0).Fix(-1, 0x8000).Fix(8, 0x8000).Fix(11, 0), "TWTY_FRAME",
         "0.000,-0.500,8.500,11.000"},
        {OneValue(TWTY_STR255).Text(std::string(255, 'z'), 256), "TWTY_STR255", std::string(255, 'z')},
        {OneValue(TWTY_STR255).Text("0123456789", 10), "TWTY_STR255", "0123456789"},  // no NUL in the block
        // Control characters escaped, to the last of 256.
        {OneValue(TWTY_STR255).Text("ok\r\n*** Inspect Error Status Start ***", 256), "TWTY_STR255",
         "ok\\r\\n*** Inspect Error Status Start ***"},
        {OneValue(TWTY_STR255).Text(std::string(256, '\x01'), 256), "TWTY_STR255", Repeated("\\x01", 256)},
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
    CHandle caps(Array(TWTY_UINT16, 5).U16(CAP_XFERCOUNT).U16(0x0101).U16(CAP_KQ_VERSION).U16(0x7000).U16(0));
    EXPECT_EQ(CapabilityText(CAP_SUPPORTEDCAPS, TWON_ARRAY, none.get()),
              Header("CAP_SUPPORTEDCAPS", "TWON_ARRAY", none.get()) + ArrayBlock("TWTY_UINT16", "0", "") + kHeaderEnd);
    EXPECT_EQ(CapabilityText(CAP_SUPPORTEDCAPS, TWON_ARRAY, caps.get()),
              Header("CAP_SUPPORTEDCAPS", "TWON_ARRAY", caps.get()) +
                  ArrayBlock("TWTY_UINT16", "5",
                             Lines({"          0:CAP_XFERCOUNT,", "          1:ICAP_PIXELTYPE,",
                                    "          2:CAP_KQ_VERSION,", "          3:ERROR!(28672),", "          4:"})) +
                  kHeaderEnd);
}

// Text items keep to their line in a list too: control characters escaped, to the
// last of a TW_STR255 that has no NUL; the container is left as it was.
TEST(ArrayContainer, TextItemsShowControlCharactersEscaped) {
    CBytes bytes = Array(TWTY_STR255, 2).Text("Lab 2\r\n  }\x1b[2J", 256).Text(std::string(256, '\x7f'), 256);
    CHandle h(bytes);
    EXPECT_EQ(CapabilityText(CAP_AUTHOR, TWON_ARRAY, h.get()),
              Header("CAP_AUTHOR", "TWON_ARRAY", h.get()) +
                  ArrayBlock("TWTY_STR255", "2",
                             Lines({"          0:Lab 2\\r\\n  }\\x1b[2J,", "          1:" + Repeated("\\x7f", 256)})) +
                  kHeaderEnd);
    EXPECT_EQ(memcmp(*h.get(), bytes.data(), bytes.size()), 0);
}

// The handle's block holds two frames and half of a third of the 2^32-1 claimed.
TEST(EnumerationContainer, AListLongerThanItsBlockShowsTheItemsInsideAndSaysItWasCut) {
    CBytes frames = Enumeration(TWTY_FRAME, 0xFFFFFFFF, 1, 0xFFFFFFFF);
    frames.Fix(0, 0).Fix(0, 0).Fix(8, 0x8000).Fix(11, 0).Fix(-1, 0x8000).Fix(1, 0x4000).Fix(4, 0).Fix(6, 0);
    frames.Fix(1, 0).Fix(1, 0);
    CHandle h(frames);
    EXPECT_EQ(CapabilityText(ICAP_FRAMES, TWON_ENUMERATION, h.get()),
              Header("ICAP_FRAMES", "TWON_ENUMERATION", h.get()) +
                  EnumerationBlock("TWTY_FRAME", "4294967295", "1", "4294967295",
                                   Lines({"          0:0.000,0.000,8.500,11.000,", "          1:-0.500,1.250,4.000,6.000",
                                          "        !!! list cut: the block holds 2 of 4294967295 items.!!!"})) +
                  kHeaderEnd);
}

TEST(RangeContainer, FiveValuesInMemoryOrder) {
    CHandle h(CBytes().U16(TWTY_FIX32).U16(0).Fix(50, 0).Fix(1200, 0).Fix(0, 0x8000).Fix(300, 0).Fix(-1, 0x4000));
    EXPECT_EQ(CapabilityText(ICAP_XRESOLUTION, TWON_RANGE, h.get()),
              Header("ICAP_XRESOLUTION", "TWON_RANGE", h.get()) +
                  Lines({"    TW_RANGE = {", "      ItemType     = [TWTY_FIX32]", "      MinValue     = [50.000]",
                         "      MaxValue     = [1200.000]", "      StepSize     = [0.500]",
                         "      DefaultValue = [300.000]", "      CurrentValue = [-0.750]", "    }"}) +
                  kHeaderEnd);
}

// ---------------------------------------------------------------------------
// Containers at the very end of readable memory, rendered with their block size.

TEST(GuardedContainer, ShortBlocksAreNotRead) {
    CGuardedContainer four(CBytes().U32(0xFFFFFFFF));
    CGuardedContainer twenty(CBytes().U32(0).U32(0).U32(0).U32(0).U32(0));
    EXPECT_EQ(RenderedText([&](CParaAnalyze& a) {
                  a.TwOneValueAnalyze(ICAP_PIXELTYPE, four.as<TW_ONEVALUE>(), 4);
                  a.TwArrayAnalyze(ICAP_PIXELTYPE, four.as<TW_ARRAY>(), 4);
                  a.TwEnumerationAnalyze(ICAP_PIXELTYPE, four.as<TW_ENUMERATION>(), 4);
                  a.TwRangeAnalyze(ICAP_PIXELTYPE, twenty.as<TW_RANGE>(), 20);
              }),
              Lines({"    TW_ONEVALUE = {",
                     "      !!! container cut: the block holds 4 bytes, TW_ONEVALUE needs 8.!!!", "    }",
                     "    TW_ARRAY = {", "      !!! container cut: the block holds 4 bytes, TW_ARRAY needs 8.!!!",
                     "    }", "    TW_ENUMERATION = {",
                     "      !!! container cut: the block holds 4 bytes, TW_ENUMERATION needs 16.!!!", "    }",
                     "    TW_RANGE = {", "      !!! container cut: the block holds 20 bytes, TW_RANGE needs 24.!!!",
                     "    }"}));
}

TEST(GuardedContainer, OneValueItemsStopAtTheirTypeOrTheBlock) {
    const struct {
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
        auto render = [&](CParaAnalyze& a) { a.TwOneValueAnalyze(CAP_AUTHOR, g.as<TW_ONEVALUE>(), g.size()); };
        EXPECT_EQ(RenderedText(render), OneValueBlock(c.typeName, c.text)) << c.text;
    }
}

// Types without a size still take a byte each of the block.
TEST(GuardedContainer, ListsEndAtTheBlock) {
    CGuardedContainer numbers(Enumeration(TWTY_UINT16, 0xFFFFFFFF, 0, 0).U16(TWPT_GRAY).U16(TWPT_RGB));
    CGuardedContainer texts(Array(TWTY_STR32, 3).Text(std::string(34, 'a'), 34).Text(std::string(34, 'b'), 34));
    CGuardedContainer unknown(Array(0xFFFF, 0xFFFFFFFF).U32(0));
    const std::string notRead = "!!! not implemented.!!!";
    EXPECT_EQ(RenderedText([&](CParaAnalyze& a) {
                  a.TwEnumerationAnalyze(ICAP_PIXELTYPE, numbers.as<TW_ENUMERATION>(), numbers.size());
                  a.TwArrayAnalyze(CAP_AUTHOR, texts.as<TW_ARRAY>(), texts.size());
                  a.TwArrayAnalyze(ICAP_PIXELTYPE, unknown.as<TW_ARRAY>(), unknown.size());
              }),
              EnumerationBlock("TWTY_UINT16", "4294967295", "0", "0",
                               Lines({"          0:TWPT_GRAY,", "          1:TWPT_RGB",
                                      "        !!! list cut: the block holds 2 of 4294967295 items.!!!"})) +
                  ArrayBlock("TWTY_STR32", "3",
                             Lines({"          0:" + std::string(34, 'a') + ",", "          1:" + std::string(34, 'b'),
                                    "        !!! list cut: the block holds 2 of 3 items.!!!"})) +
                  ArrayBlock("ERROR!(65535)", "4294967295",
                             Lines({"          0:" + notRead + ",", "          1:" + notRead + ",",
                                    "          2:" + notRead + ",", "          3:" + notRead,
                                    "        !!! list cut: the block holds 4 of 4294967295 items.!!!"})));
}

// The item types of today's standard and frames, each read no further than its
// type or the block: a STR1024 to where a value's text ends, a UNI512 to its NUL
// unit or the block's end, a handle as a pointer is shown.
TEST(GuardedContainer, NewerItemTypesAndFramesStopAtTheirTypeOrTheBlock) {
    TW_UNI16 units[] = {'A', 0x00E9, '\n', 0x4E2D, 0, 0};
    TW_UNI16 noNul[] = {'B', 'C'};
    const uint64_t handle = 0x123456789ABCDEF0;
    const struct {
        CBytes bytes;
        const char* typeName;
        std::string text;
    } cases[] = {
        {OneValue(TWTY_STR1024).Text(std::string(300, 'w'), 1028), "TWTY_STR1024", std::string(300, 'w')},
        {OneValue(TWTY_STR1024).Text(std::string(1028, 'w'), 1028), "TWTY_STR1024", std::string(1024, 'w')},
        {OneValue(TWTY_UNI512).Raw(units, sizeof(units)), "TWTY_UNI512", "A\\u00e9\\n\\u4e2d"},
        {OneValue(TWTY_UNI512).Raw(noNul, sizeof(noNul)), "TWTY_UNI512", "BC"},
        {OneValue(TWTY_HANDLE).Raw(&handle, sizeof(handle)), "TWTY_HANDLE", "0x9abcdef0"},
        {OneValue(TWTY_HANDLE).U32(1), "TWTY_HANDLE", "!!! item cut: the block holds 4 of its 8 bytes.!!!"},
    };
    for (const auto& c : cases) {
        CGuardedContainer g(c.bytes);
        auto render = [&](CParaAnalyze& a) { a.TwOneValueAnalyze(CAP_AUTHOR, g.as<TW_ONEVALUE>(), g.size()); };
        EXPECT_EQ(RenderedText(render), OneValueBlock(c.typeName, c.text)) << c.text;
    }

    // A million frames claimed in a 40-byte container: one whole frame, then the cut.
    CGuardedContainer frames(Enumeration(TWTY_FRAME, 1000000, 0, 0).Fix(0, 0).Fix(0, 0).Fix(8, 0x8000).Fix(11, 0)
                                 .Fix(-1, 0).Fix(-1, 0));
    CGuardedContainer handles(Array(TWTY_HANDLE, 3).Raw(&handle, sizeof(handle)).U32(0).U32(0).U32(7));
    EXPECT_EQ(RenderedText([&](CParaAnalyze& a) {
                  a.TwEnumerationAnalyze(ICAP_FRAMES, frames.as<TW_ENUMERATION>(), frames.size());
                  a.TwArrayAnalyze(CAP_AUTHOR, handles.as<TW_ARRAY>(), handles.size());
              }),
              EnumerationBlock("TWTY_FRAME", "1000000", "0", "0",
                               Lines({"          0:0.000,0.000,8.500,11.000",
                                      "        !!! list cut: the block holds 1 of 1000000 items.!!!"})) +
                  ArrayBlock("TWTY_HANDLE", "3",
                             Lines({"          0:0x9abcdef0,", "          1:0x00000000",
                                    "        !!! list cut: the block holds 2 of 3 items.!!!"})));
}

TEST(GuardedContainer, RangesOfTypesWiderThanTheirFieldsShowTheFieldsInHex) {
    for (const auto& [itemType, typeName] : {std::pair<TW_UINT16, const char*>{TWTY_FRAME, "TWTY_FRAME"},
                                             {TWTY_STR32, "TWTY_STR32"}, {TWTY_STR255, "TWTY_STR255"},
                                             {TWTY_STR1024, "TWTY_STR1024"}, {TWTY_UNI512, "TWTY_UNI512"},
                                             {TWTY_HANDLE, "TWTY_HANDLE"}, {16, "ERROR!(16)"}}) {
        CGuardedContainer g(CBytes().U16(itemType).U16(0).U32(0x64636261).U32(2).U32(0xFFFFFFFF).U32(0).U32(0x10000));
        EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.TwRangeAnalyze(ICAP_FRAMES, g.as<TW_RANGE>(), g.size()); }),
                  Lines({"    TW_RANGE = {", std::string("      ItemType     = [") + typeName + "]",
                         "      MinValue     = [0x64636261]", "      MaxValue     = [0x00000002]",
                         "      StepSize     = [0xffffffff]", "      DefaultValue = [0x00000000]",
                         "      CurrentValue = [0x00010000]", "    }"}));
    }
}

TEST(GuardedContainer, NullContainersAppendNothing) {
    ExpectNothingRendered({
        [](CParaAnalyze& a) { a.TwOneValueAnalyze(0, nullptr, 8); },
        [](CParaAnalyze& a) { a.TwArrayAnalyze(0, nullptr, 8); },
        [](CParaAnalyze& a) { a.TwEnumerationAnalyze(0, nullptr, 16); },
        [](CParaAnalyze& a) { a.TwRangeAnalyze(0, nullptr, 24); },
        [](CParaAnalyze& a) { a.TwCapabilityAnalyze(nullptr); },
    });
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
                           Lines({"    TW_ARRAY = {", "      ItemType = [TWTY_UINT16]", "      NumItems = [20000]",
                                  "      ItemList = {"});
    char line[64];
    for (TW_UINT32 i = 0; expected.size() < CRecordText::kMaxWritten; ++i) {
        snprintf(line, sizeof(line), "        %3u:%u,\r\n", i, i);
        expected += line;
    }
    expected += "      }\r\n    }\r\n  }\r\n";
    EXPECT_EQ(harness.text().Length(), expected.size());
    EXPECT_EQ(kept, expected.substr(0, CRecordText::kMaxWritten));
}

// No record holds a thousand items, but the item line itself pads and never cuts.
TEST(LongList, TheIndexWidensPastThreeColumns) {
    std::string text = RenderedText([](CParaAnalyze& a) {
        CTraceBlock list(a, "ItemList", kInnerIndent, 0);
        list.ListItem(999, "a", true);
        list.ListItem(1000, "b", true);
        list.ListItem(12345, "c", false);
    });
    EXPECT_EQ(text, Lines({"      ItemList = {", "        999:a,", "        1000:b,", "        12345:c", "      }"}));
}

}  // namespace
