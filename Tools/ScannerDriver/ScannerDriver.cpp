#include "ScannerDriver.h"

#include "CDSMInterface.h"

#include <bit>
#include <cstring>

#include "ScannedPage.h"

namespace {

constexpr TW_UINT32 kControl = DG_CONTROL;
constexpr TW_UINT32 kImage = DG_IMAGE;
// The vendor's triplets are answered in either group.
constexpr TW_UINT32 kVendor = DG_CONTROL | DG_IMAGE;

constexpr bool kData = true;
constexpr bool kNoData = false;

constexpr TW_IDENTITY kIdentity = {
    {},
    {2, 1, TWLG_ENGLISH_USA, TWCY_USA, "2.1.0 Lumora 9000F"},
    2,
    1,
    DG_CONTROL | DG_IMAGE,
    "NORVA",
    "Lumora",
    "Lumora 9000F",
};

}  // namespace

using S = CScannerDriver;

// Every triplet the driver answers, with the states it is allowed in. A triplet
// not listed fails with TWCC_BADPROTOCOL, one out of its states with
// TWCC_SEQERROR, one without its data with TWCC_BADVALUE.
const S::TripletRow S::kTriplets[] = {
    // groups  data argument type          message           first state     last state      data     handler
    {kControl, DAT_IDENTITY,               MSG_GET,          kClosed,        kTransferring,  kData,   &S::Identity},
    {kControl, DAT_ENTRYPOINT,             MSG_SET,          kClosed,        kOpen,          kData,   &S::EntryPoint},
    {kControl, DAT_CALLBACK,               MSG_REGISTER_CALLBACK, kOpen,     kOpen,          kData,   &S::RegisterCallback},
    {kControl, DAT_CALLBACK2,              MSG_REGISTER_CALLBACK, kOpen,     kOpen,          kData,   &S::RegisterCallback2},
    {kControl, DAT_IDENTITY,               MSG_OPENDS,       kClosed,        kClosed,        kData,   &S::OpenSource},
    {kControl, DAT_IDENTITY,               MSG_CLOSEDS,      kOpen,          kOpen,          kData,   &S::CloseSource},
    {kControl, DAT_STATUS,                 MSG_GET,          kClosed,        kTransferring,  kData,   &S::Status},
    {kControl, DAT_CAPABILITY,             MSG_GET,          kOpen,          kTransferring,  kData,   &S::Capability},
    {kControl, DAT_CAPABILITY,             MSG_GETCURRENT,   kOpen,          kTransferring,  kData,   &S::Capability},
    {kControl, DAT_CAPABILITY,             MSG_GETDEFAULT,   kOpen,          kTransferring,  kData,   &S::Capability},
    {kControl, DAT_CAPABILITY,             MSG_QUERYSUPPORT, kOpen,          kTransferring,  kData,   &S::Capability},
    {kControl, DAT_CAPABILITY,             MSG_SET,          kOpen,          kOpen,          kData,   &S::Capability},
    {kControl, DAT_CAPABILITY,             MSG_RESET,        kOpen,          kOpen,          kData,   &S::Capability},
    {kControl, DAT_USERINTERFACE,          MSG_ENABLEDS,     kOpen,          kOpen,          kData,   &S::EnableSource},
    {kControl, DAT_USERINTERFACE,          MSG_DISABLEDS,    kEnabled,       kEnabled,       kData,   &S::DisableSource},
    {kControl, DAT_EVENT,                  MSG_PROCESSEVENT, kOpen,          kTransferring,  kData,   &S::ProcessEvent},
    {kControl, DAT_PENDINGXFERS,           MSG_GET,          kOpen,          kTransferring,  kData,   &S::PendingTransfers},
    {kControl, DAT_PENDINGXFERS,           MSG_ENDXFER,      kTransferReady, kTransferring,  kData,   &S::PendingTransfers},
    {kControl, DAT_PENDINGXFERS,           MSG_RESET,        kTransferReady, kTransferReady, kData,   &S::PendingTransfers},
    {kControl, DAT_SETUPMEMXFER,           MSG_GET,          kOpen,          kTransferReady, kData,   &S::SetupMemoryTransfer},
    {kControl, DAT_SETUPFILEXFER,          MSG_GET,          kOpen,          kTransferReady, kData,   &S::SetupFileTransfer},
    {kControl, DAT_XFERGROUP,              MSG_GET,          kOpen,          kTransferring,  kData,   &S::TransferGroup},
    {kControl, DAT_CUSTOMDSDATA,           MSG_GET,          kOpen,          kOpen,          kData,   &S::CustomData},
    {kImage,   DAT_IMAGEINFO,              MSG_GET,          kTransferReady, kTransferring,  kData,   &S::ImageInfo},
    {kImage,   DAT_IMAGELAYOUT,            MSG_GET,          kOpen,          kTransferReady, kData,   &S::ImageLayout},
    {kImage,   DAT_IMAGELAYOUT,            MSG_GETDEFAULT,   kOpen,          kTransferReady, kData,   &S::ImageLayout},
    {kImage,   DAT_IMAGELAYOUT,            MSG_SET,          kOpen,          kOpen,          kData,   &S::ImageLayout},
    {kImage,   DAT_IMAGELAYOUT,            MSG_RESET,        kOpen,          kOpen,          kData,   &S::ImageLayout},
    {kImage,   DAT_IMAGEMEMXFER,           MSG_GET,          kTransferReady, kTransferring,  kData,   &S::MemoryTransfer},
    {kImage,   DAT_IMAGENATIVEXFER,        MSG_GET,          kTransferReady, kTransferReady, kData,   &S::NativeTransfer},
    {kImage,   DAT_JPEGCOMPRESSION,        MSG_GET,          kOpen,          kTransferReady, kData,   &S::JpegCompression},
    {kImage,   DAT_CIECOLOR,               MSG_GET,          kOpen,          kTransferReady, kData,   &S::CieColor},
    {kImage,   DAT_GRAYRESPONSE,           MSG_SET,          kOpen,          kOpen,          kData,   &S::ResponseCurve},
    {kImage,   DAT_GRAYRESPONSE,           MSG_RESET,        kOpen,          kOpen,          kData,   &S::ResponseCurve},
    {kImage,   DAT_RGBRESPONSE,            MSG_SET,          kOpen,          kOpen,          kData,   &S::ResponseCurve},
    {kImage,   DAT_RGBRESPONSE,            MSG_RESET,        kOpen,          kOpen,          kData,   &S::ResponseCurve},
    {kImage,   DAT_PALETTE8,               MSG_GET,          kOpen,          kTransferReady, kData,   &S::Palette},
    {kImage,   DAT_EXTIMAGEINFO,           MSG_GET,          kTransferReady, kTransferring,  kData,   &S::ExtImageInfo},
    {kVendor,  DAT_KQ_AUTOEXPOSURE,        MSG_GET,          kOpen,          kTransferring,  kData,   &S::AutoExposure},
    {kVendor,  DAT_KQ_AUTOEXPOSURE,        MSG_SET,          kOpen,          kOpen,          kData,   &S::AutoExposure},
    {kVendor,  DAT_KQ_RGBMATRIX,           MSG_GET,          kOpen,          kTransferring,  kData,   &S::RgbMatrix},
    {kVendor,  DAT_KQ_RGBMATRIX,           MSG_SET,          kOpen,          kOpen,          kData,   &S::RgbMatrix},
    {kVendor,  DAT_KQ_COLORSMOOTHING,      MSG_GET,          kOpen,          kTransferring,  kData,   &S::ColorSmoothing},
    {kVendor,  DAT_KQ_COLORSMOOTHING,      MSG_SET,          kOpen,          kOpen,          kData,   &S::ColorSmoothing},
    {kVendor,  DAT_KQ_EVENT,               MSG_GET,          kOpen,          kTransferring,  kNoData, &S::Acknowledge},
    {kVendor,  DAT_KQ_EVENT,               MSG_SET,          kOpen,          kTransferring,  kNoData, &S::Acknowledge},
    {kVendor,  DAT_KQ_HARDWAREINFO,        MSG_GET,          kOpen,          kTransferring,  kData,   &S::HardwareInfo},
    {kVendor,  DAT_KQ_SKEWINFO,            MSG_GET,          kOpen,          kTransferring,  kData,   &S::SkewInfo},
    {kVendor,  DAT_KQ_UNSHARPMASKPARAM,    MSG_GET,          kOpen,          kTransferring,  kData,   &S::UnsharpMask},
    {kVendor,  DAT_KQ_UNSHARPMASKPARAM,    MSG_SET,          kOpen,          kOpen,          kData,   &S::UnsharpMask},
    {kVendor,  DAT_KQ_REDCORRECTIONMATRIX, MSG_GET,          kOpen,          kTransferring,  kNoData, &S::Acknowledge},
    {kVendor,  DAT_KQ_REDCORRECTIONMATRIX, MSG_SET,          kOpen,          kTransferring,  kNoData, &S::Acknowledge},
    {kVendor,  DAT_KQ_TWAINCALLBACKMSG,    MSG_GET,          kOpen,          kTransferring,  kNoData, &S::Acknowledge},
    {kVendor,  DAT_KQ_TWAINCALLBACKMSG,    MSG_SET,          kOpen,          kTransferring,  kNoData, &S::CloseRequest},
    {kVendor,  DAT_KQ_SETTINGFRAME,        MSG_GET,          kOpen,          kTransferring,  kData,   &S::SettingFrame},
    {kVendor,  DAT_KQ_SETTINGFRAME,        MSG_SET,          kOpen,          kOpen,          kData,   &S::SettingFrame},
    {kVendor,  DAT_KQ_USMINFO,             MSG_GET,          kOpen,          kTransferring,  kData,   &S::UsmInfo},
    {kControl, DAT_METRICS,                MSG_GET,          kOpen,          kTransferring,  kData,   &S::Metrics},
    {kControl, DAT_STATUSUTF8,             MSG_GET,          kClosed,        kTransferring,  kData,   &S::StatusText},
    {kControl, DAT_DEVICEEVENT,            MSG_GET,          kOpen,          kTransferring,  kData,   &S::DeviceEvent},
};

