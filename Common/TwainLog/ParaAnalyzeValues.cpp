// Value formatting of single capability items.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "ItemText.h"
#include "ParaAnalyze.h"
#include "TextFormat.h"
#include "twaintbl.h"

namespace {

// The audio file format capability: its values have a name table, its own name
// is in none of ours.
constexpr int32_t kCapAudioFileFormat = 0x1201;

// Count comes from the table itself, so a row added to a table cannot leave the
// map behind.
#define VALTOCAP_ROW(cap, table) \
    {cap, static_cast<int32_t>(std::size(table)), table, static_cast<int32_t>(LongestName(table))}

// Bytes of one item, by TWTY_ value.
constexpr size_t kItemTypeBytes[] = {
    sizeof(TW_INT8),    // TWTY_INT8
    sizeof(TW_INT16),   // TWTY_INT16
    sizeof(TW_INT32),   // TWTY_INT32
    sizeof(TW_UINT8),   // TWTY_UINT8
    sizeof(TW_UINT16),  // TWTY_UINT16
    sizeof(TW_UINT32),  // TWTY_UINT32
    sizeof(TW_BOOL),    // TWTY_BOOL
    sizeof(TW_FIX32),   // TWTY_FIX32
    sizeof(TW_FRAME),   // TWTY_FRAME
    sizeof(TW_STR32),   // TWTY_STR32
    sizeof(TW_STR64),   // TWTY_STR64
    sizeof(TW_STR128),  // TWTY_STR128
    sizeof(TW_STR255),  // TWTY_STR255
    sizeof(TW_STR1024), // TWTY_STR1024
    sizeof(TW_UNI512),  // TWTY_UNI512
    sizeof(TW_HANDLE),  // TWTY_HANDLE
};
static_assert(std::size(kItemTypeBytes) == TWTY_HANDLE + 1);

bool IsTextType(TW_UINT16 itemType) {
    return (itemType >= TWTY_STR32 && itemType <= TWTY_STR255) || itemType == TWTY_STR1024;
}

}  // namespace

const ValToCapEntry VALTOCAP[] = {
    VALTOCAP_ROW(ICAP_BITDEPTHREDUCTION, twbr_macros),
    VALTOCAP_ROW(ICAP_BITORDER, twbo_macros),
    VALTOCAP_ROW(ICAP_COMPRESSION, twcp_macros),
    VALTOCAP_ROW(ICAP_FILTER, twft_macros),
    VALTOCAP_ROW(ICAP_IMAGEFILEFORMAT, twff_macros),
    VALTOCAP_ROW(ICAP_LIGHTPATH, twlp_macros),
    VALTOCAP_ROW(ICAP_LIGHTSOURCE, twls_macros),
    VALTOCAP_ROW(ICAP_ORIENTATION, twor_macros),
    VALTOCAP_ROW(ICAP_PIXELFLAVOR, twpf_macros),
    VALTOCAP_ROW(ICAP_PIXELTYPE, twpt_macros),
    VALTOCAP_ROW(ICAP_PLANARCHUNKY, twpc_macros),
    VALTOCAP_ROW(ICAP_SUPPORTEDSIZES, twss_macros),
    VALTOCAP_ROW(ICAP_XFERMECH, twsx_macros),
    VALTOCAP_ROW(ICAP_UNITS, twun_macros),
    VALTOCAP_ROW(CAP_DUPLEX, twdx_macros),
    VALTOCAP_ROW(CAP_JOBCONTROL, twjc_macros),
    VALTOCAP_ROW(kCapAudioFileFormat, twaf_macros),
    VALTOCAP_ROW(CAP_ALARMS, twal_macros),
    VALTOCAP_ROW(CAP_CLEARBUFFERS, twcb_macros),
    VALTOCAP_ROW(CAP_DEVICEEVENT, twde_macros),
    VALTOCAP_ROW(CAP_FEEDERALIGNMENT, twfa_macros),
    VALTOCAP_ROW(CAP_FEEDERORDER, twfo_macros),
    VALTOCAP_ROW(CAP_POWERSUPPLY, twps_macros),
    VALTOCAP_ROW(CAP_PRINTER, twpr_macros),
    VALTOCAP_ROW(CAP_PRINTERMODE, twpm_macros),
    VALTOCAP_ROW(ICAP_BARCODESEARCHMODE, twbd_macros),
    VALTOCAP_ROW(ICAP_FLASHUSED2, twfl_macros),
    VALTOCAP_ROW(ICAP_FLIPROTATION, twfr_macros),
    VALTOCAP_ROW(ICAP_IMAGEFILTER, twif_macros),
    VALTOCAP_ROW(ICAP_NOISEFILTER, twnf_macros),
    VALTOCAP_ROW(ICAP_OVERSCAN, twov_macros),
    {-1, -1, nullptr, 0},
};

