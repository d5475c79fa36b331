// The vendor's own triplets, with the values a Lumora 9000F reports.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "Capabilities.h"
#include "ScannedPage.h"
#include "ScannerDriver.h"

namespace {

// Scan-bed pixels at the optical resolution.
constexpr TW_UINT32 kOpticalResolution = 600;
constexpr auto kBedPixelsWide = static_cast<TW_UINT32>(kBedWidthInches * kOpticalResolution);
constexpr auto kBedPixelsHigh = static_cast<TW_UINT32>(kBedHeightInches * kOpticalResolution);

void SetCoefficients(TW_FIX32 (&out)[9], const double (&in)[9]) {
    for (size_t i = 0; i < 9; ++i) out[i] = ToFix32(in[i]);
}

// A Pascal string: the length byte, then the characters (at most 33).
void SetPascal(TWKQ_PSTR32& out, const char* text) {
    std::memset(out, 0, sizeof(out));
    const size_t length = std::min(std::strlen(text), sizeof(out) - 1);
    out[0] = static_cast<TW_UINT8>(length);
    std::memcpy(out + 1, text, length);
}

template <size_t N>
void SetText(char (&out)[N], const char* text) {
    std::memset(out, 0, N);
    std::memcpy(out, text, std::min(std::strlen(text), N - 1));
}

constexpr double kReflectiveCorrection[9] = {1.020, -0.015, -0.005, -0.010, 1.030, -0.020, 0.000, -0.025, 1.025};
constexpr double kPositiveCorrection[9] = {1.080, -0.060, -0.020, -0.040, 1.100, -0.060, -0.010, -0.070, 1.080};
constexpr double kNegativeCorrection[9] = {1.250, -0.180, -0.070, -0.120, 1.300, -0.180, -0.050, -0.200, 1.250};

}  // namespace

void CScannerDriver::ResetVendorSettings() {
    m_sAutoExposure = TWKQ_AUTOEXPOSURE{0, 0, 0, 850, 1100, TWKQ_FT_REFLECTIVE, TWKQ_PG_18, ToFix32(1.8), 128};
    SetCoefficients(m_sRgbMatrix.ColorCoeff, kReflectiveCorrection);
    m_sColorSmoothing = TWKQ_COLORSMOOTHING{0, 0, 550, 425, 0, 850, 550, 425, 1100, 0};
    m_sUnsharpMask = TWKQ_USMPARAM{100, 3, 0};
    m_sSettingFrame = TWKQ_SETTINGFRAME{1, 0};
}

