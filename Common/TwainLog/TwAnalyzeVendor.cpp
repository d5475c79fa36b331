// Vendor extension structure renderers.
#include <CoreFoundation/CoreFoundation.h>

#include <cstring>

#include "ParaAnalyze.h"
#include "TextFormat.h"
#include "TraceBlock.h"

namespace {

constexpr size_t kColorCoeffCount = 9;

// The most characters a Pascal string member holds.
constexpr size_t kPascalMaxLength = sizeof(TWKQ_PSTR32) - 1;
// A converted Pascal string: its characters, each control character escaped, and the NUL.
constexpr size_t kPascalTextSize = kShownCharBytes * kPascalMaxLength + 1;

// "Name = " and the nine coefficients between the given marks, on one line.
void CoefficientLine(CParaAnalyze& analyzer, CTraceBlock& block, const char* name, const char* open,
                     const char* close, TW_FIX32* coeff) {
    block.BeginField(name);
    analyzer.AppendText(open);
    analyzer.SetColorCoeffData(coeff);
    analyzer.AppendFormat("%s%s", close, kCrLf);
}

// A Pascal string member in the system encoding, as C text. The length byte comes
// from the driver, so no more characters are taken than the member holds; a text
// the platform cannot convert shows as empty. Control characters are escaped
// before the conversion: they are the same bytes in every system encoding, and a
// NUL among the characters is shown rather than taken for the end.
void PascalMemberToText(const TWKQ_PSTR32& member, char (&text)[kPascalTextSize]) {
    text[0] = '\0';
    size_t length = member[0] < kPascalMaxLength ? member[0] : kPascalMaxLength;
    unsigned char shown[kPascalTextSize];
    shown[0] = static_cast<unsigned char>(FormatShownText(reinterpret_cast<const char*>(member + 1), length,
                                                          reinterpret_cast<char*>(shown + 1), sizeof(shown) - 1));

    CFStringEncoding encoding = CFStringGetSystemEncoding();
    CFStringRef string = CFStringCreateWithPascalString(kCFAllocatorDefault, shown, encoding);
    if (!string) return;
    if (!CFStringGetCString(string, text, sizeof(text), encoding)) text[0] = '\0';
    CFRelease(string);
}

}  // namespace

bool CParaAnalyze::TwKqAutoExposureAnalyze(TWKQ_AUTOEXPOSURE* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_AUTOEXPOSURE", kTopIndent, 12);
    b.Pointer("Handle", p->Handle);
    b.Number("Left", p->Left);
    b.Number("Top", p->Top);
    b.Number("Right", p->Right);
    b.Number("Bottom", p->Bottom);
    b.Name<twkq_ft_macros>("FilmType", p->FilmType);
    b.Name<twkq_pg_macros>("PreScanGamma", p->PreScanGamma);
    b.Fixed("ScreenGamma", p->ScreenGamma);
    b.Number("GrayBalance", p->GrayBalance);
    return true;
}

bool CParaAnalyze::TwKqRgbMatrixAnalyze(TWKQ_RGBMATRIX* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_RGBMATRIX", kTopIndent, 10);
    // The one list in braces rather than brackets.
    CoefficientLine(*this, b, "ColorCoeff", "{", "}", p->ColorCoeff);
    return true;
}

bool CParaAnalyze::TwKqColorSmoothingAnalyze(TWKQ_COLORSMOOTHING* p) {
    if (!p) return true;
    // The names stand in a column of 12, wider than the longest of them.
    CTraceBlock b(*this, "TWKQ_COLORSMOOTHING", kTopIndent, 12);
    b.Pointer("Handle", p->Handle);
    b.Number("LeftX", p->LeftX);
    b.Number("LeftY", p->LeftY);
    b.Number("TopX", p->TopX);
    b.Number("TopY", p->TopY);
    b.Number("RightX", p->RightX);
    b.Number("RightY", p->RightY);
    b.Number("BottomX", p->BottomX);
    b.Number("BottomY", p->BottomY);
    b.Number("Reserved", p->Reserved);
    return true;
}

