#include "TraceNames.h"

#include <unordered_map>

namespace {

const NameTables kContainerTypeNames = {TableOf(twon_macros)};

const NameTables& TablesOf(NameKind kind) {
    switch (kind) {
        case NameKind::Dg: return kDgNames;
        case NameKind::Dat: return kDatNames;
        case NameKind::Msg: return kMsgNames;
        case NameKind::Capability: return kCapabilityNames;
        case NameKind::ReturnCode: return kReturnCodeNames;
        case NameKind::ConditionCode: return kConditionCodeNames;
        case NameKind::ItemType: return kItemTypeNames;
        case NameKind::ContainerType: return kContainerTypeNames;
        case NameKind::Value: break;
    }
    return kValueNames;
}

// One index per kind: the first row of the first table that holds a name wins,
// as in the tables' own lookup.
class CNameIndex {
public:
    explicit CNameIndex(const NameTables& tables) {
        for (const NameTable& table : tables)
            for (size_t i = 0; i < table.namedRows; ++i) m_values.emplace(table.rows[i].name, table.rows[i].value);
    }
    const int64_t* Find(std::string_view name) const {
        auto it = m_values.find(name);
        return it == m_values.end() ? nullptr : &it->second;
    }

private:
    std::unordered_map<std::string_view, int64_t> m_values;
};

const CNameIndex& IndexOf(NameKind kind) {
    static const CNameIndex indexes[] = {
        CNameIndex(TablesOf(NameKind::Dg)),         CNameIndex(TablesOf(NameKind::Dat)),
        CNameIndex(TablesOf(NameKind::Msg)),        CNameIndex(TablesOf(NameKind::Capability)),
        CNameIndex(TablesOf(NameKind::ReturnCode)), CNameIndex(TablesOf(NameKind::ConditionCode)),
        CNameIndex(TablesOf(NameKind::ItemType)),   CNameIndex(TablesOf(NameKind::ContainerType)),
        CNameIndex(TablesOf(NameKind::Value)),
    };
    return indexes[static_cast<int>(kind)];
}

// "ERROR!(n)": the fallback of every table, n a signed decimal.
bool ParseFallback(std::string_view text, int64_t& value) {
    constexpr std::string_view kPrefix = "ERROR!(";
    if (text.size() < kPrefix.size() + 2 || text.substr(0, kPrefix.size()) != kPrefix || text.back() != ')')
        return false;
    std::string_view digits = text.substr(kPrefix.size(), text.size() - kPrefix.size() - 1);
    return !digits.empty() && digits.find('x') == std::string_view::npos && ParseTraceNumber(digits, value);
}

}  // namespace

bool ValueOfName(NameKind kind, std::string_view text, int64_t& value) {
    if (const int64_t* found = IndexOf(kind).Find(text)) {
        value = *found;
        return true;
    }
    return ParseFallback(text, value);
}

void SetTraceName(TraceName& name, NameKind kind, std::string_view text) {
    name.text.assign(text);
    name.value = 0;
    name.known = ValueOfName(kind, text, name.value);
}

std::string NameOfValue(NameKind kind, int64_t value) {
    char text[64];
    if (kind == NameKind::Capability) {
        LookupCapabilityName(static_cast<TW_UINT16>(value), text, sizeof(text));
        return text;
    }
    for (const NameTable& table : TablesOf(kind))
        if (const char* name = FindMacroName(table.rows, table.namedRows, value)) return name;
    FormatUnnamedValue(value, text, sizeof(text));
    return text;
}
