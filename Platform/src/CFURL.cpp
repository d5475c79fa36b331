// File URLs hold a POSIX path; relative paths keep the working directory
// of their creation as base, as macOS does.
#include "CFInternal.h"

#include <unistd.h>

#include <climits>
#include <cstring>

namespace {

CFURLRef createURL(std::string path, bool isDirectory) {
    if (path.empty()) return nullptr;
    auto* url = new __CFURL();
    if (isDirectory && path.back() != '/') path += '/';
    if (path.front() != '/') {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) url->base = cwd;
    }
    url->path = std::move(path);
    url->isDirectory = isDirectory;
    return url;
}

void dropTrailingSlashes(std::string& path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
}

}  // namespace

namespace macplatform {

std::string fileSystemPath(CFURLRef url, bool resolveAgainstBase) {
    std::string path = url->path;
    if (resolveAgainstBase && !url->base.empty())
        path = url->base + (url->base.back() == '/' ? "" : "/") + path;
    dropTrailingSlashes(path);
    return path;
}

}  // namespace macplatform

extern "C" {

CFURLRef CFURLCreateFromFileSystemRepresentation(CFAllocatorRef, const UInt8* buffer,
                                                 CFIndex bufLen, Boolean isDirectory) {
    if (!buffer || bufLen <= 0) return nullptr;
    return createURL(std::string(reinterpret_cast<const char*>(buffer), bufLen), isDirectory);
}

CFURLRef CFURLCreateWithFileSystemPath(CFAllocatorRef, CFStringRef filePath,
                                       CFURLPathStyle pathStyle, Boolean isDirectory) {
    if (!filePath || pathStyle != kCFURLPOSIXPathStyle) return nullptr;
    return createURL(filePath->utf8, isDirectory);
}

CFStringRef CFURLCopyLastPathComponent(CFURLRef url) {
    if (!url) return nullptr;
    std::string path = url->path;
    dropTrailingSlashes(path);
    if (path == "/") return macplatform::makeString(path);
    const size_t slash = path.rfind('/');
    return macplatform::makeString(slash == std::string::npos ? path : path.substr(slash + 1));
}

Boolean CFURLGetFileSystemRepresentation(CFURLRef url, Boolean resolveAgainstBase, UInt8* buffer,
                                         CFIndex maxBufLen) {
    if (!url || !buffer || maxBufLen <= 0) return false;
    const std::string path = macplatform::fileSystemPath(url, resolveAgainstBase);
    if (path.size() >= static_cast<size_t>(maxBufLen)) return false;
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return true;
}

}  // extern "C"
