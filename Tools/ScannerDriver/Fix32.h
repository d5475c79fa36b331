// TW_FIX32 to and from double, rounding to the nearest 1/65536.
#pragma once

#include <cstdint>

#include "TwainTypes.h"

constexpr TW_FIX32 ToFix32(double value) {
    const double scaled = value * 65536.0;
    // Round half away from zero; std::lround is not constexpr.
    const int64_t units = scaled >= 0 ? static_cast<int64_t>(scaled + 0.5) : -static_cast<int64_t>(-scaled + 0.5);
    return TW_FIX32{static_cast<TW_INT16>(units >> 16), static_cast<TW_UINT16>(units & 0xFFFF)};
}

constexpr double FromFix32(TW_FIX32 value) {
    return value.Whole + value.Frac / 65536.0;
}

// The value in 1/65536 units, ordered like the numbers it stands for.
constexpr int64_t Fix32Units(TW_FIX32 value) {
    return static_cast<int64_t>(value.Whole) * 65536 + value.Frac;
}

// The 4 bytes of a TW_FIX32 as one little-endian word, the way a container item holds it.
constexpr TW_UINT32 Fix32Word(TW_FIX32 value) {
    return static_cast<TW_UINT16>(value.Whole) | static_cast<TW_UINT32>(value.Frac) << 16;
}

constexpr TW_FIX32 Fix32FromWord(TW_UINT32 word) {
    return TW_FIX32{static_cast<TW_INT16>(word & 0xFFFF), static_cast<TW_UINT16>(word >> 16)};
}
