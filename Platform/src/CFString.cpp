// Strings are kept as UTF-8; encodings are converted at the edges.
#include "CFInternal.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

// Mac OS Roman bytes 0x80-0xFF as Unicode code points (0xDB is the euro
// sign, as since Mac OS 8.5; 0xF0 is the Apple logo in the private use area).
const char32_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,  // 80
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,  // 88
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,  // 90
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,  // 98
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,  // A0
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,  // A8
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,  // B0
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,  // B8
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,  // C0
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,  // C8
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,  // D0
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,  // D8
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,  // E0
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,  // E8
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,  // F0
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,  // F8
};

void appendUTF8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one code point at s[i], advancing i. Rejects overlong forms,
// surrogates, values past U+10FFFF and truncated sequences.
bool nextCodePoint(const std::string& s, size_t& i, char32_t& cp) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    size_t extra;
    char32_t min;
    if (lead < 0x80) {
        cp = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, min = 0x80, cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, min = 0x800, cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, min = 0x10000, cp = lead & 0x07;
    } else {
        return false;
    }
    if (s.size() - i <= extra) return false;
    for (size_t k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return false;
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += extra + 1;
    return true;
}

bool isValidUTF8(const std::string& s) {
    char32_t cp;
    for (size_t i = 0; i < s.size();)
        if (!nextCodePoint(s, i, cp)) return false;
    return true;
}

// Bytes in `encoding` to UTF-8; false when they are not valid in it.
bool decode(const char* bytes, size_t n, CFStringEncoding encoding, std::string& out) {
    out.clear();
    switch (encoding) {
        case kCFStringEncodingUTF8:
            out.assign(bytes, n);
            return isValidUTF8(out);
        case kCFStringEncodingASCII:
            for (size_t i = 0; i < n; ++i)
                if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
            out.assign(bytes, n);
            return true;
        case kCFStringEncodingMacRoman:
            for (size_t i = 0; i < n; ++i) {
                const unsigned char b = static_cast<unsigned char>(bytes[i]);
                appendUTF8(out, b < 0x80 ? b : kMacRomanHigh[b - 0x80]);
            }
            return true;
        default:
            return false;
    }
}

// UTF-8 to `encoding`; false when a character has no form in it.
bool encode(const std::string& utf8, CFStringEncoding encoding, std::string& out) {
    out.clear();
    if (encoding == kCFStringEncodingUTF8) {
        out = utf8;
        return true;
    }
    if (encoding != kCFStringEncodingASCII && encoding != kCFStringEncodingMacRoman) return false;
    char32_t cp;
    for (size_t i = 0; i < utf8.size();) {
        if (!nextCodePoint(utf8, i, cp)) return false;
        if (cp < 0x80) {
            out += static_cast<char>(cp);
            continue;
        }
        if (encoding == kCFStringEncodingASCII) return false;
        size_t k = 0;
        while (k < 128 && kMacRomanHigh[k] != cp) ++k;
        if (k == 128) return false;
        out += static_cast<char>(0x80 + k);
    }
    return true;
}

CFStringRef create(const char* bytes, size_t n, CFStringEncoding encoding) {
    std::string utf8;
    if (!decode(bytes, n, encoding, utf8)) return nullptr;
    return new __CFString(std::move(utf8), false);
}

}  // namespace

namespace macplatform {

CFStringRef makeString(std::string utf8) {
    if (!isValidUTF8(utf8)) return nullptr;
    return new __CFString(std::move(utf8), false);
}

}  // namespace macplatform

extern "C" {

CFStringRef __CFStringMakeConstantString(const char* cStr) {
    if (!cStr) return nullptr;
    // Never destroyed: constant strings may be used during static teardown.
    static auto* table = new std::unordered_map<std::string, CFStringRef>();
    static std::mutex lock;
    std::lock_guard<std::mutex> g(lock);
    CFStringRef& slot = (*table)[cStr];
    if (!slot) {
        std::string utf8;
        // Literals are UTF-8 source text; fall back for stray high bytes.
        if (!decode(cStr, std::strlen(cStr), kCFStringEncodingUTF8, utf8))
            decode(cStr, std::strlen(cStr), kCFStringEncodingMacRoman, utf8);
        slot = new __CFString(std::move(utf8), true);
    }
    return slot;
}

CFStringRef CFStringCreateWithCString(CFAllocatorRef, const char* cStr, CFStringEncoding encoding) {
    if (!cStr) return nullptr;
    return create(cStr, std::strlen(cStr), encoding);
}

CFStringRef CFStringCreateWithPascalString(CFAllocatorRef, ConstStr255Param pStr,
                                           CFStringEncoding encoding) {
    if (!pStr) return nullptr;
    return create(reinterpret_cast<const char*>(pStr + 1), pStr[0], encoding);
}

CFStringEncoding CFStringGetSystemEncoding(void) {
    return kCFStringEncodingMacRoman;
}

CFIndex CFStringGetLength(CFStringRef theString) {
    if (!theString) return 0;
    const std::string& s = theString->utf8;
    CFIndex units = 0;
    char32_t cp;
    for (size_t i = 0; i < s.size() && nextCodePoint(s, i, cp);)
        units += cp >= 0x10000 ? 2 : 1;  // supplementary characters are surrogate pairs
    return units;
}

Boolean CFStringGetCString(CFStringRef theString, char* buffer, CFIndex bufferSize,
                           CFStringEncoding encoding) {
    if (!theString || !buffer || bufferSize <= 0) return false;
    std::string bytes;
    if (!encode(theString->utf8, encoding, bytes)) return false;
    if (bytes.size() >= static_cast<size_t>(bufferSize)) return false;
    std::memcpy(buffer, bytes.data(), bytes.size());
    buffer[bytes.size()] = '\0';
    return true;
}

}  // extern "C"