TW_UINT16 CScannerDriver::AutoExposure(TW_UINT16 msg, void* pData) {
    auto* exposure = static_cast<TWKQ_AUTOEXPOSURE*>(pData);
    if (msg == MSG_GET) {
        *exposure = m_sAutoExposure;
        return TWRC_SUCCESS;
    }
    const bool areaOk = exposure->Left >= 0 && exposure->Top >= 0 && exposure->Left < exposure->Right &&
                        exposure->Top < exposure->Bottom;
    if (!areaOk || exposure->FilmType > TWKQ_FT_REFLECTIVEDOCUMENT || exposure->PreScanGamma > TWKQ_PG_18)
        return Fail(TWCC_BADVALUE);
    m_sAutoExposure = *exposure;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::RgbMatrix(TW_UINT16 msg, void* pData) {
    auto* matrix = static_cast<TWKQ_RGBMATRIX*>(pData);
    if (msg == MSG_GET)
        *matrix = m_sRgbMatrix;
    else
        m_sRgbMatrix = *matrix;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::ColorSmoothing(TW_UINT16 msg, void* pData) {
    auto* smoothing = static_cast<TWKQ_COLORSMOOTHING*>(pData);
    if (msg == MSG_GET)
        *smoothing = m_sColorSmoothing;
    else
        m_sColorSmoothing = *smoothing;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::HardwareInfo(TW_UINT16, void* pData) {
    TWKQ_HARDWAREINFO info{};
    info.ModelID = 0x1A;
    SetPascal(info.ProductName, "Lumora 9000F");
    SetPascal(info.ModelName, "LM-9000F");
    info.OptXResolution = kOpticalResolution;
    info.OptYResolution = kOpticalResolution;
    info.MinResolution = 75;
    info.MaxResolution = 600;
    info.MaxMoireResolution = 300;
    info.MaxPixelofWidth = kBedPixelsWide;
    info.PixelSizeofFB[0] = kBedPixelsWide;
    info.PixelSizeofFB[1] = kBedPixelsHigh;
    info.PixelSizeofTPU[0] = 1440;
    info.PixelSizeofTPU[1] = 5400;
    info.BitDepth = 0x18;  // 8 and 16 bits per sample
    info.InterfaceSupport = 1;
    info.CommandType = 2;
    info.ConnectInterfaceType = 1;
    info.StandAloneModeSupport = 0;
    info.FullAutoModeSupport = 1;
    info.SimpleModeSupport = 1;
    info.DocumentModeSupport = 1;
    info.AdvancedModeSupport = 1;
    info.ZLTSupport = 1;
    info.FIT3 = 0;
    info.AutoLayoutSupportFB = 1;
    info.AutoLayoutSupportADF = 0;
    info.HalftoneSupport = 1;
    info.HTModeSupport = 1;
    info.HTDitherSupport = 1;
    info.HTAASSupport = 0;
    info.HTTETSupport = 0;
    info.TableArrangement = TWKQ_TA_LENGTHWAYS;
    info.OptionSupport = 0x0005;  // film unit and auto exposure
    info.FocusSupport = 1;
    info.FocusArea[0] = 2550;
    info.FocusArea[1] = 3510;
    SetText(info.ProfileNameFB, "Lumora 9000F Reflective");
    SetText(info.ProfileNameTPU, "Lumora 9000F Film");
    SetCoefficients(info.ColorCorrectionFB, kReflectiveCorrection);
    SetCoefficients(info.ColorCorrectionPOSI, kPositiveCorrection);
    SetCoefficients(info.ColorCorrectionNEGA, kNegativeCorrection);
    SetCoefficients(info.ZLTColorCorrectionFB, kReflectiveCorrection);
    SetCoefficients(info.ZLTColorCorrectionPOSI, kPositiveCorrection);
    SetCoefficients(info.ZLTColorCorrectionNEGA, kNegativeCorrection);
    SetText(info.ROMVersion, "1.07");
    *static_cast<TWKQ_HARDWAREINFO*>(pData) = info;
    return TWRC_SUCCESS;
}

// Where the prescan found the document on the bed, and how far it is turned.
TW_UINT16 CScannerDriver::SkewInfo(TW_UINT16, void* pData) {
    const CScannedPage page(m_cSettings);
    const TW_UINT32 top = std::min<TW_UINT32>(12, page.length / 4);
    const TW_UINT32 left = std::min<TW_UINT32>(8, page.width / 4);
    *static_cast<TWKQ_LOCATIONDATA*>(pData) = TWKQ_LOCATIONDATA{
        static_cast<TW_INT16>(page.samplesPerPixel * page.bitsPerSample),
        top, left, page.width - 2 * left, page.length - 2 * top, page.width, page.length, 1000, 3, ToFix32(0.172)};
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::UnsharpMask(TW_UINT16 msg, void* pData) {
    auto* mask = static_cast<TWKQ_USMPARAM*>(pData);
    if (msg == MSG_GET) {
        *mask = m_sUnsharpMask;
        return TWRC_SUCCESS;
    }
    if (mask->Amount < 0 || mask->Amount > 500 || mask->Radius < 0 || mask->Radius > 50 || mask->Threshold < 0 ||
        mask->Threshold > 255)
        return Fail(TWCC_BADVALUE);
    m_sUnsharpMask = *mask;
    return TWRC_SUCCESS;
}

// The flatbed scans one frame; the application may only choose it.
TW_UINT16 CScannerDriver::SettingFrame(TW_UINT16 msg, void* pData) {
    auto* frame = static_cast<TWKQ_SETTINGFRAME*>(pData);
    if (msg == MSG_GET) {
        *frame = m_sSettingFrame;
        return TWRC_SUCCESS;
    }
    if (frame->CurrentNum >= m_sSettingFrame.NumFrame) return Fail(TWCC_BADVALUE);
    m_sSettingFrame.CurrentNum = frame->CurrentNum;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::UsmInfo(TW_UINT16, void* pData) {
    TWKQ_USMINFO info{};
    info.InputResolution = static_cast<TW_UINT16>(m_cSettings.XResolution());
    info.InUSMLevel = TWKQ_USM_MEDIUM;
    info.InFilmType = m_sAutoExposure.FilmType;
    info.USMParm = m_sUnsharpMask;
    info.ReviseParm = TWKQ_REVISEBASEPARM{{0, 16, 255, 240}, {0, 0, 255, 255}, 8};
    *static_cast<TWKQ_USMINFO*>(pData) = info;
    return TWRC_SUCCESS;
}
