// The demo session the host program plays against the driver, step by step, with
// the return code and the TWAIN state each step must leave; and the operators the
// factory makes.
#include <memory>
#include <string>

#include "DriverHarness.h"

namespace {

// One step: its answer, then the state the driver is found in.
#define STEP(call, rc, state)                                   \
    do {                                                        \
        EXPECT_EQ(call, rc) << #call;                           \
        EXPECT_EQ(driver.ProbeState(), state) << "after " #call; \
    } while (0)

void DemoSession(CDriver& driver) {
    TW_IDENTITY source{};
    STEP(driver.Control(DAT_IDENTITY, MSG_GET, &source), TWRC_SUCCESS, 3);
    STEP(driver.Control(DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GET, CAP_SUPPORTEDCAPS), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GET, ICAP_XFERMECH), TWRC_SUCCESS, 4);
    STEP(driver.SetOneValue16(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GET, ICAP_PIXELTYPE), TWRC_SUCCESS, 4);
    STEP(driver.SetOneValue16(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GET, ICAP_XRESOLUTION), TWRC_SUCCESS, 4);
    STEP(driver.SetOneValue32(ICAP_XRESOLUTION, TWTY_FIX32, FixWord(100)), TWRC_SUCCESS, 4);
    STEP(driver.SetOneValue32(ICAP_YRESOLUTION, TWTY_FIX32, FixWord(100)), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GETCURRENT, ICAP_YRESOLUTION), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GET, ICAP_BITDEPTH), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GET, ICAP_BRIGHTNESS), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GETDEFAULT, ICAP_BRIGHTNESS), TWRC_SUCCESS, 4);
    STEP(driver.Capability(MSG_GET, ICAP_FRAMES), TWRC_SUCCESS, 4);
    STEP(driver.SetOneValue16(CAP_XFERCOUNT, TWTY_INT16, 1), TWRC_SUCCESS, 4);
    STEP(driver.SetOneValue16(CAP_KQ_DUALIMAGE, TWTY_BOOL, 1), TWRC_FAILURE, 4);
    EXPECT_EQ(driver.ConditionCode(), TWCC_CAPUNSUPPORTED);
    STEP(driver.Capability(MSG_RESET, ICAP_BITDEPTH), TWRC_SUCCESS, 4);
    TW_IMAGELAYOUT layout{};
    STEP(driver.Image(DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS, 4);
    TW_USERINTERFACE ui{0, 0, nullptr};
    STEP(driver.Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS, 5);
    TW_EVENT event{nullptr, 0xEEEE};
    STEP(driver.Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT, 5);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    STEP(driver.Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_DSEVENT, 6);
    EXPECT_EQ(event.TWMessage, MSG_XFERREADY);
    TW_IMAGEINFO info{};
    STEP(driver.Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS, 6);
    TW_SETUPMEMXFER setup{};
    STEP(driver.Control(DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS, 6);
    std::vector<unsigned char> buffer(setup.Preferred);
    for (TW_UINT16 rc : {TWRC_SUCCESS, TWRC_SUCCESS, TWRC_SUCCESS, TWRC_XFERDONE}) {
        TW_IMAGEMEMXFER xfer{};
        xfer.Memory = TW_MEMORY{kAppOwns | kAsPointer, setup.Preferred, buffer.data()};
        STEP(driver.Image(DAT_IMAGEMEMXFER, MSG_GET, &xfer), rc, 7);
    }
    TW_PENDINGXFERS pending{0xEEEE, 0xEEEE};
    STEP(driver.Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS, 5);
    EXPECT_EQ(pending.Count, 0);
    STEP(driver.Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS, 4);
    STEP(driver.Control(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS, 3);
}

// Twice on one driver: closing leaves nothing behind that the next session sees.
TEST(DemoSession, EveryStepAnswersItsCodeAndLeavesItsState) {
    CDriver driver;
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        DemoSession(driver);
    }
}

// Each operator is a scanner of its own; releasing one frees it (the leak
// checker tells) and leaves the other working.
TEST(Factory, OperatorsAreIndependentAndReleaseFreesThem) {
    auto first = std::make_unique<CDriver>();
    CDriver second;
    first->Open();
    EXPECT_EQ(first->ProbeState(), 4);
    EXPECT_EQ(second.ProbeState(), 3);
    first.reset();
    second.Open();
    EXPECT_EQ(second.ProbeState(), 4);
    // A null out-parameter is ignored.
    DriverFactory()(nullptr, nullptr);
}

}  // namespace
