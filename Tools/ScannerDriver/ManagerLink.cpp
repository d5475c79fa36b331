// The driver as a TWAIN 2 source: it keeps the manager's entry point and the
// application's callback, and says MSG_XFERREADY and MSG_CLOSEDSREQ through the
// manager instead of answering them to an event.
#include <cstddef>
#include <thread>

#include "ScannerDriver.h"

TW_UINT16 CScannerDriver::EntryPoint(TW_UINT16, void* pData) {
    const auto* entry = static_cast<const TW_ENTRYPOINT*>(pData);
    // A structure too small to hold DSM_Entry has none to keep.
    if (entry->Size < offsetof(TW_ENTRYPOINT, DSM_Entry) + sizeof(DSMENTRYPROC)) return Fail(TWCC_BADVALUE);
    m_managerEntry = entry->DSM_Entry;
    return TWRC_SUCCESS;
}

TW_UINT16 CScannerDriver::RegisterCallback(TW_UINT16, void* pData) {
    m_callback = *static_cast<const TW_CALLBACK*>(pData);
    m_bCallbackRegistered = true;
    return TWRC_SUCCESS;
}

// Only the procedure is kept: the messages go back through DAT_CALLBACK's structure.
TW_UINT16 CScannerDriver::RegisterCallback2(TW_UINT16, void* pData) {
    m_callback = TW_CALLBACK{};
    m_callback.CallBackProc = static_cast<const TW_CALLBACK2*>(pData)->CallBackProc;
    m_bCallbackRegistered = true;
    return TWRC_SUCCESS;
}

// The simulated user closes the source's window: the source asks to be closed.
// Without the manager's entry point it has nobody to ask.
TW_UINT16 CScannerDriver::CloseRequest(TW_UINT16, void*) {
    if (SaysThroughManager() && m_nState >= kEnabled) SayToManager(MSG_CLOSEDSREQ);
    return TWRC_SUCCESS;
}

// Ready before the message is said: the application may ask for the image from
// inside it.
void CScannerDriver::BecomeReady() {
    m_bPagePending = false;
    m_nState = kTransferReady;
}

void CScannerDriver::AnnounceAfterEnable(const TW_USERINTERFACE& ui) {
    if (ui.ShowUI) {
        m_bScanOnInterfaceThread = true;
        return;
    }
    BecomeReady();
    SayToManager(MSG_XFERREADY);
}

// The interface's thread says it while the application's call waits, so the
// message is said before that call returns, whichever thread the host runs.
void CScannerDriver::ScanFromInterfaceThread() {
    m_bScanOnInterfaceThread = false;
    BecomeReady();
    std::thread interface([this] { SayToManager(MSG_XFERREADY); });
    interface.join();
}

TW_UINT16 CScannerDriver::SayToManager(TW_UINT16 msg) {
    if (!m_bCallbackRegistered)
        return m_managerEntry(&m_self, &m_application, DG_CONTROL, DAT_NULL, msg, nullptr);
    // As sources on macOS say it: the message in the callback structure.
    TW_CALLBACK callback = m_callback;
    callback.Message = static_cast<TW_INT16>(msg);
    return m_managerEntry(&m_self, &m_application, DG_CONTROL, DAT_CALLBACK, MSG_INVOKE_CALLBACK, &callback);
}
