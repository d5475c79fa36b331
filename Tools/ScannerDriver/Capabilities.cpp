#include "Capabilities.h"

#include "CDSMInterface.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// MSG_QUERYSUPPORT bits.
constexpr TW_INT32 kSupportsGet = 0x0001;
constexpr TW_INT32 kSupportsSet = 0x0002;
constexpr TW_INT32 kSupportsGetDefault = 0x0004;
constexpr TW_INT32 kSupportsGetCurrent = 0x0008;
constexpr TW_INT32 kSupportsReset = 0x0010;

constexpr CapItem kXferCounts[] = {I16(-1), I16(1)};
constexpr CapItem kCompressions[] = {U16(TWCP_NONE)};
constexpr CapItem kPixelTypes[] = {U16(TWPT_BW), U16(TWPT_GRAY), U16(TWPT_RGB)};
constexpr CapItem kUnits[] = {U16(TWUN_INCHES), U16(TWUN_CENTIMETERS), U16(TWUN_PIXELS)};
constexpr CapItem kXferMechs[] = {U16(TWSX_NATIVE), U16(TWSX_FILE), U16(TWSX_MEMORY)};
constexpr CapItem kBrightness[] = {Fix(-1000), Fix(1000), Fix(1)};  // min, max, step
constexpr CapItem kLetterFrame[] = {Frame(0, 0, 8.5, 11)};
constexpr CapItem kResolutions[] = {Fix(75), Fix(100), Fix(150), Fix(200), Fix(300), Fix(600)};
constexpr CapItem kVendorVersion[] = {U16(0x0110)};
constexpr CapItem kUiModes[] = {U16(TWKQ_UI_CONVENTIONAL), U16(TWKQ_UI_ADVANCED), U16(TWKQ_UI_SIMPLE),
                                U16(TWKQ_UI_DOCUMENT)};
constexpr CapItem kFilmTypes[] = {U16(TWKQ_FT_POSI), U16(TWKQ_FT_NEGA), U16(TWKQ_FT_REFLECTIVE),
                                  U16(TWKQ_FT_REFLECTIVEDOCUMENT)};
constexpr CapItem kTrue[] = {U16(1)};

using enum CapDomain;

// ICAP_PIXELTYPE comes before ICAP_BITDEPTH: the depth's default depends on it.
constexpr CapabilityRow kCapabilities[] = {
    // cap                 container         item type    domain            items           default
    {CAP_SUPPORTEDCAPS,    TWON_ARRAY,       TWTY_UINT16, kSupportedCaps,   {},             {}},
    {CAP_XFERCOUNT,        TWON_ONEVALUE,    TWTY_INT16,  kList,            kXferCounts,    I16(-1)},
    {CAP_UICONTROLLABLE,   TWON_ONEVALUE,    TWTY_BOOL,   kReadOnly,        kTrue,          U16(1)},
    {CAP_DEVICEONLINE,     TWON_ONEVALUE,    TWTY_BOOL,   kReadOnly,        kTrue,          U16(1)},
    {ICAP_COMPRESSION,     TWON_ENUMERATION, TWTY_UINT16, kList,            kCompressions,  U16(TWCP_NONE)},
    {ICAP_PIXELTYPE,       TWON_ENUMERATION, TWTY_UINT16, kList,            kPixelTypes,    U16(TWPT_RGB)},
    {ICAP_BITDEPTH,        TWON_ENUMERATION, TWTY_UINT16, kPixelTypeDepth,  {},             {}},
    {ICAP_UNITS,           TWON_ENUMERATION, TWTY_UINT16, kList,            kUnits,         U16(TWUN_INCHES)},
    {ICAP_XFERMECH,        TWON_ENUMERATION, TWTY_UINT16, kList,            kXferMechs,     U16(TWSX_NATIVE)},
    {ICAP_XRESOLUTION,     TWON_ENUMERATION, TWTY_FIX32,  kList,            kResolutions,   Fix(300)},
    {ICAP_YRESOLUTION,     TWON_ENUMERATION, TWTY_FIX32,  kList,            kResolutions,   Fix(300)},
    {ICAP_BRIGHTNESS,      TWON_RANGE,       TWTY_FIX32,  kRange,           kBrightness,    Fix(0)},
    {ICAP_FRAMES,          TWON_ENUMERATION, TWTY_FRAME,  kFrameOnBed,      kLetterFrame,   kLetterFrame[0]},
    {CAP_KQ_VERSION,       TWON_ONEVALUE,    TWTY_UINT16, kReadOnly,        kVendorVersion, kVendorVersion[0]},
    {CAP_KQ_UIMODE,        TWON_ENUMERATION, TWTY_UINT16, kList,            kUiModes,       U16(TWKQ_UI_ADVANCED)},
    {ICAP_KQ_FILMTYPE,     TWON_ENUMERATION, TWTY_UINT16, kList,            kFilmTypes,     U16(TWKQ_FT_REFLECTIVE)},
};
static_assert(std::size(kCapabilities) == kCapabilityCount);

