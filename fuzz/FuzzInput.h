// The byte layout of one fuzz input, shared by the fuzz target and the seed maker:
// a fixed header naming the triplet, then the structure's bytes, then the bytes of
// the capability container handle.
#pragma once

#include <cstdint>

struct FuzzHeader {
    uint32_t dg;
    uint16_t dat;          // taken as is
    uint16_t msg;
    uint16_t rc;
    uint8_t state;         // tracked TWAIN state before the call
    uint8_t flags;         // kNullData, kDatFromList, kMsgFromList, kRawHandle, kFromSource
    uint32_t dataSize;     // structure bytes that follow (cut to what is there)
    uint32_t handleSize;   // container handle size; its bytes are the rest of the input
};
static_assert(sizeof(FuzzHeader) == 20, "fuzz header layout");

enum : uint8_t {
    kNullData = 1,
    kDatFromList = 2,  // dat is an index into the dispatched DATs
    kMsgFromList = 4,  // msg is an index into the messages the analyzer looks at
    kRawHandle = 8,    // a capability keeps the handle value from its bytes
    kFromSource = 16,  // the source's call to the manager, to the identity in the data bytes
};
