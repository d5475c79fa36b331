// The monitor module end to end: loaded as a manager loads it, with a probe driver
// staged at the vendor bundle's location, each scenario in a fresh process.
//
// The records checked byte for byte use DATs that have no structure renderer
// (DAT_TWUNKIDENTITY, DAT_IMAGEFILEXFER, DAT_NULL), so that what is checked here
// is the record as the data source writes it, whatever the renderers print.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "StagedScenario.h"

namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr char kCloseNotice[] = "Close Log File.\n";
constexpr char kFailureBracket[] =
    "*** Inspect Error Status Start ***\r\n"
    "*** Inspect Error Status End   ***\r\n";

std::string ResultLines(const char* rcName, const void* pData) {
    return std::string("        Return Code = [") + rcName + "]\r\n" + DataPointerLine(pData);
}

std::string StateLine(int state) { return "\r\nTWAIN Status = [" + std::to_string(state) + "]\r\n"; }

TW_IDENTITY MakeApplication() {
    TW_IDENTITY app{};
    app.Id = reinterpret_cast<TW_MEMREF>(static_cast<uintptr_t>(1));
    app.ProtocolMajor = 2;
    app.SupportedGroups = DG_CONTROL | DG_IMAGE;
    return app;
}

struct TripletCase {
    TW_UINT32 DG;
    TW_UINT16 DAT, MSG, answer;
};

// Unknown constants, custom codes and every kind of answer: none is changed.
constexpr TripletCase kForwardedCases[] = {
    {DG_CONTROL, DAT_IDENTITY, MSG_GET, TWRC_SUCCESS},
    {DG_CONTROL, DAT_CAPABILITY, MSG_SET, TWRC_FAILURE},
    {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, TWRC_NOTDSEVENT},
    {DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, TWRC_DSEVENT},
    {DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWRC_XFERDONE},
    {DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, TWRC_CANCEL},
    {DG_CONTROL, DAT_NULL, MSG_XFERREADY, TWRC_CHECKSTATUS},
    {0x80000000u, 0x0400, 0x9999, 10},
    {8, DAT_KQ_DUALIMAGE, MSG_KQ_XFERREQUEST, TWRC_CUSTOMBASE},
    {DG_AUDIO, 0xffff, 0xffff, 0xffff},
};

// The same calls with and without logging, with real data, null data and a null
// origin: the driver sees every argument as sent, the caller its code bit for bit.
TEST(MonitorForwarding, PassesEveryArgumentOnAndReturnsTheDriversCode) {
    for (bool logging : {true, false}) {
        SCOPED_TRACE(logging ? "logging on" : "logging off");
        Scenario scenario;
        scenario.logDirectory = logging;
        for (int run = 0; run < 2; ++run)
            for (const TripletCase& c : kForwardedCases) scenario.probeCodes += std::to_string(c.answer) + ",";
        TW_IDENTITY app = MakeApplication();
        alignas(8) unsigned char data[512] = {};

        ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
            for (const TripletCase& c : kForwardedCases) session.Send(&app, c.DG, c.DAT, c.MSG, data);
            for (const TripletCase& c : kForwardedCases) session.Send(nullptr, c.DG, c.DAT, c.MSG, nullptr);
        });

        ASSERT_TRUE(outcome.completed) << outcome.failure;
        EXPECT_EQ(outcome.probeCalls, outcome.sent);
        ASSERT_EQ(outcome.returnCodes.size(), 2 * std::size(kForwardedCases));
        for (size_t i = 0; i < outcome.returnCodes.size(); ++i)
            EXPECT_EQ(outcome.returnCodes[i], kForwardedCases[i % std::size(kForwardedCases)].answer) << i;
        EXPECT_EQ(outcome.factoryName, "TwainMonitor.ds");
    }
}

