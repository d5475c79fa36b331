#include "ScriptNames.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

const NameTables kValueNames = {
    TableOf(cap_macros), TableOf(icap_macros), TableOf(cap_kq_macros), TableOf(icap_kq_macros),
    TableOf(twty_macros), TableOf(twon_macros), TableOf(twcc_macros), TableOf(twcp_macros),
    TableOf(twpt_macros), TableOf(twff_macros), TableOf(twlg_macros), TableOf(twcy_macros),
    TableOf(twkq_ft_macros), TableOf(twkq_pg_macros), TableOf(twbr_macros), TableOf(twbo_macros),
    TableOf(twft_macros), TableOf(twlp_macros), TableOf(twls_macros), TableOf(twor_macros),
    TableOf(twpf_macros), TableOf(twpc_macros), TableOf(twss_macros), TableOf(twsx_macros),
    TableOf(twun_macros), TableOf(twdx_macros), TableOf(twjc_macros), TableOf(twaf_macros),
    TableOf(twal_macros), TableOf(twcb_macros), TableOf(twde_macros), TableOf(twfa_macros),
    TableOf(twfo_macros), TableOf(twps_macros), TableOf(twpr_macros), TableOf(twpm_macros),
    TableOf(twbd_macros), TableOf(twfl_macros), TableOf(twfr_macros), TableOf(twif_macros),
    TableOf(twnf_macros), TableOf(twov_macros), TableOf(twkq_ui_macros), TableOf(twkq_em_macros),
    TableOf(twkq_gt_macros), TableOf(twkq_cc_macros), TableOf(twkq_cl_macros), TableOf(twkq_tpu_macros),
    TableOf(twkq_usm_macros), TableOf(twkq_dscr_macros), TableOf(twkq_ta_macros),
    TableOf(twkq_dr_macros), TableOf(twkq_ice_macros), TableOf(twkq_gr_macros), TableOf(twkq_ht_macros),
    TableOf(twkq_fs_macros), TableOf(twkq_af_macros), TableOf(twkq_fet_macros), TableOf(twkq_li_macros),
    TableOf(twkq_autosizetype_macros),
};

