#include "ScannedPage.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

TW_UINT32 Pixels(double inches, double dpi) {
    return std::max<TW_UINT32>(1, static_cast<TW_UINT32>(std::lround(inches * dpi)));
}

// `position` of `extent` as a sample value of `bits` bits.
TW_UINT32 Ramp(TW_UINT32 position, TW_UINT32 extent, TW_UINT16 bits) {
    const uint64_t top = (uint64_t{1} << bits) - 1;
    return extent > 1 ? static_cast<TW_UINT32>(position * top / (extent - 1)) : 0;
}

unsigned char* PutSample(unsigned char* pOut, TW_UINT32 value, TW_UINT16 bits) {
    *pOut++ = static_cast<unsigned char>(value);
    if (bits == 16) *pOut++ = static_cast<unsigned char>(value >> 8);
    return pOut;
}

}  // namespace

CScannedPage::CScannedPage(const CCapabilities& settings)
    : pixelType(settings.PixelType()),
      bitsPerSample(settings.BitDepth()),
      samplesPerPixel(pixelType == TWPT_RGB ? 3 : 1),
      xResolution(settings.XResolution()),
      yResolution(settings.YResolution()) {
    const TW_FRAME frame = settings.FrameInches();
    width = Pixels(FromFix32(frame.Right) - FromFix32(frame.Left), xResolution);
    length = Pixels(FromFix32(frame.Bottom) - FromFix32(frame.Top), yResolution);
    const uint64_t bitsPerRow = uint64_t{width} * static_cast<TW_UINT32>(samplesPerPixel) * bitsPerSample;
    bytesPerRow = static_cast<TW_UINT32>((bitsPerRow + 7) / 8);
}

void CScannedPage::WriteRows(TW_UINT32 first, TW_UINT32 count, unsigned char* pOut) const {
    for (TW_UINT32 row = first; row < first + count; ++row, pOut += bytesPerRow) WriteRow(row, pOut);
}

void CScannedPage::WriteRow(TW_UINT32 row, unsigned char* pOut) const {
    if (pixelType == TWPT_BW) {
        const TW_UINT32 squareX = std::max<TW_UINT32>(1, static_cast<TW_UINT32>(xResolution / 4));
        const TW_UINT32 squareY = std::max<TW_UINT32>(1, static_cast<TW_UINT32>(yResolution / 4));
        std::memset(pOut, 0, bytesPerRow);
        for (TW_UINT32 x = 0; x < width; ++x) {
            const bool white = (x / squareX + row / squareY) % 2 != 0;
            if (white) pOut[x / 8] |= static_cast<unsigned char>(0x80 >> (x % 8));
        }
        return;
    }
    for (TW_UINT32 x = 0; x < width; ++x) {
        if (pixelType == TWPT_RGB) {
            const TW_UINT32 red = Ramp(x, width, bitsPerSample);
            pOut = PutSample(pOut, red, bitsPerSample);
            pOut = PutSample(pOut, Ramp(row, length, bitsPerSample), bitsPerSample);
            pOut = PutSample(pOut, Ramp(width - 1 - x, width, bitsPerSample), bitsPerSample);
        } else {
            pOut = PutSample(pOut, Ramp(x + row, width + length - 1, bitsPerSample), bitsPerSample);
        }
    }
}
