// A record's parameter text reaches the log whole up to 5120 characters; beyond
// that its first 5120 characters do, followed at once by the over-length marker,
// and the next record starts on the same line.
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AnalyzerHarness.h"
#include "StagedScenario.h"

namespace {

constexpr size_t kKept = 5120;
constexpr char kMarker[] = "Size of CAP_xxx too long";

// A capability with an enumeration of TWTY_UINT16 bit depths, in a real handle.
struct CBitDepthEnumeration {
    explicit CBitDepthEnumeration(const std::vector<TW_UINT16>& values)
        : handle(NewHandleClear(static_cast<Size>(offsetof(TW_ENUMERATION, ItemList) + values.size() * 2))),
          cap{ICAP_BITDEPTH, TWON_ENUMERATION, handle} {
        auto* enumeration = reinterpret_cast<TW_ENUMERATION*>(*handle);
        enumeration->ItemType = TWTY_UINT16;
        enumeration->NumItems = static_cast<TW_UINT32>(values.size());
        memcpy(enumeration->ItemList, values.data(), values.size() * sizeof(TW_UINT16));
    }
    ~CBitDepthEnumeration() { DisposeHandle(handle); }
    TW_CAPABILITY* get() { return &cap; }
    Handle handle;
    TW_CAPABILITY cap;
};

// The record that the analyzer makes of the capability set, from state 3, as
// the module's own analyzer makes it after load: the triplet line and the whole
// parameter text (the harness keeps 5120 characters, the length counts all).
struct Record {
    std::string tripletLine;
    std::string kept;
    size_t length;
};

Record AnalyzeSet(TW_CAPABILITY* cap, long lineNumber) {
    CAnalyzerHarness h(3);
    h.analyzer().m_lCount = lineNumber - 1;
    Record r;
    r.tripletLine = h.Triplet(DG_CONTROL, DAT_CAPABILITY, MSG_SET, cap);
    r.kept = h.Params(DG_CONTROL, DAT_CAPABILITY, MSG_SET, cap, TWRC_SUCCESS);
    r.length = h.text().Length();
    return r;
}

// Items of value 0 up to the longest list whose record stays within `length`,
// then values of two digits instead of one until the record is exactly `length`
// characters: each such value adds one character.
std::vector<TW_UINT16> ValuesForLength(size_t length) {
    std::vector<TW_UINT16> values;
    for (;;) {
        values.push_back(0);
        CBitDepthEnumeration e(values);
        if (AnalyzeSet(e.get(), 1).length > length) break;
    }
    values.pop_back();
    CBitDepthEnumeration e(values);
    size_t shortBy = length - AnalyzeSet(e.get(), 1).length;
    for (size_t i = 0; i < shortBy && i < values.size(); ++i) values[i] = 10;
    return values;
}

TEST(MonitorOverLength, CutsAtExactly5120AndMarksTheCutOnTheSameLine) {
    CBitDepthEnumeration exact(ValuesForLength(kKept));
    CBitDepthEnumeration oneMore(ValuesForLength(kKept + 1));
    CBitDepthEnumeration far(std::vector<TW_UINT16>(2000, 16));
    const Record records[] = {AnalyzeSet(exact.get(), 1), AnalyzeSet(oneMore.get(), 2), AnalyzeSet(far.get(), 3)};
    ASSERT_EQ(records[0].length, kKept);
    ASSERT_EQ(records[1].length, kKept + 1);
    ASSERT_GT(records[2].length, kKept + 1);

    Scenario scenario;
    ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
        session.Send(nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_SET, exact.get());
        session.Send(nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_SET, oneMore.get());
        session.Send(nullptr, DG_CONTROL, DAT_CAPABILITY, MSG_SET, far.get());
        session.Send(nullptr, DG_CONTROL, DAT_NULL, MSG_CLOSEDSREQ, nullptr);
    });

    ASSERT_TRUE(outcome.completed) << outcome.failure;
    std::string expected = records[0].tripletLine + records[0].kept;
    for (const Record* r : {&records[1], &records[2]}) {
        ASSERT_EQ(r->kept.size(), kKept);
        expected += r->tripletLine + r->kept + kMarker;
    }
    expected += "[00004] [APP] DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ\r\n"
                "        Return Code = [TWRC_SUCCESS]\r\n"
                "pData   = <0x00000000>\r\n"
                "\r\n"
                "TWAIN Status = [3]\r\n";
    EXPECT_EQ(outcome.trace, expected);
}

}  // namespace
