#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>
#include <cstring>
#include <ostream>
#include <string>

#include "test_support.h"

namespace {

CFURLRef UrlFromPath(const std::string& path, bool isDirectory) {
    return CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()),
        static_cast<CFIndex>(path.size()), isDirectory);
}

std::string FileSystemPath(CFURLRef url, bool resolve) {
    UInt8 buffer[PATH_MAX];
    if (!CFURLGetFileSystemRepresentation(url, resolve, buffer, sizeof buffer)) return "<failed>";
    return reinterpret_cast<const char*>(buffer);
}

struct PathCase {
    const char* label;
    const char* path;
    bool isDirectory;
    const char* lastComponent;
    const char* fileSystemPath;  // absolute paths only, so resolving changes nothing
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const PathCase& c, std::ostream* os) {
    *os << c.label;
}

class UrlPaths : public testing::TestWithParam<PathCase> {};

TEST_P(UrlPaths, FromFileSystemRepresentation) {
    const PathCase& c = GetParam();
    CFURLRef url = UrlFromPath(c.path, c.isDirectory);
    ASSERT_NE(url, nullptr);
    CFStringRef last = CFURLCopyLastPathComponent(url);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(Utf8Of(last), c.lastComponent);
    EXPECT_EQ(FileSystemPath(url, true), c.fileSystemPath);
    EXPECT_EQ(FileSystemPath(url, false), c.fileSystemPath);
    CFRelease(last);
    CFRelease(url);
}

TEST_P(UrlPaths, FromPathString) {
    const PathCase& c = GetParam();
    CFStringRef path = CFStringCreateWithCString(kCFAllocatorDefault, c.path, kCFStringEncodingUTF8);
    CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, path, kCFURLPOSIXPathStyle,
                                                 c.isDirectory);
    CFRelease(path);
    ASSERT_NE(url, nullptr);
    CFStringRef last = CFURLCopyLastPathComponent(url);
    EXPECT_EQ(Utf8Of(last), c.lastComponent);
    EXPECT_EQ(FileSystemPath(url, true), c.fileSystemPath);
    CFRelease(last);
    CFRelease(url);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, UrlPaths,
    testing::Values(
        PathCase{"driver_executable", "/Library/Image Capture/TWAIN Data Sources/Foo.ds/Contents/MacOS/Foo",
                 false, "Foo", "/Library/Image Capture/TWAIN Data Sources/Foo.ds/Contents/MacOS/Foo"},
        PathCase{"directory_with_slash", "/opt/drivers/Foo.ds/", true, "Foo.ds", "/opt/drivers/Foo.ds"},
        PathCase{"directory_without_slash", "/opt/drivers/Foo.ds", true, "Foo.ds",
                 "/opt/drivers/Foo.ds"},
        PathCase{"root", "/", true, "/", "/"},
        PathCase{"utf8_name", "/tmp/caf\xC3\xA9.bundle", true, "caf\xC3\xA9.bundle",
                 "/tmp/caf\xC3\xA9.bundle"}),
    [](const testing::TestParamInfo<PathCase>& info) { return std::string(info.param.label); });

TEST(Url, RelativePathResolvesAgainstTheWorkingDirectory) {
    char cwd[PATH_MAX];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    CFURLRef url = UrlFromPath("Sub/Foo", false);
    ASSERT_NE(url, nullptr);
    EXPECT_EQ(FileSystemPath(url, false), "Sub/Foo");
    const std::string base = cwd;
    EXPECT_EQ(FileSystemPath(url, true), base + (base == "/" ? "" : "/") + "Sub/Foo");
    CFStringRef last = CFURLCopyLastPathComponent(url);
    EXPECT_EQ(Utf8Of(last), "Foo");
    CFRelease(last);
    CFRelease(url);
}

TEST(Url, RepresentationNeedsRoomForItsNul) {
    CFURLRef url = UrlFromPath("/abc", false);
    ASSERT_NE(url, nullptr);
    UInt8 buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_FALSE(CFURLGetFileSystemRepresentation(url, true, buffer, 4));
    for (size_t i = 4; i < sizeof buffer; ++i) EXPECT_EQ(buffer[i], '#') << i;
    EXPECT_TRUE(CFURLGetFileSystemRepresentation(url, true, buffer, 5));
    EXPECT_STREQ(reinterpret_cast<const char*>(buffer), "/abc");
    CFRelease(url);
}

TEST(Url, EmptyOrMissingPathsGiveNull) {
    EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, nullptr, kCFURLPOSIXPathStyle, false),
              nullptr);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR(""), kCFURLPOSIXPathStyle, true),
              nullptr);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("C:\\x"), kCFURLWindowsPathStyle,
                                            false),
              nullptr);
    const UInt8 path[] = "/x";
    EXPECT_EQ(CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, path, 0, false), nullptr);
    EXPECT_EQ(CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, nullptr, 2, false), nullptr);
    EXPECT_EQ(CFURLCopyLastPathComponent(nullptr), nullptr);
}

}  // namespace
