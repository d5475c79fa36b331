#include <gtest/gtest.h>

#include "AnalyzerHarness.h"

namespace {

TEST(TripletLine, NumbersLinesFromOneAndSkipsFilteredTriplets) {
    CAnalyzerHarness h;
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_PARENT, MSG_OPENDSM), "[00001] [APP] DG_CONTROL/DAT_PARENT/MSG_OPENDSM\r\n");
    TW_EVENT event = {};
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), "");
    EXPECT_EQ(h.Triplet(DG_IMAGE, DAT_IMAGEINFO, MSG_PROCESSEVENT), "");
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_NULL, MSG_XFERREADY), "");
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_NULL, MSG_CLOSEDSREQ), "[00002] [APP] DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ\r\n");
    EXPECT_EQ(h.analyzer().m_lCount, 2);
}

TEST(TripletLine, TheNumberGrowsPastFiveDigits) {
    CAnalyzerHarness h;
    h.analyzer().m_lCount = 99998;
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_STATUS, MSG_GET), "[99999] [APP] DG_CONTROL/DAT_STATUS/MSG_GET\r\n");
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_STATUS, MSG_GET), "[100000] [APP] DG_CONTROL/DAT_STATUS/MSG_GET\r\n");
}

TEST(TripletLine, FilteredTripletReportsFalseAndLeavesTheTextEmpty) {
    CParaAnalyze a;
    CRecordText text;
    EXPECT_FALSE(a.TripletAnalyze(nullptr, nullptr, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr, &text));
    EXPECT_EQ(text.Length(), 0u);
    EXPECT_TRUE(a.TripletAnalyze(nullptr, nullptr, DG_CONTROL, DAT_EVENT, MSG_GET, nullptr, &text));
}

struct NameCase {
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    const char* names;  // what stands between the label and the line end
};

class TripletNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(TripletNames, NameEachPartOrFallBack) {
    CAnalyzerHarness h;
    EXPECT_EQ(h.Triplet(GetParam().dg, GetParam().dat, GetParam().msg),
              std::string("[00001] [APP] ") + GetParam().names + "\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, TripletNames,
    ::testing::Values(
        // DAT: the standard table up to and including the custom base, the vendor table above it.
        NameCase{DG_CONTROL, 0x8000, MSG_GET, "DG_CONTROL/DAT_CUSTOMBASE/MSG_GET"},
        NameCase{DG_CONTROL, 0x8001, MSG_GET, "DG_CONTROL/DAT_KQ_AUTOEXPOSURE/MSG_GET"},
        NameCase{DG_CONTROL, 0x8017, MSG_GET, "DG_CONTROL/DAT_KQ_DUALIMAGE/MSG_GET"},
        NameCase{DG_CONTROL, 0x8010, MSG_GET, "DG_CONTROL/ERROR!(32784)/MSG_GET"},
        NameCase{DG_CONTROL, 0x0010, MSG_GET, "DG_CONTROL/DAT_CALLBACK/MSG_GET"},
        NameCase{DG_CONTROL, 0x0400, MSG_GET, "DG_CONTROL/ERROR!(1024)/MSG_GET"},
        // What a TWAIN 2 manager sends before it opens a source, and the callback it registers.
        NameCase{DG_CONTROL, 0x0403, MSG_SET, "DG_CONTROL/DAT_ENTRYPOINT/MSG_SET"},
        NameCase{DG_CONTROL, 0x0012, 0x0902, "DG_CONTROL/DAT_CALLBACK2/MSG_REGISTER_CALLBACK"},
        NameCase{DG_CONTROL, 0xFFFF, MSG_GET, "DG_CONTROL/ERROR!(65535)/MSG_GET"},
        // MSG: the same split.
        NameCase{DG_CONTROL, DAT_NULL, 0x8000, "DG_CONTROL/DAT_NULL/MSG_CUSTOMBASE"},
        NameCase{DG_CONTROL, DAT_NULL, 0x8001, "DG_CONTROL/DAT_NULL/MSG_KQ_TIMERRESET"},
        NameCase{DG_CONTROL, DAT_NULL, 0x8002, "DG_CONTROL/DAT_NULL/MSG_KQ_XFERREQUEST"},
        NameCase{DG_CONTROL, DAT_NULL, 0x8003, "DG_CONTROL/DAT_NULL/ERROR!(32771)"},
        NameCase{DG_CONTROL, DAT_NULL, 0x0900, "DG_CONTROL/DAT_NULL/ERROR!(2304)"},
        // DG: widened with its sign.
        NameCase{DG_AUDIO, DAT_NULL, MSG_GET, "DG_AUDIO/DAT_NULL/MSG_GET"},
        NameCase{3, DAT_NULL, MSG_GET, "ERROR!(3)/DAT_NULL/MSG_GET"},
        NameCase{8, DAT_NULL, MSG_GET, "ERROR!(8)/DAT_NULL/MSG_GET"},
        NameCase{0x80000000u, DAT_NULL, MSG_GET, "ERROR!(-2147483648)/DAT_NULL/MSG_GET"},
        NameCase{0xFFFFFFFFu, DAT_NULL, MSG_GET, "ERROR!(-1)/DAT_NULL/MSG_GET"}));

struct CapabilityCase {
    TW_UINT16 cap;
    const char* shown;
};

class TripletCapability : public ::testing::TestWithParam<CapabilityCase> {};

TEST_P(TripletCapability, NamesTheCapabilityFromTheFirstOrSecondTable) {
    CAnalyzerHarness h;
    TW_CAPABILITY cap = {};
    cap.Cap = GetParam().cap;
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &cap),
              std::string("[00001] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (") + GetParam().shown + ")\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Tables, TripletCapability,
    ::testing::Values(CapabilityCase{0x1118, "ICAP_XRESOLUTION"}, CapabilityCase{0x0001, "CAP_XFERCOUNT"},
                      CapabilityCase{0x0100, "ICAP_COMPRESSION"}, CapabilityCase{0x8000, "CAP_CUSTOMBASE"},
                      CapabilityCase{0x8001, "CAP_KQ_VERSION"}, CapabilityCase{0x8003, "ICAP_KQ_FILMTYPE"},
                      CapabilityCase{0x8043, "ICAP_KQ_ADE"}, CapabilityCase{0x0000, "ERROR!(0)"},
                      CapabilityCase{0x9000, "ERROR!(36864)"}, CapabilityCase{0x9999, "ERROR!(39321)"},
                      CapabilityCase{0xFFFF, "ERROR!(65535)"}));

