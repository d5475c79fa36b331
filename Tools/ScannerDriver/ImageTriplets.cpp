// The image group: what the page will be, its layout, the two transfers, and the
// colour descriptions a real scanner reports.
#include "CDSMInterface.h"

#include <algorithm>
#include <cstring>
#include <iterator>

#include "ScannedPage.h"
#include "ScannerDriver.h"

namespace {

constexpr TW_UINT16 kPaletteGray = 1;  // TW_PALETTE8.PaletteType

// The standard JPEG quantisation tables, in natural order.
constexpr unsigned char kLumaQuant[64] = {
    16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
    14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
    18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99,
};
constexpr unsigned char kChromaQuant[64] = {
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
    99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
};

TW_DECODEFUNCTION Decode(double breakIn, double breakOut, double gamma) {
    return TW_DECODEFUNCTION{ToFix32(0), ToFix32(breakIn), ToFix32(1), ToFix32(0),
                             ToFix32(breakOut), ToFix32(1), ToFix32(gamma), ToFix32(0)};
}

void SetMix(TW_TRANSFORMSTAGE& stage, const double (&mix)[3][3]) {
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) stage.Mix[i][j] = ToFix32(mix[i][j]);
}

TW_CIEPOINT Point(double x, double y, double z) {
    return TW_CIEPOINT{ToFix32(x), ToFix32(y), ToFix32(z)};
}

}  // namespace

void CScannerDriver::ResetJpegTables() {
    std::memcpy(m_aLumaQuant, kLumaQuant, sizeof(m_aLumaQuant));
    std::memcpy(m_aChromaQuant, kChromaQuant, sizeof(m_aChromaQuant));
}

TW_UINT16 CScannerDriver::ImageInfo(TW_UINT16, void* pData) {
    const CScannedPage page(m_cSettings);
    TW_IMAGEINFO info{};
    info.XResolution = ToFix32(page.xResolution);
    info.YResolution = ToFix32(page.yResolution);
    info.ImageWidth = static_cast<TW_INT32>(page.width);
    info.ImageLength = static_cast<TW_INT32>(page.length);
    info.SamplesPerPixel = page.samplesPerPixel;
    for (TW_INT16 i = 0; i < page.samplesPerPixel; ++i)
        info.BitsPerSample[i] = static_cast<TW_INT16>(page.bitsPerSample);
    info.BitsPerPixel = static_cast<TW_INT16>(page.samplesPerPixel * page.bitsPerSample);
    info.Planar = 0;
    info.PixelType = static_cast<TW_INT16>(page.pixelType);
    info.Compression = TWCP_NONE;
    *static_cast<TW_IMAGEINFO*>(pData) = info;
    return TWRC_SUCCESS;
}

// The layout's frame is ICAP_FRAMES' frame; both are in the current units.
TW_UINT16 CScannerDriver::ImageLayout(TW_UINT16 msg, void* pData) {
    auto* layout = static_cast<TW_IMAGELAYOUT*>(pData);
    switch (msg) {
    case MSG_SET: {
        const TW_UINT16 cc = m_cSettings.SetFrame(layout->Frame);
        if (cc != TWCC_SUCCESS) return Fail(cc);
        m_nDocumentNumber = layout->DocumentNumber;
        m_nPageNumber = layout->PageNumber;
        m_nFrameNumber = layout->FrameNumber;
        return TWRC_SUCCESS;
    }
    case MSG_GETDEFAULT:
        *layout = TW_IMAGELAYOUT{m_cSettings.DefaultFrame(), 1, 1, 1};
        return TWRC_SUCCESS;
    case MSG_RESET:
        m_cSettings.ResetFrame();
        m_nDocumentNumber = m_nPageNumber = m_nFrameNumber = 1;
        break;
    default: break;
    }
    *layout = TW_IMAGELAYOUT{m_cSettings.CurrentFrame(), m_nDocumentNumber, m_nPageNumber, m_nFrameNumber};
    return TWRC_SUCCESS;
}

