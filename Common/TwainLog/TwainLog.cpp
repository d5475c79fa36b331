#include "TwainLog.h"

#include <clocale>
#include <cstdio>
#include <cstring>

#include <boost/format.hpp>

#include "TraceLogFile.h"
#include "twaintbl.h"

namespace {

constexpr MacroEntry log_level_macros[] = {
    {"TRACE", ENUM_LOG_LEVEL_TW::LEVEL_TRACE},
    {"INFO", ENUM_LOG_LEVEL_TW::LEVEL_INFO},
    {"WARNING", ENUM_LOG_LEVEL_TW::LEVEL_WARNING},
    {"ERROR", ENUM_LOG_LEVEL_TW::LEVEL_ERROR},
    {"ERROR!", -1},
};

// Both heads end in one blank; the message follows directly.
constexpr char kHeadWithoutFile[] = "[%s] %s from \"%s\" ";
constexpr char kHeadWithFile[] = "[%s] %s from \"%s\" (File: %-40s, Line: %4d) ";

// The text after the last "/" or "\", whichever comes later; the whole path without either.
const char* BaseNameOf(const char* pszPath) {
    const char* slash = strrchr(pszPath, '/');
    const char* backslash = strrchr(pszPath, '\\');
    const char* last = slash > backslash ? slash : backslash;
    return last ? last + 1 : pszPath;
}

}  // namespace

CTwainLog::~CTwainLog() = default;

void CTwainLog::Message(ENUM_LOG_LEVEL_TW::enumLogLevel_tw level, const char* pszOrigin, const char* pszFile,
                        int nLine, const char* pszFormat, ...) {
    // Where the locale does not exist this changes nothing.
    setlocale(LC_CTYPE, "jpn");

    std::string levelName = GetLevelName(level);
    std::string timestamp = GetHeader();
    std::string origin = pszOrigin ? pszOrigin : "";
    std::string head;
    if (!pszFile) {
        head = (boost::format(kHeadWithoutFile) % timestamp % levelName % origin).str();
    } else {
        head = (boost::format(kHeadWithFile) % timestamp % levelName % origin % BaseNameOf(pszFile) % nLine).str();
    }

    va_list args;
    va_start(args, pszFormat);
    std::string text = FormatString(pszFormat, args);
    va_end(args);
    // The text is written up to its first NUL, so the line feed must come before it.
    text.resize(strlen(text.c_str()));
    if (text.empty() || text.back() != '\n') text += '\n';

    OutputDebugString(head.c_str());
    OutputDebugString(text.c_str());
}

void CTwainLog::OutputDebugString(const char* pszText) {
    if (!pszText) return;
    WriteLogFile(reinterpret_cast<const unsigned char*>(pszText), strlen(pszText));
}

std::string CTwainLog::GetHeader() {
    LogTime t = ReadLogTime();
    char szTimestamp[256] = {};
    snprintf(szTimestamp, sizeof(szTimestamp), "%04d/%02d/%02d %02d:%02d:%02d.%03d", t.local.tm_year + 1900,
             t.local.tm_mon + 1, t.local.tm_mday, t.local.tm_hour, t.local.tm_min, t.local.tm_sec,
             t.nMillisecond);
    return szTimestamp;
}

std::string CTwainLog::GetLevelName(ENUM_LOG_LEVEL_TW::enumLogLevel_tw level) {
    const char* name = FindMacroName(log_level_macros, NamedRows(log_level_macros), level);
    return name ? name : "";
}

std::string CTwainLog::FormatString(const char* pszFormat, va_list args) {
    std::string text;
    if (!pszFormat) return text;
    size_t capacity = kFirstMessageCapacity;
    for (;;) {
        text.resize(capacity);
        // Every attempt reads the arguments from the first one.
        va_list attempt;
        va_copy(attempt, args);
        int n = vsnprintf(text.data(), capacity, pszFormat, attempt);
        va_end(attempt);

        if (n < 0) {
            // Some libraries fail instead of reporting the length: try more room, but
            // a format that fails at any size gives up once the room would pass the limit.
            if (capacity * 2 > kMaxMessageCapacity) return {};
            capacity *= 2;
            continue;
        }
        size_t wanted = static_cast<size_t>(n);
        if (wanted < capacity) {
            text.resize(wanted);
            return text;
        }
        if (capacity == kMaxMessageCapacity) {
            // Longer than the limit: keep what fitted.
            text.resize(capacity - 1);
            return text;
        }
        capacity = wanted + 1 < kMaxMessageCapacity ? wanted + 1 : kMaxMessageCapacity;
    }
}
