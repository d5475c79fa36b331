#include "test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <vector>

namespace {
std::atomic<long> gLive{0};
}

// Counting replacements; every other form of new/delete forwards to these.
// GCC cannot see that this new and this delete are a pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    gLive.fetch_add(1, std::memory_order_relaxed);
    return p;
}

void operator delete(void* p) noexcept {
    if (!p) return;
    gLive.fetch_sub(1, std::memory_order_relaxed);
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

// The out-of-memory handle test asks for an impossible block; the
// sanitizer allocator must answer NULL as malloc does, not abort.
// Exported: the sanitizer runtime looks it up in the program at start.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
    return "allocator_may_return_null=1";
}

long LiveAllocations() {
    return gLive.load(std::memory_order_relaxed);
}

std::string Utf8Of(CFStringRef s) {
    std::vector<char> buffer(4096);
    if (!CFStringGetCString(s, buffer.data(), static_cast<CFIndex>(buffer.size()),
                            kCFStringEncodingUTF8))
        return "<unconvertible>";
    return buffer.data();
}

ScratchDir::ScratchDir() {
    std::string pattern = testing::TempDir() + "platform_test_XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (!mkdtemp(name.data())) throw std::runtime_error("mkdtemp failed");
    path_ = name.data();
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}
