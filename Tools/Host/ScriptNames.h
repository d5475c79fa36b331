// Names in a session script are the trace's own constant names: the name tables
// read backwards, so a script says exactly what the trace will show.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "twaintbl.h"

struct NameTable {
    const MacroEntry* rows;
    size_t namedRows;
};

template <size_t N>
constexpr NameTable TableOf(const MacroEntry (&table)[N]) {
    return {table, NamedRows(table)};
}

using NameTables = std::initializer_list<NameTable>;

inline const NameTables kDgNames = {TableOf(dg_macros)};
inline const NameTables kDatNames = {TableOf(dat_macros), TableOf(dat_kq_macros)};
inline const NameTables kMsgNames = {TableOf(msg_macros), TableOf(msg_kq_macros)};
inline const NameTables kCapabilityNames = {TableOf(cap_macros), TableOf(icap_macros), TableOf(cap_kq_macros),
                                            TableOf(icap_kq_macros)};
inline const NameTables kItemTypeNames = {TableOf(twty_macros)};
inline const NameTables kReturnCodeNames = {TableOf(twrc_macros)};
inline const NameTables kConditionCodeNames = {TableOf(twcc_macros)};
// Every table whose constants can stand as an item value.
extern const NameTables kValueNames;
// The InfoIDs of DAT_EXTIMAGEINFO. The trace shows them as numbers, so the name
// tables have none; the host keeps this one for the scripts.
extern const MacroEntry twei_macros[];
extern const NameTables kInfoIdNames;

// A number (decimal, or hexadecimal after 0x; either with a leading minus) that
// fits in 64 bits and has nothing after it.
bool ParseNumber(std::string_view token, int64_t& value);
// A name of one of the tables, or a number.
bool ParseNamedNumber(const NameTables& tables, std::string_view token, int64_t& value);
