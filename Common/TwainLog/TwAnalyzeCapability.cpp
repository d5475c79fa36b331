// Capability containers: the TW_CAPABILITY header and the container its handle holds.
//
// The container comes from the application or the driver, and either may be
// wrong: every read is bounded by the size of the handle's block, and where a
// container or its list does not fit, the text says so instead of reading on.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "CDSMInterface.h"
#include "ItemText.h"
#include "ParaAnalyze.h"
#include "TextFormat.h"
#include "TraceBlock.h"
#include "twaintbl.h"

namespace {

// The bytes a container needs before anything past them is read: everything up
// to its item list, or the whole structure when it has none.
constexpr size_t kOneValueFixed = sizeof(TW_ONEVALUE);
constexpr size_t kArrayFixed = offsetof(TW_ARRAY, ItemList);
constexpr size_t kEnumerationFixed = offsetof(TW_ENUMERATION, ItemList);
constexpr size_t kRangeFixed = sizeof(TW_RANGE);

// False, with a line saying so, when the block is too short for the container.
bool FixedPartFits(CTraceBlock& block, const char* typeName, size_t blockSize, size_t fixedSize) {
    if (blockSize >= fixedSize) return true;
    char szLine[128] = {};
    snprintf(szLine, sizeof(szLine), "!!! container cut: the block holds %zu bytes, %s needs %zu.!!!",
             blockSize, typeName, fixedSize);
    block.Line(szLine);
    return false;
}

}  // namespace

bool CParaAnalyze::TwCapabilityAnalyze(TW_CAPABILITY* p) {
    if (!p) return true;
    UnnamedValueText fallback;
    std::string_view capName = CapabilityNameOrFallback(p->Cap, fallback);

    CTraceBlock b(*this, "TW_CAPABILITY", kTopIndent, 10);
    b.Value("Cap", capName);
    b.Name<twon_macros>("ConType", p->ConType);
    b.Pointer("hContainer", p->hContainer);
    // After a failed call the handle may hold anything, or nothing: it is not opened.
    if (m_RC != TWRC_FAILURE) TwContainerAnalyaze(p);
    return true;
}

bool CParaAnalyze::TwContainerAnalyaze(TW_CAPABILITY* p) {
    if (!p || !p->hContainer) return true;
    TW_UINT16 conType = p->ConType;
    if (conType != TWON_ARRAY && conType != TWON_ENUMERATION && conType != TWON_ONEVALUE &&
        conType != TWON_RANGE) {
        return true;
    }

    const CLockedMemory container(p->hContainer);
    if (!container.IsLive()) {
        // A freed or foreign handle: said at the header's field indent, not followed.
        AppendFormat("%*s%s%s", kTopIndent + 2, "", "!!! hContainer is not a live handle.!!!", kCrLf);
        return true;
    }
    // An empty block holds no container at all.
    const size_t blockSize = container.Size();
    if (blockSize == 0) return true;
    char* block = container.Block();
    switch (conType) {
        case TWON_ARRAY: TwArrayAnalyze(p->Cap, reinterpret_cast<TW_ARRAY*>(block), blockSize); break;
        case TWON_ENUMERATION:
            TwEnumerationAnalyze(p->Cap, reinterpret_cast<TW_ENUMERATION*>(block), blockSize);
            break;
        case TWON_ONEVALUE: TwOneValueAnalyze(p->Cap, reinterpret_cast<TW_ONEVALUE*>(block), blockSize); break;
        case TWON_RANGE: TwRangeAnalyze(p->Cap, reinterpret_cast<TW_RANGE*>(block), blockSize); break;
    }
    return true;
}

bool CParaAnalyze::TwOneValueAnalyze(TW_UINT16 cap, TW_ONEVALUE* p, size_t blockSize) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_ONEVALUE", kNestedIndent, 8);
    if (!FixedPartFits(b, "TW_ONEVALUE", blockSize, kOneValueFixed)) return true;
    b.Name<twty_macros>("ItemType", p->ItemType);
    char szValue[kValueTextSize];
    // A frame or a string runs on past the 4-byte field, as far as the block goes.
    ValToStr(cap, p->ItemType, &p->Item, blockSize - offsetof(TW_ONEVALUE, Item), szValue, sizeof(szValue));
    b.Value("Item", szValue);
    return true;
}

