// Image structure renderers.
#include "ParaAnalyze.h"
#include "TraceBlock.h"

bool CParaAnalyze::TwImageInfoAnalyze(TW_IMAGEINFO*) {
    return true;
}

bool CParaAnalyze::TwImageLayoutAnalyze(TW_IMAGELAYOUT*) {
    return true;
}

bool CParaAnalyze::TwImageMemXferAnalyze(TW_IMAGEMEMXFER*) {
    return true;
}

bool CParaAnalyze::TwCieColorAnalyze(TW_CIECOLOR*) {
    return true;
}

bool CParaAnalyze::TwGrayResponseAnalyze(TW_GRAYRESPONSE*) {
    return true;
}

bool CParaAnalyze::TwRgbResponseAnalyze(TW_RGBRESPONSE*) {
    return true;
}

bool CParaAnalyze::TwJpegCompressionAnalyze(TW_JPEGCOMPRESSION*) {
    return true;
}

bool CParaAnalyze::TwPalette8Analyze(TW_PALETTE8*) {
    return true;
}

bool CParaAnalyze::TwExtImageInfoAnalyze(TW_EXTIMAGEINFO*) {
    return true;
}

bool CParaAnalyze::TwFrameAnalyze(TW_FRAME*) {
    return true;
}

bool CParaAnalyze::TwElement8Analyze(TW_ELEMENT8*) {
    return true;
}

bool CParaAnalyze::TwTransformStageAnalyze(TW_TRANSFORMSTAGE*) {
    return true;
}

bool CParaAnalyze::TwDecodeFunctionAnalyze(TW_DECODEFUNCTION*) {
    return true;
}

bool CParaAnalyze::TwCiePointAnalyze(TW_CIEPOINT*) {
    return true;
}

bool CParaAnalyze::TwInfoAnalyze(TW_INFO*) {
    return true;
}
