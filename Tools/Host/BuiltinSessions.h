// The sessions that come with the host, written in its own script format.
#pragma once

#include <string_view>

// The script of a built-in session ("demo", "vendor", "structures", "twain2", "callback"), or null.
const char* FindBuiltinSession(std::string_view name);
