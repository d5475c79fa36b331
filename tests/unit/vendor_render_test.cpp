// The vendor structure blocks, byte for byte. The renderers called directly read
// from memory that ends at an inaccessible page, so a read past it crashes the test.
#include <CoreFoundation/CoreFoundation.h>
#include <dlfcn.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "AnalyzerHarness.h"
#include "ExpectedText.h"
#include "GuardPage.h"

// The platform converts every MacRoman byte, so its failures are made here. These
// two definitions stand before the platform library's in the whole test program
// and pass every call on to it unless a test asks for a failure.
namespace {

bool g_bFailPascalString = false;
bool g_bFailCString = false;

template <typename Function>
Function PlatformFunction(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" CFStringRef CFStringCreateWithPascalString(CFAllocatorRef alloc, ConstStr255Param pStr,
                                                      CFStringEncoding encoding) {
    using Function = CFStringRef (*)(CFAllocatorRef, ConstStr255Param, CFStringEncoding);
    static const Function platform = PlatformFunction<Function>("CFStringCreateWithPascalString");
    return g_bFailPascalString ? nullptr : platform(alloc, pStr, encoding);
}

// A failing conversion may leave anything in the buffer; leave something.
extern "C" Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                                      CFStringEncoding encoding) {
    using Function = Boolean (*)(CFStringRef, char*, CFIndex, CFStringEncoding);
    static const Function platform = PlatformFunction<Function>("CFStringGetCString");
    if (!g_bFailCString) return platform(theString, buffer, bufferSize, encoding);
    if (buffer && bufferSize >= 6) memcpy(buffer, "junk!", 6);
    return false;
}

