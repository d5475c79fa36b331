// Operators for the benchmarks: one that records what a driver answers, and one
// that answers the recorded triplets again without the driver's own work (no page
// to scan, no allocation), so that what is measured is the monitor alone.
#pragma once

#include <CoreServices/CoreServices.h>

#include <vector>

#include "CTripletOperator.h"

// One triplet as the driver left it.
struct RecordedTriplet {
    TW_UINT32 DG = 0;
    TW_UINT16 DAT = 0;
    TW_UINT16 MSG = 0;
    TW_UINT16 rc = 0;
    std::vector<unsigned char> data;       // the bytes the trace reads
    std::vector<unsigned char> container;  // DAT_CAPABILITY: what its handle held
};

class CRecordingOperator : public CTripletOperator {
public:
    explicit CRecordingOperator(CTripletOperator* pDriver) : m_pDriver(pDriver) {}
    TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             TW_MEMREF pData) override;
    void Release() override {}
    const std::vector<RecordedTriplet>& Triplets() const { return m_triplets; }

private:
    CTripletOperator* m_pDriver;
    std::vector<RecordedTriplet> m_triplets;
};

class CReplayOperator : public CTripletOperator {
public:
    explicit CReplayOperator(std::vector<RecordedTriplet> triplets);
    ~CReplayOperator() override;
    // Answers the next recorded triplet, whatever was asked.
    TW_UINT16 OperateTriplet(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG,
                             TW_MEMREF pData) override;
    void Release() override {}

    const std::vector<RecordedTriplet>& Triplets() const { return m_triplets; }
    // The data pointer to send with triplet i.
    void* DataFor(size_t i) { return m_buffers[i].data(); }

private:
    std::vector<RecordedTriplet> m_triplets;
    std::vector<std::vector<unsigned char>> m_buffers;
    std::vector<Handle> m_containers;
    size_t m_nNext = 0;
};

// A capability GET answered with an enumeration of count TW_FIX32 resolutions.
RecordedTriplet ResolutionEnumeration(TW_UINT32 count);
// A capability GET answered with an enumeration of count TW_STR32 texts.
RecordedTriplet TextEnumeration(TW_UINT32 count);
// One memory-transfer strip.
RecordedTriplet MemoryTransferStrip();
