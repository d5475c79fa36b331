// Number formatting for the trace, without printf: a record is formatted on every
// triplet of a scan, and printf's parsing costs more than the writes the trace must
// make anyway. Each function writes its digits to out (no NUL) and returns how many.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

#include <cstring>

#include "../TwainTypes.h"

// A text copied whole or cut to the buffer, always NUL-terminated (nothing for
// an empty buffer).
inline void CopyText(const char* text, size_t length, char* out, size_t outSize) {
    if (!out || outSize == 0) return;
    if (length > outSize - 1) length = outSize - 1;
    memcpy(out, text, length);
    out[length] = '\0';
}

inline void CopyText(const char* text, char* out, size_t outSize) {
    CopyText(text, strnlen(text, outSize), out, outSize);
}

// A value of type T at any address, read byte by byte: structures and item lists
// from the other side need not be aligned.
template <typename T>
T ReadUnaligned(const void* p) {
    T value;
    memcpy(&value, p, sizeof(value));
    return value;
}

// Room for any number these functions write.
inline constexpr size_t kNumberTextSize = 48;

// "00" to "99": two decimal digits for each division by 100.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline void WritePair(uint32_t below100, char* out) { memcpy(out, kDigitPairs + 2 * below100, 2); }

// Up to five digits, the usual size of a number in a trace, without a loop.
// Inline, as the functions below that use it: item lists format one per item.
inline size_t WriteBelow100000(uint32_t value, char* out) {
    if (value < 10) {
        out[0] = static_cast<char>('0' + value);
        return 1;
    }
    if (value < 100) {
        WritePair(value, out);
        return 2;
    }
    if (value < 10000) {
        uint32_t high = value / 100;
        uint32_t low = value - high * 100;
        if (high < 10) {
            out[0] = static_cast<char>('0' + high);
            WritePair(low, out + 1);
            return 3;
        }
        WritePair(high, out);
        WritePair(low, out + 2);
        return 4;
    }
    uint32_t top = value / 10000;
    uint32_t rest = value - top * 10000;
    uint32_t high = rest / 100;
    out[0] = static_cast<char>('0' + top);
    WritePair(high, out + 1);
    WritePair(rest - high * 100, out + 3);
    return 5;
}

// The general cases of FormatUnsigned and FormatHex.
size_t FormatUnsignedInFull(uint64_t value, char* out, int minDigits);
size_t FormatHexInFull(uint64_t value, char* out, int minDigits);

// "%0*llu" with minDigits capped at 32. The usual numbers of a record take the
// inline path.
inline size_t FormatUnsigned(uint64_t value, char* out, int minDigits = 1) {
    if (value < 100000 && minDigits <= 1) return WriteBelow100000(static_cast<uint32_t>(value), out);
    return FormatUnsignedInFull(value, out, minDigits);
}

// "%lld".
inline size_t FormatSigned(int64_t value, char* out) {
    if (value >= 0) return FormatUnsigned(static_cast<uint64_t>(value), out);
    out[0] = '-';
    return 1 + FormatUnsigned(0 - static_cast<uint64_t>(value), out + 1);
}

// "%0*llx", lower case, minDigits capped at 32. Pointers and handles, eight
// digits of 32 bits, take the inline path: all eight at once, nibble by byte.
inline size_t FormatHex(uint64_t value, char* out, int minDigits = 1) {
    if (minDigits != 8 || value > UINT32_MAX) return FormatHexInFull(value, out, minDigits);
    uint64_t x = value;
    x = ((x & 0xFFFF0000u) << 16) | (x & 0xFFFFu);
    x = ((x & 0x0000FF000000FF00ull) << 8) | (x & 0x000000FF000000FFull);
    x = ((x & 0x00F000F000F000F0ull) << 4) | (x & 0x000F000F000F000Full);
    // Each byte now holds one digit, the first in the highest byte.
    uint64_t letters = ((x + 0x0606060606060606ull) >> 4) & 0x0101010101010101ull;
    x += 0x3030303030303030ull + letters * ('a' - '0' - 10);
    x = __builtin_bswap64(x);
    memcpy(out, &x, sizeof(x));
    return 8;
}

// "0x%0*llx": the prefix and at least minDigits lower-case digits.
inline size_t FormatHexWithPrefix(uint64_t value, char* out, int minDigits = 1) {
    out[0] = '0';
    out[1] = 'x';
    return 2 + FormatHex(value, out + 2, minDigits);
}

// ".000" to ".999": the end of every "%.3f".
inline constexpr auto kPointThousandths = [] {
    std::array<std::array<char, 4>, 1000> points{};
    for (size_t i = 0; i < points.size(); ++i) {
        points[i] = {'.', static_cast<char>('0' + i / 100), static_cast<char>('0' + i / 10 % 10),
                     static_cast<char>('0' + i % 10)};
    }
    return points;
}();

// "%.3f" of Whole + Frac / 65536, exactly as printf rounds the double (to nearest,
// ties to even; a negative value keeps its sign even when it rounds to zero).
// Item lists are mostly these, so it takes few steps.
inline size_t FormatFix32(TW_FIX32 value, char* out) {
    static_assert(std::endian::native == std::endian::little, "the stores put the first character lowest");
    // The value is exactly units / 65536, units being the 32 bits Whole:Frac;
    // units * 1000 / 65536 rounded is below 2^25, so 32-bit steps follow.
    uint32_t bits = std::rotl(ReadUnaligned<uint32_t>(&value), 16);
    bool negative = static_cast<int32_t>(bits) < 0;
    uint64_t scaled = uint64_t{negative ? 0 - bits : bits} * 1000;
    auto thousandths = static_cast<uint32_t>((scaled + 0x7FFF + ((scaled >> 16) & 1)) >> 16);
    out[0] = '-';
    out += negative;
    uint32_t whole = thousandths / 1000;
    size_t n = WriteBelow100000(whole, out);
    memcpy(out + n, kPointThousandths[thousandths - whole * 1000].data(), 4);
    return negative + n + 4;
}

// The bytes of a string as the trace shows them: as stored, except the control
// characters (below 0x20, and 0x7F), which are written as \r, \n, \t or \xHH, so
// that text from the other side can neither break a record into forged lines nor
// send commands to the terminal of whoever reads the trace. Writes at most outSize
// bytes, no NUL, never half an escape; returns how many. kShownCharBytes * length
// bytes always hold the whole text.
inline constexpr size_t kShownCharBytes = 4;
size_t FormatShownText(const char* text, size_t length, char* out, size_t outSize);
// How many bytes of the text FormatShownText shows in outSize bytes: all of them
// unless the escaped text is longer.
size_t ShownTextBytes(const char* text, size_t length, size_t outSize);
