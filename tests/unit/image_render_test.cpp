// The image structures as the trace shows them: image information and layout,
// memory transfers, JPEG compression, CIE colour, responses, the palette and the
// extended image information.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"

namespace {

TW_MEMORY Memory(TW_UINT32 flags, TW_UINT32 length, uintptr_t address) {
    return TW_MEMORY{flags, length, reinterpret_cast<TW_MEMREF>(address)};
}

// ---- Image information ------------------------------------------------------

TEST(ImageInfoRender, RgbPageAt300Dpi) {
    CGuarded<TW_IMAGEINFO> info(
        TW_IMAGEINFO{Fix32(300), Fix32(300), 2550, 3300, 3, {8, 8, 8}, 24, 0, TWPT_RGB, TWCP_NONE});
    EXPECT_EQ(ParamsFrom(6, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, info.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", info.get(),
                     Lines({"  TW_IMAGEINFO = {",
                            "    XResolution      = [300.000]",
                            "    YResolution      = [300.000]",
                            "    ImageWidth       = [2550]",
                            "    ImageLength      = [3300]",
                            "    SamplesPerPixel  = [3]",
                            "    BitsPerSamples[] = {8,8,8,0,0,0,0,0}",
                            "    BitsPerPixel     = [24]",
                            "    Planar           = [false]",
                            "    PixelType        = [TWPT_RGB]",
                            "    Compression      = [TWCP_NONE]",
                            "  }"}),
                     6));
}

// Signed members stay signed; all eight samples are listed whatever
// SamplesPerPixel says.
TEST(ImageInfoRender, SignedMembersAndEveryBitsPerSampleEntry) {
    TW_IMAGEINFO info{Fix32(-0.5), Fix32(1.25), -1, -2, -1, {-1, 16, 32767, -32768, 1, 2, 3, 4}, -24, 2, 0, 0};
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwImageInfoAnalyze(&info); }),
                         {"    XResolution      = [-0.500]", "    YResolution      = [1.250]",
                          "    ImageWidth       = [-1]", "    ImageLength      = [-2]", "    SamplesPerPixel  = [-1]",
                          "    BitsPerSamples[] = {-1,16,32767,-32768,1,2,3,4}", "    BitsPerPixel     = [-24]",
                          "    Planar           = [true]"}));
}

// A negative pixel type is compared sign-extended and matches no row.
TEST(ImageInfoRender, NamesPixelTypeAndCompression) {
    const struct {
        TW_INT16 pixelType;
        TW_UINT16 compression;
        const char *pixelTypeLine, *compressionLine;
    } cases[] = {
        {8, 12, "    PixelType        = [TWPT_CIEXYZ]", "    Compression      = [TWCP_BITFIELDS]"},
        {9, 13, "    PixelType        = [ERROR!(9)]", "    Compression      = [ERROR!(13)]"},
        {-1, 0xFFFF, "    PixelType        = [ERROR!(-1)]", "    Compression      = [ERROR!(65535)]"},
        {TWPT_BW, TWCP_GROUP4, "    PixelType        = [TWPT_BW]", "    Compression      = [TWCP_GROUP4]"},
    };
    for (const auto& c : cases) {
        TW_IMAGEINFO info{};
        info.PixelType = c.pixelType;
        info.Compression = c.compression;
        EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwImageInfoAnalyze(&info); }),
                             {c.pixelTypeLine, c.compressionLine}));
    }
}

// ---- Layout and memory transfer ---------------------------------------------

TEST(ImageLayoutRender, ShowsTheFrameAndTheNumbers) {
    CGuarded<TW_IMAGELAYOUT> layout(
        TW_IMAGELAYOUT{{Fix32(0), Fix32(0.25), Fix32(8.5), Fix32(11)}, 0xFFFFFFFF, 2, 3});
    EXPECT_EQ(ParamsFrom(4, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, layout.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", layout.get(),
                     Lines({"  TW_IMAGELAYOUT = {", "    Frame          =", "    TW_FRAME = {",
                            "      Left   = [0.000]", "      Top    = [0.250]", "      Right  = [8.500]",
                            "      Bottom = [11.000]", "    }", "    DocumentNumber = [4294967295]",
                            "    PageNumber     = [2]", "    FrameNumber    = [3]", "  }"}),
                     4));
}

