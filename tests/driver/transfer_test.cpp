// The page: its geometry, its strips in a memory transfer, and the same bytes in
// a native transfer; what the driver puts in the other structures it answers, and
// the vendor settings it accepts and refuses.
#include <string>

#include "DriverHarness.h"
#include "GuardPage.h"

namespace {

// The demo's settings: 100 dpi RGB, 8 bits, letter frame.
void DemoSettings(CDriver& driver, TW_UINT16 mechanism) {
    driver.Open();
    ASSERT_EQ(driver.SetOneValue16(ICAP_XFERMECH, TWTY_UINT16, mechanism), TWRC_SUCCESS);
    ASSERT_EQ(driver.SetOneValue32(ICAP_XRESOLUTION, TWTY_FIX32, FixWord(100)), TWRC_SUCCESS);
    ASSERT_EQ(driver.SetOneValue32(ICAP_YRESOLUTION, TWTY_FIX32, FixWord(100)), TWRC_SUCCESS);
}

std::vector<unsigned char> NativePage(CDriver& driver) {
    TW_HANDLE h = nullptr;
    EXPECT_EQ(driver.Image(DAT_IMAGENATIVEXFER, MSG_GET, &h), TWRC_XFERDONE);
    if (!h) return {};
    std::vector<unsigned char> page(*h, *h + GetHandleSize(h));
    DisposeHandle(h);
    return page;
}

// At the demo settings: the image, the buffer sizes, and four strips of whole rows
// whose bytes together are the native page exactly.
TEST(Transfer, MemoryStripsDeliverExactlyThePage) {
    CDriver native;
    DemoSettings(native, TWSX_NATIVE);
    native.ToTransferReady();
    const std::vector<unsigned char> page = NativePage(native);
    ASSERT_EQ(page.size(), 2550u * 1100u);

    CDriver driver;
    DemoSettings(driver, TWSX_MEMORY);
    driver.ToTransferReady();
    TW_IMAGEINFO info{};
    ASSERT_EQ(driver.Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.XResolution.Whole, 100);
    EXPECT_EQ(info.YResolution.Whole, 100);
    EXPECT_EQ(info.ImageWidth, 850);
    EXPECT_EQ(info.ImageLength, 1100);
    EXPECT_EQ(info.SamplesPerPixel, 3);
    const TW_INT16 bits[8] = {8, 8, 8, 0, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(info.BitsPerSample, bits, sizeof(bits)));
    EXPECT_EQ(info.BitsPerPixel, 24);
    EXPECT_EQ(info.Planar, 0);
    EXPECT_EQ(info.PixelType, TWPT_RGB);
    EXPECT_EQ(info.Compression, TWCP_NONE);
    TW_SETUPMEMXFER setup{};
    ASSERT_EQ(driver.Control(DAT_SETUPMEMXFER, MSG_GET, &setup), TWRC_SUCCESS);
    EXPECT_EQ(setup.MinBufSize, 2550u);
    EXPECT_EQ(setup.MaxBufSize, 1048576u);
    ASSERT_EQ(setup.Preferred, 786432u);

    // The buffer ends at an inaccessible page: a write past Length crashes.
    CGuardedBlock buffer(setup.Preferred, 1);
    std::vector<unsigned char> received;
    const TW_UINT32 expectedRows[] = {308, 308, 308, 176};
    for (int strip = 0; strip < 4; ++strip) {
        TW_IMAGEMEMXFER xfer{};
        xfer.Memory = TW_MEMORY{kAppOwns | kAsPointer, setup.Preferred, buffer.data()};
        EXPECT_EQ(driver.Image(DAT_IMAGEMEMXFER, MSG_GET, &xfer), strip < 3 ? TWRC_SUCCESS : TWRC_XFERDONE);
        EXPECT_EQ(xfer.Compression, TWCP_NONE);
        EXPECT_EQ(xfer.BytesPerRow, 2550u);
        EXPECT_EQ(xfer.Columns, 850u);
        EXPECT_EQ(xfer.Rows, expectedRows[strip]);
        EXPECT_EQ(xfer.XOffset, 0u);
        EXPECT_EQ(xfer.YOffset, 308u * strip);
        EXPECT_EQ(xfer.BytesWritten, expectedRows[strip] * 2550u);
        EXPECT_EQ(xfer.Memory.TheMem, buffer.data());
        received.insert(received.end(), buffer.data(), buffer.data() + xfer.BytesWritten);
    }
    EXPECT_TRUE(received == page);

    TW_IMAGEMEMXFER more{};
    more.Memory = TW_MEMORY{kAppOwns | kAsPointer, setup.Preferred, buffer.data()};
    EXPECT_EQ(driver.Image(DAT_IMAGEMEMXFER, MSG_GET, &more), TWRC_FAILURE) << "the page is done";
    EXPECT_EQ(driver.ConditionCode(), TWCC_SEQERROR);
}

// Buffers the driver cannot fill are refused and take nothing of the page; the
// first good strip, into an application's handle, starts at the top.
TEST(Transfer, RefusesBuffersItCannotFillAndFillsHandles) {
    CDriver driver;
    DemoSettings(driver, TWSX_MEMORY);
    driver.ToTransferReady();
    unsigned char row[2550];
    char* notAHandleBlock = nullptr;
    std::vector<unsigned char> zeros(10 * 2550);
    CAppHandle h(zeros.data(), zeros.size());
    struct Case {
        const char* what;
        TW_MEMORY memory;
    } cases[] = {
        {"smaller than a row", {kAppOwns | kAsPointer, 2549, row}},
        {"no memory", {kAppOwns | kAsPointer, 2550, nullptr}},
        {"source owned", {kDsOwns | kAsPointer, 2550, row}},
        {"neither pointer nor handle", {kAppOwns, 2550, row}},
        {"both pointer and handle", {kAppOwns | kAsPointer | kAsHandle, 2550, row}},
        {"not a live handle", {kAppOwns | kAsHandle, 2550, &notAHandleBlock}},
        {"more than the handle holds", {kAppOwns | kAsHandle, static_cast<TW_UINT32>(zeros.size()) + 1, h.get()}},
    };
    for (const Case& k : cases) {
        TW_IMAGEMEMXFER xfer{};
        xfer.Memory = k.memory;
        EXPECT_EQ(driver.Image(DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE) << k.what;
        EXPECT_EQ(driver.ConditionCode(), TWCC_BADVALUE) << k.what;
    }
    TW_IMAGEMEMXFER xfer{};
    xfer.Memory = TW_MEMORY{kAppOwns | kAsHandle, static_cast<TW_UINT32>(zeros.size()), h.get()};
    ASSERT_EQ(driver.Image(DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_SUCCESS);
    EXPECT_EQ(xfer.YOffset, 0u);
    EXPECT_EQ(xfer.Rows, 10u);
    // Top left pixel of the RGB pattern: no red, no green, full blue.
    const auto* bytes = reinterpret_cast<unsigned char*>(*h.get());
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + 3), (std::vector<unsigned char>{0, 0, 255}));
}

TEST(Transfer, TheMechanismMustMatchTheTransfer) {
    CDriver driver;
    DemoSettings(driver, TWSX_NATIVE);
    driver.ToTransferReady();
    unsigned char row[2550];
    TW_IMAGEMEMXFER xfer{};
    xfer.Memory = TW_MEMORY{kAppOwns | kAsPointer, sizeof(row), row};
    EXPECT_EQ(driver.Image(DAT_IMAGEMEMXFER, MSG_GET, &xfer), TWRC_FAILURE);
    EXPECT_EQ(driver.ConditionCode(), TWCC_SEQERROR);

    CDriver memory;
    DemoSettings(memory, TWSX_MEMORY);
    memory.ToTransferReady();
    TW_HANDLE h = nullptr;
    EXPECT_EQ(memory.Image(DAT_IMAGENATIVEXFER, MSG_GET, &h), TWRC_FAILURE);
    EXPECT_EQ(memory.ConditionCode(), TWCC_SEQERROR);
    EXPECT_EQ(h, nullptr);
}

// The documented test pattern, at its corners, for each pixel type and depth.
TEST(Transfer, PagePatternPerPixelType) {
    struct Case {
        TW_UINT16 pixelType, bitDepth;
        TW_UINT32 bytesPerRow;
        std::vector<unsigned char> firstRowStart, lastRowEnd;
    } cases[] = {
        {TWPT_RGB, 8, 2550, {0, 0, 255, 0, 0, 254}, {255, 255, 0}},
        {TWPT_RGB, 16, 5100, {0, 0, 0, 0, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0}},
        {TWPT_GRAY, 8, 850, {0, 0}, {254, 255}},
        // Quarter-inch squares at 100 dpi: 25 pixels black, then white.
        {TWPT_BW, 1, 107, {0x00, 0x00, 0x00, 0x7F, 0xFF}, {0x00}},
    };
    for (const Case& k : cases) {
        CDriver driver;
        DemoSettings(driver, TWSX_NATIVE);
        ASSERT_EQ(driver.SetOneValue16(ICAP_PIXELTYPE, TWTY_UINT16, k.pixelType), TWRC_SUCCESS);
        ASSERT_EQ(driver.SetOneValue16(ICAP_BITDEPTH, TWTY_UINT16, k.bitDepth), TWRC_SUCCESS);
        driver.ToTransferReady();
        const std::vector<unsigned char> page = NativePage(driver);
        ASSERT_EQ(page.size(), size_t{k.bytesPerRow} * 1100) << k.pixelType << "/" << k.bitDepth;
        EXPECT_TRUE(std::equal(k.firstRowStart.begin(), k.firstRowStart.end(), page.begin()))
            << k.pixelType << "/" << k.bitDepth;
        EXPECT_TRUE(std::equal(k.lastRowEnd.rbegin(), k.lastRowEnd.rend(), page.rbegin()))
            << k.pixelType << "/" << k.bitDepth;
    }
}

// A layout outside the bed is refused and changes nothing; a good one, given in the
// current units, decides the page.
TEST(Transfer, LayoutSetsThePageSizeWithinTheBed) {
    CDriver driver;
    DemoSettings(driver, TWSX_NATIVE);
    const TW_FRAME outside[] = {
        {Fix(0), Fix(0), Fix(9), Fix(11)},  // wider than the bed
        {Fix(0), Fix(0), Fix(8), Fix(12)},  // longer
        {Fix(-1), Fix(0), Fix(8), Fix(11)}, {Fix(5), Fix(0), Fix(4), Fix(11)}, {Fix(2), Fix(2), Fix(2), Fix(2)},
    };
    TW_IMAGELAYOUT back{};
    for (const TW_FRAME& frame : outside) {
        TW_IMAGELAYOUT layout{frame, 1, 1, 1};
        EXPECT_EQ(driver.Image(DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_FAILURE) << frame.Left.Whole;
        EXPECT_EQ(driver.ConditionCode(), TWCC_BADVALUE);
        ASSERT_EQ(driver.Image(DAT_IMAGELAYOUT, MSG_GET, &back), TWRC_SUCCESS);
        EXPECT_EQ(FixWord(back.Frame.Right.Whole, back.Frame.Right.Frac), FixWord(8, 0x8000));
        EXPECT_EQ(back.Frame.Bottom.Whole, 11);
    }
    ASSERT_EQ(driver.SetOneValue16(ICAP_UNITS, TWTY_UINT16, TWUN_CENTIMETERS), TWRC_SUCCESS);
    TW_IMAGELAYOUT layout{{Fix(0), Fix(0), Fix(10, 0x28F6), Fix(5, 0x147B)}, 2, 3, 1};  // 10.16 x 5.08 cm
    ASSERT_EQ(driver.Image(DAT_IMAGELAYOUT, MSG_SET, &layout), TWRC_SUCCESS);
    ASSERT_EQ(driver.Image(DAT_IMAGELAYOUT, MSG_GET, &back), TWRC_SUCCESS);
    EXPECT_EQ(back.DocumentNumber, 2u);
    EXPECT_EQ(back.PageNumber, 3u);
    EXPECT_EQ(back.Frame.Right.Whole, 10);
    driver.ToTransferReady();
    TW_IMAGEINFO info{};
    ASSERT_EQ(driver.Image(DAT_IMAGEINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(info.ImageWidth, 400);  // 4 inches at 100 dpi
    EXPECT_EQ(info.ImageLength, 200);
}

// One page per enabling; the events after it and after its end carry nothing.
TEST(Transfer, EachEnablingReadiesOnePage) {
    CDriver driver;
    driver.Open();
    driver.ToTransferReady();
    TW_EVENT event{nullptr, 0xEEEE};
    EXPECT_EQ(driver.Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
    EXPECT_EQ(event.TWMessage, MSG_NULL);
    TW_PENDINGXFERS pending{};
    ASSERT_EQ(driver.Control(DAT_PENDINGXFERS, MSG_GET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 1);
    ASSERT_EQ(driver.Control(DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
    EXPECT_EQ(pending.Count, 0);
    EXPECT_EQ(driver.ProbeState(), 5);
    for (int i = 0; i < 3; ++i) {
        event.TWMessage = 0xEEEE;
        EXPECT_EQ(driver.Control(DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
        EXPECT_EQ(event.TWMessage, MSG_NULL);
    }
    TW_USERINTERFACE ui{};
    ASSERT_EQ(driver.Control(DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
    driver.ToTransferReady();
    EXPECT_EQ(driver.ProbeState(), 6);
}

// What the open source describes: the hardware with Pascal names and its bed
// size, the custom data in a handle of its stated length, the standard JPEG
// quantisation tables the source lends, and the page the skew is found on.
TEST(Structures, TheOpenSourceDescribesTheScanner) {
    CDriver driver;
    driver.Open();
    TWKQ_HARDWAREINFO info;
    std::memset(&info, 0xEE, sizeof(info));
    ASSERT_EQ(driver.Control(DAT_KQ_HARDWAREINFO, MSG_GET, &info), TWRC_SUCCESS);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info.ProductName), 14), std::string("\x0cLumora 9000F\0", 14));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info.ModelName), 9), "\x08LM-9000F");
    EXPECT_EQ(info.PixelSizeofFB[0], 5100u);  // 8.5 x 11.7 inches at 600 dpi
    EXPECT_EQ(info.PixelSizeofFB[1], 7020u);
    EXPECT_EQ(info.Reserved[0], 0) << "gaps are cleared";
    EXPECT_STREQ(info.ProfileNameFB, "Lumora 9000F Reflective");

    TW_CUSTOMDSDATA custom{};
    ASSERT_EQ(driver.Control(DAT_CUSTOMDSDATA, MSG_GET, &custom), TWRC_SUCCESS);
    ASSERT_NE(custom.hData, nullptr);
    EXPECT_GT(custom.InfoLength, 0u);
    EXPECT_EQ(GetHandleSize(custom.hData), static_cast<Size>(custom.InfoLength));
    DisposeHandle(custom.hData);

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

    TWKQ_LOCATIONDATA location{};
    ASSERT_EQ(driver.Control(DAT_KQ_SKEWINFO, MSG_GET, &location), TWRC_SUCCESS);
    EXPECT_EQ(location.BitsPerPixel, 24);
    EXPECT_EQ(location.ActualImgW, 2550u);
    EXPECT_EQ(location.ActualImgH, 3300u);
    EXPECT_LE(location.leftPoint + location.locateW, location.ActualImgW);
    EXPECT_LE(location.topPoint + location.locateH, location.ActualImgH);
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

}  // namespace
