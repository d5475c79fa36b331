// The dispatchers: one per DAT, each handing the triplet's data to its renderer.
#include <cstddef>

#include "ParaAnalyze.h"

namespace {

struct DispatchRow {
    TW_UINT16 dat;
    bool (CParaAnalyze::*dispatcher)();
    // Bytes that every instance of the DAT's data holds: the whole structure, or
    // the part before a list of its own length; 0 where no structure is known.
    size_t dataBytes;
};

constexpr DispatchRow kDispatch[] = {
    {DAT_NULL, &CParaAnalyze::DatNullAnalyze, 0},
    {DAT_CAPABILITY, &CParaAnalyze::DatCapabilityAnalyze, sizeof(TW_CAPABILITY)},
    {DAT_EVENT, &CParaAnalyze::DatEventAnalyze, sizeof(TW_EVENT)},
    {DAT_IDENTITY, &CParaAnalyze::DatIdentityAnalyze, sizeof(TW_IDENTITY)},
    {DAT_PARENT, &CParaAnalyze::DatParentAnalyze, 0},
    {DAT_PENDINGXFERS, &CParaAnalyze::DatPendingXfersAnalyze, sizeof(TW_PENDINGXFERS)},
    {DAT_SETUPMEMXFER, &CParaAnalyze::DatSetupMemXferAnalyze, sizeof(TW_SETUPMEMXFER)},
    {DAT_SETUPFILEXFER, &CParaAnalyze::DatSetupFileXferAnalyze, sizeof(TW_SETUPFILEXFER)},
    {DAT_STATUS, &CParaAnalyze::DatStatusAnalyze, sizeof(TW_STATUS)},
    {DAT_USERINTERFACE, &CParaAnalyze::DatUserInterfaceAnalyze, sizeof(TW_USERINTERFACE)},
    {DAT_XFERGROUP, &CParaAnalyze::DatXferGroupAnalyze, sizeof(TW_UINT32)},
    {DAT_TWUNKIDENTITY, &CParaAnalyze::DatTwunkIdentityAnalyze, 0},
    {DAT_CUSTOMDSDATA, &CParaAnalyze::DatCustomDsDataAnalyze, sizeof(TW_CUSTOMDSDATA)},
    {DAT_IMAGEINFO, &CParaAnalyze::DatImageInfoAnalyze, sizeof(TW_IMAGEINFO)},
    {DAT_IMAGELAYOUT, &CParaAnalyze::DatImageLayoutAnalyze, sizeof(TW_IMAGELAYOUT)},
    {DAT_IMAGEMEMXFER, &CParaAnalyze::DatImageMemXferAnalyze, sizeof(TW_IMAGEMEMXFER)},
    {DAT_IMAGENATIVEXFER, &CParaAnalyze::DatImageNativeXferAnalyze, sizeof(TW_HANDLE)},
    {DAT_IMAGEFILEXFER, &CParaAnalyze::DatImageFileXferAnalyze, 0},
    {DAT_CIECOLOR, &CParaAnalyze::DatCieColorAnalyze, sizeof(TW_CIECOLOR)},
    {DAT_GRAYRESPONSE, &CParaAnalyze::DatGrayResponseAnalyze, sizeof(TW_GRAYRESPONSE)},
    {DAT_RGBRESPONSE, &CParaAnalyze::DatRgbResponseAnalyze, sizeof(TW_RGBRESPONSE)},
    {DAT_JPEGCOMPRESSION, &CParaAnalyze::DatJpegCompressionAnalyze, sizeof(TW_JPEGCOMPRESSION)},
    {DAT_PALETTE8, &CParaAnalyze::DatPalette8Analyze, sizeof(TW_PALETTE8)},
    {DAT_EXTIMAGEINFO, &CParaAnalyze::DatExtImageInfoAnalyze, offsetof(TW_EXTIMAGEINFO, Info)},
    {DAT_KQ_AUTOEXPOSURE, &CParaAnalyze::DatKqAutoExposureAnalyze, sizeof(TWKQ_AUTOEXPOSURE)},
    {DAT_KQ_RGBMATRIX, &CParaAnalyze::DatKqRgbMatrixAnalyze, sizeof(TWKQ_RGBMATRIX)},
    {DAT_KQ_COLORSMOOTHING, &CParaAnalyze::DatKqColorSmoothingAnalyze, sizeof(TWKQ_COLORSMOOTHING)},
    {DAT_KQ_EVENT, &CParaAnalyze::DatKqEventAnalyze, 0},
    {DAT_KQ_HARDWAREINFO, &CParaAnalyze::DatHardwareInfoAnalyze, sizeof(TWKQ_HARDWAREINFO)},
    {DAT_KQ_SKEWINFO, &CParaAnalyze::DatKqSkewInfoAnalyze, sizeof(TWKQ_LOCATIONDATA)},
    {DAT_KQ_UNSHARPMASKPARAM, &CParaAnalyze::DatUnsharpMaskAnalyze, sizeof(TWKQ_USMPARAM)},
    {DAT_KQ_REDCORRECTIONMATRIX, &CParaAnalyze::DatKqRedCorrectionMatrixAnalyze, 0},
    {DAT_KQ_TWAINCALLBACKMSG, &CParaAnalyze::DatKqTwainCallbackMsgAnalyze, 0},
    {DAT_KQ_SETTINGFRAME, &CParaAnalyze::DatKqSettingFrameAnalyze, sizeof(TWKQ_SETTINGFRAME)},
    {DAT_KQ_USMINFO, &CParaAnalyze::DatKqUsmInfoAnalyze, sizeof(TWKQ_USMINFO)},
    {DAT_DEVICEEVENT, &CParaAnalyze::DatDeviceEventAnalyze, sizeof(TW_DEVICEEVENT)},
    {DAT_FILESYSTEM, &CParaAnalyze::DatFileSystemAnalyze, sizeof(TW_FILESYSTEM)},
    {DAT_PASSTHRU, &CParaAnalyze::DatPassThruAnalyze, sizeof(TW_PASSTHRU)},
    {DAT_CALLBACK, &CParaAnalyze::DatCallbackAnalyze, sizeof(TW_CALLBACK)},
    {DAT_STATUSUTF8, &CParaAnalyze::DatStatusUtf8Analyze, sizeof(TW_STATUSUTF8)},
    {DAT_CALLBACK2, &CParaAnalyze::DatCallback2Analyze, sizeof(TW_CALLBACK2)},
    {DAT_METRICS, &CParaAnalyze::DatMetricsAnalyze, sizeof(TW_METRICS)},
    {DAT_TWAINDIRECT, &CParaAnalyze::DatTwainDirectAnalyze, sizeof(TW_TWAINDIRECT)},
    {DAT_FILTER, &CParaAnalyze::DatFilterAnalyze, sizeof(TW_FILTER)},
    {DAT_AUDIOINFO, &CParaAnalyze::DatAudioInfoAnalyze, sizeof(TW_AUDIOINFO)},
    {DAT_AUDIONATIVEXFER, &CParaAnalyze::DatAudioNativeXferAnalyze, sizeof(TW_HANDLE)},
    {DAT_ICCPROFILE, &CParaAnalyze::DatIccProfileAnalyze, sizeof(TW_MEMORY)},
    {DAT_IMAGEMEMFILEXFER, &CParaAnalyze::DatImageMemFileXferAnalyze, sizeof(TW_IMAGEMEMXFER)},
    // Only Size is sure to be there: the rest is read as far as Size reaches.
    {DAT_ENTRYPOINT, &CParaAnalyze::DatEntryPointAnalyze, sizeof(TW_UINT32)},
};

template <typename T>
T* DataAs(TW_MEMREF p) {
    return static_cast<T*>(p);
}

}  // namespace