CScannerDriver::CScannerDriver() {
    ResetSession();
}

TW_UINT16 CScannerDriver::OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_MEMREF pData) {
    const TripletRow* pRow = nullptr;
    for (const TripletRow& row : kTriplets) {
        if (row.dat == DAT && row.msg == MSG && std::has_single_bit(DG) && (row.dg & DG) != 0) {
            pRow = &row;
            break;
        }
    }
    if (!pRow) return Fail(TWCC_BADPROTOCOL);
    if (m_nState < pRow->firstState || m_nState > pRow->lastState) return Fail(TWCC_SEQERROR);
    if (pRow->needsData && !pData) return Fail(TWCC_BADVALUE);
    // The application it speaks to through the manager.
    if (DAT == DAT_IDENTITY && MSG == MSG_OPENDS && pOrigin) m_application = *pOrigin;
    return (this->*pRow->handler)(MSG, pData);
}

void CScannerDriver::Release() {
    delete this;
}

TW_UINT16 CScannerDriver::Fail(TW_UINT16 conditionCode) {
    m_nConditionCode = conditionCode;
    return TWRC_FAILURE;
}

TW_UINT16 CScannerDriver::Done(TW_UINT16 conditionCode) {
    return conditionCode == TWCC_SUCCESS ? TWRC_SUCCESS : Fail(conditionCode);
}

