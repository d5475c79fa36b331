// The capabilities the simulated scanner offers, as one table, and the current
// value of each. MSG_GET and its kind allocate the container the application
// then owns; MSG_SET reads the application's container and never keeps it.
#pragma once

#include <array>
#include <cstddef>
#include <span>

#include "Fix32.h"
#include "TwainTypes.h"

// One capability value as a container item holds it.
struct CapItem {
    TW_UINT32 word = 0;  // every item type but TWTY_FRAME, in the item's own size at the low end
    TW_FRAME frame{};    // TWTY_FRAME only
};

constexpr CapItem U16(TW_UINT16 value) {
    return CapItem{value, {}};
}
constexpr CapItem I16(TW_INT16 value) {
    return CapItem{static_cast<TW_UINT16>(value), {}};
}
constexpr CapItem Fix(double value) {
    return CapItem{Fix32Word(ToFix32(value)), {}};
}
constexpr CapItem Frame(double left, double top, double right, double bottom) {
    return CapItem{0, TW_FRAME{ToFix32(left), ToFix32(top), ToFix32(right), ToFix32(bottom)}};
}

bool SameItem(const CapItem& a, const CapItem& b);

// What a capability accepts, and where its values come from.
enum class CapDomain {
    kList,            // one of `items`
    kPixelTypeDepth,  // one of the bit depths the current pixel type offers
    kRange,           // items[0] to items[1] in steps of items[2]
    kFrameOnBed,      // a frame inside the scan bed, given in the current units
    kReadOnly,        // items[0], never changes
    kSupportedCaps,   // the ids of every row of the table, never changes
};

struct CapabilityRow {
    TW_UINT16 cap;
    TW_UINT16 conType;  // the container MSG_GET answers with
    TW_UINT16 itemType;
    CapDomain domain;
    std::span<const CapItem> items;
    CapItem defaultValue;
};

std::span<const CapabilityRow> CapabilityTable();
inline constexpr size_t kCapabilityCount = 16;

// The scan bed, in inches (a little longer than US letter).
inline constexpr double kBedWidthInches = 8.5;
inline constexpr double kBedHeightInches = 11.7;

class CCapabilities {
public:
    CCapabilities();

    // Back to the values the scanner powers on with.
    void ResetAll();

    // Answers one DAT_CAPABILITY message; the result is the condition code,
    // TWCC_SUCCESS when it was done.
    TW_UINT16 Negotiate(TW_UINT16 msg, TW_CAPABILITY& capability);

    // The settings a scan is made with.
    TW_UINT16 PixelType() const;
    TW_UINT16 BitDepth() const;
    TW_UINT16 XferMech() const;
    double XResolution() const;
    double YResolution() const;
    TW_FRAME FrameInches() const;

    // The frame in the current units, and setting it from them (the condition code).
    TW_FRAME CurrentFrame() const;
    TW_FRAME DefaultFrame() const;
    TW_UINT16 SetFrame(const TW_FRAME& frameInUnits);
    void ResetFrame();

    // Every current value, in table order, each in its item's size: what the
    // application may keep as custom data.
    size_t SnapshotSize() const;
    void WriteSnapshot(unsigned char* pOut) const;

private:
    const CapItem& Current(TW_UINT16 cap) const;
    std::span<const CapItem> Choices(const CapabilityRow& row) const;
    CapItem DefaultOf(const CapabilityRow& row) const;
    CapItem InUnits(const CapabilityRow& row, const CapItem& stored) const;
    TW_UINT16 Accept(const CapabilityRow& row, const CapItem& requested);

    TW_UINT16 AnswerGet(const CapabilityRow& row, TW_CAPABILITY& capability) const;
    TW_UINT16 AnswerOneValue(const CapabilityRow& row, const CapItem& item, TW_CAPABILITY& capability) const;
    TW_UINT16 AnswerQuerySupport(const CapabilityRow& row, TW_CAPABILITY& capability) const;

    std::array<CapItem, kCapabilityCount> m_current{};  // by table row
};
