// The trace log file: opened at load when the log directory exists, appended to by
// every write (each flushed at once), closed at unload. Without the directory every
// write is dropped and the host never notices.
#pragma once

#include <cstdio>
#include <ctime>

class CTwainLog;

extern FILE* g_pLogFile;         // null while logging is off or the file did not open
extern CTwainLog* g_pcTwainLog;  // exists while logging is on

// Defined apart (ParaAnalyzeLogRoot.cpp), compiled into each module with that
// module's root, so that this library does not depend on it.
void setupTwainLog();
void WriteLogFile(unsigned char const* pData, unsigned long nLength);
void cleanupTwainLog();

// setupTwainLog with another log directory, so tests need not share the fixed one.
void setupTwainLogIn(const char* pszDirectory);

// The two readings a log timestamp is made of: the calendar time, then the
// microseconds of the time of day just after it.
struct LogClockReading {
    time_t seconds;
    long microseconds;
};
// The system's clock (LogFilePosix.cpp, LogFileWin.cpp).
LogClockReading ReadSystemClock();
// The clock behind every log timestamp. The product never changes it; tests set it
// to fix the time.
extern LogClockReading (*g_fnReadLogClock)();

// A timestamp's fields: local calendar time and the nearest whole millisecond of the
// time of day, halves going up, so 0 to 1000 (1000 does not carry into the seconds).
struct LogTime {
    struct tm local;
    int nMillisecond;
};
LogTime ReadLogTime();
