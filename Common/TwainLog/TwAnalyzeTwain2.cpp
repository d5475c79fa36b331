// The structures that TWAIN 2 added: the manager's entry points, callbacks, device
// events, file systems, filters, metrics, pass-through, UTF-8 status texts, TWAIN
// Direct payloads and audio information.
//
// What lies behind a handle is read no further than both its length field and
// the handle's block allow; what lies behind a raw pointer is never read, since
// nothing can tell how much of it is there.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "CDSMInterface.h"
#include "ParaAnalyze.h"
#include "TextFormat.h"
#include "TraceBlock.h"
#include "twaintbl.h"

namespace {

// The first bytes of a TWAIN Direct buffer that are shown; the length says the rest.
constexpr size_t kPayloadBytesShown = 16;

// Calls show(block, bytes) with the bytes of the handle's block that a length
// field of claimed bytes covers. A null handle or an empty block shows nothing,
// as a capability's container does; a handle that is not a live one is said so.
template <typename Show>
void WithHandleBytes(CTraceBlock& b, std::string_view field, TW_HANDLE handle, size_t claimed, Show show) {
    if (!handle) return;
    const CLockedMemory memory(handle);
    if (!memory.IsLive()) {
        char szLine[96];
        snprintf(szLine, sizeof(szLine), "!!! %.*s is not a live handle.!!!", static_cast<int>(field.size()),
                 field.data());
        b.Line(szLine);
        return;
    }
    if (memory.Size() == 0) return;
    show(memory.Block(), claimed < memory.Size() ? claimed : memory.Size());
}

// "7b 22 61 ... (120 bytes)": the first bytes in hex, then how many there are.
void PayloadLine(CTraceBlock& b, std::string_view name, const char* bytes, size_t count) {
    char text[kPayloadBytesShown * 3 + 64];
    size_t n = 0;
    size_t shown = count < kPayloadBytesShown ? count : kPayloadBytesShown;
    for (size_t i = 0; i < shown; ++i) {
        if (i > 0) text[n++] = ' ';
        n += FormatHex(static_cast<unsigned char>(bytes[i]), text + n, 2);
    }
    n += static_cast<size_t>(snprintf(text + n, sizeof(text) - n, "%s(%zu bytes)",
                                      shown < count ? " ... " : shown > 0 ? " " : "", count));
    b.Value(name, std::string_view(text, n));
}

}  // namespace

// The application says in Size how much of the structure it handed over: no
// field past it is read.
bool CParaAnalyze::TwEntryPointAnalyze(TW_ENTRYPOINT* p) {
    if (!p) return true;
    static constexpr struct {
        std::string_view name;
        size_t offset;
    } kProcedures[] = {
        {"DSM_Entry", offsetof(TW_ENTRYPOINT, DSM_Entry)},
        {"DSM_MemAllocate", offsetof(TW_ENTRYPOINT, DSM_MemAllocate)},
        {"DSM_MemFree", offsetof(TW_ENTRYPOINT, DSM_MemFree)},
        {"DSM_MemLock", offsetof(TW_ENTRYPOINT, DSM_MemLock)},
        {"DSM_MemUnlock", offsetof(TW_ENTRYPOINT, DSM_MemUnlock)},
    };
    CTraceBlock b(*this, "TW_ENTRYPOINT", kTopIndent, sizeof("DSM_MemAllocate") - 1);
    b.Number("Size", p->Size);
    const size_t readable = p->Size < sizeof(TW_ENTRYPOINT) ? p->Size : sizeof(TW_ENTRYPOINT);
    for (const auto& procedure : kProcedures) {
        if (procedure.offset + sizeof(void*) > readable) break;
        b.Pointer(procedure.name, ReadUnaligned<const void*>(reinterpret_cast<const char*>(p) + procedure.offset));
    }
    if (readable < sizeof(TW_ENTRYPOINT)) {
        char szLine[96];
        snprintf(szLine, sizeof(szLine), "!!! structure cut: Size is %zu bytes, TW_ENTRYPOINT needs %zu.!!!",
                 readable, sizeof(TW_ENTRYPOINT));
        b.Line(szLine);
    }
    return true;
}

