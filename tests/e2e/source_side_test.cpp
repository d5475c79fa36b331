// The source's calls to the manager through the real module: the entry point the
// source is handed leads through the monitor, from inside a DS_Entry call and from
// a thread of the source's own, and while the module unloads.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "AnalyzerHarness.h"
#include "ProbeFiles.h"
#include "StagedScenario.h"

namespace {

// The manager's side in the child. Its own code, so the source's code is seen
// to come back unchanged.
constexpr TW_UINT16 kManagerCode = TWRC_CHECKSTATUS;
std::atomic<int> g_managerCalls{0};
TW_IDENTITY* g_lastDest = nullptr;
TW_UINT16 g_lastMessage = 0;

TW_UINT16 Manager(TW_IDENTITY*, TW_IDENTITY* pDest, TW_UINT32, TW_UINT16, TW_UINT16 MSG, TW_MEMREF) {
    g_lastDest = pDest;
    g_lastMessage = MSG;
    ++g_managerCalls;
    return kManagerCode;
}

// Globals: the child is a fork, so the parent knows their addresses too.
TW_ENTRYPOINT g_entryPoint = {sizeof(TW_ENTRYPOINT), Manager, nullptr, nullptr, nullptr, nullptr};
TW_IDENTITY g_application = [] {
    TW_IDENTITY identity{};
    SetText(identity.ProductName, "e2e application");
    return identity;
}();
TW_USERINTERFACE g_ui{};

constexpr char kReadyRecordTail[] =
    "        Return Code = [TWRC_CHECKSTATUS]\r\n"
    "pData   = <0x00000000>\r\n"
    "To      = [e2e application]\r\n"
    "\r\n"
    "TWAIN Status = [6]\r\n";

// The manager's entry point handed over, the source opened and enabled.
void OpenAndEnable(CChildSession& session) {
    session.Send(&g_application, DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &g_entryPoint);
    session.Send(&g_application, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, nullptr);
    session.Send(&g_application, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &g_ui);
}

void NoteManagerCalls(CChildSession& session) {
    bool whole = g_managerCalls > 0 && g_lastDest == &g_application && g_lastMessage == MSG_XFERREADY;
    bool untouched = g_entryPoint.DSM_Entry == Manager;
    session.Note(std::string(whole ? "manager called with the source's arguments" : "manager call wrong") +
                 (untouched ? "" : ", manager's structure written"));
}

std::string GivenManager() { return FormatProbeEntry(reinterpret_cast<const void*>(&Manager)); }

TEST(SourceSide, ReadyFromInsideEnableIsARecordWithinTheApplicationsOpenOne) {
    Scenario scenario;
    scenario.probePost = "enable";
    ScenarioOutcome outcome = RunScenario(scenario, [](CChildSession& session) {
        OpenAndEnable(session);
        NoteManagerCalls(session);
    });
    ASSERT_TRUE(outcome.completed) << outcome.failure;
    EXPECT_EQ(outcome.notes, std::vector<std::string>{"manager called with the source's arguments"});
    EXPECT_EQ(outcome.probePosts, std::vector<std::string>{"posted rc=2"});
    // The source was handed another DSM_Entry than the manager's: the monitor's.
    ASSERT_GE(outcome.probeCalls.size(), 2u);
    EXPECT_NE(outcome.probeCalls[1] + "\n", GivenManager());
    EXPECT_EQ(outcome.trace,
              "[00001] [APP] DG_CONTROL/DAT_ENTRYPOINT/MSG_SET\r\n" +
                  ParamsFrom(3, DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, &g_entryPoint, TWRC_SUCCESS) +
                  "[00002] [APP] DG_CONTROL/DAT_IDENTITY/MSG_OPENDS\r\n"
                  "        Return Code = [TWRC_SUCCESS]\r\n"
                  "pData   = <0x00000000>\r\n"
                  "\r\n"
                  "TWAIN Status = [4]\r\n"
                  "[00003] [APP] DG_CONTROL/DAT_USERINTERFACE/MSG_ENABLEDS\r\n"
                  "[00004] [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY\r\n" +
                  kReadyRecordTail + ParamsFrom(6, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &g_ui, TWRC_SUCCESS));
}

// The source says MSG_XFERREADY from its own thread while the application keeps
// calling: every line numbered once, every piece whole.
TEST(SourceSide, ReadyFromTheSourcesThreadInterleavesWholePiecesOnly) {
    constexpr int kPosts = 2000, kCalls = 2000;
    Scenario scenario;
    scenario.probePost = "thread:" + std::to_string(kPosts);
    static TW_IDENTITY identity;
    ScenarioOutcome outcome = RunScenario(scenario, [](CChildSession& session) {
        OpenAndEnable(session);
        const DSENTRYPROC entry = session.Entry();
        for (int i = 0; i < kCalls; ++i) entry(&g_application, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity);
        // The poster is joined when the module releases the source.
    });
    ASSERT_TRUE(outcome.completed) << outcome.failure;
    EXPECT_EQ(outcome.probePosts.size(), static_cast<size_t>(kPosts));

    std::map<std::string, int> pieces = TracePieces(outcome.trace);
    // The application's enable ends before or after the first ready: either state.
    int enableEnds = pieces.erase(ParamsFrom(5, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &g_ui, TWRC_SUCCESS)) +
                     pieces.erase(ParamsFrom(6, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &g_ui, TWRC_SUCCESS));
    EXPECT_EQ(enableEnds, 1);
    EXPECT_EQ(pieces[kReadyRecordTail], kPosts);
    pieces.erase(kReadyRecordTail);
    // The identity's text as the driver left it (the probe leaves it alone), in either state.
    int identityEnds = 0;
    for (int state : {5, 6}) {
        auto found = pieces.find(ParamsFrom(state, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity, TWRC_SUCCESS));
        if (found == pieces.end()) continue;
        identityEnds += found->second;
        pieces.erase(found);
    }
    EXPECT_EQ(identityEnds, kCalls);
    // After the three lines of OpenAndEnable, each number is one of the two calls.
    int ready = 0, calls = 0;
    for (int n = 4; n <= 3 + kPosts + kCalls; ++n) {
        char line[80];
        snprintf(line, sizeof(line), "[%05d] [DS] DG_CONTROL/DAT_NULL/MSG_XFERREADY\r\n", n);
        ready += pieces.count(line) == 1 && pieces[line] == 1;
        snprintf(line, sizeof(line), "[%05d] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET\r\n", n);
        calls += pieces.count(line) == 1 && pieces[line] == 1;
    }
    EXPECT_EQ(ready, kPosts);
    EXPECT_EQ(calls, kCalls);
}

// A source that never stops calling while the module unloads at exit: the last
// records are written whole or not at all, and nothing crashes.
TEST(SourceSide, SourceCallingThroughTheUnloadCrashesNothing) {
    Scenario scenario;
    scenario.probePost = "forever";
    scenario.unloadByExit = true;
    ScenarioOutcome outcome = RunScenario(scenario, [](CChildSession& session) {
        OpenAndEnable(session);
        while (g_managerCalls < 1000) std::this_thread::yield();
    });
    ASSERT_TRUE(outcome.completed) << outcome.failure;
    EXPECT_NE(outcome.stderrText.find("Close Log File.\n"), std::string::npos);
    std::map<std::string, int> pieces = TracePieces(outcome.trace);
    EXPECT_GE(pieces[kReadyRecordTail], 999);
}

}  // namespace
