// The CoreFoundation stand-in: strings, URLs, bundles and the reference counts of
// every kind of object.
#include <CoreFoundation/CoreFoundation.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <string>

namespace fs = std::filesystem;

// Blocks held from the global operator new, which the library's objects come
// from: a missed free shows as a surplus. Every other form of new and delete
// forwards to these; GCC cannot see that they are a pair.
static std::atomic<long> g_nLiveAllocations{0};
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    ++g_nLiveAllocations;
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    --g_nLiveAllocations;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

// The string's UTF-8 bytes, or "<unconvertible>" when GetCString fails.
std::string Utf8Of(CFStringRef s) {
    char buffer[1024];
    return CFStringGetCString(s, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "<unconvertible>";
}

// A fresh directory for one test, removed with its content at the end.
struct ScratchDir {
    const std::string path = (fs::temp_directory_path() / ("platform_test_" + std::to_string(getpid()))).string();
    ScratchDir() { fs::remove_all(path), fs::create_directories(path); }
    ~ScratchDir() { fs::remove_all(path); }
};

TEST(String, CreationKeepsTheTextAndConvertsBack) {
    const struct {
        std::string bytes;
        CFStringEncoding from;
        std::string utf8;
        CFIndex length;  // in UTF-16 units
    } cases[] = {
        {"DS_Entry", kCFStringEncodingASCII, "DS_Entry", 8},
        {"", kCFStringEncodingUTF8, "", 0},
        {"caf\xC3\xA9", kCFStringEncodingUTF8, "caf\xC3\xA9", 4},
        {"\xF0\x9F\x98\x80", kCFStringEncodingUTF8, "\xF0\x9F\x98\x80", 2},
        {"Scan\xA5\x8E", kCFStringEncodingMacRoman, "Scan\xE2\x80\xA2\xC3\xA9", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, c.bytes.c_str(), c.from);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(Utf8Of(s), c.utf8);
        EXPECT_EQ(CFStringGetLength(s), c.length);
        char back[64];
        ASSERT_TRUE(CFStringGetCString(s, back, sizeof back, c.from));
        EXPECT_EQ(std::string(back), c.bytes);
        CFRelease(s);
    }
}

// Bytes that are not valid in their encoding give no string; characters that have
// no form in the target encoding give no C string.
TEST(String, InvalidBytesAndUnmappableCharactersFail) {
    const struct {
        const char* bytes;
        CFStringEncoding encoding;
    } invalid[] = {
        {"a\x80", kCFStringEncodingASCII},       {"\xFF", kCFStringEncodingASCII},
        {"\x80", kCFStringEncodingUTF8},         {"\xC0\x80", kCFStringEncodingUTF8},  // overlong NUL
        {"\xE0\x80\xAF", kCFStringEncodingUTF8}, {"\xED\xA0\x80", kCFStringEncodingUTF8},  // surrogate
        {"\xF4\x90\x80\x80", kCFStringEncodingUTF8},  // past U+10FFFF
        {"ab\xE2\x82", kCFStringEncodingUTF8},        // truncated
        {"\xF8\x88\x80\x80\x80", kCFStringEncodingUTF8}, {"abc", 0x0201}, {nullptr, kCFStringEncodingUTF8},
    };
    for (const auto& c : invalid)
        EXPECT_EQ(CFStringCreateWithCString(kCFAllocatorDefault, c.bytes, c.encoding), nullptr)
            << (c.bytes ? c.bytes : "null");

    // U+0151 and U+4E2D have no Mac OS Roman byte.
    const struct {
        const char* utf8;
        CFStringEncoding to;
    } unmappable[] = {
        {"caf\xC3\xA9", kCFStringEncodingASCII}, {"\xE2\x80\xA2", kCFStringEncodingASCII},
        {"\xC5\x91", kCFStringEncodingMacRoman}, {"\xE4\xB8\xAD", kCFStringEncodingMacRoman}, {"abc", 0x0201},
    };
    for (const auto& c : unmappable) {
        CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, c.utf8, kCFStringEncodingUTF8);
        ASSERT_NE(s, nullptr);
        char buffer[32];
        EXPECT_FALSE(CFStringGetCString(s, buffer, sizeof buffer, c.to)) << c.utf8;
        CFRelease(s);
    }
}

