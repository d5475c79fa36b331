// The sessions the host program plays against the driver, step by step, with the
// return code and the TWAIN state each step must leave.
#include <functional>
#include <string>

#include "DriverHarness.h"

namespace {

// What the steps of one session share.
struct SessionData {
    TW_IDENTITY source{};
    TW_SETUPMEMXFER setup{};
    std::vector<unsigned char> buffer;
};

struct Step {
    std::string name;
    std::function<TW_UINT16(CDriver&, SessionData&)> send;
    TW_UINT16 rc;
    int state;
};

TW_UINT16 Get(CDriver& d, TW_UINT16 msg, TW_UINT16 cap) {
    return d.Capability(msg, cap);
}

TW_UINT16 MemoryStrip(CDriver& d, SessionData& s) {
    s.buffer.resize(s.setup.Preferred);
    TW_IMAGEMEMXFER xfer{};
    xfer.Memory = TW_MEMORY{kAppOwns | kAsPointer, s.setup.Preferred, s.buffer.data()};
    return d.Image(DAT_IMAGEMEMXFER, MSG_GET, &xfer);
}

const std::vector<Step>& DemoSession() {
    using D = CDriver&;
    using S = SessionData&;
    static const std::vector<Step> steps = {
        {"identity", [](D d, S s) { return d.Control(DAT_IDENTITY, MSG_GET, &s.source); }, TWRC_SUCCESS, 3},
        {"open", [](D d, S s) { return d.Control(DAT_IDENTITY, MSG_OPENDS, &s.source); }, TWRC_SUCCESS, 4},
        {"get supported caps", [](D d, S) { return Get(d, MSG_GET, CAP_SUPPORTEDCAPS); }, TWRC_SUCCESS, 4},
        {"get xfermech", [](D d, S) { return Get(d, MSG_GET, ICAP_XFERMECH); }, TWRC_SUCCESS, 4},
        {"set xfermech memory", [](D d, S) { return d.SetOneValue16(ICAP_XFERMECH, TWTY_UINT16, TWSX_MEMORY); },
         TWRC_SUCCESS, 4},
        {"get pixeltype", [](D d, S) { return Get(d, MSG_GET, ICAP_PIXELTYPE); }, TWRC_SUCCESS, 4},
        {"set pixeltype rgb", [](D d, S) { return d.SetOneValue16(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB); },
         TWRC_SUCCESS, 4},
        {"get xresolution", [](D d, S) { return Get(d, MSG_GET, ICAP_XRESOLUTION); }, TWRC_SUCCESS, 4},
        {"set xresolution 100", [](D d, S) { return d.SetOneValue32(ICAP_XRESOLUTION, TWTY_FIX32, FixWord(100)); },
         TWRC_SUCCESS, 4},
        {"set yresolution 100", [](D d, S) { return d.SetOneValue32(ICAP_YRESOLUTION, TWTY_FIX32, FixWord(100)); },
         TWRC_SUCCESS, 4},
        {"getcurrent yresolution", [](D d, S) { return Get(d, MSG_GETCURRENT, ICAP_YRESOLUTION); }, TWRC_SUCCESS, 4},
        {"get bitdepth", [](D d, S) { return Get(d, MSG_GET, ICAP_BITDEPTH); }, TWRC_SUCCESS, 4},
        {"get brightness", [](D d, S) { return Get(d, MSG_GET, ICAP_BRIGHTNESS); }, TWRC_SUCCESS, 4},
        {"getdefault brightness", [](D d, S) { return Get(d, MSG_GETDEFAULT, ICAP_BRIGHTNESS); }, TWRC_SUCCESS, 4},
        {"get frames", [](D d, S) { return Get(d, MSG_GET, ICAP_FRAMES); }, TWRC_SUCCESS, 4},
        {"set xfercount 1", [](D d, S) { return d.SetOneValue16(CAP_XFERCOUNT, TWTY_INT16, 1); }, TWRC_SUCCESS, 4},
        {"set dual image", [](D d, S) { return d.SetOneValue16(CAP_KQ_DUALIMAGE, TWTY_BOOL, 1); }, TWRC_FAILURE, 4},
        {"status",
         [](D d, S) {
             TW_STATUS status{};
             const TW_UINT16 rc = d.Control(DAT_STATUS, MSG_GET, &status);
             EXPECT_EQ(status.ConditionCode, TWCC_CAPUNSUPPORTED);
             return rc;
         },
         TWRC_SUCCESS, 4},
        {"reset bitdepth", [](D d, S) { return Get(d, MSG_RESET, ICAP_BITDEPTH); }, TWRC_SUCCESS, 4},
        {"get image layout",
         [](D d, S) {
             TW_IMAGELAYOUT layout{};
             return d.Image(DAT_IMAGELAYOUT, MSG_GET, &layout);
         },
         TWRC_SUCCESS, 4},
        {"enable",
         [](D d, S) {
             TW_USERINTERFACE ui{0, 0, nullptr};
             return d.Control(DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
         },
         TWRC_SUCCESS, 5},
        {"first event",
         [](D d, S) {
             TW_EVENT event{nullptr, 0xEEEE};
             const TW_UINT16 rc = d.Control(DAT_EVENT, MSG_PROCESSEVENT, &event);
             EXPECT_EQ(event.TWMessage, MSG_NULL);
             return rc;
         },
         TWRC_NOTDSEVENT, 5},
        {"second event",
         [](D d, S) {
             TW_EVENT event{nullptr, 0xEEEE};
             const TW_UINT16 rc = d.Control(DAT_EVENT, MSG_PROCESSEVENT, &event);
             EXPECT_EQ(event.TWMessage, MSG_XFERREADY);
             return rc;
         },
         TWRC_DSEVENT, 6},
        {"image info",
         [](D d, S) {
             TW_IMAGEINFO info{};
             return d.Image(DAT_IMAGEINFO, MSG_GET, &info);
         },
         TWRC_SUCCESS, 6},
        {"setup memory transfer", [](D d, S s) { return d.Control(DAT_SETUPMEMXFER, MSG_GET, &s.setup); },
         TWRC_SUCCESS, 6},
        {"strip 1", MemoryStrip, TWRC_SUCCESS, 7},
        {"strip 2", MemoryStrip, TWRC_SUCCESS, 7},
        {"strip 3", MemoryStrip, TWRC_SUCCESS, 7},
        {"strip 4", MemoryStrip, TWRC_XFERDONE, 7},
        {"end transfer",
         [](D d, S) {
             TW_PENDINGXFERS pending{0xEEEE, 0xEEEE};
             const TW_UINT16 rc = d.Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
             EXPECT_EQ(pending.Count, 0);
             return rc;
         },
         TWRC_SUCCESS, 5},
        {"disable",
         [](D d, S) {
             TW_USERINTERFACE ui{};
             return d.Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
         },
         TWRC_SUCCESS, 4},
        {"close", [](D d, S s) { return d.Control(DAT_IDENTITY, MSG_CLOSEDS, &s.source); }, TWRC_SUCCESS, 3},
    };
    return steps;
}

TEST(DemoSession, EveryStepAnswersItsReturnCode) {
    CDriver driver;
    SessionData data;
    for (const Step& step : DemoSession()) EXPECT_EQ(step.send(driver, data), step.rc) << step.name;
}

// Each prefix of the session is played on a fresh driver, whose state is then probed.
TEST(DemoSession, EveryStepLeavesItsState) {
    const std::vector<Step>& steps = DemoSession();
    for (size_t last = 0; last < steps.size(); ++last) {
        CDriver driver;
        SessionData data;
        for (size_t i = 0; i <= last; ++i) steps[i].send(driver, data);
        EXPECT_EQ(driver.ProbeState(), steps[last].state) << "after " << steps[last].name;
    }
}

TEST(DemoSession, CanRunTwiceOnOneDriver) {
    CDriver driver;
    for (int run = 0; run < 2; ++run) {
        SessionData data;
        for (const Step& step : DemoSession())
            EXPECT_EQ(step.send(driver, data), step.rc) << step.name << " in run " << run;
    }
}

TEST(VendorSession, EveryVendorGetSucceedsWhileOpen) {
    CDriver driver;
    driver.Open();
    // Large enough for every vendor structure.
    alignas(8) unsigned char data[sizeof(TWKQ_HARDWAREINFO)];
    for (TW_UINT16 dat = DAT_KQ_AUTOEXPOSURE; dat <= DAT_KQ_USMINFO; ++dat) {
        std::memset(data, 0, sizeof(data));
        EXPECT_EQ(driver.Control(dat, MSG_GET, data), TWRC_SUCCESS) << std::hex << dat;
    }
    TW_IDENTITY source{};
    EXPECT_EQ(driver.Control(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    EXPECT_EQ(driver.ProbeState(), 3);
}

TEST(StructuresSession, PassesInOrder) {
    CDriver driver;
    driver.Open();
    TW_STATUS status{};
    EXPECT_EQ(driver.Control(DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    TW_PENDINGXFERS pending{};
    EXPECT_EQ(driver.Control(DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    TW_SETUPFILEXFER file{};
    EXPECT_EQ(driver.Control(DAT_SETUPFILEXFER, MSG_GET, &file), TWRC_SUCCESS);
    TW_UINT32 group = 0;
    EXPECT_EQ(driver.Control(DAT_XFERGROUP, MSG_GET, &group), TWRC_SUCCESS);
    EXPECT_EQ(group, TW_UINT32(DG_IMAGE));
    TW_CUSTOMDSDATA custom{};
    EXPECT_EQ(driver.Control(DAT_CUSTOMDSDATA, MSG_GET, &custom), TWRC_SUCCESS);
    DisposeHandle(custom.hData);
    TW_JPEGCOMPRESSION jpeg{};
    EXPECT_EQ(driver.Image(DAT_JPEGCOMPRESSION, MSG_GET, &jpeg), TWRC_SUCCESS);
    TW_CIECOLOR cie{};
    EXPECT_EQ(driver.Image(DAT_CIECOLOR, MSG_GET, &cie), TWRC_SUCCESS);
    TW_ELEMENT8 curve[256] = {};
    EXPECT_EQ(driver.Image(DAT_GRAYRESPONSE, MSG_SET, curve), TWRC_SUCCESS);
    EXPECT_EQ(driver.Image(DAT_RGBRESPONSE, MSG_SET, curve), TWRC_SUCCESS);
    TW_PALETTE8 palette{};
    EXPECT_EQ(driver.Image(DAT_PALETTE8, MSG_GET, &palette), TWRC_SUCCESS);
    driver.ToTransferReady();
    TW_EXTIMAGEINFO ext{1, {{0x123B, 0, 0, 0, 0}}};
    EXPECT_EQ(driver.Image(DAT_EXTIMAGEINFO, MSG_GET, &ext), TWRC_SUCCESS);
    TW_HANDLE page = nullptr;
    EXPECT_EQ(driver.Image(DAT_IMAGENATIVEXFER, MSG_GET, &page), TWRC_XFERDONE);
    DisposeHandle(page);
    pending = TW_PENDINGXFERS{};
    EXPECT_EQ(driver.Control(DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
    TW_USERINTERFACE ui{};
    EXPECT_EQ(driver.Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    TW_IDENTITY source{};
    EXPECT_EQ(driver.Control(DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
    EXPECT_EQ(driver.ProbeState(), 3);
}

// Each operator is a scanner of its own; releasing one leaves the other working.
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
