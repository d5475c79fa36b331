#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <set>
#include <ostream>
#include <string>

#include "test_support.h"

namespace {

struct Conversion {
    const char* label;
    std::string bytes;
    CFStringEncoding from;
    std::string utf8;  // expected text
    CFIndex length;    // in UTF-16 units
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Conversion& c, std::ostream* os) {
    *os << c.label;
}

class StringCreation : public testing::TestWithParam<Conversion> {};

TEST_P(StringCreation, KeepsTheTextAndConvertsBack) {
    const Conversion& c = GetParam();
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, c.bytes.c_str(), c.from);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Utf8Of(s), c.utf8);
    EXPECT_EQ(CFStringGetLength(s), c.length);
    char back[64];
    ASSERT_TRUE(CFStringGetCString(s, back, sizeof back, c.from));
    EXPECT_EQ(std::string(back), c.bytes);
    CFRelease(s);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, StringCreation,
    testing::Values(Conversion{"ascii", "DS_Entry", kCFStringEncodingASCII, "DS_Entry", 8},
                    Conversion{"empty", "", kCFStringEncodingUTF8, "", 0},
                    Conversion{"utf8_two_byte", "caf\xC3\xA9", kCFStringEncodingUTF8,
                               "caf\xC3\xA9", 4},
                    Conversion{"utf8_supplementary", "\xF0\x9F\x98\x80", kCFStringEncodingUTF8,
                               "\xF0\x9F\x98\x80", 2},
                    Conversion{"macroman_bullet", "\xA5", kCFStringEncodingMacRoman,
                               "\xE2\x80\xA2", 1},
                    Conversion{"macroman_mixed", "Scan\xA5\x8E", kCFStringEncodingMacRoman,
                               "Scan\xE2\x80\xA2\xC3\xA9", 6}),
    [](const testing::TestParamInfo<Conversion>& info) { return std::string(info.param.label); });

struct Rejected {
    const char* label;
    const char* bytes;
    CFStringEncoding encoding;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Rejected& c, std::ostream* os) {
    *os << c.label;
}

class StringRejection : public testing::TestWithParam<Rejected> {};

TEST_P(StringRejection, CreationGivesNull) {
    const Rejected& r = GetParam();
    EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, r.bytes, r.encoding), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    InvalidBytes, StringRejection,
    testing::Values(Rejected{"ascii_high_byte", "a\x80", kCFStringEncodingASCII},
                    Rejected{"ascii_ff", "\xFF", kCFStringEncodingASCII},
                    Rejected{"utf8_lone_continuation", "\x80", kCFStringEncodingUTF8},
                    Rejected{"utf8_overlong_nul", "\xC0\x80", kCFStringEncodingUTF8},
                    Rejected{"utf8_overlong_slash", "\xE0\x80\xAF", kCFStringEncodingUTF8},
                    Rejected{"utf8_surrogate", "\xED\xA0\x80", kCFStringEncodingUTF8},
                    Rejected{"utf8_past_max", "\xF4\x90\x80\x80", kCFStringEncodingUTF8},
                    Rejected{"utf8_truncated", "ab\xE2\x82", kCFStringEncodingUTF8},
                    Rejected{"utf8_bad_lead", "\xF8\x88\x80\x80\x80", kCFStringEncodingUTF8},
                    Rejected{"unsupported_encoding", "abc", 0x0201},
                    Rejected{"null_text", nullptr, kCFStringEncodingUTF8}),
    [](const testing::TestParamInfo<Rejected>& info) { return std::string(info.param.label); });

struct Unconvertible {
    const char* label;
    const char* utf8;
    CFStringEncoding to;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Unconvertible& c, std::ostream* os) {
    *os << c.label;
}

class StringExport : public testing::TestWithParam<Unconvertible> {};