const ValToCapEntry VALTOCAPKQ[] = {
    VALTOCAP_ROW(CAP_KQ_UIMODE, twkq_ui_macros),
    VALTOCAP_ROW(ICAP_KQ_FILMTYPE, twkq_ft_macros),
    VALTOCAP_ROW(ICAP_KQ_EXPOSUREMODE, twkq_em_macros),
    VALTOCAP_ROW(ICAP_KQ_LUT1, twkq_pg_macros),
    VALTOCAP_ROW(ICAP_KQ_LUT2, twkq_gt_macros),
    VALTOCAP_ROW(ICAP_KQ_COLORCORRECTION, twkq_cc_macros),
    VALTOCAP_ROW(CAP_KQ_COMMANDLEVEL, twkq_cl_macros),
    VALTOCAP_ROW(CAP_KQ_TPUTYPE, twkq_tpu_macros),
    VALTOCAP_ROW(ICAP_KQ_UNSHARPMASKLEVEL, twkq_usm_macros),
    VALTOCAP_ROW(ICAP_KQ_DESCREENINGLEVEL, twkq_dscr_macros),
    VALTOCAP_ROW(CAP_KQ_TABLEARRANGEMENT, twkq_ta_macros),
    VALTOCAP_ROW(ICAP_KQ_DUSTREMOVALLEVEL, twkq_dr_macros),
    VALTOCAP_ROW(ICAP_KQ_DIGITALICELEVEL, twkq_ice_macros),
    VALTOCAP_ROW(ICAP_KQ_GRAINREDUCTIONLEVEL, twkq_gr_macros),
    VALTOCAP_ROW(ICAP_KQ_HOLDERTYPE, twkq_ht_macros),
    VALTOCAP_ROW(ICAP_KQ_FILMSIZE, twkq_fs_macros),
    VALTOCAP_ROW(CAP_KQ_AFLFILMTYPE, twkq_af_macros),
    VALTOCAP_ROW(CAP_KQ_FEEDERTYPE, twkq_fet_macros),
    VALTOCAP_ROW(CAP_KQ_LIDFILMTYPE, twkq_li_macros),
    VALTOCAP_ROW(ICAP_KQ_AUTOSIZETYPE, twkq_autosizetype_macros),
    {-1, -1, nullptr, 0},
};

#undef VALTOCAP_ROW

size_t ItemTypeBytes(TW_UINT16 itemType) {
    return itemType < std::size(kItemTypeBytes) ? kItemTypeBytes[itemType] : 0;
}

void CParaAnalyze::ValToStr(TW_UINT16 cap, TW_UINT16 itemType, const void* pItem, size_t itemBytes,
                            char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    pszOut[0] = '\0';
    if (!pItem) return;
    if (outSize > kValueTextSize) {
        pszOut[FormatValue(cap, itemType, pItem, itemBytes, pszOut)] = '\0';
        return;
    }
    char text[kValueTextSize];
    CopyText(text, FormatValue(cap, itemType, pItem, itemBytes, text), pszOut, outSize);
}

size_t CParaAnalyze::FormatValue(TW_UINT16 cap, TW_UINT16 itemType, const void* pItem, size_t itemBytes,
                                 char* out) {
    return CItemText(cap, itemType).Format(pItem, itemBytes, out);
}

void CParaAnalyze::ValToWord(TW_UINT32 word, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    char text[kNumberTextSize];
    CopyText(text, FormatHexWithPrefix(word, text, 8), pszOut, outSize);
}

void CParaAnalyze::ValToCap(TW_UINT16 cap, TW_UINT16 value, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    char text[kValueTextSize];
    CopyText(text, FormatValueName(cap, value, text), pszOut, outSize);
}

size_t CParaAnalyze::FormatValueName(TW_UINT16 cap, TW_UINT16 value, char* out) {
    return CItemText(cap, TWTY_UINT16).FormatUint16(value, out);
}

namespace {

// The longest "ERROR!(%d)" of a TW_UINT16 value.
constexpr size_t kUnnamedValueMax = sizeof("ERROR!(65535)") - 1;
// Value names have always been cut to 63 characters (none is that long).
constexpr size_t kValueNameMax = 63;

// The value name table of cap, or null.
const ValToCapEntry* ValueNamesOf(TW_UINT16 cap) {
    const ValToCapEntry* row = cap > 0x8000 ? VALTOCAPKQ : VALTOCAP;
    while (row->Values && row->Cap != cap) ++row;
    return row->Values ? row : nullptr;
}

// Copies a name to out, without its NUL, and says how long it is.
size_t PutName(const char* name, size_t length, char* out) {
    memcpy(out, name, length);
    return length;
}

}  // namespace

