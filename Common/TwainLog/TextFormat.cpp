#include "TextFormat.h"

#include <bit>
#include <cstring>

namespace {

constexpr int kMaxDigits = 32;

// "00" to "99": two decimal digits for each division by 100.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

void WritePair(uint32_t below100, char* out) { memcpy(out, kDigitPairs + 2 * below100, 2); }

// Up to five digits, the usual size of a number in a trace, without a loop.
size_t WriteBelow100000(uint32_t value, char* out) {
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

size_t DecimalDigits(uint64_t value) {
    size_t count = 1;
    while (value >= 10000) {
        value /= 10000;
        count += 4;
    }
    return count + (value >= 10) + (value >= 100) + (value >= 1000);
}

// The decimal digits of value, ending just before end; 32-bit steps where the
// value allows, since they cost less than 64-bit ones.
void WriteDecimalBackwards(uint64_t value, char* end) {
    while (value > UINT32_MAX) {
        uint64_t quotient = value / 100;
        end -= 2;
        WritePair(static_cast<uint32_t>(value - quotient * 100), end);
        value = quotient;
    }
    auto small = static_cast<uint32_t>(value);
    while (small >= 100) {
        uint32_t quotient = small / 100;
        end -= 2;
        WritePair(small - quotient * 100, end);
        small = quotient;
    }
    if (small >= 10) WritePair(small, end - 2);
    else end[-1] = static_cast<char>('0' + small);
}

// Zero-filled on the left to minDigits (capped at kMaxDigits); returns the length.
size_t PadTo(int minDigits, size_t count, char* out) {
    if (minDigits > kMaxDigits) minDigits = kMaxDigits;
    if (minDigits <= 0 || count >= static_cast<size_t>(minDigits)) return 0;
    size_t zeros = static_cast<size_t>(minDigits) - count;
    memset(out, '0', zeros);
    return zeros;
}

}  // namespace

size_t FormatUnsigned(uint64_t value, char* out, int minDigits) {
    if (value < 100000 && minDigits <= 1) return WriteBelow100000(static_cast<uint32_t>(value), out);
    size_t count = DecimalDigits(value);
    size_t zeros = PadTo(minDigits, count, out);
    WriteDecimalBackwards(value, out + zeros + count);
    return zeros + count;
}

size_t FormatSigned(int64_t value, char* out) {
    if (value >= 0) return FormatUnsigned(static_cast<uint64_t>(value), out);
    out[0] = '-';
    return 1 + FormatUnsigned(0 - static_cast<uint64_t>(value), out + 1);
}

size_t FormatHex(uint64_t value, char* out, int minDigits) {
    size_t count = value == 0 ? 1 : (static_cast<size_t>(std::bit_width(value)) + 3) / 4;
    size_t zeros = PadTo(minDigits, count, out);
    char* p = out + zeros + count;
    do {
        *--p = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    return zeros + count;
}

size_t FormatHexWithPrefix(uint64_t value, char* out, int minDigits) {
    out[0] = '0';
    out[1] = 'x';
    return 2 + FormatHex(value, out + 2, minDigits);
}

size_t FormatFix32(TW_FIX32 value, char* out) {
    // The value is exactly units / 65536; round units * 1000 / 65536 to an integer,
    // which stays below 2^25 and so takes 32-bit steps from here on.
    int64_t units = static_cast<int64_t>(value.Whole) * 65536 + value.Frac;
    bool negative = units < 0;
    uint64_t scaled = static_cast<uint64_t>(negative ? -units : units) * 1000;
    auto thousandths = static_cast<uint32_t>(scaled >> 16);
    uint32_t rest = static_cast<uint32_t>(scaled & 0xFFFF);
    if (rest > 0x8000 || (rest == 0x8000 && (thousandths & 1))) ++thousandths;
    size_t n = 0;
    if (negative) out[n++] = '-';
    uint32_t whole = thousandths / 1000;
    uint32_t fraction = thousandths - whole * 1000;
    n += WriteBelow100000(whole, out + n);
    out[n] = '.';
    out[n + 1] = static_cast<char>('0' + fraction / 100);
    WritePair(fraction % 100, out + n + 2);
    return n + 4;
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
