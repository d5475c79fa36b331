// The protocol: the demo session the host plays, step by step, with the code and
// the state each step must leave; the operators the factory makes; triplets out
// of their state, without their data, or not known at all; the condition code
// DAT_STATUS reports; and answers written within their own structure.
#include <memory>
#include <string>

#include "DriverHarness.h"
#include "GuardPage.h"

namespace {

constexpr TW_UINT32 C = DG_CONTROL;
constexpr TW_UINT32 I = DG_IMAGE;

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

void Reach(CDriver& driver, int state) {
    if (state >= 4) driver.Open();
    if (state == 5) driver.Enable();
    if (state >= 6) driver.ToTransferReady();
    if (state == 7) {
        TW_HANDLE page = nullptr;
        ASSERT_EQ(driver.Image(DAT_IMAGENATIVEXFER, MSG_GET, &page), TWRC_XFERDONE);
        DisposeHandle(page);
    }
    ASSERT_EQ(driver.ProbeState(), state);
    driver.ConditionCode();  // forget what the probe left
}

struct Triplet {
    int state;
    TW_UINT32 dg;
    TW_UINT16 dat, msg;
};

// Each triplet, on a fresh driver in its state, fails with the condition code and
// leaves the state as it was; with zeroed room for any structure, or no data.
void ExpectRefused(std::initializer_list<Triplet> cases, bool withData, TW_UINT16 conditionCode) {
    for (const Triplet& t : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << t.dg << "/" << t.dat << "/" << t.msg);
        CDriver driver;
        Reach(driver, t.state);
        alignas(8) unsigned char data[2048] = {};
        EXPECT_EQ(driver.Send(t.dg, t.dat, t.msg, withData ? data : nullptr), TWRC_FAILURE);
        EXPECT_EQ(driver.ConditionCode(), conditionCode);
        EXPECT_EQ(driver.ProbeState(), t.state);
    }
}

TEST(Protocol, TripletsOutOfTheirStateFailWithSeqError) {
    ExpectRefused({
        {3, C, DAT_CAPABILITY, MSG_GET}, {3, C, DAT_USERINTERFACE, MSG_ENABLEDS}, {3, C, DAT_IDENTITY, MSG_CLOSEDS},
        {3, C, DAT_KQ_HARDWAREINFO, MSG_GET}, {3, C, DAT_EVENT, MSG_PROCESSEVENT}, {3, C, DAT_KQ_EVENT, MSG_GET},
        {4, C, DAT_IDENTITY, MSG_OPENDS}, {4, C, DAT_USERINTERFACE, MSG_DISABLEDS}, {4, I, DAT_IMAGEINFO, MSG_GET},
        {4, I, DAT_IMAGEMEMXFER, MSG_GET}, {4, I, DAT_IMAGENATIVEXFER, MSG_GET},
        {4, C, DAT_PENDINGXFERS, MSG_ENDXFER}, {4, I, DAT_EXTIMAGEINFO, MSG_GET}, {5, C, DAT_CAPABILITY, MSG_SET},
        {5, C, DAT_CAPABILITY, MSG_RESET}, {5, C, DAT_USERINTERFACE, MSG_ENABLEDS}, {5, C, DAT_IDENTITY, MSG_CLOSEDS},
        {5, I, DAT_IMAGELAYOUT, MSG_SET}, {5, C, DAT_CUSTOMDSDATA, MSG_GET}, {5, C, DAT_KQ_RGBMATRIX, MSG_SET},
        {5, C, DAT_PENDINGXFERS, MSG_RESET}, {5, I, DAT_GRAYRESPONSE, MSG_SET},
        {6, C, DAT_USERINTERFACE, MSG_DISABLEDS}, {6, C, DAT_IDENTITY, MSG_CLOSEDS}, {6, C, DAT_CAPABILITY, MSG_SET},
        {7, C, DAT_SETUPMEMXFER, MSG_GET}, {7, I, DAT_IMAGENATIVEXFER, MSG_GET}, {7, C, DAT_PENDINGXFERS, MSG_RESET},
        {7, I, DAT_IMAGELAYOUT, MSG_GET}, {7, C, DAT_USERINTERFACE, MSG_DISABLEDS},
    }, true, TWCC_SEQERROR);
}