constexpr CapItem kOneBit[] = {U16(1)};
constexpr CapItem kEightOrSixteenBits[] = {U16(8), U16(16)};

struct BitDepthChoice {
    TW_UINT16 pixelType;
    std::span<const CapItem> depths;  // the first is the default
};

constexpr BitDepthChoice kBitDepths[] = {
    {TWPT_BW, kOneBit},
    {TWPT_GRAY, kEightOrSixteenBits},
    {TWPT_RGB, kEightOrSixteenBits},
};

// Bytes of one item; 0 for the string types, which no capability here uses.
size_t ItemSize(TW_UINT16 itemType) {
    constexpr size_t kSizes[] = {1, 2, 4, 1, 2, 4, 2, 4, sizeof(TW_FRAME)};  // TWTY_INT8 .. TWTY_FRAME
    return itemType < std::size(kSizes) ? kSizes[itemType] : 0;
}

void WriteItem(unsigned char* pOut, TW_UINT16 itemType, const CapItem& item) {
    if (itemType == TWTY_FRAME)
        std::memcpy(pOut, &item.frame, sizeof(item.frame));
    else
        std::memcpy(pOut, &item.word, ItemSize(itemType));
}

CapItem ReadItem(const unsigned char* pIn, TW_UINT16 itemType) {
    CapItem item;
    if (itemType == TWTY_FRAME)
        std::memcpy(&item.frame, pIn, sizeof(item.frame));
    else
        std::memcpy(&item.word, pIn, ItemSize(itemType));
    return item;
}

// The item as a number in its own type's order, for range checks.
int64_t ItemNumber(TW_UINT16 itemType, const CapItem& item) {
    switch (itemType) {
    case TWTY_INT8: return static_cast<TW_INT8>(item.word);
    case TWTY_INT16: return static_cast<TW_INT16>(item.word);
    case TWTY_INT32: return static_cast<TW_INT32>(item.word);
    case TWTY_FIX32: return Fix32Units(Fix32FromWord(item.word));
    default: return item.word;
    }
}

const CapabilityRow* FindRow(TW_UINT16 cap) {
    for (const CapabilityRow& row : kCapabilities)
        if (row.cap == cap) return &row;
    return nullptr;
}

size_t RowIndex(const CapabilityRow& row) {
    return static_cast<size_t>(&row - kCapabilities);
}

bool IsReadOnly(const CapabilityRow& row) {
    return row.domain == kReadOnly || row.domain == kSupportedCaps;
}

// A new zero-filled container of `size` bytes, handed to `fill` while locked;
// null when memory runs out.
template <typename Fill>
TW_HANDLE NewContainer(size_t size, Fill fill) {
    TW_HANDLE h = CDSMInterface::AllocMemory(static_cast<unsigned int>(size));
    if (!h) return nullptr;
    fill(reinterpret_cast<unsigned char*>(CDSMInterface::LockMemory(h)));
    CDSMInterface::UnlockMemory(h);
    return h;
}