bool CParaAnalyze::TwKqEventAnalyze() { return true; }

bool CParaAnalyze::TwHardwareInfoAnalyze(TWKQ_HARDWAREINFO* p) {
    if (!p) return true;
    char szProductName[kPascalTextSize];
    char szModelName[kPascalTextSize];
    PascalMemberToText(p->ProductName, szProductName);
    PascalMemberToText(p->ModelName, szModelName);

    CTraceBlock b(*this, "TWKQ_HARDWAREINFO", kTopIndent, 22);
    b.Hex("ModelID", p->ModelID, 2);
    b.Value("ProductName", szProductName);
    b.Value("ModelName", szModelName);
    b.Number("OptXResolution", p->OptXResolution);
    b.Number("OptYResolution", p->OptYResolution);
    b.Number("MinResolution", p->MinResolution);
    b.Number("MaxResolution", p->MaxResolution);
    b.Number("MaxMoireResolution", p->MaxMoireResolution);
    b.Number("MaxPixelofWidth", p->MaxPixelofWidth);
    b.Number("PixelSizeofFB[0]", p->PixelSizeofFB[0]);
    b.Number("PixelSizeofFB[1]", p->PixelSizeofFB[1]);
    b.Number("PixelSizeofADF[0]", p->PixelSizeofADF[0]);
    b.Number("PixelSizeofADF[1]", p->PixelSizeofADF[1]);
    b.Number("PixelSizeofTPU[0]", p->PixelSizeofTPU[0]);
    b.Number("PixelSizeofTPU[1]", p->PixelSizeofTPU[1]);
    b.Hex("BitDepth", p->BitDepth, 2);
    b.Number("InterfaceSupport", p->InterfaceSupport);
    b.Number("CommandType", p->CommandType);
    b.Number("ConnectInterfaceType", p->ConnectInterfaceType);
    b.Flag("StandAloneModeSupport", p->StandAloneModeSupport);
    b.Flag("FullAutoModeSupport", p->FullAutoModeSupport);
    b.Flag("SimpleModeSupport", p->SimpleModeSupport);
    b.Flag("DocumentModeSupport", p->DocumentModeSupport);
    b.Flag("AdvancedModeSupport", p->AdvancedModeSupport);
    b.Flag("ZLTSupport", p->ZLTSupport);
    b.Flag("FIT3", p->FIT3);
    b.Flag("AutoLayoutSupportFB", p->AutoLayoutSupportFB);
    b.Flag("AutoLayoutSupportADF", p->AutoLayoutSupportADF);
    b.Flag("HalftoneSupport", p->HalftoneSupport);
    b.Flag("HTModeSupport", p->HTModeSupport);
    b.Flag("HTDitherSupport", p->HTDitherSupport);
    b.Flag("HTAASSupport", p->HTAASSupport);
    b.Flag("HTTETSupport", p->HTTETSupport);
    b.Number("TableArrangement", p->TableArrangement);
    b.Hex("OptionSupport", p->OptionSupport, 4);
    b.Number("FocusSupport", p->FocusSupport);
    b.Number("FocusArea[0]", p->FocusArea[0]);
    b.Number("FocusArea[1]", p->FocusArea[1]);
    b.Text("ProfileNameFB", p->ProfileNameFB, sizeof(p->ProfileNameFB));
    b.Text("ProfileNameTPU", p->ProfileNameTPU, sizeof(p->ProfileNameTPU));
    CoefficientLine(*this, b, "ColorCorrectionFB", "[", "]", p->ColorCorrectionFB);
    CoefficientLine(*this, b, "ColorCorrectionPOSI", "[", "]", p->ColorCorrectionPOSI);
    CoefficientLine(*this, b, "ColorCorrectionNEGA", "[", "]", p->ColorCorrectionNEGA);
    CoefficientLine(*this, b, "ZLTColorCorrectionFB", "[", "]", p->ZLTColorCorrectionFB);
    CoefficientLine(*this, b, "ZLTColorCorrectionPOSI", "[", "]", p->ZLTColorCorrectionPOSI);
    CoefficientLine(*this, b, "ZLTColorCorrectionNEGA", "[", "]", p->ZLTColorCorrectionNEGA);
    b.Text("ROMVersion", p->ROMVersion, sizeof(p->ROMVersion));
    return true;
}

