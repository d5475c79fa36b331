// Value formatting of single capability items.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "ParaAnalyze.h"
#include "TextFormat.h"
#include "twaintbl.h"

namespace {

// The audio file format capability: its values have a name table, its own name
// is in none of ours.
constexpr int32_t kCapAudioFileFormat = 0x1201;

// Count comes from the table itself, so a row added to a table cannot leave the
// map behind.
#define VALTOCAP_ROW(cap, table) {cap, static_cast<int32_t>(std::size(table)), table}

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
};
static_assert(std::size(kItemTypeBytes) == TWTY_STR255 + 1);

bool IsTextType(TW_UINT16 itemType) { return itemType >= TWTY_STR32 && itemType <= TWTY_STR255; }

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
    {-1, -1, nullptr},
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
    {-1, -1, nullptr},
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
    if (IsTextType(itemType)) {
        // Up to the NUL, never past the type's length or the readable bytes.
        const char* text = static_cast<const char*>(pItem);
        size_t limit = ItemTypeBytes(itemType) < itemBytes ? ItemTypeBytes(itemType) : itemBytes;
        return FormatShownText(text, strnlen(text, limit), out, kValueTextSize - 1);
    }

    // A type without a size of its own is shown as the 4-byte field it stands in.
    size_t need = ItemTypeBytes(itemType) ? ItemTypeBytes(itemType) : sizeof(TW_UINT32);
    if (itemBytes < need) {
        int n = snprintf(out, kValueTextSize, "!!! item cut: the block holds %zu of its %zu bytes.!!!", itemBytes,
                         need);
        return n > 0 ? static_cast<size_t>(n) : 0;
    }

    // Numbers are formatted without printf: item lists are the longest part of a trace.
    switch (itemType) {
        case TWTY_INT8:
            // Sign-extended first, so -1 shows as 0xffffffff.
            return FormatHexWithPrefix(static_cast<uint32_t>(int32_t{ReadUnaligned<TW_INT8>(pItem)}), out, 2);
        case TWTY_INT16: return FormatSigned(ReadUnaligned<TW_INT16>(pItem), out);
        case TWTY_INT32: return FormatSigned(ReadUnaligned<TW_INT32>(pItem), out);
        case TWTY_UINT8: return FormatHexWithPrefix(ReadUnaligned<TW_UINT8>(pItem), out, 2);
        case TWTY_UINT16: return FormatValueName(cap, ReadUnaligned<TW_UINT16>(pItem), out);
        case TWTY_UINT32: return FormatSigned(static_cast<int32_t>(ReadUnaligned<TW_UINT32>(pItem)), out);
        case TWTY_BOOL: {
            bool set = ReadUnaligned<TW_BOOL>(pItem) != 0;
            memcpy(out, set ? "true" : "false", set ? 4 : 5);
            return set ? 4 : 5;
        }
        case TWTY_FIX32: return FormatFix32(ReadUnaligned<TW_FIX32>(pItem), out);
        case TWTY_FRAME: {
            TW_FRAME frame = ReadUnaligned<TW_FRAME>(pItem);
            size_t n = FormatFix32(frame.Left, out);
            out[n++] = ',';
            n += FormatFix32(frame.Top, out + n);
            out[n++] = ',';
            n += FormatFix32(frame.Right, out + n);
            out[n++] = ',';
            n += FormatFix32(frame.Bottom, out + n);
            return n;
        }
        default: return FormatHexWithPrefix(ReadUnaligned<TW_UINT32>(pItem), out, 8);
    }
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

// Copies a name to out, without its NUL, and says how long it is.
static size_t PutName(const char* name, char* out) {
    size_t length = strlen(name);
    memcpy(out, name, length);
    return length;
}

size_t CParaAnalyze::FormatValueName(TW_UINT16 cap, TW_UINT16 value, char* out) {
    const ValToCapEntry* map = VALTOCAP;
    if (cap > 0x8000) {
        if (cap == CAP_KQ_VERSION) {
            // "%x.%x" of the high and the low byte.
            size_t n = FormatHex(value >> 8, out);
            out[n++] = '.';
            return n + FormatHex(value & 0xFF, out + n);
        }
        map = VALTOCAPKQ;
    } else if (cap == CAP_SUPPORTEDCAPS) {
        if (value == 0) return 0;
        if (const char* name = FindCapabilityName(value)) return PutName(name, out);
        FormatUnnamedValue(value, out, kValueTextSize);
        return strlen(out);
    }

    const ValToCapEntry* row = map;
    while (row->Values && row->Cap != cap) ++row;
    if (!row->Values) return FormatUnsigned(value, out);
    // The name stays in m_szName, as every value name lookup leaves it.
    size_t namedRows = row->Count > 1 ? static_cast<size_t>(row->Count - 1) : 0;
    LookupMacroName(row->Values, namedRows, value, m_szName, sizeof(m_szName));
    return PutName(m_szName, out);
}

void CParaAnalyze::MakeCapSupportedCaps(TW_UINT16 cap, char* pszOut, size_t outSize) {
    if (!pszOut || outSize == 0) return;
    char text[kValueTextSize];
    CopyText(text, FormatValueName(CAP_SUPPORTEDCAPS, cap, text), pszOut, outSize);
}