// One strip per call: as many whole rows as the application's buffer holds.
// The last strip answers TWRC_XFERDONE.
TW_UINT16 CScannerDriver::MemoryTransfer(TW_UINT16, void* pData) {
    if (m_cSettings.XferMech() != TWSX_MEMORY || m_bTransferDone) return Fail(TWCC_SEQERROR);
    auto* xfer = static_cast<TW_IMAGEMEMXFER*>(pData);
    const TW_MEMORY memory = xfer->Memory;
    const TW_UINT32 place = memory.Flags & (kMemoryHandle | kMemoryPointer);
    if (!(memory.Flags & kMemoryAppOwns) || !memory.TheMem || (place != kMemoryHandle && place != kMemoryPointer))
        return Fail(TWCC_BADVALUE);

    const CScannedPage page(m_cSettings);
    const TW_UINT32 rows = std::min(memory.Length / page.bytesPerRow, page.length - m_nNextRow);
    TW_HANDLE handle = place == kMemoryHandle ? static_cast<TW_HANDLE>(memory.TheMem) : nullptr;
    // A handle must hold what the application says it does; 0 for one that is not live.
    if (rows == 0 || (handle && CDSMInterface::MemorySize(handle) < memory.Length)) return Fail(TWCC_BADVALUE);

    unsigned char* buffer =
        static_cast<unsigned char*>(handle ? static_cast<void*>(CDSMInterface::LockMemory(handle)) : memory.TheMem);
    page.WriteRows(m_nNextRow, rows, buffer);
    if (handle) CDSMInterface::UnlockMemory(handle);

    xfer->Compression = TWCP_NONE;
    xfer->BytesPerRow = page.bytesPerRow;
    xfer->Columns = page.width;
    xfer->Rows = rows;
    xfer->XOffset = 0;
    xfer->YOffset = m_nNextRow;
    xfer->BytesWritten = rows * page.bytesPerRow;
    m_nNextRow += rows;
    m_nState = kTransferring;
    if (m_nNextRow < page.length) return TWRC_SUCCESS;
    m_bTransferDone = true;
    ++m_nImagesScanned;
    return TWRC_XFERDONE;
}

// The whole page in a new handle stored at the data pointer; the application owns it.
TW_UINT16 CScannerDriver::NativeTransfer(TW_UINT16, void* pData) {
    if (m_cSettings.XferMech() != TWSX_NATIVE) return Fail(TWCC_SEQERROR);
    const CScannedPage page(m_cSettings);
    TW_HANDLE h = CDSMInterface::AllocMemory(static_cast<unsigned int>(page.TotalBytes()));
    if (!h) return Fail(TWCC_LOWMEMORY);
    page.WriteRows(0, page.length, reinterpret_cast<unsigned char*>(CDSMInterface::LockMemory(h)));
    CDSMInterface::UnlockMemory(h);
    *static_cast<TW_HANDLE*>(pData) = h;
    m_nState = kTransferring;
    m_bTransferDone = true;
    ++m_nImagesScanned;
    return TWRC_XFERDONE;
}

// Baseline YUV 4:2:2 with the standard quantisation tables, lent by the driver;
// the Huffman tables are the defaults (none given).
TW_UINT16 CScannerDriver::JpegCompression(TW_UINT16, void* pData) {
    TW_JPEGCOMPRESSION jpeg{};
    jpeg.ColorSpace = TWPT_YUV;
    jpeg.SubSampling = 0x21111100;  // a byte per component Y, U, V, K: horizontal and vertical factor
    jpeg.NumComponents = 3;
    jpeg.RestartFrequency = 0;
    const TW_UINT16 map[4] = {0, 1, 1, 0};
    std::copy(std::begin(map), std::end(map), jpeg.QuantMap);
    std::copy(std::begin(map), std::end(map), jpeg.HuffmanMap);
    jpeg.QuantTable[0] = TW_MEMORY{kMemoryDsOwns | kMemoryPointer, sizeof(m_aLumaQuant), m_aLumaQuant};
    jpeg.QuantTable[1] = TW_MEMORY{kMemoryDsOwns | kMemoryPointer, sizeof(m_aChromaQuant), m_aChromaQuant};
    *static_cast<TW_JPEGCOMPRESSION*>(pData) = jpeg;
    return TWRC_SUCCESS;
}

