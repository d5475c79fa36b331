// The page the simulated scanner delivers: its size follows the current frame,
// resolution, pixel type and bit depth; its content is a test pattern that a
// viewer recognises at a glance (see WriteRow).
#pragma once

#include <cstddef>

#include "Capabilities.h"
#include "TwainTypes.h"

struct CScannedPage {
    explicit CScannedPage(const CCapabilities& settings);

    TW_UINT16 pixelType;
    TW_UINT16 bitsPerSample;
    TW_INT16 samplesPerPixel;
    double xResolution;
    double yResolution;
    TW_UINT32 width;   // pixels
    TW_UINT32 length;  // rows
    TW_UINT32 bytesPerRow;

    size_t TotalBytes() const { return static_cast<size_t>(bytesPerRow) * length; }

    // Row `row` (0 at the top) into bytesPerRow bytes at pOut. RGB: red rises from
    // left to right, green from top to bottom, blue falls from left to right;
    // gray: a diagonal ramp, dark at the top left; black and white: a
    // checkerboard of quarter-inch squares, black at the top left. 16-bit
    // samples are little-endian.
    void WriteRow(TW_UINT32 row, unsigned char* pOut) const;
    // `count` rows from `first` on, one after the other.
    void WriteRows(TW_UINT32 first, TW_UINT32 count, unsigned char* pOut) const;
};