CItemText::CItemText(TW_UINT16 cap, TW_UINT16 itemType)
    : m_kind(Kind::Word),
      m_nItemBytes(ItemTypeBytes(itemType) ? ItemTypeBytes(itemType) : sizeof(TW_UINT32)),
      m_nTextBytes(0),
      m_pNames(nullptr),
      m_nNamedRows(0),
      m_nMaxLength(10) {
    auto set = [this](Kind kind, size_t maxLength) {
        m_kind = kind;
        m_nMaxLength = maxLength;
    };
    switch (itemType) {
        case TWTY_INT8: set(Kind::Int8, 10); break;
        case TWTY_INT16: set(Kind::Int16, 6); break;
        case TWTY_INT32: set(Kind::Int32, 11); break;
        case TWTY_UINT8: set(Kind::Uint8, 4); break;
        case TWTY_UINT32: set(Kind::Uint32, 11); break;
        case TWTY_BOOL: set(Kind::Bool, 5); break;
        case TWTY_FIX32: set(Kind::Fix32, 10); break;
        case TWTY_FRAME: set(Kind::Frame, 4 * 10 + 3); break;
        case TWTY_HANDLE: set(Kind::Handle, 10); break;
        case TWTY_UNI512:
            m_nItemBytes = 0;
            set(Kind::Unicode, kValueTextSize - 1);
            break;
        case TWTY_UINT16:
            if (cap == CAP_KQ_VERSION) {
                set(Kind::Version, 5);
            } else if (cap == CAP_SUPPORTEDCAPS) {
                set(Kind::CapabilityName, std::max(LongestCapabilityName(), kUnnamedValueMax));
            } else if (const ValToCapEntry* names = ValueNamesOf(cap)) {
                m_pNames = names->Values;
                m_nNamedRows = names->Count > 1 ? static_cast<size_t>(names->Count - 1) : 0;
                set(Kind::Named,
                    std::max(std::min(static_cast<size_t>(names->LongestName), kValueNameMax), kUnnamedValueMax));
            } else {
                set(Kind::Number, 5);
            }
            break;
        default:
            if (IsTextType(itemType)) {
                m_nItemBytes = 0;
                m_nTextBytes = ItemTypeBytes(itemType);
                set(Kind::Text, std::min(kShownCharBytes * m_nTextBytes, kValueTextSize - 1));
            }
            break;
    }
}

size_t CItemText::FormatCutItem(size_t itemBytes, char* out) const {
    int n = snprintf(out, kValueTextSize, "!!! item cut: the block holds %zu of its %zu bytes.!!!", itemBytes,
                     m_nItemBytes);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

// Up to the NUL, never past the type's length or the readable bytes.
size_t CItemText::FormatText(const char* text, size_t itemBytes, char* out) const {
    size_t limit = m_nTextBytes < itemBytes ? m_nTextBytes : itemBytes;
    return FormatShownText(text, strnlen(text, limit), out, kValueTextSize - 1);
}

// Up to the NUL unit: an ASCII unit shown as a string byte is, any other as \uXXXX; never
// half an escape, never past the type's length or the readable bytes.
size_t CItemText::FormatUnicode(const void* units, size_t itemBytes, char* out) {
    size_t count = (itemBytes < sizeof(TW_UNI512) ? itemBytes : sizeof(TW_UNI512)) / sizeof(TW_UNI16);
    const auto* bytes = static_cast<const char*>(units);
    size_t n = 0;
    for (size_t i = 0; i < count; ++i) {
        auto unit = ReadUnaligned<TW_UNI16>(bytes + i * sizeof(TW_UNI16));
        if (unit == 0) break;
        char piece[8];
        size_t length;
        if (unit < 0x80) {
            char c = static_cast<char>(unit);
            length = FormatShownText(&c, 1, piece, sizeof(piece));
        } else {
            piece[0] = '\\';
            piece[1] = 'u';
            length = 2 + FormatHex(unit, piece + 2, 4);
        }
        if (kValueTextSize - 1 - n < length) break;
        memcpy(out + n, piece, length);
        n += length;
    }
    return n;
}

size_t CItemText::FormatFrame(const TW_FRAME& frame, char* out) {
    size_t n = FormatFix32(frame.Left, out);
    out[n++] = ',';
    n += FormatFix32(frame.Top, out + n);
    out[n++] = ',';
    n += FormatFix32(frame.Right, out + n);
    out[n++] = ',';
    n += FormatFix32(frame.Bottom, out + n);
    return n;
}

size_t CItemText::FormatNamed(TW_UINT16 value, char* out) const {
    if (const char* name = FindMacroName(m_pNames, m_nNamedRows, value))
        return PutName(name, strnlen(name, kValueNameMax), out);
    FormatUnnamedValue(value, out, kValueTextSize);
    return strlen(out);
}

size_t CItemText::FormatCapabilityName(TW_UINT16 value, char* out) {
    if (value == 0) return 0;
    UnnamedValueText fallback;
    std::string_view name = CapabilityNameOrFallback(value, fallback);
    return PutName(name.data(), name.size(), out);
}

// "%x.%x" of the high and the low byte.
size_t CItemText::FormatVersion(TW_UINT16 value, char* out) {
    size_t n = FormatHex(value >> 8, out);
    out[n++] = '.';
    return n + FormatHex(value & 0xFF, out + n);
}

void CParaAnalyze::MakeCapSupportedCaps(TW_UINT16 cap, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    char text[kValueTextSize];
    CopyText(text, FormatValueName(CAP_SUPPORTEDCAPS, cap, text), pszOut, outSize);
}