// sRGB in CIE XYZ, D65 white.
TW_UINT16 CScannerDriver::CieColor(TW_UINT16, void* pData) {
    constexpr double kSrgbToXyz[3][3] = {{0.4124, 0.3576, 0.1805}, {0.2126, 0.7152, 0.0722}, {0.0193, 0.1192, 0.9505}};
    constexpr double kIdentity[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    TW_CIECOLOR cie{};
    cie.ColorSpace = TWPT_CIEXYZ;
    cie.LowEndian = 0;
    cie.DeviceDependent = 0;
    cie.VersionNumber = 1;
    for (TW_DECODEFUNCTION& decode : cie.StageABC.Decode) decode = Decode(0.04045, 0.0031308, 2.4);
    SetMix(cie.StageABC, kSrgbToXyz);
    for (TW_DECODEFUNCTION& decode : cie.StageLMN.Decode) decode = Decode(0.5, 0.5, 1.0);
    SetMix(cie.StageLMN, kIdentity);
    cie.WhitePoint = Point(0.9505, 1.0, 1.089);
    cie.BlackPoint = Point(0, 0, 0);
    cie.WhitePaper = Point(0.9505, 1.0, 1.089);
    cie.BlackInk = Point(0, 0, 0);
    cie.Samples[0] = ToFix32(0);
    *static_cast<TW_CIECOLOR*>(pData) = cie;
    return TWRC_SUCCESS;
}

// Accepted and not applied: the simulated page has no tone curve. The curve's
// length depends on the bit depth and is not known from the pointer, so it is
// not read.
TW_UINT16 CScannerDriver::ResponseCurve(TW_UINT16, void*) {
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::Palette(TW_UINT16, void* pData) {
    auto* palette = static_cast<TW_PALETTE8*>(pData);
    palette->NumColors = 256;
    palette->PaletteType = kPaletteGray;
    for (int i = 0; i < 256; ++i) {
        const auto level = static_cast<TW_UINT8>(i);
        palette->Colors[i] = TW_ELEMENT8{level, level, level, level};
    }
    return TWRC_SUCCESS;
}

// Only the first TW_INFO is answered: the list's true length is the
// application's claim and cannot be checked.
TW_UINT16 CScannerDriver::ExtImageInfo(TW_UINT16, void* pData) {
    auto* ext = static_cast<TW_EXTIMAGEINFO*>(pData);
    if (ext->NumInfos == 0) return TWRC_SUCCESS;
    struct Known {
        TW_UINT16 id;
        TW_UINT16 itemType;
        TW_UINT32 value;
    };
    const Known known[] = {
        {kInfoDocumentNumber, TWTY_UINT32, m_nDocumentNumber},
        {kInfoPageNumber, TWTY_UINT32, m_nPageNumber},
        {kInfoFrameNumber, TWTY_UINT32, m_nFrameNumber},
        {kInfoPixelFlavor, TWTY_UINT16, TWPF_CHOCOLATE},
    };
    TW_INFO& info = ext->Info[0];
    info.NumItems = 0;
    info.CondCode = TWRC_INFONOTSUPPORTED;
    info.Item = 0;
    for (const Known& k : known) {
        if (k.id != info.InfoID) continue;
        info.ItemType = k.itemType;
        info.NumItems = 1;
        info.CondCode = TWRC_SUCCESS;
        info.Item = k.value;
    }
    return TWRC_SUCCESS;
}
