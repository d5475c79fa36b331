#include "ReplayOperator.h"

#include <cstdio>
#include <cstring>

#include "DispatchedDats.h"

namespace {

size_t TracedBytesOf(TW_UINT16 dat) {
    for (const DispatchedDat& d : kDispatchedDats) {
        if (d.dat == dat) return d.bytesRead;
    }
    return 0;
}

}  // namespace

TW_UINT16 CRecordingOperator::OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                                             TW_MEMREF pData) {
    TW_UINT16 rc = m_pDriver->OperateTriplet(pOrigin, DG, DAT, MSG, pData);
    RecordedTriplet t;
    t.DG = DG;
    t.DAT = DAT;
    t.MSG = MSG;
    t.rc = rc;
    if (pData) {
        const unsigned char* p = static_cast<const unsigned char*>(pData);
        t.data.assign(p, p + TracedBytesOf(DAT));
        if (DAT == DAT_CAPABILITY) {
            Handle h = static_cast<TW_CAPABILITY*>(pData)->hContainer;
            Size size = GetHandleSize(h);
            if (size > 0) t.container.assign(*h, *h + size);
        }
    }
    m_triplets.push_back(std::move(t));
    return rc;
}

CReplayOperator::CReplayOperator(std::vector<RecordedTriplet> triplets) : m_triplets(std::move(triplets)) {
    for (const RecordedTriplet& t : m_triplets) {
        // What the application sends: the recorded bytes (a capability's id, say).
        m_buffers.emplace_back(t.data.size() + sizeof(TW_CAPABILITY));
        if (!t.data.empty()) memcpy(m_buffers.back().data(), t.data.data(), t.data.size());
        Handle h = nullptr;
        if (!t.container.empty()) {
            h = NewHandleClear(static_cast<Size>(t.container.size()));
            memcpy(*h, t.container.data(), t.container.size());
        }
        m_containers.push_back(h);
    }
}

CReplayOperator::~CReplayOperator() {
    for (Handle h : m_containers) {
        if (h) DisposeHandle(h);
    }
}

TW_UINT16 CReplayOperator::OperateTriplet(TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF pData) {
    size_t i = m_nNext;
    m_nNext = (m_nNext + 1) % m_triplets.size();
    const RecordedTriplet& t = m_triplets[i];
    if (pData && !t.data.empty()) {
        memcpy(pData, t.data.data(), t.data.size());
        if (t.DAT == DAT_CAPABILITY) static_cast<TW_CAPABILITY*>(pData)->hContainer = m_containers[i];
    }
    return t.rc;
}

namespace {

template <typename T>
std::vector<unsigned char> BytesOf(const T& value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&value);
    return std::vector<unsigned char>(p, p + sizeof(value));
}

// A capability GET answered with an enumeration of count items of one type;
// writeItem(i, item) fills item i.
template <typename Item, typename WriteItem>
RecordedTriplet EnumerationAnswer(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 count, TW_UINT32 current,
                                  WriteItem writeItem) {
    RecordedTriplet t;
    t.DG = DG_CONTROL;
    t.DAT = DAT_CAPABILITY;
    t.MSG = MSG_GET;
    t.rc = TWRC_SUCCESS;
    t.data = BytesOf(TW_CAPABILITY{cap, TWON_ENUMERATION, nullptr});
    TW_ENUMERATION head = {itemType, count, current, 0, {0}};
    t.container.assign(offsetof(TW_ENUMERATION, ItemList) + count * sizeof(Item), 0);
    memcpy(t.container.data(), &head, offsetof(TW_ENUMERATION, ItemList));
    for (TW_UINT32 i = 0; i < count; ++i) {
        Item item = {};
        writeItem(i, item);
        memcpy(t.container.data() + offsetof(TW_ENUMERATION, ItemList) + i * sizeof(Item), &item, sizeof(Item));
    }
    return t;
}

}  // namespace

RecordedTriplet ResolutionEnumeration(TW_UINT32 count) {
    return EnumerationAnswer<TW_FIX32>(ICAP_XRESOLUTION, TWTY_FIX32, count, count / 2, [](TW_UINT32 i, TW_FIX32& dpi) {
        dpi = {static_cast<TW_INT16>(25 + 25 * i), static_cast<TW_UINT16>(i * 655)};
    });
}

RecordedTriplet TextEnumeration(TW_UINT32 count) {
    return EnumerationAnswer<TW_STR32>(CAP_AUTHOR, TWTY_STR32, count, 0, [](TW_UINT32 i, TW_STR32& text) {
        snprintf(text, sizeof(text), "Scan operator %03u, Lab 2", static_cast<unsigned>(i));
    });
}

RecordedTriplet MemoryTransferStrip() {
    RecordedTriplet t;
    t.DG = DG_IMAGE;
    t.DAT = DAT_IMAGEMEMXFER;
    t.MSG = MSG_GET;
    t.rc = TWRC_SUCCESS;
    TW_IMAGEMEMXFER strip = {TWCP_NONE, 2550, 850, 308, 0, 308, 785400, {0x9, 786432, nullptr}};
    strip.Memory.TheMem = reinterpret_cast<TW_MEMREF>(0x7f3a21911010);
    t.data = BytesOf(strip);
    return t;
}