TEST(ImageMemXferRender, ClosesInColumnOneAfterTheMemoryBlock) {
    CGuarded<TW_IMAGEMEMXFER> xfer(
        TW_IMAGEMEMXFER{TWCP_PACKBITS, 7650, 2550, 8, 0, 3292, 61200, Memory(0x12, 65536, 0x1234)});
    EXPECT_EQ(ParamsFrom(6, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, xfer.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", xfer.get(),
                     Lines({"  TW_IMAGEMEMXFER = {", "    Compression  = [TWCP_PACKBITS]", "    BytesPerRow  = [7650]",
                            "    Columns      = [2550]", "    Rows         = [8]", "    XOffset      = [0]",
                            "    YOffset      = [3292]", "    BytesWritten = [61200]", "    Memory       =",
                            "    TW_MEMORY = {", "      Flags  = [0x12]", "      Length = [65536]",
                            "      TheMem = <0x00001234>", "    }", "}"}),
                     7));
}

// ---- JPEG compression -------------------------------------------------------

// A TW_MEMORY block, opening on the line of the label in front of it.
std::string MemoryAfterLabel(const char* label, const char* flags, const char* length, const char* address) {
    return std::string(label) + Lines({"    TW_MEMORY = {", std::string("      Flags  = [") + flags + "]",
                                       std::string("      Length = [") + length + "]",
                                       std::string("      TheMem = <") + address + ">", "    }"});
}

TEST(JpegCompressionRender, WholeBlock) {
    CGuarded<TW_JPEGCOMPRESSION> jpeg(TW_JPEGCOMPRESSION{
        TWPT_YUV, 0x10001, 3, 0xFFFF, {0, 1, 1, 0},
        {Memory(0, 64, 0), Memory(1, 64, 0x1000), Memory(0x10, 128, 0x2000), Memory(0, 0, 0)}, {0, 1, 1, 0xFFFF},
        {Memory(0, 28, 0x3000), Memory(0, 28, 0x3100)}, {Memory(0, 178, 0x4000), Memory(2, 178, 0x4100)}});
    EXPECT_EQ(ParamsFrom(4, DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_GET, jpeg.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", jpeg.get(),
                     Lines({"  TW_JPEGCOMPRESSION = {", "    ColorSpace       = [TWPT_YUV]",
                            "    SubSampling      = [65537]", "    NumComponents    = [3]",
                            "    RestartFrequency = [65535]", "    QuantMap[]       = {0,1,1,0}"}) +
                         MemoryAfterLabel("    QuantTable[0]   = {", "0x0", "64", "0x00000000") +
                         MemoryAfterLabel("    QuantTable[1]   = {", "0x1", "64", "0x00001000") +
                         MemoryAfterLabel("    QuantTable[2]   = {", "0x10", "128", "0x00002000") +
                         MemoryAfterLabel("    QuantTable[3]   = {", "0x0", "0", "0x00000000") +
                         "    HuffmanMap[]     = {0,1,1,65535}\r\n" +
                         MemoryAfterLabel("    HuffmanDC[0]    = {", "0x0", "28", "0x00003000") +
                         MemoryAfterLabel("    HuffmanDC[1]    = {", "0x0", "28", "0x00003100") +
                         MemoryAfterLabel("    HuffmanAC[0]    = {", "0x0", "178", "0x00004000") +
                         MemoryAfterLabel("    HuffmanAC[1]    = {", "0x2", "178", "0x00004100") + "  }\r\n",
                     4));
}

// ---- CIE colour -------------------------------------------------------------

std::string DecodeBlock(int index, std::initializer_list<const char*> values) {
    static const char* const kNames[] = {"StartIn    ", "BreakIn    ", "EndIn      ", "StartOut   ",
                                         "BreakOut   ", "EndOut     ", "Gamma      ", "SampleCount"};
    std::string text = "      Decode[" + std::to_string(index) + "] =\r\n      TW_DECODEFUNCTION = {\r\n";
    const char* const* name = kNames;
    for (const char* value : values) text += std::string("        ") + *name++ + " = [" + value + "]\r\n";
    return text + "      }\r\n";
}

// Mix[0][0] to Mix[2][2], row by row, and the stage's closing line.
std::string MixLines(std::initializer_list<const char*> values) {
    std::string text;
    int n = 0;
    for (const char* value : values) {
        text += "      Mix[" + std::to_string(n / 3) + "][" + std::to_string(n % 3) + "] = [" + value + "]\r\n";
        ++n;
    }
    return text + "    }\r\n";
}

std::string PointBlock(const char* label, const char* x, const char* y, const char* z) {
    return Lines({std::string("    ") + label + "=", "    TW_CIEPOINT = {", std::string("      X = [") + x + "]",
                  std::string("      Y = [") + y + "]", std::string("      Z = [") + z + "]", "    }"});
}