bool CParaAnalyze::TwCallbackAnalyze(TW_CALLBACK* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_CALLBACK", kTopIndent, sizeof("CallBackProc") - 1);
    b.Pointer("CallBackProc", p->CallBackProc);
    b.Pointer("RefCon", p->RefCon);
    b.Name<msg_macros>("Message", static_cast<TW_UINT16>(p->Message));
    return true;
}

// RefCon is the application's own value, not an address: every bit of it is shown.
bool CParaAnalyze::TwCallback2Analyze(TW_CALLBACK2* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_CALLBACK2", kTopIndent, sizeof("CallBackProc") - 1);
    b.Pointer("CallBackProc", p->CallBackProc);
    b.Hex("RefCon", p->RefCon);
    b.Name<msg_macros>("Message", static_cast<TW_UINT16>(p->Message));
    return true;
}

bool CParaAnalyze::TwDeviceEventAnalyze(TW_DEVICEEVENT* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_DEVICEEVENT", kTopIndent, sizeof("TimeBeforeFirstCapture") - 1);
    b.Name<twde_macros>("Event", p->Event);
    b.Text("DeviceName", p->DeviceName, sizeof(p->DeviceName));
    b.Number("BatteryMinutes", p->BatteryMinutes);
    b.Number("BatteryPercentage", p->BatteryPercentage);
    b.Name<twps_macros>("PowerSupply", p->PowerSupply);
    b.Fixed("XResolution", p->XResolution);
    b.Fixed("YResolution", p->YResolution);
    b.Name<twfl_macros>("FlashUsed2", p->FlashUsed2);
    b.Number("AutomaticCapture", p->AutomaticCapture);
    b.Number("TimeBeforeFirstCapture", p->TimeBeforeFirstCapture);
    b.Number("TimeBetweenCaptures", p->TimeBetweenCaptures);
    return true;
}

// Of each union the first member is shown; Reserved is not.
bool CParaAnalyze::TwFileSystemAnalyze(TW_FILESYSTEM* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_FILESYSTEM", kTopIndent, sizeof("ModifiedTimeDate") - 1);
    b.Text("InputName", p->InputName, sizeof(p->InputName));
    b.Text("OutputName", p->OutputName, sizeof(p->OutputName));
    b.Pointer("Context", p->Context);
    b.Number("Recursive", p->Recursive);
    b.Name<twfy_macros>("FileType", p->FileType);
    b.Number("Size", p->Size);
    b.Text("CreateTimeDate", p->CreateTimeDate, sizeof(p->CreateTimeDate));
    b.Text("ModifiedTimeDate", p->ModifiedTimeDate, sizeof(p->ModifiedTimeDate));
    b.Number("FreeSpace", p->FreeSpace);
    b.Number("NewImageSize", p->NewImageSize);
    b.Number("NumberOfFiles", p->NumberOfFiles);
    b.Number("NumberOfSnippets", p->NumberOfSnippets);
    b.Hex("DeviceGroupMask", p->DeviceGroupMask);
    return true;
}

// The descriptors follow in the block of hDescriptors, each after its label, as
// many as DescriptorCount says and the block holds, while the record has room.
bool CParaAnalyze::TwFilterAnalyze(TW_FILTER* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_FILTER", kTopIndent, sizeof("MaxDescriptorCount") - 1);
    b.Number("Size", p->Size);
    b.Number("DescriptorCount", p->DescriptorCount);
    b.Number("MaxDescriptorCount", p->MaxDescriptorCount);
    b.Number("Condition", p->Condition);
    b.Pointer("hDescriptors", p->hDescriptors);
    const size_t claimed = size_t{p->DescriptorCount} * sizeof(TW_FILTER_DESCRIPTOR);
    WithHandleBytes(b, "hDescriptors", p->hDescriptors, claimed, [&](char* block, size_t bytes) {
        size_t inBlock = bytes / sizeof(TW_FILTER_DESCRIPTOR);
        size_t shown = 0;
        for (; shown < inBlock && m_pszText && !m_pszText->IsFull(); ++shown) {
            char szLabel[32];
            snprintf(szLabel, sizeof(szLabel), "Descriptor[%zu]", shown);
            b.Label(szLabel);
            TW_FILTER_DESCRIPTOR descriptor;
            memcpy(&descriptor, block + shown * sizeof(descriptor), sizeof(descriptor));
            TwFilterDescriptorAnalyze(&descriptor);
        }
        if (shown < p->DescriptorCount) {
            char szLine[128];
            snprintf(szLine, sizeof(szLine), "!!! list cut: the block holds %zu of %lu descriptors.!!!", inBlock,
                     static_cast<unsigned long>(p->DescriptorCount));
            b.Line(szLine);
        }
    });
    return true;
}