TEST(TripletLine, CapabilityWithoutDataShowsEmptyParentheses) {
    CAnalyzerHarness h;
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT),
              "[00001] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GETCURRENT ()\r\n");
}

// The first table's text, its name or the fallback, must fit with its NUL before the
// second table is asked; when it does not, the output stays as it was.
TEST(TripletLine, CapabilityNameNeedsRoomForItsNul) {
    const struct {
        TW_UINT16 cap;
        unsigned int size;
        bool result;
        const char* out;  // null: unchanged
    } cases[] = {
        {ICAP_XRESOLUTION, 17, true, "ICAP_XRESOLUTION"},
        // The fallback "ERROR!(4376)" fits, the second table's name does not: the fallback stays.
        {ICAP_XRESOLUTION, 16, false, "ERROR!(4376)"},
        {ICAP_XRESOLUTION, 4, false, nullptr},
        // "ICAP_KQ_ADE" and "ICAP_UNITS" would fit, the fallbacks before them do not.
        {0x8043, 12, false, nullptr},
        {0x8043, 13, false, nullptr},
        {0x8043, 14, true, "ICAP_KQ_ADE"},
        {ICAP_UNITS, 11, false, nullptr},
        {ICAP_UNITS, 12, true, "ICAP_UNITS"},
        {CAP_XFERCOUNT, 13, false, nullptr},
        {CAP_XFERCOUNT, 14, true, "CAP_XFERCOUNT"},
    };
    for (const auto& c : cases) {
        CParaAnalyze a;
        TW_CAPABILITY cap = {};
        cap.Cap = c.cap;
        char out[32];
        memset(out, '#', sizeof(out));
        EXPECT_EQ(a.GetStringOfCapability(&cap, out, c.size), c.result) << c.cap << " " << c.size;
        if (c.out) EXPECT_STREQ(out, c.out) << c.cap << " " << c.size;
        else EXPECT_EQ(std::string(out, sizeof(out)), std::string(sizeof(out), '#')) << c.cap << " " << c.size;
    }
}

TEST(TripletLine, LabelIsBoundedAndNullLeavesItAlone) {
    CAnalyzerHarness h;
    h.analyzer().Init(nullptr);
    EXPECT_STREQ(h.analyzer().m_szLabel, "APP");
    h.analyzer().Init("SCANAPP");
    EXPECT_EQ(h.Triplet(DG_CONTROL, DAT_NULL, MSG_NULL), "[00001] [SCANAPP] DG_CONTROL/DAT_NULL/MSG_NULL\r\n");
    std::string longLabel(40, 'L');
    h.analyzer().Init(longLabel.c_str());
    EXPECT_EQ(std::string(h.analyzer().m_szLabel), std::string(31, 'L'));
}

TEST(TripletLine, WithoutARecordNothingIsWrittenButTheLineIsCounted) {
    CParaAnalyze a;
    EXPECT_TRUE(a.TripletAnalyze(nullptr, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, nullptr, nullptr));
    EXPECT_EQ(a.m_lCount, 1);
}

}  // namespace
