// What the driver puts in the structures it answers, and the vendor settings it
// accepts and refuses.
#include "DriverHarness.h"
#include "GuardPage.h"

namespace {

TEST(Structures, HardwareInfoCarriesPascalNamesAndTheBedSize) {
    CDriver driver;
    driver.Open();
    TWKQ_HARDWAREINFO info;
    std::memset(&info, 0xEE, sizeof(info));
    ASSERT_EQ(driver.Control(DAT_KQ_HARDWAREINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ModelID, 0x1Au);
    EXPECT_EQ(info.ProductName[0], 12);
    EXPECT_EQ(0, std::memcmp(info.ProductName + 1, "Lumora 9000F", 12));
    EXPECT_EQ(info.ProductName[13], 0);
    EXPECT_EQ(info.ModelName[0], 8);
    EXPECT_EQ(0, std::memcmp(info.ModelName + 1, "LM-9000F", 8));
    EXPECT_EQ(info.MaxResolution, 600u);
    EXPECT_EQ(info.PixelSizeofFB[0], 5100u);  // 8.5 x 11.7 inches at 600 dpi
    EXPECT_EQ(info.PixelSizeofFB[1], 7020u);
    EXPECT_EQ(info.StandAloneModeSupport, 0);
    EXPECT_EQ(info.Reserved[0], 0) << "gaps are cleared";
    EXPECT_EQ(info.OptionSupport, 0x0005);
    EXPECT_STREQ(info.ProfileNameFB, "Lumora 9000F Reflective");
    EXPECT_STREQ(info.ROMVersion, "1.07");
    EXPECT_EQ(info.ColorCorrectionFB[0].Whole, 1);
}

// The first request is answered, the second is not touched; with no request,
// nothing past the count is written (the count ends the readable memory).
TEST(Structures, ExtImageInfoAnswersTheFirstRequestOnly) {
    struct Case {
        TW_UINT16 infoId;
        TW_UINT16 itemType, numItems, condCode;
        TW_UINT32 item;
    } cases[] = {
        {0x123B, TWTY_UINT32, 1, TWRC_SUCCESS, 1},
        {0x123F, TWTY_UINT16, 1, TWRC_SUCCESS, TWPF_CHOCOLATE},
        {0x1200, 0xEEEE, 0, TWRC_INFONOTSUPPORTED, 0},
    };
    for (const Case& k : cases) {
        CDriver driver;
        driver.Open();
        driver.ToTransferReady();
        struct {
            TW_UINT32 numInfos = 2;
            TW_INFO info[2] = {{0, 0xEEEE, 0xEEEE, 0xEEEE, 0xEEEEEEEE}, {0x123B, 0xEEEE, 0xEEEE, 0xEEEE, 0xEEEEEEEE}};
        } ext;
        ext.info[0].InfoID = k.infoId;
        ASSERT_EQ(driver.Image(DAT_EXTIMAGEINFO, MSG_GET, &ext), TWRC_SUCCESS);
        EXPECT_EQ(ext.info[0].ItemType, k.itemType) << k.infoId;
        EXPECT_EQ(ext.info[0].NumItems, k.numItems) << k.infoId;
        EXPECT_EQ(ext.info[0].CondCode, k.condCode) << k.infoId;
        EXPECT_EQ(ext.info[0].Item, k.item) << k.infoId;
        EXPECT_EQ(ext.info[1].CondCode, 0xEEEE);
    }
    CDriver driver;
    driver.Open();
    driver.ToTransferReady();
    CGuardedBlock count(sizeof(TW_UINT32), alignof(TW_UINT32));
    EXPECT_EQ(driver.Image(DAT_EXTIMAGEINFO, MSG_GET, count.data()), TWRC_SUCCESS);
    EXPECT_EQ(*count.as<TW_UINT32>(), 0u);
}

TEST(Structures, CustomDataIsAHandleOfItsStatedLength) {
    CDriver driver;
    driver.Open();
    TW_CUSTOMDSDATA custom{};
    ASSERT_EQ(driver.Control(DAT_CUSTOMDSDATA, MSG_GET, &custom), TWRC_SUCCESS);
    ASSERT_NE(custom.hData, nullptr);
    EXPECT_GT(custom.InfoLength, 0u);
    EXPECT_EQ(GetHandleSize(custom.hData), static_cast<Size>(custom.InfoLength));
    DisposeHandle(custom.hData);
}

TEST(Structures, JpegLendsTheStandardQuantisationTables) {
    CDriver driver;
    driver.Open();
    TW_JPEGCOMPRESSION jpeg{};
    ASSERT_EQ(driver.Image(DAT_JPEGCOMPRESSION, MSG_GET, &jpeg), TWRC_SUCCESS);
    EXPECT_EQ(jpeg.ColorSpace, TWPT_YUV);
    EXPECT_EQ(jpeg.NumComponents, 3);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(jpeg.QuantTable[i].Flags, kDsOwns | kAsPointer);
        EXPECT_EQ(jpeg.QuantTable[i].Length, 64u);
        ASSERT_NE(jpeg.QuantTable[i].TheMem, nullptr);
    }
    EXPECT_EQ(static_cast<unsigned char*>(jpeg.QuantTable[0].TheMem)[0], 16);
    EXPECT_EQ(static_cast<unsigned char*>(jpeg.QuantTable[1].TheMem)[63], 99);
    EXPECT_EQ(jpeg.QuantTable[2].TheMem, nullptr);
    EXPECT_EQ(jpeg.HuffmanDC[0].Length, 0u);
}

// What an application sets comes back from MSG_GET; values outside their
// range are refused and change nothing.
TEST(Structures, VendorSettingsAreKeptOrRefused) {
    CDriver driver;
    driver.Open();
    TWKQ_USMPARAM mask{250, 10, 4};
    EXPECT_EQ(driver.Control(DAT_KQ_UNSHARPMASKPARAM, MSG_SET, &mask), TWRC_SUCCESS);
    for (TWKQ_USMPARAM bad : {TWKQ_USMPARAM{501, 3, 0}, TWKQ_USMPARAM{100, -1, 0}, TWKQ_USMPARAM{100, 3, 256}}) {
        EXPECT_EQ(driver.Control(DAT_KQ_UNSHARPMASKPARAM, MSG_SET, &bad), TWRC_FAILURE);
        EXPECT_EQ(driver.ConditionCode(), TWCC_BADVALUE);
    }
    TWKQ_USMPARAM back{};
    ASSERT_EQ(driver.Control(DAT_KQ_UNSHARPMASKPARAM, MSG_GET, &back), TWRC_SUCCESS);
    EXPECT_EQ(back.Amount, 250);
    EXPECT_EQ(back.Radius, 10);
    TWKQ_USMINFO usm{};
    ASSERT_EQ(driver.Control(DAT_KQ_USMINFO, MSG_GET, &usm), TWRC_SUCCESS);
    EXPECT_EQ(usm.USMParm.Amount, 250) << "the information follows the setting";
    EXPECT_EQ(usm.InputResolution, 300);

    TWKQ_AUTOEXPOSURE exposure{};
    ASSERT_EQ(driver.Control(DAT_KQ_AUTOEXPOSURE, MSG_GET, &exposure), TWRC_SUCCESS);
    EXPECT_EQ(exposure.FilmType, TWKQ_FT_REFLECTIVE);
    exposure.FilmType = 5;
    EXPECT_EQ(driver.Control(DAT_KQ_AUTOEXPOSURE, MSG_SET, &exposure), TWRC_FAILURE);
    exposure.FilmType = TWKQ_FT_NEGA;
    exposure.Right = exposure.Left;
    EXPECT_EQ(driver.Control(DAT_KQ_AUTOEXPOSURE, MSG_SET, &exposure), TWRC_FAILURE);
    exposure.Right = 400;
    EXPECT_EQ(driver.Control(DAT_KQ_AUTOEXPOSURE, MSG_SET, &exposure), TWRC_SUCCESS);

    TWKQ_SETTINGFRAME frame{1, 1};
    EXPECT_EQ(driver.Control(DAT_KQ_SETTINGFRAME, MSG_SET, &frame), TWRC_FAILURE) << "there is only frame 0";
    frame = TWKQ_SETTINGFRAME{7, 0};
    EXPECT_EQ(driver.Control(DAT_KQ_SETTINGFRAME, MSG_SET, &frame), TWRC_SUCCESS);
    ASSERT_EQ(driver.Control(DAT_KQ_SETTINGFRAME, MSG_GET, &frame), TWRC_SUCCESS);
    EXPECT_EQ(frame.NumFrame, 1) << "the number of frames is the scanner's";

    TWKQ_RGBMATRIX matrix{};
    matrix.ColorCoeff[4] = Fix(2);
    ASSERT_EQ(driver.Control(DAT_KQ_RGBMATRIX, MSG_SET, &matrix), TWRC_SUCCESS);
    TWKQ_RGBMATRIX matrixBack{};
    ASSERT_EQ(driver.Image(DAT_KQ_RGBMATRIX, MSG_GET, &matrixBack), TWRC_SUCCESS);
    EXPECT_EQ(matrixBack.ColorCoeff[4].Whole, 2);
    EXPECT_EQ(matrixBack.ColorCoeff[0].Whole, 0);
}

TEST(Structures, SkewInfoDescribesTheCurrentPage) {
    CDriver driver;
    driver.Open();
    TWKQ_LOCATIONDATA location{};
    ASSERT_EQ(driver.Control(DAT_KQ_SKEWINFO, MSG_GET, &location), TWRC_SUCCESS);
    EXPECT_EQ(location.BitsPerPixel, 24);
    EXPECT_EQ(location.ActualImgW, 2550u);
    EXPECT_EQ(location.ActualImgH, 3300u);
    EXPECT_LE(location.leftPoint + location.locateW, location.ActualImgW);
    EXPECT_LE(location.topPoint + location.locateH, location.ActualImgH);
}

}  // namespace