// Mac OS Roman 0x80-0xFF, one row per 16 bytes, as glyphs so the table can
// be checked by eye against the code page; 0xCA is a no-break space and
// 0xF0 the Apple logo in the private use area.
const char* const kMacRomanGlyphs[128] = {
    "Ä", "Å", "Ç", "É", "Ñ", "Ö", "Ü", "á", "à", "â", "ä", "ã", "å", "ç", "é", "è",
    "ê", "ë", "í", "ì", "î", "ï", "ñ", "ó", "ò", "ô", "ö", "õ", "ú", "ù", "û", "ü",
    "†", "°", "¢", "£", "§", "•", "¶", "ß", "®", "©", "™", "´", "¨", "≠", "Æ", "Ø",
    "∞", "±", "≤", "≥", "¥", "µ", "∂", "∑", "∏", "π", "∫", "ª", "º", "Ω", "æ", "ø",
    "¿", "¡", "¬", "√", "ƒ", "≈", "∆", "«", "»", "…", "\xC2\xA0", "À", "Ã", "Õ", "Œ", "œ",
    "–", "—", "“", "”", "‘", "’", "÷", "◊", "ÿ", "Ÿ", "⁄", "€", "‹", "›", "ﬁ", "ﬂ",
    "‡", "·", "‚", "„", "‰", "Â", "Ê", "Á", "Ë", "È", "Í", "Î", "Ï", "Ì", "Ó", "Ô",
    "\xEF\xA3\xBF", "Ò", "Ú", "Û", "Ù", "ı", "ˆ", "˜", "¯", "˘", "˙", "˚", "¸", "˝", "˛", "ˇ",
};

// Strings are kept as UTF-8, so the way back to the byte is the reverse table.
TEST(MacRoman, IsTheSystemEncodingAndEveryHighByteMapsToItsCharacterAndBack) {
    EXPECT_EQ(CFStringGetSystemEncoding(), static_cast<CFStringEncoding>(kCFStringEncodingMacRoman));
    for (int b = 0x80; b <= 0xFF; ++b) {
        const char bytes[2] = {static_cast<char>(b), '\0'};
        CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, bytes, kCFStringEncodingMacRoman);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(Utf8Of(s), kMacRomanGlyphs[b - 0x80]) << "byte 0x" << std::hex << b;
        EXPECT_EQ(CFStringGetLength(s), 1);
        char back[4] = {};
        EXPECT_TRUE(CFStringGetCString(s, back, sizeof back, kCFStringEncodingMacRoman));
        EXPECT_STREQ(back, bytes) << "byte 0x" << std::hex << b;
        CFRelease(s);
    }
}

TEST(PascalString, TakesExactlyTheCountedBytes) {
    const struct {
        std::string pascal;
        std::string utf8;
    } cases[] = {
        {std::string("\x05Hello", 6), "Hello"},
        {std::string("\x00", 1), ""},
        {std::string("\x03" "abcdef", 7), "abc"},
        {std::string("\x02\xA5z", 3), "\xE2\x80\xA2z"},
        {std::string(1, '\xFF') + std::string(255, 'x'), std::string(255, 'x')},
    };
    for (const auto& c : cases) {
        CFStringRef s = CFStringCreateWithPascalString(
            kCFAllocatorDefault, reinterpret_cast<ConstStr255Param>(c.pascal.data()), CFStringGetSystemEncoding());
        ASSERT_NE(s, nullptr) << c.utf8;
        EXPECT_EQ(Utf8Of(s), c.utf8);
        CFRelease(s);
    }
    EXPECT_EQ(CFStringCreateWithPascalString(kCFAllocatorDefault, nullptr, kCFStringEncodingUTF8), nullptr);
}

TEST(StringBuffer, RefusesToOverrunAndFitsExactly) {
    CFStringRef s = CFStringCreateWithCString(kCFAllocatorDefault, "abcdef", kCFStringEncodingASCII);
    ASSERT_NE(s, nullptr);
    char buffer[16];
    for (CFIndex size : {0, 1, 4, 6, 7}) {
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(CFStringGetCString(s, buffer, size, kCFStringEncodingASCII), size == 7) << size;
        const size_t untouched = size == 7 ? 7 : static_cast<size_t>(size);
        for (size_t i = untouched; i < sizeof buffer; ++i) ASSERT_EQ(buffer[i], '#') << size << " wrote " << i;
    }
    EXPECT_STREQ(buffer, "abcdef");
    CFRelease(s);

    // Multi-byte characters count by their encoded size.
    CFStringRef bullet = CFStringCreateWithCString(kCFAllocatorDefault, "\xA5", kCFStringEncodingMacRoman);
    EXPECT_FALSE(CFStringGetCString(bullet, buffer, 3, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetCString(bullet, buffer, 4, kCFStringEncodingUTF8));
    EXPECT_TRUE(CFStringGetCString(bullet, buffer, 2, kCFStringEncodingMacRoman));
    CFRelease(bullet);
}

TEST(ConstantString, IsInternedAndImmortal) {
    CFStringRef a = CFSTR("DS_Entry");
    EXPECT_EQ(a, CFSTR("DS_Entry"));
    EXPECT_NE(a, CFSTR("DS_Entry2"));
    EXPECT_EQ(Utf8Of(CFSTR("DS_Entry2")), "DS_Entry2");
    const CFIndex count = CFGetRetainCount(a);
    for (int i = 0; i < 5; ++i) CFRelease(a);
    EXPECT_EQ(CFRetain(a), static_cast<CFTypeRef>(a));
    EXPECT_EQ(CFGetRetainCount(a), count);
    EXPECT_EQ(Utf8Of(CFSTR("DS_Entry")), "DS_Entry");
}

using ProbeFn = int (*)();

CFURLRef UrlFromPath(const std::string& path, bool isDirectory) {
    return CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path.data()),
                                                   static_cast<CFIndex>(path.size()), isDirectory);
}

