// The levelled message logger: line heads, the message text and its line feed,
// the timestamp, and formatting that needs more room or keeps failing.
#include <gtest/gtest.h>

#include <cstdarg>
#include <string>
#include <vector>

#include "LogTestSupport.h"
#include "ParaAnalyze.h"
#include "TraceLogFile.h"
#include "TwainLog.h"

namespace {

using ENUM_LOG_LEVEL_TW::enumLogLevel_tw;

constexpr enumLogLevel_tw Level(int value) { return static_cast<enumLogLevel_tw>(value); }

class TwainLogTest : public ::testing::Test {
protected:
    void SetUp() override {
        CleanupTwainLogQuietly();
        m_clock.Set(kLastSecondOfJanuary2024, 41500);
        setupTwainLogIn(m_dir.Path().c_str());
        ASSERT_NE(g_pLogFile, nullptr);
        ASSERT_NE(g_pcTwainLog, nullptr);
        std::vector<std::string> names = m_dir.Entries();
        ASSERT_EQ(names.size(), 1u);
        m_path = m_dir.Path() + "/" + names[0];
    }
    void TearDown() override {
        CleanupTwainLogQuietly();
        g_cParaAnalyze.SetTwainStatus(0);
    }

    // What was written since the last call.
    std::string Logged() {
        std::string all = ReadWholeFile(m_path);
        std::string fresh = all.substr(m_nSeen);
        m_nSeen = all.size();
        return fresh;
    }

    CTempDirectory m_dir;
    CFixedLogClock m_clock;
    std::string m_path;
    size_t m_nSeen = 0;
};

TEST_F(TwainLogTest, LineHeadShowsTimeLevelOriginAndSourcePlace) {
    struct Case {
        enumLogLevel_tw level;
        const char* origin;
        const char* file;
        int line;
        const char* expected;
    } cases[] = {
        {ENUM_LOG_LEVEL_TW::LEVEL_TRACE, "Scanner", nullptr, 0,
         "[2024/01/31 23:59:59.042] TRACE from \"Scanner\" Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "Scanner", nullptr, 0,
         "[2024/01/31 23:59:59.042] INFO from \"Scanner\" Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_WARNING, "Scanner", nullptr, 0,
         "[2024/01/31 23:59:59.042] WARNING from \"Scanner\" Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_ERROR, "Scanner", nullptr, 0,
         "[2024/01/31 23:59:59.042] ERROR from \"Scanner\" Hello\n"},
        // Levels without a name leave two blanks between "]" and "from"; none is filtered.
        {Level(0), "Scanner", nullptr, 0, "[2024/01/31 23:59:59.042]  from \"Scanner\" Hello\n"},
        {Level(5), "Scanner", nullptr, 0, "[2024/01/31 23:59:59.042]  from \"Scanner\" Hello\n"},
        {Level(-1), "Scanner", nullptr, 0, "[2024/01/31 23:59:59.042]  from \"Scanner\" Hello\n"},
        // The origin is printed as it is, never read as a format; null is empty.
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "50% \"done\" %s", nullptr, 0,
         "[2024/01/31 23:59:59.042] INFO from \"50% \"done\" %s\" Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "", nullptr, 0, "[2024/01/31 23:59:59.042] INFO from \"\" Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, nullptr, nullptr, 0, "[2024/01/31 23:59:59.042] INFO from \"\" Hello\n"},
        // The base name: after the later of the last "/" and the last "\".
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "/src/Mac/DSEntry2/DSEntry.cpp", 42,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File: DSEntry.cpp                             , Line:   42) Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "C:/src/Common\\TwainLog.cpp", 7,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File: TwainLog.cpp                            , Line:    7) Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "C:\\src\\Common/Log.cpp", 1234,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File: Log.cpp                                 , Line: 1234) Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "Plain.cpp", 0,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File: Plain.cpp                               , Line:    0) Hello\n"},
        // Nothing after the last separator: an empty base name, 40 blanks.
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "src/", -7,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File:                                         , Line:   -7) Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "src\\", -7,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File:                                         , Line:   -7) Hello\n"},
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "", -7,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File:                                         , Line:   -7) Hello\n"},
        // The widths are minimums: nothing is cut.
        {ENUM_LOG_LEVEL_TW::LEVEL_INFO, "DS", "a/AVeryLongSourceFileNameThatPassesFortyChars.cpp", 123456,
         "[2024/01/31 23:59:59.042] INFO from \"DS\" "
         "(File: AVeryLongSourceFileNameThatPassesFortyChars.cpp, Line: 123456) Hello\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        g_pcTwainLog->Message(c.level, c.origin, c.file, c.line, "Hello");
        EXPECT_EQ(Logged(), c.expected);
    }
}

