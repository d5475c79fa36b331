// What the log tests share: a private temporary directory (so tests running in
// parallel never meet), a fixed clock read in UTC, the standard error stream caught
// in a file, and files read back whole.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "TraceLogFile.h"

class CTempDirectory {
public:
    CTempDirectory() {
        char szTemplate[] = "/tmp/twainlog-test-XXXXXX";
        if (!mkdtemp(szTemplate)) abort();
        m_path = szTemplate;
    }
    ~CTempDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    CTempDirectory(const CTempDirectory&) = delete;
    CTempDirectory& operator=(const CTempDirectory&) = delete;

    const std::string& Path() const { return m_path; }

    // Names of the entries, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_path;
};

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteWholeFile(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
}

// 2024-01-31 23:59:59 UTC and 2009-02-03 04:05:06 UTC.
inline constexpr time_t kLastSecondOfJanuary2024 = 1706745599;
inline constexpr time_t kEarlyFebruary2009 = 1233633906;

inline LogClockReading g_fixedLogClockReading{kLastSecondOfJanuary2024, 0};
inline LogClockReading ReadFixedLogClock() { return g_fixedLogClockReading; }

// While it lives, log timestamps read the time set here, as UTC.
class CFixedLogClock {
public:
    CFixedLogClock() {
        if (const char* tz = getenv("TZ")) m_savedTz = tz;
        setenv("TZ", "UTC0", 1);
        tzset();
        Set(kLastSecondOfJanuary2024, 0);
        g_fnReadLogClock = ReadFixedLogClock;
    }
    ~CFixedLogClock() {
        g_fnReadLogClock = ReadSystemClock;
        if (m_savedTz) setenv("TZ", m_savedTz->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    CFixedLogClock(const CFixedLogClock&) = delete;
    CFixedLogClock& operator=(const CFixedLogClock&) = delete;

    void Set(time_t seconds, long microseconds) { g_fixedLogClockReading = {seconds, microseconds}; }

private:
    std::optional<std::string> m_savedTz;
};

// Everything written to the standard error stream between construction and Text().
class CCapturedStderr {
public:
    CCapturedStderr() {
        fflush(stderr);
        m_pCapture = tmpfile();
        if (!m_pCapture) abort();
        m_nSavedFd = dup(STDERR_FILENO);
        dup2(fileno(m_pCapture), STDERR_FILENO);
    }
    ~CCapturedStderr() {
        Restore();
        fclose(m_pCapture);
    }
    CCapturedStderr(const CCapturedStderr&) = delete;
    CCapturedStderr& operator=(const CCapturedStderr&) = delete;

    std::string Text() {
        Restore();
        std::string text;
        rewind(m_pCapture);
        char buffer[256];
        size_t n;
        while ((n = fread(buffer, 1, sizeof(buffer), m_pCapture)) > 0) text.append(buffer, n);
        return text;
    }

private:
    void Restore() {
        if (m_nSavedFd < 0) return;
        fflush(stderr);
        dup2(m_nSavedFd, STDERR_FILENO);
        close(m_nSavedFd);
        m_nSavedFd = -1;
    }

    FILE* m_pCapture = nullptr;
    int m_nSavedFd = -1;
};

// Clean-up that must not print into the test's own output.
inline void CleanupTwainLogQuietly() {
    CCapturedStderr quiet;
    cleanupTwainLog();
}