bool CParaAnalyze::TwKqSkewInfoAnalyze(TWKQ_LOCATIONDATA* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_LOCATIONDATA", kTopIndent, 12);
    b.Number("BitsPerPixel", p->BitsPerPixel);
    b.Number("topPoint", p->topPoint);
    b.Number("leftPoint", p->leftPoint);
    b.Number("locateW", p->locateW);
    b.Number("locateH", p->locateH);
    b.Number("ActualImgW", p->ActualImgW);
    b.Number("ActualImgH", p->ActualImgH);
    b.Number("xTangent", p->xTangent);
    b.Number("yTangent", p->yTangent);
    b.Fixed("Theta", p->Theta);
    return true;
}

// Always one level in, also as the whole data of its own triplet, so the block
// looks the same on its own and inside TWKQ_USMINFO.
bool CParaAnalyze::TwUnsharpMaskAnalyze(TWKQ_USMPARAM* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_USMPARAM", kNestedIndent, 9);
    b.Number("Amount", p->Amount);
    b.Number("Radius", p->Radius);
    b.Number("Threshold", p->Threshold);
    return true;
}

bool CParaAnalyze::TwKqRedCorrectionMatrixAnalyze() { return true; }

bool CParaAnalyze::TwKqTwainCallbackMsgAnalyze() { return true; }

bool CParaAnalyze::TwKqSettingFrameAnalyze(TWKQ_SETTINGFRAME* p) {
    if (!p) return true;
    // The names stand in a column of 11, one wider than the longest of them.
    CTraceBlock b(*this, "TWKQ_SETTINGFRAME", kTopIndent, 11);
    b.Number("NumFrame", p->NumFrame);
    b.Number("CurrentNum", p->CurrentNum);
    return true;
}

bool CParaAnalyze::TwKqThresholdInfoAnalyze(TWKQ_THRESHOLDINFO* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_THRESHOLDINFO", kInnerIndent, 10);
    b.Number("ShadowL", p->ShadowL);
    b.Number("ShadowH", p->ShadowH);
    // Stored high before low.
    b.Number("HighlightH", p->HighlightH);
    b.Number("HighlightL", p->HighlightL);
    return true;
}

bool CParaAnalyze::TwKqReviseBaseParamAnalyze(TWKQ_REVISEBASEPARM* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_REVISEBASEPARM", kNestedIndent, 12);
    b.LabelKeepingBlank("InputRevise");
    TwKqThresholdInfoAnalyze(&p->InputRevise);
    b.LabelKeepingBlank("OutputRevise");
    TwKqThresholdInfoAnalyze(&p->OutputRevise);
    b.Number("BlurMax", p->BlurMax);
    return true;
}

bool CParaAnalyze::TwKqUsmInfoAnalyze(TWKQ_USMINFO* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_USMINFO", kTopIndent, 15);
    b.Number("InputResolution", p->InputResolution);
    b.Number("InUSMLevel", p->InUSMLevel);
    // A bare number, not looked up as TWKQ_AUTOEXPOSURE's FilmType is.
    b.Number("InFilmType", p->InFilmType);
    b.LabelKeepingBlank("USMParm");
    TwUnsharpMaskAnalyze(&p->USMParm);
    b.LabelKeepingBlank("ReviseParm");
    TwKqReviseBaseParamAnalyze(&p->ReviseParm);
    return true;
}

// Nine coefficients, comma-separated; the caller writes the brackets and the line end.
void CParaAnalyze::SetColorCoeffData(TW_FIX32* p) {
    if (!p) return;
    if (!m_pszText) return;
    for (size_t i = 0; i < kColorCoeffCount; ++i) {
        char digits[kNumberTextSize];
        size_t n = FormatFix32(p[i], digits);
        if (i + 1 < kColorCoeffCount) digits[n++] = ',';
        m_pszText->Append(digits, n);
    }
}