void CScannerDriver::ResetSession() {
    m_cSettings.ResetAll();
    m_nDocumentNumber = m_nPageNumber = m_nFrameNumber = 1;
    m_nImagesScanned = 0;
    ResetVendorSettings();
    ResetJpegTables();
    EndTransfer();
}

void CScannerDriver::EndTransfer() {
    m_bPagePending = false;
    m_nEventsBeforeReady = 0;
    m_nNextRow = 0;
    m_bTransferDone = false;
    m_bScanOnInterfaceThread = false;
}

TW_UINT16 CScannerDriver::Identity(TW_UINT16, void* pData) {
    auto* identity = static_cast<TW_IDENTITY*>(pData);
    const TW_IDENTITY_ID id = identity->Id;  // the manager's number for this source stays
    *identity = kIdentity;
    identity->Id = id;
    return TWRC_SUCCESS;
}

// Each session starts from the values the scanner powers on with.
TW_UINT16 CScannerDriver::OpenSource(TW_UINT16, void* pData) {
    ResetSession();
    m_self = *static_cast<TW_IDENTITY*>(pData);
    m_bCallbackRegistered = false;
    m_nState = kOpen;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::CloseSource(TW_UINT16, void*) {
    EndTransfer();
    m_nState = kClosed;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::Status(TW_UINT16, void* pData) {
    *static_cast<TW_STATUS*>(pData) = TW_STATUS{m_nConditionCode, 0};
    m_nConditionCode = TWCC_SUCCESS;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::Capability(TW_UINT16 msg, void* pData) {
    return Done(m_cSettings.Negotiate(msg, *static_cast<TW_CAPABILITY*>(pData)));
}

// There is no user interface to show: the simulated user presses Scan at once.
TW_UINT16 CScannerDriver::EnableSource(TW_UINT16, void* pData) {
    EndTransfer();
    m_bPagePending = true;
    m_nEventsBeforeReady = 1;
    m_nState = kEnabled;
    if (SaysThroughManager()) AnnounceAfterEnable(*static_cast<TW_USERINTERFACE*>(pData));
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::DisableSource(TW_UINT16, void*) {
    EndTransfer();
    m_nState = kOpen;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::ProcessEvent(TW_UINT16, void* pData) {
    auto* event = static_cast<TW_EVENT*>(pData);
    if (SaysThroughManager()) {
        if (m_bScanOnInterfaceThread) ScanFromInterfaceThread();
    } else if (m_nState == kEnabled && m_bPagePending) {
        if (m_nEventsBeforeReady > 0) {
            --m_nEventsBeforeReady;
        } else {
            m_bPagePending = false;
            m_nState = kTransferReady;
            event->TWMessage = MSG_XFERREADY;
            return TWRC_DSEVENT;
        }
    }
    event->TWMessage = MSG_NULL;
    return TWRC_NOTDSEVENT;
}

// The flatbed holds one page: it is pending from transfer ready until it ends.
TW_UINT16 CScannerDriver::PendingTransfers(TW_UINT16 msg, void* pData) {
    auto* pending = static_cast<TW_PENDINGXFERS*>(pData);
    if (msg != MSG_GET) {
        EndTransfer();
        m_nState = kEnabled;
    }
    pending->Count = m_nState >= kTransferReady ? 1 : 0;
    pending->EOJ = 0;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::SetupMemoryTransfer(TW_UINT16, void* pData) {
    const CScannedPage page(m_cSettings);
    *static_cast<TW_SETUPMEMXFER*>(pData) = TW_SETUPMEMXFER{page.bytesPerRow, kMaxBufferBytes, kPreferredBufferBytes};
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::SetupFileTransfer(TW_UINT16, void* pData) {
    auto* setup = static_cast<TW_SETUPFILEXFER*>(pData);
    std::memset(setup, 0, sizeof(*setup));
    std::strcpy(setup->FileName, "TWAIN.TMP");
    setup->Format = TWFF_TIFF;
    setup->VRefNum = 0;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::TransferGroup(TW_UINT16, void* pData) {
    *static_cast<TW_UINT32*>(pData) = DG_IMAGE;
    return TWRC_SUCCESS;
}

// A snapshot of the current settings; the application owns the handle.
TW_UINT16 CScannerDriver::CustomData(TW_UINT16, void* pData) {
    const size_t size = m_cSettings.SnapshotSize();
    TW_HANDLE h = CDSMInterface::AllocMemory(static_cast<unsigned int>(size));
    if (!h) return Fail(TWCC_LOWMEMORY);
    m_cSettings.WriteSnapshot(reinterpret_cast<unsigned char*>(CDSMInterface::LockMemory(h)));
    CDSMInterface::UnlockMemory(h);
    auto* custom = static_cast<TW_CUSTOMDSDATA*>(pData);
    custom->InfoLength = static_cast<TW_UINT32>(size);
    custom->hData = h;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::Acknowledge(TW_UINT16, void*) {
    return TWRC_SUCCESS;
}
