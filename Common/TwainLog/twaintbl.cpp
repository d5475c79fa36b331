#include "twaintbl.h"

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

const char* FindCapabilityName(TW_UINT16 cap, bool secondTable) {
    if (cap >= 0x8001) {
        return secondTable ? FindMacroName(icap_kq_macros, NamedRows(icap_kq_macros), cap)
                           : FindMacroName(cap_kq_macros, NamedRows(cap_kq_macros), cap);
    }
    return secondTable ? FindMacroName(icap_macros, NamedRows(icap_macros), cap)
                       : FindMacroName(cap_macros, NamedRows(cap_macros), cap);
}

void LookupCapabilityName(TW_UINT16 cap, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    const char* name = FindCapabilityName(cap, false);
    if (!name) name = FindCapabilityName(cap, true);
    if (name) CopyName(name, pszOut, outSize);
    else FormatUnnamedValue(cap, pszOut, outSize);
}
