// The levelled message logger: free-form diagnostic lines in the trace log file,
// beside the triplet records. Each line is a head (time, level, origin and,
// optionally, source file and line) followed by the message and one line feed.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

#include "PrintfFormat.h"

namespace ENUM_LOG_LEVEL_TW {
enum enumLogLevel_tw : int32_t {
    LEVEL_TRACE = 1,
    LEVEL_INFO = 2,
    LEVEL_WARNING = 3,
    LEVEL_ERROR = 4,
};
}  // namespace ENUM_LOG_LEVEL_TW

class CTwainLog {
public:
    CTwainLog() = default;
    virtual ~CTwainLog();

    // Every level is written. pszOrigin null prints as an empty origin; pszFile null
    // leaves out the file and line; a null format gives an empty message.
    void Message(ENUM_LOG_LEVEL_TW::enumLogLevel_tw level, const char* pszOrigin, const char* pszFile,
                 int nLine, const char* pszFormat, ...) TW_PRINTF_FORMAT(6, 7);

    // Appends the text to the trace log file, flushed; nothing while logging is off.
    void OutputDebugString(const char* pszText);
    // Local time "YYYY/MM/DD hh:mm:ss.mmm".
    std::string GetHeader();
    // "TRACE", "INFO", "WARNING", "ERROR"; empty for any other value.
    std::string GetLevelName(ENUM_LOG_LEVEL_TW::enumLogLevel_tw level);
    // The formatted text; empty for a null format or one that vsnprintf keeps
    // failing on; cut to kMaxMessageCapacity - 1 characters when longer.
    std::string FormatString(const char* pszFormat, va_list args) TW_PRINTF_FORMAT(2, 0);

    static constexpr size_t kFirstMessageCapacity = 100;
    static constexpr size_t kMaxMessageCapacity = size_t{1} << 20;
};
