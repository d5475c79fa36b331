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

// The trace cut into its pieces: a piece starts with a triplet line or with the
// return code line of a parameter text and runs to the next start. Each piece,
// with how often it came.
std::map<std::string, int> Pieces(const std::string& trace) {
    std::map<std::string, int> pieces;
    size_t start = 0;
    for (size_t at = 0; at < trace.size();) {
        size_t end = trace.find("\r\n", at);
        end = end == std::string::npos ? trace.size() : end + 2;
        bool nextStarts =
            end == trace.size() || trace[end] == '[' || trace.compare(end, 19, "        Return Code") == 0;
        if (nextStarts) {
            ++pieces[trace.substr(start, end - start)];
            start = end;
        }
        at = end;
    }
    return pieces;
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
    const std::map<std::string, int> found = Pieces(outcome.trace);
    EXPECT_EQ(found.size(), expected.size());
    EXPECT_TRUE(found == expected) << "the pieces of the trace are not those of the calls";
}

}  // namespace
