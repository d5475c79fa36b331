// The image structures as the trace shows them: image information and layout,
// memory transfers, JPEG compression, CIE colour, responses, the palette and the
// extended image information.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "GuardPage.h"
#include "AnalyzerHarness.h"
#include "ExpectedText.h"

namespace {

// A TW_FIX32 of a value that sixteen fraction bits hold exactly (2.5, -1.25, ...).
TW_FIX32 Fix32(double value) {
    double whole = std::floor(value);
    return TW_FIX32{static_cast<TW_INT16>(whole), static_cast<TW_UINT16>((value - whole) * 65536.0)};
}

TW_FRAME Frame(double left, double top, double right, double bottom) {
    return TW_FRAME{Fix32(left), Fix32(top), Fix32(right), Fix32(bottom)};
}

TW_MEMORY Memory(TW_UINT32 flags, TW_UINT32 length, uintptr_t address) {
    return TW_MEMORY{flags, length, reinterpret_cast<TW_MEMREF>(address)};
}

// ---- Image information ------------------------------------------------------

TEST(ImageInfoRender, RgbPageAt300Dpi) {
    CGuarded<TW_IMAGEINFO> info;
    info->XResolution = Fix32(300);
    info->YResolution = Fix32(300);
    info->ImageWidth = 2550;
    info->ImageLength = 3300;
    info->SamplesPerPixel = 3;
    info->BitsPerSample[0] = info->BitsPerSample[1] = info->BitsPerSample[2] = 8;
    info->BitsPerPixel = 24;
    info->Planar = 0;
    info->PixelType = TWPT_RGB;
    info->Compression = TWCP_NONE;
    CAnalyzerHarness h(6);
    std::string text = h.Params(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, info.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", info.get()) +
                        "  TW_IMAGEINFO = {\r\n"
                        "    XResolution      = [300.000]\r\n"
                        "    YResolution      = [300.000]\r\n"
                        "    ImageWidth       = [2550]\r\n"
                        "    ImageLength      = [3300]\r\n"
                        "    SamplesPerPixel  = [3]\r\n"
                        "    BitsPerSamples[] = {8,8,8,0,0,0,0,0}\r\n"
                        "    BitsPerPixel     = [24]\r\n"
                        "    Planar           = [false]\r\n"
                        "    PixelType        = [TWPT_RGB]\r\n"
                        "    Compression      = [TWCP_NONE]\r\n"
                        "  }\r\n" +
                        StateLine(6));
}

// Signed members stay signed; all eight samples are listed whatever
// SamplesPerPixel says.
TEST(ImageInfoRender, SignedMembersAndEveryBitsPerSampleEntry) {
    TW_IMAGEINFO info{};
    info.XResolution = Fix32(-0.5);
    info.YResolution = Fix32(1.25);
    info.ImageWidth = static_cast<TW_INT32>(0xFFFFFFFF);
    info.ImageLength = -2;
    info.SamplesPerPixel = -1;
    const TW_INT16 bits[8] = {-1, 16, 32767, -32768, 1, 2, 3, 4};
    for (int i = 0; i < 8; ++i) info.BitsPerSample[i] = bits[i];
    info.BitsPerPixel = -24;
    info.Planar = 2;
    info.PixelType = TWPT_CIEXYZ;
    info.Compression = TWCP_BITFIELDS;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwImageInfoAnalyze(&info); });
    EXPECT_EQ(text,
              "  TW_IMAGEINFO = {\r\n"
              "    XResolution      = [-0.500]\r\n"
              "    YResolution      = [1.250]\r\n"
              "    ImageWidth       = [-1]\r\n"
              "    ImageLength      = [-2]\r\n"
              "    SamplesPerPixel  = [-1]\r\n"
              "    BitsPerSamples[] = {-1,16,32767,-32768,1,2,3,4}\r\n"
              "    BitsPerPixel     = [-24]\r\n"
              "    Planar           = [true]\r\n"
              "    PixelType        = [TWPT_CIEXYZ]\r\n"
              "    Compression      = [TWCP_BITFIELDS]\r\n"
              "  }\r\n");
}

