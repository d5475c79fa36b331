// What the tools show of a file they were given, and how they tell a text file
// from another before reading it line by line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The most bytes of a quoted word that a message shows; the rest is cut.
inline constexpr size_t kQuotedBytes = 60;

// Text as a tool writes it to a terminal: control characters (below 0x20, 0x7F
// and the C1 range) and bytes that are no UTF-8 are written as \r, \n, \t or
// \xHH, so a file can send no command to the terminal. Text longer than maxBytes
// is cut there (never inside a character) and ends with "... (N bytes)".
std::string ShownText(std::string_view text, size_t maxBytes = kQuotedBytes);

// False when ShownText would keep every byte (all printable ASCII): a quick test
// for the common case; true may still come back unchanged (UTF-8).
bool NeedsEscapes(std::string_view text);

// 3 when text starts with a UTF-8 byte-order mark, else 0.
size_t ByteOrderMarkLength(std::string_view text);

// What a file that starts with head looks like when it is not text ("an ELF
// executable", "UTF-16 text", ...); empty when it may be text.
std::string NotTextKind(std::string_view head);

// The bytes of a file's start that NotTextKind looks at.
inline constexpr size_t kTextSniffBytes = 4096;