TEST_P(StringExport, FailsForCharactersOutsideTheEncoding) {
    const Unconvertible& u = GetParam();
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, u.utf8, kCFStringEncodingUTF8);
    ASSERT_NE(s, nullptr);
    char buffer[32];
    EXPECT_FALSE(CFStringGetCString(s, buffer, sizeof buffer, u.to));
    CFRelease(s);
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, StringExport,
    testing::Values(Unconvertible{"e_acute_to_ascii", "caf\xC3\xA9", kCFStringEncodingASCII},
                    Unconvertible{"bullet_to_ascii", "\xE2\x80\xA2", kCFStringEncodingASCII},
                    // U+0151 and U+4E2D have no Mac OS Roman byte.
                    Unconvertible{"o_double_acute_to_macroman", "\xC5\x91",
                                  kCFStringEncodingMacRoman},
                    Unconvertible{"cjk_to_macroman", "\xE4\xB8\xAD", kCFStringEncodingMacRoman},
                    Unconvertible{"unsupported_encoding", "abc", 0x0201}),
    [](const testing::TestParamInfo<Unconvertible>& info) { return std::string(info.param.label); });

// Mac OS Roman 0x80-0xFF, one row per 16 bytes, as glyphs so the table can
// be checked by eye against the code page; 0xCA is a no-break space and
// 0xF0 the Apple logo in the private use area.
const char* const kMacRomanGlyphs[128] = {
    "Ä", "Å", "Ç", "É", "Ñ", "Ö", "Ü", "á", "à", "â", "ä", "ã", "å", "ç", "é", "è",
    "ê", "ë", "í", "ì", "î", "ï", "ñ", "ó", "ò", "ô", "ö", "õ", "ú", "ù", "û", "ü",
    "†", "°", "¢", "£", "§", "•", "¶", "ß", "®", "©", "™", "´", "¨", "≠", "Æ", "Ø",
    "∞", "±", "≤", "≥", "¥", "µ", "∂", "∑", "∏", "π", "∫", "ª", "º", "Ω", "æ", "ø",
    "¿", "¡", "¬", "√", "ƒ", "≈", "∆", "«", "»", "…", "\xC2\xA0", "À", "Ã", "Õ", "Œ", "œ",
    "–", "—", "“", "”", "‘", "’", "÷", "◊", "ÿ", "Ÿ", "⁄", "€", "‹", "›", "ﬁ", "ﬂ",
    "‡", "·", "‚", "„", "‰", "Â", "Ê", "Á", "Ë", "È", "Í", "Î", "Ï", "Ì", "Ó", "Ô",
    "\xEF\xA3\xBF", "Ò", "Ú", "Û", "Ù", "ı", "ˆ", "˜", "¯", "˘", "˙", "˚", "¸", "˝", "˛", "ˇ",
};

TEST(MacRoman, EveryHighByteMapsToItsCharacter) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char bytes[2] = {static_cast<char>(b), '\0'};
        CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, bytes,
                                                  kCFStringEncodingMacRoman);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(Utf8Of(s), kMacRomanGlyphs[b - 0x80]) << "byte 0x" << std::hex << b;
        CFRelease(s);
    }
}

TEST(MacRoman, EveryHighByteRoundTripsThroughUtf8) {
    std::set<std::string> distinct;
    for (int b = 0x80; b <= 0xFF; ++b) {
        SCOPED_TRACE("byte " + std::to_string(b));
        const char bytes[2] = {static_cast<char>(b), '\0'};
        CFStringRef roman = CFStringCreateWithCString(kCFAllocatorDefault, bytes,
                                                      kCFStringEncodingMacRoman);
        ASSERT_NE(roman, nullptr);
        const std::string utf8 = Utf8Of(roman);
        CFRelease(roman);
        EXPECT_GE(static_cast<unsigned char>(utf8[0]), 0xC2u) << "not a non-ASCII character";
        distinct.insert(utf8);

        CFStringRef fromUtf8 = CFStringCreateWithCString(kCFAllocatorDefault, utf8.c_str(),
                                                         kCFStringEncodingUTF8);
        ASSERT_NE(fromUtf8, nullptr);
        EXPECT_EQ(CFStringGetLength(fromUtf8), 1);
        char back[4] = {};
        ASSERT_TRUE(CFStringGetCString(fromUtf8, back, sizeof back, kCFStringEncodingMacRoman));
        EXPECT_EQ(static_cast<unsigned char>(back[0]), b);
        EXPECT_EQ(back[1], '\0');
        CFRelease(fromUtf8);
    }
    EXPECT_EQ(distinct.size(), 128u) << "two bytes share a character";
}