namespace {

// Makes one of the two conversion steps fail while it lives.
class CFailingConversion {
public:
    explicit CFailingConversion(bool& step) : m_step(step) { m_step = true; }
    ~CFailingConversion() { m_step = false; }
    CFailingConversion(const CFailingConversion&) = delete;
    CFailingConversion& operator=(const CFailingConversion&) = delete;

private:
    bool& m_step;
};

// The lines of a block, each ended by CR LF.
std::string Lines(std::initializer_list<std::string_view> lines) {
    std::string text;
    for (std::string_view line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// A TW_FIX32 from the little-endian word it is stored as.
TW_FIX32 Fix32FromWord(uint32_t word) {
    TW_FIX32 value;
    memcpy(&value, &word, sizeof(value));
    return value;
}

TW_FIX32 Fix32(TW_INT16 whole, TW_UINT16 frac) { return TW_FIX32{whole, frac}; }

// The renderers called directly, each test with a fresh record.
class VendorRender : public ::testing::Test {
protected:
    // The text that one renderer writes for p; every renderer answers true.
    template <typename T>
    std::string Rendered(bool (CParaAnalyze::*render)(T*), T* p) {
        return m_harness.Rendered([&](CParaAnalyze& a) { EXPECT_TRUE((a.*render)(p)); });
    }

    CAnalyzerHarness m_harness;
};

// ---- TWKQ_AUTOEXPOSURE ----------------------------------------------------

TWKQ_AUTOEXPOSURE SampleAutoExposure() {
    TWKQ_AUTOEXPOSURE s{};
    s.Handle = 0x1234ABCD;
    s.Left = 10;
    s.Top = 20;
    s.Right = 300;
    s.Bottom = 400;
    s.FilmType = TWKQ_FT_NEGA;
    s.PreScanGamma = TWKQ_PG_10;
    s.ScreenGamma = Fix32(2, 0x3333);
    s.GrayBalance = 128;
    return s;
}

const std::string kAutoExposureText = Lines({
    "  TWKQ_AUTOEXPOSURE = {",
    "    Handle       = <0x1234abcd>",
    "    Left         = [10]",
    "    Top          = [20]",
    "    Right        = [300]",
    "    Bottom       = [400]",
    "    FilmType     = [TWKQ_FT_NEGA]",
    "    PreScanGamma = [TWKQ_PG_10]",
    "    ScreenGamma  = [2.200]",
    "    GrayBalance  = [128]",
    "  }",
});

TEST_F(VendorRender, AutoExposureBlock) {
    CGuarded<TWKQ_AUTOEXPOSURE> p;
    *p.get() = SampleAutoExposure();
    EXPECT_EQ(Rendered(&CParaAnalyze::TwKqAutoExposureAnalyze, p.get()), kAutoExposureText);
}

struct AutoExposureCase {
    const char* what;
    void (*change)(TWKQ_AUTOEXPOSURE&);
    const char* line;
};

const AutoExposureCase kAutoExposureCases[] = {
    {"last film type", [](TWKQ_AUTOEXPOSURE& s) { s.FilmType = 4; },
     "    FilmType     = [TWKQ_FT_REFLECTIVEDOCUMENT]"},
    {"unknown film type", [](TWKQ_AUTOEXPOSURE& s) { s.FilmType = 5; }, "    FilmType     = [ERROR!(5)]"},
    {"film type with the high bit", [](TWKQ_AUTOEXPOSURE& s) { s.FilmType = 0xFFFF; },
     "    FilmType     = [ERROR!(65535)]"},
    {"gamma 1.8", [](TWKQ_AUTOEXPOSURE& s) { s.PreScanGamma = 1; }, "    PreScanGamma = [TWKQ_PG_18]"},
    {"unknown gamma", [](TWKQ_AUTOEXPOSURE& s) { s.PreScanGamma = 2; }, "    PreScanGamma = [ERROR!(2)]"},
    {"negative edge", [](TWKQ_AUTOEXPOSURE& s) { s.Left = static_cast<TW_INT16>(0xFFFF); },
     "    Left         = [-1]"},
    {"gray balance is unsigned", [](TWKQ_AUTOEXPOSURE& s) { s.GrayBalance = 0xFFFF; },
     "    GrayBalance  = [65535]"},
    {"gamma one and a half", [](TWKQ_AUTOEXPOSURE& s) { s.ScreenGamma = Fix32FromWord(0x80000001); },
     "    ScreenGamma  = [1.500]"},
    {"negative gamma", [](TWKQ_AUTOEXPOSURE& s) { s.ScreenGamma = Fix32FromWord(0x8000FFFF); },
     "    ScreenGamma  = [-0.500]"},
    {"handle shows 32 bits", [](TWKQ_AUTOEXPOSURE& s) { s.Handle = 0x12; },
     "    Handle       = <0x00000012>"},
};

TEST_F(VendorRender, AutoExposureFieldForms) {
    for (const AutoExposureCase& c : kAutoExposureCases) {
        SCOPED_TRACE(c.what);
        CGuarded<TWKQ_AUTOEXPOSURE> p;
        *p.get() = SampleAutoExposure();
        c.change(*p.get());
        EXPECT_THAT(Rendered(&CParaAnalyze::TwKqAutoExposureAnalyze, p.get()),
                    ::testing::HasSubstr("\r\n" + std::string(c.line) + "\r\n"));
    }
}

// ---- TWKQ_RGBMATRIX and the coefficient list ------------------------------

TWKQ_RGBMATRIX SampleRgbMatrix() {
    TWKQ_RGBMATRIX s{};
    s.ColorCoeff[0] = Fix32(1, 0);
    s.ColorCoeff[4] = Fix32(1, 0x4000);
    s.ColorCoeff[7] = Fix32FromWord(0x8000FFFF);
    s.ColorCoeff[8] = Fix32(-2, 0);
    return s;
}

const std::string kRgbMatrixText = Lines({
    "  TWKQ_RGBMATRIX = {",
    "    ColorCoeff = {1.000,0.000,0.000,0.000,1.250,0.000,0.000,-0.500,-2.000}",
    "  }",
});

TEST_F(VendorRender, RgbMatrixBlock) {
    CGuarded<TWKQ_RGBMATRIX> p;
    *p.get() = SampleRgbMatrix();
    EXPECT_EQ(Rendered(&CParaAnalyze::TwKqRgbMatrixAnalyze, p.get()), kRgbMatrixText);
}

TEST_F(VendorRender, RgbMatrixAllZero) {
    CGuarded<TWKQ_RGBMATRIX> p;
    EXPECT_EQ(Rendered(&CParaAnalyze::TwKqRgbMatrixAnalyze, p.get()), Lines({
                          "  TWKQ_RGBMATRIX = {",
                          "    ColorCoeff = {0.000,0.000,0.000,0.000,0.000,0.000,0.000,0.000,0.000}",
                          "  }",
                      }));
}

// The bare list: no brackets, no line end, nine numbers read and no more.
TEST_F(VendorRender, ColorCoeffListIsBare) {
    CGuardedBlock block(9 * sizeof(TW_FIX32), alignof(TW_FIX32));
    TW_FIX32* coeff = block.as<TW_FIX32>();
    for (int i = 0; i < 9; ++i) coeff[i] = Fix32(static_cast<TW_INT16>(i), 0);
    EXPECT_EQ(m_harness.Rendered([&](CParaAnalyze& a) { a.SetColorCoeffData(coeff); }),
              "0.000,1.000,2.000,3.000,4.000,5.000,6.000,7.000,8.000");
}

// ---- TWKQ_COLORSMOOTHING --------------------------------------------------

TWKQ_COLORSMOOTHING SampleColorSmoothing() {
    TWKQ_COLORSMOOTHING s{};
    s.Handle = 0x10;
    s.LeftX = 1;
    s.LeftY = 2;
    s.TopX = 3;
    s.TopY = 4;
    s.RightX = 5;
    s.RightY = 6;
    s.BottomX = 7;
    s.BottomY = 0x80000000;
    s.Reserved = 0xFFFFFFFF;
    return s;
}

const std::string kColorSmoothingText = Lines({
    "  TWKQ_COLORSMOOTHING = {",
    "    Handle       = <0x00000010>",
    "    LeftX        = [1]",
    "    LeftY        = [2]",
    "    TopX         = [3]",
    "    TopY         = [4]",
    "    RightX       = [5]",
    "    RightY       = [6]",
    "    BottomX      = [7]",
    "    BottomY      = [2147483648]",
    "    Reserved     = [4294967295]",
    "  }",
});

TEST_F(VendorRender, ColorSmoothingBlock) {
    CGuarded<TWKQ_COLORSMOOTHING> p;
    *p.get() = SampleColorSmoothing();
    EXPECT_EQ(Rendered(&CParaAnalyze::TwKqColorSmoothingAnalyze, p.get()), kColorSmoothingText);
}

// ---- TWKQ_HARDWAREINFO ----------------------------------------------------

// A Pascal string member: the length byte, then the characters.
void SetPascal(TWKQ_PSTR32& member, std::string_view text) {
    memset(member, 0, sizeof(member));
    member[0] = static_cast<TW_UINT8>(text.size());
    memcpy(member + 1, text.data(), text.size());
}

// A fixed-length text member, NUL-terminated.
void SetText(TW_STR32& member, std::string_view text) {
    memset(member, 0, sizeof(member));
    memcpy(member, text.data(), text.size());
}

// List k of the six holds k + i/8 at i, so a list printed in place of another shows.
void SetCoefficients(TW_FIX32 (&list)[9], TW_INT16 k) {
    for (int i = 0; i < 9; ++i) {
        list[i] = Fix32(static_cast<TW_INT16>(k + i / 8), static_cast<TW_UINT16>(i % 8 * 0x2000));
    }
}

TWKQ_HARDWAREINFO SampleHardwareInfo() {
    TWKQ_HARDWAREINFO s{};
    s.ModelID = 0x1A;
    SetPascal(s.ProductName, "FilmScan 4000");
    SetPascal(s.ModelName, "FS-4000");
    s.OptXResolution = 4000;
    s.OptYResolution = 4001;
    s.MinResolution = 50;
    s.MaxResolution = 4800;
    s.MaxMoireResolution = 2000;
    s.MaxPixelofWidth = 5905;
    s.PixelSizeofFB[0] = 8500;
    s.PixelSizeofFB[1] = 11700;
    s.PixelSizeofADF[0] = 8501;
    s.PixelSizeofADF[1] = 14000;
    s.PixelSizeofTPU[0] = 1417;
    s.PixelSizeofTPU[1] = 0xFFFFFFFF;
    s.BitDepth = 0x30;
    s.InterfaceSupport = 0xFFFF;
    s.CommandType = 1;
    s.ConnectInterfaceType = 2;
    s.StandAloneModeSupport = 1;
    // The bytes after the flag belong to no line.
    s.Reserved[0] = s.Reserved[1] = s.Reserved[2] = 0xFFFF;
    s.FullAutoModeSupport = 1;
    s.SimpleModeSupport = 0;
    s.DocumentModeSupport = 2;
    s.AdvancedModeSupport = 1;
    s.ZLTSupport = 0;
    s.FIT3 = 1;
    s.AutoLayoutSupportFB = 1;
    s.AutoLayoutSupportADF = 0;
    s.HalftoneSupport = 1;
    s.HTModeSupport = 0;
    s.HTDitherSupport = 0xFFFF;
    s.HTAASSupport = 0;
    s.HTTETSupport = 1;
    s.TableArrangement = 1;
    s.OptionSupport = 5;
    s.FocusSupport = 2;
    s.FocusArea[0] = 100;
    s.FocusArea[1] = 200;
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

TEST_F(VendorRender, HardwareInfoBlock) {
    CGuarded<TWKQ_HARDWAREINFO> p;
    *p.get() = SampleHardwareInfo();
    EXPECT_EQ(Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, p.get()), kHardwareInfoText);
}

struct HardwareInfoCase {
    const char* what;
    void (*change)(TWKQ_HARDWAREINFO&);
    const char* line;
};

const HardwareInfoCase kHardwareInfoCases[] = {
    {"model id wider than two digits", [](TWKQ_HARDWAREINFO& s) { s.ModelID = 0x123; },
     "    ModelID                = [0x123]"},
    {"model id padded to two digits", [](TWKQ_HARDWAREINFO& s) { s.ModelID = 0x5; },
     "    ModelID                = [0x05]"},
    {"option bits padded to four digits", [](TWKQ_HARDWAREINFO& s) { s.OptionSupport = 0xA0; },
     "    OptionSupport          = [0x00a0]"},
    {"empty product name", [](TWKQ_HARDWAREINFO& s) { SetPascal(s.ProductName, ""); },
     "    ProductName            = []"},
    {"model name of the full 33 characters",
     [](TWKQ_HARDWAREINFO& s) { SetPascal(s.ModelName, "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456"); },
     "    ModelName              = [ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456]"},
    // The length byte counts, not a NUL: bytes past it are not the name's.
    {"characters past the length", [](TWKQ_HARDWAREINFO& s) { s.ProductName[0] = 4; },
     "    ProductName            = [Film]"},
    {"a stand-alone flag of 2", [](TWKQ_HARDWAREINFO& s) { s.StandAloneModeSupport = 2; },
     "    StandAloneModeSupport  = [true]"},
    {"a stand-alone flag of 0", [](TWKQ_HARDWAREINFO& s) { s.StandAloneModeSupport = 0; },
     "    StandAloneModeSupport  = [false]"},
};

TEST_F(VendorRender, HardwareInfoFieldForms) {
    for (const HardwareInfoCase& c : kHardwareInfoCases) {
        SCOPED_TRACE(c.what);
        CGuarded<TWKQ_HARDWAREINFO> p;
        *p.get() = SampleHardwareInfo();
        c.change(*p.get());
        EXPECT_THAT(Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, p.get()),
                    ::testing::HasSubstr("\r\n" + std::string(c.line) + "\r\n"));
    }
}

// ---- TWKQ_LOCATIONDATA ----------------------------------------------------

TWKQ_LOCATIONDATA SampleLocationData() {
    TWKQ_LOCATIONDATA s{};
    s.BitsPerPixel = -24;
    s.topPoint = 10;
    s.leftPoint = 20;
    s.locateW = 2000;
    s.locateH = 3000;
    s.ActualImgW = 2100;
    s.ActualImgH = 3100;
    s.xTangent = 0xFFFFFFFF;
    s.yTangent = 7;
    s.Theta = Fix32FromWord(0x8000FFFF);
    return s;
}

const std::string kLocationDataText = Lines({
    "  TWKQ_LOCATIONDATA = {",
    "    BitsPerPixel = [-24]",
    "    topPoint     = [10]",
    "    leftPoint    = [20]",
    "    locateW      = [2000]",
    "    locateH      = [3000]",
    "    ActualImgW   = [2100]",
    "    ActualImgH   = [3100]",
    "    xTangent     = [4294967295]",
    "    yTangent     = [7]",
    "    Theta        = [-0.500]",
    "  }",
});

TEST_F(VendorRender, SkewInfoBlock) {
    CGuarded<TWKQ_LOCATIONDATA> p;
    *p.get() = SampleLocationData();
    EXPECT_EQ(Rendered(&CParaAnalyze::TwKqSkewInfoAnalyze, p.get()), kLocationDataText);
}

// ---- TWKQ_USMPARAM and TWKQ_SETTINGFRAME ----------------------------------

// On its own the block still stands one level in.
const std::string kUsmParamText = Lines({
    "    TWKQ_USMPARAM = {",
    "      Amount    = [100]",
    "      Radius    = [-3]",
    "      Threshold = [32767]",
    "    }",
});

TEST_F(VendorRender, UnsharpMaskParamBlock) {
    CGuarded<TWKQ_USMPARAM> p;
    *p.get() = TWKQ_USMPARAM{100, -3, 32767};
    EXPECT_EQ(Rendered(&CParaAnalyze::TwUnsharpMaskAnalyze, p.get()), kUsmParamText);
}

const std::string kSettingFrameText = Lines({
    "  TWKQ_SETTINGFRAME = {",
    "    NumFrame    = [65535]",
    "    CurrentNum  = [2]",
    "  }",
});

TEST_F(VendorRender, SettingFrameBlock) {
    CGuarded<TWKQ_SETTINGFRAME> p;
    *p.get() = TWKQ_SETTINGFRAME{0xFFFF, 2};
    EXPECT_EQ(Rendered(&CParaAnalyze::TwKqSettingFrameAnalyze, p.get()), kSettingFrameText);
}

// ---- TWKQ_USMINFO with its nested blocks ----------------------------------

TWKQ_USMINFO SampleUsmInfo() {
    TWKQ_USMINFO s{};
    s.InputResolution = 300;
    s.InUSMLevel = 1;
    s.InFilmType = 0;
    s.USMParm = TWKQ_USMPARAM{100, 3, 0};
    s.ReviseParm.InputRevise = TWKQ_THRESHOLDINFO{0, 16, 255, 240};
    s.ReviseParm.OutputRevise = TWKQ_THRESHOLDINFO{0, 0, 255, 255};
    s.ReviseParm.BlurMax = 8;
    return s;
}

// The four label lines end in a blank before CR LF.
const std::string kUsmInfoText = Lines({
    "  TWKQ_USMINFO = {",
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
    "  }",
});

TEST_F(VendorRender, UsmInfoBlock) {
    CGuarded<TWKQ_USMINFO> p;
    *p.get() = SampleUsmInfo();
    EXPECT_EQ(Rendered(&CParaAnalyze::TwKqUsmInfoAnalyze, p.get()), kUsmInfoText);
}

// ---- Null data and the empty renderers ------------------------------------

TEST_F(VendorRender, NullDataWritesNothing) {
    const std::function<bool(CParaAnalyze&)> renderers[] = {
        [](CParaAnalyze& a) { return a.TwKqAutoExposureAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqRgbMatrixAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqColorSmoothingAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwHardwareInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqSkewInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwUnsharpMaskAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqSettingFrameAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqThresholdInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqReviseBaseParamAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqUsmInfoAnalyze(nullptr); },
        [](CParaAnalyze& a) { return a.TwKqEventAnalyze(); },
        [](CParaAnalyze& a) { return a.TwKqRedCorrectionMatrixAnalyze(); },
        [](CParaAnalyze& a) { return a.TwKqTwainCallbackMsgAnalyze(); },
        [](CParaAnalyze& a) {
            a.SetColorCoeffData(nullptr);
            return true;
        },
    };
    int index = 0;
    for (const auto& render : renderers) {
        SCOPED_TRACE(index++);
        EXPECT_EQ(m_harness.Rendered([&](CParaAnalyze& a) { EXPECT_TRUE(render(a)); }), "");
    }
}

// ---- Through the real dispatch ---------------------------------------------

// The parameter text of one successful vendor call carrying pData.
std::string Params(TW_UINT16 dat, void* pData) {
    CAnalyzerHarness h(4);
    return h.Params(DG_CONTROL, dat, MSG_GET, pData, TWRC_SUCCESS);
}

std::string Around(const void* pData, const std::string& block) {
    return ResultLines("TWRC_SUCCESS", pData) + block + StateLine(4);
}

TEST(VendorDispatch, EachVendorDatReachesItsRenderer) {
    TWKQ_AUTOEXPOSURE autoExposure = SampleAutoExposure();
    TWKQ_RGBMATRIX rgbMatrix = SampleRgbMatrix();
    TWKQ_COLORSMOOTHING colorSmoothing = SampleColorSmoothing();
    TWKQ_LOCATIONDATA locationData = SampleLocationData();
    TWKQ_USMPARAM usmParam{100, -3, 32767};
    TWKQ_SETTINGFRAME settingFrame{0xFFFF, 2};
    TWKQ_USMINFO usmInfo = SampleUsmInfo();
    const struct {
        TW_UINT16 dat;
        void* data;
        const std::string& block;
    } cases[] = {
        {DAT_KQ_AUTOEXPOSURE, &autoExposure, kAutoExposureText},
        {DAT_KQ_RGBMATRIX, &rgbMatrix, kRgbMatrixText},
        {DAT_KQ_COLORSMOOTHING, &colorSmoothing, kColorSmoothingText},
        {DAT_KQ_SKEWINFO, &locationData, kLocationDataText},
        {DAT_KQ_UNSHARPMASKPARAM, &usmParam, kUsmParamText},
        {DAT_KQ_SETTINGFRAME, &settingFrame, kSettingFrameText},
        {DAT_KQ_USMINFO, &usmInfo, kUsmInfoText},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dat);
        EXPECT_EQ(Params(c.dat, c.data), Around(c.data, c.block));
    }
}

TEST(VendorDispatch, EmptyDatsWriteNoStructure) {
    unsigned char data[64];
    memset(data, 0x5A, sizeof(data));
    for (TW_UINT16 dat : {DAT_KQ_EVENT, DAT_KQ_REDCORRECTIONMATRIX, DAT_KQ_TWAINCALLBACKMSG}) {
        SCOPED_TRACE(dat);
        EXPECT_EQ(Params(dat, data), Around(data, ""));
    }
}

// ---- Bad input, at the end of a readable page ------------------------------

// Every byte of the structure, padding included, set to c: no text member has a
// NUL, and every length byte is 0xFF or as large as c.
void FillHardwareInfo(CGuarded<TWKQ_HARDWAREINFO>& p, unsigned char c) {
    memset(p.data(), c, sizeof(TWKQ_HARDWAREINFO));
}

std::string LineOf(const std::string& text, std::string_view name) {
    size_t start = text.find("    " + std::string(name) + " ");
    if (start == std::string::npos) return "";
    return text.substr(start, text.find("\r\n", start) - start);
}

TEST_F(VendorRender, PascalLengthAboveTheMemberIsCut) {
    CGuarded<TWKQ_HARDWAREINFO> p;
    FillHardwareInfo(p, 'Z');
    p->ProductName[0] = 0xFF;
    memset(p->ProductName + 1, 'P', 33);
    p->ModelName[0] = 34;  // one more than the 33 the member holds
    memset(p->ModelName + 1, 'M', 33);
    std::string text = Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, p.get());
    EXPECT_EQ(LineOf(text, "ProductName"), "    ProductName            = [" + std::string(33, 'P') + "]");
    EXPECT_EQ(LineOf(text, "ModelName"), "    ModelName              = [" + std::string(33, 'M') + "]");
}

