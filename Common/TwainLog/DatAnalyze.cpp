// The dispatchers: one per DAT, each handing the triplet's data to its renderer.
#include "ParaAnalyze.h"

namespace {

struct DispatchRow {
    TW_UINT16 dat;
    bool (CParaAnalyze::*dispatcher)();
};

constexpr DispatchRow kDispatch[] = {
    {DAT_NULL, &CParaAnalyze::DatNullAnalyze},
    {DAT_CAPABILITY, &CParaAnalyze::DatCapabilityAnalyze},
    {DAT_EVENT, &CParaAnalyze::DatEventAnalyze},
    {DAT_IDENTITY, &CParaAnalyze::DatIdentityAnalyze},
    {DAT_PARENT, &CParaAnalyze::DatParentAnalyze},
    {DAT_PENDINGXFERS, &CParaAnalyze::DatPendingXfersAnalyze},
    {DAT_SETUPMEMXFER, &CParaAnalyze::DatSetupMemXferAnalyze},
    {DAT_SETUPFILEXFER, &CParaAnalyze::DatSetupFileXferAnalyze},
    {DAT_STATUS, &CParaAnalyze::DatStatusAnalyze},
    {DAT_USERINTERFACE, &CParaAnalyze::DatUserInterfaceAnalyze},
    {DAT_XFERGROUP, &CParaAnalyze::DatXferGroupAnalyze},
    {DAT_TWUNKIDENTITY, &CParaAnalyze::DatTwunkIdentityAnalyze},
    {DAT_CUSTOMDSDATA, &CParaAnalyze::DatCustomDsDataAnalyze},
    {DAT_IMAGEINFO, &CParaAnalyze::DatImageInfoAnalyze},
    {DAT_IMAGELAYOUT, &CParaAnalyze::DatImageLayoutAnalyze},
    {DAT_IMAGEMEMXFER, &CParaAnalyze::DatImageMemXferAnalyze},
    {DAT_IMAGENATIVEXFER, &CParaAnalyze::DatImageNativeXferAnalyze},
    {DAT_IMAGEFILEXFER, &CParaAnalyze::DatImageFileXferAnalyze},
    {DAT_CIECOLOR, &CParaAnalyze::DatCieColorAnalyze},
    {DAT_GRAYRESPONSE, &CParaAnalyze::DatGrayResponseAnalyze},
    {DAT_RGBRESPONSE, &CParaAnalyze::DatRgbResponseAnalyze},
    {DAT_JPEGCOMPRESSION, &CParaAnalyze::DatJpegCompressionAnalyze},
    {DAT_PALETTE8, &CParaAnalyze::DatPalette8Analyze},
    {DAT_EXTIMAGEINFO, &CParaAnalyze::DatExtImageInfoAnalyze},
    {DAT_KQ_AUTOEXPOSURE, &CParaAnalyze::DatKqAutoExposureAnalyze},
    {DAT_KQ_RGBMATRIX, &CParaAnalyze::DatKqRgbMatrixAnalyze},
    {DAT_KQ_COLORSMOOTHING, &CParaAnalyze::DatKqColorSmoothingAnalyze},
    {DAT_KQ_EVENT, &CParaAnalyze::DatKqEventAnalyze},
    {DAT_KQ_HARDWAREINFO, &CParaAnalyze::DatHardwareInfoAnalyze},
    {DAT_KQ_SKEWINFO, &CParaAnalyze::DatKqSkewInfoAnalyze},
    {DAT_KQ_UNSHARPMASKPARAM, &CParaAnalyze::DatUnsharpMaskAnalyze},
    {DAT_KQ_REDCORRECTIONMATRIX, &CParaAnalyze::DatKqRedCorrectionMatrixAnalyze},
    {DAT_KQ_TWAINCALLBACKMSG, &CParaAnalyze::DatKqTwainCallbackMsgAnalyze},
    {DAT_KQ_SETTINGFRAME, &CParaAnalyze::DatKqSettingFrameAnalyze},
    {DAT_KQ_USMINFO, &CParaAnalyze::DatKqUsmInfoAnalyze},
};

template <typename T>
T* DataAs(TW_MEMREF p) {
    return static_cast<T*>(p);
}

}  // namespace

// A DAT without a row gets no structure text.
bool CParaAnalyze::Dispatch() {
    for (const DispatchRow& row : kDispatch) {
        if (row.dat == m_DAT) return (this->*row.dispatcher)();
    }
    return true;
}