std::string FileSystemPath(CFURLRef url, bool resolve) {
    UInt8 buffer[PATH_MAX];
    if (!CFURLGetFileSystemRepresentation(url, resolve, buffer, sizeof buffer)) return "<failed>";
    return reinterpret_cast<const char*>(buffer);
}

std::string LastComponent(CFURLRef url) {
    CFStringRef last = CFURLCopyLastPathComponent(url);
    std::string text = last ? Utf8Of(last) : "<null>";
    if (last) CFRelease(last);
    return text;
}

CFBundleRef BundleAt(const std::string& dir) {
    CFURLRef url = UrlFromPath(dir, true);
    if (!url) return nullptr;
    CFBundleRef bundle = CFBundleCreate(kCFAllocatorDefault, url);
    CFRelease(url);
    return bundle;
}

ProbeFn Probe(CFBundleRef bundle) {
    return reinterpret_cast<ProbeFn>(CFBundleGetFunctionPointerForName(bundle, CFSTR("ProbeFunction")));
}

// A bundle directory with Contents/MacOS, holding a copy of the probe executable
// under `executableName` when one is given.
std::string MakeBundle(const ScratchDir& scratch, const std::string& dirName, const std::string& executableName) {
    const fs::path dir = fs::path(scratch.path) / dirName;
    fs::create_directories(dir / "Contents" / "MacOS");
    if (!executableName.empty()) fs::copy_file(PROBE_BUNDLE_EXECUTABLE, dir / "Contents" / "MacOS" / executableName);
    return dir.string();
}

bool IsLoaded(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);  // undo the reference NOLOAD took
    return handle != nullptr;
}

TEST(Url, PathsBothWays) {
    const struct {
        const char* path;
        bool isDirectory;
        const char* lastComponent;
        const char* fileSystemPath;  // absolute paths only, so resolving changes nothing
    } cases[] = {
        {"/Library/Image Capture/TWAIN Data Sources/Foo.ds/Contents/MacOS/Foo", false, "Foo",
         "/Library/Image Capture/TWAIN Data Sources/Foo.ds/Contents/MacOS/Foo"},
        {"/opt/drivers/Foo.ds/", true, "Foo.ds", "/opt/drivers/Foo.ds"},
        {"/opt/drivers/Foo.ds", true, "Foo.ds", "/opt/drivers/Foo.ds"},
        {"/", true, "/", "/"},
        {"/tmp/caf\xC3\xA9.bundle", true, "caf\xC3\xA9.bundle", "/tmp/caf\xC3\xA9.bundle"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        CFStringRef path = CFStringCreateWithCString(kCFAllocatorDefault, c.path, kCFStringEncodingUTF8);
        CFURLRef fromString = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, path, kCFURLPOSIXPathStyle,
                                                            c.isDirectory);
        CFRelease(path);
        for (CFURLRef url : {UrlFromPath(c.path, c.isDirectory), fromString}) {
            ASSERT_NE(url, nullptr);
            EXPECT_EQ(LastComponent(url), c.lastComponent);
            EXPECT_EQ(FileSystemPath(url, true), c.fileSystemPath);
            EXPECT_EQ(FileSystemPath(url, false), c.fileSystemPath);
            CFRelease(url);
        }
    }
}

TEST(Url, EmptyOrMissingPathsGiveNull) {
    EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, nullptr, kCFURLPOSIXPathStyle, false), nullptr);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR(""), kCFURLPOSIXPathStyle, true), nullptr);
    EXPECT_EQ(CFURLCreateWithFileSystemPath(kCFAllocatorDefault, CFSTR("C:\\x"), kCFURLWindowsPathStyle, false),
              nullptr);
    const UInt8 path[] = "/x";
    EXPECT_EQ(CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, path, 0, false), nullptr);
    EXPECT_EQ(CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, nullptr, 2, false), nullptr);
    EXPECT_EQ(CFURLCopyLastPathComponent(nullptr), nullptr);
}