TEST_F(TwainLogTest, MessageTextEndsWithExactlyOneLineFeedOfItsOwn) {
    const std::string head = "[2024/01/31 23:59:59.042] INFO from \"DS\" ";
    CTwainLog& log = *g_pcTwainLog;
    const ENUM_LOG_LEVEL_TW::enumLogLevel_tw info = ENUM_LOG_LEVEL_TW::LEVEL_INFO;

    log.Message(info, "DS", nullptr, 0, "Scan %d of %s", 3, "7");
    EXPECT_EQ(Logged(), head + "Scan 3 of 7\n");
    log.Message(info, "DS", nullptr, 0, "ends in a line feed\n");
    EXPECT_EQ(Logged(), head + "ends in a line feed\n");
    log.Message(info, "DS", nullptr, 0, "ends in CR LF\r\n");
    EXPECT_EQ(Logged(), head + "ends in CR LF\r\n");
    log.Message(info, "DS", nullptr, 0, "two\n\n");
    EXPECT_EQ(Logged(), head + "two\n\n");
    log.Message(info, "DS", nullptr, 0, "%s", "");
    EXPECT_EQ(Logged(), head + "\n");
    log.Message(info, "DS", nullptr, 0, nullptr);
    EXPECT_EQ(Logged(), head + "\n");
    // The text is written up to a NUL that it contains, and the line feed still follows.
    log.Message(info, "DS", nullptr, 0, "ab%cz", '\0');
    EXPECT_EQ(Logged(), head + "ab\n");
    // A wide character that no encoding has: vsnprintf fails at any size.
    static const wchar_t kUnencodable[] = {static_cast<wchar_t>(0x110000), 0};
    log.Message(info, "DS", nullptr, 0, "%ls", kUnencodable);
    EXPECT_EQ(Logged(), head + "\n");
}

// A text that does not fit the first 100 characters is formatted again, from the
// first argument, into the room it asked for.
TEST_F(TwainLogTest, LongMessagesAreComplete) {
    const std::string head = "[2024/01/31 23:59:59.042] WARNING from \"DS\" ";
    for (size_t length : {99u, 100u, 101u, 250u, 5120u}) {
        SCOPED_TRACE(length);
        std::string filler(length - 3, 'x');
        g_pcTwainLog->Message(ENUM_LOG_LEVEL_TW::LEVEL_WARNING, "DS", nullptr, 0, "%s|%d", filler.c_str(), 42);
        EXPECT_EQ(Logged(), head + filler + "|42\n");
    }
}

TEST_F(TwainLogTest, TimestampIsLocalTimeWithTheNearestMillisecond) {
    struct Case {
        time_t seconds;
        long microseconds;
        const char* expected;
    } cases[] = {
        {kLastSecondOfJanuary2024, 0, "2024/01/31 23:59:59.000"},
        {kLastSecondOfJanuary2024, 499, "2024/01/31 23:59:59.000"},
        {kLastSecondOfJanuary2024, 500, "2024/01/31 23:59:59.001"},
        {kLastSecondOfJanuary2024, 999499, "2024/01/31 23:59:59.999"},
        // Rounds up to four digits, 1000, without carrying into the seconds.
        {kLastSecondOfJanuary2024, 999500, "2024/01/31 23:59:59.1000"},
        {kEarlyFebruary2009, 7000, "2009/02/03 04:05:06.007"},
    };
    for (const Case& c : cases) {
        m_clock.Set(c.seconds, c.microseconds);
        EXPECT_EQ(g_pcTwainLog->GetHeader(), c.expected);
    }
    m_clock.Set(kLastSecondOfJanuary2024, 999500);
    g_pcTwainLog->Message(ENUM_LOG_LEVEL_TW::LEVEL_TRACE, "DS", nullptr, 0, "late");
    EXPECT_EQ(Logged(), "[2024/01/31 23:59:59.1000] TRACE from \"DS\" late\n");
}

TEST_F(TwainLogTest, WithLoggingOffMessagesAreFormattedAndDropped) {
    CleanupTwainLogQuietly();
    CTwainLog log;
    log.Message(ENUM_LOG_LEVEL_TW::LEVEL_ERROR, "DS", "a/b.cpp", 1, "%s %d", "dropped", 1);
    log.OutputDebugString("dropped\n");
    EXPECT_EQ(ReadWholeFile(m_path), "");
}

// Calls FormatString with a format the compiler is not asked to check, so that
// formats that must fail at run time can be given (clang would otherwise want
// this function to be a checked printf-like one).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::string FormatUnchecked(CTwainLog& log, const char* pszFormat, ...) {
    va_list args;
    va_start(args, pszFormat);
    std::string text = log.FormatString(pszFormat, args);
    va_end(args);
    return text;
}
#pragma GCC diagnostic pop

TEST(TwainLogFormatTest, ResultsAtTheLimits) {
    CTwainLog log;
    const size_t longest = CTwainLog::kMaxMessageCapacity - 1;

    EXPECT_EQ(FormatUnchecked(log, nullptr), "");
    // A width past INT_MAX: vsnprintf fails at every size; the retries end, with no text.
    EXPECT_EQ(FormatUnchecked(log, "%2147483648d", 1), "");

    // The longest text there is room for comes out whole ...
    std::string fits = FormatUnchecked(log, "%*d", static_cast<int>(longest), 7);
    EXPECT_EQ(fits.size(), longest);
    EXPECT_EQ(fits.back(), '7');
    // ... one character more is cut to that length.
    std::string cut = FormatUnchecked(log, "%*d", static_cast<int>(longest + 1), 7);
    EXPECT_EQ(cut, std::string(longest, ' '));
}

}  // namespace
