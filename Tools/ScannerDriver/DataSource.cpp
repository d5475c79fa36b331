// The driver as a plain data source: a host calls DS_Entry directly. One driver
// lives as long as the module is loaded.
#include <type_traits>

#include "ScannerDriver.h"

namespace {

CScannerDriver g_cScannerDriver;

}  // namespace

extern "C" TW_EXPORTED_ENTRY TW_UINT16 TW_CALLINGSTYLE DS_Entry(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT,
                                                               TW_UINT16 MSG, TW_MEMREF pData) {
    return g_cScannerDriver.OperateTriplet(pOrigin, DG, DAT, MSG, pData);
}
static_assert(std::is_same_v<decltype(&DS_Entry), DSENTRYPROC>);