TEST(Bundle, ProbeFunctionIsFoundAndCallable) {
    CFBundleRef bundle = BundleAt(PROBE_BUNDLE_DIR);
    ASSERT_NE(bundle, nullptr);
    ProbeFn fn = Probe(bundle);
    ASSERT_NE(fn, nullptr);
    EXPECT_EQ(fn(), PROBE_FUNCTION_RESULT);
    EXPECT_EQ(Probe(bundle), fn) << "repeated lookups reuse the loaded code";
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, CFSTR("NoSuchFunction")), nullptr);
    EXPECT_EQ(CFBundleGetFunctionPointerForName(bundle, nullptr), nullptr);
    CFRelease(bundle);
}

// The executable is named after the bundle without its extension, whatever that
// is; it is loaded by the first lookup, and stays loaded after the release.
TEST(Bundle, LoadsOnLookupByTheNameWithoutExtensionAndStaysLoaded) {
    ScratchDir scratch;
    const std::string dir = MakeBundle(scratch, "Foo.ds", "Foo");
    CFBundleRef bundle = BundleAt(dir);
    ASSERT_NE(bundle, nullptr);
    EXPECT_FALSE(IsLoaded(dir + "/Contents/MacOS/Foo")) << "creating a bundle must not load it yet";
    ProbeFn fn = Probe(bundle);
    ASSERT_NE(fn, nullptr);
    CFRelease(bundle);
    EXPECT_TRUE(IsLoaded(dir + "/Contents/MacOS/Foo"));
    EXPECT_EQ(fn(), PROBE_FUNCTION_RESULT);
}

TEST(Bundle, MissingBundlesAndUnloadableExecutablesGiveNull) {
    ScratchDir scratch;
    EXPECT_EQ(CFBundleCreate(kCFAllocatorDefault, nullptr), nullptr);
    EXPECT_EQ(BundleAt(scratch.path + "/Missing.bundle"), nullptr);
    std::ofstream(scratch.path + "/File.bundle") << "not a directory";
    EXPECT_EQ(BundleAt(scratch.path + "/File.bundle"), nullptr);
    EXPECT_EQ(Probe(nullptr), nullptr);

    const std::string broken = MakeBundle(scratch, "Broken.bundle", "");
    std::ofstream(broken + "/Contents/MacOS/Broken") << "#!/bin/sh\n";
    const std::string empty = MakeBundle(scratch, "Empty.bundle", "");
    const std::string named = MakeBundle(scratch, "Named.bundle", "Other");
    EXPECT_EQ(CFBundleCopyExecutableURL(nullptr), nullptr);
    for (const std::string& dir : {empty, named, broken}) {
        SCOPED_TRACE(dir);
        CFBundleRef bundle = BundleAt(dir);
        ASSERT_NE(bundle, nullptr) << "the directory exists";
        CFURLRef executable = CFBundleCopyExecutableURL(bundle);
        EXPECT_EQ(executable ? FileSystemPath(executable, false) : "<null>",
                  dir == broken ? broken + "/Contents/MacOS/Broken" : "<null>");
        if (executable) CFRelease(executable);
        EXPECT_EQ(Probe(bundle), nullptr);
        EXPECT_EQ(Probe(bundle), nullptr) << "a failed load is not half remembered";
        CFRelease(bundle);
    }
}

// Every kind of object starts at 1, counts retains, and is freed at 0.
TEST(RetainCounting, FreesEveryKindOfObjectAtZero) {
    static const UInt8 path[] = "/opt/Foo.ds";
    const struct {
        const char* kind;
        CFTypeRef (*make)();
    } kinds[] = {
        {"string", [] { return CFTypeRef(CFStringCreateWithCString(nullptr, "text", kCFStringEncodingUTF8)); }},
        {"url", [] { return CFTypeRef(CFURLCreateFromFileSystemRepresentation(nullptr, path, 11, true)); }},
        {"bundle", [] { return CFTypeRef(BundleAt(PROBE_BUNDLE_DIR)); }},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(k.kind);
        const long before = g_nLiveAllocations.load();
        CFTypeRef object = k.make();
        const long whileAlive = g_nLiveAllocations.load();
        ASSERT_NE(object, nullptr);
        EXPECT_GT(whileAlive, before);
        EXPECT_EQ(CFGetRetainCount(object), 1);
        EXPECT_EQ(CFRetain(object), object);
        EXPECT_EQ(CFGetRetainCount(object), 2);
        CFRelease(object);
        EXPECT_EQ(CFGetRetainCount(object), 1);
        EXPECT_EQ(g_nLiveAllocations.load(), whileAlive) << "freed before the count reached 0";
        CFRelease(object);
        EXPECT_EQ(g_nLiveAllocations.load(), before) << "not freed at 0";
    }
    CFRelease(nullptr);
    EXPECT_EQ(CFRetain(nullptr), nullptr);
    EXPECT_EQ(CFGetRetainCount(nullptr), 0);
}

}  // namespace