// Logging is switched by the directory at load: with it the log opens and the
// state starts at 3 before the first triplet; without it no file, no notice, and
// the analysis still runs from state 0 and counts its lines. The unload releases
// the operator once and closes the log once, whether the manager unloads the
// module or the process ends with it loaded.
TEST(MonitorLoad, LogDirectorySwitchesTheLogAndUnloadReleasesAndClosesOnce) {
    struct Case {
        const char* name;
        bool logging, byExit;
        int stateAfterLoad, stateAfterSession;
    };
    const Case cases[] = {
        {"logging, dlclose", true, false, 3, 4},
        {"no logging, dlclose", false, false, 0, 0},
        {"logging, process exit", true, true, 3, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario;
        scenario.logDirectory = c.logging;
        scenario.unloadByExit = c.byExit;
        TW_IDENTITY app = MakeApplication();

        ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
            session.Send(&app, DG_CONTROL, DAT_TWUNKIDENTITY, MSG_OPENDS, nullptr);
            session.Send(&app, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, nullptr);
            session.Send(&app, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
        });

        ASSERT_TRUE(outcome.completed) << outcome.failure;
        EXPECT_EQ(outcome.stateAfterLoad, c.stateAfterLoad);
        EXPECT_EQ(outcome.stateAfterSession, c.stateAfterSession);
        EXPECT_EQ(outcome.linesAfterSession, 2);  // the event poll makes no line
        EXPECT_EQ(outcome.probeCalls.size(), 3u);
        EXPECT_EQ(outcome.releasesBeforeUnload, 0);
        EXPECT_EQ(outcome.releasesAtEnd, 1);
        EXPECT_EQ(outcome.traceFiles, c.logging ? 1 : 0);
        EXPECT_EQ(outcome.stderrText, c.logging ? kCloseNotice : "");
        const std::string trace = "[00001] [APP] DG_CONTROL/DAT_TWUNKIDENTITY/MSG_OPENDS\r\n" +
                                  ResultLines("TWRC_SUCCESS", nullptr) + StateLine(4) +
                                  "[00002] [APP] DG_IMAGE/DAT_IMAGEFILEXFER/MSG_GET\r\n" +
                                  ResultLines("TWRC_SUCCESS", nullptr) + StateLine(4);
        EXPECT_EQ(outcome.trace, c.logging ? trace : "");
    }
}

// One record after the other: triplet line, parameter text, and the bracket on
// TWRC_FAILURE only; a filtered event poll leaves nothing unless it failed.
TEST(MonitorTrace, WritesEachRecordInOrderWithTheBracketOnFailureOnly) {
    Scenario scenario;
    scenario.probeCodes = "0,1,2,5,1,0,0,0";
    TW_IDENTITY app = MakeApplication();
    alignas(8) unsigned char event[sizeof(TW_EVENT)] = {};
    alignas(8) unsigned char file[16] = {};

    ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
        session.Send(&app, DG_CONTROL, DAT_TWUNKIDENTITY, MSG_OPENDS, nullptr);
        session.Send(&app, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, file);
        session.Send(&app, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, file);
        session.Send(&app, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, event);
        session.Send(&app, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, event);
        session.Send(&app, DG_CONTROL, DAT_NULL, MSG_XFERREADY, nullptr);
        session.Send(&app, DG_CONTROL, DAT_NULL, MSG_CLOSEDSREQ, nullptr);
        session.Send(&app, DG_CONTROL, DAT_TWUNKIDENTITY, MSG_CLOSEDS, nullptr);
    });

    ASSERT_TRUE(outcome.completed) << outcome.failure;
    EXPECT_EQ(outcome.trace,
              "[00001] [APP] DG_CONTROL/DAT_TWUNKIDENTITY/MSG_OPENDS\r\n" + ResultLines("TWRC_SUCCESS", nullptr) +
                  StateLine(4) +
                  "[00002] [APP] DG_IMAGE/DAT_IMAGEFILEXFER/MSG_GET\r\n" + ResultLines("TWRC_FAILURE", file) +
                  kFailureBracket +
                  "[00003] [APP] DG_IMAGE/DAT_IMAGEFILEXFER/MSG_GET\r\n" + ResultLines("TWRC_CHECKSTATUS", file) +
                  StateLine(4) +
                  kFailureBracket +
                  "[00004] [APP] DG_CONTROL/DAT_NULL/MSG_CLOSEDSREQ\r\n" + ResultLines("TWRC_SUCCESS", nullptr) +
                  StateLine(4) +
                  "[00005] [APP] DG_CONTROL/DAT_TWUNKIDENTITY/MSG_CLOSEDS\r\n" + ResultLines("TWRC_SUCCESS", nullptr) +
                  StateLine(3));
    EXPECT_EQ(outcome.probeCalls.size(), 8u);
    EXPECT_EQ(outcome.stderrText, kCloseNotice);
}