bool CParaAnalyze::TwArrayAnalyze(TW_UINT16 cap, TW_ARRAY* p, size_t blockSize) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_ARRAY", kNestedIndent, 8);
    if (!FixedPartFits(b, "TW_ARRAY", blockSize, kArrayFixed)) return true;
    b.Name<twty_macros>("ItemType", p->ItemType);
    b.Number("NumItems", p->NumItems);
    MakeItemList(cap, p->ItemType, p->NumItems, p->ItemList, blockSize - kArrayFixed);
    return true;
}

bool CParaAnalyze::TwEnumerationAnalyze(TW_UINT16 cap, TW_ENUMERATION* p, size_t blockSize) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_ENUMERATION", kNestedIndent, 12);
    if (!FixedPartFits(b, "TW_ENUMERATION", blockSize, kEnumerationFixed)) return true;
    b.Name<twty_macros>("ItemType", p->ItemType);
    b.Number("NumItems", p->NumItems);
    b.Number("CurrentIndex", p->CurrentIndex);
    b.Number("DefaultIndex", p->DefaultIndex);
    MakeItemList(cap, p->ItemType, p->NumItems, p->ItemList, blockSize - kEnumerationFixed);
    return true;
}

bool CParaAnalyze::TwRangeAnalyze(TW_UINT16 cap, TW_RANGE* p, size_t blockSize) {
    if (!p) return true;
    CTraceBlock b(*this, "TW_RANGE", kNestedIndent, 12);
    if (!FixedPartFits(b, "TW_RANGE", blockSize, kRangeFixed)) return true;
    b.Name<twty_macros>("ItemType", p->ItemType);
    char szValue[512];
    auto value = [&](const TW_UINT32& field) -> const char* {
        // A frame or a string cannot stand in a 4-byte field: the field is shown as it lies.
        if (ItemTypeBytes(p->ItemType) > sizeof(field)) ValToWord(field, szValue, sizeof(szValue));
        else ValToStr(cap, p->ItemType, &field, sizeof(field), szValue, sizeof(szValue));
        return szValue;
    };
    b.Value("MinValue", value(p->MinValue));
    b.Value("MaxValue", value(p->MaxValue));
    b.Value("StepSize", value(p->StepSize));
    b.Value("DefaultValue", value(p->DefaultValue));
    b.Value("CurrentValue", value(p->CurrentValue));
    return true;
}

void CParaAnalyze::MakeItemList(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 numItems, const TW_UINT8* pItem,
                                size_t listBytes) {
    CTraceBlock list(*this, "ItemList", kInnerIndent, 0);
    if (!pItem) listBytes = 0;

    // Types without a size are not read; each item still takes at least one
    // byte of the block, so NumItems alone never makes a long list.
    bool isRead = ItemTypeBytes(itemType) != 0;
    size_t stride = ItemTypeBytes(itemType) ? ItemTypeBytes(itemType) : 1;
    size_t inBlock = listBytes / stride;
    size_t shown = numItems < inBlock ? numItems : inBlock;

    static constexpr char kNotRead[] = "!!! not implemented.!!!";
    // Past the kept part of the record the rest of the list cannot reach the log;
    // the record is already over length, so the caller still marks the cut.
    if (!isRead) {
        list.ListItems(shown, sizeof(kNotRead) - 1, [](size_t, char* out) -> size_t {
            memcpy(out, kNotRead, sizeof(kNotRead) - 1);
            return sizeof(kNotRead) - 1;
        });
    } else {
        CItemText item(cap, itemType);
        item.WithFormat([&](auto format) {
            list.ListItems(shown, item.MaxLength(),
                           [&](size_t i, char* out) { return format(pItem + i * stride, stride, out); });
        });
    }
    if (shown < numItems) {
        char szLine[128];
        snprintf(szLine, sizeof(szLine), "!!! list cut: the block holds %zu of %lu items.!!!", shown,
                 static_cast<unsigned long>(numItems));
        list.Line(szLine);
    }
}
