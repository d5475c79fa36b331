// Names back to values through the tables the monitor prints with (the same
// lists a session script reads), indexed once for speed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ScriptNames.h"
#include "TraceRecord.h"

// Which tables a name is looked up in.
enum class NameKind { Dg, Dat, Msg, Capability, ReturnCode, ConditionCode, ItemType, ContainerType, Value };

// The value of a name of that kind, or of the fallback "ERROR!(n)"; false when
// the text is neither.
bool ValueOfName(NameKind kind, std::string_view text, int64_t& value);

// Fills name from the text: known and value when ValueOfName finds it.
void SetTraceName(TraceName& name, NameKind kind, std::string_view text);

// The name the monitor prints for a value of that kind ("ERROR!(n)" when none).
std::string NameOfValue(NameKind kind, int64_t value);
