#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "GuardPage.h"
#include "ItemText.h"
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

// The fixed-point form itself is checked against printf in the text format tests.
TEST(ItemForms, EachTypeReadsItsOwnWidthAndShowsItsForm) {
    const struct {
        TW_UINT16 itemType;
        TW_UINT32 word;  // as stored, little-endian; a TW_FIX32 has Whole in the low half
        const char* text;
    } cases[] = {
        {TWTY_FIX32, 0x8000FFFF, "-0.500"},  // Whole -1, Frac 0x8000
        {TWTY_INT8, 0x80, "0xffffff80"},     // sign-extended before the hex form
        {TWTY_INT8, 0xAA05, "0x05"},         // one byte only
        {TWTY_UINT8, 0xFF, "0xff"},
        {TWTY_INT16, 0xFFFF8000, "-32768"},  // two bytes only
        {TWTY_INT32, 0xFFFFFFFF, "-1"},
        {TWTY_UINT32, 0xFFFFFFFF, "-1"},  // shown signed
        {TWTY_UINT32, 0x80000000, "-2147483648"},
        {TWTY_BOOL, 2, "true"},
        {TWTY_BOOL, 0xFFFF, "true"},
        {TWTY_BOOL, 0x0100, "true"},  // the high byte counts too
        {TWTY_BOOL, 0xFFFF0000, "false"},  // two bytes only
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ItemText(0, c.itemType, c.word), c.text) << c.itemType << " " << std::hex << c.word;
    }
}

// A list is written in place on the strength of MaxLength: no item of a kind may
// be longer, or the lines would run past the record's room.
TEST(ItemForms, NoItemIsLongerThanItsKindsBound) {
    const struct {
        TW_UINT16 cap;
        TW_UINT16 itemType;
        std::vector<TW_UINT32> words;
    } cases[] = {
        {0, TWTY_INT8, {0x80, 0xFF, 0x7F}},
        {0, TWTY_INT16, {0x8000, 0xFFFF, 0x7FFF}},
        {0, TWTY_INT32, {0x80000000, 0xFFFFFFFF, 0x7FFFFFFF}},
        {0, TWTY_UINT8, {0xFF}},
        {0, TWTY_UINT32, {0x80000000, 0xFFFFFFFF}},
        {0, TWTY_BOOL, {0, 1}},
        {0, TWTY_FIX32, {0x00008000, 0xFFFF8000, 0xFFFF7FFF, 0x80008000, 0xFFFFFFFF}},
        {0, 0x0F, {0xFFFFFFFF}},  // a type of no known form: the word in hex
    };
    for (const auto& c : cases) {
        CItemText item(c.cap, c.itemType);
        for (TW_UINT32 word : c.words) {
            // As the item's bytes in a block that holds the widest item whole.
            unsigned char block[sizeof(TW_FRAME)] = {};
            memcpy(block, &word, sizeof(word));
            char out[kValueTextSize];
            EXPECT_LE(item.Format(block, ItemTypeBytes(c.itemType) ? ItemTypeBytes(c.itemType) : 4, out),
                      item.MaxLength())
                << c.cap << " " << c.itemType << " " << std::hex << word;
        }
    }
    // Every value of the TWTY_UINT16 kinds: plain, named, capability names, versions.
    for (TW_UINT16 cap : {TW_UINT16{0}, TW_UINT16{ICAP_PIXELTYPE}, TW_UINT16{ICAP_SUPPORTEDSIZES},
                          TW_UINT16{CAP_SUPPORTEDCAPS}, TW_UINT16{CAP_KQ_VERSION}, TW_UINT16{ICAP_KQ_FILMTYPE}}) {
        CItemText item(cap, TWTY_UINT16);
        for (uint32_t v = 0; v <= 0xFFFF; ++v) {
            char out[kValueTextSize];
            ASSERT_LE(item.FormatUint16(static_cast<TW_UINT16>(v), out), item.MaxLength()) << cap << " " << v;
        }
    }
    // The widest frame and texts of nothing but escaped characters.
    TW_FRAME frame = {{-32768, 0}, {-32768, 0}, {-32768, 0}, {-32768, 0}};
    char out[kValueTextSize];
    EXPECT_LE(CItemText(0, TWTY_FRAME).Format(&frame, sizeof(frame), out), CItemText(0, TWTY_FRAME).MaxLength());
    TW_STR255 text;
    memset(text, 0x01, sizeof(text));
    for (TW_UINT16 type : {TWTY_STR32, TWTY_STR64, TWTY_STR128, TWTY_STR255}) {
        CItemText item(0, type);
        EXPECT_LE(item.Format(text, ItemTypeBytes(type), out), item.MaxLength()) << type;
    }
}

