// What a capability's container says, in a few words.
#pragma once

#include <string>

#include "TraceRecord.h"

// "TWSX_MEMORY" of a one-value, "TWPT_RGB (2 of 3)" of an enumeration's current
// item, "0.000 in -1000.000..1000.000" of a range, "16 items" of an array; empty
// when the record shows no container.
std::string ContainerValue(const TraceRecord& record);

// The items of the list in the block (in order), as the trace shows them.
std::vector<std::string> ListItems(const TraceRecord& record, const char* block);
