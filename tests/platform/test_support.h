// Helpers shared by the platform tests.
#ifndef PLATFORM_TESTS_TEST_SUPPORT_H
#define PLATFORM_TESTS_TEST_SUPPORT_H

#include <CoreFoundation/CoreFoundation.h>

#include <string>

// Blocks currently held from the replaced global operator new; the
// library's objects come from there, so a missed free shows as a surplus.
long LiveAllocations();

// The string's UTF-8 bytes, or "<unconvertible>" when GetCString fails.
std::string Utf8Of(CFStringRef s);

// A fresh directory for the current test, removed with all its content
// when the object goes away.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

#endif
