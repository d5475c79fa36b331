// Number formatting for the trace, without printf: a record is formatted on every
// triplet of a scan, and printf's parsing costs more than the writes the trace must
// make anyway. Each function writes its digits to out (no NUL) and returns how many.
#pragma once

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

// "%0*llu" with minDigits capped at 32.
size_t FormatUnsigned(uint64_t value, char* out, int minDigits = 1);
// "%lld".
size_t FormatSigned(int64_t value, char* out);
// "%0*llx", lower case, minDigits capped at 32.
size_t FormatHex(uint64_t value, char* out, int minDigits = 1);
// "0x%0*llx": the prefix and at least minDigits lower-case digits.
size_t FormatHexWithPrefix(uint64_t value, char* out, int minDigits = 1);
// "%.3f" of Whole + Frac / 65536, exactly as printf rounds the double (to nearest,
// ties to even; a negative value keeps its sign even when it rounds to zero).
size_t FormatFix32(TW_FIX32 value, char* out);

// The bytes of a string as the trace shows them: as stored, except the control
// characters (below 0x20, and 0x7F), which are written as \r, \n, \t or \xHH, so
// that text from the other side can neither break a record into forged lines nor
// send commands to the terminal of whoever reads the trace. Writes at most outSize
// bytes, no NUL, never half an escape; returns how many. kShownCharBytes * length
// bytes always hold the whole text.
inline constexpr size_t kShownCharBytes = 4;
size_t FormatShownText(const char* text, size_t length, char* out, size_t outSize);
