// Vendor extension structure renderers.
#include "ParaAnalyze.h"
#include "TraceBlock.h"

bool CParaAnalyze::TwKqAutoExposureAnalyze(TWKQ_AUTOEXPOSURE*) {
    return true;
}

bool CParaAnalyze::TwKqRgbMatrixAnalyze(TWKQ_RGBMATRIX*) {
    return true;
}

bool CParaAnalyze::TwKqColorSmoothingAnalyze(TWKQ_COLORSMOOTHING*) {
    return true;
}

bool CParaAnalyze::TwKqEventAnalyze() {
    return true;
}

bool CParaAnalyze::TwHardwareInfoAnalyze(TWKQ_HARDWAREINFO*) {
    return true;
}

bool CParaAnalyze::TwKqSkewInfoAnalyze(TWKQ_LOCATIONDATA*) {
    return true;
}

bool CParaAnalyze::TwUnsharpMaskAnalyze(TWKQ_USMPARAM*) {
    return true;
}

bool CParaAnalyze::TwKqRedCorrectionMatrixAnalyze() {
    return true;
}

bool CParaAnalyze::TwKqTwainCallbackMsgAnalyze() {
    return true;
}

bool CParaAnalyze::TwKqSettingFrameAnalyze(TWKQ_SETTINGFRAME*) {
    return true;
}

bool CParaAnalyze::TwKqThresholdInfoAnalyze(TWKQ_THRESHOLDINFO*) {
    return true;
}

bool CParaAnalyze::TwKqReviseBaseParamAnalyze(TWKQ_REVISEBASEPARM*) {
    return true;
}

bool CParaAnalyze::TwKqUsmInfoAnalyze(TWKQ_USMINFO*) {
    return true;
}

void CParaAnalyze::SetColorCoeffData(TW_FIX32*) {
}
