// The vendor structure blocks, byte for byte. Every structure is handed over at
// the end of readable memory, so a read past it crashes the test.
#include <CoreFoundation/CoreFoundation.h>
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"

// The platform converts every MacRoman byte, so its failures are made here: these
// two definitions stand before the platform library's in the whole test program
// and pass every call on to it unless a test asks for a failure.
namespace {
bool g_bFailPascalString = false;
bool g_bFailCString = false;
}  // namespace

extern "C" CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                                      CFStringEncoding encoding) {
    static const auto platform = reinterpret_cast<CFStringRef (*)(CFAllocatorRef, ConstStr255Param, CFStringEncoding)>(
        dlsym(RTLD_NEXT, "CFStringCreateWithPascalString"));
    return g_bFailPascalString ? nullptr : platform(alloc, pStr, encoding);
}

// A failing conversion may leave anything in the buffer; leave something.
extern "C" Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                                      CFStringEncoding encoding) {
    static const auto platform = reinterpret_cast<Boolean (*)(CFStringRef, char*, CFIndex, CFStringEncoding)>(
        dlsym(RTLD_NEXT, "CFStringGetCString"));
    if (!g_bFailCString) return platform(theString, buffer, bufferSize, encoding);
    if (buffer && bufferSize >= 6) memcpy(buffer, "junk!", 6);
    return false;
}