// A TWAIN 2 source says "ready to transfer" through the manager's callback, which
// never passes DS_Entry. The manager's own triplets are named, and the state still
// runs 3 > 4 > 5 > 6 > 7 > 5 > 4 > 3: image information and the transfer are only
// allowed once the transfer is ready. The data the trace needs no field of is null,
// so the records are the monitor's own lines.
TEST(MonitorTrace, ACallbackSessionTracksTheStatesOfItsTransfer) {
    Scenario scenario;
    scenario.probeCodes = "0,0,0,0,0,0,6,0,0,0";
    TW_IDENTITY app = MakeApplication();
    TW_PENDINGXFERS none = {0, 0};

    ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
        session.Send(&app, DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, nullptr);
        session.Send(&app, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, nullptr);
        session.Send(&app, DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, nullptr);
        session.Send(&app, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, nullptr);
        session.Send(&app, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, nullptr);
        session.Send(&app, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, nullptr);
        session.Send(&app, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, nullptr);
        session.Send(&app, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &none);
        session.Send(&app, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, nullptr);
        session.Send(&app, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, nullptr);
    });

    ASSERT_TRUE(outcome.completed) << outcome.failure;
    auto record = [](int line, const char* triplet, const char* rc, int state) {
        char number[16];
        snprintf(number, sizeof(number), "[%05d] ", line);
        return number + std::string("[APP] ") + triplet + "\r\n" + ResultLines(rc, nullptr) + StateLine(state);
    };
    EXPECT_EQ(outcome.trace,
              record(1, "DG_CONTROL/DAT_ENTRYPOINT/MSG_SET", "TWRC_SUCCESS", 3) +
                  record(2, "DG_CONTROL/DAT_IDENTITY/MSG_OPENDS", "TWRC_SUCCESS", 4) +
                  record(3, "DG_CONTROL/DAT_CALLBACK2/MSG_REGISTER_CALLBACK", "TWRC_SUCCESS", 4) +
                  record(4, "DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS", "TWRC_SUCCESS", 5) +
                  record(5, "DG_IMAGE/DAT_IMAGEINFO/MSG_GET", "TWRC_SUCCESS", 6) +
                  record(6, "DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET", "TWRC_SUCCESS", 7) +
                  record(7, "DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET", "TWRC_XFERDONE", 7) +
                  "[00008] [APP] DG_CONTROL/DAT_PENDINGXFERS/MSG_ENDXFER\r\n" + ResultLines("TWRC_SUCCESS", &none) +
                  "  TW_PENDINGXFERS = {\r\n    Count = [0]\r\n    EOJ   = [0]\r\n  }\r\n" + StateLine(5) +
                  record(9, "DG_CONTROL/DAT_USERINTERFACE/MSG_DISABLEDS", "TWRC_SUCCESS", 4) +
                  record(10, "DG_CONTROL/DAT_IDENTITY/MSG_CLOSEDS", "TWRC_SUCCESS", 3));
}

