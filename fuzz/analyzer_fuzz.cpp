// Drives the analyzer exactly as DS_Entry does, with the triplet, the return code
// and the structure bytes taken from the input. Structures live in heap blocks of
// exactly the size the input gives, and capability containers in real handles, so
// the sanitizers see any read past what a driver or an application handed over.
#include <CoreServices/CoreServices.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "DispatchedDats.h"
#include "FuzzInput.h"
#include "ParaAnalyze.h"

namespace {

constexpr uint16_t kMessages[] = {MSG_GET,        MSG_GETCURRENT, MSG_GETDEFAULT, MSG_SET,
                                  MSG_RESET,      MSG_OPENDSM,    MSG_CLOSEDSM,   MSG_OPENDS,
                                  MSG_CLOSEDS,    MSG_ENABLEDS,   MSG_DISABLEDS,  MSG_PROCESSEVENT,
                                  MSG_ENDXFER,    MSG_XFERREADY,  MSG_CLOSEDSREQ, MSG_KQ_XFERREQUEST,
                                  MSG_CLOSEDSOK,  MSG_INVOKE_CALLBACK};

template <typename T, size_t N>
const T& Pick(const T (&list)[N], uint16_t index) {
    return list[index % N];
}

// A driver or application hands over at least the structure of the DAT; what
// matters is that nothing past it is read.
size_t StructureSizeOf(uint16_t dat) {
    for (const DispatchedDat& d : kDispatchedDats) {
        if (d.dat == dat) return d.bytesRead;
    }
    return 0;
}

// Where the structure of a DAT holds a handle whose block is read: the one
// handle of each is made real from the input.
struct HandleField {
    uint16_t dat;
    size_t offset;
};
constexpr HandleField kHandleFields[] = {
    {DAT_CAPABILITY, offsetof(TW_CAPABILITY, hContainer)},
    {DAT_STATUSUTF8, offsetof(TW_STATUSUTF8, UTF8string)},
    {DAT_TWAINDIRECT, offsetof(TW_TWAINDIRECT, Send)},
    {DAT_FILTER, offsetof(TW_FILTER, hDescriptors)},
};

// The offset of the DAT's handle field, or -1 when it has none.
long HandleOffsetOf(uint16_t dat) {
    for (const HandleField& field : kHandleFields) {
        if (field.dat == dat) return static_cast<long>(field.offset);
    }
    return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    FuzzHeader h;
    if (size < sizeof(h)) return 0;
    memcpy(&h, bytes, sizeof(h));
    bytes += sizeof(h);
    size -= sizeof(h);

    uint16_t dat = (h.flags & kDatFromList) ? Pick(kDispatchedDats, h.dat).dat : h.dat;
    uint16_t msg = (h.flags & kMsgFromList) ? Pick(kMessages, h.msg) : h.msg;
    size_t dataSize = h.dataSize < size ? h.dataSize : size;
    size_t allocated = dataSize > StructureSizeOf(dat) ? dataSize : StructureSizeOf(dat);

    // Exactly that many bytes: no slack behind the structure for a renderer to read.
    unsigned char* data = nullptr;
    if (!(h.flags & kNullData)) {
        data = static_cast<unsigned char*>(calloc(allocated ? allocated : 1, 1));
        memcpy(data, bytes, dataSize);
    }
    bytes += dataSize;
    size -= dataSize;

    // A capability's container, a status text, a TWAIN Direct payload or filter
    // descriptors: a real handle of the size the input says, with the remaining
    // bytes at its start (the rest zero-filled).
    Handle planted = nullptr;
    // With kRawHandle the input's own bytes stay in the field: a handle that is
    // not a live one.
    const long handleOffset = HandleOffsetOf(dat);
    if (handleOffset >= 0 && data && !(h.flags & kRawHandle)) {
        size_t handleSize = h.handleSize % (1u << 20);
        planted = NewHandleClear(static_cast<Size>(handleSize));
        if (planted) {
            memcpy(*planted, bytes, size < handleSize ? size : handleSize);
            TW_HANDLE field = planted;
            memcpy(data + handleOffset, &field, sizeof(field));
        }
    }
    // DAT_PARENT renders the origin identity: it comes from the data bytes too.
    TW_IDENTITY origin = {};
    if (data) memcpy(&origin, data, dataSize < sizeof(origin) ? dataSize : sizeof(origin));

    // The source's call names the application it speaks to: the same identity.
    const CallSide side = (h.flags & kFromSource) ? CallSide::Source : CallSide::Application;
    TW_IDENTITY* dest = side == CallSide::Source ? &origin : nullptr;
    CParaAnalyze analyzer;
    analyzer.SetTwainStatus(h.state % 9);
    CRecordText record;
    analyzer.TripletAnalyze(&origin, dest, h.dg, dat, msg, reinterpret_cast<char*>(data), &record, side);
    record.Clear();
    analyzer.ParaAnalyze(&origin, dest, h.dg, dat, msg, reinterpret_cast<char*>(data), h.rc, &record, side);
    if (record.KeptLength() != strlen(record.Text())) abort();

    if (planted) DisposeHandle(planted);
    free(data);
    return 0;
}
