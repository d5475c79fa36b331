// Traces with the source's own calls ([DS] records), one said from inside the
// application's MSG_ENABLEDS: read back, judged, summed up, turned into a script.
#include <gtest/gtest.h>

#include <vector>

#include "TraceText.h"

namespace {

const std::string kEnable = "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS";
const std::string kReady = "DG_CONTROL/DAT_NULL/MSG_XFERREADY";
const std::string kCloseRequest = "DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ";
const std::string kNative = "DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET";

// A good callback session: the ready said inside MSG_ENABLEDS, the close request
// answered by disabling the source.
const std::string kCallbackSession =
    Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) + TripletLine(2, kEnable) +
    SourceRecord(3, kReady, 6) + TripletResult("TWRC_SUCCESS", 6) +
    Record(4, "DG_IMAGE/DAT_IMAGEINFO/MSG_GET", "TWRC_SUCCESS", 6) + Record(5, kNative, "TWRC_XFERDONE", 7) +
    Record(6, "DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER", "TWRC_SUCCESS", 5) + SourceRecord(7, kCloseRequest, 5) +
    Record(8, "DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS", "TWRC_SUCCESS", 4) +
    Record(9, "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS", "TWRC_SUCCESS", 3);

TEST(SourceSideReader, TheEnclosingRecordComesWholeAfterTheSourcesOwn) {
    CTraceReader reader(kCallbackSession);
    TraceRecord record;
    struct Seen {
        int64_t number;
        std::string label;
        bool hasResult;
        int state;
        int64_t within;
        size_t damage;
        bool operator==(const Seen&) const = default;
    };
    std::vector<Seen> seen;
    while (reader.Next(record))
        seen.push_back({record.number, record.label, record.hasResult, record.state, record.withinNumber,
                        record.damage.size()});
    const std::vector<Seen> expected = {
        {1, "APP", true, 4, -1, 0}, {3, "DS", true, 6, 2, 0},  {2, "APP", true, 6, -1, 0},
        {4, "APP", true, 6, -1, 0}, {5, "APP", true, 7, -1, 0}, {6, "APP", true, 5, -1, 0},
        {7, "DS", true, 5, -1, 0},  {8, "APP", true, 4, -1, 0}, {9, "APP", true, 3, -1, 0},
    };
    EXPECT_TRUE(seen == expected);
    // The destination is a field of the source's record.
    const std::string alone = SourceRecord(1, kReady, 6);
    CTraceReader again(alone);
    ASSERT_TRUE(again.Next(record));
    ASSERT_NE(record.Field("To"), nullptr);
    EXPECT_EQ(record.Field("To")->value, "twhost");
}

// A record held for the source's records and never given its result says so.
TEST(SourceSideReader, AHeldRecordWithoutResultIsDamaged) {
    const std::string cases[] = {
        TripletLine(1, kEnable) + SourceRecord(2, kReady, 6),
        TripletLine(1, kEnable) + SourceRecord(2, kReady, 6) + Record(3, kNative, "TWRC_XFERDONE", 7),
    };
    for (const std::string& trace : cases) {
        CTraceReader reader(trace);
        TraceRecord record;
        std::vector<int64_t> numbers;
        size_t damaged = 0;
        while (reader.Next(record)) {
            numbers.push_back(record.number);
            damaged += record.damage.size();
        }
        EXPECT_EQ(numbers.size(), trace.find("[00003]") == std::string::npos ? 2u : 3u);
        EXPECT_EQ(numbers[1], 1);
        EXPECT_EQ(damaged, 1u);
    }
}

TEST(SourceSideCommands, CallbackSessionGivesTheExactOutput) {
    struct {
        const char* what;
        int (*command)(CTraceReader&, std::ostream&, ReadProblem&);
        std::string out;
    } cases[] = {
        {"check", RunCheck, "No protocol fault found.\n"},
        {"summary", RunSummary,
         "Data source: its identity is not in the trace\nApplication: not in the trace (the monitor does not "
         "write the caller's identity)\n\nRecords: 9: 9 triplets, 0 claimed events\n\nTriplets by kind:\n"
         "       1  DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS\n"
         "       1  DG_CONTROL/DAT_IDENTITY/MSG_OPENDS\n"
         "       1  DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER\n"
         "       1  DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS\n"
         "       1  DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS\n"
         "       1  DG_IMAGE/DAT_IMAGEINFO/MSG_GET\n"
         "       1  DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET\n"
         "       1  [DS] DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ\n"
         "       1  [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY\n"
         "\nStates: 4 (00001) -> 6 (00003 the source's MSG_XFERREADY) -> 7 (00005) -> 5 (00006) -> "
         "5 (00007 the source's MSG_CLOSEDSREQ) -> 4 (00008) -> 3 (00009)\n"
         "\nTransfers:\n  image 1: ? x ?, ?, ? bits per pixel (00004); native transfer 00005 -> TWRC_XFERDONE\n"},
        {"script", RunScript,
         "# A twhost session script that replays the application's side of a trace (twtrace script).\n"
         "DG_CONTROL DAT_IDENTITY MSG_OPENDS -> TWRC_SUCCESS  # 00001\n"
         "DG_CONTROL DAT_USERINTERFACE MSG_ENABLEDS -> TWRC_SUCCESS  # 00002\n"
         "waitxferready  # 00003 [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY\n"
         "DG_IMAGE DAT_IMAGEINFO MSG_GET -> TWRC_SUCCESS  # 00004\n"
         "DG_IMAGE DAT_IMAGENATIVEXFER MSG_GET -> TWRC_XFERDONE  # 00005\n"
         "DG_CONTROL DAT_PENDINGXFERS MSG_ENDXFER -> TWRC_SUCCESS  # 00006\n"
         "# 00007 [DS] DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ: the source's call to the manager: not replayed\n"
         "DG_CONTROL DAT_USERINTERFACE MSG_DISABLEDS -> TWRC_SUCCESS  # 00008\n"
         "DG_CONTROL DAT_IDENTITY MSG_CLOSEDS -> TWRC_SUCCESS  # 00009\n"},
    };
    for (const auto& c : cases) {
        CommandOutput result = RunOn(c.command, kCallbackSession);
        EXPECT_EQ(result.status, kExitClean) << c.what;
        EXPECT_EQ(result.out, c.out) << c.what;
    }
}