struct PixelTypeCase {
    TW_INT16 pixelType;
    TW_UINT16 compression;
    const char* lines;
};

class ImageInfoNames : public ::testing::TestWithParam<PixelTypeCase> {};

TEST_P(ImageInfoNames, NamesPixelTypeAndCompression) {
    TW_IMAGEINFO info{};
    info.PixelType = GetParam().pixelType;
    info.Compression = GetParam().compression;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwImageInfoAnalyze(&info); });
    EXPECT_EQ(text, std::string("  TW_IMAGEINFO = {\r\n"
                                    "    XResolution      = [0.000]\r\n"
                                    "    YResolution      = [0.000]\r\n"
                                    "    ImageWidth       = [0]\r\n"
                                    "    ImageLength      = [0]\r\n"
                                    "    SamplesPerPixel  = [0]\r\n"
                                    "    BitsPerSamples[] = {0,0,0,0,0,0,0,0}\r\n"
                                    "    BitsPerPixel     = [0]\r\n"
                                    "    Planar           = [false]\r\n") +
                            GetParam().lines + "  }\r\n");
}

// A negative pixel type is compared sign-extended and matches no row.
INSTANTIATE_TEST_SUITE_P(Lookups, ImageInfoNames,
                         ::testing::Values(PixelTypeCase{8, 12,
                                                         "    PixelType        = [TWPT_CIEXYZ]\r\n"
                                                         "    Compression      = [TWCP_BITFIELDS]\r\n"},
                                           PixelTypeCase{9, 13,
                                                         "    PixelType        = [ERROR!(9)]\r\n"
                                                         "    Compression      = [ERROR!(13)]\r\n"},
                                           PixelTypeCase{-1, 0xFFFF,
                                                         "    PixelType        = [ERROR!(-1)]\r\n"
                                                         "    Compression      = [ERROR!(65535)]\r\n"},
                                           PixelTypeCase{TWPT_BW, TWCP_GROUP4,
                                                         "    PixelType        = [TWPT_BW]\r\n"
                                                         "    Compression      = [TWCP_GROUP4]\r\n"}));

// ---- Image layout -----------------------------------------------------------