// Without a NUL a text member prints whole, and nothing of what follows it.
TEST_F(VendorRender, TextMembersWithoutNulStopAtTheirEnd) {
    CGuarded<TWKQ_HARDWAREINFO> p;
    FillHardwareInfo(p, 'Z');
    memset(p->ProfileNameFB, 'F', sizeof(p->ProfileNameFB));
    memset(p->ProfileNameTPU, 'T', sizeof(p->ProfileNameTPU));
    memset(p->ROMVersion, 'R', sizeof(p->ROMVersion));
    std::string text = Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, p.get());
    EXPECT_EQ(LineOf(text, "ProfileNameFB"), "    ProfileNameFB          = [" + std::string(34, 'F') + "]");
    EXPECT_EQ(LineOf(text, "ProfileNameTPU"), "    ProfileNameTPU         = [" + std::string(34, 'T') + "]");
    EXPECT_EQ(LineOf(text, "ROMVersion"), "    ROMVersion             = [" + std::string(34, 'R') + "]");
}

// A name the platform cannot convert prints empty, the other lines unchanged.
TEST_F(VendorRender, FailedConversionPrintsEmptyName) {
    const struct {
        const char* what;
        bool& step;
    } cases[] = {
        {"no string made of the bytes", g_bFailPascalString},
        {"the string does not fit the buffer", g_bFailCString},
    };
    std::string expected = kHardwareInfoText;
    expected.replace(expected.find("[FilmScan 4000]"), 15, "[]");
    expected.replace(expected.find("[FS-4000]"), 9, "[]");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CGuarded<TWKQ_HARDWAREINFO> p;
        *p.get() = SampleHardwareInfo();
        CFailingConversion failing(c.step);
        EXPECT_EQ(Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, p.get()), expected);
    }
}

