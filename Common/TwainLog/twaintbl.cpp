#include "twaintbl.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "TextFormat.h"

const char* FindMacroName(const MacroEntry* table, size_t namedRows, int64_t value) {
    for (size_t i = 0; i < namedRows; ++i) {
        if (table[i].value == value) return table[i].name;
    }
    return nullptr;
}

// A name copied whole or cut to the buffer, always NUL-terminated.
static void CopyName(const char* name, char* pszOut, size_t outSize) {
    size_t n = strnlen(name, outSize - 1);
    memcpy(pszOut, name, n);
    pszOut[n] = '\0';
}

// "ERROR!(%d)" of the value as a signed 32-bit number.
void FormatUnnamedValue(int64_t value, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    char text[kNumberTextSize + 8] = "ERROR!(";
    size_t n = 7 + FormatSigned(static_cast<int32_t>(value), text + 7);
    text[n++] = ')';
    text[n] = '\0';
    CopyName(text, pszOut, outSize);
}

void LookupMacroName(const MacroEntry* table, size_t namedRows, int64_t value, char* pszOut,
                     size_t outSize) {
    if (!pszOut || outSize == 0) return;
    const char* name = FindMacroName(table, namedRows, value);
    if (name) CopyName(name, pszOut, outSize);
    else FormatUnnamedValue(value, pszOut, outSize);
}

namespace {

// Row numbers of a table sorted by value, earlier rows first among equal values,
// so that a binary search finds the row the linear search would.
template <size_t N>
constexpr std::array<uint16_t, N - 1> RowsByValue(const MacroEntry (&table)[N]) {
    std::array<uint16_t, N - 1> rows{};
    for (size_t i = 0; i + 1 < N; ++i) rows[i] = static_cast<uint16_t>(i);
    std::sort(rows.begin(), rows.end(), [&table](uint16_t a, uint16_t b) {
        return table[a].value != table[b].value ? table[a].value < table[b].value : a < b;
    });
    return rows;
}

template <size_t N>
const char* FindByValue(const MacroEntry (&table)[N], const std::array<uint16_t, N - 1>& rows, int64_t value) {
    auto row = std::lower_bound(rows.begin(), rows.end(), value,
                                [&table](uint16_t r, int64_t v) { return table[r].value < v; });
    return row != rows.end() && table[*row].value == value ? table[*row].name : nullptr;
}

// Capability names are looked up for every capability triplet and for every item
// of a supported-capabilities list: the four largest searches of a session.
constexpr auto kCapRows = RowsByValue(cap_macros);
constexpr auto kIcapRows = RowsByValue(icap_macros);
constexpr auto kCapKqRows = RowsByValue(cap_kq_macros);
constexpr auto kIcapKqRows = RowsByValue(icap_kq_macros);

}  // namespace

const char* FindCapabilityName(TW_UINT16 cap, bool secondTable) {
    if (cap >= 0x8001) {
        return secondTable ? FindByValue(icap_kq_macros, kIcapKqRows, cap) : FindByValue(cap_kq_macros, kCapKqRows, cap);
    }
    return secondTable ? FindByValue(icap_macros, kIcapRows, cap) : FindByValue(cap_macros, kCapRows, cap);
}

void LookupCapabilityName(TW_UINT16 cap, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    const char* name = FindCapabilityName(cap, false);
    if (!name) name = FindCapabilityName(cap, true);
    if (name) CopyName(name, pszOut, outSize);
    else FormatUnnamedValue(cap, pszOut, outSize);
}