TEST(ImageLayoutRender, ShowsTheFrameAndTheNumbers) {
    CGuarded<TW_IMAGELAYOUT> layout;
    layout->Frame = Frame(0, 0.25, 8.5, 11);
    layout->DocumentNumber = 0xFFFFFFFF;
    layout->PageNumber = 2;
    layout->FrameNumber = 3;
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, layout.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", layout.get()) +
                        "  TW_IMAGELAYOUT = {\r\n"
                        "    Frame          =\r\n"
                        "    TW_FRAME = {\r\n"
                        "      Left   = [0.000]\r\n"
                        "      Top    = [0.250]\r\n"
                        "      Right  = [8.500]\r\n"
                        "      Bottom = [11.000]\r\n"
                        "    }\r\n"
                        "    DocumentNumber = [4294967295]\r\n"
                        "    PageNumber     = [2]\r\n"
                        "    FrameNumber    = [3]\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

// ---- Memory transfer --------------------------------------------------------

TEST(ImageMemXferRender, ClosesInColumnOneAfterTheMemoryBlock) {
    CGuarded<TW_IMAGEMEMXFER> xfer;
    xfer->Compression = TWCP_PACKBITS;
    xfer->BytesPerRow = 7650;
    xfer->Columns = 2550;
    xfer->Rows = 8;
    xfer->XOffset = 0;
    xfer->YOffset = 3292;
    xfer->BytesWritten = 61200;
    xfer->Memory = Memory(0x12, 65536, 0x1234);
    CAnalyzerHarness h(6);
    std::string text = h.Params(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, xfer.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", xfer.get()) +
                        "  TW_IMAGEMEMXFER = {\r\n"
                        "    Compression  = [TWCP_PACKBITS]\r\n"
                        "    BytesPerRow  = [7650]\r\n"
                        "    Columns      = [2550]\r\n"
                        "    Rows         = [8]\r\n"
                        "    XOffset      = [0]\r\n"
                        "    YOffset      = [3292]\r\n"
                        "    BytesWritten = [61200]\r\n"
                        "    Memory       =\r\n"
                        "    TW_MEMORY = {\r\n"
                        "      Flags  = [0x12]\r\n"
                        "      Length = [65536]\r\n"
                        "      TheMem = <0x00001234>\r\n"
                        "    }\r\n"
                        "}\r\n" +
                        StateLine(7));
}

// ---- JPEG compression -------------------------------------------------------

// Eight TW_MEMORY blocks, each opening on the line of its label.
TEST(JpegCompressionRender, WholeBlock) {
    CGuarded<TW_JPEGCOMPRESSION> jpeg;
    jpeg->ColorSpace = TWPT_YUV;
    jpeg->SubSampling = 0x10001;
    jpeg->NumComponents = 3;
    jpeg->RestartFrequency = 0xFFFF;
    const TW_UINT16 quantMap[4] = {0, 1, 1, 0};
    const TW_UINT16 huffmanMap[4] = {0, 1, 1, 0xFFFF};
    for (int i = 0; i < 4; ++i) {
        jpeg->QuantMap[i] = quantMap[i];
        jpeg->HuffmanMap[i] = huffmanMap[i];
    }
    jpeg->QuantTable[0] = Memory(0, 64, 0);
    jpeg->QuantTable[1] = Memory(1, 64, 0x1000);
    jpeg->QuantTable[2] = Memory(0x10, 128, 0x2000);
    jpeg->QuantTable[3] = Memory(0, 0, 0);
    jpeg->HuffmanDC[0] = Memory(0, 28, 0x3000);
    jpeg->HuffmanDC[1] = Memory(0, 28, 0x3100);
    jpeg->HuffmanAC[0] = Memory(0, 178, 0x4000);
    jpeg->HuffmanAC[1] = Memory(2, 178, 0x4100);
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_GET, jpeg.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", jpeg.get()) +
        "  TW_JPEGCOMPRESSION = {\r\n"
        "    ColorSpace       = [TWPT_YUV]\r\n"
        "    SubSampling      = [65537]\r\n"
        "    NumComponents    = [3]\r\n"
        "    RestartFrequency = [65535]\r\n"
        "    QuantMap[]       = {0,1,1,0}\r\n"
        "    QuantTable[0]   = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x0]\r\n"
        "      Length = [64]\r\n"
        "      TheMem = <0x00000000>\r\n"
        "    }\r\n"
        "    QuantTable[1]   = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x1]\r\n"
        "      Length = [64]\r\n"
        "      TheMem = <0x00001000>\r\n"
        "    }\r\n"
        "    QuantTable[2]   = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x10]\r\n"
        "      Length = [128]\r\n"
        "      TheMem = <0x00002000>\r\n"
        "    }\r\n"
        "    QuantTable[3]   = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x0]\r\n"
        "      Length = [0]\r\n"
        "      TheMem = <0x00000000>\r\n"
        "    }\r\n"
        "    HuffmanMap[]     = {0,1,1,65535}\r\n"
        "    HuffmanDC[0]    = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x0]\r\n"
        "      Length = [28]\r\n"
        "      TheMem = <0x00003000>\r\n"
        "    }\r\n"
        "    HuffmanDC[1]    = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x0]\r\n"
        "      Length = [28]\r\n"
        "      TheMem = <0x00003100>\r\n"
        "    }\r\n"
        "    HuffmanAC[0]    = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x0]\r\n"
        "      Length = [178]\r\n"
        "      TheMem = <0x00004000>\r\n"
        "    }\r\n"
        "    HuffmanAC[1]    = {    TW_MEMORY = {\r\n"
        "      Flags  = [0x2]\r\n"
        "      Length = [178]\r\n"
        "      TheMem = <0x00004100>\r\n"
        "    }\r\n"
        "  }\r\n" +
                        StateLine(4));
}

