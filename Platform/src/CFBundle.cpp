// Bundles load their executable with dlopen on first lookup.
#include "CFInternal.h"

#include <dlfcn.h>
#include <sys/stat.h>

extern "C" {

CFBundleRef CFBundleCreate(CFAllocatorRef, CFURLRef bundleURL) {
    if (!bundleURL) return nullptr;
    std::string dir = macplatform::fileSystemPath(bundleURL, true);
    struct stat st;
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return nullptr;

    std::string name = dir.substr(dir.rfind('/') + 1);
    // Any extension goes (".bundle", ".ds"); a leading dot belongs to the name.
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);

    auto* bundle = new __CFBundle();
    bundle->executable = dir + "/Contents/MacOS/" + name;
    bundle->directory = std::move(dir);
    return bundle;
}

CFURLRef CFBundleCopyExecutableURL(CFBundleRef bundle) {
    if (!bundle) return nullptr;
    struct stat st;
    if (stat(bundle->executable.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return nullptr;
    return CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault,
                                                   reinterpret_cast<const UInt8*>(bundle->executable.data()),
                                                   static_cast<CFIndex>(bundle->executable.size()), false);
}

void* CFBundleGetFunctionPointerForName(CFBundleRef bundle, CFStringRef functionName) {
    if (!bundle || !functionName) return nullptr;
    std::lock_guard<std::mutex> g(bundle->lock);
    // A failed load is retried next time; a loaded one is never closed,
    // since function pointers handed out must stay callable.
    if (!bundle->code) bundle->code = dlopen(bundle->executable.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!bundle->code) return nullptr;
    return dlsym(bundle->code, functionName->utf8.c_str());
}

}  // extern "C"
