// The trace log file's system calls on macOS and Linux.
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include "LogFileSystem.h"
#include "TraceLogFile.h"

LogClockReading ReadSystemClock() {
    LogClockReading reading{};
    reading.seconds = time(nullptr);
    struct timeval now {};
    gettimeofday(&now, nullptr);
    reading.microseconds = now.tv_usec;
    return reading;
}

void LocalCalendarTime(time_t seconds, struct tm& local) { localtime_r(&seconds, &local); }

bool LogDirectoryExists(const char* pszDirectory) { return access(pszDirectory, 0) == 0; }

// A symbolic link is not followed, a hard link (a second name) is refused, and a
// planted pipe neither blocks the load nor is used.
FILE* OpenOwnLogFileForAppending(const char* pszFileName) {
    int fd = open(pszFileName, O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0666);
    if (fd < 0) return nullptr;
    struct stat status {};
    FILE* file = nullptr;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && status.st_nlink == 1) file = fdopen(fd, "a");
    if (!file) close(fd);
    return file;
}
