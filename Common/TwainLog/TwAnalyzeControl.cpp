// Control structure renderers: identities, events, the user interface request,
// transfer set-up and bookkeeping, status, custom data, and TW_MEMORY.
#include <cstring>

#include "ParaAnalyze.h"
#include "TextFormat.h"
#include "TraceBlock.h"

bool CParaAnalyze::TwIdentityAnalyze(TW_IDENTITY* p) {
    if (!p) return true;
    // MSG_OPENDSM carries the application's own identity as the origin.
    const char* typeName = m_MSG == MSG_OPENDSM ? "pOrigin:TW_IDENTITY" : "TW_IDENTITY";
    CTraceBlock b(*this, typeName, kTopIndent, sizeof("SupportedGroups") - 1);
    b.Number("Id", TwIdentityIdNumber(p->Id));
    b.Label("Version");
    TwVersionAnalyze(&p->Version);
    b.Number("ProtocolMajor", p->ProtocolMajor);
    b.Number("ProtocolMinor", p->ProtocolMinor);
    b.Number("SupportedGroups", p->SupportedGroups);
    b.Text("Manufacturer", p->Manufacturer, sizeof(p->Manufacturer));
    b.Text("ProductFamily", p->ProductFamily, sizeof(p->ProductFamily));
    b.Text("ProductName", p->ProductName, sizeof(p->ProductName));
    return true;
}

bool CParaAnalyze::TwVersionAnalyze(TW_VERSION* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_VERSION", kNestedIndent, sizeof("MajorNum") - 1);
    b.Number("MajorNum", p->MajorNum);
    b.Number("MinorNum", p->MinorNum);
    b.Name<twlg_macros>("Language", p->Language);
    b.Name<twcy_macros>("Country", p->Country);
    b.Text("Info", p->Info, sizeof(p->Info));
    return true;
}

// An event that carries no message says nothing worth a block.
bool CParaAnalyze::TwEventAnalyze(TW_EVENT* p) {
    if (!p || p->TWMessage == MSG_NULL) return true;
    CTraceBlock b(*this, "TW_EVENT", kTopIndent, sizeof("TWMessage") - 1);
    b.Pointer("pEvent", p->pEvent);
    if (p->TWMessage < 0x8001) b.Name<msg_macros>("TWMessage", p->TWMessage);
    else b.Name<msg_kq_macros>("TWMessage", p->TWMessage);
    return true;
}

bool CParaAnalyze::TwUserInterfaceAnalyze(TW_USERINTERFACE* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_USERINTERFACE", kTopIndent, sizeof("ModalUI") - 1);
    b.Flag("ShowUI", p->ShowUI);
    b.Flag("ModalUI", p->ModalUI);
    b.Pointer("hParent", p->hParent);
    return true;
}

bool CParaAnalyze::TwPendingXfersAnalyze(TW_PENDINGXFERS* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_PENDINGXFERS", kTopIndent, sizeof("Count") - 1);
    // 0xFFFF means "unknown number of images" and reads best as -1.
    b.Number("Count", static_cast<TW_INT16>(p->Count));
    b.Number("EOJ", p->EOJ);
    return true;
}

bool CParaAnalyze::TwSetupMemXferAnalyze(TW_SETUPMEMXFER* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_SETUPMEMXFER", kTopIndent, sizeof("MinBufSize") - 1);
    b.Number("MinBufSize", p->MinBufSize);
    b.Number("MaxBufSize", p->MaxBufSize);
    b.Number("Preferred", p->Preferred);
    return true;
}

bool CParaAnalyze::TwSetupFileXferAnalyze(TW_SETUPFILEXFER* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_SETUPFILEXFER", kTopIndent, sizeof("FileName") - 1);
    b.Text("FileName", p->FileName, sizeof(p->FileName));
    b.Name<twff_macros>("Format", p->Format);
    b.Number("VRefNum", p->VRefNum);
    return true;
}

bool CParaAnalyze::TwStatusAnalyze(TW_STATUS* p) { return TwStatusAnalyze(p, kTopIndent); }

// The same block inside TW_STATUSUTF8, one level in.
bool CParaAnalyze::TwStatusAnalyze(TW_STATUS* p, int indent) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_STATUS", indent, sizeof("ConditionCode") - 1);
    b.Name<twcc_macros>("ConditionCode", p->ConditionCode);
    return true;
}

// The custom data itself sits behind hData and is not shown; InfoLength is
// printed, never trusted.
bool CParaAnalyze::TwCustomDsDataAnalyze(TW_CUSTOMDSDATA* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_CUSTOMDSDATA", kTopIndent, sizeof("InfoLength") - 1);
    b.Number("InfoLength", static_cast<TW_INT32>(p->InfoLength));
    b.Pointer("hData", p->hData);
    return true;
}

// The single value stored at the data pointer: the image handle that a native
// transfer hands back (pointer-sized) or the transfer group mask (32 bits). The
// data pointer line already shows the address, so the value is what is worth
// seeing. Only as many bytes as the DAT's value has are read; any other DAT gets
// the 32-bit read, the smaller one.
bool CParaAnalyze::TwUint32(void* p) {
    if (!p) return true;
    bool isHandle = m_DAT == DAT_IMAGENATIVEXFER || m_DAT == DAT_AUDIONATIVEXFER;
    unsigned long long item = isHandle
                                  ? reinterpret_cast<uintptr_t>(ReadUnaligned<TW_HANDLE>(p))
                                  : ReadUnaligned<TW_UINT32>(p);
    CTraceBlock b(*this, "TW_UINT32", kTopIndent, sizeof("Item") - 1);
    b.Pointer("Item", item);
    return true;
}

// The memory that TheMem points to is the other side's; only its address is shown.
bool CParaAnalyze::TwMemoryAnalyze(TW_MEMORY* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_MEMORY", kNestedIndent, sizeof("Length") - 1);
    b.Hex("Flags", p->Flags);
    b.Number("Length", p->Length);
    b.Pointer("TheMem", p->TheMem);
    return true;
}