// json gives the label and the call the source's record came within; diff pairs the
// source's records only with the source's.
TEST(SourceSideCommands, JsonAndDiffKeepTheSidesApart) {
    const std::string nested = TripletLine(1, kEnable) + SourceRecord(2, kReady, 6) + TripletResult("TWRC_SUCCESS", 6);
    EXPECT_EQ(RunOn(RunJson, nested).out,
              R"j({"kind":"triplet","line":2,"number":2,"label":"DS","dg":{"name":"DG_CONTROL","value":1},)j"
              R"j("dat":{"name":"DAT_NULL","value":0},"msg":{"name":"MSG_XFERREADY","value":257},"within":1,)j"
              R"j("rc":{"name":"TWRC_SUCCESS","value":0},"pData":"0x00001000","state":6,"failed":false,)j"
              R"j("data":{"To":"twhost"}})j"
              "\n"
              R"j({"kind":"triplet","line":1,"number":1,"label":"APP","dg":{"name":"DG_CONTROL","value":1},)j"
              R"j("dat":{"name":"DAT_USERINTERFACE","value":9},"msg":{"name":"MSG_ENABLEDS","value":1282},)j"
              R"j("rc":{"name":"TWRC_SUCCESS","value":0},"pData":"0x00001000","state":6,"failed":false})j"
              "\n");

    const std::string application = TripletLine(1, kReady) + TripletResult("TWRC_SUCCESS", 6);
    const std::string source = SourceRecord(1, kReady, 6);
    CTraceReader a(application), b(source);
    std::ostringstream out;
    ReadProblem problem;
    EXPECT_EQ(RunDiff(a, b, out, problem), kExitFindings);
    EXPECT_EQ(out.str(),
              "- 00001 DG_CONTROL/DAT_NULL/MSG_XFERREADY   only in A\n"
              "+ 00001 [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY   only in B\n"
              "2 differences (A: 1 records, B: 1 records)\n");
}

// The source says it is ready twice; the application asks for an image after the
// close request, and before any new ready.
TEST(SourceSideCommands, FaultsOfEitherSideAreFound) {
    const std::string trace =
        Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
        Record(2, kEnable, "TWRC_SUCCESS", 5) + SourceRecord(3, kReady, 6) + SourceRecord(4, kReady, 6) +
        Record(5, kNative, "TWRC_XFERDONE", 7) + Record(6, "DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER", "TWRC_SUCCESS", 5) +
        SourceRecord(7, kCloseRequest, 5) + Record(8, kNative, "TWRC_XFERDONE", 5);
    CommandOutput result = RunOn(RunCheck, trace);
    EXPECT_EQ(result.status, kExitFindings);
    EXPECT_EQ(result.out,
              "00004 [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY: state: driver: said in state 6; rule: MSG_XFERREADY is "
              "said once, by an enabled source (state 5), before a transfer\n"
              "00008 DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET: state: application: sent in state 5; rule: a native "
              "transfer starts in state 6, after MSG_XFERREADY\n"
              "00008 DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET: not ready: application: asked before the source said "
              "MSG_XFERREADY; rule: an image is asked for only after the source said MSG_XFERREADY (where the "
              "source's calls are seen)\n"
              "00007 [DS] DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ: close request: application: answered by 00008 "
              "DG_IMAGE/DAT_IMAGENATIVEXFER/MSG_GET; rule: after MSG_CLOSEDSREQ the application disables the "
              "source (MSG_DISABLEDS)\n"
              "4 findings: 3 of the application, 1 of the driver, 0 damaged records or lines\n");
}

}  // namespace
