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
