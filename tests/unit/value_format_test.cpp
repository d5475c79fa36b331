#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "GuardPage.h"
#include "ParaAnalyze.h"
#include "twaintbl.h"

namespace {

std::string ValText(TW_UINT16 cap, TW_UINT16 itemType, const void* pItem, size_t itemBytes) {
    CParaAnalyze a;
    char out[512];
    memset(out, 'x', sizeof(out));
    a.ValToStr(cap, itemType, pItem, itemBytes, out, sizeof(out));
    return out;
}

// An item given as the little-endian word it is stored in, with the type's own size readable.
std::string ItemText(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 word) {
    return ValText(cap, itemType, &word, ItemTypeBytes(itemType));
}

std::string Uint16Text(TW_UINT16 cap, TW_UINT16 value) { return ItemText(cap, TWTY_UINT16, value); }

TEST(Fix32Value, WholePlusFracOver65536RoundedToThreePlaces) {
    struct {
        TW_UINT32 word;  // Whole in the low half, Frac in the high half
        const char* text;
    } cases[] = {
        {0x8000FFFFu, "-0.500"},     // Whole -1, Frac 0x8000
        {0x40000001u, "1.250"},      // Whole 1, Frac 0x4000
        {0x00010000u, "0.000"},      // Frac 1 alone
        {0x10000000u, "0.062"},      // 0.0625: the tie goes to the even digit
        {0x30000000u, "0.188"},      // 0.1875: and here up to the even digit
        {0x0000012Cu, "300.000"},
        {0xFFFFFFFFu, "-0.000"},     // -1 + 65535/65536 stays below zero
        {0xFFFF7FFFu, "32768.000"},  // the largest value rounds up past Whole's range
        {0x00008000u, "-32768.000"},
    };
    for (const auto& c : cases) EXPECT_EQ(ItemText(0, TWTY_FIX32, c.word), c.text) << std::hex << c.word;
}

TEST(Fix32Value, FieldsAreWholeThenFracInMemory) {
    TW_FIX32 v = {-2, 0xC000};
    EXPECT_EQ(ValText(0, TWTY_FIX32, &v, sizeof(v)), "-1.250");
}

TEST(IntegerValues, EachTypeReadsItsOwnWidthAndShowsItsForm) {
    struct {
        TW_UINT16 itemType;
        TW_UINT32 word;
        const char* text;
    } cases[] = {
        {TWTY_INT8, 0x80, "0xffffff80"},  // sign-extended before the hex form
        {TWTY_INT8, 0xFF, "0xffffffff"},
        {TWTY_INT8, 0x05, "0x05"},
        {TWTY_INT8, 0xAA7F, "0x7f"},      // one byte only
        {TWTY_UINT8, 0xFF, "0xff"},
        {TWTY_UINT8, 0x05, "0x05"},
        {TWTY_UINT8, 0x1200, "0x00"},
        {TWTY_INT16, 0x8000, "-32768"},
        {TWTY_INT16, 0xFFFF0007, "7"},    // two bytes only
        {TWTY_INT32, 0xFFFFFFFF, "-1"},
        {TWTY_INT32, 0x7FFFFFFF, "2147483647"},
        {TWTY_UINT32, 0xFFFFFFFF, "-1"},  // shown signed
        {TWTY_UINT32, 0x80000000, "-2147483648"},
        {TWTY_UINT32, 7, "7"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ItemText(0, c.itemType, c.word), c.text) << c.itemType << " " << std::hex << c.word;
    }
}

TEST(BoolValue, AnyNonZeroSixteenBitsIsTrue) {
    struct {
        TW_UINT32 word;
        const char* text;
    } cases[] = {{0, "false"}, {1, "true"}, {2, "true"}, {0xFFFF, "true"}, {0xFFFF0000, "false"}};
    for (const auto& c : cases) EXPECT_EQ(ItemText(0, TWTY_BOOL, c.word), c.text) << std::hex << c.word;
}

TEST(FrameValue, FourFixedPointNumbersWithoutBlanks) {
    TW_FRAME frame = {{0, 0}, {0, 0}, {8, 0x8000}, {11, 0}};
    EXPECT_EQ(ValText(0, TWTY_FRAME, &frame, sizeof(frame)), "0.000,0.000,8.500,11.000");
    TW_FRAME negative = {{-1, 0x8000}, {1, 0x4000}, {0, 1}, {300, 0}};
    EXPECT_EQ(ValText(0, TWTY_FRAME, &negative, sizeof(negative)), "-0.500,1.250,0.000,300.000");
}

TEST(ValueNames, Uint16ItemsAreNamedThroughTheCapabilitysTable) {
    struct {
        TW_UINT16 cap;
        TW_UINT16 value;
        const char* text;
    } cases[] = {
        {ICAP_PIXELTYPE, 2, "TWPT_RGB"},
        {ICAP_PIXELTYPE, 9, "ERROR!(9)"},
        {ICAP_PIXELTYPE, 0xFFFF, "ERROR!(65535)"},
        {ICAP_BITDEPTHREDUCTION, TWBR_THRESHOLD, "TWBR_THRESHOLD"},  // first row of the map
        {ICAP_OVERSCAN, TWOV_ALL, "TWOV_ALL"},                       // last row of the map
        {0x1201, TWAF_WAV, "TWAF_WAV"},                              // a capability with values but no name
        {ICAP_ORIENTATION, 0, "TWOR_ROT0"},                          // not TWOR_PORTRAIT
        {ICAP_ORIENTATION, 3, "TWOR_ROT270"},                        // not TWOR_LANDSCAPE
        {ICAP_SUPPORTEDSIZES, TWSS_USSTATEMENT, "TWSS_USSTATEMENT"},
        {CAP_DEVICEEVENT, TWDE_POWERSAVENOTIFY, "TWDE_POWERSAVENOTIFY"},
        {ICAP_BITDEPTH, 8, "8"},                                     // no map row: the number
        {ICAP_XRESOLUTION, 65535, "65535"},
        {0x8000, 2, "2"},                                            // the custom base uses the first map
        {CAP_KQ_UIMODE, TWKQ_UI_CONVENTIONAL, "TWKQ_UI_CONVENTIONAL"},
        {ICAP_KQ_FILMTYPE, TWKQ_FT_BWNEGA, "TWKQ_FT_BWNEGA"},
        {ICAP_KQ_AUTOSIZETYPE, TWKQ_AUTOSIZE_LONG, "TWKQ_AUTOSIZE_LONG"},
        {ICAP_KQ_FILMTYPE, 7, "ERROR!(7)"},
        {CAP_KQ_TPUENABLED, 1, "1"},                                 // vendor capability without a map row
    };
    for (const auto& c : cases) EXPECT_EQ(Uint16Text(c.cap, c.value), c.text) << std::hex << c.cap << " " << c.value;
}

TEST(ValueNames, TheNameIsLeftInTheScratchBuffer) {
    CParaAnalyze a;
    char out[512];
    a.ValToCap(ICAP_PIXELTYPE, 1, out, sizeof(out));
    EXPECT_STREQ(a.m_szName, "TWPT_GRAY");
    a.ValToCap(ICAP_PIXELTYPE, 42, out, sizeof(out));
    EXPECT_STREQ(a.m_szName, "ERROR!(42)");
}

TEST(ValueNames, TheOutputIsCutToItsSize) {
    CParaAnalyze a;
    CGuardedBlock out(4, 1);
    a.ValToCap(ICAP_PIXELTYPE, 2, reinterpret_cast<char*>(out.data()), out.size());
    EXPECT_STREQ(reinterpret_cast<char*>(out.data()), "TWP");
    a.ValToCap(CAP_KQ_VERSION, 0xFFFF, reinterpret_cast<char*>(out.data()), out.size());
    EXPECT_STREQ(reinterpret_cast<char*>(out.data()), "ff.");
    char untouched[4] = {'x', 'x', 'x', '\0'};
    a.ValToStr(ICAP_PIXELTYPE, TWTY_UINT16, "\2\0", 2, untouched, 0);
    EXPECT_STREQ(untouched, "xxx");
}

TEST(SupportedCaps, ItemsAreCapabilityNamesFromBothTablesOfTheirRange) {
    struct {
        TW_UINT16 id;
        const char* text;
    } cases[] = {
        {CAP_XFERCOUNT, "CAP_XFERCOUNT"},
        {0x0101, "ICAP_PIXELTYPE"},    // not a capability name: the image capability names follow
        {0x8001, "CAP_KQ_VERSION"},
        {0x8003, "ICAP_KQ_FILMTYPE"},  // vendor: the vendor image names follow
        {0x8000, "CAP_CUSTOMBASE"},
        {0x7000, "ERROR!(28672)"},
        {0xFFFF, "ERROR!(65535)"},
        {0, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(Uint16Text(CAP_SUPPORTEDCAPS, c.id), c.text) << std::hex << c.id;
}

TEST(SupportedCaps, TheScratchBufferIsNotTouched) {
    CParaAnalyze a;
    snprintf(a.m_szName, sizeof(a.m_szName), "%s", "kept");
    char out[512];
    a.MakeCapSupportedCaps(ICAP_PIXELTYPE, out, sizeof(out));
    EXPECT_STREQ(out, "ICAP_PIXELTYPE");
    EXPECT_STREQ(a.m_szName, "kept");
}

TEST(VendorVersion, HighByteDotLowByteInHexWithoutPadding) {
    struct {
        TW_UINT16 value;
        const char* text;
    } cases[] = {{0x0110, "1.10"}, {0x020A, "2.a"}, {0x0A00, "a.0"}, {0, "0.0"}, {0xFFFF, "ff.ff"}};
    for (const auto& c : cases) EXPECT_EQ(Uint16Text(CAP_KQ_VERSION, c.value), c.text) << std::hex << c.value;
}

struct MapRow {
    int32_t cap;
    const MacroEntry* values;
    size_t namedRows;
    int32_t count;  // as the map is meant to hold it
};
#define MAP_ROW(cap, table, count) {cap, table, NamedRows(table), count}

void ExpectMap(const ValToCapEntry* map, const std::vector<MapRow>& expected) {
    size_t i = 0;
    for (; i < expected.size(); ++i) {
        ASSERT_NE(map[i].Values, nullptr) << "map ends early at row " << i;
        EXPECT_EQ(map[i].Cap, expected[i].cap) << "row " << i;
        EXPECT_EQ(map[i].Values, expected[i].values) << "row " << i;
        EXPECT_EQ(map[i].Count, expected[i].count) << "row " << i;
        EXPECT_EQ(static_cast<size_t>(map[i].Count), expected[i].namedRows + 1) << "row " << i;
    }
    EXPECT_EQ(map[i].Cap, -1);
    EXPECT_EQ(map[i].Count, -1);
    EXPECT_EQ(map[i].Values, nullptr);
}

TEST(ValueMaps, CapabilitiesUpTo0x8000InStoredOrderWithEachTablesRowCount) {
    ExpectMap(VALTOCAP, {
                            MAP_ROW(0x112C, twbr_macros, 5),  MAP_ROW(0x111C, twbo_macros, 3),
                            MAP_ROW(0x0100, twcp_macros, 14), MAP_ROW(0x1106, twft_macros, 10),
                            MAP_ROW(0x110C, twff_macros, 11), MAP_ROW(0x111E, twlp_macros, 3),
                            MAP_ROW(0x110E, twls_macros, 8),  MAP_ROW(0x1110, twor_macros, 7),
                            MAP_ROW(0x111F, twpf_macros, 3),  MAP_ROW(0x0101, twpt_macros, 10),
                            MAP_ROW(0x1120, twpc_macros, 3),  MAP_ROW(0x1122, twss_macros, 59),
                            MAP_ROW(0x0103, twsx_macros, 4),  MAP_ROW(0x0102, twun_macros, 7),
                            MAP_ROW(0x1012, twdx_macros, 4),  MAP_ROW(0x1017, twjc_macros, 6),
                            MAP_ROW(0x1201, twaf_macros, 5),  MAP_ROW(0x1018, twal_macros, 10),
                            MAP_ROW(0x101D, twcb_macros, 4),  MAP_ROW(0x1022, twde_macros, 19),
                            MAP_ROW(0x102D, twfa_macros, 5),  MAP_ROW(0x102E, twfo_macros, 3),
                            MAP_ROW(0x1020, twps_macros, 3),  MAP_ROW(0x1026, twpr_macros, 9),
                            MAP_ROW(0x1029, twpm_macros, 4),  MAP_ROW(0x113B, twbd_macros, 5),
                            MAP_ROW(0x1146, twfl_macros, 6),  MAP_ROW(0x1136, twfr_macros, 3),
                            MAP_ROW(0x1147, twif_macros, 8),  MAP_ROW(0x1148, twnf_macros, 5),
                            MAP_ROW(0x1149, twov_macros, 6),
                        });
}

TEST(ValueMaps, VendorCapabilitiesInStoredOrderWithEachTablesRowCount) {
    ExpectMap(VALTOCAPKQ, {
                              MAP_ROW(0x800F, twkq_ui_macros, 8),   MAP_ROW(0x8003, twkq_ft_macros, 6),
                              MAP_ROW(0x8005, twkq_em_macros, 4),   MAP_ROW(0x8007, twkq_pg_macros, 3),
                              MAP_ROW(0x8008, twkq_gt_macros, 4),   MAP_ROW(0x8009, twkq_cc_macros, 4),
                              MAP_ROW(0x8012, twkq_cl_macros, 3),   MAP_ROW(0x8018, twkq_tpu_macros, 5),
                              MAP_ROW(0x8024, twkq_usm_macros, 5),  MAP_ROW(0x8020, twkq_dscr_macros, 5),
                              MAP_ROW(0x8017, twkq_ta_macros, 3),   MAP_ROW(0x8028, twkq_dr_macros, 4),
                              MAP_ROW(0x802D, twkq_ice_macros, 3),  MAP_ROW(0x802A, twkq_gr_macros, 4),
                              MAP_ROW(0x8030, twkq_ht_macros, 7),   MAP_ROW(0x8031, twkq_fs_macros, 7),
                              MAP_ROW(0x8033, twkq_af_macros, 3),   MAP_ROW(0x803B, twkq_fet_macros, 3),
                              MAP_ROW(0x803D, twkq_li_macros, 3),   MAP_ROW(0x8081, twkq_autosizetype_macros, 3),
                          });
}
#undef MAP_ROW

// Text items at the very end of readable memory: a read past the type's
// length or past the readable bytes crashes the test.
TEST(TextValue, CopiedUpToTheNulButNeverPastTheTypeOrTheReadableBytes) {
    struct {
        TW_UINT16 itemType;
        size_t readable;
        std::string stored;  // no NUL unless written
        std::string text;
    } cases[] = {
        {TWTY_STR32, 34, std::string(34, 'a'), std::string(34, 'a')},
        {TWTY_STR32, 34, std::string("abc\0def", 7), "abc"},
        {TWTY_STR32, 40, std::string(40, 'b'), std::string(34, 'b')},  // the type ends first
        {TWTY_STR64, 66, std::string(66, 'c'), std::string(66, 'c')},
        {TWTY_STR128, 130, std::string(130, 'd'), std::string(130, 'd')},
        {TWTY_STR255, 256, std::string(256, 'e'), std::string(256, 'e')},
        {TWTY_STR255, 256, std::string(255, 'f') + '\0', std::string(255, 'f')},
        {TWTY_STR255, 10, std::string(10, 'g'), std::string(10, 'g')},  // the block ends first
        {TWTY_STR64, 1, std::string(1, '\0'), ""},
    };
    for (const auto& c : cases) {
        CGuardedBlock item(c.readable, 1);
        memcpy(item.data(), c.stored.data(), c.readable);
        EXPECT_EQ(ValText(0, c.itemType, item.data(), c.readable), c.text) << c.itemType << " " << c.readable;
    }
}

TEST(TextValue, TheOutputIsCutToItsSize) {
    CParaAnalyze a;
    TW_STR255 text = "abcdefghijklmnop";
    CGuardedBlock out(8, 1);
    a.ValToStr(0, TWTY_STR255, text, sizeof(text), reinterpret_cast<char*>(out.data()), out.size());
    EXPECT_STREQ(reinterpret_cast<char*>(out.data()), "abcdefg");
}

TEST(UnreadableValues, TypesWithoutASizeShowTheirFourByteFieldInHex) {
    for (TW_UINT16 itemType : {TW_UINT16(13), TW_UINT16(14), TW_UINT16(15), TW_UINT16(0xFFFF)}) {
        CGuardedBlock item(4, 1);
        TW_UINT32 word = 0x12345678;
        memcpy(item.data(), &word, sizeof(word));
        EXPECT_EQ(ValText(0, itemType, item.data(), 4), "0x12345678") << itemType;
    }
}

TEST(UnreadableValues, AnItemWiderThanItsReadableBytesSaysHowMuchIsThere) {
    struct {
        TW_UINT16 itemType;
        size_t readable;
        const char* text;
    } cases[] = {
        {TWTY_FRAME, 4, "!!! item cut: the block holds 4 of its 16 bytes.!!!"},
        {TWTY_FRAME, 15, "!!! item cut: the block holds 15 of its 16 bytes.!!!"},
        {TWTY_INT32, 2, "!!! item cut: the block holds 2 of its 4 bytes.!!!"},
        {TWTY_UINT16, 1, "!!! item cut: the block holds 1 of its 2 bytes.!!!"},
        {TWTY_INT8, 0, "!!! item cut: the block holds 0 of its 1 bytes.!!!"},
        {TW_UINT16(13), 3, "!!! item cut: the block holds 3 of its 4 bytes.!!!"},
    };
    for (const auto& c : cases) {
        CGuardedBlock item(c.readable ? c.readable : 1, 1);
        const unsigned char* start = item.data() + (c.readable ? 0 : 1);  // at the guard itself for 0
        EXPECT_EQ(ValText(0, c.itemType, start, c.readable), c.text) << c.itemType << " " << c.readable;
    }
}

TEST(UnreadableValues, NoItemGivesAnEmptyText) {
    EXPECT_EQ(ValText(ICAP_PIXELTYPE, TWTY_UINT16, nullptr, 2), "");
    EXPECT_EQ(ValText(0, TWTY_STR255, nullptr, 256), "");
}

}  // namespace
