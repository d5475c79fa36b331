// Whatever the application passes, the monitor passes it on, returns the driver's
// code and traces without crashing: structures that end where readable memory
// ends, null data, strings without their NUL, handles that are not handles or are
// smaller than their counts claim.
#include <CoreServices/CoreServices.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "DispatchedDats.h"
#include "GuardPage.h"
#include "ProbeFiles.h"
#include "StagedScenario.h"

namespace {

// Triplet lines in a trace.
size_t CountTripletLines(const std::string& trace) {
    size_t count = 0;
    for (size_t at = trace.find("] [APP] "); at != std::string::npos; at = trace.find("] [APP] ", at + 1)) ++count;
    return count;
}

TEST(MonitorBadInput, EveryDispatchedDatAtTheEndOfReadableMemoryAndWithNullData) {
    // Each DAT twice, once accepted and once refused, so that both forms of the
    // record are made.
    std::string codes;
    for (size_t i = 0; i < 2 * std::size(kDispatchedDats); ++i) codes += i % 2 ? "1," : "0,";
    Scenario scenario;
    scenario.probeCodes = codes;

    ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
        for (const DispatchedDat& d : kDispatchedDats) {
            // A block of what the renderer may read, ending at an inaccessible page,
            // all ones: absurd counts, unknown constants, handles that are none. The
            // few DATs that are checked with null only get null twice.
            std::unique_ptr<CGuardedBlock> block;
            if (d.bytesRead > 1) {
                block = std::make_unique<CGuardedBlock>(d.bytesRead, d.alignment);
                memset(block->data(), 0xff, block->size());
            }
            for (TW_UINT16 MSG : {MSG_GET, MSG_SET}) {
                session.Send(nullptr, DG_CONTROL, d.dat, MSG, block ? block->data() : nullptr);
            }
        }
    });

    ASSERT_TRUE(outcome.completed) << outcome.failure;
    // An entry point of all ones claims an absurd Size: the driver is handed the
    // manager's DSM_Entry as it came, not the monitor's.
    std::vector<std::string> expected;
    for (const std::string& line : outcome.sent) {
        expected.push_back(line);
        if (line.find("DAT=0x0403 MSG=0x0006") == std::string::npos || line.find("data=(nil)") != std::string::npos)
            continue;
        std::string given = FormatProbeEntry(reinterpret_cast<void*>(UINTPTR_MAX));
        given.pop_back();  // the calls file's lines come without their newline
        expected.push_back(given);
    }
    EXPECT_EQ(outcome.probeCalls, expected);
    ASSERT_EQ(outcome.returnCodes.size(), 2 * std::size(kDispatchedDats));
    for (size_t i = 0; i < outcome.returnCodes.size(); ++i) EXPECT_EQ(outcome.returnCodes[i], i % 2) << i;
    EXPECT_EQ(CountTripletLines(outcome.trace), 2 * std::size(kDispatchedDats));
}

// Capabilities whose container cannot be trusted, and an identity whose strings
// run to the end of readable memory without a NUL.
TEST(MonitorBadInput, UntrustworthyContainersAndUnterminatedStrings) {
    Scenario scenario;
    ScenarioOutcome outcome = RunScenario(scenario, [&](CChildSession& session) {
        CGuarded<TW_CAPABILITY> cap;
        cap->Cap = ICAP_XRESOLUTION;
        struct Container {
            TW_UINT16 conType;
            size_t handleSize;   // 0: no live handle at all
            TW_UINT32 numItems;  // claimed, far beyond the handle
        };
        const Container containers[] = {
            {TWON_ONEVALUE, 0, 0},
            {TWON_ARRAY, sizeof(TW_ARRAY), 0x7fffffff},
            {TWON_ENUMERATION, sizeof(TW_ENUMERATION), 0xffffffff},
            {TWON_RANGE, 2, 0},
            {0x4242, 16, 0},
        };
        for (const Container& c : containers) {
            cap->ConType = c.conType;
            Handle h = c.handleSize ? NewHandleClear(static_cast<Size>(c.handleSize)) : nullptr;
            if (h && c.handleSize >= sizeof(TW_ARRAY)) {
                TW_UINT16 itemType = TWTY_FIX32;
                memcpy(*h, &itemType, sizeof(itemType));
                memcpy(*h + offsetof(TW_ARRAY, NumItems), &c.numItems, sizeof(c.numItems));
            }
            // Without a handle, an address that is none: it must not be followed.
            cap->hContainer = h ? h : reinterpret_cast<TW_HANDLE>(static_cast<uintptr_t>(0x10));
            for (TW_UINT16 MSG : {MSG_GET, MSG_SET, MSG_GETCURRENT})
                session.Send(nullptr, DG_CONTROL, DAT_CAPABILITY, MSG, cap.get());
            if (h) DisposeHandle(h);
        }

        CGuarded<TW_IDENTITY> identity;
        memset(identity.get(), 'A', sizeof(TW_IDENTITY));
        session.Send(identity.get(), DG_CONTROL, DAT_IDENTITY, MSG_GET, identity.get());
        session.Send(identity.get(), DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr);
    });

    ASSERT_TRUE(outcome.completed) << outcome.failure;
    EXPECT_EQ(outcome.probeCalls, outcome.sent);
    EXPECT_EQ(outcome.returnCodes, std::vector<TW_UINT16>(17, TWRC_SUCCESS));
    EXPECT_EQ(CountTripletLines(outcome.trace), 17u);
}

}  // namespace
