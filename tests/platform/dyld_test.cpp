#include <mach-o/dyld.h>
#include <mach-o/ldsyms.h>

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/auxv.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::vector<const mach_header*> AllHeaders() {
    std::vector<const mach_header*> headers;
    for (uint32_t i = 0; i < _dyld_image_count(); ++i) headers.push_back(_dyld_get_image_header(i));
    return headers;
}

int CountMatches(const void* header, uint32_t* index) {
    int matches = 0;
    for (uint32_t i = 0; i < _dyld_image_count(); ++i) {
        if (_dyld_get_image_header(i) == header) {
            ++matches;
            *index = i;
        }
    }
    return matches;
}

// Index 0 is the program; every index has a header that the loader agrees is the
// start of the object of that name; past the count there is none.
TEST(DyldImages, EveryIndexHasItsOwnHeaderAndName) {
    const uint32_t count = _dyld_image_count();
    ASSERT_GT(count, 1u);
    EXPECT_EQ(static_cast<const void*>(_dyld_get_image_header(0)), &_mh_bundle_header);
    const char* execPath = reinterpret_cast<const char*>(getauxval(AT_EXECFN));
    ASSERT_NE(execPath, nullptr);
    ASSERT_NE(_dyld_get_image_name(0), nullptr);
    EXPECT_EQ(_dyld_get_image_name(0)[0], '/');
    EXPECT_TRUE(std::filesystem::equivalent(_dyld_get_image_name(0), execPath)) << _dyld_get_image_name(0);

    for (uint32_t i = 0; i < count; ++i) {
        SCOPED_TRACE("image " + std::to_string(i));
        const mach_header* header = _dyld_get_image_header(i);
        const char* name = _dyld_get_image_name(i);
        ASSERT_NE(header, nullptr);
        ASSERT_NE(name, nullptr);
        Dl_info info{};
        ASSERT_NE(dladdr(header, &info), 0);
        EXPECT_EQ(info.dli_fbase, static_cast<const void*>(header));
        EXPECT_STREQ(i > 0 ? info.dli_fname : name, name);
        EXPECT_STRNE(name, "");
    }
    for (uint32_t index : {count, count + 1, UINT32_MAX}) {
        EXPECT_EQ(_dyld_get_image_header(index), nullptr) << index;
        EXPECT_EQ(_dyld_get_image_name(index), nullptr) << index;
    }
}

TEST(DyldImages, ModuleFindsItsOwnImageAndLeavesOnUnload) {
    ASSERT_EQ(dlopen(PROBE_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "probe module must not be loaded yet";
    const uint32_t countBefore = _dyld_image_count();
    const std::vector<const mach_header*> headersBefore = AllHeaders();
    const char* oldName = _dyld_get_image_name(countBefore - 1);
    const std::string oldNameCopy = oldName;

    void* module = dlopen(PROBE_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(module, nullptr) << dlerror();
    auto ownHeader = reinterpret_cast<const void* (*)()>(dlsym(module, "ProbeOwnHeader"));
    auto ownName = reinterpret_cast<const char* (*)()>(dlsym(module, "ProbeOwnImageName"));
    ASSERT_NE(ownHeader, nullptr);
    ASSERT_NE(ownName, nullptr);
    const void* header = ownHeader();

    // The alias must resolve to the module's header, not the program's.
    EXPECT_NE(header, static_cast<const void*>(&_mh_bundle_header));
    EXPECT_EQ(_dyld_image_count(), countBefore + 1);
    uint32_t index = 0;
    ASSERT_EQ(CountMatches(header, &index), 1);
    EXPECT_GE(index, 1u);
    EXPECT_STREQ(_dyld_get_image_name(index), PROBE_MODULE_PATH);
    EXPECT_STREQ(ownName(), PROBE_MODULE_PATH);
    // Names handed out before the change are still readable.
    EXPECT_EQ(oldName, oldNameCopy);

    ASSERT_EQ(dlclose(module), 0);
    ASSERT_EQ(dlopen(PROBE_MODULE_PATH, RTLD_NOW | RTLD_NOLOAD), nullptr)
        << "probe module was expected to unload";
    EXPECT_EQ(CountMatches(header, &index), 0);
    EXPECT_EQ(AllHeaders(), headersBefore);
}

}  // namespace