TEST(MacRoman, IsTheSystemEncoding) {
    EXPECT_EQ(CFStringGetSystemEncoding(), static_cast<CFStringEncoding>(kCFStringEncodingMacRoman));
}

TEST(PascalString, TakesExactlyTheCountedBytes) {
    const struct {
        const char* label;
        std::string pascal;
        std::string utf8;
        CFIndex length;
    } cases[] = {
        {"hello", std::string("\x05Hello", 6), "Hello", 5},
        {"zero_length", std::string("\x00", 1), "", 0},
        {"ignores_bytes_past_count", std::string("\x03" "abcdef", 7), "abc", 3},
        {"macroman_high_byte", std::string("\x02\xA5z", 3), "\xE2\x80\xA2z", 2},
        {"max_length", std::string(1, '\xFF') + std::string(255, 'x'), std::string(255, 'x'), 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CFStringRef s = CFStringCreateWithPascalString(
            kCFAllocatorDefault, reinterpret_cast<ConstStr255Param>(c.pascal.data()),
            CFStringGetSystemEncoding());
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(Utf8Of(s), c.utf8);
        EXPECT_EQ(CFStringGetLength(s), c.length);
        CFRelease(s);
    }
    EXPECT_EQ(CFStringCreateWithPascalString(kCFAllocatorDefault, nullptr, kCFStringEncodingUTF8),
              nullptr);
}

TEST(StringBuffer, RefusesToOverrunAndFitsExactly) {
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "abcdef", kCFStringEncodingASCII);
    ASSERT_NE(s, nullptr);
    for (CFIndex size : {CFIndex{0}, CFIndex{1}, CFIndex{4}, CFIndex{6}}) {
        SCOPED_TRACE("bufferSize " + std::to_string(size));
        char buffer[16];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_FALSE(CFStringGetCString(s, buffer, size, kCFStringEncodingASCII));
        for (size_t i = static_cast<size_t>(size); i < sizeof buffer; ++i)
            ASSERT_EQ(buffer[i], '#') << "written at " << i;
    }
    char buffer[16];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_TRUE(CFStringGetCString(s, buffer, 7, kCFStringEncodingASCII));
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_EQ(buffer[7], '#');
    CFRelease(s);

    // Multi-byte characters count by their encoded size.
    CFStringRef bullet = CFStringCreateWithCString(kCFAllocatorDefault, "\xA5", kCFStringEncodingMacRoman);
    EXPECT_FALSE(CFStringGetCString(bullet, buffer, 3, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetCString(bullet, buffer, 4, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetCString(bullet, buffer, 2, kCFStringEncodingMacRoman));
    CFRelease(bullet);
}

TEST(ConstantString, IsInternedAndImmortal) {
    CFStringRef a = CFSTR("DS_Entry");
    CFStringRef b = CFSTR("DS_Entry");
    CFStringRef other = CFSTR("DS_Entry2");
    EXPECT_EQ(a, b);
    EXPECT_NE(a, other);
    EXPECT_EQ(Utf8Of(a), "DS_Entry");
    EXPECT_EQ(Utf8Of(other), "DS_Entry2");

    const CFIndex count = CFGetRetainCount(a);
    for (int i = 0; i < 5; ++i) CFRelease(a);
    EXPECT_EQ(CFRetain(a), static_cast<CFTypeRef>(a));
    EXPECT_EQ(CFGetRetainCount(a), count);
    EXPECT_EQ(Utf8Of(CFSTR("DS_Entry")), "DS_Entry");
}

}  // namespace
