// The bundle's one export: the factory the data source looks up by name.
#include <CoreFoundation/CoreFoundation.h>

#include <new>
#include <type_traits>

#include "CTripletOperator.h"
#include "ScannerDriver.h"

// Every call makes a driver of its own; Release ends it. The caller's
// executable name is not needed.
extern "C" __attribute__((visibility("default"))) void CreateTwainWrapper(CFStringRef, CTripletOperator** ppOperator) {
    if (!ppOperator) return;
    *ppOperator = new (std::nothrow) CScannerDriver();
}
static_assert(std::is_same_v<decltype(&CreateTwainWrapper), CreateTwainWrapperProc>);
