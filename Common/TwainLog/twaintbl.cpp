#include "twaintbl.h"

#include <algorithm>
#include <cstring>

#include "TextFormat.h"

const char* FindMacroName(const MacroEntry* table, size_t namedRows, int64_t value) {
    for (size_t i = 0; i < namedRows; ++i) {
        if (table[i].value == value) return table[i].name;
    }
    return nullptr;
}

// "ERROR!(%d)" of the value as a signed 32-bit number.
void FormatUnnamedValue(int64_t value, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    char text[kNumberTextSize + 8] = "ERROR!(";
    size_t n = 7 + FormatSigned(static_cast<int32_t>(value), text + 7);
    text[n++] = ')';
    text[n] = '\0';
    CopyText(text, pszOut, outSize);
}

size_t LookupMacroName(const MacroEntry* table, size_t namedRows, int64_t value, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return 0;
    const char* name = FindMacroName(table, namedRows, value);
    if (!name) {
        FormatUnnamedValue(value, pszOut, outSize);
        return strlen(pszOut);
    }
    size_t length = strnlen(name, outSize - 1);
    memcpy(pszOut, name, length);
    pszOut[length] = '\0';
    return length;
}

// Capability names are looked up for every capability triplet (twice) and for
// every item of a supported-capabilities list: by the tables' sorted indexes.
std::string_view FindCapabilityName(TW_UINT16 cap, bool secondTable) {
    if (cap >= 0x8001) {
        return secondTable ? FindMacroName<icap_kq_macros>(cap) : FindMacroName<cap_kq_macros>(cap);
    }
    return secondTable ? FindMacroName<icap_macros>(cap) : FindMacroName<cap_macros>(cap);
}

std::string_view FindCapabilityName(TW_UINT16 cap) {
    std::string_view name = FindCapabilityName(cap, false);
    return name.data() ? name : FindCapabilityName(cap, true);
}

std::string_view CapabilityNameOrFallback(TW_UINT16 cap, UnnamedValueText& fallback) {
    std::string_view name = FindCapabilityName(cap);
    if (name.data()) return name;
    FormatUnnamedValue(cap, fallback, sizeof(fallback));
    return fallback;
}

size_t LongestCapabilityName() {
    static constexpr size_t kLongest = std::max({LongestName(cap_macros), LongestName(icap_macros),
                                                 LongestName(cap_kq_macros), LongestName(icap_kq_macros)});
    return kLongest;
}

void LookupCapabilityName(TW_UINT16 cap, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    UnnamedValueText fallback;
    std::string_view name = CapabilityNameOrFallback(cap, fallback);
    CopyText(name.data(), name.size(), pszOut, outSize);
}
