#include <cstdio>
#include <cstring>
#include <new>

#include "LogFileSystem.h"
#include "ParaAnalyze.h"
#include "TraceLogFile.h"
#include "TwainLog.h"

FILE* g_pLogFile = nullptr;
CTwainLog* g_pcTwainLog = nullptr;

LogClockReading (*g_fnReadLogClock)() = ReadSystemClock;

LogTime ReadLogTime() {
    LogClockReading reading = g_fnReadLogClock();
    LogTime t{};
    // A time localtime cannot convert leaves the calendar fields zero.
    LocalCalendarTime(reading.seconds, t.local);
    t.nMillisecond = static_cast<int>(reading.microseconds / 1000.0 + 0.5);
    return t;
}

// "YYYYMMDD_hhmmss_mmmm": the part of the file name that tells one load from another.
static void FormatFileTimestamp(char* pszOut, size_t outSize) {
    LogTime t = ReadLogTime();
    snprintf(pszOut, outSize, "%04d%02d%02d_%02d%02d%02d_%04d", t.local.tm_year + 1900, t.local.tm_mon + 1,
             t.local.tm_mday, t.local.tm_hour, t.local.tm_min, t.local.tm_sec, t.nMillisecond);
}

static FILE* OpenNewLogFile(const char* pszDirectory) {
    char szTimestamp[256] = {};
    FormatFileTimestamp(szTimestamp, sizeof(szTimestamp));
    char szFileName[256] = {};
    int n = snprintf(szFileName, sizeof(szFileName), "%s/Twainlog_%s.txt", pszDirectory, szTimestamp);
    // A cut name would be another file, perhaps elsewhere: rather none.
    if (n < 0 || static_cast<size_t>(n) >= sizeof(szFileName)) return nullptr;
    return OpenOwnLogFileForAppending(szFileName);
}

void setupTwainLogIn(const char* pszDirectory) {
    if (!pszDirectory) return;
    char szDirectory[256] = {};
    size_t length = strnlen(pszDirectory, sizeof(szDirectory));
    // A path that does not fit would name some other directory.
    if (length == sizeof(szDirectory)) return;
    memcpy(szDirectory, pszDirectory, length);
    if (!LogDirectoryExists(szDirectory)) return;

    delete g_pcTwainLog;
    // Out of memory at load leaves the logger null, like every other failure there.
    g_pcTwainLog = new (std::nothrow) CTwainLog;
    if (!g_pLogFile) g_pLogFile = OpenNewLogFile(szDirectory);
    g_cParaAnalyze.SetTwainStatus(3);
}

void WriteLogFile(unsigned char const* pData, unsigned long nLength) {
    if (!g_pLogFile) return;
    // Flushed even when nothing is written, so no byte ever waits in the stream.
    if (pData) fwrite(pData, 1, nLength, g_pLogFile);
    fflush(g_pLogFile);
}

void cleanupTwainLog() {
    delete g_pcTwainLog;
    g_pcTwainLog = nullptr;
    if (g_pLogFile) {
        fputs("Close Log File.\n", stderr);
        fclose(g_pLogFile);
        g_pLogFile = nullptr;
    }
}
