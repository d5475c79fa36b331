// What the trace log file asks of the system: one file per system behind it
// (LogFilePosix.cpp, LogFileWin.cpp). Paths are UTF-8.
#pragma once

#include <cstdio>
#include <ctime>

// The local calendar time of a clock reading; all fields zero when it cannot be converted.
void LocalCalendarTime(time_t seconds, struct tm& local);

// The log switch: the directory exists (nothing is asked about permissions).
bool LogDirectoryExists(const char* pszDirectory);

// The file opened for appending in binary (created when missing), or null. Only a
// regular file of its own is taken: the log directory is writable by every local
// user, and a link planted under a future file's name would have us append to
// another file with the application's rights.
FILE* OpenOwnLogFileForAppending(const char* pszFileName);
