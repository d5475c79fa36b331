// The protocol's edges: triplets out of their state, without their data, or not
// known at all; the condition code DAT_STATUS reports; and structures written
// within their own size.
#include "DriverHarness.h"
#include "GuardPage.h"

namespace {

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
    TW_UINT16 dat;
    TW_UINT16 msg;
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
        {3, DG_CONTROL, DAT_CAPABILITY, MSG_GET},         {3, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS},
        {3, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS},       {3, DG_CONTROL, DAT_KQ_HARDWAREINFO, MSG_GET},
        {3, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT},     {3, DG_CONTROL, DAT_KQ_EVENT, MSG_GET},
        {4, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS},        {4, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS},
        {4, DG_IMAGE, DAT_IMAGEINFO, MSG_GET},            {4, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET},
        {4, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET},      {4, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER},
        {4, DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET},         {5, DG_CONTROL, DAT_CAPABILITY, MSG_SET},
        {5, DG_CONTROL, DAT_CAPABILITY, MSG_RESET},       {5, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS},
        {5, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS},       {5, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET},
        {5, DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET},       {5, DG_CONTROL, DAT_KQ_RGBMATRIX, MSG_SET},
        {5, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET},     {5, DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET},
        {6, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS}, {6, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS},
        {6, DG_CONTROL, DAT_CAPABILITY, MSG_SET},         {7, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET},
        {7, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET},      {7, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET},
        {7, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET},          {7, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS},
    }, true, TWCC_SEQERROR);
}

TEST(Protocol, ANullDataPointerFailsWithBadValue) {
    ExpectRefused({
        {3, DG_CONTROL, DAT_IDENTITY, MSG_GET},          {3, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS},
        {3, DG_CONTROL, DAT_STATUS, MSG_GET},            {4, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS},
        {4, DG_CONTROL, DAT_CAPABILITY, MSG_GET},        {4, DG_CONTROL, DAT_CAPABILITY, MSG_SET},
        {4, DG_CONTROL, DAT_CAPABILITY, MSG_QUERYSUPPORT}, {4, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS},
        {4, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT},    {4, DG_CONTROL, DAT_PENDINGXFERS, MSG_GET},
        {4, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET},      {4, DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET},
        {4, DG_CONTROL, DAT_XFERGROUP, MSG_GET},         {4, DG_CONTROL, DAT_CUSTOMDSDATA, MSG_GET},
        {4, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET},         {4, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET},
        {4, DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET},       {4, DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_GET},
        {4, DG_IMAGE, DAT_CIECOLOR, MSG_GET},            {4, DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET},
        {4, DG_IMAGE, DAT_RGBRESPONSE, MSG_RESET},       {4, DG_IMAGE, DAT_PALETTE8, MSG_GET},
        {4, DG_CONTROL, DAT_KQ_AUTOEXPOSURE, MSG_SET},   {4, DG_CONTROL, DAT_KQ_RGBMATRIX, MSG_GET},
        {4, DG_CONTROL, DAT_KQ_COLORSMOOTHING, MSG_SET}, {4, DG_CONTROL, DAT_KQ_HARDWAREINFO, MSG_GET},
        {4, DG_CONTROL, DAT_KQ_SKEWINFO, MSG_GET},       {4, DG_CONTROL, DAT_KQ_UNSHARPMASKPARAM, MSG_SET},
        {4, DG_CONTROL, DAT_KQ_SETTINGFRAME, MSG_SET},   {4, DG_CONTROL, DAT_KQ_USMINFO, MSG_GET},
        {5, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS}, {6, DG_IMAGE, DAT_IMAGEINFO, MSG_GET},
        {6, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET},        {6, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET},
        {6, DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET},        {6, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER},
    }, false, TWCC_BADVALUE);
}

