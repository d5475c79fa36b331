// What a capability's container says, in a few words.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TraceRecord.h"

// "TWSX_MEMORY" of a one-value, "TWPT_RGB (2 of 3)" of an enumeration's current
// item, "0.000 in -1000.000..1000.000" of a range, "16 items" of an array, "cut"
// of a container its block cannot hold; empty when the record shows no container.
std::string ContainerValue(const TraceRecord& record);

// The items of the list in the block (in order), as the trace shows them.
std::vector<std::string> ListItems(const TraceRecord& record, const char* block);

// "container cut: the block holds 6 bytes, TW_ONEVALUE needs 8" (or an item cut)
// when the monitor found a container's block too small for its type; else empty.
std::string ContainerCut(const TraceRecord& record);

// The item type the standard gives a well-known capability (check's table), or -1.
int64_t StandardItemType(int64_t cap);