namespace {

// What one renderer writes for a copy of value placed before the guard page.
template <typename T>
std::string Rendered(bool (CParaAnalyze::*render)(T*), const T& value) {
    CGuarded<T> p(value);
    return RenderedText([&](CParaAnalyze& a) { (a.*render)(p.get()); });
}

// The parameter text of a successful vendor call, its data placed before the guard page.
template <typename T>
void ExpectDispatched(TW_UINT16 dat, const T& value, const std::string& block) {
    CGuarded<T> p(value);
    EXPECT_EQ(ParamsFrom(4, DG_CONTROL, dat, MSG_GET, p.get(), TWRC_SUCCESS), Around("TWRC_SUCCESS", p.get(), block, 4))
        << dat;
}

// ---- TWKQ_AUTOEXPOSURE ----------------------------------------------------

const TWKQ_AUTOEXPOSURE kAutoExposure{0x1234ABCD, 10, 20, 300, 400, TWKQ_FT_NEGA, TWKQ_PG_10, {2, 0x3333}, 128};

TEST(VendorRender, AutoExposure) {
    ExpectDispatched(DAT_KQ_AUTOEXPOSURE, kAutoExposure,
                     Lines({"  TWKQ_AUTOEXPOSURE = {", "    Handle       = <0x1234abcd>", "    Left         = [10]",
                            "    Top          = [20]", "    Right        = [300]", "    Bottom       = [400]",
                            "    FilmType     = [TWKQ_FT_NEGA]", "    PreScanGamma = [TWKQ_PG_10]",
                            "    ScreenGamma  = [2.200]", "    GrayBalance  = [128]", "  }"}));
    const struct {
        void (*change)(TWKQ_AUTOEXPOSURE&);
        const char* line;
    } cases[] = {
        {[](TWKQ_AUTOEXPOSURE& s) { s.FilmType = 4; }, "    FilmType     = [TWKQ_FT_REFLECTIVEDOCUMENT]"},
        {[](TWKQ_AUTOEXPOSURE& s) { s.FilmType = 5; }, "    FilmType     = [ERROR!(5)]"},
        {[](TWKQ_AUTOEXPOSURE& s) { s.PreScanGamma = 1; }, "    PreScanGamma = [TWKQ_PG_18]"},
        {[](TWKQ_AUTOEXPOSURE& s) { s.PreScanGamma = 2; }, "    PreScanGamma = [ERROR!(2)]"},
        {[](TWKQ_AUTOEXPOSURE& s) { s.Left = -1; }, "    Left         = [-1]"},
        {[](TWKQ_AUTOEXPOSURE& s) { s.GrayBalance = 0xFFFF; }, "    GrayBalance  = [65535]"},
        {[](TWKQ_AUTOEXPOSURE& s) { s.ScreenGamma = Fix32(-0.5); }, "    ScreenGamma  = [-0.500]"},
    };
    for (const auto& c : cases) {
        TWKQ_AUTOEXPOSURE s = kAutoExposure;
        c.change(s);
        EXPECT_TRUE(HasLines(Rendered(&CParaAnalyze::TwKqAutoExposureAnalyze, s), {c.line}));
    }
}

// ---- The coefficient lists ------------------------------------------------

TEST(VendorRender, RgbMatrix) {
    TWKQ_RGBMATRIX matrix{};
    matrix.ColorCoeff[0] = Fix32(1);
    matrix.ColorCoeff[4] = Fix32(1.25);
    matrix.ColorCoeff[7] = Fix32(-0.5);
    matrix.ColorCoeff[8] = Fix32(-2);
    ExpectDispatched(DAT_KQ_RGBMATRIX, matrix,
                     Lines({"  TWKQ_RGBMATRIX = {",
                            "    ColorCoeff = {1.000,0.000,0.000,0.000,1.250,0.000,0.000,-0.500,-2.000}", "  }"}));
}

// The bare list: no brackets, no line end, nine numbers read and no more.
TEST(VendorRender, ColorCoeffListIsBare) {
    CGuardedBlock block(9 * sizeof(TW_FIX32), alignof(TW_FIX32));
    TW_FIX32* coeff = block.as<TW_FIX32>();
    for (int i = 0; i < 9; ++i) coeff[i] = Fix32(i);
    EXPECT_EQ(RenderedText([&](CParaAnalyze& a) { a.SetColorCoeffData(coeff); }),
              "0.000,1.000,2.000,3.000,4.000,5.000,6.000,7.000,8.000");
}

// ---- The blocks of plain numbers ------------------------------------------

TEST(VendorRender, ColorSmoothingSkewInfoUnsharpMaskAndSettingFrame) {
    ExpectDispatched(DAT_KQ_COLORSMOOTHING, TWKQ_COLORSMOOTHING{0x10, 1, 2, 3, 4, 5, 6, 7, 0x80000000, 0xFFFFFFFF},
                     Lines({"  TWKQ_COLORSMOOTHING = {", "    Handle       = <0x00000010>", "    LeftX        = [1]",
                            "    LeftY        = [2]", "    TopX         = [3]", "    TopY         = [4]",
                            "    RightX       = [5]", "    RightY       = [6]", "    BottomX      = [7]",
                            "    BottomY      = [2147483648]", "    Reserved     = [4294967295]", "  }"}));
    ExpectDispatched(DAT_KQ_SKEWINFO,
                     TWKQ_LOCATIONDATA{-24, 10, 20, 2000, 3000, 2100, 3100, 0xFFFFFFFF, 7, Fix32(-0.5)},
                     Lines({"  TWKQ_LOCATIONDATA = {", "    BitsPerPixel = [-24]", "    topPoint     = [10]",
                            "    leftPoint    = [20]", "    locateW      = [2000]", "    locateH      = [3000]",
                            "    ActualImgW   = [2100]", "    ActualImgH   = [3100]",
                            "    xTangent     = [4294967295]", "    yTangent     = [7]", "    Theta        = [-0.500]",
                            "  }"}));
    // On its own the block still stands one level in.
    ExpectDispatched(DAT_KQ_UNSHARPMASKPARAM, TWKQ_USMPARAM{100, -3, 32767},
                     Lines({"    TWKQ_USMPARAM = {", "      Amount    = [100]", "      Radius    = [-3]",
                            "      Threshold = [32767]", "    }"}));
    ExpectDispatched(DAT_KQ_SETTINGFRAME, TWKQ_SETTINGFRAME{0xFFFF, 2},
                     Lines({"  TWKQ_SETTINGFRAME = {", "    NumFrame    = [65535]", "    CurrentNum  = [2]", "  }"}));
}

// ---- TWKQ_USMINFO with its nested blocks ----------------------------------

// The four label lines end in a blank before CR LF.
TEST(VendorRender, UsmInfo) {
    ExpectDispatched(DAT_KQ_USMINFO, TWKQ_USMINFO{300, 1, 0, {100, 3, 0}, {{0, 16, 255, 240}, {0, 0, 255, 255}, 8}},
                     Lines({"  TWKQ_USMINFO = {",
                            "    InputResolution = [300]",
                            "    InUSMLevel      = [1]",
                            "    InFilmType      = [0]",
                            "    USMParm         = ",
                            "    TWKQ_USMPARAM = {",
                            "      Amount    = [100]",
                            "      Radius    = [3]",
                            "      Threshold = [0]",
                            "    }",
                            "    ReviseParm      = ",
                            "    TWKQ_REVISEBASEPARM = {",
                            "      InputRevise  = ",
                            "      TWKQ_THRESHOLDINFO = {",
                            "        ShadowL    = [0]",
                            "        ShadowH    = [16]",
                            "        HighlightH = [255]",
                            "        HighlightL = [240]",
                            "      }",
                            "      OutputRevise = ",
                            "      TWKQ_THRESHOLDINFO = {",
                            "        ShadowL    = [0]",
                            "        ShadowH    = [0]",
                            "        HighlightH = [255]",
                            "        HighlightL = [255]",
                            "      }",
                            "      BlurMax      = [8]",
                            "    }",
                            "  }"}));
}

// ---- TWKQ_HARDWAREINFO ----------------------------------------------------

// A Pascal string member: the length byte, then the characters.
void SetPascal(TWKQ_PSTR32& member, std::string_view text) {
    memset(member, 0, sizeof(member));
    member[0] = static_cast<TW_UINT8>(text.size());
    memcpy(member + 1, text.data(), text.size());
}

// List k of the six holds k + i/8 at i, so a list printed in place of another shows.
void SetCoefficients(TW_FIX32 (&list)[9], int k) {
    for (int i = 0; i < 9; ++i) list[i] = Fix32(k + i / 8.0);
}

TWKQ_HARDWAREINFO SampleHardwareInfo() {
    // The bytes after the stand-alone flag belong to no line; then the mode and
    // halftone flags.
    TWKQ_HARDWAREINFO s{0x1A, {}, {}, 4000, 4001, 50, 4800, 2000, 5905, {8500, 11700}, {8501, 14000},
                        {1417, 0xFFFFFFFF}, 0x30, 0xFFFF, 1, 2, 1, {0xFFFF, 0xFFFF, 0xFFFF},
                        1, 0, 2, 1, 0, 1, 1, 0, 1, 0, 0xFFFF, 0, 1,
                        1, 5, 2, {100, 200}, {}, {}, {}, {}, {}, {}, {}, {}, {}};
    SetPascal(s.ProductName, "FilmScan 4000");
    SetPascal(s.ModelName, "FS-4000");
    SetText(s.ProfileNameFB, "Flatbed.icc");
    SetText(s.ProfileNameTPU, "Film.icc");
    SetCoefficients(s.ColorCorrectionFB, 0);
    SetCoefficients(s.ColorCorrectionPOSI, 1);
    SetCoefficients(s.ColorCorrectionNEGA, 2);
    SetCoefficients(s.ZLTColorCorrectionFB, -1);
    SetCoefficients(s.ZLTColorCorrectionPOSI, -2);
    SetCoefficients(s.ZLTColorCorrectionNEGA, 3);
    SetText(s.ROMVersion, "1.02A");
    return s;
}

const std::string kHardwareInfoText = Lines({
    "  TWKQ_HARDWAREINFO = {",
    "    ModelID                = [0x1a]",
    "    ProductName            = [FilmScan 4000]",
    "    ModelName              = [FS-4000]",
    "    OptXResolution         = [4000]",
    "    OptYResolution         = [4001]",
    "    MinResolution          = [50]",
    "    MaxResolution          = [4800]",
    "    MaxMoireResolution     = [2000]",
    "    MaxPixelofWidth        = [5905]",
    "    PixelSizeofFB[0]       = [8500]",
    "    PixelSizeofFB[1]       = [11700]",
    "    PixelSizeofADF[0]      = [8501]",
    "    PixelSizeofADF[1]      = [14000]",
    "    PixelSizeofTPU[0]      = [1417]",
    "    PixelSizeofTPU[1]      = [4294967295]",
    "    BitDepth               = [0x30]",
    "    InterfaceSupport       = [65535]",
    "    CommandType            = [1]",
    "    ConnectInterfaceType   = [2]",
    "    StandAloneModeSupport  = [true]",
    "    FullAutoModeSupport    = [true]",
    "    SimpleModeSupport      = [false]",
    "    DocumentModeSupport    = [true]",
    "    AdvancedModeSupport    = [true]",
    "    ZLTSupport             = [false]",
    "    FIT3                   = [true]",
    "    AutoLayoutSupportFB    = [true]",
    "    AutoLayoutSupportADF   = [false]",
    "    HalftoneSupport        = [true]",
    "    HTModeSupport          = [false]",
    "    HTDitherSupport        = [true]",
    "    HTAASSupport           = [false]",
    "    HTTETSupport           = [true]",
    "    TableArrangement       = [1]",
    "    OptionSupport          = [0x0005]",
    "    FocusSupport           = [2]",
    "    FocusArea[0]           = [100]",
    "    FocusArea[1]           = [200]",
    "    ProfileNameFB          = [Flatbed.icc]",
    "    ProfileNameTPU         = [Film.icc]",
    "    ColorCorrectionFB      = [0.000,0.125,0.250,0.375,0.500,0.625,0.750,0.875,1.000]",
    "    ColorCorrectionPOSI    = [1.000,1.125,1.250,1.375,1.500,1.625,1.750,1.875,2.000]",
    "    ColorCorrectionNEGA    = [2.000,2.125,2.250,2.375,2.500,2.625,2.750,2.875,3.000]",
    "    ZLTColorCorrectionFB   = [-1.000,-0.875,-0.750,-0.625,-0.500,-0.375,-0.250,-0.125,0.000]",
    "    ZLTColorCorrectionPOSI = [-2.000,-1.875,-1.750,-1.625,-1.500,-1.375,-1.250,-1.125,-1.000]",
    "    ZLTColorCorrectionNEGA = [3.000,3.125,3.250,3.375,3.500,3.625,3.750,3.875,4.000]",
    "    ROMVersion             = [1.02A]",
    "  }",
});

TEST(VendorRender, HardwareInfo) {
    ExpectDispatched(DAT_KQ_HARDWAREINFO, SampleHardwareInfo(), kHardwareInfoText);
    const struct {
        void (*change)(TWKQ_HARDWAREINFO&);
        std::string line;
    } cases[] = {
        {[](TWKQ_HARDWAREINFO& s) { s.ModelID = 0x123; }, "    ModelID                = [0x123]"},
        {[](TWKQ_HARDWAREINFO& s) { s.ModelID = 0x5; }, "    ModelID                = [0x05]"},
        {[](TWKQ_HARDWAREINFO& s) { s.OptionSupport = 0xA0; }, "    OptionSupport          = [0x00a0]"},
        {[](TWKQ_HARDWAREINFO& s) { s.StandAloneModeSupport = 2; }, "    StandAloneModeSupport  = [true]"},
        {[](TWKQ_HARDWAREINFO& s) { SetPascal(s.ProductName, ""); }, "    ProductName            = []"},
        {[](TWKQ_HARDWAREINFO& s) { SetPascal(s.ModelName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456"); },
         "    ModelName              = [ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456]"},
        // The length byte counts, not a NUL: bytes past it are not the name's.
        {[](TWKQ_HARDWAREINFO& s) { s.ProductName[0] = 4; }, "    ProductName            = [Film]"},
        // Bytes above 0x7F are MacRoman characters and come back as the same bytes.
        {[](TWKQ_HARDWAREINFO& s) { SetPascal(s.ModelName, "Sch\x8Ane \xA5"); },
         "    ModelName              = [Sch\x8Ane \xA5]"},
        // Control characters are escaped, a NUL inside the length too.
        {[](TWKQ_HARDWAREINFO& s) { SetPascal(s.ProductName, std::string_view("Film\r\n  }\0\x1b[2J", 14)); },
         "    ProductName            = [Film\\r\\n  }\\x00\\x1b[2J]"},
        {[](TWKQ_HARDWAREINFO& s) {
             memset(s.ModelName, 0x01, sizeof(s.ModelName));
             s.ModelName[0] = 33;
         },
         "    ModelName              = [" + Repeated("\\x01", 33) + "]"},
        {[](TWKQ_HARDWAREINFO& s) { SetText(s.ProfileNameFB, "sRGB\r\n[00999] [APP] x"); },
         "    ProfileNameFB          = [sRGB\\r\\n[00999] [APP] x]"},
        {[](TWKQ_HARDWAREINFO& s) { SetText(s.ROMVersion, "1.02\x7f\t"); },
         "    ROMVersion             = [1.02\\x7f\\t]"},
    };
    for (const auto& c : cases) {
        TWKQ_HARDWAREINFO s = SampleHardwareInfo();
        c.change(s);
        EXPECT_TRUE(HasLines(Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, s), {c.line}));
    }
}

// A name the platform cannot convert prints empty, the other lines unchanged.
TEST(VendorRender, FailedConversionPrintsEmptyName) {
    std::string expected = kHardwareInfoText;
    expected.replace(expected.find("[FilmScan 4000]"), 15, "[]");
    expected.replace(expected.find("[FS-4000]"), 9, "[]");
    // No string made of the bytes; the string does not fit the buffer.
    for (bool* step : {&g_bFailPascalString, &g_bFailCString}) {
        *step = true;
        EXPECT_EQ(Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, SampleHardwareInfo()), expected);
        *step = false;
    }
}

// Every byte of the structure, padding included, set to one value, so that no
// text member has a NUL and every length byte is large; then the change. The
// texts still end at their members and the block ends whole.
TEST(VendorBadInput, HardwareInfoTextsStayInsideTheirMembers) {
    const std::string P(33, 'P'), M(33, 'M'), F(34, 'F'), T(34, 'T'), R(34, 'R'), ones(33, '\xFF');
    const struct {
        unsigned char fill;
        void (*change)(TWKQ_HARDWAREINFO&);
        std::string lines[3];
    } cases[] = {
        {'Z',
         [](TWKQ_HARDWAREINFO& s) {
             s.ProductName[0] = 0xFF;
             memset(s.ProductName + 1, 'P', 33);
             s.ModelName[0] = 34;  // one more than the 33 the member holds
             memset(s.ModelName + 1, 'M', 33);
         },
         {"    ProductName            = [" + P + "]", "    ModelName              = [" + M + "]", "  }"}},
        {'Z',
         [](TWKQ_HARDWAREINFO& s) {
             memset(s.ProfileNameFB, 'F', sizeof(s.ProfileNameFB));
             memset(s.ProfileNameTPU, 'T', sizeof(s.ProfileNameTPU));
             memset(s.ROMVersion, 'R', sizeof(s.ROMVersion));
         },
         {"    ProfileNameFB          = [" + F + "]", "    ProfileNameTPU         = [" + T + "]",
          "    ROMVersion             = [" + R + "]"}},
        {0xFF, [](TWKQ_HARDWAREINFO&) {},
         {"    ProductName            = [" + ones + "]", "    MaxResolution          = [4294967295]",
          "    ColorCorrectionFB      = [-0.000,-0.000,-0.000,-0.000,-0.000,-0.000,-0.000,-0.000,-0.000]"}},
    };
    for (const auto& c : cases) {
        CGuarded<TWKQ_HARDWAREINFO> p;
        memset(p.data(), c.fill, sizeof(TWKQ_HARDWAREINFO));
        c.change(*p.get());
        std::string text = RenderedText([&](CParaAnalyze& a) { a.TwHardwareInfoAnalyze(p.get()); });
        EXPECT_TRUE(HasLines(text, {c.lines[0], c.lines[1], c.lines[2], "  }"}));
    }
}

// ---- Null data and the empty renderers ------------------------------------

TEST(VendorRender, NullDataWritesNothing) {
    ExpectNothingRendered({
        [](CParaAnalyze& a) { a.TwKqAutoExposureAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwKqRgbMatrixAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwKqColorSmoothingAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwHardwareInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwKqSkewInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwUnsharpMaskAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwKqSettingFrameAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwKqThresholdInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwKqReviseBaseParamAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.TwKqUsmInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { a.SetColorCoeffData(nullptr); },
    });
}

TEST(VendorDispatch, EmptyDatsWriteNoStructure) {
    unsigned char data[64];
    memset(data, 0x5A, sizeof(data));
    for (TW_UINT16 dat : {DAT_KQ_EVENT, DAT_KQ_REDCORRECTIONMATRIX, DAT_KQ_TWAINCALLBACKMSG}) {
        EXPECT_EQ(ParamsFrom(4, DG_CONTROL, dat, MSG_GET, data, TWRC_SUCCESS), Around("TWRC_SUCCESS", data, "", 4))
            << dat;
    }
}

}  // namespace
