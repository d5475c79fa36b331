// summary, check and diff on traces with known faults, compared with their exact
// output; and the command line's exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "TraceText.h"

namespace {

std::string Capability(std::string_view cap, std::string_view container) {
    return "  TW_CAPABILITY = {\n    Cap        = [" + std::string(cap) +
           "]\n    ConType    = [TWON_X]\n    hContainer = <0x00002000>\n" + std::string(container) + "  }\n";
}

const std::string kBadEnumeration = Capability(
    "ICAP_XRESOLUTION",
    "    TW_ENUMERATION = {\n      ItemType     = [TWTY_UINT16]\n      NumItems     = [2]\n"
    "      CurrentIndex = [2]\n      DefaultIndex = [0]\n      ItemList = {\n          0:100,\n          1:200\n"
    "      }\n    }\n");
const std::string kBadRange = Capability(
    "ICAP_BRIGHTNESS",
    "    TW_RANGE = {\n      ItemType     = [TWTY_FIX32]\n      MinValue     = [10.000]\n"
    "      MaxValue     = [-10.000]\n      StepSize     = [1.000]\n      DefaultValue = [0.000]\n"
    "      CurrentValue = [20.500]\n    }\n");
const std::string kPixelType = Capability(
    "ICAP_PIXELTYPE", "    TW_ONEVALUE = {\n      ItemType = [TWTY_UINT16]\n      Item     = [TWPT_GRAY]\n    }\n");
const std::string kStrip =
    "  TW_IMAGEMEMXFER = {\n    BytesWritten = [5000]\n    Memory       =\n    TW_MEMORY = {\n"
    "      Flags  = [0x9]\n      Length = [4096]\n      TheMem = <0x00003000>\n    }\n}\n";

const std::string kIdentity =
    "  TW_IDENTITY = {\n    Id              = [0]\n    Version         =\n    TW_VERSION = {\n"
    "      MajorNum = [3]\n      MinorNum = [4]\n      Language = [TWLG_USA]\n      Country  = [TWCY_USA]\n"
    "      Info     = [3.4 build 7]\n    }\n    ProtocolMajor   = [2]\n    ProtocolMinor   = [1]\n"
    "    SupportedGroups = [3]\n    Manufacturer    = [Maker]\n    ProductFamily   = [Family]\n"
    "    ProductName     = [Scanner \\x1b[2J]\n  }\n";

// A session with one fault of each kind, cut inside its last call.
const std::string kFaultyTrace =
    Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_CANCEL", 3) +
    Record(2, "DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION)", "TWRC_SUCCESS", 3, kBadEnumeration) +
    Record(3, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4, kIdentity) +
    Record(4, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_BRIGHTNESS)", "TWRC_SUCCESS", 4, kBadRange) +
    Record(5, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)", "TWRC_FAILURE", 4) +
    Record(6, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)", "TWRC_SUCCESS", 4, kPixelType) +
    Record(7, "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "TWRC_SUCCESS", 5) +
    Record(8, "DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET", "TWRC_XFERDONE", 5, kStrip) +
    Record(9, "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS", "TWRC_FAILURE", 5) +
    Record(10, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", 5,
           "  TW_STATUS = {\n    ConditionCode = [TWCC_SEQERROR]\n  }\n") +
    Crlf("[00011] [APP] DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS\n");

struct ExactCase {
    const char* what;
    int (*command)(CTraceReader&, std::ostream&, ReadProblem&);
    int status;
    std::string out;
};

// check names each fault with its record, rule and side; summary shows the
// states, the failures with the status asked after them, the capabilities and
// the transfers.
TEST(TwtraceCommands, FaultyTraceGivesTheExactOutput) {
    const ExactCase cases[] = {
        {"check", RunCheck, kExitFindings,
                R"j(00001 DG_CONTROL/DAT_IDENTITY/MSG_OPENDS: return code: driver: TWRC_CANCEL is not a code of this triplet; rule: MSG_OPENDS succeeds or fails)j" "\n"
        R"j(00002 DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION): state: application: sent in state 3; rule: capabilities are asked of an open source (states 4 to 7))j" "\n"
        R"j(00002 DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION): container: driver: CurrentIndex 2 of 2 items; rule: an enumeration's CurrentIndex points at one of its items)j" "\n"
        R"j(00002 DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION): item type: driver: item type TWTY_UINT16; rule: ICAP_XRESOLUTION is a TW_FIX32)j" "\n"
        R"j(00004 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_BRIGHTNESS): container: application: MinValue 10.000 above MaxValue -10.000; rule: a range's MinValue is not above its MaxValue)j" "\n"
        R"j(00005 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE): status never asked: application: the condition code of the failure; rule: after TWRC_FAILURE the application asks DAT_STATUS for the condition code)j" "\n"
        R"j(00008 DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET: state: application: sent in state 5; rule: a strip is asked only once a transfer is ready (states 6 and 7))j" "\n"
        R"j(00008 DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET: strip: driver: BytesWritten 5000 in a buffer of 4096 bytes; rule: a strip's BytesWritten fits in the buffer the application gave (Memory.Length))j" "\n"
        R"j(00009 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS: state: application: sent in state 5; rule: a source is closed in state 4: it is disabled first (MSG_DISABLEDS))j" "\n"
        R"j(00011 DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS: ends inside a call: the session ends inside DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS (record 00011): the data source never returned (crash or hang), or the trace was cut)j" "\n"
        R"j(10 findings: 5 of the application, 4 of the driver, 1 damaged records or lines)j" "\n"},
        {"summary", RunSummary, kExitClean,
                R"j(Ends inside a call: the session ends inside DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS (record 00011): the data source never returned (crash or hang), or the trace was cut)j" "\n"
        R"j(Data source: "Scanner \x1b[2J" by Maker (family Family), version 3.4 "3.4 build 7", TWAIN 2.1 (00003))j" "\n"
        R"j(Application: not in the trace (the monitor does not write the caller's identity))j" "\n"
        R"j()j" "\n"
        R"j(Records: 11: 11 triplets, 0 claimed events)j" "\n"
        R"j()j" "\n"
        R"j(Triplets by kind:)j" "\n"
        R"j(       1  DG_CONTROL/DAT_CAPABILITY/MSG_GET)j" "\n"
        R"j(       3  DG_CONTROL/DAT_CAPABILITY/MSG_SET)j" "\n"
        R"j(       1  DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS)j" "\n"
        R"j(       2  DG_CONTROL/DAT_IDENTITY/MSG_OPENDS)j" "\n"
        R"j(       1  DG_CONTROL/DAT_STATUS/MSG_GET)j" "\n"
        R"j(       1  DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS)j" "\n"
        R"j(       1  DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS)j" "\n"
        R"j(       1  DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET)j" "\n"
        R"j()j" "\n"
        R"j(States: 3 (00001) -> 4 (00003) -> 5 (00007))j" "\n"
        R"j()j" "\n"
        R"j(Failures:)j" "\n"
        R"j(  00005 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE) -> TWRC_FAILURE: status never asked)j" "\n"
        R"j(  00009 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS -> TWRC_FAILURE: TWCC_SEQERROR (00010))j" "\n"
        R"j()j" "\n"
        R"j(Capabilities:)j" "\n"
        R"j(  capability       set by the application            answered by the driver failed sets)j" "\n"
        R"j(  ICAP_BRIGHTNESS  20.500 in 10.000..-10.000 (00004) -                      -)j" "\n"
        R"j(  ICAP_PIXELTYPE   TWPT_GRAY (00006)                 -                      00005)j" "\n"
        R"j(  ICAP_XRESOLUTION -                                 ? (3 of 2) (00002)     -)j" "\n"
        R"j()j" "\n"
        R"j(Transfers:)j" "\n"
        R"j(  image 1: no TW_IMAGEINFO asked; memory transfer 00008 -> TWRC_XFERDONE: 1 strips of 5000 to 5000 bytes, 5000 bytes in all)j" "\n"},
    };
    for (const ExactCase& c : cases) {
        CommandOutput result = RunOn(c.command, kFaultyTrace);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.out, c.out) << c.what;
    }
}

// A TWAIN 2 session's faults: the entry point and the callback after enabling, an
// entry point of the wrong size, and return codes that a set and a reset never
// give, judged as MSG_SET and MSG_RESET.
TEST(TwtraceCheck, Twain2RulesNameEachFault) {
    const std::string entryPoint =
        "  TW_ENTRYPOINT = {\n    Size            = [40]\n    DSM_Entry       = <0x00001000>\n  }\n";
    CommandOutput result =
        RunOn(RunCheck, Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
                            Record(2, "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "TWRC_SUCCESS", 5) +
                            Record(3, "DG_CONTROL/DAT_ENTRYPOINT/MSG_SET", "TWRC_SUCCESS", 5, entryPoint) +
                            Record(4, "DG_CONTROL/DAT_CALLBACK2/MSG_REGISTER_CALLBACK", "TWRC_SUCCESS", 5) +
                            Record(5, "DG_CONTROL/DAT_CAPABILITY/MSG_SETCONSTRAINT (ICAP_PIXELTYPE)", "TWRC_CANCEL", 5) +
                            Record(6, "DG_CONTROL/DAT_CAPABILITY/MSG_RESETALL", "TWRC_XFERDONE", 5));
    EXPECT_EQ(result.status, kExitFindings);
    EXPECT_EQ(result.out,
        R"j(00003 DG_CONTROL/DAT_ENTRYPOINT/MSG_SET: state: application: sent in state 5; rule: a source is given the manager's entry points in state 3 or 4)j" "\n"
        R"j(00003 DG_CONTROL/DAT_ENTRYPOINT/MSG_SET: structure: application: Size 40, not 48; rule: TW_ENTRYPOINT.Size is the size of the structure, set by the application)j" "\n"
        R"j(00004 DG_CONTROL/DAT_CALLBACK2/MSG_REGISTER_CALLBACK: state: application: sent in state 5; rule: a callback is registered in state 4, after MSG_OPENDS and before MSG_ENABLEDS)j" "\n"
        R"j(00005 DG_CONTROL/DAT_CAPABILITY/MSG_SETCONSTRAINT (ICAP_PIXELTYPE): return code: driver: TWRC_CANCEL is not a code of this triplet; rule: a set succeeds, succeeds with changes (TWRC_CHECKSTATUS) or fails)j" "\n"
        R"j(00006 DG_CONTROL/DAT_CAPABILITY/MSG_RESETALL: return code: driver: TWRC_XFERDONE is not a code of this triplet; rule: a reset succeeds, succeeds with changes (TWRC_CHECKSTATUS) or fails)j" "\n"
        R"j(5 findings: 3 of the application, 2 of the driver, 0 damaged records or lines)j" "\n");
}

// The callback a session registered and the messages the source sent after it;
// a registration that failed carries none.
TEST(TwtraceSummary, ShowsTheRegisteredCallbackAndTheMessagesItCarried) {
    const std::string callback = "  TW_CALLBACK2 = {\n    CallBackProc = <0x00001000>\n    RefCon       = [0x0]\n"
                                 "    Message      = [MSG_NULL]\n  }\n";
    CommandOutput result =
        RunOn(RunSummary, Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
                              Record(2, "DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ", "TWRC_SUCCESS", 4) +
                              Record(3, "DG_CONTROL/DAT_CALLBACK/MSG_REGISTER_CALLBACK", "TWRC_FAILURE", 4) +
                              Record(4, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", 4) +
                              Record(5, "DG_CONTROL/DAT_CALLBACK2/MSG_REGISTER_CALLBACK", "TWRC_SUCCESS", 4, callback) +
                              Record(6, "DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ", "TWRC_SUCCESS", 4));
    const std::string section = "\nCallbacks:\n"
                                "  DAT_CALLBACK registered 00003 -> TWRC_FAILURE, Message not shown\n"
                                "  DAT_CALLBACK2 registered 00005 -> TWRC_SUCCESS, Message MSG_NULL\n"
                                "  carried MSG_CLOSEDSREQ 00006\n";
    ASSERT_GE(result.out.size(), section.size()) << result.out;
    EXPECT_EQ(result.out.substr(result.out.size() - section.size()), section) << result.out;
}

// The manager only asked who the source is; a call without its return code in the
// middle of a trace is damage, not where the session ended.
TEST(TwtraceSummary, SaysWhatKindOfTraceItIs) {
    const std::string listing = Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_GET", "TWRC_SUCCESS", 3);
    const std::string openInside = Crlf("[00001] [APP] DG_CONTROL/DAT_IDENTITY/MSG_OPENDS\n") +
                                   Record(2, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4);
    const std::string head = "Data source: its identity is not in the trace\n"
                             "Application: not in the trace (the monitor does not write the caller's identity)\n";
    const struct {
        std::string trace, out;
    } cases[] = {
        {listing, head + "Session: none: the manager listed this source (DAT_IDENTITY/MSG_GET only); no session\n\n"
                         "Records: 1: 1 triplets, 0 claimed events\n\nTriplets by kind:\n"
                         "       1  DG_CONTROL/DAT_IDENTITY/MSG_GET\n\nStates: 3 (00001)\n"},
        {openInside, head + "\nRecords: 2: 2 triplets, 0 claimed events\n\nTriplets by kind:\n"
                            "       2  DG_CONTROL/DAT_IDENTITY/MSG_OPENDS\n\nStates: 4 (00002)\n\nDamage:\n"
                            "  00001: line 1: the record has no return code (the session ended, or its call never "
                            "returned)\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(RunOn(RunSummary, c.trace).out, c.out);
}

// A container whose block the monitor found too small, and failed sets that the
// script replays with stand-ins of the capability's standard item type.
TEST(TwtraceCommands, CutContainersAndStandIns) {
    auto failedSet = [](int number, const char* cap, const char* conType) {
        return Record(number, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (" + std::string(cap) + ")", "TWRC_FAILURE", 4,
                      "  TW_CAPABILITY = {\n    Cap        = [" + std::string(cap) + "]\n    ConType    = [" +
                          conType + "]\n    hContainer = <0x00003000>\n  }\n") +
               Record(number + 1, "DG_CONTROL/DAT_STATUS/MSG_GET", "TWRC_SUCCESS", 4,
                      "  TW_STATUS = {\n    ConditionCode = [TWCC_BADVALUE]\n  }\n");
    };
    const std::string trace =
        Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
        Record(2, "DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_PIXELTYPE)", "TWRC_SUCCESS", 4,
               Capability("ICAP_PIXELTYPE", "    TW_ONEVALUE = {\n      !!! container cut: the block holds 6 bytes, "
                                            "TW_ONEVALUE needs 8.!!!\n    }\n")) +
        Record(3, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)", "TWRC_SUCCESS", 4,
               Capability("ICAP_PIXELTYPE", "    TW_ONEVALUE = {\n      ItemType = [TWTY_UINT16]\n"
                                            "      Item     = [!!! item cut: the block holds 1 of its 2 bytes.!!!]\n"
                                            "    }\n")) +
        failedSet(4, "CAP_XFERCOUNT", "TWON_ONEVALUE") + failedSet(6, "ICAP_XRESOLUTION", "TWON_RANGE") +
        failedSet(8, "ICAP_FRAMES", "TWON_RANGE") + failedSet(10, "CAP_KQ_DUALIMAGE", "TWON_ENUMERATION");
    const std::string cut = "ICAP_PIXELTYPE): container cut: ";
    const ExactCase cases[] = {
        {"check", RunCheck, kExitFindings,
         "00002 DG_CONTROL/DAT_CAPABILITY/MSG_GET (" + cut + "driver: container cut: the block holds 6 bytes, "
         "TW_ONEVALUE needs 8; rule: a container's block holds at least what its type needs (its fixed part, whole "
         "items)\n"
         "00003 DG_CONTROL/DAT_CAPABILITY/MSG_SET (" + cut + "application: item cut: the block holds 1 of its 2 "
         "bytes; rule: a container's block holds at least what its type needs (its fixed part, whole items)\n"
         "2 findings: 1 of the application, 1 of the driver, 0 damaged records or lines\n"},
        {"script", RunScript, kExitClean,
         "# A twhost session script that replays the application's side of a trace (twtrace script).\n"
         "DG_CONTROL DAT_IDENTITY MSG_OPENDS -> TWRC_SUCCESS  # 00001\n"
         "DG_CONTROL DAT_CAPABILITY MSG_GET ICAP_PIXELTYPE -> TWRC_SUCCESS  # 00002\n"
         "# 00003 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE): its container cannot be replayed: item cut: "
         "the block holds 1 of its 2 bytes: left out\n"
         "# 00004 DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_XFERCOUNT): a failed MSG_SET shows no container; these "
         "values stand in for it\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_XFERCOUNT ONEVALUE TWTY_INT16 0 -> TWRC_FAILURE  # 00004\n"
         "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_BADVALUE  # 00005\n"
         "# 00006 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_XRESOLUTION): a failed MSG_SET shows no container; these "
         "values stand in for it\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET ICAP_XRESOLUTION RANGE TWTY_FIX32 0 0 1 0 0 -> TWRC_FAILURE  # 00006\n"
         "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_BADVALUE  # 00007\n"
         "# 00008 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_FRAMES): a range of TWTY_FRAME has no script form: left "
         "out\n"
         "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_BADVALUE  # 00009\n"
         "# 00010 DG_CONTROL/DAT_CAPABILITY/MSG_SET (CAP_KQ_DUALIMAGE): a failed MSG_SET shows no container; these "
         "values stand in for it\n"
         "DG_CONTROL DAT_CAPABILITY MSG_SET CAP_KQ_DUALIMAGE ENUMERATION TWTY_UINT16 0 0 0 -> TWRC_FAILURE  # 00010\n"
         "DG_CONTROL DAT_STATUS MSG_GET -> TWRC_SUCCESS TWCC_BADVALUE  # 00011\n"},
    };
    for (const ExactCase& c : cases) {
        CommandOutput result = RunOn(c.command, trace);
        EXPECT_EQ(result.status, c.status) << c.what;
        EXPECT_EQ(result.out, c.out) << c.what;
    }
    // The capability table says "cut" where it would say "?".
    EXPECT_NE(RunOn(RunSummary, trace).out.find("  ICAP_PIXELTYPE   cut (00003)            cut (00002)"),
              std::string::npos)
        << RunOn(RunSummary, trace).out;
}

TEST(TwtraceCheck, ACleanSessionPasses) {
    CommandOutput result = RunOn(RunCheck, Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
                                               Record(2, "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS", "TWRC_SUCCESS", 3));
    EXPECT_EQ(result.status, kExitClean);
    EXPECT_EQ(result.out, "No protocol fault found.\n");
}

TEST(TwtraceDiff, ShowsOnlyInOneOtherCodesOtherFieldsAndWhereStatesPart) {
    const std::string other =
        Record(1, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_CANCEL", 3) +
        Record(3, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4, kIdentity) +
        Record(4, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_BRIGHTNESS)", "TWRC_FAILURE", 4) +
        Record(5, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)", "TWRC_FAILURE", 4) +
        Record(6, "DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE)", "TWRC_SUCCESS", 4,
               Capability("ICAP_PIXELTYPE",
                          "    TW_ONEVALUE = {\n      ItemType = [TWTY_UINT16]\n      Item     = [TWPT_RGB]\n    }\n")) +
        Record(7, "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "TWRC_SUCCESS", 4) +
        Record(8, "DG_CONTROL/DAT_PENDINGXFERS/MSG_RESET", "TWRC_SUCCESS", 4);
    CTraceReader first(kFaultyTrace), second(other);
    std::ostringstream out;
    ReadProblem problem;
    EXPECT_EQ(RunDiff(first, second, out, problem), kExitFindings);
    EXPECT_EQ(out.str(),
        R"j(- 00002 DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION)   only in A)j" "\n"
        R"j(~ 00004 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_BRIGHTNESS) | 00004 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_BRIGHTNESS))j" "\n"
        R"j(    return code: TWRC_SUCCESS | TWRC_FAILURE)j" "\n"
        R"j(    TW_CAPABILITY.Cap: [ICAP_BRIGHTNESS] | only in A)j" "\n"
        R"j(    TW_CAPABILITY.ConType: [TWON_X] | only in A)j" "\n"
        R"j(    TW_CAPABILITY.TW_RANGE.ItemType: [TWTY_FIX32] | only in A)j" "\n"
        R"j(    TW_CAPABILITY.TW_RANGE.MinValue: [10.000] | only in A)j" "\n"
        R"j(    TW_CAPABILITY.TW_RANGE.MaxValue: [-10.000] | only in A)j" "\n"
        R"j(    TW_CAPABILITY.TW_RANGE.StepSize: [1.000] | only in A)j" "\n"
        R"j(    TW_CAPABILITY.TW_RANGE.DefaultValue: [0.000] | only in A)j" "\n"
        R"j(    TW_CAPABILITY.TW_RANGE.CurrentValue: [20.500] | only in A)j" "\n"
        R"j(~ 00006 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE) | 00006 DG_CONTROL/DAT_CAPABILITY/MSG_SET (ICAP_PIXELTYPE))j" "\n"
        R"j(    TW_CAPABILITY.TW_ONEVALUE.Item: [TWPT_GRAY] | [TWPT_RGB])j" "\n"
        R"j(! states part after 00007 DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS | 00007 DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS: 5 | 4)j" "\n"
        R"j(- 00008 DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET   only in A)j" "\n"
        R"j(- 00009 DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS   only in A)j" "\n"
        R"j(- 00010 DG_CONTROL/DAT_STATUS/MSG_GET   only in A)j" "\n"
        R"j(- 00011 DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS   only in A)j" "\n"
        R"j(+ 00008 DG_CONTROL/DAT_PENDINGXFERS/MSG_RESET   only in B)j" "\n"
        R"j(8 differences (A: 11 records, B: 7 records))j" "\n");
}

// The command line: usage, wrong arguments and unreadable files.
TEST(TwtraceCommandLine, ExitStatusAndMessages) {
    namespace fs = std::filesystem;
    const fs::path scratch = TWTRACE_SCRATCH_DIR;
    fs::create_directories(scratch);
    std::ofstream(scratch / "trace.txt", std::ios::binary) << kFaultyTrace;
    std::ofstream(scratch / "text.txt") << "no trace here\n";
    struct Case {
        std::string arguments;
        int status;
        std::string err;  // its first line
    } cases[] = {
        {"--help", 0, ""},
        {"--version", 0, ""},
        {"--brief", 2, "twtrace: unknown option '--brief'"},
        {"summary --brief", 2, "twtrace: '--brief' is an option, not a trace file (a file named so: ./--brief)"},
        {"trace.txt summary", 2, "twtrace: unknown command 'trace.txt'; did you mean: twtrace summary trace.txt"},
        {"", 2, "twtrace: a command is missing"},
        {"frobnicate x", 2, "twtrace: unknown command 'frobnicate'"},
        {"summary", 2, "twtrace: a trace file is missing"},
        {"diff " + (scratch / "trace.txt").string(), 2, "twtrace: diff needs two trace files"},
        {"check " + (scratch / "trace.txt").string() + " extra", 2, "twtrace: one argument too many: 'extra'"},
        {"check " + (scratch / "missing.txt").string(), 2,
         "twtrace: " + (scratch / "missing.txt").string() + ": No such file or directory"},
        {"json " + scratch.string(), 2, "twtrace: " + scratch.string() + ": Is a directory"},
        {"summary " + (scratch / "text.txt").string(), 2, "twtrace: not a trace: no record found"},
        {"check " + (scratch / "trace.txt").string(), 1, ""},
        {"script " + (scratch / "trace.txt").string(), 0, ""},
    };
    for (const Case& c : cases) {
        std::string command = std::string(TWTRACE_PATH) + " " + c.arguments + " >" + (scratch / "out").string() +
                              " 2>" + (scratch / "err").string();
        int status = std::system(command.c_str());
        std::ifstream err(scratch / "err");
        std::string firstLine;
        std::getline(err, firstLine);
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.arguments;
        EXPECT_EQ(firstLine, c.err) << c.arguments;
    }
}

}  // namespace