TW_UINT16 Deliver(TW_CAPABILITY& capability, TW_UINT16 conType, TW_HANDLE h) {
    if (!h) return TWCC_LOWMEMORY;
    capability.ConType = conType;
    capability.hContainer = h;
    return TWCC_SUCCESS;
}

TW_UINT16 DeliverOneValue(TW_CAPABILITY& capability, TW_UINT16 itemType, const CapItem& item) {
    const size_t itemOffset = offsetof(TW_ONEVALUE, Item);
    TW_HANDLE h = NewContainer(std::max(sizeof(TW_ONEVALUE), itemOffset + ItemSize(itemType)), [&](unsigned char* p) {
        reinterpret_cast<TW_ONEVALUE*>(p)->ItemType = itemType;
        WriteItem(p + itemOffset, itemType, item);
    });
    return Deliver(capability, TWON_ONEVALUE, h);
}

TW_UINT16 DeliverArray(TW_CAPABILITY& capability, TW_UINT16 itemType, std::span<const CapItem> items) {
    const size_t listOffset = offsetof(TW_ARRAY, ItemList);
    const size_t itemSize = ItemSize(itemType);
    TW_HANDLE h = NewContainer(std::max(sizeof(TW_ARRAY), listOffset + items.size() * itemSize), [&](unsigned char* p) {
        auto* array = reinterpret_cast<TW_ARRAY*>(p);
        array->ItemType = itemType;
        array->NumItems = static_cast<TW_UINT32>(items.size());
        for (size_t i = 0; i < items.size(); ++i) WriteItem(p + listOffset + i * itemSize, itemType, items[i]);
    });
    return Deliver(capability, TWON_ARRAY, h);
}

TW_UINT16 DeliverEnumeration(TW_CAPABILITY& capability, TW_UINT16 itemType, std::span<const CapItem> items,
                             size_t currentIndex, size_t defaultIndex) {
    const size_t listOffset = offsetof(TW_ENUMERATION, ItemList);
    const size_t itemSize = ItemSize(itemType);
    TW_HANDLE h =
        NewContainer(std::max(sizeof(TW_ENUMERATION), listOffset + items.size() * itemSize), [&](unsigned char* p) {
            auto* enumeration = reinterpret_cast<TW_ENUMERATION*>(p);
            enumeration->ItemType = itemType;
            enumeration->NumItems = static_cast<TW_UINT32>(items.size());
            enumeration->CurrentIndex = static_cast<TW_UINT32>(currentIndex);
            enumeration->DefaultIndex = static_cast<TW_UINT32>(defaultIndex);
            for (size_t i = 0; i < items.size(); ++i) WriteItem(p + listOffset + i * itemSize, itemType, items[i]);
        });
    return Deliver(capability, TWON_ENUMERATION, h);
}

TW_UINT16 DeliverRange(TW_CAPABILITY& capability, TW_UINT16 itemType, std::span<const CapItem> minMaxStep,
                       const CapItem& defaultValue, const CapItem& currentValue) {
    TW_HANDLE h = NewContainer(sizeof(TW_RANGE), [&](unsigned char* p) {
        auto* range = reinterpret_cast<TW_RANGE*>(p);
        range->ItemType = itemType;
        range->MinValue = minMaxStep[0].word;
        range->MaxValue = minMaxStep[1].word;
        range->StepSize = minMaxStep[2].word;
        range->DefaultValue = defaultValue.word;
        range->CurrentValue = currentValue.word;
    });
    return Deliver(capability, TWON_RANGE, h);
}

size_t IndexOf(std::span<const CapItem> items, const CapItem& item) {
    for (size_t i = 0; i < items.size(); ++i)
        if (SameItem(items[i], item)) return i;
    return items.size();
}