bool CParaAnalyze::TwFilterDescriptorAnalyze(TW_FILTER_DESCRIPTOR* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_FILTER_DESCRIPTOR", kNestedIndent, sizeof("SaturationStart") - 1);
    b.Number("Size", p->Size);
    b.Number("HueStart", p->HueStart);
    b.Number("HueEnd", p->HueEnd);
    b.Number("SaturationStart", p->SaturationStart);
    b.Number("SaturationEnd", p->SaturationEnd);
    b.Number("ValueStart", p->ValueStart);
    b.Number("ValueEnd", p->ValueEnd);
    b.Number("Replacement", p->Replacement);
    return true;
}

bool CParaAnalyze::TwMetricsAnalyze(TW_METRICS* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_METRICS", kTopIndent, sizeof("ImageCount") - 1);
    b.Number("SizeOf", p->SizeOf);
    b.Number("ImageCount", p->ImageCount);
    b.Number("SheetCount", p->SheetCount);
    return true;
}

// pCommand and pData are raw pointers whose size nothing can check: only the
// pointers and the counts are shown.
bool CParaAnalyze::TwPassThruAnalyze(TW_PASSTHRU* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_PASSTHRU", kTopIndent, sizeof("DataBytesXfered") - 1);
    b.Pointer("pCommand", p->pCommand);
    b.Number("CommandBytes", p->CommandBytes);
    b.Name<twdr_macros>("Direction", p->Direction);
    b.Pointer("pData", p->pData);
    b.Number("DataBytes", p->DataBytes);
    b.Number("DataBytesXfered", p->DataBytesXfered);
    return true;
}

// The text is shown as every string is, cut where a value's text ends.
bool CParaAnalyze::TwStatusUtf8Analyze(TW_STATUSUTF8* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_STATUSUTF8", kTopIndent, sizeof("UTF8string") - 1);
    b.Label("Status");
    TwStatusAnalyze(&p->Status, kNestedIndent);
    b.Number("Size", p->Size);
    b.Pointer("UTF8string", p->UTF8string);
    WithHandleBytes(b, "UTF8string", p->UTF8string, p->Size, [&](const char* block, size_t bytes) {
        size_t length = strnlen(block, bytes);
        size_t kept = ShownTextBytes(block, length, kValueTextSize - 1);
        char shown[kValueTextSize];
        b.Value("Text", std::string_view(shown, FormatShownText(block, kept, shown, sizeof(shown) - 1)));
        if (kept < length) {
            char szLine[96];
            snprintf(szLine, sizeof(szLine), "!!! text cut: %zu of %zu bytes shown.!!!", kept, length);
            b.Line(szLine);
        }
    });
    return true;
}

bool CParaAnalyze::TwTwainDirectAnalyze(TW_TWAINDIRECT* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_TWAINDIRECT", kTopIndent, sizeof("CommunicationManager") - 1);
    b.Number("SizeOf", p->SizeOf);
    b.Number("CommunicationManager", p->CommunicationManager);
    b.Pointer("Send", p->Send);
    b.Number("SendSize", p->SendSize);
    WithHandleBytes(b, "Send", p->Send, p->SendSize,
                    [&](const char* block, size_t bytes) { PayloadLine(b, "SendData", block, bytes); });
    b.Pointer("Receive", p->Receive);
    b.Number("ReceiveSize", p->ReceiveSize);
    WithHandleBytes(b, "Receive", p->Receive, p->ReceiveSize,
                    [&](const char* block, size_t bytes) { PayloadLine(b, "ReceiveData", block, bytes); });
    return true;
}

bool CParaAnalyze::TwAudioInfoAnalyze(TW_AUDIOINFO* p) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_AUDIOINFO", kTopIndent, sizeof("Reserved") - 1);
    b.Text("Name", p->Name, sizeof(p->Name));
    b.Number("Reserved", p->Reserved);
    return true;
}
