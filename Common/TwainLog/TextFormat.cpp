#include "TextFormat.h"

#include <cstring>

namespace {

constexpr int kMaxDigits = 32;

// The value's digits in base 10 or 16, zero-filled to minDigits; the base is a
// constant so that the divisions become multiplications.
template <unsigned base>
size_t FormatInBase(uint64_t value, char* out, int minDigits) {
    if (minDigits > kMaxDigits) minDigits = kMaxDigits;
    char digits[kNumberTextSize];
    char* end = digits + sizeof(digits);
    char* p = end;
    do {
        *--p = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    while (end - p < minDigits) *--p = '0';
    size_t count = static_cast<size_t>(end - p);
    memcpy(out, p, count);
    return count;
}

}  // namespace

size_t FormatUnsigned(uint64_t value, char* out, int minDigits) { return FormatInBase<10>(value, out, minDigits); }

size_t FormatSigned(int64_t value, char* out) {
    if (value >= 0) return FormatUnsigned(static_cast<uint64_t>(value), out);
    out[0] = '-';
    return 1 + FormatUnsigned(0 - static_cast<uint64_t>(value), out + 1);
}

size_t FormatHex(uint64_t value, char* out, int minDigits) { return FormatInBase<16>(value, out, minDigits); }

size_t FormatHexWithPrefix(uint64_t value, char* out, int minDigits) {
    out[0] = '0';
    out[1] = 'x';
    return 2 + FormatHex(value, out + 2, minDigits);
}

size_t FormatFix32(TW_FIX32 value, char* out) {
    // The value is exactly units / 65536; round units * 1000 / 65536 to an integer.
    int64_t units = static_cast<int64_t>(value.Whole) * 65536 + value.Frac;
    bool negative = units < 0;
    uint64_t scaled = static_cast<uint64_t>(negative ? -units : units) * 1000;
    uint64_t thousandths = scaled >> 16;
    uint64_t rest = scaled & 0xFFFF;
    if (rest > 0x8000 || (rest == 0x8000 && (thousandths & 1))) ++thousandths;
    size_t n = 0;
    if (negative) out[n++] = '-';
    n += FormatInBase<10>(thousandths / 1000, out + n, 1);
    unsigned fraction = static_cast<unsigned>(thousandths % 1000);
    out[n++] = '.';
    out[n++] = static_cast<char>('0' + fraction / 100);
    out[n++] = static_cast<char>('0' + fraction / 10 % 10);
    out[n++] = static_cast<char>('0' + fraction % 10);
    return n;
}

namespace {

bool IsShownAsStored(char c) { return static_cast<unsigned char>(c) >= 0x20 && c != 0x7F; }

// Whether any of eight bytes is a control character (below 0x20, or 0x7F): a
// byte below n shows as a borrow into its top bit of w - n, for n up to 0x80.
bool HasControlCharacter(uint64_t w) {
    constexpr uint64_t kOnes = 0x0101010101010101ull;
    constexpr uint64_t kTops = 0x8080808080808080ull;
    uint64_t delete7F = w ^ (kOnes * 0x7F);
    return (((w - kOnes * 0x20) & ~w) | ((delete7F - kOnes) & ~delete7F)) & kTops;
}

}  // namespace

size_t FormatShownText(const char* text, size_t length, char* out, size_t outSize) {
    size_t n = 0;
    for (size_t i = 0; i < length;) {
        // A run of bytes shown as stored goes out in one copy: most text is one
        // run, found eight bytes at a time.
        size_t end = i;
        while (length - end >= 8 && !HasControlCharacter(ReadUnaligned<uint64_t>(text + end))) end += 8;
        while (end < length && IsShownAsStored(text[end])) ++end;
        size_t run = end - i < outSize - n ? end - i : outSize - n;
        memcpy(out + n, text + i, run);
        n += run;
        if (end == length || run < end - i) break;

        unsigned char c = static_cast<unsigned char>(text[end]);
        char escape[kShownCharBytes] = {'\\', 'x', "0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 0xF]};
        size_t escapeLength = 4;
        if (c == '\r' || c == '\n' || c == '\t') {
            escape[1] = c == '\r' ? 'r' : c == '\n' ? 'n' : 't';
            escapeLength = 2;
        }
        if (outSize - n < escapeLength) break;
        memcpy(out + n, escape, escapeLength);
        n += escapeLength;
        i = end + 1;
    }
    return n;
}