// The value an application's MSG_SET asks for: the item of its one-value, or the
// current item of its enumeration. false when the container is missing, of
// another kind or item type, or smaller than its header claims.
bool RequestedItem(const TW_CAPABILITY& capability, TW_UINT16 itemType, CapItem& requested) {
    TW_HANDLE h = capability.hContainer;
    const size_t size = CDSMInterface::MemorySize(h);  // 0 for null or a handle that is not live
    const size_t itemSize = ItemSize(itemType);
    if (size == 0 || itemSize == 0) return false;

    const unsigned char* block = reinterpret_cast<const unsigned char*>(CDSMInterface::LockMemory(h));
    bool found = false;
    TW_UINT16 containerItemType = 0;
    if (size >= sizeof(containerItemType)) std::memcpy(&containerItemType, block, sizeof(containerItemType));
    if (containerItemType == itemType) {
        if (capability.ConType == TWON_ONEVALUE) {
            const size_t itemOffset = offsetof(TW_ONEVALUE, Item);
            if (size >= itemOffset + itemSize) {
                requested = ReadItem(block + itemOffset, itemType);
                found = true;
            }
        } else if (capability.ConType == TWON_ENUMERATION) {
            const size_t listOffset = offsetof(TW_ENUMERATION, ItemList);
            TW_ENUMERATION head{};
            if (size >= listOffset) {
                std::memcpy(&head, block, listOffset);
                const size_t room = (size - listOffset) / itemSize;
                if (head.NumItems <= room && head.CurrentIndex < head.NumItems) {
                    requested = ReadItem(block + listOffset + head.CurrentIndex * itemSize, itemType);
                    found = true;
                }
            }
        }
    }
    CDSMInterface::UnlockMemory(h);
    return found;
}

double UnitsPerInch(TW_UINT16 units, double dpi) {
    switch (units) {
    case TWUN_CENTIMETERS: return 2.54;
    case TWUN_PIXELS: return dpi;
    default: return 1.0;
    }
}

}  // namespace

bool SameItem(const CapItem& a, const CapItem& b) {
    return a.word == b.word && std::memcmp(&a.frame, &b.frame, sizeof(a.frame)) == 0;
}

std::span<const CapabilityRow> CapabilityTable() {
    return kCapabilities;
}

CCapabilities::CCapabilities() {
    ResetAll();
}

void CCapabilities::ResetAll() {
    for (const CapabilityRow& row : kCapabilities) m_current[RowIndex(row)] = DefaultOf(row);
}

const CapItem& CCapabilities::Current(TW_UINT16 cap) const {
    return m_current[RowIndex(*FindRow(cap))];
}

std::span<const CapItem> CCapabilities::Choices(const CapabilityRow& row) const {
    if (row.domain != kPixelTypeDepth) return row.items;
    for (const BitDepthChoice& choice : kBitDepths)
        if (choice.pixelType == PixelType()) return choice.depths;
    return kEightOrSixteenBits;
}

CapItem CCapabilities::DefaultOf(const CapabilityRow& row) const {
    return row.domain == kPixelTypeDepth ? Choices(row).front() : row.defaultValue;
}

// Frames are kept in inches and shown in the current units.
CapItem CCapabilities::InUnits(const CapabilityRow& row, const CapItem& stored) const {
    if (row.domain != kFrameOnBed) return stored;
    const double perInchX = UnitsPerInch(Current(ICAP_UNITS).word, XResolution());
    const double perInchY = UnitsPerInch(Current(ICAP_UNITS).word, YResolution());
    const TW_FRAME& f = stored.frame;
    return Frame(FromFix32(f.Left) * perInchX, FromFix32(f.Top) * perInchY, FromFix32(f.Right) * perInchX,
                 FromFix32(f.Bottom) * perInchY);
}