// ---- CIE colour -------------------------------------------------------------

// Every value distinct, so that a member read from the wrong place or shown in
// the wrong order changes the text.
TEST(CieColorRender, WholeBlockWithBothStagesAndFourPoints) {
    CGuarded<TW_CIECOLOR> cie;
    cie->ColorSpace = TWPT_CIEXYZ;
    cie->LowEndian = -1;
    cie->DeviceDependent = 1;
    cie->VersionNumber = -1;
    const double firstDecode[8] = {0, 0.5, 1, 0, 0.5, 1, 1, 0};
    TW_DECODEFUNCTION* abc = cie->StageABC.Decode;
    TW_DECODEFUNCTION* lmn = cie->StageLMN.Decode;
    for (int d = 0; d < 3; ++d) {
        TW_FIX32* abcFields = &abc[d].StartIn;
        TW_FIX32* lmnFields = &lmn[d].StartIn;
        for (int k = 0; k < 8; ++k) {
            abcFields[k] = Fix32(d == 0 ? firstDecode[k] : d + k / 8.0);
            lmnFields[k] = Fix32(10 + d + k / 8.0);
        }
    }
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            cie->StageABC.Mix[i][j] = Fix32(3 * i + j + 1);
            cie->StageLMN.Mix[i][j] = Fix32(-(3 * i + j + 1) - 0.5);
        }
    }
    TW_CIEPOINT* points[4] = {&cie->WhitePoint, &cie->BlackPoint, &cie->WhitePaper, &cie->BlackInk};
    for (int n = 0; n < 4; ++n) {
        double base = 21 + 10 * n;
        *points[n] = TW_CIEPOINT{Fix32(base + 0.25), Fix32(base + 1.5), Fix32(base + 2.75)};
    }
    cie->Samples[0] = Fix32(0.5);
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_IMAGE, DAT_CIECOLOR, MSG_GET, cie.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", cie.get()) +
        "  TW_CIECOLOR = {\r\n"
        "    ColorSpace      = [TWPT_CIEXYZ]\r\n"
        "    LowEndian       = [-1]\r\n"
        "    DeviceDependent = [1]\r\n"
        "    VersionNumber   = [4294967295]\r\n"
        "    StageABC=\r\n"
        "    TW_TRANSFORMSTAGE = {\r\n"
        "      Decode[0] =\r\n"
        "      TW_DECODEFUNCTION = {\r\n"
        "        StartIn     = [0.000]\r\n"
        "        BreakIn     = [0.500]\r\n"
        "        EndIn       = [1.000]\r\n"
        "        StartOut    = [0.000]\r\n"
        "        BreakOut    = [0.500]\r\n"
        "        EndOut      = [1.000]\r\n"
        "        Gamma       = [1.000]\r\n"
        "        SampleCount = [0.000]\r\n"
        "      }\r\n"
        "      Decode[1] =\r\n"
        "      TW_DECODEFUNCTION = {\r\n"
        "        StartIn     = [1.000]\r\n"
        "        BreakIn     = [1.125]\r\n"
        "        EndIn       = [1.250]\r\n"
        "        StartOut    = [1.375]\r\n"
        "        BreakOut    = [1.500]\r\n"
        "        EndOut      = [1.625]\r\n"
        "        Gamma       = [1.750]\r\n"
        "        SampleCount = [1.875]\r\n"
        "      }\r\n"
        "      Decode[2] =\r\n"
        "      TW_DECODEFUNCTION = {\r\n"
        "        StartIn     = [2.000]\r\n"
        "        BreakIn     = [2.125]\r\n"
        "        EndIn       = [2.250]\r\n"
        "        StartOut    = [2.375]\r\n"
        "        BreakOut    = [2.500]\r\n"
        "        EndOut      = [2.625]\r\n"
        "        Gamma       = [2.750]\r\n"
        "        SampleCount = [2.875]\r\n"
        "      }\r\n"
        "      Mix[0][0] = [1.000]\r\n"
        "      Mix[0][1] = [2.000]\r\n"
        "      Mix[0][2] = [3.000]\r\n"
        "      Mix[1][0] = [4.000]\r\n"
        "      Mix[1][1] = [5.000]\r\n"
        "      Mix[1][2] = [6.000]\r\n"
        "      Mix[2][0] = [7.000]\r\n"
        "      Mix[2][1] = [8.000]\r\n"
        "      Mix[2][2] = [9.000]\r\n"
        "    }\r\n"
        "    StageLMN=\r\n"
        "    TW_TRANSFORMSTAGE = {\r\n"
        "      Decode[0] =\r\n"
        "      TW_DECODEFUNCTION = {\r\n"
        "        StartIn     = [10.000]\r\n"
        "        BreakIn     = [10.125]\r\n"
        "        EndIn       = [10.250]\r\n"
        "        StartOut    = [10.375]\r\n"
        "        BreakOut    = [10.500]\r\n"
        "        EndOut      = [10.625]\r\n"
        "        Gamma       = [10.750]\r\n"
        "        SampleCount = [10.875]\r\n"
        "      }\r\n"
        "      Decode[1] =\r\n"
        "      TW_DECODEFUNCTION = {\r\n"
        "        StartIn     = [11.000]\r\n"
        "        BreakIn     = [11.125]\r\n"
        "        EndIn       = [11.250]\r\n"
        "        StartOut    = [11.375]\r\n"
        "        BreakOut    = [11.500]\r\n"
        "        EndOut      = [11.625]\r\n"
        "        Gamma       = [11.750]\r\n"
        "        SampleCount = [11.875]\r\n"
        "      }\r\n"
        "      Decode[2] =\r\n"
        "      TW_DECODEFUNCTION = {\r\n"
        "        StartIn     = [12.000]\r\n"
        "        BreakIn     = [12.125]\r\n"
        "        EndIn       = [12.250]\r\n"
        "        StartOut    = [12.375]\r\n"
        "        BreakOut    = [12.500]\r\n"
        "        EndOut      = [12.625]\r\n"
        "        Gamma       = [12.750]\r\n"
        "        SampleCount = [12.875]\r\n"
        "      }\r\n"
        "      Mix[0][0] = [-1.500]\r\n"
        "      Mix[0][1] = [-2.500]\r\n"
        "      Mix[0][2] = [-3.500]\r\n"
        "      Mix[1][0] = [-4.500]\r\n"
        "      Mix[1][1] = [-5.500]\r\n"
        "      Mix[1][2] = [-6.500]\r\n"
        "      Mix[2][0] = [-7.500]\r\n"
        "      Mix[2][1] = [-8.500]\r\n"
        "      Mix[2][2] = [-9.500]\r\n"
        "    }\r\n"
        "    WhitePoint=\r\n"
        "    TW_CIEPOINT = {\r\n"
        "      X = [21.250]\r\n"
        "      Y = [22.500]\r\n"
        "      Z = [23.750]\r\n"
        "    }\r\n"
        "    BlackPoint=\r\n"
        "    TW_CIEPOINT = {\r\n"
        "      X = [31.250]\r\n"
        "      Y = [32.500]\r\n"
        "      Z = [33.750]\r\n"
        "    }\r\n"
        "    WhitePaper=\r\n"
        "    TW_CIEPOINT = {\r\n"
        "      X = [41.250]\r\n"
        "      Y = [42.500]\r\n"
        "      Z = [43.750]\r\n"
        "    }\r\n"
        "    BlackInk=\r\n"
        "    TW_CIEPOINT = {\r\n"
        "      X = [51.250]\r\n"
        "      Y = [52.500]\r\n"
        "      Z = [53.750]\r\n"
        "    }\r\n"
        "    Samples[]       = [0.500]\r\n"
        "  }\r\n" +
                        StateLine(4));
}

