// How the items of a capability container are shown. What depends only on the
// capability and the item type (the kind of text, the value name table, the
// longest text one item can give) is decided once per container; Format then
// shows each item. Inline: a list formats one item per line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "../TwainTypes.h"
#include "TextFormat.h"

struct MacroEntry;

class CItemText {
public:
    CItemText(TW_UINT16 cap, TW_UINT16 itemType);

    // The most characters Format writes for an item whose bytes are all readable.
    size_t MaxLength() const { return m_nMaxLength; }

    // Calls use(format), where format(pItem, itemBytes, out) shows one item of
    // this kind whose bytes are all readable: a loop over a list's items is then
    // made once for each kind, with the kind's formatting in it.
    template <typename Use>
    decltype(auto) WithFormat(Use use) const {
        switch (m_kind) {
            case Kind::Text:
                return use([this](const void* p, size_t itemBytes, char* out) {
                    return FormatText(static_cast<const char*>(p), itemBytes, out);
                });
            // Sign-extended first, so -1 shows as 0xffffffff.
            case Kind::Int8:
                return use([](const void* p, size_t, char* out) {
                    return FormatHexWithPrefix(static_cast<uint32_t>(int32_t{ReadUnaligned<TW_INT8>(p)}), out, 2);
                });
            case Kind::Int16:
                return use([](const void* p, size_t, char* out) { return FormatSigned(ReadUnaligned<TW_INT16>(p), out); });
            case Kind::Int32:
                return use([](const void* p, size_t, char* out) { return FormatSigned(ReadUnaligned<TW_INT32>(p), out); });
            case Kind::Uint8:
                return use([](const void* p, size_t, char* out) {
                    return FormatHexWithPrefix(ReadUnaligned<TW_UINT8>(p), out, 2);
                });
            case Kind::Uint32:
                return use([](const void* p, size_t, char* out) {
                    return FormatSigned(static_cast<int32_t>(ReadUnaligned<TW_UINT32>(p)), out);
                });
            case Kind::Bool:
                return use([](const void* p, size_t, char* out) -> size_t {
                    bool set = ReadUnaligned<TW_BOOL>(p) != 0;
                    memcpy(out, set ? "true" : "false", set ? 4 : 5);
                    return set ? 4 : 5;
                });
            case Kind::Fix32:
                return use([](const void* p, size_t, char* out) { return FormatFix32(ReadUnaligned<TW_FIX32>(p), out); });
            case Kind::Frame:
                return use([](const void* p, size_t, char* out) { return FormatFrame(ReadUnaligned<TW_FRAME>(p), out); });
            // A handle as every pointer is shown: its low 32 bits.
            case Kind::Handle:
                return use([](const void* p, size_t, char* out) {
                    auto handle = reinterpret_cast<uintptr_t>(ReadUnaligned<TW_HANDLE>(p));
                    return FormatHexWithPrefix(static_cast<uint32_t>(handle), out, 8);
                });
            case Kind::Unicode:
                return use([](const void* p, size_t itemBytes, char* out) { return FormatUnicode(p, itemBytes, out); });
            case Kind::Number:
            case Kind::Named:
            case Kind::CapabilityName:
            case Kind::Version:
                return use([this](const void* p, size_t, char* out) {
                    return FormatUint16(ReadUnaligned<TW_UINT16>(p), out);
                });
            case Kind::Word: break;
        }
        return use([](const void* p, size_t, char* out) {
            return FormatHexWithPrefix(ReadUnaligned<TW_UINT32>(p), out, 8);
        });
    }

    // The item's text written to out, which has room for kValueTextSize
    // characters, without a NUL; returns its length. Nothing is read past
    // itemBytes: an item cut short says so instead.
    size_t Format(const void* pItem, size_t itemBytes, char* out) const {
        if (itemBytes < m_nItemBytes) return FormatCutItem(itemBytes, out);
        return WithFormat([&](auto format) { return format(pItem, itemBytes, out); });
    }

    // A TWTY_UINT16 value of the capability, as Format shows it.
    size_t FormatUint16(TW_UINT16 value, char* out) const {
        switch (m_kind) {
            case Kind::Named: return FormatNamed(value, out);
            case Kind::CapabilityName: return FormatCapabilityName(value, out);
            case Kind::Version: return FormatVersion(value, out);
            default: return FormatUnsigned(value, out);
        }
    }

private:
    enum class Kind : uint8_t {
        Text,            // TWTY_STR32 to TWTY_STR255: up to the NUL, escaped
        Int8,            // "0x%02x" of the sign-extended value
        Int16,           // "%d"
        Int32,           // "%d"
        Uint8,           // "0x%02x"
        Uint32,          // "%d" of the bits as a signed value
        Bool,            // "true" / "false"
        Fix32,           // "%.3f"
        Frame,           // four "%.3f", comma-separated
        Handle,          // "0x%08x" of the handle's low 32 bits
        Unicode,         // TWTY_UNI512: up to the NUL unit, other than ASCII as \uXXXX
        Word,            // "0x%08x" of the 4-byte field, for types we do not know
        Number,          // TWTY_UINT16 without a name table: "%u"
        Named,           // TWTY_UINT16 named by the capability's table
        CapabilityName,  // CAP_SUPPORTEDCAPS: capability names
        Version,         // CAP_KQ_VERSION: "%x.%x" of the two bytes
    };

    size_t FormatCutItem(size_t itemBytes, char* out) const;
    size_t FormatText(const char* text, size_t itemBytes, char* out) const;
    static size_t FormatFrame(const TW_FRAME& frame, char* out);
    static size_t FormatUnicode(const void* units, size_t itemBytes, char* out);
    size_t FormatNamed(TW_UINT16 value, char* out) const;
    static size_t FormatCapabilityName(TW_UINT16 value, char* out);
    static size_t FormatVersion(TW_UINT16 value, char* out);

    Kind m_kind;
    // Bytes an item must have to be read whole: the type's own size, 4 for a type
    // without one (shown as the field it stands in), 0 for text (read to its NUL).
    size_t m_nItemBytes;
    size_t m_nTextBytes;  // for text: the type's length, the most that is read
    const MacroEntry* m_pNames;
    size_t m_nNamedRows;
    size_t m_nMaxLength;
};
