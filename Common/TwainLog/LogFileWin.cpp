// The trace log file's system calls on Windows.
#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cstring>

#include "LogFileSystem.h"
#include "TraceLogFile.h"
#include "WinText.h"

namespace {

constexpr ULONGLONG kTicksPerSecond = 10000000;                   // a FILETIME counts 100 ns
constexpr ULONGLONG kTicksFrom1601To1970 = 116444736000000000ULL;  // the FILETIME of the Unix epoch

}  // namespace

// Both readings from one look at the clock, so the milliseconds belong to the second.
LogClockReading ReadSystemClock() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32 | now.dwLowDateTime) - kTicksFrom1601To1970;
    LogClockReading reading{};
    reading.seconds = static_cast<time_t>(ticks / kTicksPerSecond);
    reading.microseconds = static_cast<long>(ticks % kTicksPerSecond / 10);
    return reading;
}

// localtime_s leaves -1 in every field on failure; the log's rule is zero.
void LocalCalendarTime(time_t seconds, struct tm& local) {
    if (localtime_s(&local, &seconds) != 0) memset(&local, 0, sizeof local);
}

bool LogDirectoryExists(const char* pszDirectory) {
    const DWORD attributes = GetFileAttributesW(WideFromUtf8(pszDirectory).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Shared for reading (and for another load's appending), so that the engineer can
// read the trace while the application runs. A reparse point is opened as itself,
// not followed, and refused; so is a file with a second name (a hard link).
FILE* OpenOwnLogFileForAppending(const char* pszFileName) {
    const std::wstring name = WideFromUtf8(pszFileName);
    if (name.empty()) return nullptr;
    HANDLE handle = CreateFileW(name.c_str(), FILE_APPEND_DATA | SYNCHRONIZE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    BY_HANDLE_FILE_INFORMATION file{};
    const bool own = GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &file) &&
                     !(file.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) &&
                     file.nNumberOfLinks == 1;
    const int fd = own ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_APPEND | _O_BINARY) : -1;
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    // Binary: the trace's lines already end in CR LF, and no byte may change.
    FILE* stream = _fdopen(fd, "ab");
    if (!stream) _close(fd);
    return stream;
}