// ---- Responses --------------------------------------------------------------

TEST(ResponseRender, GrayShowsTheFirstElementOnly) {
    // Two elements, of which the trace shows the first.
    CGuardedBlock table(2 * sizeof(TW_ELEMENT8), alignof(TW_ELEMENT8));
    TW_ELEMENT8* elements = table.as<TW_ELEMENT8>();
    elements[0] = TW_ELEMENT8{0, 255, 128, 1};
    elements[1] = TW_ELEMENT8{1, 9, 9, 9};
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET, table.data(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", table.data()) +
                        "  TW_GRAYRESPONSE = {\r\n"
                        "    Response[0] =\r\n"
                        "    TW_ELEMENT8 = {\r\n"
                        "      Index    = [0]\r\n"
                        "      Channel1 = [255]\r\n"
                        "      Channel2 = [128]\r\n"
                        "      Channel3 = [1]\r\n"
                        "    }\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

TEST(ResponseRender, RgbShowsTheFirstElementOnly) {
    CGuarded<TW_RGBRESPONSE> response;
    response->Response[0] = TW_ELEMENT8{255, 1, 2, 255};
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_IMAGE, DAT_RGBRESPONSE, MSG_SET, response.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", response.get()) +
                        "  TW_RGBRESPONSE = {\r\n"
                        "    Response[0] =\r\n"
                        "    TW_ELEMENT8 = {\r\n"
                        "      Index    = [255]\r\n"
                        "      Channel1 = [1]\r\n"
                        "      Channel2 = [2]\r\n"
                        "      Channel3 = [255]\r\n"
                        "    }\r\n"
                        "  }\r\n" +
                        StateLine(4));
}

// ---- Palette ----------------------------------------------------------------

TEST(Palette8Render, OneLineWhateverThePaletteHolds) {
    CGuarded<TW_PALETTE8> palette;
    palette->NumColors = 256;
    palette->PaletteType = 0;
    palette->Colors[255] = TW_ELEMENT8{255, 1, 2, 3};
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_IMAGE, DAT_PALETTE8, MSG_GET, palette.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", palette.get()) +
                        "  TW_PALETTE8 = { it does not display. }\r\n" +
                        StateLine(4));
}

