// The TWAIN 2 triplets the scanner answers besides the manager's side
// (ManagerLink.cpp): metrics, the status as UTF-8 text and the one device event it
// has to report.
#include <cstdio>
#include <cstring>

#include "CDSMInterface.h"
#include "ScannerDriver.h"

namespace {

struct ConditionText {
    TW_UINT16 condition;
    const char* text;
};

// What a user reads for the conditions this scanner reports.
constexpr ConditionText kConditionTexts[] = {
    {TWCC_SUCCESS, "No error."},
    {TWCC_LOWMEMORY, "The scanner ran out of memory."},
    {TWCC_BADPROTOCOL, "The scanner does not know this request."},
    {TWCC_BADVALUE, "The scanner cannot take this value."},
    {TWCC_SEQERROR, "The request is not allowed at this point of the session."},
    {TWCC_CAPUNSUPPORTED, "The scanner does not have this feature."},
    {TWCC_CAPBADOPERATION, "The scanner cannot do this with that feature."},
};

}  // namespace

// The flatbed scans one sheet, one side, per transfer.
TW_UINT16 CScannerDriver::Metrics(TW_UINT16, void* pData) {
    auto* metrics = static_cast<TW_METRICS*>(pData);
    if (metrics->SizeOf < sizeof(TW_METRICS)) return Fail(TWCC_BADVALUE);
    metrics->ImageCount = m_nImagesScanned;
    metrics->SheetCount = m_nImagesScanned;
    return TWRC_SUCCESS;
}

// The text of the condition the application names; the application owns the handle.
TW_UINT16 CScannerDriver::StatusText(TW_UINT16, void* pData) {
    auto* status = static_cast<TW_STATUSUTF8*>(pData);
    char text[96];
    snprintf(text, sizeof(text), "Condition %u.", status->Status.ConditionCode);
    for (const ConditionText& row : kConditionTexts) {
        if (row.condition == status->Status.ConditionCode) snprintf(text, sizeof(text), "%s", row.text);
    }
    const size_t size = strlen(text) + 1;
    TW_HANDLE h = CDSMInterface::AllocMemory(static_cast<unsigned int>(size));
    if (!h) return Fail(TWCC_LOWMEMORY);
    memcpy(CDSMInterface::LockMemory(h), text, size);
    CDSMInterface::UnlockMemory(h);
    status->Size = static_cast<TW_UINT32>(size);
    status->UTF8string = h;
    return TWRC_SUCCESS;
}

// The one event the scanner has: it is ready, on mains power.
TW_UINT16 CScannerDriver::DeviceEvent(TW_UINT16, void* pData) {
    TW_DEVICEEVENT event{};
    event.Event = TWDE_DEVICEREADY;
    strcpy(event.DeviceName, "Lumora 9000F");
    event.PowerSupply = TWPS_EXTERNAL;
    event.XResolution = event.YResolution = TW_FIX32{300, 0};
    event.FlashUsed2 = TWFL_NONE;
    *static_cast<TW_DEVICEEVENT*>(pData) = event;
    return TWRC_SUCCESS;
}
