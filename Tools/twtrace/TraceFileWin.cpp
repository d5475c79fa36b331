// twtrace's system calls on Windows: file names from the wide command line (the
// narrow one loses what the code page cannot hold) and 64-bit sizes.
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cerrno>
#include <string>

#include "TraceFile.h"
#include "WinText.h"

bool TraceFile::Open(int argc, char** argv, int index) {
    name = argv[index];
    int wideCount = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &wideCount);
    if (wide && wideCount == argc) {
        name = Utf8FromWide(wide[index]);
        file = _wfopen(wide[index], L"rb");
    } else {
        file = fopen(argv[index], "rb");
    }
    LocalFree(wide);
    if (!file) return false;
    struct _stat64 info {};
    if (_fstat64(_fileno(file), &info) != 0 || (info.st_mode & _S_IFDIR)) {
        errno = EISDIR;
        return false;
    }
    size = static_cast<uint64_t>(info.st_size);
    regular = (info.st_mode & _S_IFREG) != 0;
    return true;
}

bool TraceFile::IsSameFileAs(const std::string& path) const {
    if (!file) return false;
    BY_HANDLE_FILE_INFORMATION mine{}, other{};
    if (!GetFileInformationByHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file))), &mine)) return false;
    HANDLE handle = CreateFileW(WideFromUtf8(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool known = GetFileInformationByHandle(handle, &other);
    CloseHandle(handle);
    return known && mine.dwVolumeSerialNumber == other.dwVolumeSerialNumber &&
           mine.nFileIndexHigh == other.nFileIndexHigh && mine.nFileIndexLow == other.nFileIndexLow;
}

std::string CreateTemporaryBeside(const std::string& path) {
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        HANDLE handle = CreateFileW(WideFromUtf8(temporary).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            return temporary;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    errno = EACCES;
    return "";
}

bool MoveIntoPlace(const std::string& temporary, const std::string& path) {
    if (MoveFileExW(WideFromUtf8(temporary).c_str(), WideFromUtf8(path).c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    errno = EACCES;
    return false;
}

void UseBinaryStandardOutput() {
    fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

bool StandardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }
