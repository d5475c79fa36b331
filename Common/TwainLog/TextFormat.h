// Number formatting for the trace, without printf: a record is formatted on every
// triplet of a scan, and printf's parsing costs more than the writes the trace must
// make anyway. Each function writes its digits to out (no NUL) and returns how many.
#pragma once

#include <cstddef>
#include <cstdint>

#include "../TwainTypes.h"

// Room for any number these functions write.
inline constexpr size_t kNumberTextSize = 48;

// "%0*llu" with minDigits capped at 32.
size_t FormatUnsigned(uint64_t value, char* out, int minDigits = 1);
// "%lld".
size_t FormatSigned(int64_t value, char* out);
// "%0*llx", lower case, minDigits capped at 32.
size_t FormatHex(uint64_t value, char* out, int minDigits = 1);
// "%.3f" of Whole + Frac / 65536, exactly as printf rounds the double (to nearest,
// ties to even; a negative value keeps its sign even when it rounds to zero).
size_t FormatFix32(TW_FIX32 value, char* out);