// ---- Extended image information ---------------------------------------------

struct ExtImageInfoCase {
    TW_UINT32 numInfos;
    TW_INFO info;
    const char* expected;
};

class ExtImageInfoRender : public ::testing::TestWithParam<ExtImageInfoCase> {};

// The first TW_INFO is shown whatever NumInfos says, and only that one.
TEST_P(ExtImageInfoRender, ShowsTheFirstInfo) {
    CGuarded<TW_EXTIMAGEINFO> ext;
    ext->NumInfos = GetParam().numInfos;
    ext->Info[0] = GetParam().info;
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwExtImageInfoAnalyze(ext.get()); });
    EXPECT_EQ(text, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, ExtImageInfoRender,
    ::testing::Values(ExtImageInfoCase{0,
                                       {0x1101, TWTY_UINT16, 1, TWRC_INFONOTSUPPORTED, 0},
                                       "  TW_EXTIMAGEINFO = {\r\n"
                                       "    NumInfos = [0]\r\n"
                                       "    Info     =\r\n"
                                       "    TW_INFO = {\r\n"
                                       "      InfoID   = [4353]\r\n"
                                       "      ItemType = [TWTY_UINT16]\r\n"
                                       "      NumItems = [1]\r\n"
                                       "      CondCode = [TWRC_INFONOTSUPPORTED]\r\n"
                                       "      Item     = [0]\r\n"
                                       "    }\r\n"
                                       "  }\r\n"},
                      ExtImageInfoCase{5,
                                       {0xFFFF, 13, 0xFFFF, 0xFFFF, 0xFFFFFFFF},
                                       "  TW_EXTIMAGEINFO = {\r\n"
                                       "    NumInfos = [5]\r\n"
                                       "    Info     =\r\n"
                                       "    TW_INFO = {\r\n"
                                       "      InfoID   = [65535]\r\n"
                                       "      ItemType = [ERROR!(13)]\r\n"
                                       "      NumItems = [65535]\r\n"
                                       "      CondCode = [ERROR!(65535)]\r\n"
                                       "      Item     = [4294967295]\r\n"
                                       "    }\r\n"
                                       "  }\r\n"}));

