// Object layout shared by the CoreFoundation stand-in sources.
#ifndef MACPLATFORM_CFINTERNAL_H
#define MACPLATFORM_CFINTERNAL_H

#include <CoreFoundation/CoreFoundation.h>

#include <atomic>
#include <mutex>
#include <string>

struct CFObject {
    explicit CFObject(bool isConstant = false) : constant(isConstant) {}
    virtual ~CFObject() = default;
    CFObject(const CFObject&) = delete;
    CFObject& operator=(const CFObject&) = delete;

    std::atomic<CFIndex> refs{1};
    const bool constant;  // CFSTR strings: retain and release do nothing
};

struct __CFString final : CFObject {
    __CFString(std::string text, bool isConstant) : CFObject(isConstant), utf8(std::move(text)) {}
    const std::string utf8;
};

struct __CFURL final : CFObject {
    std::string path;  // as given, with a trailing '/' for a directory
    std::string base;  // working directory for a relative path, else empty
    bool isDirectory = false;
};

struct __CFBundle final : CFObject {
    std::string directory;
    std::string executable;
    std::mutex lock;
    void* code = nullptr;  // dlopen handle, never closed
};

namespace macplatform {

// A new string, or NULL when utf8 is not valid UTF-8.
CFStringRef makeString(std::string utf8);

// The URL's path with a directory's trailing '/' removed, optionally
// made absolute against its base.
std::string fileSystemPath(CFURLRef url, bool resolveAgainstBase);

}  // namespace macplatform

#endif