// 0x1237 has no name in the standard.
const MacroEntry twei_macros[] = {
    {"TWEI_BARCODEX", 0x1200},
    {"TWEI_BARCODEY", 0x1201},
    {"TWEI_BARCODETEXT", 0x1202},
    {"TWEI_BARCODETYPE", 0x1203},
    {"TWEI_DESHADETOP", 0x1204},
    {"TWEI_DESHADELEFT", 0x1205},
    {"TWEI_DESHADEHEIGHT", 0x1206},
    {"TWEI_DESHADEWIDTH", 0x1207},
    {"TWEI_DESHADESIZE", 0x1208},
    {"TWEI_SPECKLESREMOVED", 0x1209},
    {"TWEI_HORZLINEXCOORD", 0x120a},
    {"TWEI_HORZLINEYCOORD", 0x120b},
    {"TWEI_HORZLINELENGTH", 0x120c},
    {"TWEI_HORZLINETHICKNESS", 0x120d},
    {"TWEI_VERTLINEXCOORD", 0x120e},
    {"TWEI_VERTLINEYCOORD", 0x120f},
    {"TWEI_VERTLINELENGTH", 0x1210},
    {"TWEI_VERTLINETHICKNESS", 0x1211},
    {"TWEI_PATCHCODE", 0x1212},
    {"TWEI_ENDORSEDTEXT", 0x1213},
    {"TWEI_FORMCONFIDENCE", 0x1214},
    {"TWEI_FORMTEMPLATEMATCH", 0x1215},
    {"TWEI_FORMTEMPLATEPAGEMATCH", 0x1216},
    {"TWEI_FORMHORZDOCOFFSET", 0x1217},
    {"TWEI_FORMVERTDOCOFFSET", 0x1218},
    {"TWEI_BARCODECOUNT", 0x1219},
    {"TWEI_BARCODECONFIDENCE", 0x121a},
    {"TWEI_BARCODEROTATION", 0x121b},
    {"TWEI_BARCODETEXTLENGTH", 0x121c},
    {"TWEI_DESHADECOUNT", 0x121d},
    {"TWEI_DESHADEBLACKCOUNTOLD", 0x121e},
    {"TWEI_DESHADEBLACKCOUNTNEW", 0x121f},
    {"TWEI_DESHADEBLACKRLMIN", 0x1220},
    {"TWEI_DESHADEBLACKRLMAX", 0x1221},
    {"TWEI_DESHADEWHITECOUNTOLD", 0x1222},
    {"TWEI_DESHADEWHITECOUNTNEW", 0x1223},
    {"TWEI_DESHADEWHITERLMIN", 0x1224},
    {"TWEI_DESHADEWHITERLAVE", 0x1225},
    {"TWEI_DESHADEWHITERLMAX", 0x1226},
    {"TWEI_BLACKSPECKLESREMOVED", 0x1227},
    {"TWEI_WHITESPECKLESREMOVED", 0x1228},
    {"TWEI_HORZLINECOUNT", 0x1229},
    {"TWEI_VERTLINECOUNT", 0x122a},
    {"TWEI_DESKEWSTATUS", 0x122b},
    {"TWEI_SKEWORIGINALANGLE", 0x122c},
    {"TWEI_SKEWFINALANGLE", 0x122d},
    {"TWEI_SKEWCONFIDENCE", 0x122e},
    {"TWEI_SKEWWINDOWX1", 0x122f},
    {"TWEI_SKEWWINDOWY1", 0x1230},
    {"TWEI_SKEWWINDOWX2", 0x1231},
    {"TWEI_SKEWWINDOWY2", 0x1232},
    {"TWEI_SKEWWINDOWX3", 0x1233},
    {"TWEI_SKEWWINDOWY3", 0x1234},
    {"TWEI_SKEWWINDOWX4", 0x1235},
    {"TWEI_SKEWWINDOWY4", 0x1236},
    {"TWEI_BOOKNAME", 0x1238},
    {"TWEI_CHAPTERNUMBER", 0x1239},
    {"TWEI_DOCUMENTNUMBER", 0x123a},
    {"TWEI_PAGENUMBER", 0x123b},
    {"TWEI_CAMERA", 0x123c},
    {"TWEI_FRAMENUMBER", 0x123d},
    {"TWEI_FRAME", 0x123e},
    {"TWEI_PIXELFLAVOR", 0x123f},
    {"TWEI_ICCPROFILE", 0x1240},
    {"TWEI_LASTSEGMENT", 0x1241},
    {"TWEI_SEGMENTNUMBER", 0x1242},
    {"TWEI_MAGDATA", 0x1243},
    {"TWEI_MAGTYPE", 0x1244},
    {"TWEI_PAGESIDE", 0x1245},
    {"TWEI_FILESYSTEMSOURCE", 0x1246},
    {"TWEI_IMAGEMERGED", 0x1247},
    {"TWEI_MAGDATALENGTH", 0x1248},
    {"TWEI_PAPERCOUNT", 0x1249},
    {"TWEI_PRINTERTEXT", 0x124a},
    {"TWEI_TWAINDIRECTMETADATA", 0x124b},
    {"ERROR!", -1},
};
const NameTables kInfoIdNames = {TableOf(twei_macros)};

bool ParseNumber(std::string_view token, int64_t& value) {
    // strtoull wants a NUL-terminated text; a token that long is no number anyway.
    if (token.empty() || token.size() > 40) return false;
    std::string text(token);
    const char* digits = text.c_str();
    bool negative = *digits == '-';
    if (negative) ++digits;
    if (!(*digits >= '0' && *digits <= '9')) return false;
    // Decimal unless 0x says otherwise: a leading zero is no octal here.
    int base = 10;
    if (digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        if (!isxdigit(static_cast<unsigned char>(digits[2]))) return false;
    }
    errno = 0;
    char* end = nullptr;
    unsigned long long magnitude = strtoull(digits, &end, base);
    if (errno != 0 || *end != '\0') return false;
    if (magnitude > static_cast<unsigned long long>(INT64_MAX)) return false;
    value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return true;
}

bool ParseNamedNumber(const NameTables& tables, std::string_view token, int64_t& value) {
    for (const NameTable& table : tables) {
        for (size_t i = 0; i < table.namedRows; ++i) {
            if (token == table.rows[i].name) {
                value = table.rows[i].value;
                return true;
            }
        }
    }
    return ParseNumber(token, value);
}