// Every value distinct, so that a member read from the wrong place or shown in
// the wrong order changes the text.
TEST(CieColorRender, WholeBlockWithBothStagesAndFourPoints) {
    CGuarded<TW_CIECOLOR> cie;
    cie->ColorSpace = TWPT_CIEXYZ;
    cie->LowEndian = -1;
    cie->DeviceDependent = 1;
    cie->VersionNumber = -1;
    const double firstDecode[8] = {0, 0.5, 1, 0, 0.5, 1, 1, 0};
    for (int d = 0; d < 3; ++d) {
        TW_FIX32* abc = &cie->StageABC.Decode[d].StartIn;
        TW_FIX32* lmn = &cie->StageLMN.Decode[d].StartIn;
        for (int k = 0; k < 8; ++k) {
            abc[k] = Fix32(d == 0 ? firstDecode[k] : d + k / 8.0);
            lmn[k] = Fix32(10 + d + k / 8.0);
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
    const std::string stage = "    TW_TRANSFORMSTAGE = {\r\n";
    EXPECT_EQ(
        ParamsFrom(4, DG_IMAGE, DAT_CIECOLOR, MSG_GET, cie.get(), TWRC_SUCCESS),
        Around("TWRC_SUCCESS", cie.get(),
               Lines({"  TW_CIECOLOR = {", "    ColorSpace      = [TWPT_CIEXYZ]", "    LowEndian       = [-1]",
                      "    DeviceDependent = [1]", "    VersionNumber   = [4294967295]", "    StageABC="}) +
                   stage +
                   DecodeBlock(0, {"0.000", "0.500", "1.000", "0.000", "0.500", "1.000", "1.000", "0.000"}) +
                   DecodeBlock(1, {"1.000", "1.125", "1.250", "1.375", "1.500", "1.625", "1.750", "1.875"}) +
                   DecodeBlock(2, {"2.000", "2.125", "2.250", "2.375", "2.500", "2.625", "2.750", "2.875"}) +
                   MixLines({"1.000", "2.000", "3.000", "4.000", "5.000", "6.000", "7.000", "8.000", "9.000"}) +
                   "    StageLMN=\r\n" + stage +
                   DecodeBlock(0, {"10.000", "10.125", "10.250", "10.375", "10.500", "10.625", "10.750", "10.875"}) +
                   DecodeBlock(1, {"11.000", "11.125", "11.250", "11.375", "11.500", "11.625", "11.750", "11.875"}) +
                   DecodeBlock(2, {"12.000", "12.125", "12.250", "12.375", "12.500", "12.625", "12.750", "12.875"}) +
                   MixLines({"-1.500", "-2.500", "-3.500", "-4.500", "-5.500", "-6.500", "-7.500", "-8.500",
                             "-9.500"}) +
                   PointBlock("WhitePoint", "21.250", "22.500", "23.750") +
                   PointBlock("BlackPoint", "31.250", "32.500", "33.750") +
                   PointBlock("WhitePaper", "41.250", "42.500", "43.750") +
                   PointBlock("BlackInk", "51.250", "52.500", "53.750") +
                   "    Samples[]       = [0.500]\r\n  }\r\n",
               4));
}

// ---- Responses, palette, extended image information -------------------------

// Of a table of two elements the trace shows the first.
TEST(ResponseRender, ShowsTheFirstElementOnly) {
    CGuardedBlock table(2 * sizeof(TW_ELEMENT8), alignof(TW_ELEMENT8));
    table.as<TW_ELEMENT8>()[0] = TW_ELEMENT8{0, 255, 128, 1};
    table.as<TW_ELEMENT8>()[1] = TW_ELEMENT8{1, 9, 9, 9};
    CGuarded<TW_RGBRESPONSE> rgb(TW_RGBRESPONSE{{{255, 1, 2, 255}}});
    const std::string element = "    Response[0] =\r\n    TW_ELEMENT8 = {\r\n";
    EXPECT_EQ(ParamsFrom(4, DG_IMAGE, DAT_GRAYRESPONSE, MSG_SET, table.data(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", table.data(),
                     "  TW_GRAYRESPONSE = {\r\n" + element +
                         Lines({"      Index    = [0]", "      Channel1 = [255]", "      Channel2 = [128]",
                                "      Channel3 = [1]", "    }", "  }"}),
                     4));
    EXPECT_EQ(ParamsFrom(4, DG_IMAGE, DAT_RGBRESPONSE, MSG_SET, rgb.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", rgb.get(),
                     "  TW_RGBRESPONSE = {\r\n" + element +
                         Lines({"      Index    = [255]", "      Channel1 = [1]", "      Channel2 = [2]",
                                "      Channel3 = [255]", "    }", "  }"}),
                     4));
}

TEST(Palette8Render, OneLineWhateverThePaletteHolds) {
    CGuarded<TW_PALETTE8> palette;
    palette->NumColors = 256;
    palette->Colors[255] = TW_ELEMENT8{255, 1, 2, 3};
    EXPECT_EQ(ParamsFrom(4, DG_IMAGE, DAT_PALETTE8, MSG_GET, palette.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", palette.get(), "  TW_PALETTE8 = { it does not display. }\r\n", 4));
}

TEST(ExtImageInfoRender, GetThroughTheDispatch) {
    CGuarded<TW_EXTIMAGEINFO> ext;
    ext->NumInfos = 1;
    ext->Info[0] = TW_INFO{0x1200, TWTY_UINT32, 1, TWRC_SUCCESS, 7};
    EXPECT_EQ(ParamsFrom(7, DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET, ext.get(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", ext.get(),
                     Lines({"  TW_EXTIMAGEINFO = {", "    NumInfos = [1]", "    Info     =", "    TW_INFO = {",
                            "      InfoID   = [4608]", "      ItemType = [TWTY_UINT32]", "      NumItems = [1]",
                            "      CondCode = [TWRC_SUCCESS]", "      Item     = [7]", "    }", "  }"}),
                     7));
}

// Without infos the application may have sized the structure for none (its 4
// bytes of NumInfos, here before the guard page): no TW_INFO is read or shown,
// and the structure is left as it was.
TEST(ExtImageInfoRender, NoInfoIsReadWhenThereAreNone) {
    CGuardedBlock countOnly(offsetof(TW_EXTIMAGEINFO, Info), alignof(TW_EXTIMAGEINFO));
    const unsigned char sent[4] = {};
    EXPECT_EQ(ParamsFrom(7, DG_IMAGE, DAT_EXTIMAGEINFO, MSG_GET, countOnly.data(), TWRC_SUCCESS),
              Around("TWRC_SUCCESS", countOnly.data(), Lines({"  TW_EXTIMAGEINFO = {", "    NumInfos = [0]", "  }"}),
                     7));
    EXPECT_EQ(memcmp(countOnly.data(), sent, sizeof(sent)), 0);
}

// The first TW_INFO only, however many NumInfos counts.
TEST(ExtImageInfoRender, ShowsOnlyTheFirstInfo) {
    CGuarded<TW_EXTIMAGEINFO> ext;
    ext->NumInfos = 5;
    ext->Info[0] = TW_INFO{0xFFFF, 16, 0xFFFF, 0xFFFF, 0xFFFFFFFF};
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwExtImageInfoAnalyze(ext.get()); }),
                         {"    NumInfos = [5]", "      InfoID   = [65535]", "      ItemType = [ERROR!(16)]",
                          "      NumItems = [65535]", "      CondCode = [ERROR!(65535)]",
                          "      Item     = [4294967295]"}));
}

// ---- Null pointers ----------------------------------------------------------

TEST(ImageNullRender, AppendsNothing) {
    ExpectNothingRendered({
        [](CParaAnalyze& a) { a.TwImageInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwImageLayoutAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwImageMemXferAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwCieColorAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwGrayResponseAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwRgbResponseAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwJpegCompressionAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwPalette8Analyze(nullptr); },
        [](CParaAnalyze& a) { a.TwExtImageInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwFrameAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwElement8Analyze(nullptr); },
        [](CParaAnalyze& a) { a.TwTransformStageAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwDecodeFunctionAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwCiePointAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwInfoAnalyze(nullptr); },
    });
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
    CGuarded<TW_GRAYRESPONSE> gray(TW_GRAYRESPONSE{{{1, 2, 3, 4}}});
    EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.TwPalette8Analyze(paletteHead.as<TW_PALETTE8>()); }),
              "  TW_PALETTE8 = { it does not display. }\r\n");
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwExtImageInfoAnalyze(ext.get()); }),
                         {"    NumInfos = [4294967295]", "      ItemType = [TWTY_INT8]", "  }"}));
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwGrayResponseAnalyze(gray.get()); }),
                         {"      Index    = [1]", "      Channel3 = [4]", "  }"}));
}

// A strip that claims 4 GB behind an address in the guard page: shown, not read.
TEST(ImageBadInput, MemoryTransferStripIsShownAndNeverFollowed) {
    CGuarded<TW_IMAGEMEMXFER> xfer;
    unsigned char* unreadable = xfer.data() + xfer.size();
    *xfer.get() = TW_IMAGEMEMXFER{0xFFFF,     0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
                                  0xFFFFFFFF, 0xFFFFFFFF, TW_MEMORY{0xFFFFFFFF, 0xFFFFFFFF, unreadable}};
    EXPECT_TRUE(HasLines(RenderedText([&](CParaAnalyze& a) { a.TwImageMemXferAnalyze(xfer.get()); }),
                         {"    Compression  = [ERROR!(65535)]", "    BytesWritten = [4294967295]",
                          "      Flags  = [0xffffffff]", "      Length = [4294967295]",
                          "      TheMem = " + PointerText(unreadable), "}"}));
}

}  // namespace