bool CParaAnalyze::DatNullAnalyze() { return true; }
bool CParaAnalyze::DatCapabilityAnalyze() {
    TwCapabilityAnalyze(DataAs<TW_CAPABILITY>(m_pData));
    return true;
}
bool CParaAnalyze::DatEventAnalyze() {
    TwEventAnalyze(DataAs<TW_EVENT>(m_pData));
    return true;
}
bool CParaAnalyze::DatIdentityAnalyze() {
    TwIdentityAnalyze(DataAs<TW_IDENTITY>(m_pData));
    return true;
}
// MSG_OPENDSM carries the application's identity as the origin, not as data.
bool CParaAnalyze::DatParentAnalyze() {
    if (m_MSG == MSG_OPENDSM) TwIdentityAnalyze(m_pOrigin);
    return true;
}
bool CParaAnalyze::DatPendingXfersAnalyze() {
    TwPendingXfersAnalyze(DataAs<TW_PENDINGXFERS>(m_pData));
    return true;
}
bool CParaAnalyze::DatSetupMemXferAnalyze() {
    TwSetupMemXferAnalyze(DataAs<TW_SETUPMEMXFER>(m_pData));
    return true;
}
bool CParaAnalyze::DatSetupFileXferAnalyze() {
    TwSetupFileXferAnalyze(DataAs<TW_SETUPFILEXFER>(m_pData));
    return true;
}
bool CParaAnalyze::DatStatusAnalyze() {
    TwStatusAnalyze(DataAs<TW_STATUS>(m_pData));
    return true;
}
bool CParaAnalyze::DatUserInterfaceAnalyze() {
    TwUserInterfaceAnalyze(DataAs<TW_USERINTERFACE>(m_pData));
    return true;
}
bool CParaAnalyze::DatXferGroupAnalyze() {
    TwUint32(m_pData);
    return true;
}
bool CParaAnalyze::DatTwunkIdentityAnalyze() { return true; }
bool CParaAnalyze::DatCustomDsDataAnalyze() {
    TwCustomDsDataAnalyze(DataAs<TW_CUSTOMDSDATA>(m_pData));
    return true;
}
bool CParaAnalyze::DatImageInfoAnalyze() {
    TwImageInfoAnalyze(DataAs<TW_IMAGEINFO>(m_pData));
    return true;
}
bool CParaAnalyze::DatImageLayoutAnalyze() {
    TwImageLayoutAnalyze(DataAs<TW_IMAGELAYOUT>(m_pData));
    return true;
}
bool CParaAnalyze::DatImageMemXferAnalyze() {
    TwImageMemXferAnalyze(DataAs<TW_IMAGEMEMXFER>(m_pData));
    return true;
}
bool CParaAnalyze::DatImageNativeXferAnalyze() {
    TwUint32(m_pData);
    return true;
}
bool CParaAnalyze::DatImageFileXferAnalyze() { return true; }
bool CParaAnalyze::DatCieColorAnalyze() {
    TwCieColorAnalyze(DataAs<TW_CIECOLOR>(m_pData));
    return true;
}
bool CParaAnalyze::DatGrayResponseAnalyze() {
    TwGrayResponseAnalyze(DataAs<TW_GRAYRESPONSE>(m_pData));
    return true;
}
bool CParaAnalyze::DatRgbResponseAnalyze() {
    TwRgbResponseAnalyze(DataAs<TW_RGBRESPONSE>(m_pData));
    return true;
}
bool CParaAnalyze::DatJpegCompressionAnalyze() {
    TwJpegCompressionAnalyze(DataAs<TW_JPEGCOMPRESSION>(m_pData));
    return true;
}
bool CParaAnalyze::DatPalette8Analyze() {
    TwPalette8Analyze(DataAs<TW_PALETTE8>(m_pData));
    return true;
}
bool CParaAnalyze::DatExtImageInfoAnalyze() {
    TwExtImageInfoAnalyze(DataAs<TW_EXTIMAGEINFO>(m_pData));
    return true;
}
bool CParaAnalyze::DatKqAutoExposureAnalyze() {
    TwKqAutoExposureAnalyze(DataAs<TWKQ_AUTOEXPOSURE>(m_pData));
    return true;
}
bool CParaAnalyze::DatKqRgbMatrixAnalyze() {
    TwKqRgbMatrixAnalyze(DataAs<TWKQ_RGBMATRIX>(m_pData));
    return true;
}
bool CParaAnalyze::DatKqColorSmoothingAnalyze() {
    TwKqColorSmoothingAnalyze(DataAs<TWKQ_COLORSMOOTHING>(m_pData));
    return true;
}
bool CParaAnalyze::DatKqEventAnalyze() {
    TwKqEventAnalyze();
    return true;
}
bool CParaAnalyze::DatHardwareInfoAnalyze() {
    TwHardwareInfoAnalyze(DataAs<TWKQ_HARDWAREINFO>(m_pData));
    return true;
}
bool CParaAnalyze::DatKqSkewInfoAnalyze() {
    TwKqSkewInfoAnalyze(DataAs<TWKQ_LOCATIONDATA>(m_pData));
    return true;
}
bool CParaAnalyze::DatUnsharpMaskAnalyze() {
    TwUnsharpMaskAnalyze(DataAs<TWKQ_USMPARAM>(m_pData));
    return true;
}
bool CParaAnalyze::DatKqRedCorrectionMatrixAnalyze() {
    TwKqRedCorrectionMatrixAnalyze();
    return true;
}
bool CParaAnalyze::DatKqTwainCallbackMsgAnalyze() {
    TwKqTwainCallbackMsgAnalyze();
    return true;
}
bool CParaAnalyze::DatKqSettingFrameAnalyze() {
    TwKqSettingFrameAnalyze(DataAs<TWKQ_SETTINGFRAME>(m_pData));
    return true;
}
bool CParaAnalyze::DatKqUsmInfoAnalyze() {
    TwKqUsmInfoAnalyze(DataAs<TWKQ_USMINFO>(m_pData));
    return true;
}