TW_UINT16 CCapabilities::PixelType() const {
    return static_cast<TW_UINT16>(Current(ICAP_PIXELTYPE).word);
}
TW_UINT16 CCapabilities::BitDepth() const {
    return static_cast<TW_UINT16>(Current(ICAP_BITDEPTH).word);
}
TW_UINT16 CCapabilities::XferMech() const {
    return static_cast<TW_UINT16>(Current(ICAP_XFERMECH).word);
}
double CCapabilities::XResolution() const {
    return FromFix32(Fix32FromWord(Current(ICAP_XRESOLUTION).word));
}
double CCapabilities::YResolution() const {
    return FromFix32(Fix32FromWord(Current(ICAP_YRESOLUTION).word));
}
TW_FRAME CCapabilities::FrameInches() const {
    return Current(ICAP_FRAMES).frame;
}

TW_FRAME CCapabilities::CurrentFrame() const {
    const CapabilityRow& row = *FindRow(ICAP_FRAMES);
    return InUnits(row, m_current[RowIndex(row)]).frame;
}

TW_FRAME CCapabilities::DefaultFrame() const {
    const CapabilityRow& row = *FindRow(ICAP_FRAMES);
    return InUnits(row, DefaultOf(row)).frame;
}

void CCapabilities::ResetFrame() {
    const CapabilityRow& row = *FindRow(ICAP_FRAMES);
    m_current[RowIndex(row)] = DefaultOf(row);
}

TW_UINT16 CCapabilities::SetFrame(const TW_FRAME& frameInUnits) {
    const double perInchX = UnitsPerInch(Current(ICAP_UNITS).word, XResolution());
    const double perInchY = UnitsPerInch(Current(ICAP_UNITS).word, YResolution());
    const double left = FromFix32(frameInUnits.Left) / perInchX;
    const double top = FromFix32(frameInUnits.Top) / perInchY;
    const double right = FromFix32(frameInUnits.Right) / perInchX;
    const double bottom = FromFix32(frameInUnits.Bottom) / perInchY;
    // Conversion from other units may overshoot the edge by a rounding step.
    constexpr double kSlack = 0.001;
    if (left < -kSlack || top < -kSlack || right > kBedWidthInches + kSlack || bottom > kBedHeightInches + kSlack ||
        left >= right || top >= bottom)
        return TWCC_BADVALUE;
    m_current[RowIndex(*FindRow(ICAP_FRAMES))] =
        Frame(std::max(left, 0.0), std::max(top, 0.0), std::min(right, kBedWidthInches),
              std::min(bottom, kBedHeightInches));
    return TWCC_SUCCESS;
}

size_t CCapabilities::SnapshotSize() const {
    size_t size = 0;
    for (const CapabilityRow& row : kCapabilities) size += ItemSize(row.itemType);
    return size;
}

void CCapabilities::WriteSnapshot(unsigned char* pOut) const {
    for (const CapabilityRow& row : kCapabilities) {
        WriteItem(pOut, row.itemType, m_current[RowIndex(row)]);
        pOut += ItemSize(row.itemType);
    }
}

TW_UINT16 CCapabilities::Accept(const CapabilityRow& row, const CapItem& requested) {
    CapItem& current = m_current[RowIndex(row)];
    switch (row.domain) {
    case kList:
    case kPixelTypeDepth: {
        std::span<const CapItem> choices = Choices(row);
        if (IndexOf(choices, requested) == choices.size()) return TWCC_BADVALUE;
        current = requested;
        break;
    }
    case kRange: {
        const int64_t value = ItemNumber(row.itemType, requested);
        const int64_t min = ItemNumber(row.itemType, row.items[0]);
        const int64_t max = ItemNumber(row.itemType, row.items[1]);
        const int64_t step = ItemNumber(row.itemType, row.items[2]);
        if (value < min || value > max || (value - min) % step != 0) return TWCC_BADVALUE;
        current = requested;
        break;
    }
    case kFrameOnBed: return SetFrame(requested.frame);
    case kReadOnly:
    case kSupportedCaps: return TWCC_CAPBADOPERATION;
    }
    return TWCC_SUCCESS;
}

