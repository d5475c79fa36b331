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

namespace {

// A capability table's values, sorted, each with the first row that holds it:
// capability names are looked up for every capability triplet (twice) and for
// every item of a supported-capabilities list, so they get a compact index.
struct ValueRow {
    uint16_t value;
    uint16_t row;
};

template <size_t N>
constexpr std::array<ValueRow, N - 1> ValueIndexOf(const MacroEntry (&table)[N]) {
    std::array<ValueRow, N - 1> index{};
    for (size_t i = 0; i + 1 < N; ++i) index[i] = {static_cast<uint16_t>(table[i].value), static_cast<uint16_t>(i)};
    std::sort(index.begin(), index.end(), [](ValueRow a, ValueRow b) {
        return a.value != b.value ? a.value < b.value : a.row < b.row;
    });
    return index;
}

template <size_t N, size_t M>
const char* FindIndexed(const MacroEntry (&table)[N], const std::array<ValueRow, M>& index, TW_UINT16 value) {
    const ValueRow* row = std::lower_bound(index.begin(), index.end(), value,
                                           [](ValueRow r, TW_UINT16 v) { return r.value < v; });
    return row != index.end() && row->value == value ? table[row->row].name : nullptr;
}

constexpr auto kCapIndex = ValueIndexOf(cap_macros);
constexpr auto kIcapIndex = ValueIndexOf(icap_macros);
constexpr auto kCapKqIndex = ValueIndexOf(cap_kq_macros);
constexpr auto kIcapKqIndex = ValueIndexOf(icap_kq_macros);

}  // namespace

const char* FindCapabilityName(TW_UINT16 cap, bool secondTable) {
    if (cap >= 0x8001) {
        return secondTable ? FindIndexed(icap_kq_macros, kIcapKqIndex, cap) : FindIndexed(cap_kq_macros, kCapKqIndex, cap);
    }
    return secondTable ? FindIndexed(icap_macros, kIcapIndex, cap) : FindIndexed(cap_macros, kCapIndex, cap);
}

const char* FindCapabilityName(TW_UINT16 cap) {
    const char* name = FindCapabilityName(cap, false);
    return name ? name : FindCapabilityName(cap, true);
}

size_t LongestCapabilityName() {
    static constexpr size_t kLongest = std::max({LongestName(cap_macros), LongestName(icap_macros),
                                                 LongestName(cap_kq_macros), LongestName(icap_kq_macros)});
    return kLongest;
}

void LookupCapabilityName(TW_UINT16 cap, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    const char* name = FindCapabilityName(cap);
    if (name) CopyText(name, pszOut, outSize);
    else FormatUnnamedValue(cap, pszOut, outSize);
}
