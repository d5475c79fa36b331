#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>

#include "probe_values.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace {

using ProbeFn = int (*)();

CFBundleRef BundleAt(const std::string& dir) {
    CFURLRef url = CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<const UInt8*>(dir.data()),
        static_cast<CFIndex>(dir.size()), true);
    if (!url) return nullptr;
    CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    return bundle;
}

// A bundle directory with Contents/MacOS; `executable` is copied in under
// `executableName` when given.
std::string MakeBundle(const ScratchDir& scratch, const std::string& dirName,
                       const std::string& executableName, const std::string& executable) {
    const fs::path dir = fs::path(scratch.path()) / dirName;
    fs::create_directories(dir / "Contents" / "MacOS");
    if (!executable.empty()) fs::copy_file(executable, dir / "Contents" / "MacOS" / executableName);
    return dir.string();
}

bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);  // undo the reference NOLOAD took
    return handle != nullptr;
}

TEST(Bundle, ProbeFunctionIsFoundAndCallable) {
    CFBundleRef bundle = BundleAt(PROBE_BUNDLE_DIR);
    ASSERT_NE(bundle, nullptr);
    auto fn = reinterpret_cast<ProbeFn>(CFBundleGetFunctionPointerForName(bundle, CFSTR("ProbeFunction")));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), kProbeFunctionResult);
    EXPECT_TRUE(IsLoaded(PROBE_BUNDLE_EXECUTABLE));
    // Repeated lookups reuse the loaded code.
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("ProbeFunction")),
              reinterpret_cast<void*>(fn));
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("NoSuchFunction")), nullptr);
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, nullptr), nullptr);
    CFRelease(bundle);
}

TEST(Bundle, MissingOrNonDirectoryGivesNull) {
    ScratchDir scratch;
    EXPECT_EQ(CFBundleCreate(kCFAllocatorDefault, nullptr), nullptr);
    EXPECT_EQ(BundleAt(scratch.path() + "/Missing.bundle"), nullptr);
    const std::string file = scratch.path() + "/File.bundle";
    std::ofstream(file) << "not a directory";
    EXPECT_EQ(BundleAt(file), nullptr);
    EXPECT_EQ(CFBundleGetFunctionPointerForName(nullptr, CFSTR("ProbeFunction")), nullptr);
}

TEST(Bundle, UnloadableExecutableGivesNoFunctions) {
    ScratchDir scratch;
    const struct {
        const char* label;
        std::string dir;
    } cases[] = {
        {"no_executable", MakeBundle(scratch, "Empty.bundle", "", "")},
        {"wrong_executable_name", MakeBundle(scratch, "Named.bundle", "Other", PROBE_BUNDLE_EXECUTABLE)},
        {"not_a_binary", [&] {
             const std::string dir = MakeBundle(scratch, "Broken.bundle", "", "");
             std::ofstream(dir + "/Contents/MacOS/Broken") << "#!/bin/sh\n";
             return dir;
         }()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CFBundleRef bundle = BundleAt(c.dir);
        ASSERT_NE(bundle, nullptr) << "the directory exists";
        EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("ProbeFunction")), nullptr);
        EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("ProbeFunction")), nullptr);
        CFRelease(bundle);
    }
}

TEST(Bundle, AnyExtensionIsDroppedFromTheExecutableName) {
    ScratchDir scratch;
    const std::string dir = MakeBundle(scratch, "Foo.ds", "Foo", PROBE_BUNDLE_EXECUTABLE);
    CFBundleRef bundle = BundleAt(dir);
    ASSERT_NE(bundle, nullptr);
    auto fn = reinterpret_cast<ProbeFn>(CFBundleGetFunctionPointerForName(bundle, CFSTR("ProbeFunction")));
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), kProbeFunctionResult);
    CFRelease(bundle);
}

TEST(Bundle, CodeStaysLoadedAfterRelease) {
    ScratchDir scratch;
    const std::string dir = MakeBundle(scratch, "Kept.bundle", "Kept", PROBE_BUNDLE_EXECUTABLE);
    const std::string executable = dir + "/Contents/MacOS/Kept";
    CFBundleRef bundle = BundleAt(dir);
    ASSERT_NE(bundle, nullptr);
    EXPECT_FALSE(IsLoaded(executable)) << "creating a bundle must not load it yet";
    auto fn = reinterpret_cast<ProbeFn>(CFBundleGetFunctionPointerForName(bundle, CFSTR("ProbeFunction")));
    ASSERT_NE(fn, nullptr);
    CFRelease(bundle);
    EXPECT_TRUE(IsLoaded(executable));
    EXPECT_EQ(fn(), kProbeFunctionResult);
}

// Every kind of object starts at 1, counts retains, and is freed at 0.
struct Kind {
    const char* label;
    CFTypeRef (*make)();
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const Kind& c, std::ostream* os) {
    *os << c.label;
}

class RetainCounting : public testing::TestWithParam<Kind> {};

TEST_P(RetainCounting, FreesTheObjectAtZero) {
    const long before = LiveAllocations();
    CFTypeRef object = GetParam().make();
    const long whileAlive = LiveAllocations();
    ASSERT_NE(object, nullptr);
    const CFIndex initial = CFGetRetainCount(object);
    const CFTypeRef retained = CFRetain(object);
    const CFIndex afterRetain = CFGetRetainCount(object);
    CFRelease(object);
    const CFIndex afterRelease = CFGetRetainCount(object);
    const long beforeLastRelease = LiveAllocations();
    CFRelease(object);
    const long after = LiveAllocations();

    EXPECT_EQ(initial, 1);
    EXPECT_EQ(retained, object);
    EXPECT_EQ(afterRetain, 2);
    EXPECT_EQ(afterRelease, 1);
    EXPECT_GT(whileAlive, before);
    EXPECT_EQ(beforeLastRelease, whileAlive) << "freed before the count reached 0";
    EXPECT_EQ(after, before) << "not freed at 0";
}

INSTANTIATE_TEST_SUITE_P(
    Objects, RetainCounting,
    testing::Values(
        Kind{"string",
             [] { return CFTypeRef(CFStringCreateWithCString(nullptr, "text", kCFStringEncodingUTF8)); }},
        Kind{"pascal_string",
             [] {
                 static const unsigned char p[] = "\x02hi";
                 return CFTypeRef(CFStringCreateWithPascalString(nullptr, p, kCFStringEncodingMacRoman));
             }},
        Kind{"url",
             [] {
                 static const UInt8 path[] = "/opt/Foo.ds";
                 return CFTypeRef(CFURLCreateFromFileSystemRepresentation(nullptr, path, 11, true));
             }},
        Kind{"last_path_component",
             [] {
                 static const UInt8 path[] = "/opt/Foo.ds";
                 CFURLRef url = CFURLCreateFromFileSystemRepresentation(nullptr, path, 11, true);
                 CFStringRef last = CFURLCopyLastPathComponent(url);
                 CFRelease(url);
                 return CFTypeRef(last);
             }},
        Kind{"bundle", [] { return CFTypeRef(BundleAt(PROBE_BUNDLE_DIR)); }}),
    [](const testing::TestParamInfo<Kind>& info) { return std::string(info.param.label); });

TEST(RetainCountingNull, IsIgnored) {
    CFRelease(nullptr);
    EXPECT_EQ(CFRetain(nullptr), nullptr);
    EXPECT_EQ(CFGetRetainCount(nullptr), 0);
}

}  // namespace