// The driver crashes on a call: the trace ends with that call's triplet line,
// written before the driver got the call, with the capability the application
// asked for; the records before it are whole.
TEST(MonitorTrace, TheCallADriverCrashesOnIsTheTracesLastLine) {
    Scenario scenario;
    scenario.probeCodes = "0,0,abort";
    TW_IDENTITY app = MakeApplication();
    alignas(8) unsigned char cap[sizeof(TW_CAPABILITY)] = {};
    const TW_UINT16 resolution = ICAP_XRESOLUTION;
    memcpy(cap, &resolution, sizeof(resolution));

    ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
        session.Send(&app, DG_CONTROL, DAT_TWUNKIDENTITY, MSG_OPENDS, nullptr);
        session.Send(&app, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
        session.Send(&app, DG_CONTROL, DAT_CAPABILITY, MSG_GET, cap);
        session.Send(&app, DG_CONTROL, DAT_TWUNKIDENTITY, MSG_CLOSEDS, nullptr);
    });

    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(outcome.failure, "child killed by signal 6");
    EXPECT_EQ(outcome.probeCalls.size(), 3u);
    EXPECT_EQ(outcome.trace,
              "[00001] [APP] DG_CONTROL/DAT_TWUNKIDENTITY/MSG_OPENDS\r\n" + ResultLines("TWRC_SUCCESS", nullptr) +
                  StateLine(4) + "[00002] [APP] DG_IMAGE/DAT_IMAGEFILEXFER/MSG_GET\r\n" +
                  ResultLines("TWRC_SUCCESS", nullptr) + StateLine(4) +
                  "[00003] [APP] DG_CONTROL/DAT_CAPABILITY/MSG_GET (ICAP_XRESOLUTION)\r\n");
}

// Every way the driver can be missing: the module loads, answers TWRC_FAILURE
// without touching the data, traces the call, and unloads with its notice.
TEST(MonitorLoad, WithoutAnOperatorLoadsAnswersFailureAndUnloadsCleanly) {
    const struct {
        const char* name;
        WrapperInstall wrapper;
        bool hideOwnImage, factoryCalled;
    } cases[] = {
        {"bundle without the factory", WrapperInstall::ProbeWithoutFactory, false, false},
        {"factory that stores nothing", WrapperInstall::ProbeStoringNothing, false, true},
        {"bundle directory without an executable", WrapperInstall::BundleWithoutExecutable, false, false},
        {"no bundle", WrapperInstall::NoBundle, false, false},
        {"own image not listed", WrapperInstall::Probe, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scenario scenario;
        scenario.wrapper = c.wrapper;
        scenario.hideOwnImage = c.hideOwnImage;
        TW_IDENTITY app = MakeApplication();
        alignas(8) unsigned char data[64];
        memset(data, 0xa5, sizeof(data));

        ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
            session.Send(&app, DG_CONTROL, DAT_TWUNKIDENTITY, MSG_OPENDS, data);
            bool untouched = true;
            for (unsigned char byte : data) untouched = untouched && byte == 0xa5;
            session.Note(untouched ? "data untouched" : "data changed");
        });

        ASSERT_TRUE(outcome.completed) << outcome.failure;
        EXPECT_THAT(outcome.returnCodes, ElementsAre(TWRC_FAILURE));
        EXPECT_THAT(outcome.notes, ElementsAre("data untouched"));
        EXPECT_THAT(outcome.probeCalls, IsEmpty());
        EXPECT_EQ(outcome.factoryCalled, c.factoryCalled);
        EXPECT_EQ(outcome.releasesAtEnd, 0);
        EXPECT_EQ(outcome.stateAfterLoad, 3);
        EXPECT_EQ(outcome.trace, "[00001] [APP] DG_CONTROL/DAT_TWUNKIDENTITY/MSG_OPENDS\r\n" +
                                     ResultLines("TWRC_FAILURE", data) + kFailureBracket);
        EXPECT_EQ(outcome.stderrText, kCloseNotice);
    }
}

}  // namespace