TW_UINT16 CCapabilities::AnswerOneValue(const CapabilityRow& row, const CapItem& item,
                                        TW_CAPABILITY& capability) const {
    if (row.domain == kSupportedCaps) return AnswerGet(row, capability);
    return DeliverOneValue(capability, row.itemType, InUnits(row, item));
}

TW_UINT16 CCapabilities::AnswerGet(const CapabilityRow& row, TW_CAPABILITY& capability) const {
    const CapItem current = InUnits(row, m_current[RowIndex(row)]);
    if (row.domain == kSupportedCaps) {
        CapItem ids[kCapabilityCount];
        for (size_t i = 0; i < kCapabilityCount; ++i) ids[i] = U16(kCapabilities[i].cap);
        return DeliverArray(capability, row.itemType, ids);
    }
    switch (row.conType) {
    case TWON_ENUMERATION: {
        if (row.domain == kFrameOnBed) return DeliverEnumeration(capability, row.itemType, {&current, 1}, 0, 0);
        std::span<const CapItem> choices = Choices(row);
        return DeliverEnumeration(capability, row.itemType, choices, IndexOf(choices, current),
                                  IndexOf(choices, DefaultOf(row)));
    }
    case TWON_RANGE: return DeliverRange(capability, row.itemType, row.items, DefaultOf(row), current);
    default: return DeliverOneValue(capability, row.itemType, current);
    }
}

TW_UINT16 CCapabilities::AnswerQuerySupport(const CapabilityRow& row, TW_CAPABILITY& capability) const {
    TW_INT32 flags = kSupportsGet | kSupportsGetCurrent | kSupportsGetDefault;
    if (!IsReadOnly(row)) flags |= kSupportsSet | kSupportsReset;
    return DeliverOneValue(capability, TWTY_INT32, CapItem{static_cast<TW_UINT32>(flags), {}});
}

TW_UINT16 CCapabilities::Negotiate(TW_UINT16 msg, TW_CAPABILITY& capability) {
    const CapabilityRow* pRow = FindRow(capability.Cap);
    if (!pRow) return TWCC_CAPUNSUPPORTED;
    const CapabilityRow& row = *pRow;
    CapItem& current = m_current[RowIndex(row)];

    switch (msg) {
    case MSG_GET: return AnswerGet(row, capability);
    case MSG_GETCURRENT: return AnswerOneValue(row, current, capability);
    case MSG_GETDEFAULT: return AnswerOneValue(row, DefaultOf(row), capability);
    case MSG_QUERYSUPPORT: return AnswerQuerySupport(row, capability);
    case MSG_SET: {
        if (IsReadOnly(row)) return TWCC_CAPBADOPERATION;
        CapItem requested;
        if (!RequestedItem(capability, row.itemType, requested)) return TWCC_BADVALUE;
        if (TW_UINT16 cc = Accept(row, requested); cc != TWCC_SUCCESS) return cc;
        break;
    }
    case MSG_RESET: {
        if (IsReadOnly(row)) return TWCC_CAPBADOPERATION;
        current = DefaultOf(row);
        break;
    }
    default: return TWCC_BADPROTOCOL;
    }

    // A new pixel type keeps the bit depth only when it can deliver it.
    if (row.cap == ICAP_PIXELTYPE) {
        const CapabilityRow& depthRow = *FindRow(ICAP_BITDEPTH);
        std::span<const CapItem> depths = Choices(depthRow);
        CapItem& depth = m_current[RowIndex(depthRow)];
        if (IndexOf(depths, depth) == depths.size()) depth = depths.front();
    }
    if (msg == MSG_RESET) return AnswerOneValue(row, current, capability);
    return TWCC_SUCCESS;
}
