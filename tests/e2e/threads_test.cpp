// Calls from two threads at once through the real module: the monitor may not turn
// a driver that tolerates threads into one that crashes or writes garbled records.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "AnalyzerHarness.h"
#include "ProbeFiles.h"
#include "StagedScenario.h"

namespace {

constexpr int kCallsPerThread = 5000;

TW_IDENTITY ThreadIdentity(const char* name) {
    TW_IDENTITY identity{};
    identity.ProtocolMajor = 2;
    SetText(identity.ProductName, name);
    return identity;
}

// Each thread sends DAT_IDENTITY MSG_GET with an identity of its own: every
// triplet line comes once and every parameter text whole, and each thread gets
// the driver's code and its data back as it would without the monitor.
TEST(MonitorThreads, OverlappingCallsInterleaveWholePiecesOnly) {
    TW_IDENTITY identities[2] = {ThreadIdentity("first thread"), ThreadIdentity("second thread")};
    ScenarioOutcome outcome = RunScenario(Scenario{}, [&](CChildSession& session) {
        // The probe stops writing each call down: the threads meet in the monitor,
        // not in the probe's file.
        unsetenv(kProbeDirVariable);
        const DSENTRYPROC entry = session.Entry();
        bool intact[2] = {true, true};
        auto hammer = [&](int t) {
            const TW_IDENTITY sent = identities[t];
            for (int i = 0; i < kCallsPerThread; ++i) {
                TW_UINT16 rc = entry(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identities[t]);
                if (rc != TWRC_SUCCESS || memcmp(&identities[t], &sent, sizeof(sent)) != 0) intact[t] = false;
            }
        };
        std::thread first(hammer, 0), second(hammer, 1);
        first.join();
        second.join();
        session.Note(intact[0] && intact[1] ? "codes and data intact" : "codes or data changed");
    });

    ASSERT_TRUE(outcome.completed) << outcome.failure;
    EXPECT_EQ(outcome.notes, std::vector<std::string>{"codes and data intact"});
    std::map<std::string, int> expected;
    for (int n = 1; n <= 2 * kCallsPerThread; ++n) {
        char line[64];
        snprintf(line, sizeof(line), "[%05d] [APP] DG_CONTROL/DAT_IDENTITY/MSG_GET\r\n", n);
        expected[line] = 1;
    }
    for (TW_IDENTITY& identity : identities)
        expected[ParamsFrom(3, DG_CONTROL, DAT_IDENTITY, MSG_GET, &identity, TWRC_SUCCESS)] = kCallsPerThread;
    const std::map<std::string, int> found = TracePieces(outcome.trace);
    EXPECT_EQ(found.size(), expected.size());
    EXPECT_TRUE(found == expected) << "the pieces of the trace are not those of the calls";
}

}  // namespace