TEST(ValueNames, Uint16ItemsAreNamedThroughTheCapabilitysMap) {
    struct {
        TW_UINT16 cap;
        TW_UINT16 value;
        const char* text;
    } cases[] = {
        {ICAP_PIXELTYPE, 9, "ERROR!(9)"},
        {ICAP_PIXELTYPE, 0xFFFF, "ERROR!(65535)"},
        {ICAP_BITDEPTHREDUCTION, TWBR_THRESHOLD, "TWBR_THRESHOLD"},  // first row of the map
        {ICAP_OVERSCAN, TWOV_ALL, "TWOV_ALL"},                       // last row of the map
        {0x1201, TWAF_WAV, "TWAF_WAV"},                              // values named, capability not
        {ICAP_ORIENTATION, 0, "TWOR_ROT0"},                          // not TWOR_PORTRAIT
        {ICAP_ORIENTATION, 3, "TWOR_ROT270"},                        // not TWOR_LANDSCAPE
        {ICAP_BITDEPTH, 8, "8"},                                     // no map row: the number
        {ICAP_XRESOLUTION, 65535, "65535"},
        {0x8000, 2, "2"},
        {CAP_KQ_UIMODE, TWKQ_UI_CONVENTIONAL, "TWKQ_UI_CONVENTIONAL"},
        {ICAP_KQ_AUTOSIZETYPE, TWKQ_AUTOSIZE_LONG, "TWKQ_AUTOSIZE_LONG"},
        {ICAP_KQ_FILMTYPE, 7, "ERROR!(7)"},
        {CAP_KQ_TPUENABLED, 1, "1"},
        {CAP_KQ_VERSION, 0x020A, "2.a"},  // high byte, low byte, in hex
        {CAP_KQ_VERSION, 0xFFFF, "ff.ff"},
        {CAP_SUPPORTEDCAPS, 0x8003, "ICAP_KQ_FILMTYPE"},  // the vendor's, from 0x8001
    };
    for (const auto& c : cases) EXPECT_EQ(Uint16Text(c.cap, c.value), c.text) << std::hex << c.cap << " " << c.value;
}

