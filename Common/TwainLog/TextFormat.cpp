#include "TextFormat.h"

#include <bit>
#include <cstring>

namespace {

constexpr int kMaxDigits = 32;

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

size_t FormatUnsignedInFull(uint64_t value, char* out, int minDigits) {
    if (value < 100000 && minDigits == 5) {
        // The record number.
        auto below = static_cast<uint32_t>(value);
        uint32_t top = below / 10000;
        uint32_t rest = below - top * 10000;
        out[0] = static_cast<char>('0' + top);
        WritePair(rest / 100, out + 1);
        WritePair(rest % 100, out + 3);
        return 5;
    }
    size_t count = DecimalDigits(value);
    size_t zeros = PadTo(minDigits, count, out);
    WriteDecimalBackwards(value, out + zeros + count);
    return zeros + count;
}

size_t FormatHexInFull(uint64_t value, char* out, int minDigits) {
    size_t count = value == 0 ? 1 : (static_cast<size_t>(std::bit_width(value)) + 3) / 4;
    size_t zeros = PadTo(minDigits, count, out);
    char* p = out + zeros + count;
    do {
        *--p = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    return zeros + count;
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

size_t ShownTextBytes(const char* text, size_t length, size_t outSize) {
    size_t used = 0;
    for (size_t i = 0; i < length; ++i) {
        char c = text[i];
        size_t width = IsShownAsStored(c) ? 1 : (c == '\r' || c == '\n' || c == '\t') ? 2 : kShownCharBytes;
        if (outSize - used < width) return i;
        used += width;
    }
    return length;
}