size_t KnownDataBytes(TW_UINT16 dat) {
    for (const DispatchRow& row : kDispatch) {
        if (row.dat == dat) return row.dataBytes;
    }
    return 0;
}

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
bool CParaAnalyze::DatDeviceEventAnalyze() {
    TwDeviceEventAnalyze(DataAs<TW_DEVICEEVENT>(m_pData));
    return true;
}
bool CParaAnalyze::DatFileSystemAnalyze() {
    TwFileSystemAnalyze(DataAs<TW_FILESYSTEM>(m_pData));
    return true;
}
bool CParaAnalyze::DatPassThruAnalyze() {
    TwPassThruAnalyze(DataAs<TW_PASSTHRU>(m_pData));
    return true;
}
bool CParaAnalyze::DatCallbackAnalyze() {
    TwCallbackAnalyze(DataAs<TW_CALLBACK>(m_pData));
    return true;
}
bool CParaAnalyze::DatStatusUtf8Analyze() {
    TwStatusUtf8Analyze(DataAs<TW_STATUSUTF8>(m_pData));
    return true;
}
bool CParaAnalyze::DatCallback2Analyze() {
    TwCallback2Analyze(DataAs<TW_CALLBACK2>(m_pData));
    return true;
}
bool CParaAnalyze::DatMetricsAnalyze() {
    TwMetricsAnalyze(DataAs<TW_METRICS>(m_pData));
    return true;
}
bool CParaAnalyze::DatTwainDirectAnalyze() {
    TwTwainDirectAnalyze(DataAs<TW_TWAINDIRECT>(m_pData));
    return true;
}
bool CParaAnalyze::DatFilterAnalyze() {
    TwFilterAnalyze(DataAs<TW_FILTER>(m_pData));
    return true;
}
bool CParaAnalyze::DatAudioInfoAnalyze() {
    TwAudioInfoAnalyze(DataAs<TW_AUDIOINFO>(m_pData));
    return true;
}
// The audio handle is handed back as the image's is.
bool CParaAnalyze::DatAudioNativeXferAnalyze() {
    TwUint32(m_pData);
    return true;
}
bool CParaAnalyze::DatIccProfileAnalyze() {
    TwMemoryAnalyze(DataAs<TW_MEMORY>(m_pData));
    return true;
}
bool CParaAnalyze::DatImageMemFileXferAnalyze() {
    TwImageMemXferAnalyze(DataAs<TW_IMAGEMEMXFER>(m_pData));
    return true;
}
bool CParaAnalyze::DatEntryPointAnalyze() {
    TwEntryPointAnalyze(DataAs<TW_ENTRYPOINT>(m_pData));
    return true;
}
