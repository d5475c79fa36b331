// A driver bundle that is no driver itself: its operator hands every triplet to
// another data source's DS_Entry, so that the monitor traces any TWAIN source.
#include <CoreFoundation/CoreFoundation.h>
#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <new>
#include <string>
#include <type_traits>

#include "CTripletOperator.h"
#include "TargetDataSource.h"

extern "C" __attribute__((visibility("default"))) void CreateTwainWrapper(CFStringRef executableName,
                                                                          CTripletOperator** ppOperator);

namespace {

class CForwardingOperator final : public CTripletOperator {
public:
    explicit CForwardingOperator(const LoadedTarget& target) : m_target(target) {}

    TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             TW_MEMREF pData) override {
        return m_target.entry(pOrigin, DG, DAT, MSG, pData);
    }

    // The monitor's unload ends the session; the target goes with it.
    void Release() override {
        UnloadTarget(m_target);
        delete this;
    }

private:
    LoadedTarget m_target;
};

std::string Utf8(CFStringRef text) {
    char buffer[PATH_MAX];
    return text && CFStringGetCString(text, buffer, sizeof buffer, kCFStringEncodingUTF8) ? buffer : "";
}

// The file the loader loaded this bundle from.
std::string OwnExecutable() {
    Dl_info info;
    if (!dladdr(reinterpret_cast<void*>(&CreateTwainWrapper), &info) || !info.dli_fname) return {};
    return info.dli_fname;
}

}  // namespace

// A target that cannot be used leaves no operator: the monitor then answers every
// triplet as it does without a driver, and the reason is on the standard error.
void CreateTwainWrapper(CFStringRef executableName, CTripletOperator** ppOperator) {
    if (!ppOperator) return;
    *ppOperator = nullptr;
    LoadedTarget target;
    std::string refusal;
    if (!LoadTarget(OwnExecutable(), Utf8(executableName), target, refusal)) {
        fprintf(stderr, "%s\n", refusal.c_str());
        return;
    }
    *ppOperator = new (std::nothrow) CForwardingOperator(target);
    if (!*ppOperator) UnloadTarget(target);
}
static_assert(std::is_same_v<decltype(&CreateTwainWrapper), CreateTwainWrapperProc>);