TEST(ValueNames, TheOutputIsCutToItsSize) {
    CParaAnalyze a;
    CGuardedBlock out(4, 1);
    char* text = reinterpret_cast<char*>(out.data());
    a.ValToCap(ICAP_PIXELTYPE, 2, text, out.size());
    EXPECT_STREQ(text, "TWP");
    a.ValToCap(CAP_KQ_VERSION, 0xFFFF, text, out.size());
    EXPECT_STREQ(text, "ff.");
    a.ValToStr(0, TWTY_STR255, "abcdefgh", 9, text, out.size());
    EXPECT_STREQ(text, "abc");
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

TEST(ValueMaps, BothMapsInStoredOrderWithEachTablesRowCount) {
    ExpectMap(VALTOCAP,
              {MAP_ROW(0x112C, twbr_macros, 5),  MAP_ROW(0x111C, twbo_macros, 3),  MAP_ROW(0x0100, twcp_macros, 14),
               MAP_ROW(0x1106, twft_macros, 10), MAP_ROW(0x110C, twff_macros, 11), MAP_ROW(0x111E, twlp_macros, 3),
               MAP_ROW(0x110E, twls_macros, 8),  MAP_ROW(0x1110, twor_macros, 7),  MAP_ROW(0x111F, twpf_macros, 3),
               MAP_ROW(0x0101, twpt_macros, 10), MAP_ROW(0x1120, twpc_macros, 3),  MAP_ROW(0x1122, twss_macros, 59),
               MAP_ROW(0x0103, twsx_macros, 4),  MAP_ROW(0x0102, twun_macros, 7),  MAP_ROW(0x1012, twdx_macros, 4),
               MAP_ROW(0x1017, twjc_macros, 6),  MAP_ROW(0x1201, twaf_macros, 5),  MAP_ROW(0x1018, twal_macros, 10),
               MAP_ROW(0x101D, twcb_macros, 4),  MAP_ROW(0x1022, twde_macros, 19), MAP_ROW(0x102D, twfa_macros, 5),
               MAP_ROW(0x102E, twfo_macros, 3),  MAP_ROW(0x1020, twps_macros, 3),  MAP_ROW(0x1026, twpr_macros, 9),
               MAP_ROW(0x1029, twpm_macros, 4),  MAP_ROW(0x113B, twbd_macros, 5),  MAP_ROW(0x1146, twfl_macros, 6),
               MAP_ROW(0x1136, twfr_macros, 3),  MAP_ROW(0x1147, twif_macros, 8),  MAP_ROW(0x1148, twnf_macros, 5),
               MAP_ROW(0x1149, twov_macros, 6)});
    ExpectMap(VALTOCAPKQ,
              {MAP_ROW(0x800F, twkq_ui_macros, 8),  MAP_ROW(0x8003, twkq_ft_macros, 6),
               MAP_ROW(0x8005, twkq_em_macros, 4),  MAP_ROW(0x8007, twkq_pg_macros, 3),
               MAP_ROW(0x8008, twkq_gt_macros, 4),  MAP_ROW(0x8009, twkq_cc_macros, 4),
               MAP_ROW(0x8012, twkq_cl_macros, 3),  MAP_ROW(0x8018, twkq_tpu_macros, 5),
               MAP_ROW(0x8024, twkq_usm_macros, 5), MAP_ROW(0x8020, twkq_dscr_macros, 5),
               MAP_ROW(0x8017, twkq_ta_macros, 3),  MAP_ROW(0x8028, twkq_dr_macros, 4),
               MAP_ROW(0x802D, twkq_ice_macros, 3), MAP_ROW(0x802A, twkq_gr_macros, 4),
               MAP_ROW(0x8030, twkq_ht_macros, 7),  MAP_ROW(0x8031, twkq_fs_macros, 7),
               MAP_ROW(0x8033, twkq_af_macros, 3),  MAP_ROW(0x803B, twkq_fet_macros, 3),
               MAP_ROW(0x803D, twkq_li_macros, 3),  MAP_ROW(0x8081, twkq_autosizetype_macros, 3)});
}
#undef MAP_ROW

// Items at the very end of readable memory: a read past the type's length
// or past the readable bytes crashes the test.
TEST(BoundedItems, TextsStopAtTheirNulTheirTypeOrTheReadableBytes) {
    struct {
        TW_UINT16 itemType;
        size_t readable;
        std::string stored;  // no NUL unless written
        std::string text;
    } cases[] = {
        {TWTY_STR32, 34, std::string(34, 'a'), std::string(34, 'a')},
        {TWTY_STR32, 34, std::string("abc\0def", 7), "abc"},
        {TWTY_STR32, 40, std::string(40, 'b'), std::string(34, 'b')},  // the type ends first
        {TWTY_STR128, 130, std::string(130, 'd'), std::string(130, 'd')},
        {TWTY_STR255, 256, std::string(256, 'e'), std::string(256, 'e')},
        {TWTY_STR255, 10, std::string(10, 'g'), std::string(10, 'g')},  // the block ends first
    };
    for (const auto& c : cases) {
        CGuardedBlock item(c.readable, 1);
        memcpy(item.data(), c.stored.data(), c.readable);
        EXPECT_EQ(ValText(0, c.itemType, item.data(), c.readable), c.text) << c.itemType << " " << c.readable;
    }
}

TEST(BoundedItems, UnsizedTypesShowTheirFieldInHexAndShortItemsSaySo) {
    struct {
        TW_UINT16 itemType;
        size_t readable;
        std::string text;
    } cases[] = {
        {16, 4, "0x12345678"},
        {0xFFFF, 4, "0x12345678"},
        {TWTY_FRAME, 4, "!!! item cut: the block holds 4 of its 16 bytes.!!!"},
        {TWTY_INT32, 2, "!!! item cut: the block holds 2 of its 4 bytes.!!!"},
        {16, 3, "!!! item cut: the block holds 3 of its 4 bytes.!!!"},
        {TWTY_HANDLE, 2, "!!! item cut: the block holds 2 of its " + std::to_string(sizeof(TW_HANDLE)) + " bytes.!!!"},
    };
    const TW_UINT32 word = 0x12345678;
    for (const auto& c : cases) {
        CGuardedBlock item(c.readable, 1);
        memcpy(item.data(), &word, c.readable);
        EXPECT_EQ(ValText(0, c.itemType, item.data(), c.readable), c.text) << c.itemType << " " << c.readable;
    }
    EXPECT_EQ(ValText(ICAP_PIXELTYPE, TWTY_UINT16, nullptr, 2), "");
}

}  // namespace