TEST(Protocol, ANullDataPointerFailsWithBadValue) {
    ExpectRefused({
        {3, C, DAT_IDENTITY, MSG_GET}, {3, C, DAT_IDENTITY, MSG_OPENDS}, {3, C, DAT_STATUS, MSG_GET},
        {4, C, DAT_IDENTITY, MSG_CLOSEDS}, {4, C, DAT_CAPABILITY, MSG_GET}, {4, C, DAT_CAPABILITY, MSG_SET},
        {4, C, DAT_CAPABILITY, MSG_QUERYSUPPORT}, {4, C, DAT_USERINTERFACE, MSG_ENABLEDS},
        {4, C, DAT_EVENT, MSG_PROCESSEVENT}, {4, C, DAT_PENDINGXFERS, MSG_GET}, {4, C, DAT_SETUPMEMXFER, MSG_GET},
        {4, C, DAT_SETUPFILEXFER, MSG_GET}, {4, C, DAT_XFERGROUP, MSG_GET}, {4, C, DAT_CUSTOMDSDATA, MSG_GET},
        {4, I, DAT_IMAGELAYOUT, MSG_GET}, {4, I, DAT_IMAGELAYOUT, MSG_SET}, {4, I, DAT_IMAGELAYOUT, MSG_RESET},
        {4, I, DAT_JPEGCOMPRESSION, MSG_GET}, {4, I, DAT_CIECOLOR, MSG_GET}, {4, I, DAT_GRAYRESPONSE, MSG_SET},
        {4, I, DAT_RGBRESPONSE, MSG_RESET}, {4, I, DAT_PALETTE8, MSG_GET}, {4, C, DAT_KQ_AUTOEXPOSURE, MSG_SET},
        {4, C, DAT_KQ_RGBMATRIX, MSG_GET}, {4, C, DAT_KQ_COLORSMOOTHING, MSG_SET},
        {4, C, DAT_KQ_HARDWAREINFO, MSG_GET}, {4, C, DAT_KQ_SKEWINFO, MSG_GET},
        {4, C, DAT_KQ_UNSHARPMASKPARAM, MSG_SET}, {4, C, DAT_KQ_SETTINGFRAME, MSG_SET},
        {4, C, DAT_KQ_USMINFO, MSG_GET}, {5, C, DAT_USERINTERFACE, MSG_DISABLEDS}, {6, I, DAT_IMAGEINFO, MSG_GET},
        {6, I, DAT_IMAGEMEMXFER, MSG_GET}, {6, I, DAT_IMAGENATIVEXFER, MSG_GET}, {6, I, DAT_EXTIMAGEINFO, MSG_GET},
        {6, C, DAT_PENDINGXFERS, MSG_ENDXFER},
    }, false, TWCC_BADVALUE);
}

TEST(Protocol, UnknownTripletsFailWithBadProtocol) {
    ExpectRefused({
        {4, I, DAT_CAPABILITY, MSG_GET}, {4, C, DAT_IMAGEINFO, MSG_GET}, {4, I, DAT_IMAGEFILEXFER, MSG_GET},
        {4, C, DAT_KQ_DUALIMAGE, MSG_GET}, {4, DG_AUDIO, DAT_KQ_HARDWAREINFO, MSG_GET},
        {4, DG_CONTROL | DG_IMAGE, DAT_KQ_HARDWAREINFO, MSG_GET}, {4, 0, DAT_IDENTITY, MSG_GET},
        {4, C, DAT_IDENTITY, 0x7777}, {4, C, DAT_CAPABILITY, MSG_GETFIRST},
        {4, C, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY}, {4, C, DAT_KQ_HARDWAREINFO, MSG_SET},
        {3, 0xFFFFFFFF, 0xFFFF, 0xFFFF},
    }, true, TWCC_BADPROTOCOL);
}

// The three vendor notifications carry nothing the driver reads.
TEST(Protocol, VendorNotificationsSucceedWithoutData) {
    CDriver driver;
    driver.Open();
    for (TW_UINT16 dat : {DAT_KQ_EVENT, DAT_KQ_REDCORRECTIONMATRIX, DAT_KQ_TWAINCALLBACKMSG})
        for (TW_UINT16 msg : {MSG_GET, MSG_SET})
            for (TW_UINT32 dg : {C, I})
                EXPECT_EQ(driver.Send(dg, dat, msg, nullptr), TWRC_SUCCESS) << dg << "/" << dat << "/" << msg;
}

// The code of the last failure stays until DAT_STATUS reads it.
TEST(Protocol, StatusReportsTheLastFailureOnce) {
    CDriver driver;
    EXPECT_EQ(driver.ConditionCode(), TWCC_SUCCESS);
    driver.Open();
    EXPECT_EQ(driver.Capability(MSG_GET, CAP_KQ_DUALIMAGE), TWRC_FAILURE);
    EXPECT_EQ(driver.SetOneValue16(ICAP_PIXELTYPE, TWTY_UINT16, 9), TWRC_FAILURE);
    EXPECT_EQ(driver.Capability(MSG_GET, ICAP_PIXELTYPE), TWRC_SUCCESS);
    EXPECT_EQ(driver.ConditionCode(), TWCC_BADVALUE);
    EXPECT_EQ(driver.ConditionCode(), TWCC_SUCCESS);
}

