// A path as a message shows it: quoted, control characters escaped so that a bad
// line cannot garble a terminal or a trace, and cut when it is too long to read.
#pragma once

#include <cstdio>
#include <string>

inline std::string ShownPath(const std::string& path) {
    constexpr size_t kShownBytes = 160;
    std::string shown = "\"";
    for (size_t i = 0; i < path.size() && i < kShownBytes; ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    shown += path.size() > kShownBytes ? "\"..." : "\"";
    return shown;
}
