#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <random>
#include <string>

#include "TextFormat.h"
#include "TraceBlock.h"

namespace {

// The rule FormatFix32 must match: "%.3f" of Whole + Frac / 65536 in double precision.
double Fix32ToDouble(TW_FIX32 v) { return v.Whole + v.Frac * 1.52587890625e-5; }

std::string Fix(uint32_t word) {
    TW_FIX32 v;
    memcpy(&v, &word, sizeof(v));
    char out[kNumberTextSize];
    return std::string(out, FormatFix32(v, out));
}

std::string Printf(uint32_t word) {
    TW_FIX32 v;
    memcpy(&v, &word, sizeof(v));
    char out[64];
    snprintf(out, sizeof(out), "%.3f", Fix32ToDouble(v));
    return out;
}

TEST(TextFormat, Fix32MatchesPrintfOnEveryFractionAndManyWholes) {
    for (int whole : {0, 1, -1, 2, -2, 300, -32768, 32767}) {
        for (uint32_t frac = 0; frac < 0x10000; ++frac) {
            uint32_t word = (frac << 16) | static_cast<uint16_t>(whole);
            ASSERT_EQ(Fix(word), Printf(word)) << std::hex << word;
        }
    }
    std::mt19937 random(7);
    for (int i = 0; i < 200000; ++i) {
        uint32_t word = random();
        ASSERT_EQ(Fix(word), Printf(word)) << std::hex << word;
    }
}

TEST(TextFormat, Fix32EdgeCases) {
    EXPECT_EQ(Fix(0x8000FFFF), "-0.500");  // Whole -1, Frac 0x8000
    EXPECT_EQ(Fix(0x40000001), "1.250");
    EXPECT_EQ(Fix(0x00010000), "0.000");
    EXPECT_EQ(Fix(0x10000000), "0.062");  // 62.5 thousandths: ties go to even
    EXPECT_EQ(Fix(0xFFFFFFFF), "-0.000");
    EXPECT_EQ(Fix(0x0000012C), "300.000");
}

TEST(TextFormat, IntegersMatchPrintf) {
    // Every change of digit count up to five, and both sides of 32 bits.
    const uint64_t values[] = {0,     1,      9,           10,          15,        16,          99,
                               100,   999,    1000,        9999,        10000,     99999,       100000,
                               65535, 65536,  4294967295ull, 4294967296ull, 0x8000000000000000ull, UINT64_MAX};
    for (uint64_t v : values) {
        char out[kNumberTextSize];
        char expected[64];
        for (int digits : {1, 3, 5, 8}) {
            snprintf(expected, sizeof(expected), "%0*" PRIu64, digits, v);
            EXPECT_EQ(std::string(out, FormatUnsigned(v, out, digits)), expected);
            snprintf(expected, sizeof(expected), "%0*" PRIx64, digits, v);
            EXPECT_EQ(std::string(out, FormatHex(v, out, digits)), expected);
        }
        snprintf(expected, sizeof(expected), "%" PRId64, static_cast<int64_t>(v));
        EXPECT_EQ(std::string(out, FormatSigned(static_cast<int64_t>(v), out)), expected);
    }
    char out[kNumberTextSize];
    EXPECT_EQ(std::string(out, FormatUnsigned(5, out, 1000)), std::string(31, '0') + "5");
}

}  // namespace
