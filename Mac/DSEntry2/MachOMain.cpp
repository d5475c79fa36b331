#include "MachOMain.h"

#include <mach-o/dyld.h>
#include <mach-o/ldsyms.h>

#include <cstring>

#include "MonitorPaths.h"
#include "TraceLogFile.h"
#include "TripletTrace.h"

CFBundleRef g_TwainWrapperBundleRef = nullptr;
CreateTwainWrapperProc g_fnDsCreate = nullptr;
CTripletOperator* g_pcTripletOperator = nullptr;

CFURLRef CreateMyMachOBundleURL() {
    uint32_t count = _dyld_image_count();
    if (count == 0) return nullptr;
    // Index 0 is the program that loaded us, never this image. Our header is the
    // 64-bit one; the loader lists every header by the part they share.
    const void* own = &_mh_bundle_header;
    for (uint32_t i = 1; i < count; ++i) {
        if (_dyld_get_image_header(i) != own) continue;
        const char* path = _dyld_get_image_name(i);
        if (!path) return nullptr;
        return CFURLCreateFromFileSystemRepresentation(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(path),
                                                       static_cast<CFIndex>(strlen(path)), false);
    }
    return nullptr;
}

extern "C" void MachO_Initialization() {
    CFStringRef executableName = nullptr;
    if (CFURLRef ownURL = CreateMyMachOBundleURL()) {
        executableName = CFURLCopyLastPathComponent(ownURL);
        CFRelease(ownURL);
    }

    // The path is a build-time constant, not a literal, so it cannot be a CFSTR.
    CFStringRef bundlePath = CFStringCreateWithCString(kCFAllocatorDefault, kTwainWrapperBundlePath,
                                                       kCFStringEncodingUTF8);
    if (bundlePath) {
        CFURLRef bundleURL = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, bundlePath, kCFURLPOSIXPathStyle, true);
        if (bundleURL) {
            g_TwainWrapperBundleRef = CFBundleCreate(kCFAllocatorDefault, bundleURL);
            CFRelease(bundleURL);
        }
        CFRelease(bundlePath);
    }

    if (executableName && g_TwainWrapperBundleRef) {
        // The lookup is what loads the driver's code.
        g_fnDsCreate = reinterpret_cast<CreateTwainWrapperProc>(
            CFBundleGetFunctionPointerForName(g_TwainWrapperBundleRef, CFSTR("CreateTwainWrapper")));
        if (g_fnDsCreate) g_fnDsCreate(executableName, &g_pcTripletOperator);
    }
    if (executableName) CFRelease(executableName);

    // The log does not depend on the driver: a trace of a session without one is
    // what tells the user that it is missing.
    setupTwainLog();
}

extern "C" void MachO_Termination() {
    if (g_pcTripletOperator) {
        g_pcTripletOperator->Release();
        g_pcTripletOperator = nullptr;
    }
    // Releasing the reference leaves the driver's code mapped; pointers it handed
    // out stay callable.
    if (g_TwainWrapperBundleRef) {
        CFRelease(g_TwainWrapperBundleRef);
        g_TwainWrapperBundleRef = nullptr;
    }
    CloseTraceLog();
}

// The image's load and unload. The analyzer and the log globals are constant-
// initialised, so they exist before this runs whatever the link order; the exit
// handler is registered for this image alone, so that dlclose runs it once.
extern "C" {
extern void* __dso_handle __attribute__((visibility("hidden")));
int __cxa_atexit(void (*function)(void*), void* argument, void* dsoHandle);
}

namespace {

void TerminateImage(void*) { MachO_Termination(); }

__attribute__((constructor)) void LoadImage() {
    MachO_Initialization();
    __cxa_atexit(TerminateImage, nullptr, &__dso_handle);
}

}  // namespace
