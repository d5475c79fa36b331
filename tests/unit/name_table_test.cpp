#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "twaintbl.h"

namespace {

template <size_t N>
std::string NameOf(const MacroEntry (&table)[N], int64_t value) {
    char out[64];
    LookupMacroName(table, value, out, sizeof(out));
    return out;
}

std::string CapName(TW_UINT16 cap) {
    char out[64];
    LookupCapabilityName(cap, out, sizeof(out));
    return out;
}

TEST(NameTables, EveryTableEndsWithTheTerminatorRow) {
    for (const MacroEntry* last : {&twrc_macros[NamedRows(twrc_macros)], &twcy_macros[NamedRows(twcy_macros)],
                                   &twlg_macros[NamedRows(twlg_macros)], &icap_kq_macros[NamedRows(icap_kq_macros)],
                                   &twkq_autosizetype_macros[NamedRows(twkq_autosizetype_macros)]}) {
        EXPECT_STREQ(last->name, "ERROR!");
        EXPECT_EQ(last->value, -1);
    }
}

TEST(NameTables, TheEarlierOfTwoRowsWins) {
    EXPECT_EQ(NameOf(twlg_macros, 0), "TWLG_DAN");
    EXPECT_EQ(NameOf(twlg_macros, 13), "TWLG_USA");
    EXPECT_EQ(NameOf(twcy_macros, 27), "TWCY_ANDORRA");
    EXPECT_EQ(NameOf(twcy_macros, 7), "TWCY_USSR");
    EXPECT_EQ(NameOf(twcy_macros, 39), "TWCY_ITALY");
    EXPECT_EQ(NameOf(twcy_macros, 82), "TWCY_KOREA");
    EXPECT_EQ(NameOf(twor_macros, 0), "TWOR_ROT0");
    EXPECT_EQ(NameOf(twor_macros, 3), "TWOR_ROT270");
    EXPECT_EQ(NameOf(twss_macros, 1), "TWSS_A4LETTER");
    EXPECT_EQ(NameOf(twss_macros, 2), "TWSS_B5LETTER");
    EXPECT_EQ(NameOf(twif_macros, 3), "TWIF_BANDPASS");
    EXPECT_EQ(CapName(0x8043), "ICAP_KQ_ADE");
}

TEST(NameTables, UnsignedFieldsNeverMatchANegativeRow) {
    // TWLG_USERLOCALE is -1; a 16-bit language field widened without sign is 65535.
    EXPECT_EQ(NameOf(twlg_macros, TW_UINT16(0xFFFF)), "ERROR!(65535)");
    EXPECT_EQ(NameOf(twlg_macros, -1), "TWLG_USERLOCALE");
    // The terminator itself is never compared.
    EXPECT_EQ(NameOf(twrc_macros, -1), "ERROR!(-1)");
}

TEST(NameTables, FallbackPrintsTheValueAsSigned32Bit) {
    EXPECT_EQ(NameOf(dg_macros, 3), "ERROR!(3)");
    EXPECT_EQ(NameOf(dg_macros, int32_t(0x80000000u)), "ERROR!(-2147483648)");
    EXPECT_EQ(NameOf(twrc_macros, 0x8000), "TWRC_CUSTOMBASE");
    EXPECT_EQ(NameOf(msg_macros, 0x8000), "MSG_CUSTOMBASE");
    EXPECT_EQ(NameOf(msg_kq_macros, 0x8001), "MSG_KQ_TIMERRESET");
    EXPECT_EQ(NameOf(twon_macros, TW_UINT16(0xFFFF)), "TWON_DONTCARE16");
    EXPECT_EQ(NameOf(twon_macros, 0xFFFFFFFFll), "TWON_DONTCARE32");
}

TEST(NameTables, CapabilityNamesSearchBothTablesOfTheirRange) {
    EXPECT_EQ(CapName(0x8000), "CAP_CUSTOMBASE");
    EXPECT_EQ(CapName(0x0100), "ICAP_COMPRESSION");
    EXPECT_EQ(CapName(0x0000), "ERROR!(0)");
    EXPECT_EQ(CapName(0x8001), "CAP_KQ_VERSION");
    EXPECT_EQ(CapName(0x8003), "ICAP_KQ_FILMTYPE");
    EXPECT_EQ(CapName(0x9000), "ERROR!(36864)");
    // A standard image capability number is not looked for among the vendor names.
    EXPECT_EQ(CapName(0x8081), "ICAP_KQ_AUTOSIZETYPE");
}

TEST(NameTables, CapabilityNamesAgreeWithTheRowOrderSearchForEveryValue) {
    for (uint32_t v = 0; v <= 0xFFFF; ++v) {
        bool vendor = v >= 0x8001;
        const char* first = vendor ? FindMacroName(cap_kq_macros, NamedRows(cap_kq_macros), v)
                                   : FindMacroName(cap_macros, NamedRows(cap_macros), v);
        const char* second = vendor ? FindMacroName(icap_kq_macros, NamedRows(icap_kq_macros), v)
                                    : FindMacroName(icap_macros, NamedRows(icap_macros), v);
        ASSERT_EQ(FindCapabilityName(static_cast<TW_UINT16>(v), false).data(), first) << v;
        ASSERT_EQ(FindCapabilityName(static_cast<TW_UINT16>(v), true).data(), second) << v;
    }
}

// The compiled index finds the row a scan in row order finds, first row first,
// for every value of the table and both its neighbours; the terminator is never found.
template <const auto& Table>
void ExpectIndexAgreesWithTheScan() {
    constexpr size_t kRows = std::size(Table) - 1;
    for (size_t row = 0; row < kRows; ++row) {
        for (int64_t v : {Table[row].value - 1, Table[row].value, Table[row].value + 1}) {
            std::string_view found = FindMacroName<Table>(v);
            const char* scanned = FindMacroName(Table, kRows, v);
            ASSERT_EQ(found.data(), scanned) << v;
            if (scanned) {
                EXPECT_EQ(found.size(), strlen(scanned)) << v;
            }
        }
    }
    EXPECT_EQ(FindMacroName<Table>(-1).data(), FindMacroName(Table, kRows, -1));
}

TEST(NameTables, IndexedLookupAgreesWithTheRowOrderScan) {
    ExpectIndexAgreesWithTheScan<dg_macros>();
    ExpectIndexAgreesWithTheScan<dat_macros>();
    ExpectIndexAgreesWithTheScan<msg_macros>();
    ExpectIndexAgreesWithTheScan<twrc_macros>();
    ExpectIndexAgreesWithTheScan<twcc_macros>();
    ExpectIndexAgreesWithTheScan<twty_macros>();
    ExpectIndexAgreesWithTheScan<twon_macros>();
    ExpectIndexAgreesWithTheScan<twcy_macros>();
    ExpectIndexAgreesWithTheScan<twlg_macros>();
    ExpectIndexAgreesWithTheScan<msg_kq_macros>();
}

TEST(NameTables, CapabilityNamesComeFromOneTableOfTheRightPair) {
    EXPECT_STREQ(FindCapabilityName(CAP_XFERCOUNT, false).data(), "CAP_XFERCOUNT");
    EXPECT_EQ(FindCapabilityName(CAP_XFERCOUNT, true).data(), nullptr);
    EXPECT_EQ(FindCapabilityName(ICAP_XRESOLUTION, false).data(), nullptr);
    EXPECT_STREQ(FindCapabilityName(ICAP_XRESOLUTION, true).data(), "ICAP_XRESOLUTION");
    EXPECT_STREQ(FindCapabilityName(0x8043, true).data(), "ICAP_KQ_ADE");
    // 0x8000 is the standard custom base, not a vendor capability.
    EXPECT_STREQ(FindCapabilityName(0x8000, false).data(), "CAP_CUSTOMBASE");
}

// The current standard's names follow the older rows: those keep their places, and
// where an added name shares a value, the older row still wins.
TEST(NameTables, NamesOfTheCurrentStandardFollowTheOlderRows) {
    const struct {
        const MacroEntry* table;
        size_t olderRows;
        const char* lastOlderName;
    } older[] = {{twrc_macros, 11, "TWRC_DATANOTAVAILABLE"}, {dat_macros, 33, "DAT_SETUPFILEXFER2"},
                 {msg_macros, 35, "MSG_PASSTHRU"},           {cap_macros, 50, "CAP_BATTERYPERCENTAGE"},
                 {icap_macros, 76, "ICAP_IMAGEMERGE"},       {twcc_macros, 23, "TWCC_CHECKDEVICEONLINE"}};
    for (const auto& t : older) EXPECT_STREQ(t.table[t.olderRows - 1].name, t.lastOlderName);
    EXPECT_EQ(NameOf(dat_macros, 0x0403), "DAT_ENTRYPOINT");
    EXPECT_EQ(NameOf(msg_macros, 0x0902), "MSG_REGISTER_CALLBACK");
    EXPECT_EQ(NameOf(twrc_macros, 10), "TWRC_BUSY");
    EXPECT_EQ(NameOf(twcc_macros, 29), "TWCC_NOMEDIA");
    EXPECT_EQ(CapName(0x1034), "CAP_CAMERASIDE");  // not CAP_POWERDOWNTIME, added after it
    EXPECT_EQ(CapName(0x1161), "ICAP_JPEGSUBSAMPLING");
    EXPECT_EQ(NameOf(dat_macros, 0x0400), "ERROR!(1024)");
}

// The first table of a pair would hide a name of the second that shared its value.
TEST(NameTables, TheCapabilityTablesOfAPairShareNoValue) {
    auto expectDisjoint = [](const MacroEntry* first, size_t firstRows, const MacroEntry* second, size_t secondRows) {
        for (size_t i = 0; i < secondRows; ++i)
            EXPECT_EQ(FindMacroName(first, firstRows, second[i].value), nullptr) << second[i].name;
    };
    expectDisjoint(cap_macros, NamedRows(cap_macros), icap_macros, NamedRows(icap_macros));
    expectDisjoint(cap_kq_macros, NamedRows(cap_kq_macros), icap_kq_macros, NamedRows(icap_kq_macros));
}

TEST(NameTables, OutputIsAlwaysBoundedAndTerminated) {
    char out[8];
    LookupMacroName(icap_macros, ICAP_PATCHCODEMAXSEARCHPRIORITIES, out, sizeof(out));
    EXPECT_STREQ(out, "ICAP_PA");
    LookupMacroName(icap_macros, 1, out, 0);  // no room: nothing written
}

}  // namespace