// Bytes above 0x7F are MacRoman characters and come back as the same bytes.
TEST_F(VendorRender, PascalNameKeepsSystemEncodingBytes) {
    CGuarded<TWKQ_HARDWAREINFO> p;
    *p.get() = SampleHardwareInfo();
    SetPascal(p->ModelName, "Sch\x8Ane \xA5");
    EXPECT_EQ(LineOf(Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, p.get()), "ModelName"), "    ModelName              = [Sch\x8Ane \xA5]");
}

// All bytes 0xFF: the widest numbers and the longest texts, still one whole block
// inside the record.
TEST_F(VendorRender, HardwareInfoOfAllOnesStaysBounded) {
    CGuarded<TWKQ_HARDWAREINFO> p;
    FillHardwareInfo(p, 0xFF);
    std::string text = Rendered(&CParaAnalyze::TwHardwareInfoAnalyze, p.get());
    EXPECT_FALSE(m_harness.text().IsFull());
    EXPECT_EQ(text.substr(text.size() - 5), "  }\r\n");
    EXPECT_EQ(LineOf(text, "ProductName"), "    ProductName            = [" + std::string(33, '\xFF') + "]");
    EXPECT_EQ(LineOf(text, "MaxResolution"), "    MaxResolution          = [4294967295]");
    EXPECT_EQ(LineOf(text, "ColorCorrectionFB"),
              "    ColorCorrectionFB      = [-0.000,-0.000,-0.000,-0.000,-0.000,-0.000,-0.000,-0.000,-0.000]");
}

}  // namespace