// The scanner's identity, with the manager's Id kept and the rest of a field cleared.
TEST(Protocol, IdentityDescribesTheScannerAndKeepsTheManagersId) {
    CDriver driver;
    TW_IDENTITY identity{};
    identity.Id = reinterpret_cast<TW_MEMREF>(0x1234);
    std::memset(identity.ProductName, 'x', sizeof(identity.ProductName));
    ASSERT_EQ(driver.Control(DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(identity.Id, reinterpret_cast<TW_MEMREF>(0x1234));
    const TW_VERSION& v = identity.Version;
    EXPECT_EQ(std::vector<int>({v.MajorNum, v.MinorNum, v.Language, v.Country, identity.ProtocolMajor,
                                identity.ProtocolMinor, static_cast<int>(identity.SupportedGroups)}),
              std::vector<int>({2, 1, TWLG_ENGLISH_USA, TWCY_USA, 2, 1, DG_CONTROL | DG_IMAGE}));
    EXPECT_STREQ(v.Info, "2.1.0 Lumora 9000F");
    EXPECT_STREQ(identity.Manufacturer, "NORVA");
    EXPECT_STREQ(identity.ProductFamily, "Lumora");
    EXPECT_EQ(std::string(identity.ProductName, sizeof(identity.ProductName)),
              std::string("Lumora 9000F") + std::string(sizeof(identity.ProductName) - 12, '\0'));
}

// Each structure sits at the very end of readable memory: a write past it crashes.
TEST(Protocol, AnswersStayWithinTheirStructure) {
    struct Written {
        int state;
        TW_UINT32 dg;
        TW_UINT16 dat, msg;
        size_t size, alignment;
    };
#define AT(state, dg, dat, msg, T) Written{state, dg, dat, msg, sizeof(T), alignof(T)}
    for (const Written& w : {
             AT(3, C, DAT_IDENTITY, MSG_GET, TW_IDENTITY), AT(3, C, DAT_STATUS, MSG_GET, TW_STATUS),
             AT(4, C, DAT_PENDINGXFERS, MSG_GET, TW_PENDINGXFERS), AT(4, C, DAT_SETUPMEMXFER, MSG_GET, TW_SETUPMEMXFER),
             AT(4, C, DAT_SETUPFILEXFER, MSG_GET, TW_SETUPFILEXFER), AT(4, C, DAT_XFERGROUP, MSG_GET, TW_UINT32),
             AT(4, I, DAT_IMAGELAYOUT, MSG_GET, TW_IMAGELAYOUT), AT(4, I, DAT_IMAGELAYOUT, MSG_RESET, TW_IMAGELAYOUT),
             AT(4, I, DAT_JPEGCOMPRESSION, MSG_GET, TW_JPEGCOMPRESSION), AT(4, I, DAT_CIECOLOR, MSG_GET, TW_CIECOLOR),
             AT(4, I, DAT_PALETTE8, MSG_GET, TW_PALETTE8), AT(4, C, DAT_KQ_AUTOEXPOSURE, MSG_GET, TWKQ_AUTOEXPOSURE),
             AT(4, C, DAT_KQ_RGBMATRIX, MSG_GET, TWKQ_RGBMATRIX),
             AT(4, C, DAT_KQ_COLORSMOOTHING, MSG_GET, TWKQ_COLORSMOOTHING),
             AT(4, C, DAT_KQ_HARDWAREINFO, MSG_GET, TWKQ_HARDWAREINFO),
             AT(4, C, DAT_KQ_SKEWINFO, MSG_GET, TWKQ_LOCATIONDATA),
             AT(4, C, DAT_KQ_UNSHARPMASKPARAM, MSG_GET, TWKQ_USMPARAM),
             AT(4, C, DAT_KQ_SETTINGFRAME, MSG_GET, TWKQ_SETTINGFRAME), AT(4, C, DAT_KQ_USMINFO, MSG_GET, TWKQ_USMINFO),
             AT(4, C, DAT_EVENT, MSG_PROCESSEVENT, TW_EVENT), AT(6, I, DAT_IMAGEINFO, MSG_GET, TW_IMAGEINFO),
             AT(6, I, DAT_EXTIMAGEINFO, MSG_GET, TW_EXTIMAGEINFO),
             AT(6, C, DAT_PENDINGXFERS, MSG_ENDXFER, TW_PENDINGXFERS),
         }) {
        CDriver driver;
        Reach(driver, w.state);
        CGuardedBlock block(w.size, w.alignment);
        if (w.dat == DAT_EXTIMAGEINFO) block.as<TW_EXTIMAGEINFO>()->NumInfos = 5;  // more than the block holds
        const TW_UINT16 rc = driver.Send(w.dg, w.dat, w.msg, block.data());
        EXPECT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_NOTDSEVENT) << std::hex << w.dat << "/" << w.msg;
    }
#undef AT
}

}  // namespace