TEST(ExtImageInfoRender, GetThroughTheDispatch) {
    CGuarded<TW_EXTIMAGEINFO> ext;
    ext->NumInfos = 1;
    ext->Info[0] = TW_INFO{0x1200, TWTY_UINT32, 1, TWRC_SUCCESS, 7};
    CAnalyzerHarness h(7);
    std::string text = h.Params(DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET, ext.get(), TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", ext.get()) +
                        "  TW_EXTIMAGEINFO = {\r\n"
                        "    NumInfos = [1]\r\n"
                        "    Info     =\r\n"
                        "    TW_INFO = {\r\n"
                        "      InfoID   = [4608]\r\n"
                        "      ItemType = [TWTY_UINT32]\r\n"
                        "      NumItems = [1]\r\n"
                        "      CondCode = [TWRC_SUCCESS]\r\n"
                        "      Item     = [7]\r\n"
                        "    }\r\n"
                        "  }\r\n" +
                        StateLine(7));
}

// ---- Null pointers ----------------------------------------------------------

struct NullCase {
    const char* renderer;
    std::function<void(CParaAnalyze&)> render;
};

class ImageNullRender : public ::testing::TestWithParam<NullCase> {};

TEST_P(ImageNullRender, AppendsNothing) {
    CAnalyzerHarness h;
    EXPECT_EQ(h.Rendered(GetParam().render), "") << GetParam().renderer;
}

INSTANTIATE_TEST_SUITE_P(
    Renderers, ImageNullRender,
    ::testing::Values(NullCase{"ImageInfo", [](CParaAnalyze& a) { a.TwImageInfoAnalyze(nullptr); }},
                      NullCase{"ImageLayout", [](CParaAnalyze& a) { a.TwImageLayoutAnalyze(nullptr); }},
                      NullCase{"ImageMemXfer", [](CParaAnalyze& a) { a.TwImageMemXferAnalyze(nullptr); }},
                      NullCase{"CieColor", [](CParaAnalyze& a) { a.TwCieColorAnalyze(nullptr); }},
                      NullCase{"GrayResponse", [](CParaAnalyze& a) { a.TwGrayResponseAnalyze(nullptr); }},
                      NullCase{"RgbResponse", [](CParaAnalyze& a) { a.TwRgbResponseAnalyze(nullptr); }},
                      NullCase{"JpegCompression", [](CParaAnalyze& a) { a.TwJpegCompressionAnalyze(nullptr); }},
                      NullCase{"Palette8", [](CParaAnalyze& a) { a.TwPalette8Analyze(nullptr); }},
                      NullCase{"ExtImageInfo", [](CParaAnalyze& a) { a.TwExtImageInfoAnalyze(nullptr); }},
                      NullCase{"Frame", [](CParaAnalyze& a) { a.TwFrameAnalyze(nullptr); }},
                      NullCase{"Element8", [](CParaAnalyze& a) { a.TwElement8Analyze(nullptr); }},
                      NullCase{"TransformStage", [](CParaAnalyze& a) { a.TwTransformStageAnalyze(nullptr); }},
                      NullCase{"DecodeFunction", [](CParaAnalyze& a) { a.TwDecodeFunctionAnalyze(nullptr); }},
                      NullCase{"CiePoint", [](CParaAnalyze& a) { a.TwCiePointAnalyze(nullptr); }},
                      NullCase{"Info", [](CParaAnalyze& a) { a.TwInfoAnalyze(nullptr); }}));

TEST(ImageNullRender, NullDataThroughTheDispatchLeavesTheResultAndStateLinesOnly) {
    CAnalyzerHarness h(4);
    std::string text = h.Params(DG_IMAGE, DAT_PALETTE8, MSG_GET, nullptr, TWRC_SUCCESS);
    EXPECT_EQ(text, ResultLines("TWRC_SUCCESS", nullptr) + StateLine(4));
}