// The three vendor notifications carry nothing the driver reads.
TEST(Protocol, VendorNotificationsSucceedWithoutData) {
    CDriver driver;
    driver.Open();
    for (TW_UINT16 dat : {DAT_KQ_EVENT, DAT_KQ_REDCORRECTIONMATRIX, DAT_KQ_TWAINCALLBACKMSG})
        for (TW_UINT16 msg : {MSG_GET, MSG_SET})
            for (TW_UINT32 dg : {DG_CONTROL, DG_IMAGE})
                EXPECT_EQ(driver.Send(dg, dat, msg, nullptr), TWRC_SUCCESS) << std::hex << dat << "/" << msg;
}

TEST(Protocol, UnknownTripletsFailWithBadProtocol) {
    ExpectRefused({
        {4, DG_IMAGE, DAT_CAPABILITY, MSG_GET},
        {4, DG_CONTROL, DAT_IMAGEINFO, MSG_GET},
        {4, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET},
        {4, DG_CONTROL, DAT_KQ_DUALIMAGE, MSG_GET},
        {4, DG_AUDIO, DAT_KQ_HARDWAREINFO, MSG_GET},
        {4, DG_CONTROL | DG_IMAGE, DAT_KQ_HARDWAREINFO, MSG_GET},
        {4, 0, DAT_IDENTITY, MSG_GET},
        {4, DG_CONTROL, DAT_IDENTITY, 0x7777},
        {4, DG_CONTROL, DAT_CAPABILITY, MSG_GETFIRST},
        {4, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDSUIONLY},
        {4, DG_CONTROL, DAT_KQ_HARDWAREINFO, MSG_SET},
        {3, 0xFFFFFFFF, 0xFFFF, 0xFFFF},
    }, true, TWCC_BADPROTOCOL);
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

TEST(Protocol, IdentityDescribesTheScannerAndKeepsTheManagersId) {
    CDriver driver;
    TW_IDENTITY identity{};
    identity.Id = reinterpret_cast<TW_MEMREF>(0x1234);
    std::memset(identity.ProductName, 'x', sizeof(identity.ProductName));
    ASSERT_EQ(driver.Control(DAT_IDENTITY, MSG_GET, &identity), TWRC_SUCCESS);
    EXPECT_EQ(identity.Id, reinterpret_cast<TW_MEMREF>(0x1234));
    EXPECT_EQ(identity.Version.MajorNum, 2);
    EXPECT_EQ(identity.Version.MinorNum, 1);
    EXPECT_EQ(identity.Version.Language, TWLG_ENGLISH_USA);
    EXPECT_EQ(identity.Version.Country, TWCY_USA);
    EXPECT_STREQ(identity.Version.Info, "2.1.0 Lumora 9000F");
    EXPECT_EQ(identity.ProtocolMajor, 2);
    EXPECT_EQ(identity.ProtocolMinor, 1);
    EXPECT_EQ(identity.SupportedGroups, TW_UINT32(DG_CONTROL | DG_IMAGE));
    EXPECT_STREQ(identity.Manufacturer, "NORVA");
    EXPECT_STREQ(identity.ProductFamily, "Lumora");
    EXPECT_STREQ(identity.ProductName, "Lumora 9000F");
    const char zeros[sizeof(identity.ProductName) - 13] = {};
    EXPECT_EQ(0, std::memcmp(identity.ProductName + 13, zeros, sizeof(zeros))) << "the rest of the field is cleared";
}

struct Written {
    int state;
    TW_UINT32 dg;
    TW_UINT16 dat;
    TW_UINT16 msg;
    size_t size;
    size_t alignment;
};

// Each structure sits at the very end of readable memory: a write past it crashes.
TEST(Protocol, AnswersStayWithinTheirStructure) {
    const Written cases[] = {
        {3, DG_CONTROL, DAT_IDENTITY, MSG_GET, sizeof(TW_IDENTITY), alignof(TW_IDENTITY)},
        {3, DG_CONTROL, DAT_STATUS, MSG_GET, sizeof(TW_STATUS), alignof(TW_STATUS)},
        {4, DG_CONTROL, DAT_PENDINGXFERS, MSG_GET, sizeof(TW_PENDINGXFERS), alignof(TW_PENDINGXFERS)},
        {4, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, sizeof(TW_SETUPMEMXFER), alignof(TW_SETUPMEMXFER)},
        {4, DG_CONTROL, DAT_SETUPFILEXFER, MSG_GET, sizeof(TW_SETUPFILEXFER), alignof(TW_SETUPFILEXFER)},
        {4, DG_CONTROL, DAT_XFERGROUP, MSG_GET, sizeof(TW_UINT32), alignof(TW_UINT32)},
        {4, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, sizeof(TW_IMAGELAYOUT), alignof(TW_IMAGELAYOUT)},
        {4, DG_IMAGE, DAT_IMAGELAYOUT, MSG_RESET, sizeof(TW_IMAGELAYOUT), alignof(TW_IMAGELAYOUT)},
        {4, DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_GET, sizeof(TW_JPEGCOMPRESSION), alignof(TW_JPEGCOMPRESSION)},
        {4, DG_IMAGE, DAT_CIECOLOR, MSG_GET, sizeof(TW_CIECOLOR), alignof(TW_CIECOLOR)},
        {4, DG_IMAGE, DAT_PALETTE8, MSG_GET, sizeof(TW_PALETTE8), alignof(TW_PALETTE8)},
        {4, DG_CONTROL, DAT_KQ_AUTOEXPOSURE, MSG_GET, sizeof(TWKQ_AUTOEXPOSURE), alignof(TWKQ_AUTOEXPOSURE)},
        {4, DG_CONTROL, DAT_KQ_RGBMATRIX, MSG_GET, sizeof(TWKQ_RGBMATRIX), alignof(TWKQ_RGBMATRIX)},
        {4, DG_CONTROL, DAT_KQ_COLORSMOOTHING, MSG_GET, sizeof(TWKQ_COLORSMOOTHING), alignof(TWKQ_COLORSMOOTHING)},
        {4, DG_CONTROL, DAT_KQ_HARDWAREINFO, MSG_GET, sizeof(TWKQ_HARDWAREINFO), alignof(TWKQ_HARDWAREINFO)},
        {4, DG_CONTROL, DAT_KQ_SKEWINFO, MSG_GET, sizeof(TWKQ_LOCATIONDATA), alignof(TWKQ_LOCATIONDATA)},
        {4, DG_CONTROL, DAT_KQ_UNSHARPMASKPARAM, MSG_GET, sizeof(TWKQ_USMPARAM), alignof(TWKQ_USMPARAM)},
        {4, DG_CONTROL, DAT_KQ_SETTINGFRAME, MSG_GET, sizeof(TWKQ_SETTINGFRAME), alignof(TWKQ_SETTINGFRAME)},
        {4, DG_CONTROL, DAT_KQ_USMINFO, MSG_GET, sizeof(TWKQ_USMINFO), alignof(TWKQ_USMINFO)},
        {4, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, sizeof(TW_EVENT), alignof(TW_EVENT)},
        {6, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, sizeof(TW_IMAGEINFO), alignof(TW_IMAGEINFO)},
        {6, DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET, sizeof(TW_EXTIMAGEINFO), alignof(TW_EXTIMAGEINFO)},
        {6, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, sizeof(TW_PENDINGXFERS), alignof(TW_PENDINGXFERS)},
    };
    for (const Written& w : cases) {
        CDriver driver;
        Reach(driver, w.state);
        CGuardedBlock block(w.size, w.alignment);
        if (w.dat == DAT_EXTIMAGEINFO) block.as<TW_EXTIMAGEINFO>()->NumInfos = 5;  // more than the block holds
        const TW_UINT16 rc = driver.Send(w.dg, w.dat, w.msg, block.data());
        EXPECT_TRUE(rc == TWRC_SUCCESS || rc == TWRC_NOTDSEVENT) << std::hex << w.dat << "/" << w.msg;
    }
}

}  // namespace
