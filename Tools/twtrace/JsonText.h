// Text as a JSON string, whatever its bytes.
#pragma once

#include <string>
#include <string_view>

// The length of the UTF-8 sequence at text[i], or 0 when it is not a valid one
// (overlong forms, surrogates and values past U+10FFFF are not).
size_t Utf8Length(std::string_view text, size_t i);

// Appends text as a JSON string: quotes, backslashes and control characters
// escaped, bytes that are not UTF-8 taken as Latin-1. inPage also escapes '<', '>'
// and '&', so that the string can stand in a page's script block and never end it.
void AppendJsonString(std::string& out, std::string_view text, bool inPage = false);