// ---- Bad memory at the end of a readable page -------------------------------

// Counts that claim far more than there is: a palette header alone in front of
// the guard page, an extended image information with one TW_INFO that claims
// 2^32-1, one response element.
TEST(ImageBadInput, CountsInsideTheStructuresAreNeverFollowed) {
    CGuardedBlock paletteHead(2 * sizeof(TW_UINT16), alignof(TW_UINT16));
    paletteHead.as<TW_UINT16>()[0] = 0xFFFF;
    CGuarded<TW_EXTIMAGEINFO> ext;
    ext->NumInfos = 0xFFFFFFFF;
    CGuarded<TW_GRAYRESPONSE> gray;
    gray->Response[0] = TW_ELEMENT8{1, 2, 3, 4};
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) {
        a.TwPalette8Analyze(paletteHead.as<TW_PALETTE8>());
        a.TwExtImageInfoAnalyze(ext.get());
        a.TwGrayResponseAnalyze(gray.get());
    });
    EXPECT_EQ(text,
              "  TW_PALETTE8 = { it does not display. }\r\n"
              "  TW_EXTIMAGEINFO = {\r\n"
              "    NumInfos = [4294967295]\r\n"
              "    Info     =\r\n"
              "    TW_INFO = {\r\n"
              "      InfoID   = [0]\r\n"
              "      ItemType = [TWTY_INT8]\r\n"
              "      NumItems = [0]\r\n"
              "      CondCode = [TWRC_SUCCESS]\r\n"
              "      Item     = [0]\r\n"
              "    }\r\n"
              "  }\r\n"
              "  TW_GRAYRESPONSE = {\r\n"
              "    Response[0] =\r\n"
              "    TW_ELEMENT8 = {\r\n"
              "      Index    = [1]\r\n"
              "      Channel1 = [2]\r\n"
              "      Channel2 = [3]\r\n"
              "      Channel3 = [4]\r\n"
              "    }\r\n"
              "  }\r\n");
}

// A strip that claims 4 GB behind an address in the guard page: shown, not read.
TEST(ImageBadInput, MemoryTransferStripIsShownAndNeverFollowed) {
    CGuarded<TW_IMAGEMEMXFER> xfer;
    unsigned char* unreadable = xfer.data() + xfer.size();
    xfer->Compression = 0xFFFF;
    xfer->BytesPerRow = 0xFFFFFFFF;
    xfer->Columns = 0xFFFFFFFF;
    xfer->Rows = 0xFFFFFFFF;
    xfer->XOffset = 0xFFFFFFFF;
    xfer->YOffset = 0xFFFFFFFF;
    xfer->BytesWritten = 0xFFFFFFFF;
    xfer->Memory = TW_MEMORY{0xFFFFFFFF, 0xFFFFFFFF, unreadable};
    CAnalyzerHarness h;
    std::string text = h.Rendered([&](CParaAnalyze& a) { a.TwImageMemXferAnalyze(xfer.get()); });
    EXPECT_EQ(text, "  TW_IMAGEMEMXFER = {\r\n"
                        "    Compression  = [ERROR!(65535)]\r\n"
                        "    BytesPerRow  = [4294967295]\r\n"
                        "    Columns      = [4294967295]\r\n"
                        "    Rows         = [4294967295]\r\n"
                        "    XOffset      = [4294967295]\r\n"
                        "    YOffset      = [4294967295]\r\n"
                        "    BytesWritten = [4294967295]\r\n"
                        "    Memory       =\r\n"
                        "    TW_MEMORY = {\r\n"
                        "      Flags  = [0xffffffff]\r\n"
                        "      Length = [4294967295]\r\n"
                        "      TheMem = " +
                            PointerText(unreadable) +
                            "\r\n"
                            "    }\r\n"
                            "}\r\n");
}

}  // namespace
