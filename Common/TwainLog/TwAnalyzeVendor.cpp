// Vendor extension structure renderers.
#include "ParaAnalyze.h"
#include "TraceBlock.h"

namespace {

constexpr size_t kColorCoeffCount = 9;

}  // namespace

bool CParaAnalyze::TwKqAutoExposureAnalyze(TWKQ_AUTOEXPOSURE* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_AUTOEXPOSURE", kTopIndent, 12);
    b.Pointer("Handle", p->Handle);
    b.Number("Left", p->Left);
    b.Number("Top", p->Top);
    b.Number("Right", p->Right);
    b.Number("Bottom", p->Bottom);
    b.Name("FilmType", twkq_ft_macros, p->FilmType);
    b.Name("PreScanGamma", twkq_pg_macros, p->PreScanGamma);
    b.Fixed("ScreenGamma", p->ScreenGamma);
    b.Number("GrayBalance", p->GrayBalance);
    return true;
}

bool CParaAnalyze::TwKqRgbMatrixAnalyze(TWKQ_RGBMATRIX* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TWKQ_RGBMATRIX", kTopIndent, 10);
    // The one list in braces rather than brackets.
    b.BeginField("ColorCoeff");
    AppendText("{");
    SetColorCoeffData(p->ColorCoeff);
    AppendFormat("}%s", kCrLf);
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

bool CParaAnalyze::TwHardwareInfoAnalyze(TWKQ_HARDWAREINFO*) {
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
    for (size_t i = 0; i < kColorCoeffCount; ++i) {
        AppendFormat(i + 1 < kColorCoeffCount ? "%.3f," : "%.3f", Fix32ToDouble(p[i]));
    }
}
