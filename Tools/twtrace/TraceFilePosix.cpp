// twtrace's system calls on Linux and macOS: off_t is 64 bits wide on both.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "TraceFile.h"

bool TraceFile::Open(int, char** argv, int index) {
    name = argv[index];
    file = fopen(argv[index], "rb");
    if (!file) return false;
    struct stat info {};
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        errno = EISDIR;
        return false;
    }
    size = static_cast<uint64_t>(info.st_size);
    regular = S_ISREG(info.st_mode);
    return true;
}

bool TraceFile::IsSameFileAs(const std::string& path) const {
    struct stat mine {}, other {};
    return file && fstat(fileno(file), &mine) == 0 && stat(path.c_str(), &other) == 0 && mine.st_dev == other.st_dev &&
           mine.st_ino == other.st_ino;
}

std::string CreateTemporaryBeside(const std::string& path) {
    std::string temporary = path + ".XXXXXX";
    int descriptor = mkstemp(temporary.data());
    if (descriptor < 0) return "";
    // mkstemp's file is the owner's alone; a page is as readable as any file the user makes.
    mode_t mask = umask(0);
    umask(mask);
    fchmod(descriptor, 0666 & ~mask);
    close(descriptor);
    return temporary;
}

bool MoveIntoPlace(const std::string& temporary, const std::string& path) {
    return rename(temporary.c_str(), path.c_str()) == 0;
}

void UseBinaryStandardOutput() {}

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }
