// The simulated NORVA Lumora 9000F: a triplet operator that answers the TWAIN
// protocol as the real driver would, keeps its own TWAIN state (3 closed, 4
// open, 5 enabled, 6 transfer ready, 7 transferring) and remembers the
// condition code of its last failure for DAT_STATUS.
#pragma once

#include <cstddef>

#include "CTripletOperator.h"
#include "Capabilities.h"
#include "TwainTypes.h"

// TW_MEMORY.Flags
inline constexpr TW_UINT32 kMemoryAppOwns = 0x0001;
inline constexpr TW_UINT32 kMemoryDsOwns = 0x0002;
inline constexpr TW_UINT32 kMemoryHandle = 0x0004;
inline constexpr TW_UINT32 kMemoryPointer = 0x0008;

// The extended image information the driver knows (TW_INFO.InfoID).
inline constexpr TW_UINT16 kInfoDocumentNumber = 0x123A;
inline constexpr TW_UINT16 kInfoPageNumber = 0x123B;
inline constexpr TW_UINT16 kInfoFrameNumber = 0x123D;
inline constexpr TW_UINT16 kInfoPixelFlavor = 0x123F;

// The memory transfer buffer sizes the driver proposes (DAT_SETUPMEMXFER).
inline constexpr TW_UINT32 kPreferredBufferBytes = 768 * 1024;
inline constexpr TW_UINT32 kMaxBufferBytes = 1024 * 1024;

class CScannerDriver : public CTripletOperator {
public:
    enum State { kClosed = 3, kOpen = 4, kEnabled = 5, kTransferReady = 6, kTransferring = 7 };

    CScannerDriver();
    TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             TW_MEMREF pData) override;
    void Release() override;

