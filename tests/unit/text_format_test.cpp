#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
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
                               65535, 65536,  0x01234567, 0x89abcdef, 4294967295ull, 4294967296ull, 0x8000000000000000ull, UINT64_MAX};
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

// Control characters inside the length are escaped, everything else is the
// stored byte: backslashes, bytes above 0x7F and text after a NUL included.
TEST(ShownText, EscapesControlCharactersOnly) {
    const struct {
        std::string stored, shown;
    } cases[] = {
        {"Sample Scanner 2.1", "Sample Scanner 2.1"},
        {"a\r\nb\tc", "a\\r\\nb\\tc"},
        {"\x1b[2J\x7f", "\\x1b[2J\\x7f"},
        {std::string("x\0\x01\x1f y", 6), "x\\x00\\x01\\x1f y"},
        {"C:\\x41 \x80\xA5\xFF", "C:\\x41 \x80\xA5\xFF"},
    };
    for (const auto& c : cases) {
        char out[64];
        EXPECT_EQ(std::string(out, FormatShownText(c.stored.data(), c.stored.size(), out, sizeof(out))), c.shown);
    }
}

// A control character at every place of a longer text, among the bytes next to
// the control ranges: found wherever it stands, and nothing else escaped.
TEST(ShownText, FindsAControlCharacterAtEveryPlace) {
    const struct {
        char control;
        const char* shown;
    } controls[] = {{'\0', "\\x00"}, {'\x1f', "\\x1f"}, {'\x7f', "\\x7f"}};
    for (char filler : {' ', '~', '\x80', '\xFF'}) {
        for (const auto& c : controls) {
            for (size_t at = 0; at < 24; ++at) {
                std::string stored(24, filler);
                stored[at] = c.control;
                char out[128];
                ASSERT_EQ(std::string(out, FormatShownText(stored.data(), stored.size(), out, sizeof(out))),
                          std::string(at, filler) + c.shown + std::string(23 - at, filler))
                    << at;
            }
        }
    }
}

// The output stops where the room ends, before an escape that does not fit whole.
TEST(ShownText, StopsAtTheRoomGivenNeverInsideAnEscape) {
    const char stored[] = "ab\x1b" "c\nd";
    const struct {
        size_t room;
        std::string shown;
    } cases[] = {{0, ""}, {2, "ab"}, {5, "ab"}, {6, "ab\\x1b"}, {8, "ab\\x1bc"}, {9, "ab\\x1bc\\n"}, {20, "ab\\x1bc\\nd"}};
    for (const auto& c : cases) {
        char out[32];
        memset(out, '#', sizeof(out));
        size_t n = FormatShownText(stored, sizeof(stored) - 1, out, c.room);
        EXPECT_EQ(std::string(out, n), c.shown) << c.room;
        EXPECT_EQ(out[n], '#') << c.room;
    }
}

}  // namespace