private:
    using Handler = TW_UINT16 (CScannerDriver::*)(TW_UINT16 msg, void* pData);
    struct TripletRow {
        TW_UINT32 dg;
        TW_UINT16 dat;
        TW_UINT16 msg;
        State firstState;  // the states the triplet is allowed in
        State lastState;
        bool needsData;
        Handler handler;
    };
    static const TripletRow kTriplets[];

    TW_UINT16 Fail(TW_UINT16 conditionCode);
    TW_UINT16 Done(TW_UINT16 conditionCode);  // success, or the failure it names

    // Control triplets.
    TW_UINT16 Identity(TW_UINT16 msg, void* pData);
    TW_UINT16 OpenSource(TW_UINT16 msg, void* pData);
    TW_UINT16 CloseSource(TW_UINT16 msg, void* pData);
    TW_UINT16 Capability(TW_UINT16 msg, void* pData);
    TW_UINT16 Status(TW_UINT16 msg, void* pData);
    TW_UINT16 EnableSource(TW_UINT16 msg, void* pData);
    TW_UINT16 DisableSource(TW_UINT16 msg, void* pData);
    TW_UINT16 ProcessEvent(TW_UINT16 msg, void* pData);
    TW_UINT16 PendingTransfers(TW_UINT16 msg, void* pData);
    TW_UINT16 SetupMemoryTransfer(TW_UINT16 msg, void* pData);
    TW_UINT16 SetupFileTransfer(TW_UINT16 msg, void* pData);
    TW_UINT16 TransferGroup(TW_UINT16 msg, void* pData);
    TW_UINT16 CustomData(TW_UINT16 msg, void* pData);

    // Image triplets.
    TW_UINT16 ImageInfo(TW_UINT16 msg, void* pData);
    TW_UINT16 ImageLayout(TW_UINT16 msg, void* pData);
    TW_UINT16 MemoryTransfer(TW_UINT16 msg, void* pData);
    TW_UINT16 NativeTransfer(TW_UINT16 msg, void* pData);
    TW_UINT16 JpegCompression(TW_UINT16 msg, void* pData);
    TW_UINT16 CieColor(TW_UINT16 msg, void* pData);
    TW_UINT16 ResponseCurve(TW_UINT16 msg, void* pData);
    TW_UINT16 Palette(TW_UINT16 msg, void* pData);
    TW_UINT16 ExtImageInfo(TW_UINT16 msg, void* pData);

    // Vendor triplets.
    TW_UINT16 AutoExposure(TW_UINT16 msg, void* pData);
    TW_UINT16 RgbMatrix(TW_UINT16 msg, void* pData);
    TW_UINT16 ColorSmoothing(TW_UINT16 msg, void* pData);
    TW_UINT16 HardwareInfo(TW_UINT16 msg, void* pData);
    TW_UINT16 SkewInfo(TW_UINT16 msg, void* pData);
    TW_UINT16 UnsharpMask(TW_UINT16 msg, void* pData);
    TW_UINT16 SettingFrame(TW_UINT16 msg, void* pData);
    TW_UINT16 UsmInfo(TW_UINT16 msg, void* pData);

    // TWAIN 2 triplets.
    TW_UINT16 Metrics(TW_UINT16 msg, void* pData);
    TW_UINT16 StatusText(TW_UINT16 msg, void* pData);
    TW_UINT16 DeviceEvent(TW_UINT16 msg, void* pData);
    TW_UINT16 Acknowledge(TW_UINT16 msg, void* pData);

    // The manager's side of a TWAIN 2 source (ManagerLink.cpp): the entry points and
    // the application's callback it is handed, and what it says through them.
    TW_UINT16 EntryPoint(TW_UINT16 msg, void* pData);
    TW_UINT16 RegisterCallback(TW_UINT16 msg, void* pData);
    TW_UINT16 RegisterCallback2(TW_UINT16 msg, void* pData);
    TW_UINT16 CloseRequest(TW_UINT16 msg, void* pData);
    // Whether MSG_XFERREADY goes through the manager rather than by an event.
    bool SaysThroughManager() const { return m_managerEntry != nullptr; }
    // After MSG_ENABLEDS: ready at once, said from inside the call, or, with the
    // user interface shown, at the next event from the interface's own thread.
    void AnnounceAfterEnable(const TW_USERINTERFACE& ui);
    // The next event with the user interface shown: the user presses Scan.
    void ScanFromInterfaceThread();
    void BecomeReady();
    TW_UINT16 SayToManager(TW_UINT16 msg);

    void ResetSession();
    void ResetVendorSettings();
    void ResetJpegTables();
    void EndTransfer();

    State m_nState = kClosed;

    // The manager's DSM_Entry as handed by DAT_ENTRYPOINT/MSG_SET, or null.
    DSMENTRYPROC m_managerEntry = nullptr;
    // The application's callback, once registered: messages go as MSG_INVOKE_CALLBACK.
    bool m_bCallbackRegistered = false;
    TW_CALLBACK m_callback{};
    // Who speaks to whom: this source as opened, the application that opened it.
    TW_IDENTITY m_self{};
    TW_IDENTITY m_application{};
    bool m_bScanOnInterfaceThread = false;
    TW_UINT16 m_nConditionCode = TWCC_SUCCESS;
    CCapabilities m_cSettings;

    // Image layout numbering, as the application last set it.
    TW_UINT32 m_nDocumentNumber = 1;
    TW_UINT32 m_nPageNumber = 1;
    TW_UINT32 m_nFrameNumber = 1;

    // The transfer: enabling readies one page, announced on the second event.
    bool m_bPagePending = false;
    int m_nEventsBeforeReady = 0;
    TW_UINT32 m_nNextRow = 0;
    bool m_bTransferDone = false;
    TW_UINT32 m_nImagesScanned = 0;  // in this session, for DAT_METRICS

    // Vendor settings the application may change.
    TWKQ_AUTOEXPOSURE m_sAutoExposure;
    TWKQ_RGBMATRIX m_sRgbMatrix;
    TWKQ_COLORSMOOTHING m_sColorSmoothing;
    TWKQ_USMPARAM m_sUnsharpMask;
    TWKQ_SETTINGFRAME m_sSettingFrame;

    // JPEG quantisation tables the driver owns and lends out.
    unsigned char m_aLumaQuant[64];
    unsigned char m_aChromaQuant[64];
};
